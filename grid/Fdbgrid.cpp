// TfdbGrid: the grid bound to a table's current order, its columns, painting hooks and title-click sorting.
#include "Fdbgrid.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "Cp1250.h"
#include "QtText.h"

namespace {

constexpr int kIndicatorWidth = 10;
constexpr int kRowHeight = 18;
constexpr int kTextMargin = 3;  // pixels between a cell's edge and its text

// A pen that draws lines without their end point and stays there, so that a
// run of lines sets each pixel once.
class PenRun {
 public:
  PenRun(QPainter& canvas, int x, int y) : canvas_(canvas), at_(x, y) {}
  void LineTo(int x, int y, QColor colour) {
    const int dx = x - at_.x(), dy = y - at_.y();
    if (dx == 0 || dy == 0) {
      // One straight run: a rectangle one pixel thick.
      const int len = std::max(std::abs(dx), std::abs(dy));
      if (len > 0) {
        const int sx = dx > 0 ? 1 : dx < 0 ? -1 : 0, sy = dy > 0 ? 1 : dy < 0 ? -1 : 0;
        const int x1 = at_.x() + sx * (len - 1), y1 = at_.y() + sy * (len - 1);
        canvas_.fillRect(QRect(QPoint(std::min(at_.x(), x1), std::min(at_.y(), y1)),
                               QPoint(std::max(at_.x(), x1), std::max(at_.y(), y1))),
                         colour);
      }
    } else {
      // Bresenham, every pixel from the start up to the one before the end.
      QPolygon dots;
      int x0 = at_.x(), y0 = at_.y();
      const int ax = std::abs(dx), ay = -std::abs(dy);
      const int sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
      int err = ax + ay;
      while (x0 != x || y0 != y) {
        dots << QPoint(x0, y0);
        const int e2 = 2 * err;
        if (e2 >= ay) {
          err += ay;
          x0 += sx;
        }
        if (e2 <= ax) {
          err += ax;
          y0 += sy;
        }
      }
      canvas_.save();
      canvas_.setPen(QPen(colour, 0));
      canvas_.drawPoints(dots);
      canvas_.restore();
    }
    at_ = QPoint(x, y);
  }

 private:
  QPainter& canvas_;
  QPoint at_;
};

// Unicode caption -> Windows-1250, '?' for what the code page cannot hold.
std::string CaptionBytes(const QString& caption) {
  std::string out;
  for (const char32_t code : caption.normalized(QString::NormalizationForm_C).toUcs4()) {
    const int byte = karo::UnicodeToCp1250(code);
    out += byte > 0 ? static_cast<char>(byte) : '?';
  }
  return out;
}

}  // namespace

TfdbGrid::TfdbGrid(QWidget* owner) : DrawGrid(owner) {
  using karo::GridOption;
  SetColCount(2);
  SetRowCount(2);
  SetColWidth(0, kIndicatorWidth);
  SetDefaultRowHeight(kRowHeight);
  SetDefaultDrawing(false);
  SetOptions(GridOption::FixedVertLine | GridOption::FixedHorzLine | GridOption::VertLine |
             GridOption::HorzLine | GridOption::RangeSelect | GridOption::DrawFocusSelected |
             GridOption::ColSizing);
  OnDrawCell = [this](QPainter& canvas, int col, int row, const QRect& rect,
                      karo::GridDrawState state) { DrawCellEv(canvas, col, row, rect, state); };
  OnMouseDown = [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    MouseDownEv(button, shift, x, y);
  };
}

TfdbGrid::~TfdbGrid() = default;

const TfdbGridColumnDef* TfdbGrid::Def(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= ColDefs.size()) return nullptr;
  return &ColDefs[static_cast<size_t>(index)];
}

// --- column model -----------------------------------------------------------

