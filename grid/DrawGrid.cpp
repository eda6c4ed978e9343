// The owner-drawn grid on QAbstractScrollArea: geometry, scrolling, painting, mouse and keys.
#include "DrawGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cstdlib>

namespace karo {

namespace {

constexpr QRgb kFixedLineColour = 0xFF000000;  // lines around fixed cells
constexpr QRgb kLineColour = 0xFFC0C0C0;       // lines between data cells
constexpr int kSizingMargin = 2;  // pixels either side of a title border that grab it
constexpr int kDragScrollMs = 50;

int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }

int ClampToInt(int64_t value) {
  return static_cast<int>(std::max<int64_t>(INT_MIN, std::min<int64_t>(value, INT_MAX)));
}

}  // namespace

DrawGrid::DrawGrid(QWidget* parent) : QAbstractScrollArea(parent), colWidths_(5, 64) {
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  options_ = GridOption::FixedVertLine | GridOption::FixedHorzLine | GridOption::VertLine |
             GridOption::HorzLine | GridOption::RangeSelect;
  verticalScrollBar()->setTracking(false);
  horizontalScrollBar()->setTracking(false);
  UpdateGeometries();
}

DrawGrid::~DrawGrid() = default;

void DrawGrid::SetColCount(int count) {
  colWidths_.resize(static_cast<size_t>(std::max(count, kFixedCols + 1)), defaultColWidth_);
  ClampCurrent();
  UpdateGeometries();
  viewport()->update();
}

void DrawGrid::SetRowCount(int count) {
  rowCount_ = std::max(count, kFixedRows + 1);
  ClampCurrent();
  UpdateGeometries();
  viewport()->update();
}

int DrawGrid::ColWidth(int col) const {
  if (col < 0 || col >= ColCount()) return 0;
  return colWidths_[static_cast<size_t>(col)];
}

void DrawGrid::SetColWidth(int col, int width) {
  if (col < 0 || col >= ColCount()) return;
  colWidths_[static_cast<size_t>(col)] = std::max(width, 0);
  UpdateGeometries();
  viewport()->update();
}

void DrawGrid::SetDefaultColWidth(int width) {
  defaultColWidth_ = std::max(width, 0);
  std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
  UpdateGeometries();
  viewport()->update();
}

void DrawGrid::SetDefaultRowHeight(int height) {
  rowHeight_ = std::max(height, 1);
  UpdateGeometries();
  viewport()->update();
}

void DrawGrid::SetOptions(GridOptions options) {
  options_ = options;
  const bool tracking = options_.testFlag(GridOption::ThumbTracking);
  verticalScrollBar()->setTracking(tracking);
  horizontalScrollBar()->setTracking(tracking);
  UpdateGeometries();
  viewport()->update();
}

void DrawGrid::SetDefaultDrawing(bool on) {
  defaultDrawing_ = on;
  viewport()->update();
}

// --- geometry ---------------------------------------------------------------

int DrawGrid::VLineWidth() const {
  return options_ & (GridOption::VertLine | GridOption::FixedVertLine) ? 1 : 0;
}

int DrawGrid::HLineWidth() const {
  return options_ & (GridOption::HorzLine | GridOption::FixedHorzLine) ? 1 : 0;
}

int DrawGrid::FixedWidth() const { return colWidths_[0] + VLineWidth(); }
int DrawGrid::FixedHeight() const { return rowHeight_ + HLineWidth(); }

int64_t DrawGrid::ScrollWidth() const { return ColContentLeft(ColCount()); }

int64_t DrawGrid::ColContentLeft(int col) const {
  int64_t left = 0;
  for (int c = kFixedCols; c < col && c < ColCount(); ++c) {
    left += colWidths_[static_cast<size_t>(c)] + VLineWidth();
  }
  return left;
}

int64_t DrawGrid::ColLeftX(int col) const {
  if (col < kFixedCols) return 0;
  return FixedWidth() + ColContentLeft(col) - horizontalScrollBar()->value();
}

int DrawGrid::VisibleRowCount() const {
  const int avail = viewport()->height() - FixedHeight();
  const int full = avail >= rowHeight_ ? (avail - rowHeight_) / RowPitch() + 1 : 0;
  return std::max(full, 1);
}

