// The help viewer: the help file's contents in a window of its own.
#include "HelpViewer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "Frame.h"

namespace {

QPointer<HelpWindow> g_help_window;

bool IsReadableFile(const QString& path) {
  QFile file(path);
  return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("wHelp"));
  setWindowTitle(QStringLiteral("Nápověda"));
  resize(640, 560);

  contents_ = new QPushButton(QStringLiteral("&Obsah"), this);
  contents_->setObjectName(QStringLiteral("btObsah"));
  back_ = new QPushButton(QStringLiteral("Z&pět"), this);
  back_->setObjectName(QStringLiteral("btZpet"));
  back_->setEnabled(false);
  forward_ = new QPushButton(QStringLiteral("&Vpřed"), this);
  forward_->setObjectName(QStringLiteral("btVpred"));
  forward_->setEnabled(false);
  close_ = new QPushButton(QStringLiteral("&Zavřít"), this);
  close_->setObjectName(QStringLiteral("btZavrit"));

  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("reHelp"));
  browser_->setOpenExternalLinks(true);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(contents_);
  buttons->addWidget(back_);
  buttons->addWidget(forward_);
  buttons->addStretch(1);
  buttons->addWidget(close_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(buttons);
  layout->addWidget(browser_, 1);

  connect(contents_, &QPushButton::clicked, browser_, &QTextBrowser::home);
  connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
  connect(close_, &QPushButton::clicked, this, &QWidget::close);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QPushButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QPushButton::setEnabled);
}

void HelpWindow::ShowContents(const QString& helpFilePath) {
  const QUrl url = QUrl::fromLocalFile(QFileInfo(helpFilePath).absoluteFilePath());
  // Whatever the file's name ends with, its contents are HTML; the browser
  // takes the character set from its <meta charset>.
  browser_->setSource(url, QTextDocument::HtmlResource);
  browser_->clearHistory();  // the contents page is where "Obsah" leads back to
  show();
  raise();
  activateWindow();
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool ShowHelpContents(const QString& helpFilePath, QWidget* parent) {
  if (!IsReadableFile(helpFilePath)) {
    PlainMessage(parent,
                 QStringLiteral("Soubor nápovědy %1 nelze otevřít.").arg(QDir::toNativeSeparators(helpFilePath)));
    return false;
  }
  if (g_help_window.isNull()) {
    g_help_window = new HelpWindow(parent);
    CenterOnScreen(g_help_window);  // the first time; afterwards where the user left it
  }
  g_help_window->ShowContents(helpFilePath);
  return true;
}

HelpWindow* CurrentHelpWindow() { return g_help_window.data(); }
