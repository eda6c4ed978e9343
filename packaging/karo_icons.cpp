// karo-icons ICON-FILE FOLDER: writes the program's icon into FOLDER as an
// icon theme holds it (FOLDER/SIZExSIZE/apps/karoview.png for every size).
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "Icon.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) {
    std::fputs("Použití: karo-icons SOUBOR-IKONY SLOŽKA\n", stderr);
    return 2;
  }
  const QString source = QString::fromLocal8Bit(argv[1]);
  const std::vector<QImage> frames = karo::ReadIconFile(source);
  if (frames.empty()) {
    std::fprintf(stderr, "karo-icons: %s: ikonu nelze přečíst\n", argv[1]);
    return 1;
  }
  const QDir out(QString::fromLocal8Bit(argv[2]));
  for (const int size : karo::kThemeIconSizes) {
    const QString folder = QStringLiteral("%1x%1/apps").arg(size);
    const QString file = out.filePath(folder + QStringLiteral("/karoview.png"));
    if (!out.mkpath(folder) || !karo::IconAt(frames, size).save(file, "PNG")) {
      std::fprintf(stderr, "karo-icons: %s nelze zapsat\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