void DrawGrid::UpdateGeometries() {
  const int page = VisibleRowCount();
  const int scroll_rows = rowCount_ - kFixedRows;
  QScrollBar* v = verticalScrollBar();
  v->setRange(0, std::max(scroll_rows - page, 0));
  v->setPageStep(page);
  v->setSingleStep(1);

  const int avail = std::max(viewport()->width() - FixedWidth(), 0);
  QScrollBar* h = horizontalScrollBar();
  h->setRange(0, ClampToInt(std::max<int64_t>(ScrollWidth() - avail, 0)));
  h->setPageStep(std::max(avail, 1));
  h->setSingleStep(std::max(defaultColWidth_ / 4, 1));
}

int DrawGrid::TopRow() const { return kFixedRows + verticalScrollBar()->value(); }

void DrawGrid::SetTopRow(int row) {
  verticalScrollBar()->setValue(std::max(row, kFixedRows) - kFixedRows);
}

int DrawGrid::LeftCol() const {
  const int64_t offset = horizontalScrollBar()->value();
  int64_t left = 0;
  for (int c = kFixedCols; c < ColCount(); ++c) {
    left += colWidths_[static_cast<size_t>(c)] + VLineWidth();
    if (left > offset) return c;
  }
  return ColCount() - 1;
}

std::vector<DrawGrid::Span> DrawGrid::VisibleCols(int from, int to) const {
  std::vector<Span> spans;
  int64_t x = FixedWidth() - int64_t{horizontalScrollBar()->value()};
  for (int c = kFixedCols; c < ColCount() && x < to; ++c) {
    const int w = colWidths_[static_cast<size_t>(c)];
    if (x + w + VLineWidth() > from) spans.push_back({c, static_cast<int>(x), w});
    x += w + VLineWidth();
  }
  return spans;
}

std::vector<DrawGrid::Span> DrawGrid::VisibleRows(int from, int to) const {
  std::vector<Span> spans;
  const int fixed = FixedHeight();
  if (to <= fixed) return spans;
  const int top = TopRow();
  const int pitch = RowPitch();
  const int64_t first = int64_t{top} + std::max(from - fixed, 0) / pitch;
  const int64_t last = std::min<int64_t>(int64_t{top} + (to - 1 - fixed) / pitch, rowCount_ - 1);
  for (int64_t r = first; r <= last; ++r) {
    spans.push_back({static_cast<int>(r), fixed + static_cast<int>(r - top) * pitch, rowHeight_});
  }
  return spans;
}

GridCoord DrawGrid::MouseToCell(int x, int y) const {
  GridCoord cell;
  if (x < 0 || y < 0 || x >= viewport()->width() || y >= viewport()->height()) return cell;
  if (x < FixedWidth()) {
    cell.Col = 0;
  } else {
    const int64_t content = x - FixedWidth() + int64_t{horizontalScrollBar()->value()};
    int64_t right = 0;
    for (int c = kFixedCols; c < ColCount(); ++c) {
      right += colWidths_[static_cast<size_t>(c)] + VLineWidth();
      if (content < right) {
        cell.Col = c;
        break;
      }
    }
  }
  if (y < FixedHeight()) {
    cell.Row = 0;
  } else {
    const int64_t row = int64_t{TopRow()} + (y - FixedHeight()) / RowPitch();
    if (row < rowCount_) cell.Row = static_cast<int>(row);
  }
  if (cell.Col < 0 || cell.Row < 0) return GridCoord{};
  return cell;
}

QRect DrawGrid::CellRect(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= rowCount_) return QRect();
  const int64_t x = ColLeftX(col);
  if (col >= kFixedCols && x + ColWidth(col) <= FixedWidth()) return QRect();
  int64_t y = 0;
  if (row >= kFixedRows) {
    if (row < TopRow()) return QRect();
    y = FixedHeight() + int64_t{row - TopRow()} * RowPitch();
  }
  if (x >= viewport()->width() || y >= viewport()->height()) return QRect();
  return QRect(static_cast<int>(x), static_cast<int>(y), ColWidth(col), rowHeight_);
}

