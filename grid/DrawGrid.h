// An owner-drawn grid on QAbstractScrollArea: one fixed (title) row and one
// fixed (indicator) column that stay in view, per-column widths, one height
// for every row, a current cell and a range selection, keyboard and mouse
// handling, and a draw-cell event called for every cell that is repainted.
//
// The grid stores nothing per row: the vertical scroll bar counts rows (its
// value is the number of scrollable rows above the view), so a grid of
// millions of rows costs a paint of the visible cells only. The horizontal
// scroll bar counts pixels of the scrollable columns.
//
// Coordinates given to and taken from the grid (MouseToCell, CellRect, the
// mouse-down event) are those of viewport(), where the cells are painted.
#ifndef KARO_GRID_DRAWGRID_H
#define KARO_GRID_DRAWGRID_H

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QFlags>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <functional>
#include <vector>

class QPainter;

namespace karo {

enum class GridOption {
  FixedVertLine = 0x0001,     // lines between fixed cells, vertical
  FixedHorzLine = 0x0002,     // lines between fixed cells, horizontal
  VertLine = 0x0004,          // lines between data cells, vertical
  HorzLine = 0x0008,          // lines between data cells, horizontal
  RangeSelect = 0x0010,       // dragging or Shift+keys select a range of cells
  DrawFocusSelected = 0x0020, // the current cell is passed as selected too
  RowSizing = 0x0040,         // kept for completeness: rows have one height
  ColSizing = 0x0080,         // dragging a title border resizes the column
  RowMoving = 0x0100,         // kept for completeness: rows are not moved
  ColMoving = 0x0200,         // kept for completeness: columns are not moved
  Editing = 0x0400,           // kept for completeness: the grid has no editor
  Tabs = 0x0800,              // Tab and Shift+Tab move between columns
  RowSelect = 0x1000,         // the selection always spans whole rows
  AlwaysShowEditor = 0x2000,  // kept for completeness: the grid has no editor
  ThumbTracking = 0x4000,     // the view follows the scroll bar thumb while dragged
};
Q_DECLARE_FLAGS(GridOptions, GridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(GridOptions)

// The state a cell is drawn in.
struct GridDrawState {
  bool Selected = false;  // inside the selection (the current cell only with DrawFocusSelected)
  bool Focused = false;   // the current cell, and the grid has the keyboard focus
  bool Fixed = false;     // in the fixed row or the fixed column
};

// A cell address; (-1, -1) for no cell.
struct GridCoord {
  int Col = -1;
  int Row = -1;
  bool operator==(const GridCoord& o) const { return Col == o.Col && Row == o.Row; }
  bool operator!=(const GridCoord& o) const { return !(*this == o); }
};

// An inclusive range of cells.
struct GridRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool Contains(int col, int row) const {
    return col >= Left && col <= Right && row >= Top && row <= Bottom;
  }
};

// What the mouse is doing in the grid.
enum class GridState { Normal, Selecting, ColSizing };

class DrawGrid : public QAbstractScrollArea {
  Q_OBJECT

 public:
  static constexpr int kFixedCols = 1;
  static constexpr int kFixedRows = 1;

  explicit DrawGrid(QWidget* parent = nullptr);
  ~DrawGrid() override;

  // Cells. Counts are at least 2 (the fixed one and one of data); a smaller
  // count is raised to 2. The current cell and the selection follow a shrink.
  int ColCount() const { return static_cast<int>(colWidths_.size()); }
  void SetColCount(int count);
  int RowCount() const { return rowCount_; }
  void SetRowCount(int count);

  // Sizes in pixels, without the grid lines. Negative widths count as 0.
  int ColWidth(int col) const;
  void SetColWidth(int col, int width);
  int DefaultColWidth() const { return defaultColWidth_; }
  // Applies to every column, as the default of columns added later.
  void SetDefaultColWidth(int width);
  int DefaultRowHeight() const { return rowHeight_; }
  // REQUIRES: height > 0 (smaller values are taken as 1).
  void SetDefaultRowHeight(int height);

