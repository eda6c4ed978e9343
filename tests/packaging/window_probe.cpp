// karo-window-probe: the program's main window created as the program creates
// it, on the offscreen platform; prints what it found beside the program:
// the program folder, the search table's record count, the help file and
// whether the window icon was loaded. Run by the packaging tests through links.
#include <QApplication>
#include <QIcon>
#include <cstdio>

#include "Look.h"
#include "Main.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ApplyLook(app);
  TwMain window;
  window.show();
  app.processEvents();
  std::printf("folder %s\nrecords %u\nhelp %s\nicon %s\n", qPrintable(window.ProgramDir), window.Pseek.RecCount,
              qPrintable(gHelpFile), qApp->windowIcon().isNull() ? "none" : "loaded");
  return 0;
}
