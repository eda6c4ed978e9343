// TwAbout: the About window and its rich text.
#include "About.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>

#include "HelpViewer.h"
#include "Look.h"
#include "Main.h"
#include "Paths.h"
#include "RtfReader.h"
#include "ui_About.h"

TwAbout* wAbout = nullptr;

TwAbout::TwAbout(QWidget* parent) : QDialog(parent), ui(new Ui::TwAbout) {
  ui->setupUi(this);
  ui->Label1->setFont(SansFont(11, true));
  connect(ui->btOK, &QPushButton::clicked, this, &QDialog::accept);
  ui->reAbout->setOpenLinks(false);
  connect(ui->reAbout, &QTextBrowser::anchorClicked, this, &TwAbout::reAboutAnchorClicked);
  // The window sees every key before its controls.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
  FormCreate();
}

TwAbout::~TwAbout() { delete ui; }

void TwAbout::FormCreate() {
  const std::string dir = wMain ? wMain->ProgramDir.toStdString() : std::string();
  const QString path = QString::fromStdString(karo::FindPath(dir, "data/about.rtff"));
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    ErrorMessage(nullptr, QStringLiteral("Soubor %1 nelze otevřít: %2").arg(path, file.errorString()));
    return;
  }
  QString error;
  if (!ReadRtf(file.readAll(), ui->reAbout->document(), &error)) {
    ErrorMessage(nullptr, QStringLiteral("Soubor %1 nelze přečíst: %2").arg(path, error));
    return;
  }
  ui->reAbout->moveCursor(QTextCursor::Start);  // the text opens at its beginning
  ui->lblVer->setText(QStringLiteral("K.A.R.O. viewer\nver. 1.31\nNT patch"));
}

void TwAbout::reAboutAnchorClicked(const QUrl& link) {
  // The help file's name leads to the help contents; the About window makes
  // way for it.
  if (QFileInfo(link.path()).fileName().compare(QLatin1String("Tarvel.hlp"), Qt::CaseInsensitive) == 0) {
    accept();
    ShowHelpContents(gHelpFile, parentWidget() ? parentWidget() : this);
  } else if (!link.scheme().isEmpty()) {
    QDesktopServices::openUrl(link);
  }
}

void TwAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // An ordinary sizeable window of 501 by 497 pixels, frame included; a size
  // the user gives it stays for the next showing.
  if (!sized_) SetOuterSize(this, kOuterSize);
  sized_ = true;
  CenterOnScreen(this);
  ui->btOK->setFocus();
}

bool TwAbout::FormKeyPress(QKeyEvent* event) {
  // Any character key closes the window (Enter and Esc as well).
  if (event->text().isEmpty() && event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter &&
      event->key() != Qt::Key_Escape) {
    return false;
  }
  accept();
  return true;
}

void TwAbout::keyPressEvent(QKeyEvent* event) {
  if (!FormKeyPress(event)) QDialog::keyPressEvent(event);
}

bool TwAbout::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && isVisible() && FormKeyPress(static_cast<QKeyEvent*>(event))) {
    return true;
  }
  return QDialog::eventFilter(watched, event);
}