  GridOptions Options() const { return options_; }
  void SetOptions(GridOptions options);
  // True: the grid fills each cell with a plain background before the
  // draw-cell event and draws the focus rectangle of the current cell after
  // it. False: the draw-cell event paints everything.
  bool DefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool on);

  // The current cell: always a data cell (column and row >= 1).
  int Col() const { return current_.Col; }
  int Row() const { return current_.Row; }
  void SetCol(int col) { MoveCurrent(col, current_.Row); }
  void SetRow(int row) { MoveCurrent(current_.Col, row); }
  // Moves the current cell (clamped to the data cells), makes it the whole
  // selection and scrolls it into view.
  void MoveCurrent(int col, int row);
  // The selection spanned by the current cell and the anchor (the other
  // corner); a single cell unless a range was selected.
  GridRect Selection() const;

  // First scrollable row and column in view, and how many rows fit fully.
  int TopRow() const;
  void SetTopRow(int row);
  int LeftCol() const;
  int VisibleRowCount() const;

  // The cell under a viewport point, or (-1, -1) outside every cell. A grid
  // line belongs to the cell before it.
  GridCoord MouseToCell(int x, int y) const;
  // Rectangle of the cell in viewport coordinates, without its grid lines;
  // a scrollable cell partly under a fixed one gets its whole rectangle. An
  // empty rectangle when the cell is out of view.
  QRect CellRect(int col, int row) const;
  GridState State() const { return state_; }

  // The dotted focus rectangle: every other pixel of the rectangle's border
  // (right and bottom exclusive) inverted, so drawing it twice removes it.
  static void DrawFocusRect(QPainter& canvas, const QRect& rect);

  // Events. OnDrawCell runs for every cell that is repainted, inside the
  // paint event, with the painter of the viewport. OnMouseDown runs after
  // the grid's own handling of a press (current cell, selection, column
  // sizing), for every button. OnDblClick runs on a left double click.
  std::function<void(QPainter& canvas, int col, int row, const QRect& rect,
                     GridDrawState state)>
      OnDrawCell;
  std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>
      OnMouseDown;
  std::function<void()> OnDblClick;

 protected:
  // Scroll ranges and page steps from the counts, sizes and viewport size.
  void UpdateGeometries();
  void scrollContentsBy(int dx, int dy) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  struct Span {
    int Index;  // column or row number
    int Start;  // viewport coordinate of the cell's first pixel
    int Size;   // pixels of the cell, without its line
  };
  int VLineWidth() const;
  int HLineWidth() const;
  int FixedWidth() const;   // fixed column with its line
  int FixedHeight() const;  // fixed row with its line
  int RowPitch() const { return rowHeight_ + HLineWidth(); }
  int64_t ScrollWidth() const;      // all scrollable columns with their lines
  int64_t ColContentLeft(int col) const;  // of a scrollable column, in scroll pixels
  int64_t ColLeftX(int col) const;        // viewport x of the column's first pixel
  std::vector<Span> VisibleCols(int from, int to) const;
  std::vector<Span> VisibleRows(int from, int to) const;
  void PaintArea(QPainter& p, const QRect& area, const std::vector<Span>& cols,
                 const std::vector<Span>& rows);
  int SizingBorderAt(int x, int y) const;
  void ScrollIntoView(int col, int row);
  void UpdateCell(int col, int row);
  void UpdateSelectionChange(const GridRect& before);
  void MoveAnchor(int col, int row);
  void ClampCurrent();
  void DragSelectTo(const QPoint& pos);

  std::vector<int> colWidths_;
  int rowCount_ = 5;
  int defaultColWidth_ = 64;
  int rowHeight_ = 24;
  GridOptions options_;
  bool defaultDrawing_ = true;
  GridCoord current_{1, 1};
  GridCoord anchor_{1, 1};
  GridState state_ = GridState::Normal;
  int sizingCol_ = -1;
  int sizingGrip_ = 0;  // mouse x minus the border's x when sizing began
  QPoint dragPos_;      // last mouse position while selecting
  QBasicTimer dragTimer_;
};

}  // namespace karo

#endif  // KARO_GRID_DRAWGRID_H
