// The filter page: incremental search in the pick lists, clearing, Enter.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QListWidget>
#include <QTest>
#include <QToolTip>

#include "Detail.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "ui_Main.h"

namespace karo::test {
namespace {

class Filter : public ::testing::Test {
 protected:
  void SetUp() override {
    w_ = std::make_unique<Windows>(folder_);
    w_->Main->show();
    ui_ = w_->Main->ui;
  }
  std::vector<int> SelectedRows(const QListWidget* list) {
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i)
      if (list->item(i)->isSelected()) rows.push_back(i);
    return rows;
  }
  ProgramFolder folder_;
  std::unique_ptr<Windows> w_;
  Ui::TwMain* ui_ = nullptr;
};

TEST_F(Filter, IncrementalSearchMovesOneSelection) {
  QListWidget* list = ui_->lstOkresy;
  // Districts: Benešov, Beroun, Blansko, Brno-město, Břeclav, Bruntál, " Bystřice", Česká Lípa, Cheb, Chomutov.
  QTest::keyClicks(ui_->txtOkres, "b");  // item 0 already current: nothing is selected
  EXPECT_EQ(list->currentRow(), 0);
  EXPECT_EQ(SelectedRows(list), std::vector<int>{});
  QTest::keyClicks(ui_->txtOkres, "r");  // "br": Brno-město
  EXPECT_EQ(list->currentRow(), 3);
  EXPECT_EQ(SelectedRows(list), std::vector<int>{3});
  QTest::keyClicks(ui_->txtOkres, "e");  // "bre": Břeclav, ř folds to r; Brno loses its selection
  EXPECT_EQ(list->currentRow(), 4);
  EXPECT_EQ(SelectedRows(list), std::vector<int>{4});
  QTest::keyClicks(ui_->txtOkres, "x");  // no match: unchanged
  EXPECT_EQ(list->currentRow(), 4);
  EXPECT_EQ(SelectedRows(list), std::vector<int>{4});
  // Another item selected by hand keeps its selection; only the current item loses it.
  list->item(8)->setSelected(true);
  ui_->txtOkres->setText("ch");
  EXPECT_EQ(list->currentRow(), 8);  // Cheb: c-h, not Č
  EXPECT_EQ(SelectedRows(list), std::vector<int>{8});
  ui_->txtOkres->setText(QString::fromUtf8("č"));
  EXPECT_EQ(list->currentRow(), 7);
  EXPECT_EQ(SelectedRows(list), (std::vector<int>{7}));
  // Deleting the text moves the selection to item 0.
  ui_->txtOkres->selectAll();
  QTest::keyClick(ui_->txtOkres, Qt::Key_Backspace);
  EXPECT_EQ(list->currentRow(), 0);
  EXPECT_EQ(SelectedRows(list), std::vector<int>{0});
  // A leading space is part of the prefix.
  ui_->txtOkres->setText(" b");
  EXPECT_EQ(list->currentRow(), 6);
  // A character that Windows-1250 cannot hold matches nothing.
  ui_->txtOkres->setText(QString::fromUtf8("中"));
  EXPECT_EQ(list->currentRow(), 6);
  // Languages are searched in their only field.
  QTest::keyClicks(ui_->txtJazyk, "ne");
  EXPECT_EQ(ui_->lstJazyky->currentRow(), 1);
  EXPECT_EQ(SelectedRows(ui_->lstJazyky), std::vector<int>{1});
  // The surname edit has no list.
  QTest::keyClicks(ui_->txtJmeno, "nov");
  EXPECT_EQ(SelectedRows(ui_->lstOkresy), std::vector<int>{6});
}

TEST_F(Filter, ClearButtonsAndClearAll) {
  ui_->txtOkres->setText("ch");
  ui_->lstOkresy->item(2)->setSelected(true);
  ui_->lstPojistovny->item(1)->setSelected(true);
  ui_->lstPojistovny->item(2)->setSelected(true);
  QTest::mouseClick(ui_->butXOkres, Qt::LeftButton);
  EXPECT_EQ(ui_->txtOkres->text(), "");
  EXPECT_EQ(SelectedRows(ui_->lstOkresy), std::vector<int>{});
  EXPECT_EQ(ui_->lstOkresy->currentRow(), 0);  // the empty text moved the list to item 0
  EXPECT_EQ(SelectedRows(ui_->lstPojistovny), (std::vector<int>{1, 2}));
  QTest::mouseClick(ui_->butXPojistovna, Qt::LeftButton);
  EXPECT_EQ(SelectedRows(ui_->lstPojistovny), std::vector<int>{});

  ui_->txtJmeno->setText("Nov");
  ui_->txtPracoviste->setText("Ord");
  ui_->txtObec->setText("Brno");
  ui_->txtObor->setText("zub");
  ui_->txtTypZarizeni->setText("zub");
  ui_->lstJazyky->item(2)->setSelected(true);
  ui_->lstRubriky->item(1)->setSelected(true);
  const QString status = w_->Main->sbText->text();
  QTest::mouseClick(ui_->btClear, Qt::LeftButton);
  for (QLineEdit* edit : {ui_->txtJmeno, ui_->txtPracoviste, ui_->txtObec, ui_->txtOkres, ui_->txtObor,
                          ui_->txtRubrika, ui_->txtJazyk, ui_->txtTypZarizeni}) {
    EXPECT_EQ(edit->text(), "") << edit->objectName().toStdString();
  }
  for (QListWidget* list : {ui_->lstOkresy, ui_->lstObory, ui_->lstRubriky, ui_->lstPojistovny, ui_->lstJazyky,
                            ui_->lstTypZarizeni}) {
    EXPECT_EQ(SelectedRows(list), std::vector<int>{}) << list->objectName().toStdString();
  }
  EXPECT_EQ(ui_->pgctrl01->currentWidget(), ui_->pgDotaz);
  EXPECT_EQ(w_->Main->sbText->text(), status);
}

// The tooltip a list shows for its item `row` (empty: none).
QString ToolTipOf(QListWidget* list, int row) {
  const QPoint at = list->visualItemRect(list->item(row)).center();
  QHelpEvent event(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
  QApplication::sendEvent(list->viewport(), &event);
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST(PickLists, ItemsCutShortShowTheirWholeTextAsTooltip) {
  // One long entry at the end of each lookup list.
  auto source = SmallSource();
  const std::string lengthy = "Velmi dlouhý název položky který se do seznamu nevejde";
  source["okresy.csv"] += "D99," + lengthy + "\n";
  source["obory.csv"] += "999," + lengthy + "\n";
  source["rubriky.csv"] += "R9," + lengthy + ",1\n";
  source["jazyky.csv"] += lengthy + "\n";
  source["pojistovny.csv"] += "999," + lengthy + "\n";
  source["typzarizeni.csv"] += "999," + lengthy + "\n";
  ProgramFolder folder(source);
  Windows w(folder);
  w.Main->show();
  w.Main->activateWindow();
  const Ui::TwMain* ui = w.Main->ui;
  for (QListWidget* list : {ui->lstOkresy, ui->lstObory, ui->lstRubriky, ui->lstPojistovny, ui->lstJazyky,
                            ui->lstTypZarizeni}) {
    SCOPED_TRACE(list->objectName().toStdString());
    const int last = list->count() - 1;
    list->scrollToItem(list->item(last));
    EXPECT_EQ(ToolTipOf(list, last), QString::fromStdString(lengthy));
    // An item that is shown whole has none.
    list->scrollToItem(list->item(0));
    EXPECT_NE(ToolTipOf(list, 0), list->item(0)->text());
    EXPECT_EQ(list->sizeHintForRow(0), 13);
  }
}

TEST_F(Filter, EnterSearchesOnTheFilterPageAndOpensTheDetailOnTheDataPage) {
  ui_->txtJmeno->setFocus();
  QTest::keyClicks(ui_->txtJmeno, "nov");
  QTest::keyClick(ui_->txtJmeno, Qt::Key_Return);
  EXPECT_EQ(ui_->pgctrl01->currentWidget(), ui_->pgData);
  EXPECT_EQ(w_->Main->sbText->text(), QString::fromUtf8("2 / 7 záznamů"));
  EXPECT_EQ(ui_->txtJmeno->text(), "nov");  // the key went to the window, not the edit
  bool opened = false;
  OnNextModal([&](QWidget* modal) {
    opened = modal == w_->Detail.get();
    modal->close();
  });
  QTest::keyClick(ui_->pgctrl01, Qt::Key_Enter);
  EXPECT_TRUE(opened);

  // An empty result: Enter on the data page does nothing.
  ui_->pgctrl01->setCurrentWidget(ui_->pgDotaz);
  ui_->txtJmeno->setText("xyz");
  QTest::keyClick(ui_->lstOkresy, Qt::Key_Return);
  EXPECT_EQ(w_->Main->sbText->text(), QString::fromUtf8("0 / 7 záznamů"));
  QTest::keyClick(ui_->pgctrl01, Qt::Key_Return);
  EXPECT_FALSE(w_->Detail->isVisible());
}

}  // namespace
}  // namespace karo::test
