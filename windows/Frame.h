// Top-level windows in the frames the window manager gives them: where they
// open, their outer size, and the program's message boxes.
//
// Qt learns a window's frame only once the window manager has framed it, so
// before a window's first showing its frame is taken from a window that is
// already on screen with a title bar (they all get the same frame from one
// window manager). Without such a window (or on a platform without frames)
// the frame counts as none.
#ifndef KARO_WINDOWS_FRAME_H
#define KARO_WINDOWS_FRAME_H

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <Qt>

class QWidget;

// Text of the application title, the caption of every message box.
extern const char kAppTitle[];

// A dialog whose title bar offers the close button only (no minimise, no
// maximise).
constexpr Qt::WindowFlags kDialogWithClose = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                             Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// The narrowest message box: room for the caption "K.A.R.O." beside the
// title bar's buttons, whatever the window manager's title font.
constexpr int kMessageMinWidth = 260;

// Top-left corner of a frame of `outer` size centred on `area`.
QPoint CenteredIn(const QRect& area, const QSize& outer);

// The frame around a top-level window's client area: its own once it has been
// on screen, else that of a window on screen with a title bar, else none.
QMargins FrameMargins(const QWidget* window);

// Moves a top-level window, frame included, to the middle of its screen's
// available area; safe before the window's first showing.
void CenterOnScreen(QWidget* window);

// Moves a top-level window, frame included, to the middle of `over` (a shown
// top-level window).
void CenterOver(QWidget* window, const QWidget* over);

// Resizes a top-level window so that, frame included, it measures `outer`.
void SetOuterSize(QWidget* window, const QSize& outer);

// A plain message box with an OK button and the application title, centred
// over the window it concerns: parent's window when that is on screen, else
// the nearest shown window it belongs to, else the middle of the screen.
void PlainMessage(QWidget* parent, const QString& text);
// The box in which a failure is reported, with the error sign beside the
// text; placed as PlainMessage places its box.
void ErrorMessage(QWidget* parent, const QString& text);

#endif  // KARO_WINDOWS_FRAME_H