GridRect DrawGrid::Selection() const {
  GridRect r{std::min(current_.Col, anchor_.Col), std::min(current_.Row, anchor_.Row),
             std::max(current_.Col, anchor_.Col), std::max(current_.Row, anchor_.Row)};
  if (options_.testFlag(GridOption::RowSelect)) {
    r.Left = kFixedCols;
    r.Right = ColCount() - 1;
  }
  return r;
}

// --- painting ---------------------------------------------------------------

void DrawGrid::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  const QRect damaged = event->rect();
  const QRect view = viewport()->rect();
  const int fw = std::min(FixedWidth(), view.width());
  const int fh = std::min(FixedHeight(), view.height());
  const std::vector<Span> fixed_col{{0, 0, colWidths_[0]}};
  const std::vector<Span> fixed_row{{0, 0, rowHeight_}};
  const std::vector<Span> cols = VisibleCols(std::max(damaged.left(), fw), damaged.right() + 1);
  const std::vector<Span> rows = VisibleRows(std::max(damaged.top(), fh), damaged.bottom() + 1);

  const QRect body(fw, fh, view.width() - fw, view.height() - fh);
  PaintArea(p, damaged & QRect(0, 0, fw, fh), fixed_col, fixed_row);
  PaintArea(p, damaged & QRect(fw, 0, view.width() - fw, fh), cols, fixed_row);
  PaintArea(p, damaged & QRect(0, fh, fw, view.height() - fh), fixed_col, rows);
  PaintArea(p, damaged & body, cols, rows);
}

void DrawGrid::PaintArea(QPainter& p, const QRect& area, const std::vector<Span>& cols,
                         const std::vector<Span>& rows) {
  if (area.isEmpty() || cols.empty() || rows.empty()) return;
  p.setClipRect(area);
  const bool focus = hasFocus();
  const GridRect selection = Selection();
  const bool focus_selected = options_.testFlag(GridOption::DrawFocusSelected);
  for (const Span& row : rows) {
    for (const Span& col : cols) {
      const QRect rect(col.Start, row.Start, col.Size, row.Size);
      if (rect.isEmpty() || !rect.intersects(area)) continue;
      const bool current = col.Index == current_.Col && row.Index == current_.Row;
      GridDrawState state;
      state.Fixed = col.Index < kFixedCols || row.Index < kFixedRows;
      state.Focused = current && focus;
      state.Selected = !state.Fixed && selection.Contains(col.Index, row.Index) &&
                       (!current || focus_selected);
      p.save();
      if (defaultDrawing_) {
        const QPalette::ColorRole role = state.Fixed      ? QPalette::Button
                                         : state.Selected ? QPalette::Highlight
                                                          : QPalette::Base;
        p.fillRect(rect, palette().color(role));
      }
      if (OnDrawCell) OnDrawCell(p, col.Index, row.Index, rect, state);
      if (defaultDrawing_ && state.Focused) DrawFocusRect(p, rect);
      p.restore();
    }
  }

  // Grid lines: right and bottom of every cell, the crossings drawn by both.
  const int vline = VLineWidth();
  const int hline = HLineWidth();
  for (const Span& row : rows) {
    for (const Span& col : cols) {
      const bool fixed = col.Index < kFixedCols || row.Index < kFixedRows;
      const bool vert = options_.testFlag(fixed ? GridOption::FixedVertLine : GridOption::VertLine);
      const bool horz = options_.testFlag(fixed ? GridOption::FixedHorzLine : GridOption::HorzLine);
      const QColor colour = QColor::fromRgb(fixed ? kFixedLineColour : kLineColour);
      if (vert && vline > 0) {
        p.fillRect(QRect(col.Start + col.Size, row.Start, vline, row.Size + hline), colour);
      }
      if (horz && hline > 0) {
        p.fillRect(QRect(col.Start, row.Start + row.Size, col.Size + vline, hline), colour);
      }
    }
  }
}

