// Start-up with a directory that cannot be read whole: the window opens as
// ever, then one message names the folder and every table that did not open.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "Look.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "ui_Main.h"

namespace karo::test {
namespace {

// What the start-up message box showed (it is closed once seen).
struct SeenMessage {
  QString Text, Caption;
  bool WindowWasUp = false;
};

void CatchNextMessage(SeenMessage* seen, const TwMain* main) {
  OnNextModal([seen, main](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box) {
      modal->close();
      return;
    }
    seen->Text = box->text();
    seen->Caption = box->windowTitle();
    seen->WindowWasUp = main->isVisible() && main->ui->lstOkresy->count() > 0;
    box->accept();
  });
}

TEST(UnreadableDirectory, TablesThatDidNotOpenAreNamedOnceTheWindowIsUp) {
  ProgramFolder folder(SmallSource(), {"jazyky"});
  WriteBytes(folder.File("DATA/pseek.f"), "x");
  std::filesystem::remove(folder.File("DATA/obory.x"));
  Windows w(folder);
  SeenMessage seen;
  CatchNextMessage(&seen, w.Main.get());
  w.Main->show();
  // The window is set up as without the message.
  EXPECT_EQ(w.Main->sbText->text(), QStringLiteral("0 records"));
  EXPECT_EQ(w.Main->size(), QSize(678, 600));
  EXPECT_EQ(w.Main->ui->lstJazyky->count(), 0);
  EXPECT_EQ(w.Main->ui->lstObory->count(), 0);
  EXPECT_EQ(w.Main->ui->lstOkresy->count(), 10);
  QTRY_VERIFY_WITH_TIMEOUT(!seen.Text.isEmpty(), 10000);
  EXPECT_TRUE(seen.WindowWasUp);
  EXPECT_EQ(seen.Caption, QString::fromUtf8(kAppTitle));
  EXPECT_EQ(seen.Text, QString::fromUtf8("Ve složce ") + folder.Path() +
                           QString::fromUtf8("DATA/ se neotevřely tabulky adresáře:\n\n"
                                             "pseek: je poškozená: soubor pseek.f je kratší než jeho osmibajtová hlavička (má 1 B)\n"
                                             "obory: chybí soubor obory.x\n"
                                             "jazyky: chybí\n\n"
                                             "Program běží bez nich: co z nich pochází (seznamy, výsledky hledání, "
                                             "podrobnosti), zůstane prázdné."));
  // One message only; the window goes on working.
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  w.Main->btSeekClick();
  EXPECT_EQ(w.Main->Pseek.CurCount(), 0u);
}

TEST(UnreadableDirectory, AFolderWithoutTablesIsSaidInOneSentence) {
  ProgramFolder folder;
  // Without DATA/ the folder's name is looked up without regard to case and
  // data/ (the icon, the About text) is taken: no table is there.
  std::filesystem::remove_all(folder.File("DATA"));
  Windows w(folder);
  SeenMessage seen;
  CatchNextMessage(&seen, w.Main.get());
  w.Main->show();
  EXPECT_EQ(w.Main->sbText->text(), QStringLiteral("0 records"));
  QTRY_VERIFY_WITH_TIMEOUT(!seen.Text.isEmpty(), 10000);
  EXPECT_EQ(seen.Text, QString::fromUtf8("Ve složce ") + folder.Path() +
                           QString::fromUtf8("data/ není žádná tabulka adresáře. Seznamy jsou prázdné a hledání nic "
                                             "nenajde."));
}

TEST(UnreadableDirectory, ACompleteDirectoryOpensWithoutAMessage) {
  ProgramFolder folder;
  Windows w(folder);
  SeenMessage seen;
  CatchNextMessage(&seen, w.Main.get());
  w.Main->show();
  // A message would be posted by the show, so it would come before this.
  bool after = false;
  QTimer::singleShot(0, [&after] { after = true; });
  QTRY_VERIFY_WITH_TIMEOUT(after, 10000);
  EXPECT_EQ(seen.Text, QString());
  EXPECT_EQ(w.Main->sbText->text(), QStringLiteral("7 records"));
  // The watcher is not left behind for the next test.
  QMessageBox probe(QMessageBox::NoIcon, QStringLiteral("probe"), QStringLiteral("probe"), QMessageBox::Ok);
  probe.exec();
  EXPECT_EQ(seen.Text, QStringLiteral("probe"));
}

}  // namespace
}  // namespace karo::test
