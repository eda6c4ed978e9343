// Start-up: splash, windows, tables, pick lists, status bar, About and help.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include "About.h"
#include "Detail.h"
#include "Hallo.h"
#include "HelpViewer.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "QtText.h"
#include "Showquery.h"
#include "ui_About.h"
#include "ui_Main.h"

namespace karo::test {
namespace {

QStringList Items(const QListWidget* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
  return items;
}

TEST(Startup, SplashMainWindowAndPickLists) {
  ProgramFolder folder;
  wHallo = new TwHallo();
  wHallo->show();
  Windows w(folder);
  EXPECT_TRUE(wHallo);
  EXPECT_EQ(wHallo->size(), QSize(355, 427));  // picture + label + 10
  EXPECT_FALSE(wHallo->Timer1->isActive());
  w.Main->show();
  // The tables are open and the timer runs; the splash goes only from the event loop.
  ASSERT_TRUE(wHallo);
  EXPECT_TRUE(wHallo->Timer1->isActive());
  EXPECT_TRUE(wHallo->isVisible());
  ASSERT_TRUE(QTest::qWaitFor([&] { return wHallo.isNull(); }, 2000));

  const Ui::TwMain* ui = w.Main->ui;
  EXPECT_EQ(w.Main->size(), QSize(678, 600));
  EXPECT_EQ(w.Main->windowTitle(), QString::fromUtf8("Katalog Adres a Rejstřík Ordinací"));
  EXPECT_EQ(w.Main->sbText->text(), QStringLiteral("7 records"));
  EXPECT_EQ(ui->pgctrl01->currentWidget(), ui->pgDotaz);
  EXPECT_EQ(Items(ui->lstOkresy).first(), QString::fromUtf8("Benešov"));
  EXPECT_EQ(Items(ui->lstOkresy).size(), 10);
  EXPECT_EQ(Items(ui->lstOkresy)[6], QString::fromUtf8(" Bystřice"));
  EXPECT_EQ(Items(ui->lstJazyky), (QStringList{QString::fromUtf8("angličtina"), QString::fromUtf8("němčina"),
                                               QString::fromUtf8("ruština")}));
  EXPECT_EQ(Items(ui->lstPojistovny), (QStringList{"VZP", "VoZP", QString::fromUtf8("ČPZP")}));
  EXPECT_EQ(ui->lstObory->count(), 3);
  EXPECT_EQ(ui->lstRubriky->count(), 2);
  EXPECT_EQ(ui->lstTypZarizeni->count(), 2);
  for (const QListWidget* list : {ui->lstOkresy, ui->lstJazyky}) {
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
  }
  // Positions and captions of the layout.
  EXPECT_EQ(ui->lstTypZarizeni->geometry(), QRect(509, 256, 149, 209));
  EXPECT_EQ(ui->btSeek->text(), QStringLiteral("&Hledej"));
  EXPECT_EQ(ui->btSeek->geometry(), QRect(2, 2, 76, 30));
  EXPECT_EQ(ui->butSort->geometry(), QRect(68, 2, 69, 25));
  EXPECT_EQ(ui->Label9->text(), QString::fromUtf8("Pojišťo<u>v</u>na"));
  EXPECT_EQ(ui->Label8->text(), QString::fromUtf8("<u>T</u>yp zařízení"));
  EXPECT_GE(ui->Label8->width(), ui->Label8->sizeHint().width());  // nothing cut off
  EXPECT_TRUE(ui->Label2->font().bold());
  EXPECT_EQ(ui->pgctrl01->tabText(1), QStringLiteral("Da&ta"));
}

TEST(Startup, KeyboardOrderOfTheFilterControlsAndExit) {
  ProgramFolder folder;
  Windows w(folder);
  w.Main->show();
  const Ui::TwMain* ui = w.Main->ui;
  const QWidget* expected[] = {ui->txtPracoviste, ui->txtObec, ui->txtOkres, ui->lstOkresy, ui->txtJmeno,
                               ui->lstTypZarizeni, ui->txtTypZarizeni, ui->txtRubrika, ui->lstRubriky, ui->lstObory,
                               ui->txtObor, ui->lstPojistovny, ui->lstJazyky, ui->txtJazyk, ui->butXOkres,
                               ui->butXObor, ui->butXRubrika, ui->butXJazyk, ui->butXTypZarizeni, ui->butXPojistovna};
  std::vector<const QWidget*> order;
  const QWidget* at = ui->txtPracoviste;
  for (int guard = 0; guard < 200 && order.size() < std::size(expected); ++guard, at = at->nextInFocusChain()) {
    if (at->parentWidget() == ui->Panel1 && at->focusPolicy() != Qt::NoFocus) order.push_back(at);
  }
  EXPECT_EQ(order, std::vector<const QWidget*>(std::begin(expected), std::end(expected)));
  ui->mnExit->trigger();
  EXPECT_FALSE(w.Main->isVisible());
}

TEST(Startup, MissingTablesLeaveListsEmpty) {
  ProgramFolder folder(SmallSource(), {"jazyky", "pseek"});
  Windows w(folder);
  QString message;  // what did not open is said once the window is up
  OnNextModal([&](QWidget* modal) {
    if (auto box = qobject_cast<QMessageBox*>(modal)) message = box->text();
    modal->close();
  });
  w.Main->show();
  EXPECT_EQ(w.Main->ui->lstJazyky->count(), 0);
  EXPECT_EQ(w.Main->ui->lstOkresy->count(), 10);
  EXPECT_EQ(w.Main->sbText->text(), QStringLiteral("0 records"));
  EXPECT_EQ(w.Main->size(), QSize(678, 600));
  // Typing into the edit of an empty list does nothing.
  QTest::keyClicks(w.Main->ui->txtJazyk, "an");
  EXPECT_EQ(w.Main->ui->lstJazyky->count(), 0);
  QTRY_VERIFY_WITH_TIMEOUT(message.contains(QStringLiteral("jazyky: ")), 10000);
}

TEST(Startup, TablesAreFoundWithoutRegardToCaseOfTheFolder) {
  ProgramFolder folder;
  std::filesystem::rename(folder.File("DATA"), folder.File("Data"));
  Windows w(folder);
  w.Main->show();
  EXPECT_EQ(w.Main->sbText->text(), QStringLiteral("7 records"));
}

TEST(About, LoadsTheRichTextAndClosesOnAnyKey) {
  ProgramFolder folder;
  Windows w(folder);
  w.Main->show();
  TwAbout* about = w.About.get();
  EXPECT_EQ(about->windowTitle(), QStringLiteral("Co je to K.A.R.O. ?"));
  EXPECT_EQ(about->ui->lblVer->text(), QStringLiteral("K.A.R.O. viewer\nver. 1.31\nNT patch"));
  EXPECT_TRUE(about->ui->reAbout->toPlainText().contains(QStringLiteral("K.A.R.O.")));
  EXPECT_EQ(about->ui->reAbout->lineWrapMode(), QTextEdit::NoWrap);
  EXPECT_EQ(about->ui->reAbout->textCursor().position(), 0);  // opens at the top
  for (const int key : {int(Qt::Key_A), int(Qt::Key_Return), int(Qt::Key_Escape)}) {
    SCOPED_TRACE(key);
    bool closed = false;
    OnNextModal([&](QWidget* modal) {
      EXPECT_EQ(modal, about);
      // The focus comes with the window's activation, which a loaded machine delays.
      for (int waited = 0; waited < 10000 && !about->ui->btOK->hasFocus(); waited += 10) QTest::qWait(10);
      EXPECT_TRUE(about->ui->btOK->hasFocus());
      QTest::keyClick(about->ui->btOK, static_cast<Qt::Key>(key), Qt::NoModifier);
      closed = !about->isVisible();
    });
    w.Main->mnAboutClick();
    EXPECT_TRUE(closed);
  }
}

TEST(About, TheLinkToTheGuideOpensTheHelpContents) {
  ProgramFolder folder;
  Windows w(folder);
  w.Main->show();
  if (HelpWindow* help = CurrentHelpWindow()) help->close();
  bool aboutClosed = false;
  OnNextModal([&](QWidget*) {
    QTextBrowser* text = w.About->ui->reAbout;
    QTextCursor link = text->document()->find(QString::fromUtf8("Podrobný návod"));
    ASSERT_FALSE(link.isNull());
    link.setPosition(link.selectionStart() + 3);
    text->setTextCursor(link);
    text->ensureCursorVisible();
    const QPoint at = text->cursorRect(link).center();
    QTest::mouseClick(text->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    aboutClosed = !w.About->isVisible();
    if (!aboutClosed) w.About->close();
  });
  w.Main->mnAboutClick();
  EXPECT_TRUE(aboutClosed);
  HelpWindow* help = CurrentHelpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_TRUE(help->Browser()->source().toLocalFile().endsWith(QStringLiteral("Tarvel.hlp")));
  EXPECT_EQ(help->Browser()->verticalScrollBar()->value(), 0);  // the contents, at the top
  help->close();
}

TEST(About, MissingFileIsReportedAndStartupGoesOn) {
  ProgramFolder folder;
  std::filesystem::remove(folder.File("data/about.rtff"));
  QString message;
  OnNextModal([&](QWidget* modal) {
    if (auto box = qobject_cast<QMessageBox*>(modal)) {
      message = box->text();
      box->accept();
    }
  });
  Windows w(folder);
  EXPECT_TRUE(message.contains(QStringLiteral("about.rtff"))) << message.toStdString();
  EXPECT_EQ(w.About->ui->lblVer->text(), QStringLiteral("verze"));  // the rest was skipped
  w.Main->show();
  EXPECT_EQ(w.Main->sbText->text(), QStringLiteral("7 records"));
}

TEST(Help, ContentsOpenAndAMissingFileGivesAMessage) {
  ProgramFolder folder;
  Windows w(folder);
  w.Main->show();
  EXPECT_EQ(gHelpFile, folder.Path() + QStringLiteral("Tarvel.hlp"));
  w.Main->ui->mnObsah->trigger();
  HelpWindow* help = CurrentHelpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->windowTitle(), QString::fromUtf8("Nápověda"));
  EXPECT_FALSE(help->Browser()->toPlainText().isEmpty());
  help->close();

  std::filesystem::remove(folder.File("Tarvel.hlp"));
  QString message;
  OnNextModal([&](QWidget* modal) {
    if (auto box = qobject_cast<QMessageBox*>(modal)) message = box->text();
    modal->close();
  });
  w.Main->ui->mnObsah->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !message.isEmpty(); }, 2000));
  EXPECT_TRUE(message.contains(QStringLiteral("Tarvel.hlp"))) << message.toStdString();
}

}  // namespace
}  // namespace karo::test
