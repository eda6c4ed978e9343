// Windows-1250 table texts <-> QString, at the edge between the tables and
// the widgets. Everything inside the program keeps the tables' bytes.
#ifndef KARO_GRID_QTTEXT_H
#define KARO_GRID_QTTEXT_H

#include <QString>
#include <string>

// The zero-terminated Windows-1250 text as a QString; a byte without a
// character becomes U+FFFD. A null text gives the empty string.
QString FromCp1250(const char* text);

// The text in Windows-1250, composed first (NFC), so that a letter typed as a
// base letter and a combining mark converts like the precomposed letter.
// False when a character cannot be held; *out then holds what was converted
// before it.
bool ToCp1250(const QString& text, std::string* out);

// The text in Windows-1250 for showing it: whatever the code page cannot
// hold becomes one '?' per character (karo::Utf8ToCp1250Lossy).
std::string ToCp1250Lossy(const QString& text);

#endif  // KARO_GRID_QTTEXT_H
