// Placing windows in their frames, and the program's message boxes.
#include "Frame.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QSpacerItem>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

const char kAppTitle[] = "K.A.R.O.";

namespace {

// The frame Qt knows of a top-level window; none before its first showing.
QMargins Measured(const QWidget* window) {
  if (const QWindow* native = window->windowHandle()) return native->frameMargins();
  const QRect frame = window->frameGeometry();
  const QRect client = window->geometry();
  return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                  frame.bottom() - client.bottom());
}

bool HasTitleBar(const QWidget* window) {
  const Qt::WindowFlags flags = window->windowFlags();
  if (flags.testFlag(Qt::FramelessWindowHint)) return false;
  return !flags.testFlag(Qt::CustomizeWindowHint) || flags.testFlag(Qt::WindowTitleHint);
}

QRect AvailableArea(const QWidget* window) {
  const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

QSize OuterSize(const QWidget* window) {
  const QMargins frame = FrameMargins(window);
  return window->size().grownBy(frame);
}

// A frame's corner moved so that as much of the frame as fits lies on the
// area, its top-left corner (the title bar) first.
QPoint KeptOn(const QRect& area, const QSize& outer, QPoint at) {
  if (area.isEmpty()) return at;
  at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - outer.width())));
  at.setY(std::max(area.top(), std::min(at.y(), area.bottom() + 1 - outer.height())));
  return at;
}

// Moves a top-level window so that its frame's corner is at `corner`: its
// client area goes inside the frame it has or is expected to get (a move by
// the frame's corner would rest on what Qt knows of the frame, nothing before
// the window manager has framed it).
void MoveFrameTo(QWidget* window, const QPoint& corner) {
  const QMargins frame = FrameMargins(window);
  window->setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), window->size()));
}

// Places a window again on its first exposure when the frame it got differs
// from the frame expected (another window manager's frame for its kind of
// window): the placements made before it showed, in their order. Then goes.
class PlaceAgain : public QObject {
 public:
  static constexpr const char* kName = "placeAgain";

  PlaceAgain(QWidget* window, const QMargins& expected) : QObject(window), window_(window), expected_(expected) {
    setObjectName(QLatin1String(kName));
    window->windowHandle()->installEventFilter(this);
  }
  void Add(std::function<void()> place) { places_.push_back(std::move(place)); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && window_->windowHandle()->isExposed()) {
      watched->removeEventFilter(this);
      if (Measured(window_) != expected_)
        for (const auto& place : places_) place();
      deleteLater();
    }
    return false;
  }

 private:
  QWidget* window_;
  QMargins expected_;
  std::vector<std::function<void()>> places_;
};

// Runs `place` now and, while the window's frame is only expected, once more
// when the window is on screen with its real frame.
void Place(QWidget* window, std::function<void()> place) {
  place();
  const QWindow* native = window->windowHandle();
  if (!native || native->isExposed() || !Measured(window).isNull() || !HasTitleBar(window)) return;
  auto* again = static_cast<PlaceAgain*>(
      window->findChild<QObject*>(QLatin1String(PlaceAgain::kName), Qt::FindDirectChildrenOnly));
  if (!again) again = new PlaceAgain(window, FrameMargins(window));
  again->Add(std::move(place));
}

// The window a message about `parent` is shown over: parent's own window when
// it is on screen, else the nearest shown window above it.
QWidget* ShownWindowOf(QWidget* parent) {
  for (QWidget* window = parent ? parent->window() : nullptr; window;
       window = window->parentWidget() ? window->parentWidget()->window() : nullptr) {
    if (window->isVisible()) return window;
  }
  return nullptr;
}

class MessageBox : public QMessageBox {
 public:
  MessageBox(Icon icon, const QString& text, QWidget* parent)
      : QMessageBox(icon, QString::fromUtf8(kAppTitle), text, QMessageBox::Ok, parent,
                    kDialogWithClose | Qt::MSWindowsFixedSizeDialogHint) {
    // The box sizes itself to its layout's minimum width, so a spacer across
    // the layout keeps it wide enough for its caption.
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
      grid->addItem(new QSpacerItem(kMessageMinWidth, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                    grid->rowCount(), 0, 1, grid->columnCount());
    }
  }

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);  // the box takes its final size here, before it is mapped
    if (const QWidget* over = ShownWindowOf(parentWidget())) CenterOver(this, over);
    else CenterOnScreen(this);
  }
};

void ShowMessage(QMessageBox::Icon icon, QWidget* parent, const QString& text) {
  QWidget* over = ShownWindowOf(parent);
  MessageBox box(icon, text, over ? over : parent);
  box.exec();
}

}  // namespace

QPoint CenteredIn(const QRect& area, const QSize& outer) {
  return QPoint(area.left() + (area.width() - outer.width()) / 2, area.top() + (area.height() - outer.height()) / 2);
}

QMargins FrameMargins(const QWidget* window) {
  const QMargins own = Measured(window);
  if (!own.isNull() || !HasTitleBar(window)) return own;
  // Not framed yet: the frame of a window on screen, the window's parent first.
  QWidgetList candidates = QApplication::topLevelWidgets();
  if (const QWidget* parent = window->parentWidget()) candidates.prepend(parent->window());
  for (const QWidget* other : candidates) {
    if (other == window || !other->isVisible() || !HasTitleBar(other)) continue;
    const QMargins frame = Measured(other);
    if (!frame.isNull()) return frame;
  }
  return QMargins();
}

void CenterOnScreen(QWidget* window) {
  Place(window, [window] {
    const QRect area = AvailableArea(window);
    if (area.isEmpty()) return;
    const QSize outer = OuterSize(window);
    MoveFrameTo(window, KeptOn(area, outer, CenteredIn(area, outer)));
  });
}

void CenterOver(QWidget* window, const QWidget* over) {
  const QPointer<const QWidget> target(over);
  Place(window, [window, target] {
    if (!target) return;
    const QSize outer = OuterSize(window);
    const QRect frame = target->geometry().marginsAdded(FrameMargins(target));
    MoveFrameTo(window, KeptOn(AvailableArea(target), outer, CenteredIn(frame, outer)));
  });
}

void SetOuterSize(QWidget* window, const QSize& outer) {
  Place(window, [window, outer] { window->resize(outer.shrunkBy(FrameMargins(window))); });
}

void PlainMessage(QWidget* parent, const QString& text) { ShowMessage(QMessageBox::NoIcon, parent, text); }

void ErrorMessage(QWidget* parent, const QString& text) { ShowMessage(QMessageBox::Critical, parent, text); }
