// Program entry: the splash first, then the windows in their fixed order.
#include <QApplication>
#include <exception>

#include "About.h"
#include "Detail.h"
#include "Hallo.h"
#include "Look.h"
#include "Main.h"
#include "Showquery.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  try {
    ApplyLook(app);
    app.setApplicationName(QString::fromUtf8(kAppTitle));
    // The desktop ties the windows to the menu entry karoview.desktop.
    app.setDesktopFileName(QStringLiteral("karoview"));
    wHallo = new TwHallo();
    wHallo->show();
    wHallo->repaint();
    app.processEvents();
    gHelpFile = QStringLiteral("TARVEL.HLP");
    TwMain mainWindow;
    TwQuery query(&mainWindow);
    wQuery = &query;
    TwDetail detail(&mainWindow);
    wDetail = &detail;
    TwAbout about(&mainWindow);
    wAbout = &about;
    mainWindow.show();
    app.exec();
    wQuery = nullptr;
    wDetail = nullptr;
    wAbout = nullptr;
  } catch (const std::exception& e) {
    ErrorMessage(nullptr, QString::fromLocal8Bit(e.what()));
  }
  return 0;
}
