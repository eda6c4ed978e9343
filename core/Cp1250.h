// Windows-1250 <-> Unicode (UTF-8). The tables hold Windows-1250 bytes; every
// text that comes from outside (source files, what the user types) is UTF-8.
#ifndef KARO_CORE_CP1250_H
#define KARO_CORE_CP1250_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace karo {

// Unicode code point of a Windows-1250 byte; 0 for the five bytes that have no
// character (0x81, 0x83, 0x88, 0x90, 0x98).
uint32_t Cp1250ToUnicode(unsigned char byte);
// Windows-1250 byte of a code point, or -1 when the code page cannot hold it.
int UnicodeToCp1250(uint32_t code);

// Converts Windows-1250 bytes to UTF-8; a byte without a character becomes U+FFFD.
std::string Cp1250ToUtf8(std::string_view bytes);

// Converts UTF-8 to Windows-1250. A letter followed by a combining mark is
// composed first (canonical composition), so decomposed input converts like
// precomposed input. False when the input is not valid UTF-8 or holds a
// character the code page cannot hold; *bad (if given) is then the byte
// offset of the offending character and *out holds what was converted before it.
bool Utf8ToCp1250(std::string_view utf8, std::string* out, size_t* bad = nullptr);

// As Utf8ToCp1250, but whatever cannot be converted becomes one '?' per
// character (a character outside the code page, a letter's mark that does not
// compose with it) or per byte of a malformed sequence, and the rest converts:
// for showing a text the tables cannot hold (the query description).
std::string Utf8ToCp1250Lossy(std::string_view utf8);

// Decodes one UTF-8 character at utf8[*pos], advancing *pos; -1 on a malformed
// or overlong sequence, a surrogate or a value above U+10FFFF (*pos then
// advances by one byte).
int32_t DecodeUtf8(std::string_view utf8, size_t* pos);
void AppendUtf8(uint32_t code, std::string* out);

// A text from outside (an argument, a file name) as a message may show it:
// valid UTF-8 characters as they are; each byte of a malformed sequence and
// of a control character (C0, DEL, C1) as \xNN; a backslash as \\.
std::string PrintableUtf8(std::string_view text);

}  // namespace karo

#endif  // KARO_CORE_CP1250_H