void DrawGrid::DrawFocusRect(QPainter& canvas, const QRect& rect) {
  if (rect.isEmpty()) return;
  const int left = rect.left(), top = rect.top();
  const int right = left + rect.width() - 1, bottom = top + rect.height() - 1;
  QPolygon dots;
  // Every other pixel of the border, counted from the top-left corner, each once.
  auto dot = [&](int x, int y) {
    if (((x - left) + (y - top)) % 2 == 0) dots << QPoint(x, y);
  };
  for (int x = left; x <= right; ++x) dot(x, top);
  if (bottom > top) {
    for (int x = left; x <= right; ++x) dot(x, bottom);
  }
  for (int y = top + 1; y < bottom; ++y) {
    dot(left, y);
    if (right > left) dot(right, y);
  }
  canvas.save();
  canvas.setRenderHint(QPainter::Antialiasing, false);
  const QPaintEngine* engine = canvas.paintEngine();
  if (engine && engine->hasFeature(QPaintEngine::RasterOpModes)) {
    canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  } else {
    canvas.setCompositionMode(QPainter::CompositionMode_Difference);
  }
  canvas.setPen(QPen(QColor(255, 255, 255), 0));
  canvas.drawPoints(dots);
  canvas.restore();
}

// --- scrolling --------------------------------------------------------------

void DrawGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateGeometries();
}

void DrawGrid::scrollContentsBy(int dx, int dy) {
  QWidget* vp = viewport();
  if (dx != 0 && dy != 0) {
    vp->update();
    return;
  }
  if (dy != 0) {
    const QRect rows(0, FixedHeight(), vp->width(), std::max(vp->height() - FixedHeight(), 0));
    const int64_t pixels = int64_t{dy} * RowPitch();
    if (pixels >= rows.height() || -pixels >= rows.height()) {
      vp->update(rows);
    } else {
      vp->scroll(0, static_cast<int>(pixels), rows);
    }
  }
  if (dx != 0) {
    const QRect cols(FixedWidth(), 0, std::max(vp->width() - FixedWidth(), 0), vp->height());
    if (dx >= cols.width() || -dx >= cols.width()) {
      vp->update(cols);
    } else {
      vp->scroll(dx, 0, cols);
    }
  }
}

void DrawGrid::ScrollIntoView(int col, int row) {
  const int top = TopRow();
  const int page = VisibleRowCount();
  if (row < top) {
    SetTopRow(row);
  } else if (row >= int64_t{top} + page) {
    SetTopRow(row - page + 1);
  }
  if (col < kFixedCols) return;
  QScrollBar* h = horizontalScrollBar();
  const int64_t left = ColContentLeft(col);
  const int64_t right = left + ColWidth(col);
  const int avail = std::max(viewport()->width() - FixedWidth(), 0);
  if (left < h->value()) {
    h->setValue(ClampToInt(left));
  } else if (right > int64_t{h->value()} + avail) {
    h->setValue(ClampToInt(std::min(left, right - avail)));
  }
}

// --- current cell and selection ---------------------------------------------

void DrawGrid::ClampCurrent() {
  current_.Col = Clamp(current_.Col, kFixedCols, ColCount() - 1);
  current_.Row = Clamp(current_.Row, kFixedRows, rowCount_ - 1);
  anchor_.Col = Clamp(anchor_.Col, kFixedCols, ColCount() - 1);
  anchor_.Row = Clamp(anchor_.Row, kFixedRows, rowCount_ - 1);
}

void DrawGrid::UpdateCell(int col, int row) {
  const QRect rect = CellRect(col, row);
  if (!rect.isEmpty()) viewport()->update(rect);
}

void DrawGrid::UpdateSelectionChange(const GridRect& before) {
  const GridRect after = Selection();
  const bool single = before.Left == before.Right && before.Top == before.Bottom &&
                      after.Left == after.Right && after.Top == after.Bottom;
  if (!single) {
    viewport()->update();
    return;
  }
  UpdateCell(before.Left, before.Top);
  UpdateCell(after.Left, after.Top);
}

void DrawGrid::MoveCurrent(int col, int row) {
  const GridRect before = Selection();
  current_ = {Clamp(col, kFixedCols, ColCount() - 1), Clamp(row, kFixedRows, rowCount_ - 1)};
  anchor_ = current_;
  ScrollIntoView(current_.Col, current_.Row);
  UpdateSelectionChange(before);
}

void DrawGrid::MoveAnchor(int col, int row) {
  if (!options_.testFlag(GridOption::RangeSelect)) {
    MoveCurrent(col, row);
    return;
  }
  const GridRect before = Selection();
  anchor_ = {Clamp(col, kFixedCols, ColCount() - 1), Clamp(row, kFixedRows, rowCount_ - 1)};
  ScrollIntoView(anchor_.Col, anchor_.Row);
  UpdateSelectionChange(before);
}

