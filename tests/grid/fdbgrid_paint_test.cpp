// What the grid paints, read back from a rendering of its viewport.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QTest>

#include "GridTestSupport.h"
#include "QtText.h"

namespace karo::test {
namespace {

constexpr QRgb kWhite = TfdbGrid::kDataBackground;
constexpr QRgb kFixed = TfdbGrid::kFixedBackground;
constexpr QRgb kDark = TfdbGrid::kBevelDark;
constexpr QRgb kLight = TfdbGrid::kBevelLight;
constexpr QRgb kBlack = TfdbGrid::kTextColour;
constexpr QRgb kFill = TfdbGrid::kArrowFill;

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000; }

// Pixels given relative to a corner of a cell, with their expected colour.
struct Probe {
  int dx, dy;
  QRgb colour;
};

void ExpectPixels(const QImage& image, QPoint corner, std::initializer_list<Probe> probes) {
  for (const Probe& p : probes) {
    SCOPED_TRACE(testing::Message() << "pixel " << p.dx << "," << p.dy << " from " << corner.x()
                                    << "," << corner.y());
    EXPECT_EQ(At(image, corner.x() + p.dx, corner.y() + p.dy), p.colour | 0xFF000000);
  }
}

struct PaintTest : testing::Test {
  void SetUp() override {
    OpenSearchTable(dir, 40, &table);
    w.Bind(&table);
    SelectFirst(&table, 40);
    w.grid->RefreshGrid();
  }
  QString Text(int row, int col) { return FromCp1250(w.grid->Get(row - 1, col - 1)); }

  TestDir dir;
  TfdbTable table;
  GridWindow w;
};

TEST_F(PaintTest, FixedCellsAreBevelledAndTextsKeepTheirMargins) {
  const QImage image = Render(*w.grid);
  for (const QRect& cell : {w.grid->CellRect(2, 0), w.grid->CellRect(0, 3)}) {
    const int r = cell.width() - 1, b = cell.height() - 1;
    ExpectPixels(image, cell.topLeft(),
                 {{0, 0, kLight}, {r, 0, kLight}, {1, 0, kLight}, {0, b - 1, kLight},
                  {0, b, kDark}, {r, b, kDark}, {1, b, kDark}, {r, 1, kDark}, {r - 1, 1, kFixed}});
  }
  const QFontMetrics metrics(w.grid->viewport()->font());
  const QRect title = w.grid->CellRect(2, 0).adjusted(1, 1, -1, -1);
  const QString caption = QString::fromUtf8("Pracoviště");
  EXPECT_EQ(Ink(image, title, kFixed).first, title.left() + 2 + TextInk(*w.grid, caption, kFixed).first);

  const QRect text = w.grid->CellRect(2, 1);
  EXPECT_EQ(Ink(image, text, kWhite).first, text.left() + 3 + TextInk(*w.grid, Text(1, 2), kWhite).first);
  const QRect number = w.grid->CellRect(4, 1);
  const int end = number.left() + number.width() - 3 - metrics.horizontalAdvance(Text(1, 4));
  EXPECT_EQ(Ink(image, number, kWhite).second, end + TextInk(*w.grid, Text(1, 4), kWhite).second);
}

TEST_F(PaintTest, SortArrowMarksTheSortedTitleUntilTheNextSearch) {
  w.grid->Sort(3);
  QImage image = Render(*w.grid);
  const QRect sorted = w.grid->CellRect(3, 0);
  const QPoint corner(sorted.left() + sorted.width(), sorted.top() + sorted.height());
  ExpectPixels(image, corner,
               {{-7, -4, kBlack},  {-9, -6, kBlack},  {-11, -8, kBlack}, {-9, -14, kBlack},
                {-5, -14, kBlack}, {-5, -10, kBlack}, {-3, -8, kBlack},  {-5, -6, kBlack},
                {-7, -10, kFill},  {-8, -13, kFill},  {-6, -7, kFill},   {-7, -5, kFill},
                {-6, -4, kFixed},  {-8, -4, kFixed},  {-12, -8, kFixed}, {-2, -8, kFixed},
                {-10, -9, kFixed}, {-7, -15, kFixed}});
  const QRect other = w.grid->CellRect(2, 0);
  const QPoint other_corner(other.left() + other.width(), other.top() + other.height());
  ExpectPixels(image, other_corner, {{-7, -10, kFixed}, {-7, -4, kFixed}});

  SelectFirst(&table, 20);
  w.grid->RefreshGrid();
  image = Render(*w.grid);
  ExpectPixels(image, corner, {{-7, -10, kFixed}, {-7, -4, kFixed}});
}

TEST_F(PaintTest, OnlyTheFocusedCellTakesTheFocusColour) {
  ASSERT_TRUE(w.Focus());
  QWidget* vp = w.grid->viewport();
  // A dragged range: only the current cell is coloured.
  QTest::mousePress(vp, Qt::LeftButton, {}, w.grid->CellRect(5, 2).center());
  QTest::mouseMove(vp, w.grid->CellRect(5, 4).center());
  QTest::mouseRelease(vp, Qt::LeftButton, {}, w.grid->CellRect(5, 4).center());
  ASSERT_EQ(w.grid->Selection().Bottom, 4);

  const QRgb inverted = ~TfdbGrid::kFocusBackground;
  QImage image = Render(*w.grid);
  const QRect cell = w.grid->CellRect(5, 2);
  const int r = cell.width() - 1;
  ExpectPixels(image, cell.topLeft(),
               {{r - 1, 2, TfdbGrid::kFocusBackground}, {0, 0, inverted}, {0, 2, inverted},
                {1, 0, TfdbGrid::kFocusBackground}, {0, 1, TfdbGrid::kFocusBackground}});
  ExpectPixels(image, w.grid->CellRect(5, 3).topLeft(), {{r - 1, 2, kWhite}, {0, 0, kWhite}});

  w.after->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.grid->hasFocus(); }));
  image = Render(*w.grid);
  ExpectPixels(image, cell.topLeft(), {{r - 1, 2, kWhite}, {0, 0, kWhite}, {0, 2, kWhite}});
}

