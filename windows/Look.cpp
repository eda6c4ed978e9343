// The program's look: the Fusion style, the fonts and Qt's own Czech texts.
#include "Look.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QListWidget>
#include <QLocale>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QTranslator>

namespace {

// Liberation Sans keeps the metrics the layouts were drawn for; DejaVu Sans
// is a wider fallback.
QString SansFamily() {
  static const QString family = [] {
    const QStringList families = QFontDatabase::families();
    for (const char* name : {"Liberation Sans", "Arial", "DejaVu Sans"}) {
      if (families.contains(QString::fromLatin1(name))) return QString::fromLatin1(name);
    }
    return QString::fromLatin1("Sans Serif");
  }();
  return family;
}

// Pick-list items: 13 pixels high, and an item cut short by the list's width
// shows its whole text as a tooltip.
class PickListItem : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), 13);
  }
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override {
    if (event->type() != QEvent::ToolTip || !view) return QStyledItemDelegate::helpEvent(event, view, option, index);
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    // A list draws an item no wider than its visible part, whatever the
    // widest item; the text goes in that, less the style's margins.
    item.rect = option.rect.intersected(view->viewport()->rect());
    const QStyle* style = view->style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const int room = style->subElementRect(QStyle::SE_ItemViewItemText, &item, view).width() - 2 * margin;
    if (item.fontMetrics.horizontalAdvance(item.text) > room) {
      QToolTip::showText(event->globalPos(), item.text, view->viewport(), item.rect);
    } else {
      QToolTip::hideText();
    }
    return true;
  }
};

}  // namespace

void MakePickList(QListWidget* list) {
  list->setItemDelegate(new PickListItem(list));
  QPalette palette = list->palette();
  palette.setColor(QPalette::Base, Qt::white);
  list->setPalette(palette);
}

QFont SansFont(int pixels, bool bold) {
  QFont font(SansFamily());
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

void FitBeside(QLabel* label, const QWidget* value) {
  const int room = value->x() - 2 - label->x();
  const QString text = label->text();
  QFont font = label->font();
  const int wide = QFontMetrics(font).horizontalAdvance(text);
  if (wide > room && !text.isEmpty()) {
    const qreal tighter = (wide - room + 0.5) / text.size();
    if (tighter <= 0.5) {
      font.setLetterSpacing(QFont::AbsoluteSpacing, -tighter);
      label->setFont(font);
    } else {
      const int high = 2 * label->fontMetrics().lineSpacing();
      label->setWordWrap(true);
      label->setGeometry(label->x(), value->y() + (value->height() - high) / 2, room, high);
      return;
    }
  }
  label->resize(room, label->height());
}

// The pictures are compiled into the windows' library; a static library's
// resources are registered by hand.
static void InitResources() { Q_INIT_RESOURCE(karo); }

bool LoadQtCzech(QApplication& app) {
  QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral("qtbase_cs"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

void ApplyLook(QApplication& app) {
  InitResources();
  LoadQtCzech(app);
  app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  app.setFont(SansFont(11));
}
