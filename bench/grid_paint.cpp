// Paint cost of the result grid over a table of 5,000,000 records: one full
// repaint at the top, the middle and the end of the result, and one Page Down
// step. Run with QT_QPA_PLATFORM=offscreen where there is no display.
//
//   grid_paint [records]
#include <stdlib.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "Fdbgrid.h"
#include "TableWriter.h"

namespace {

using Clock = std::chrono::steady_clock;

void Key(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(widget, &press);
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Average milliseconds of `step` over `runs` runs, after one run to warm up.
double Average(int runs, const std::function<void()>& step) {
  step();
  const auto start = Clock::now();
  for (int i = 0; i < runs; ++i) step();
  return Ms(Clock::now() - start) / runs;
}

bool WriteSearchTable(const std::string& dir, int count) {
  static const char* const kNames[] = {"Nov\xE1k", "Dvo\xF8\xE1k", "\xC8" "ern\xFD", "Proch\xE1zka",
                                       "Ku\xE8" "era", "Vesel\xFD", "Hor\xE1k", "N\xEBmec"};
  static const char* const kTowns[] = {"Brno", "\xDAst\xED nad Labem", "P\xEDsek", "\xC8\xE1slav",
                                       "T\xF8" "eb\xED\xE8", "Praha 4", "Ostrava"};
  karo::TableWriter writer({{"id", 'N', 4}, {"uroven", 'N', 1}, {"jmeno", 'T', 0},
                            {"pracoviste", 'T', 0}, {"ulice", 'T', 0}, {"obec", 'T', 0}});
  std::string error;
  for (int i = 0; i < count; ++i) {
    using V = karo::FieldValue;
    const std::vector<V> record = {
        V::Number(100000 + i), V::Number(1 + i % 4), V::Text(kNames[i % 8]),
        V::Text("Ordinace praktick\xE9ho l\xE9ka\xF8" "e " + std::to_string(i)),
        V::Text("N\xE1m\xEBst\xED " + std::to_string(i % 977)), V::Text(kTowns[i % 7])};
    if (!writer.Add(record, &error)) {
      std::fprintf(stderr, "grid_paint: %s\n", error.c_str());
      return false;
    }
  }
  if (!writer.Write(dir, "pseek", {}, &error)) {
    std::fprintf(stderr, "grid_paint: %s\n", error.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int records = argc > 1 ? std::atoi(argv[1]) : 5'000'000;

  std::string dir = (std::filesystem::temp_directory_path() / "karo-bench-XXXXXX").string();
  if (!mkdtemp(dir.data())) {
    std::fprintf(stderr, "grid_paint: cannot create a temporary folder\n");
    return 1;
  }
  dir += "/";
  struct Cleanup {
    std::string path;
    ~Cleanup() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  } cleanup{dir};

  auto start = Clock::now();
  if (!WriteSearchTable(dir, records)) return 1;
  std::printf("table of %d records written in %.0f ms\n", records, Ms(Clock::now() - start));

  TfdbTable table;
  table.Dir = dir;
  start = Clock::now();
  if (table.Open("pseek") != 0) {
    std::fprintf(stderr, "grid_paint: cannot open the table\n");
    return 1;
  }
  table.BeginSelection();
  table.SelectAll();
  table.SetOrder(1);
  std::printf("opened and selected in %.0f ms\n", Ms(Clock::now() - start));

  TfdbGrid grid(nullptr);
  grid.setFont(QFont("DejaVu Sans", 8));
  grid.resize(1000, 700);
  grid.Table = &table;
  grid.SetColDefsCnt(5);
  grid.SetColDef(0, "dummy", "", 10);
  grid.SetColDef(1, "pracoviste", QString::fromUtf8("Pracoviště"), 270);
  grid.SetColDef(2, "jmeno", QString::fromUtf8("Příjmení"), 180);
  grid.SetColDef(3, "obec", "Obec", 140);
  grid.SetColDef(4, "ulice", "Ulice", 150);
  // The marker colours, as the main window sets them.
  grid.OnPrepareCell = [](TfdbGrid* sender, int col, int row, QColor& background, QColor&,
                          QString&, bool&) {
    if (col != 1) return;
    static const QRgb colours[] = {0, 0xFFFFFFFF, 0xFFF1F473, 0xFF0080FF, 0xFFA0F275};
    const int level = sender->Table->GetNum(row - 1, 1);
    if (level >= 1 && level <= 4) background = QColor::fromRgb(colours[level]);
  };
  grid.RefreshGrid();
  grid.show();
  QApplication::processEvents();
  grid.setFocus();

  QImage image(grid.size(), QImage::Format_ARGB32_Premultiplied);
  auto full_repaint = [&] { grid.render(&image); };
  const int runs = 100;
  std::printf("grid %dx%d, %d rows in view, RowCount %d\n", grid.width(), grid.height(),
              grid.VisibleRowCount(), grid.RowCount());

  grid.SetTopRow(1);
  std::printf("full repaint, top:    %.3f ms\n", Average(runs, full_repaint));
  grid.MoveCurrent(3, grid.RowCount() / 2);
  std::printf("full repaint, middle: %.3f ms (top row %d)\n", Average(runs, full_repaint),
              grid.TopRow());
  Key(&grid, Qt::Key_End, Qt::ControlModifier);
  std::printf("full repaint, end:    %.3f ms (top row %d)\n", Average(runs, full_repaint),
              grid.TopRow());

  Key(&grid, Qt::Key_Home, Qt::ControlModifier);
  const double page_down = Average(runs, [&] {
    Key(&grid, Qt::Key_PageDown);
    grid.viewport()->repaint();
  });
  std::printf("Page Down step (key + repaint on screen): %.3f ms (top row %d)\n", page_down,
              grid.TopRow());
  const double page_render = Average(runs, [&] {
    Key(&grid, Qt::Key_PageDown);
    grid.render(&image);
  });
  std::printf("Page Down step (key + full render):       %.3f ms (top row %d)\n", page_render,
              grid.TopRow());
  return 0;
}
