// Timing the result grid's repaint and scrolling on the offscreen platform.
#include "GridBench.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <cstring>

#include "Fdbgrid.h"
#include "Ours.h"
#include "QtText.h"

namespace bench {

namespace {

const QRgb kLevelColours[] = {qRgb(255, 255, 255), qRgb(241, 244, 115), qRgb(0, 128, 255), qRgb(160, 242, 117)};

QFont GridFont() {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(11);
  return font;
}

}  // namespace

GridBench::GridBench(TfdbTable& search) : table_(search), grid_(new TfdbGrid(nullptr)) {
  TfdbGrid& g = *grid_;
  g.setFont(GridFont());
  g.resize(1000, 700);
  g.Table = &table_;
  g.SetColDefsCnt(5);
  g.SetColDef(0, "dummy", "", 10);
  g.SetColDef(1, "pracoviste", QString::fromUtf8("Pracoviště"), 270);
  g.SetColDef(2, "jmeno", QString::fromUtf8("Příjmení"), 180);
  g.SetColDef(3, "obec", QStringLiteral("Obec"), 140);
  g.SetColDef(4, "ulice", QStringLiteral("Ulice"), 150);
  g.OnPrepareCell = [this](TfdbGrid*, int col, int row, QColor& background, QColor&, QString&, bool&) {
    if (col != 1) return;
    const int32_t level = table_.GetNum(row - 1, 1);
    if (level >= 1 && level <= 4) background = QColor(kLevelColours[level - 1]);
  };
  for (const char* name : {"pracoviste", "jmeno", "obec", "ulice"}) fields_.push_back(table_.FieldIndex(name));
  g.RefreshGrid();
  g.show();
  QApplication::processEvents();
  g.setFocus();
  image_ = QImage(g.size(), QImage::Format_ARGB32_Premultiplied);
}

GridBench::~GridBench() = default;

void GridBench::Refresh() { grid_->RefreshGrid(); }

void GridBench::Place(int where) {
  const int rows = grid_->RowCount();
  grid_->MoveCurrent(1, where == 0 ? 1 : where == 1 ? rows / 2 : rows - 1);
}

void GridBench::Render() { grid_->render(&image_); }

int GridBench::VisibleRows() const { return grid_->VisibleRowCount(); }
int GridBench::TopRow() const { return grid_->TopRow(); }

std::vector<QString> GridBench::PlainTexts() {
  std::vector<QString> texts;
  const int top = grid_->TopRow();
  const uint32_t count = table_.CurCount();
  for (int row = top; row < top + grid_->VisibleRowCount() && row - 1 < static_cast<int>(count); ++row) {
    for (const int field : fields_) texts.push_back(FromCp1250(table_.GetStr(row - 1, field)));
  }
  return texts;
}

void GridBench::RenderPlain() {
  QPainter p(&image_);
  p.setFont(GridFont());
  p.fillRect(image_.rect(), Qt::white);
  const QFontMetrics metrics = p.fontMetrics();
  static const char* const kTitles[] = {"Pracoviště", "Příjmení", "Obec", "Ulice"};
  for (int col = 2; col <= 5; ++col) {
    const QRect r = grid_->CellRect(col, 0);
    p.fillRect(r, QColor::fromRgb(TfdbGrid::kFixedBackground));
    p.drawText(r.left() + 3, r.top() + metrics.ascent(), QString::fromUtf8(kTitles[col - 2]));
  }
  const std::vector<QString> texts = PlainTexts();
  const int top = grid_->TopRow();
  for (size_t i = 0; i < texts.size(); ++i) {
    const int row = top + static_cast<int>(i / fields_.size());
    const QRect r = grid_->CellRect(2 + static_cast<int>(i % fields_.size()), row);
    p.fillRect(r, Qt::white);
    p.drawText(r.left() + 3, r.top() + metrics.ascent(), texts[i]);
  }
}

void GridBench::PageDown() {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
  QApplication::sendEvent(grid_.get(), &press);
  grid_->render(&image_);
}

bool GridBench::SameCells(std::string* why) {
  const std::vector<QString> texts = PlainTexts();
  const int top = grid_->TopRow();
  for (size_t i = 0; i < texts.size(); ++i) {
    const int row = top + static_cast<int>(i / fields_.size());
    // Column 1 of the grid is the indicator definition: texts are in 2..5.
    const QString shown = FromCp1250(grid_->Get(row - 1, 1 + static_cast<int>(i % fields_.size())));
    if (shown != texts[i]) {
      *why = "buňka řádku " + std::to_string(row) + ": mřížka \"" + shown.toStdString() + "\", kreslení \"" +
             texts[i].toStdString() + "\"";
      return false;
    }
  }
  if (texts.empty()) {
    *why = "mřížka neukazuje žádný řádek";
    return false;
  }
  return true;
}

PickListBench::PickListBench(TfdbTable& lookup, int field) : lookup_(lookup), field_(field) {
  QStringList items;
  for (uint32_t r = 0; r < lookup.RecCount; ++r) items << FromCp1250(lookup.GetStr(static_cast<int32_t>(r), field));
  list_.setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_.setUniformItemSizes(true);
  list_.resize(151, 417);
  list_.addItems(items);
  if (list_.count() > 0) list_.setCurrentRow(0, QItemSelectionModel::NoUpdate);
  list_.show();
  QApplication::processEvents();
}

void PickListBench::Type(const QString& text) {
  std::string key;
  if (!ToCp1250(text, &key)) return;
  const int32_t found = FindInPickList(lookup_, field_, key.c_str());
  if (found < 0 || found >= list_.count() || found == list_.currentRow()) return;
  if (QListWidgetItem* current = list_.currentItem()) current->setSelected(false);
  list_.setCurrentRow(found, QItemSelectionModel::NoUpdate);
  list_.scrollToItem(list_.item(found));
  list_.item(found)->setSelected(true);
}

}  // namespace bench
