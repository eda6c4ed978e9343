#include "Look.h"

#include <QApplication>
#include <QFontDatabase>
#include <QMessageBox>
#include <QScreen>
#include <QStyleFactory>
#include <QWidget>

const char kAppTitle[] = "K.A.R.O.";

namespace {

// Liberation Sans keeps the metrics the layouts were drawn for; DejaVu Sans
// is a wider fallback.
QString SansFamily() {
  static const QString family = [] {
    const QStringList families = QFontDatabase::families();
    for (const char* name : {"Liberation Sans", "Arial", "DejaVu Sans"}) {
      if (families.contains(QString::fromLatin1(name))) return QString::fromLatin1(name);
    }
    return QString::fromLatin1("Sans Serif");
  }();
  return family;
}

}  // namespace

QFont SansFont(int pixels, bool bold) {
  QFont font(SansFamily());
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

// The pictures are compiled into the windows' library; a static library's
// resources are registered by hand.
static void InitResources() { Q_INIT_RESOURCE(karo); }

void ApplyLook(QApplication& app) {
  InitResources();
  app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  app.setFont(SansFont(11));
}

void CenterOnScreen(QWidget* window) {
  const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QSize size = window->frameGeometry().size();
  window->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

void PlainMessage(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), text, QMessageBox::Ok, parent);
  box.exec();
}

void ErrorMessage(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kAppTitle), text, QMessageBox::Ok, parent);
  box.exec();
}
