// The search from the window, the query description, sorting and the export.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <filesystem>
#include <unistd.h>

#include "Detail.h"
#include "Fdbgrid.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "Showquery.h"
#include "ui_Main.h"
#include "ui_Showquery.h"

namespace karo::test {
namespace {

class Result : public ::testing::Test {
 protected:
  void SetUp() override {
    w_ = std::make_unique<Windows>(folder_);
    w_->Main->show();
    ui_ = w_->Main->ui;
  }
  // Surnames of the grid's rows, as the grid reads them.
  std::vector<std::string> Surnames() {
    std::vector<std::string> names;
    TfdbTable& t = w_->Main->Pseek;
    for (uint32_t r = 0; r < t.CurCount(); ++r) names.push_back(t.GetStr(static_cast<int32_t>(r), 2));
    return names;
  }
  // Runs the export into `path`, answering the message box; returns its text.
  QString Export(const std::string& path) {
    w_->Main->exportFileChooser = [path] { return QString::fromStdString(path); };
    QString message;
    OnNextModal([&](QWidget* modal) {
      if (auto box = qobject_cast<QMessageBox*>(modal)) message = box->text();
      modal->close();
    });
    ui_->mnExport->trigger();
    return message;
  }
  ProgramFolder folder_;
  std::unique_ptr<Windows> w_;
  Ui::TwMain* ui_ = nullptr;
};

TEST_F(Result, SearchFromTheControlsFillsTheGridAndTheStatus) {
  EXPECT_EQ(w_->Main->Grid->RowCount(), 2);  // titles over one empty row before the first search
  QTest::mouseClick(ui_->btSeek, Qt::LeftButton);  // no filter: everything, in base order
  EXPECT_EQ(w_->Main->sbText->text(), QString::fromUtf8("7 / 7 záznamů"));
  EXPECT_EQ(w_->Main->Grid->RowCount(), 8);
  EXPECT_EQ(ui_->pgctrl01->currentWidget(), ui_->pgData);

  ui_->pgctrl01->setCurrentWidget(ui_->pgDotaz);
  QTest::keyClicks(ui_->txtObec, "  bre ");  // trimmed, ř folds to r
  QTest::mouseClick(ui_->btSeek, Qt::LeftButton);
  EXPECT_EQ(Surnames(), std::vector<std::string>{W("Nováková Eva")});

  // Two insurers (OR) and a specialty (AND).
  ui_->txtObec->clear();
  ui_->lstPojistovny->item(0)->setSelected(true);
  ui_->lstPojistovny->item(1)->setSelected(true);
  QTest::mouseClick(ui_->btSeek, Qt::LeftButton);
  EXPECT_EQ(w_->Main->sbText->text(), QString::fromUtf8("4 / 7 záznamů"));
  ui_->lstObory->item(1)->setSelected(true);
  QTest::mouseClick(ui_->btSeek, Qt::LeftButton);
  EXPECT_EQ(Surnames(), (std::vector<std::string>{W("Nováková Eva"), "Chalupa Karel"}));
  // A language nobody of them speaks.
  ui_->lstJazyky->item(2)->setSelected(true);
  QTest::mouseClick(ui_->btSeek, Qt::LeftButton);
  EXPECT_EQ(w_->Main->sbText->text(), QString::fromUtf8("0 / 7 záznamů"));
  EXPECT_EQ(w_->Main->Grid->RowCount(), 2);
  EXPECT_EQ(ui_->pgctrl01->currentWidget(), ui_->pgData);
}

TEST_F(Result, MarkerColumnShowsTheRecordLevel) {
  QTest::mouseClick(ui_->btSeek, Qt::LeftButton);
  TfdbGrid* grid = w_->Main->Grid;
  EXPECT_EQ(grid->ColWidth(1), 10);
  EXPECT_EQ(grid->ColWidth(2), 270);
  w_->Main->activateWindow();
  grid->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return grid->hasFocus(); }));
  ASSERT_EQ(grid->Row(), 1);
  const QImage image = grid->viewport()->grab().toImage();
  // Levels in base order: 1, 2, 3, 4, 2, 0, 5.
  const QRgb expected[] = {qRgb(255, 255, 255), qRgb(241, 244, 115), qRgb(0, 128, 255), qRgb(160, 242, 117),
                           qRgb(241, 244, 115), qRgb(255, 255, 255), qRgb(255, 255, 255)};
  for (int row = 1; row <= 7; ++row) {
    SCOPED_TRACE(row);
    const QRect cell = grid->CellRect(1, row);
    EXPECT_EQ(image.pixel(cell.center() * image.devicePixelRatio()), expected[row - 1]);
  }
  // The focused cell of another column takes the focus colour; level 1's marker stays white.
  grid->MoveCurrent(2, 1);
  const QImage focused = grid->viewport()->grab().toImage();
  EXPECT_EQ(focused.pixel(grid->CellRect(2, 1).center() + QPoint(0, 3)), qRgb(203, 201, 235));
  grid->MoveCurrent(1, 1);
  EXPECT_EQ(grid->viewport()->grab().toImage().pixel(grid->CellRect(1, 1).center()), qRgb(255, 255, 255));
  // A double click opens the detail, as the button does.
  bool opened = false;
  OnNextModal([&](QWidget* modal) {
    opened = modal == w_->Detail.get();
    modal->close();
  });
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, grid->CellRect(3, 2).center());
  EXPECT_TRUE(opened);
}

