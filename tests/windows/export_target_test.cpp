// Where the window's export may go: a pipe is refused at once (the window
// would wait for a reader, or for a reader that stops reading), a device is
// written in place, a dangling link gets its target created.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QMessageBox>
#include <chrono>
#include <filesystem>

#include "Main.h"
#include "ProgramFolder.h"
#include "ui_Main.h"

namespace karo::test {
namespace {

namespace fs = std::filesystem;

// Exports the whole directory into `path`; the message box's text.
QString ExportTo(Windows& w, const std::string& path) {
  w.Main->btSeekClick();
  w.Main->exportFileChooser = [path] { return QString::fromStdString(path); };
  QString message;
  OnNextModal([&](QWidget* modal) {
    if (auto box = qobject_cast<QMessageBox*>(modal)) message = box->text();
    modal->close();
  });
  w.Main->ui->mnExport->trigger();
  return message;
}

TEST(ExportTarget, PipesAreRefusedAtOnceDevicesWrittenLinksFollowed) {
  ProgramFolder folder;
  Windows w(folder);
  w.Main->show();
  const std::string fifo = folder.File("pipe.txt");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const QString refused = QString::fromUtf8("ERROR : Soubor ") + QString::fromStdString(fifo) +
                          QString::fromUtf8(" nelze otevřít.");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ExportTo(w, fifo), refused);  // nobody reads
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(ExportTo(w, fifo), refused);  // a reader, who might never read
  char byte;
  EXPECT_EQ(read(reader, &byte, 1), 0);
  close(reader);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);

  EXPECT_EQ(ExportTo(w, "/dev/null"), QString::fromUtf8("Export ukončen."));

  fs::create_directory(folder.File("out"));
  fs::create_symlink("out/export.txt", folder.File("link.txt"));
  EXPECT_EQ(ExportTo(w, folder.File("link.txt")), QString::fromUtf8("Export ukončen."));
  EXPECT_TRUE(fs::is_symlink(folder.File("link.txt")));
  EXPECT_EQ(ReadBytes(folder.File("out/export.txt")).rfind("PRACOVISTE\tJMENO\tULICE\tOBEC\tPSC\r\n", 0), 0u);
}

}  // namespace
}  // namespace karo::test
