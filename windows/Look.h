// The program's look: the Fusion style and the fonts that stand in for the
// window fonts the layouts were measured with.
#ifndef KARO_WINDOWS_LOOK_H
#define KARO_WINDOWS_LOOK_H

#include <QFont>
#include <QString>

class QApplication;
class QWidget;

// Text of the application title, the caption of every message box.
extern const char kAppTitle[];

// Fusion style and the application font (a sans-serif of 11 pixels, the size
// of the layouts' "8 pt" at 96 dots per inch).
void ApplyLook(QApplication& app);
// The layouts' sans-serif at a pixel size.
QFont SansFont(int pixels, bool bold = false);
// Moves a top-level window to the middle of its screen.
void CenterOnScreen(QWidget* window);
// A plain message box with an OK button and the application title.
void PlainMessage(QWidget* parent, const QString& text);
// The box in which a failure of a window's start-up is reported.
void ErrorMessage(QWidget* parent, const QString& text);

#endif  // KARO_WINDOWS_LOOK_H