TEST_F(Result, QueryDescriptionDescribesTheControlsNow) {
  ui_->txtJmeno->setText("Nov");
  ui_->txtObec->setText("Brno");
  ui_->lstOkresy->item(1)->setSelected(true);
  ui_->lstOkresy->item(0)->setSelected(true);
  ui_->txtObor->setText("zub");  // the edits above the lists are not described
  ui_->lstObory->clearSelection();
  QString text;
  OnNextModal([&](QWidget* modal) {
    text = w_->Query->ui->mm01->toPlainText();
    QTest::keyClick(w_->Query->ui->mm01, Qt::Key_A);  // other keys do nothing
    EXPECT_TRUE(modal->isVisible());
    QTest::keyClick(w_->Query->ui->mm01, Qt::Key_Escape);
  });
  QTest::mouseClick(ui_->btShowQuery, Qt::LeftButton);
  EXPECT_FALSE(w_->Query->isVisible());
  EXPECT_EQ(text, QString::fromUtf8("Vybráni budou všichni poskytovatelé\n\njejichž jméno začíná na \n     Nov\n"
                                    "a obec začíná na \n     Brno\nv okresech\n     Benešov\n     Beroun"));
  EXPECT_EQ(w_->Query->windowTitle(), QStringLiteral("Dotaz"));
}

TEST_F(Result, SortByMenuAndTitleClick) {
  QTest::mouseClick(ui_->btSeek, Qt::LeftButton);
  QTest::mouseClick(ui_->butSort, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w_->Main->popSort->isVisible(); }));
  const QPoint expected = w_->Main->centralWidget()->mapToGlobal(QPoint(70, 47));
  EXPECT_EQ(w_->Main->popSort->pos(), expected);
  w_->Main->popSort->hide();
  w_->Main->ppSortClick(ui_->ppSortJmeno);
  // Czech order: Č after C, ch after h.
  EXPECT_EQ(Surnames(), (std::vector<std::string>{"Adam Ivo", W("Černá Jana"), W("Dvořák Petr"), "Chalupa Karel",
                                                  W("Novák Jan"), W("Nováková Eva"), "Zeman Olga"}));
  EXPECT_EQ(w_->Main->Pseek.SortField, 2);
  w_->Main->ppSortClick(ui_->ppSortObec);
  EXPECT_EQ(w_->Main->Pseek.SortField, 5);
  // A new search forgets the order.
  QTest::keyClick(ui_->pgctrl01, Qt::Key_F);  // nothing: only Enter means something
  ui_->pgctrl01->setCurrentWidget(ui_->pgDotaz);
  QTest::mouseClick(ui_->btSeek, Qt::LeftButton);
  EXPECT_EQ(w_->Main->Pseek.SortField, -9);
  EXPECT_EQ(Surnames().front(), W("Novák Jan"));
}