// --- keyboard ---------------------------------------------------------------

bool DrawGrid::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress && options_.testFlag(GridOption::Tabs)) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      keyPressEvent(key);
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

void DrawGrid::keyPressEvent(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const bool extend = (event->modifiers() & Qt::ShiftModifier) &&
                      options_.testFlag(GridOption::RangeSelect);
  const bool row_select = options_.testFlag(GridOption::RowSelect);
  const GridCoord from = extend ? anchor_ : current_;
  // Wide enough for a page past the last row of the largest grid.
  int64_t col = from.Col;
  int64_t row = from.Row;
  const int last_col = ColCount() - 1;
  const int last_row = rowCount_ - 1;
  const int page = VisibleRowCount();
  switch (event->key()) {
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_Left:
    case Qt::Key_Right:
      if (row_select) {
        horizontalScrollBar()->triggerAction(event->key() == Qt::Key_Left
                                                 ? QAbstractSlider::SliderSingleStepSub
                                                 : QAbstractSlider::SliderSingleStepAdd);
        return;
      }
      col += event->key() == Qt::Key_Left ? -1 : 1;
      break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
      const bool down = event->key() == Qt::Key_PageDown;
      if (ctrl) {
        row = down ? int64_t{TopRow()} + page - 1 : TopRow();
      } else {
        // The view moves by a page and the current row with it.
        SetTopRow(ClampToInt(int64_t{TopRow()} + (down ? page : -page)));
        row += down ? page : -page;
      }
      break;
    }
    case Qt::Key_Home:
      if (ctrl || row_select) row = kFixedRows;
      col = kFixedCols;
      break;
    case Qt::Key_End:
      if (ctrl || row_select) row = last_row;
      col = last_col;
      break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
      const bool back = event->key() == Qt::Key_Backtab ||
                        (event->modifiers() & Qt::ShiftModifier);
      if (!options_.testFlag(GridOption::Tabs)) {
        event->ignore();
        return;
      }
      col = current_.Col + (back ? -1 : 1);
      row = current_.Row;
      if (col > last_col && row < last_row) {
        col = kFixedCols;
        ++row;
      } else if (col < kFixedCols && row > kFixedRows) {
        col = last_col;
        --row;
      }
      MoveCurrent(ClampToInt(col), ClampToInt(row));
      return;
    }
    default:
      event->ignore();
      return;
  }
  if (extend) {
    MoveAnchor(ClampToInt(col), ClampToInt(row));
  } else {
    MoveCurrent(ClampToInt(col), ClampToInt(row));
  }
}

// --- mouse ------------------------------------------------------------------

int DrawGrid::SizingBorderAt(int x, int y) const {
  if (y < 0 || y >= FixedHeight()) return -1;
  int best = -1;
  int best_distance = kSizingMargin + 1;
  const int border0 = colWidths_[0];
  if (std::abs(x - border0) < best_distance) {
    best = 0;
    best_distance = std::abs(x - border0);
  }
  int64_t border = FixedWidth() - int64_t{horizontalScrollBar()->value()};
  for (int c = kFixedCols; c < ColCount(); ++c) {
    border += colWidths_[static_cast<size_t>(c)];
    if (border > x + kSizingMargin) break;
    const int distance = static_cast<int>(std::abs(x - border));
    if (border >= FixedWidth() && distance <= best_distance) {
      best = c;
      best_distance = distance;
    }
    border += VLineWidth();
  }
  return best;
}

void DrawGrid::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
  if (event->button() == Qt::LeftButton) {
    const int border =
        options_.testFlag(GridOption::ColSizing) ? SizingBorderAt(pos.x(), pos.y()) : -1;
    if (border >= 0) {
      state_ = GridState::ColSizing;
      sizingCol_ = border;
      sizingGrip_ = ClampToInt(pos.x() - (ColLeftX(border) + ColWidth(border)));
    } else {
      const GridCoord cell = MouseToCell(pos.x(), pos.y());
      if (cell.Col >= kFixedCols && cell.Row >= kFixedRows) {
        if ((event->modifiers() & Qt::ShiftModifier) && options_.testFlag(GridOption::RangeSelect)) {
          MoveAnchor(cell.Col, cell.Row);
        } else {
          MoveCurrent(cell.Col, cell.Row);
        }
        if (options_.testFlag(GridOption::RangeSelect)) {
          state_ = GridState::Selecting;
          dragPos_ = pos;
        }
      }
    }
  }
  if (OnMouseDown) OnMouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
}

