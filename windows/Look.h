// The program's look: the Fusion style and the fonts that stand in for the
// window fonts the layouts were measured with.
#ifndef KARO_WINDOWS_LOOK_H
#define KARO_WINDOWS_LOOK_H

#include <QFont>
#include <QString>

#include "Frame.h"

class QApplication;
class QLabel;
class QListWidget;
class QWidget;

// Fusion style, the application font (a sans-serif of 11 pixels, the size
// of the layouts' "8 pt" at 96 dots per inch) and Qt's own Czech texts.
void ApplyLook(QApplication& app);
// Czech texts and Czech number and date formats for what Qt itself shows (the
// save dialog and its overwrite question, the buttons of message boxes), from
// the translation Qt ships; false (Qt's English stays) when it is missing.
bool LoadQtCzech(QApplication& app);
// The layouts' sans-serif at a pixel size.
QFont SansFont(int pixels, bool bold = false);
// A white list of items 13 pixels high; an item cut short by the list's
// width shows its whole text as a tooltip.
void MakePickList(QListWidget* list);
// Keeps a label in a row clear of the value control to its right: the label
// ends 2 pixels before it, and a caption that the stand-in font makes wider
// than that is set a little tighter (at most half a pixel a letter) or, if
// even that is not enough, on two lines centred beside the control.
void FitBeside(QLabel* label, const QWidget* value);

#endif  // KARO_WINDOWS_LOOK_H
