// A small search-like table, a window holding a TfdbGrid bound to it, and
// pixel helpers for rendered grids.
#ifndef KARO_TESTS_GRID_GRIDTESTSUPPORT_H
#define KARO_TESTS_GRID_GRIDTESTSUPPORT_H

#include <QImage>
#include <QLineEdit>
#include <QWidget>
#include <memory>
#include <string>
#include <utility>

#include "Fdbgrid.h"
#include "TestDir.h"

namespace karo::test {

// Fields of the test table, by number.
enum SearchField { kId, kLevel, kName, kWorkplace, kTown, kStreet };

// Writes table "pseek" with `count` records: id 1000 + 7·i mod count (so the
// ids are not in base order), level 1 + i mod 5, a surname, a workplace, a
// town and a street, and opens it from the folder. Base order current.
void OpenSearchTable(const TestDir& dir, int count, TfdbTable* table);

// The selection holds the first `count` base-order records and is current.
void SelectFirst(TfdbTable* table, int count);

// A shown 700×300 window with the grid (fixed font) and a line edit after it.
struct GridWindow {
  GridWindow();
  ~GridWindow();
  // The five columns of the result grid: marker, workplace, surname, town,
  // street, bound to `table`, refreshed.
  void Bind(TfdbTable* table);
  // Gives the grid the keyboard focus and waits for it.
  bool Focus();

  std::unique_ptr<QWidget> window;
  TfdbGrid* grid = nullptr;
  QLineEdit* after = nullptr;
};

// The grid's viewport as painted now, in the cells' coordinates.
QImage Render(TfdbGrid& grid);

// First and last column within `area` holding a pixel other than
// `background`; {-1, -1} when every pixel matches.
std::pair<int, int> Ink(const QImage& image, const QRect& area, QRgb background);
// The same for `text` in the grid's font drawn at x = 0 on `background`.
std::pair<int, int> TextInk(const TfdbGrid& grid, const QString& text, QRgb background);

}  // namespace karo::test

#endif  // KARO_TESTS_GRID_GRIDTESTSUPPORT_H