void DrawGrid::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  switch (state_) {
    case GridState::ColSizing: {
      SetColWidth(sizingCol_, ClampToInt(pos.x() - sizingGrip_ - ColLeftX(sizingCol_)));
      break;
    }
    case GridState::Selecting: {
      dragPos_ = pos;
      DragSelectTo(pos);
      const bool outside = !viewport()->rect().contains(pos) || pos.x() < FixedWidth() ||
                           pos.y() < FixedHeight();
      if (outside && !dragTimer_.isActive()) dragTimer_.start(kDragScrollMs, this);
      if (!outside) dragTimer_.stop();
      break;
    }
    case GridState::Normal: {
      const bool grip = options_.testFlag(GridOption::ColSizing) &&
                        SizingBorderAt(pos.x(), pos.y()) >= 0;
      if (grip) {
        viewport()->setCursor(Qt::SplitHCursor);
      } else {
        viewport()->unsetCursor();
      }
      break;
    }
  }
}

void DrawGrid::DragSelectTo(const QPoint& pos) {
  const QRect view = viewport()->rect();
  if (view.isEmpty()) return;
  const int x = Clamp(pos.x(), std::min(FixedWidth(), view.right()), view.right());
  const int y = Clamp(pos.y(), std::min(FixedHeight(), view.bottom()), view.bottom());
  GridCoord cell = MouseToCell(x, y);
  // Past the last column or row the drag selects up to it.
  if (cell.Col < 0) {
    cell = MouseToCell(std::min(x, FixedWidth()), y);
    if (cell.Row >= 0) cell.Col = ColCount() - 1;
  }
  if (cell.Row < 0) {
    const GridCoord top = MouseToCell(x, std::min(y, FixedHeight()));
    cell = {top.Col >= 0 ? top.Col : ColCount() - 1, rowCount_ - 1};
  }
  if (cell.Col < kFixedCols || cell.Row < kFixedRows) return;
  if (cell.Col != anchor_.Col || cell.Row != anchor_.Row) MoveAnchor(cell.Col, cell.Row);
}

void DrawGrid::timerEvent(QTimerEvent* event) {
  if (event->timerId() != dragTimer_.timerId()) {
    QAbstractScrollArea::timerEvent(event);
    return;
  }
  if (state_ != GridState::Selecting) {
    dragTimer_.stop();
    return;
  }
  // Dragging past an edge of the data scrolls one step towards it.
  const QRect view = viewport()->rect();
  if (dragPos_.y() > view.bottom()) SetTopRow(TopRow() + 1);
  if (dragPos_.y() < FixedHeight()) SetTopRow(TopRow() - 1);
  QScrollBar* h = horizontalScrollBar();
  if (dragPos_.x() > view.right()) h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  if (dragPos_.x() < FixedWidth()) h->triggerAction(QAbstractSlider::SliderSingleStepSub);
  DragSelectTo(dragPos_);
}

void DrawGrid::mouseReleaseEvent(QMouseEvent* event) {
  Q_UNUSED(event);
  state_ = GridState::Normal;
  sizingCol_ = -1;
  dragTimer_.stop();
}

void DrawGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    mousePressEvent(event);
    return;
  }
  const QPoint pos = event->position().toPoint();
  const bool on_border = options_.testFlag(GridOption::ColSizing) &&
                         SizingBorderAt(pos.x(), pos.y()) >= 0;
  if (!on_border && OnDblClick) OnDblClick();
}

void DrawGrid::focusInEvent(QFocusEvent* event) {
  Q_UNUSED(event);
  UpdateCell(current_.Col, current_.Row);
}

void DrawGrid::focusOutEvent(QFocusEvent* event) {
  Q_UNUSED(event);
  UpdateCell(current_.Col, current_.Row);
}

}  // namespace karo