bool TfdbGrid::SetColDefsCnt(int n) {
  if (n < 1 || n == INT_MAX) return false;
  ColDefs.clear();
  ColDefs.shrink_to_fit();
  try {
    ColDefs.resize(static_cast<size_t>(n));
  } catch (const std::bad_alloc&) {
    ColDefs.clear();
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(),
                    QString::fromUtf8("Nedostatek paměti pro definice sloupců (ColDefs[])."),
                    QMessageBox::Ok, this);
    box.exec();
    return false;
  }
  SetColCount(n + 1);
  return true;
}

bool TfdbGrid::SetColDef(int index, const char* field_name, const QString& caption, int width) {
  if (ColDefs.empty() || index < 0 || static_cast<size_t>(index) >= ColDefs.size()) return false;
  TfdbGridColumnDef& def = ColDefs[static_cast<size_t>(index)];
  def.FieldName = field_name ? field_name : "";
  if (!caption.isEmpty()) def.Caption = CaptionBytes(caption);
  if (width != 0) {
    SetColWidth(index + 1, width);
    def.AutoWidth = false;
  } else {
    def.AutoWidth = true;
  }
  viewport()->update();
  return true;
}

void TfdbGrid::LoadColNamesFromTable() {
  if (!Table || Table->FieldCount <= 0) return;
  if (!SetColDefsCnt(Table->FieldCount)) return;
  for (int i = 0; i < Table->FieldCount; ++i) {
    TfdbGridColumnDef& def = ColDefs[static_cast<size_t>(i)];
    def.FieldName = def.Caption = Table->FieldName(i);
    def.FieldNo = i;
  }
}

void TfdbGrid::SetColWidthToFit() {
  if (!Table || ColDefs.empty() || Table->FieldCount <= 0) return;
  // Only the rows that show a record: the placeholder row of an empty result
  // has nothing to measure.
  const int64_t records = std::min<int64_t>(RowCount() - 1, Table->CurCount());
  for (size_t i = 0; i < ColDefs.size() && static_cast<int>(i) < ColCount() - 1; ++i) {
    const TfdbGridColumnDef& def = ColDefs[i];
    if (!def.AutoWidth) continue;
    int64_t longest = static_cast<int64_t>(def.Caption.size());
    bool caption_longest = true;
    // An unresolved field has no values: the caption alone sets the width.
    if (def.FieldNo >= 0) {
      for (int64_t r = 0; r < records; ++r) {
        const int64_t len = static_cast<int64_t>(std::strlen(Table->GetStr(static_cast<int32_t>(r), def.FieldNo)));
        if (len > longest) {
          longest = len;
          caption_longest = false;
        }
      }
    }
    const int factor = Table->FieldType(def.FieldNo) == 'N' && !caption_longest ? 80 : 55;
    SetColWidth(static_cast<int>(i) + 1, static_cast<int>(std::min<int64_t>(longest * factor / 10, INT_MAX)));
  }
}

void TfdbGrid::RefreshGrid() {
  if (!Table || ColDefs.empty()) return;
  for (size_t i = 0; i < ColDefs.size() && static_cast<int>(i) < ColCount() - 1; ++i) {
    ColDefs[i].FieldNo = Table->FieldIndex(ColDefs[i].FieldName.c_str());
  }
  const uint32_t n = Table->CurCount();
  SetRowCount(n > 0 ? static_cast<int>(std::min<uint32_t>(n, INT_MAX - 1)) + 1 : 2);
  viewport()->update();
}

const char* TfdbGrid::Get(int row, int col) {
  const TfdbGridColumnDef* def = Def(col);
  if (!def || !Table || def->FieldNo < 0) return "";
  return Table->GetStr(row, def->FieldNo);
}

void TfdbGrid::Sort(int col) {
  if (col < 1 || !Table || ColDefs.empty()) return;
  const TfdbGridColumnDef* def = Def(col - 1);
  if (!def || def->FieldNo < 0) return;
  Table->Sort(def->FieldNo);
  viewport()->update();
}

// --- drawing ----------------------------------------------------------------

