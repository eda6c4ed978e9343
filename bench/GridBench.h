// The widget side of the benchmark: the result grid as the main window sets
// it up (one full repaint, a Page Down step, and a peer that draws the same
// cells with QPainter alone), and a pick list driven as the main window
// drives it while the user types into the edit above it.
#ifndef KARO_BENCH_GRIDBENCH_H
#define KARO_BENCH_GRIDBENCH_H

#include <QImage>
#include <QListWidget>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "Fdb.h"

class TfdbGrid;

namespace bench {

class GridBench {
 public:
  // A 1000 by 700 grid on the search table, with the main window's five
  // columns and its level colours, shown off screen.
  explicit GridBench(TfdbTable& search);
  ~GridBench();

  // After the table's current order changed, as the main window does.
  void Refresh();
  // The top, the middle or the end of the result in view (0, 1, 2).
  void Place(int where);
  // One full repaint of the grid.
  void Render();
  // The same visible cells (titles and texts) drawn straight with QPainter.
  void RenderPlain();
  // Page Down: the key and the repaint of the whole grid.
  void PageDown();
  int VisibleRows() const;
  int TopRow() const;
  // True when the plain drawing shows the texts the grid shows; else why not.
  bool SameCells(std::string* why);

 private:
  // Texts of the visible cells, as the plain drawing takes them.
  std::vector<QString> PlainTexts();

  TfdbTable& table_;
  std::unique_ptr<TfdbGrid> grid_;
  QImage image_;
  std::vector<int> fields_;  // field of grid columns 1..4
};

class PickListBench {
 public:
  // A list filled from the lookup table's field, as the main window fills it.
  PickListBench(TfdbTable& lookup, int field);
  // A change of the edit's text: the incremental search of the main window
  // (first entry starting with the text, moved to, selected, scrolled to).
  void Type(const QString& text);
  int CurrentRow() const { return list_.currentRow(); }
  int Count() const { return list_.count(); }

 private:
  TfdbTable& lookup_;
  int field_;
  QListWidget list_;
};

}  // namespace bench

#endif  // KARO_BENCH_GRIDBENCH_H
