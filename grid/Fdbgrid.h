// TfdbGrid: a grid that shows a TfdbTable's current order without copying it.
// Grid row r (r >= 1) shows the record at position r - 1 of the bound table's
// current order; grid column c (c >= 1) shows column definition c - 1; row 0
// is the title row and column 0 the indicator column. Every cell is fetched
// from the table when it is painted; the grid keeps no row state, so a sort
// or a new search changes the table and the grid only repaints.
#ifndef KARO_GRID_FDBGRID_H
#define KARO_GRID_FDBGRID_H

#include <QColor>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DrawGrid.h"
#include "Fdb.h"

// One data column. Texts are Windows-1250 bytes, like the table's.
struct TfdbGridColumnDef {
  int32_t FieldNo = -1;   // field number in Table; -1 while unresolved or absent
  std::string FieldName;  // resolved to FieldNo by RefreshGrid (case ignored)
  std::string Caption;    // title drawn in the header row
  bool AutoWidth = true;  // no explicit width given: SetColWidthToFit sizes it
};

class TfdbGrid : public karo::DrawGrid {
  Q_OBJECT

 public:
  // Cell colours.
  static constexpr QRgb kDataBackground = 0xFFFFFFFF;
  static constexpr QRgb kFocusBackground = 0xFFCBC9EB;
  static constexpr QRgb kFixedBackground = 0xFF80BFBF;
  static constexpr QRgb kBevelDark = 0xFF489191;   // bottom and right edges
  static constexpr QRgb kBevelLight = 0xFFD6F1F1;  // top and left edges
  static constexpr QRgb kArrowFill = 0xFFFCC25D;
  static constexpr QRgb kTextColour = 0xFF000000;  // also the arrow's outline

  // Called for every data cell before it is drawn: grid column (>= 1), grid
  // row (>= 1; the record is at row - 1), then in/out the background (white,
  // or the focus colour), the text colour (black), the text as it will be
  // drawn ("FDB_EOF" already made empty) and whether to draw the cell at all.
  using PrepareCellHook = std::function<void(TfdbGrid* sender, int col, int row, QColor& background,
                                             QColor& text_colour, QString& text, bool& draw)>;

  // Two columns, two rows, column 0 10 pixels wide, rows 18 pixels high, the
  // grid's own cell drawing and title clicks. The font is the owner's.
  explicit TfdbGrid(QWidget* owner);
  ~TfdbGrid() override;

  std::vector<TfdbGridColumnDef> ColDefs;  // empty: no column definitions
  TfdbTable* Table = nullptr;              // bound table; not owned
  PrepareCellHook OnPrepareCell;

  // Replaces the column definitions with n fresh ones and sets ColCount to
  // n + 1. False (with a message box) when they cannot be allocated: the grid
  // is then left without definitions and with its old column count.
  // REQUIRES: n >= 1 (a smaller n returns false and changes nothing).
  bool SetColDefsCnt(int n);
  // Sets definition `index` (shown in grid column index + 1): the field name
  // (as the table spells it); the caption unless it is empty; the width in
  // pixels unless it is 0, which marks the column for SetColWidthToFit
  // instead. The caption is kept in Windows-1250; a character the code page
  // cannot hold becomes '?'. False when there are no definitions or the
  // index is out of range.
  bool SetColDef(int index, const char* field_name, const QString& caption, int width);
  // One column per field of the bound table, titled with the field's name.
  void LoadColNamesFromTable();
  // Widths of the AutoWidth columns from their longest value or caption: 8
  // pixels a character for numbers longer than the caption, 5.5 otherwise.
  void SetColWidthToFit();
  // Resolves the field names and takes the row count from the table's
  // current order (at least 2 rows); keeps the current cell where it can.
  // Call after every change of the table's current order.
  void RefreshGrid();
  // Text of record `row` of the current order in definition `col`: "" for an
  // unresolved field or without table or definitions, "FDB_EOF" past the end.
  // A numeric text lives in the store's shared buffer: copy it before the
  // next read.
  const char* Get(int row, int col);
  // Sorts the table by the field of grid column `col` (>= 1) and repaints;
  // nothing for column 0, an unresolved field, or without table.
  void Sort(int col);

  // The grid's draw-cell and mouse-down events.
  void DrawCellEv(QPainter& canvas, int col, int row, const QRect& rect,
                  karo::GridDrawState state);
  void MouseDownEv(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

 private:
  const TfdbGridColumnDef* Def(int index) const;
  void DrawFixedCell(QPainter& canvas, int col, int row, const QRect& rect, int v);
  void DrawDataCell(QPainter& canvas, int col, int row, const QRect& rect, int v,
                    bool focused);
};

#endif  // KARO_GRID_FDBGRID_H