TEST_F(PaintTest, EmptyResultsAndMissingDefinitionsDrawNoText) {
  SelectFirst(&table, 0);
  w.grid->RefreshGrid();
  ASSERT_EQ(w.grid->RowCount(), 2);
  const QImage image = Render(*w.grid);
  for (int c = 1; c < w.grid->ColCount(); ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(Ink(image, w.grid->CellRect(c, 1), kWhite).first, -1);
  }

  GridWindow bare;
  bare.grid->Table = &table;
  table.SetOrder(0);
  bare.grid->RefreshGrid();
  const QImage blank = Render(*bare.grid);
  for (int y = 0; y < blank.height(); ++y) {
    for (int x = 0; x < blank.width(); ++x) {
      const QRgb p = At(blank, x, y);
      ASSERT_TRUE(p == kWhite || p == 0xFF000000 || p == 0xFFC0C0C0) << x << "," << y;
    }
  }
}

TEST_F(PaintTest, PrepareCellHookColoursAndHidesCells) {
  std::vector<std::string> entry;
  w.grid->OnPrepareCell = [&](TfdbGrid* sender, int col, int row, QColor& background,
                              QColor& text_colour, QString& text, bool& draw) {
    if (col == 3 && row == 2) {
      entry = {std::to_string(sender == w.grid), background.name().toStdString(),
               text_colour.name().toStdString(), text.toStdString(), std::to_string(draw)};
    }
    if (col == 5 && row == 3) draw = false;
    if (col != 1) return;
    text = "XXXX";  // no field behind the marker column: never shown
    const QRgb colours[] = {0, 0xFFFFFFFF, 0xFFF1F473, 0xFF0080FF, 0xFFA0F275};
    const int level = sender->Table->GetNum(row - 1, kLevel);
    if (level >= 1 && level <= 4) background = QColor::fromRgb(colours[level]);
  };
  ASSERT_TRUE(w.Focus());
  w.grid->MoveCurrent(1, 1);
  QImage image = Render(*w.grid);
  EXPECT_EQ(entry, (std::vector<std::string>{"1", "#ffffff", "#000000", Text(2, 3).toStdString(), "1"}));
  const QRgb marker[] = {0xFFFFFFFF, 0xFFF1F473, 0xFF0080FF, 0xFFA0F275, 0xFFFFFFFF};
  for (int row = 1; row <= 5; ++row) {
    SCOPED_TRACE(row);
    const QRect cell = w.grid->CellRect(1, row);
    EXPECT_EQ(At(image, cell.center().x(), cell.center().y()), marker[row - 1]);
    EXPECT_EQ(Ink(image, cell.adjusted(1, 1, -1, -1), marker[row - 1]).first, -1);
  }
  EXPECT_EQ(Ink(image, w.grid->CellRect(5, 3), kWhite).first, -1);

  // A hidden cell still gets the focus rectangle when it is current.
  w.grid->MoveCurrent(5, 3);
  image = Render(*w.grid);
  ExpectPixels(image, w.grid->CellRect(5, 3).topLeft(), {{0, 0, kBlack}, {1, 0, kWhite}});
}

}  // namespace
}  // namespace karo::test