TEST_F(Result, AltSOpensTheSortMenuOnTheDataPageAndTheFileMenuOnTheFilterPage) {
  QTest::mouseClick(ui_->btSeek, Qt::LeftButton);
  w_->Main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w_->Main.get()));
  QMenu* popSort = w_->Main->popSort;
  // Every press, not only the first: the letter is the file menu's as well.
  for (int press = 1; press <= 3; ++press) {
    SCOPED_TRACE(press);
    QTest::keyClick(w_->Main.get(), Qt::Key_S, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return popSort->isVisible(); }, 1000));
    EXPECT_FALSE(ui_->Data1->isVisible());
    if (press < 3) popSort->hide();
  }
  // The sort is chosen with the arrows and Enter.
  QTest::keyClick(popSort, Qt::Key_Down);
  QTest::keyClick(popSort, Qt::Key_Down);
  QTest::keyClick(popSort, Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w_->Main->Pseek.SortField == 2; }, 1000));  // "dle Příjmení"
  EXPECT_EQ(Surnames().front(), "Adam Ivo");

  ui_->pgctrl01->setCurrentWidget(ui_->pgDotaz);
  QTest::keyClick(w_->Main.get(), Qt::Key_S, Qt::AltModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ui_->Data1->isVisible(); }, 1000));
  EXPECT_FALSE(popSort->isVisible());
  ui_->Data1->hide();
}

TEST_F(Result, ExportWritesTheCurrentOrderAndKeepsAFileOnFailure) {
  const std::string path = folder_.File("vystup.txt");
  EXPECT_EQ(Export(path), QString::fromUtf8("Export ukončen."));  // before any search: the header only
  EXPECT_EQ(ReadBytes(path), "PRACOVISTE\tJMENO\tULICE\tOBEC\tPSC\r\n");
  QTest::mouseClick(ui_->btSeek, Qt::LeftButton);
  w_->Main->ppSortClick(ui_->ppSortObec);
  EXPECT_EQ(Export(path), QString::fromUtf8("Export ukončen."));
  EXPECT_EQ(ReadBytes(path), "PRACOVISTE\tJMENO\tULICE\tOBEC\tPSC\r\n" +
                                 W("Praxe Adam\tAdam Ivo\tDlouhá 7\tAš\t100 00\r\n") +
                                 W("MUDr. Dvořák\tDvořák Petr\tŠkolní 3\tBeroun\t100 00\r\n") +
                                 W("Zubní Nováková\tNováková Eva\tNádražní 2\tBřeclav\t100 00\r\n") +
                                 W("Gynekologie Černá\tČerná Jana\tPolní 4\tCheb\t100 00\r\n") +
                                 W("Ambulance Chalupa\tChalupa Karel\tLesní 5\tChomutov\t100 00\r\n"));
  // An unwritable folder: the error, and the old file stays.
  const std::string before = ReadBytes(path);
  std::filesystem::permissions(folder_.File(""), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  const QString message = Export(path);
  std::filesystem::permissions(folder_.File(""), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  if (geteuid() != 0) {  // root writes anywhere
    EXPECT_TRUE(message.startsWith(QStringLiteral("ERROR : Soubor "))) << message.toStdString();
    EXPECT_EQ(ReadBytes(path), before);
  }
  EXPECT_EQ(Export(folder_.File("chybi/vystup.txt")),
            QString::fromStdString("ERROR : Soubor " + folder_.File("chybi/vystup.txt")) +
                QString::fromUtf8(" nelze otevřít."));
}

}  // namespace
}  // namespace karo::test
