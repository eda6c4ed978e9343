// The owner-drawn grid: geometry, scrolling, current cell, keys and mouse, painting.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <memory>
#include <set>

#include "DrawGrid.h"

namespace karo {
namespace {

// A shown window with a grid of 4 columns (10, 50, 60, 70 pixels), rows of
// 20 pixels, and a line edit after the grid.
struct Host {
  explicit Host(int rows) : window(std::make_unique<QWidget>()) {
    auto* layout = new QHBoxLayout(window.get());
    grid = new DrawGrid(window.get());
    after = new QLineEdit(window.get());
    layout->addWidget(grid, 1);
    layout->addWidget(after);
    grid->SetColCount(4);
    const int widths[] = {10, 50, 60, 70};
    for (int c = 0; c < 4; ++c) grid->SetColWidth(c, widths[c]);
    grid->SetDefaultRowHeight(20);
    grid->SetRowCount(rows);
    grid->OnDrawCell = [this](QPainter&, int col, int row, const QRect&, GridDrawState) {
      drawn.insert({col, row});
      ++calls;
    };
    window->resize(400, 300);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  bool Focus() {
    window->activateWindow();
    grid->setFocus();
    return QTest::qWaitFor([this] { return grid->hasFocus(); });
  }
  void Paint() {
    drawn.clear();
    calls = 0;
    grid->viewport()->grab();
  }
  QPoint Centre(int col, int row) const { return grid->CellRect(col, row).center(); }

  std::unique_ptr<QWidget> window;
  DrawGrid* grid = nullptr;
  QLineEdit* after = nullptr;
  std::set<std::pair<int, int>> drawn;
  int calls = 0;
};

TEST(DrawGrid, HitTestAndCellRectsAgreeWhileScrolled) {
  Host host(1000);
  DrawGrid& g = *host.grid;
  // Each cell is followed by a one-pixel line that belongs to it.
  EXPECT_EQ(g.CellRect(0, 0), QRect(0, 0, 10, 20));
  EXPECT_EQ(g.CellRect(2, 1), QRect(62, 21, 60, 20));
  const struct {
    int x, y, col, row;
  } cases[] = {{0, 0, 0, 0},    {10, 20, 0, 0},   {11, 21, 1, 1},   {61, 41, 1, 1},
               {62, 42, 2, 2},  {193, 5, 3, 0},   {194, 5, -1, -1}, {-1, 5, -1, -1},
               {5, -1, -1, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    EXPECT_EQ(g.MouseToCell(c.x, c.y), (GridCoord{c.col, c.row}));
  }
  g.SetTopRow(500);
  EXPECT_EQ(g.TopRow(), 500);
  EXPECT_EQ(g.MouseToCell(30, 21), (GridCoord{1, 500}));
  EXPECT_EQ(g.MouseToCell(5, 21 + 21 * 3), (GridCoord{0, 503}));
  EXPECT_EQ(g.CellRect(1, 503), QRect(11, 21 + 21 * 3, 50, 20));
  EXPECT_TRUE(g.CellRect(1, 499).isEmpty());
}

TEST(DrawGrid, PaintsOnlyTheCellsInViewWhateverTheRowCount) {
  Host small(50), large(5'000'000);
  small.Paint();
  large.Paint();
  EXPECT_EQ(small.calls, large.calls);
  EXPECT_EQ(large.calls, static_cast<int>(large.drawn.size()));
  const int rows_in_view = large.grid->viewport()->height() / 21 + 1;
  EXPECT_LE(large.calls, 4 * (rows_in_view + 1));

  ASSERT_TRUE(large.Focus());
  QTest::keyClick(large.grid, Qt::Key_End, Qt::ControlModifier);
  large.Paint();
  EXPECT_LE(large.calls, small.calls);  // the last row ends the view: no partial row
  EXPECT_EQ(large.drawn.rbegin()->second, 4'999'999);
  EXPECT_EQ(large.drawn.count({3, 4'999'999}), 1u);
}

TEST(DrawGrid, KeysMoveTheCurrentCellOnAHugeGrid) {
  Host host(5'000'000);
  DrawGrid& g = *host.grid;
  ASSERT_TRUE(host.Focus());
  const int page = g.VisibleRowCount();
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    int col, row, top;
  } steps[] = {
      {Qt::Key_Up, Qt::NoModifier, 1, 1, 1},
      {Qt::Key_Left, Qt::NoModifier, 1, 1, 1},
      {Qt::Key_Down, Qt::NoModifier, 1, 2, 1},
      {Qt::Key_Right, Qt::NoModifier, 2, 2, 1},
      {Qt::Key_End, Qt::NoModifier, 3, 2, 1},
      {Qt::Key_Home, Qt::NoModifier, 1, 2, 1},
      {Qt::Key_PageDown, Qt::NoModifier, 1, 2 + page, 1 + page},
      {Qt::Key_PageUp, Qt::NoModifier, 1, 2, 1},
      {Qt::Key_End, Qt::ControlModifier, 3, 4'999'999, 5'000'000 - page},
      {Qt::Key_PageDown, Qt::NoModifier, 3, 4'999'999, 5'000'000 - page},
      {Qt::Key_PageUp, Qt::ControlModifier, 3, 5'000'000 - page, 5'000'000 - page},
      {Qt::Key_Home, Qt::ControlModifier, 1, 1, 1},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(testing::Message() << "key " << s.key << " to row " << s.row);
    QTest::keyClick(&g, s.key, s.mods);
    EXPECT_EQ(g.Col(), s.col);
    EXPECT_EQ(g.Row(), s.row);
    EXPECT_EQ(g.TopRow(), s.top);
  }
  // Shift extends the selection; the current cell stays.
  QTest::keyClick(&g, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(&g, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(g.Row(), 1);
  const GridRect sel = g.Selection();
  EXPECT_EQ(std::make_tuple(sel.Left, sel.Top, sel.Right, sel.Bottom), std::make_tuple(1, 1, 2, 2));
}

TEST(DrawGrid, TabLeavesTheGridUnlessTabsAreOn) {
  Host host(10);
  ASSERT_TRUE(host.Focus());
  QTest::keyClick(host.grid, Qt::Key_Tab);
  EXPECT_TRUE(host.after->hasFocus());

  host.grid->SetOptions(host.grid->Options() | GridOption::Tabs);
  ASSERT_TRUE(host.Focus());
  QTest::keyClick(host.grid, Qt::Key_Tab);
  EXPECT_TRUE(host.grid->hasFocus());
  EXPECT_EQ(host.grid->Col(), 2);
}

TEST(DrawGrid, MouseMovesTheCurrentCellAndDragsARange) {
  Host host(100);
  DrawGrid& g = *host.grid;
  QWidget* vp = g.viewport();
  std::vector<GridCoord> at_mouse_down;
  int double_clicks = 0;
  g.OnMouseDown = [&](Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    at_mouse_down.push_back({g.Col(), g.Row()});
  };
  g.OnDblClick = [&] { ++double_clicks; };
  QTest::mousePress(vp, Qt::LeftButton, {}, host.Centre(1, 2));
  EXPECT_EQ(g.State(), GridState::Selecting);
  QTest::mouseMove(vp, host.Centre(3, 5));
  QTest::mouseRelease(vp, Qt::LeftButton, {}, host.Centre(3, 5));
  const GridRect sel = g.Selection();
  EXPECT_EQ(std::make_tuple(sel.Left, sel.Top, sel.Right, sel.Bottom), std::make_tuple(1, 2, 3, 5));
  EXPECT_EQ(g.State(), GridState::Normal);
  QTest::mouseClick(vp, Qt::RightButton, {}, host.Centre(2, 3));  // moves nothing
  QTest::mouseDClick(vp, Qt::LeftButton, {}, host.Centre(1, 2));
  EXPECT_EQ(double_clicks, 1);
  // The event comes after the grid has moved the current cell.
  EXPECT_EQ(at_mouse_down, (std::vector<GridCoord>{{1, 2}, {1, 2}}));
}

TEST(DrawGrid, MovingTheCurrentCellRepaintsOnlyTheTwoCells) {
  Host host(100);
  ASSERT_TRUE(host.Focus());
  QTest::qWait(50);
  host.drawn.clear();
  host.calls = 0;
  QTest::keyClick(host.grid, Qt::Key_Down);
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.calls > 0; }));
  EXPECT_EQ(host.drawn, (std::set<std::pair<int, int>>{{1, 1}, {1, 2}}));
}

TEST(DrawGrid, FocusRectInvertsEveryOtherBorderPixelAndUndoesItself) {
  QImage image(20, 12, QImage::Format_RGB32);
  image.fill(QColor(0x20, 0x40, 0x80));
  const QImage before = image;
  const QRect rect(2, 3, 9, 6);  // right and bottom exclusive: pixels 2..10, 3..8
  {
    QPainter p(&image);
    DrawGrid::DrawFocusRect(p, rect);
  }
  const QRgb inverted = qRgb(0xDF, 0xBF, 0x7F);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const bool border = rect.contains(x, y) && (x == 2 || x == 10 || y == 3 || y == 8);
      const bool dot = border && (x - 2 + y - 3) % 2 == 0;
      SCOPED_TRACE(testing::Message() << x << "," << y);
      EXPECT_EQ(image.pixel(x, y), dot ? inverted : before.pixel(x, y));
    }
  }
  {
    QPainter p(&image);
    DrawGrid::DrawFocusRect(p, rect);
  }
  EXPECT_EQ(image, before);
}

}  // namespace
}  // namespace karo
