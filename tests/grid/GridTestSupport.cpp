// Grids and tables for the grid tests, rendered to images.
#include "GridTestSupport.h"

#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QPainter>
#include <QTest>

namespace karo::test {

namespace {

const char* const kSurnames[] = {"Novák", "Dvořák", "Černý", "Procházka", "Kučera", "Veselý"};
const char* const kTowns[] = {"Brno", "Ústí nad Labem", "Písek", "Čáslav", "Třebíč"};

}  // namespace

void OpenSearchTable(const TestDir& dir, int count, TfdbTable* table) {
  std::vector<std::vector<FieldValue>> records;
  for (int i = 0; i < count; ++i) {
    records.push_back({FieldValue::Number(1000 + (7LL * i) % count), FieldValue::Number(1 + i % 5),
                       FieldValue::Text(W(kSurnames[i % 6])),
                       FieldValue::Text(W("Ordinace č. ") + std::to_string(i)),
                       FieldValue::Text(W(kTowns[i % 5])),
                       FieldValue::Text("Dlouha " + std::to_string(count - i))});
  }
  WriteTable(dir, "pseek",
             {{"id", 'N', 4}, {"uroven", 'N', 1}, {"jmeno", 'T', 0}, {"pracoviste", 'T', 0},
              {"obec", 'T', 0}, {"ulice", 'T', 0}},
             records);
  table->Dir = dir.Path();
  ASSERT_EQ(table->Open("pseek"), 0);
}

void SelectFirst(TfdbTable* table, int count) {
  table->BeginSelection();
  for (int i = 0; i < count; ++i) table->AddToSelection(i);
  table->SetOrder(1);
}

GridWindow::GridWindow() : window(std::make_unique<QWidget>()) {
  window->setFont(QFont("DejaVu Sans", 8));
  auto* layout = new QHBoxLayout(window.get());
  layout->setContentsMargins(0, 0, 0, 0);
  grid = new TfdbGrid(window.get());
  after = new QLineEdit(window.get());
  layout->addWidget(grid, 1);
  layout->addWidget(after);
  window->resize(700, 300);
  after->setFocus();  // the grid starts without the keyboard focus
  window->show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}

GridWindow::~GridWindow() = default;

void GridWindow::Bind(TfdbTable* table) {
  grid->Table = table;
  grid->SetColDefsCnt(5);
  grid->SetColDef(0, "dummy", "", 10);
  grid->SetColDef(1, "pracoviste", QString::fromUtf8("Pracoviště"), 150);
  grid->SetColDef(2, "jmeno", QString::fromUtf8("Příjmení"), 100);
  grid->SetColDef(3, "id", "Id", 80);
  grid->SetColDef(4, "ulice", "Ulice", 100);
  grid->RefreshGrid();
}

bool GridWindow::Focus() {
  window->activateWindow();
  if (!QTest::qWaitForWindowActive(window.get())) return false;
  grid->setFocus();
  return QTest::qWaitFor([this] { return grid->hasFocus(); });
}

QImage Render(TfdbGrid& grid) {
  return grid.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

std::pair<int, int> Ink(const QImage& image, const QRect& area, QRgb background) {
  std::pair<int, int> ink{-1, -1};
  for (int x = area.left(); x <= area.right(); ++x) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
      if ((image.pixel(x, y) & 0xFFFFFF) == (background & 0xFFFFFF)) continue;
      if (ink.first < 0) ink.first = x;
      ink.second = x;
    }
  }
  return ink;
}

std::pair<int, int> TextInk(const TfdbGrid& grid, const QString& text, QRgb background) {
  constexpr int kX = 10;  // room for a glyph reaching left of its origin
  const QFontMetrics metrics(grid.viewport()->font());
  QImage image(metrics.horizontalAdvance(text) + 4 * kX, metrics.height(), QImage::Format_RGB32);
  image.fill(background);
  QPainter p(&image);
  p.setFont(grid.viewport()->font());
  p.drawText(kX, metrics.ascent(), text);
  const std::pair<int, int> ink = Ink(image, image.rect(), background);
  return {ink.first - kX, ink.second - kX};
}

}  // namespace karo::test