void TfdbGrid::DrawCellEv(QPainter& canvas, int col, int row, const QRect& rect,
                          karo::GridDrawState state) {
  const int v = (rect.height() - canvas.fontMetrics().height()) / 2;
  if (ColDefs.empty()) return;
  if (col == 0 || row == 0) {
    DrawFixedCell(canvas, col, row, rect, v);
  } else {
    DrawDataCell(canvas, col, row, rect, v, state.Focused);
  }
  if (state.Focused && RowCount() > 1) DrawFocusRect(canvas, rect);
}

void TfdbGrid::DrawFixedCell(QPainter& canvas, int col, int row, const QRect& rect, int v) {
  const int left = rect.left(), top = rect.top();
  const int right = left + rect.width(), bottom = top + rect.height();  // exclusive
  canvas.fillRect(rect, QColor::fromRgb(kFixedBackground));
  PenRun pen(canvas, left, bottom - 1);
  pen.LineTo(right - 1, bottom - 1, QColor::fromRgb(kBevelDark));
  pen.LineTo(right - 1, top, QColor::fromRgb(kBevelDark));
  pen.LineTo(left, top, QColor::fromRgb(kBevelLight));
  pen.LineTo(left, bottom - 1, QColor::fromRgb(kBevelLight));
  if (row != 0 || col == 0) return;

  const TfdbGridColumnDef* def = Def(col - 1);
  if (!def) return;
  canvas.setPen(QColor::fromRgb(kTextColour));
  canvas.drawText(left + kTextMargin, top + v + canvas.fontMetrics().ascent(),
                  FromCp1250(def->Caption.c_str()));
  if (!Table || def->FieldNo != Table->SortField) return;

  // The sort arrow, pointing down, in the bottom-right corner.
  canvas.fillRect(QRect(right - 9, bottom - 14, 5, 9), QColor::fromRgb(kArrowFill));
  const QColor outline = QColor::fromRgb(kTextColour);
  PenRun arrow(canvas, right - 7, bottom - 4);
  arrow.LineTo(right - 11, bottom - 8, outline);
  arrow.LineTo(right - 9, bottom - 8, outline);
  arrow.LineTo(right - 9, bottom - 14, outline);
  arrow.LineTo(right - 5, bottom - 14, outline);
  arrow.LineTo(right - 5, bottom - 8, outline);
  arrow.LineTo(right - 3, bottom - 8, outline);
  arrow.LineTo(right - 7, bottom - 4, outline);
  canvas.fillRect(QRect(right - 7, bottom - 5, 1, 1), QColor::fromRgb(kArrowFill));
}

void TfdbGrid::DrawDataCell(QPainter& canvas, int col, int row, const QRect& rect, int v,
                            bool focused) {
  QColor background = QColor::fromRgb(focused ? kFocusBackground : kDataBackground);
  QColor text_colour = QColor::fromRgb(kTextColour);
  // Converted at once: a numeric text lives in the store's shared buffer.
  const char* value = Get(row - 1, col - 1);
  QString text = std::strcmp(value, kFdbEof) == 0 ? QString() : FromCp1250(value);
  bool draw = true;
  if (OnPrepareCell) OnPrepareCell(this, col, row, background, text_colour, text, draw);
  if (!draw) return;

  canvas.fillRect(rect, background);
  const TfdbGridColumnDef* def = Def(col - 1);
  if (!def || def->FieldNo < 0) return;
  const QFontMetrics metrics = canvas.fontMetrics();
  int x = rect.left() + kTextMargin;
  if (Table && Table->FieldType(def->FieldNo) == 'N') {
    x = rect.left() + rect.width() - metrics.horizontalAdvance(text) - kTextMargin;
  }
  canvas.setPen(text_colour);
  canvas.drawText(x, rect.top() + v + metrics.ascent(), text);
}

// --- title clicks -----------------------------------------------------------

void TfdbGrid::MouseDownEv(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  Q_UNUSED(shift);
  // A press on a title border sizes the column and does not sort.
  if (State() == karo::GridState::ColSizing) return;
  const karo::GridCoord cell = MouseToCell(x, y);
  if (button == Qt::LeftButton && cell.Row == 0 && cell.Col > 0 && Table) Sort(cell.Col);
}
