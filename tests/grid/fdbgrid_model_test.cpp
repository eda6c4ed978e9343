// The column model, the binding to the table, title clicks and the current cell.
#include <gtest/gtest.h>

#include <QTest>
#include <string>

#include "GridTestSupport.h"

namespace karo::test {
namespace {

TEST(FdbGrid, RowCountFollowsTheCurrentOrderWithOneRowAtLeast) {
  TestDir dir;
  TfdbTable table;
  OpenSearchTable(dir, 300, &table);
  TfdbGrid grid(nullptr);
  EXPECT_EQ(grid.ColCount(), 2);
  EXPECT_EQ(grid.RowCount(), 2);
  grid.Table = &table;
  grid.RefreshGrid();  // no column definitions: nothing happens
  EXPECT_EQ(grid.RowCount(), 2);
  ASSERT_TRUE(grid.SetColDefsCnt(1));
  for (const auto& [found, rows] : {std::pair{0, 2}, {1, 2}, {250, 251}, {0, 2}}) {
    SCOPED_TRACE(found);
    SelectFirst(&table, found);
    grid.RefreshGrid();
    EXPECT_EQ(grid.RowCount(), rows);
  }
  table.SetOrder(0);
  grid.RefreshGrid();
  EXPECT_EQ(grid.RowCount(), 301);
}

TEST(FdbGrid, ColumnDefinitionsKeepCaptionsAndMarkAutoWidth) {
  TestDir dir;
  TfdbTable table;
  OpenSearchTable(dir, 5, &table);
  TfdbGrid grid(nullptr);
  grid.Table = &table;
  EXPECT_FALSE(grid.SetColDef(0, "obec", "Obec", 40));
  EXPECT_FALSE(grid.SetColDefsCnt(0));
  ASSERT_TRUE(grid.SetColDefsCnt(3));
  EXPECT_EQ(grid.ColCount(), 4);
  EXPECT_TRUE(grid.SetColDef(0, "dummy", "", 10));
  EXPECT_TRUE(grid.SetColDef(2, "OBEC", "Obec", 40));
  EXPECT_TRUE(grid.SetColDef(2, "OBEC", "", 0));
  EXPECT_FALSE(grid.SetColDef(3, "obec", "Obec", 40));
  const TfdbGridColumnDef& town = grid.ColDefs[2];
  EXPECT_EQ(town.Caption, "Obec");
  EXPECT_TRUE(town.AutoWidth);
  EXPECT_FALSE(grid.ColDefs[0].AutoWidth);
  EXPECT_EQ(grid.ColWidth(3), 40);
  EXPECT_EQ(grid.ColWidth(1), 10);
  EXPECT_EQ(town.FieldNo, -1);  // resolved by the next refresh, ignoring case
  grid.RefreshGrid();
  EXPECT_EQ(town.FieldNo, kTown);
  EXPECT_EQ(grid.ColDefs[0].FieldNo, -1);
  EXPECT_STREQ(grid.Get(2, 2), W("Písek").c_str());
  EXPECT_STREQ(grid.Get(3, 2), W("Čáslav").c_str());
  EXPECT_STREQ(grid.Get(2, 0), "");
  EXPECT_STREQ(grid.Get(5, 2), "FDB_EOF");

  grid.LoadColNamesFromTable();
  ASSERT_EQ(grid.ColCount(), 7);
  EXPECT_EQ(grid.ColDefs[kWorkplace].Caption, "pracoviste");
  EXPECT_EQ(grid.ColDefs[kId].FieldNo, kId);
  EXPECT_STREQ(grid.Get(0, kId), "1000");
}

TEST(FdbGrid, SetColWidthToFitCountsCharacters) {
  TestDir dir;
  WriteTable(dir, "fit", {{"obec", 'T', 0}, {"kod", 'N', 4}, {"velky", 'N', 4}},
             {{FieldValue::Text(W("Ústí nad Labem–Střekov").substr(0, 20)), FieldValue::Number(999),
               FieldValue::Number(2000000000)},
              {FieldValue::Text("Brno"), FieldValue::Number(7), FieldValue::Number(1)}});
  TfdbTable table;
  table.Dir = dir.Path();
  ASSERT_EQ(table.Open("fit"), 0);
  TfdbGrid grid(nullptr);
  grid.Table = &table;
  grid.SetColDefsCnt(5);
  grid.SetColDef(0, "obec", "Obec", 0);
  grid.SetColDef(1, "kod", "Kodik", 0);
  grid.SetColDef(2, "velky", "Kodik", 0);
  grid.SetColDef(3, "chybi", "Nazev", 0);
  grid.SetColDef(4, "obec", "Obec", 33);
  grid.RefreshGrid();
  grid.SetColWidthToFit();
  const int expected[] = {110, 27, 80, 27, 33};
  for (int c = 0; c < 5; ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(grid.ColWidth(c + 1), expected[c]);
  }
}

TEST(FdbGrid, LeftClickOnATitleSortsByItsColumn) {
  TestDir dir;
  TfdbTable table;
  OpenSearchTable(dir, 40, &table);
  GridWindow w;
  w.Bind(&table);
  for (int col : {-1, 0, 1}) w.grid->Sort(col);
  EXPECT_EQ(table.SortField, kFdbNotSorted);
  QWidget* vp = w.grid->viewport();
  const struct {
    int col, row;
    Qt::MouseButton button;
    int sorted;
  } clicks[] = {{0, 0, Qt::LeftButton, kFdbNotSorted},  {1, 0, Qt::LeftButton, kFdbNotSorted},
                {2, 0, Qt::LeftButton, kWorkplace},     {3, 0, Qt::LeftButton, kName},
                {4, 0, Qt::LeftButton, kId},            {5, 0, Qt::LeftButton, kStreet},
                {3, 0, Qt::RightButton, kFdbNotSorted}, {3, 2, Qt::LeftButton, kFdbNotSorted}};
  for (const auto& c : clicks) {
    SCOPED_TRACE(testing::Message() << "cell " << c.col << "," << c.row << " button " << c.button);
    SelectFirst(&table, 40);
    w.grid->RefreshGrid();
    QTest::mouseClick(vp, c.button, {}, w.grid->CellRect(c.col, c.row).center());
    EXPECT_EQ(table.SortField, c.sorted);
    if (c.sorted != kId) continue;
    for (int r = 1; r < 40; ++r) EXPECT_LT(table.GetNum(r - 1, kId), table.GetNum(r, kId));
  }
  EXPECT_EQ(w.grid->Row(), 2);  // the data click moved the current cell

  // A press on a title border starts sizing the column and does not sort.
  SelectFirst(&table, 40);
  const QRect title = w.grid->CellRect(3, 0);
  const QPoint border(title.right() + 1, title.center().y());
  QTest::mousePress(vp, Qt::LeftButton, {}, border);
  QTest::mouseMove(vp, border + QPoint(30, 0));
  QTest::mouseRelease(vp, Qt::LeftButton, {}, border + QPoint(30, 0));
  EXPECT_EQ(w.grid->ColWidth(3), 130);
  EXPECT_EQ(table.SortField, kFdbNotSorted);
}

TEST(FdbGrid, CurrentCellStaysAcrossSortAndNewResults) {
  TestDir dir;
  TfdbTable table;
  OpenSearchTable(dir, 300, &table);
  GridWindow w;
  w.Bind(&table);
  SelectFirst(&table, 250);
  w.grid->RefreshGrid();
  w.grid->MoveCurrent(4, 40);
  const std::string before = w.grid->Get(39, 3);
  w.grid->Sort(4);
  EXPECT_EQ(std::make_tuple(w.grid->Col(), w.grid->Row(), w.grid->RowCount()),
            std::make_tuple(4, 40, 251));
  EXPECT_NE(w.grid->Get(39, 3), before);
  SelectFirst(&table, 120);
  w.grid->RefreshGrid();
  EXPECT_EQ(w.grid->Row(), 40);
  SelectFirst(&table, 10);
  w.grid->RefreshGrid();
  EXPECT_EQ(w.grid->Row(), 10);
}

TEST(FdbGrid, CtrlEndReachesTheLastRecordOfALargeTable) {
  TestDir dir;
  TfdbTable table;
  OpenSearchTable(dir, 300'000, &table);
  GridWindow w;
  w.Bind(&table);
  table.SetOrder(0);
  w.grid->RefreshGrid();
  int last_drawn = 0;
  w.grid->OnPrepareCell = [&](TfdbGrid*, int, int row, QColor&, QColor&, QString&, bool&) {
    last_drawn = std::max(last_drawn, row);
  };
  ASSERT_TRUE(w.Focus());
  QTest::keyClick(w.grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(w.grid->Row(), 300'000);
  EXPECT_EQ(w.grid->Col(), 5);
  EXPECT_EQ(w.grid->TopRow(), 300'001 - w.grid->VisibleRowCount());
  Render(*w.grid);
  EXPECT_EQ(last_drawn, 300'000);
  QTest::keyClick(w.grid, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(std::make_pair(w.grid->Row(), w.grid->TopRow()), std::make_pair(1, 1));
}

}  // namespace
}  // namespace karo::test
