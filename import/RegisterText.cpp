// Register texts to Windows-1250: letters outside the code page replaced, each replacement reported.
#include "RegisterText.h"

#include <algorithm>
#include <cstring>

#include "Cp1250.h"
#include "Message.h"

namespace karo {

namespace {

// Base letters of the Latin letters that Windows-1250 does not hold (from the
// canonical decompositions, plus ø, ħ, ı, ŀ, ŧ, ƒ and a few others that have
// no decomposition but an obvious base letter).
struct BaseLetter {
  uint16_t Code;
  char Base;
};
constexpr BaseLetter kBase[] = {
    {0x00C0, 'A'}, {0x00C3, 'A'}, {0x00C5, 'A'}, {0x00C8, 'E'}, {0x00CA, 'E'}, {0x00CC, 'I'}, {0x00CF, 'I'}, {0x00D1, 'N'},
    {0x00D2, 'O'}, {0x00D5, 'O'}, {0x00D8, 'O'}, {0x00D9, 'U'}, {0x00DB, 'U'}, {0x00E0, 'a'}, {0x00E3, 'a'}, {0x00E5, 'a'},
    {0x00E8, 'e'}, {0x00EA, 'e'}, {0x00EC, 'i'}, {0x00EF, 'i'}, {0x00F1, 'n'}, {0x00F2, 'o'}, {0x00F5, 'o'}, {0x00F8, 'o'},
    {0x00F9, 'u'}, {0x00FB, 'u'}, {0x00FF, 'y'}, {0x0100, 'A'}, {0x0101, 'a'}, {0x0108, 'C'}, {0x0109, 'c'}, {0x010A, 'C'},
    {0x010B, 'c'}, {0x0112, 'E'}, {0x0113, 'e'}, {0x0114, 'E'}, {0x0115, 'e'}, {0x0116, 'E'}, {0x0117, 'e'}, {0x011C, 'G'},
    {0x011D, 'g'}, {0x011E, 'G'}, {0x011F, 'g'}, {0x0120, 'G'}, {0x0121, 'g'}, {0x0122, 'G'}, {0x0123, 'g'}, {0x0124, 'H'},
    {0x0125, 'h'}, {0x0126, 'H'}, {0x0127, 'h'}, {0x0128, 'I'}, {0x0129, 'i'}, {0x012A, 'I'}, {0x012B, 'i'}, {0x012C, 'I'},
    {0x012D, 'i'}, {0x012E, 'I'}, {0x012F, 'i'}, {0x0130, 'I'}, {0x0131, 'i'}, {0x0134, 'J'}, {0x0135, 'j'}, {0x0136, 'K'},
    {0x0137, 'k'}, {0x013B, 'L'}, {0x013C, 'l'}, {0x013F, 'L'}, {0x0140, 'l'}, {0x0145, 'N'}, {0x0146, 'n'}, {0x014C, 'O'},
    {0x014D, 'o'}, {0x014E, 'O'}, {0x014F, 'o'}, {0x0156, 'R'}, {0x0157, 'r'}, {0x015C, 'S'}, {0x015D, 's'}, {0x0166, 'T'},
    {0x0167, 't'}, {0x0168, 'U'}, {0x0169, 'u'}, {0x016A, 'U'}, {0x016B, 'u'}, {0x016C, 'U'}, {0x016D, 'u'}, {0x0172, 'U'},
    {0x0173, 'u'}, {0x0174, 'W'}, {0x0175, 'w'}, {0x0176, 'Y'}, {0x0177, 'y'}, {0x0178, 'Y'}, {0x0180, 'b'}, {0x0192, 'f'},
    {0x0197, 'I'}, {0x01A0, 'O'}, {0x01A1, 'o'}, {0x01AF, 'U'}, {0x01B0, 'u'}, {0x01B5, 'Z'}, {0x01B6, 'z'}, {0x01CD, 'A'},
    {0x01CE, 'a'}, {0x01CF, 'I'}, {0x01D0, 'i'}, {0x01D1, 'O'}, {0x01D2, 'o'}, {0x01D3, 'U'}, {0x01D4, 'u'}, {0x01D5, 'U'},
    {0x01D6, 'u'}, {0x01D7, 'U'}, {0x01D8, 'u'}, {0x01D9, 'U'}, {0x01DA, 'u'}, {0x01DB, 'U'}, {0x01DC, 'u'}, {0x01DE, 'A'},
    {0x01DF, 'a'}, {0x01E0, 'A'}, {0x01E1, 'a'}, {0x01E6, 'G'}, {0x01E7, 'g'}, {0x01E8, 'K'}, {0x01E9, 'k'}, {0x01EA, 'O'},
    {0x01EB, 'o'}, {0x01EC, 'O'}, {0x01ED, 'o'}, {0x01F0, 'j'}, {0x01F4, 'G'}, {0x01F5, 'g'}, {0x01F8, 'N'}, {0x01F9, 'n'},
    {0x01FA, 'A'}, {0x01FB, 'a'}, {0x0200, 'A'}, {0x0201, 'a'}, {0x0202, 'A'}, {0x0203, 'a'}, {0x0204, 'E'}, {0x0205, 'e'},
    {0x0206, 'E'}, {0x0207, 'e'}, {0x0208, 'I'}, {0x0209, 'i'}, {0x020A, 'I'}, {0x020B, 'i'}, {0x020C, 'O'}, {0x020D, 'o'},
    {0x020E, 'O'}, {0x020F, 'o'}, {0x0210, 'R'}, {0x0211, 'r'}, {0x0212, 'R'}, {0x0213, 'r'}, {0x0214, 'U'}, {0x0215, 'u'},
    {0x0216, 'U'}, {0x0217, 'u'}, {0x0218, 'S'}, {0x0219, 's'}, {0x021A, 'T'}, {0x021B, 't'}, {0x021E, 'H'}, {0x021F, 'h'},
    {0x0226, 'A'}, {0x0227, 'a'}, {0x0228, 'E'}, {0x0229, 'e'}, {0x022A, 'O'}, {0x022B, 'o'}, {0x022C, 'O'}, {0x022D, 'o'},
    {0x022E, 'O'}, {0x022F, 'o'}, {0x0230, 'O'}, {0x0231, 'o'}, {0x0232, 'Y'}, {0x0233, 'y'}, {0x0248, 'J'}, {0x0249, 'j'},
    {0x024C, 'R'}, {0x024D, 'r'}, {0x1E00, 'A'}, {0x1E01, 'a'}, {0x1E02, 'B'}, {0x1E03, 'b'}, {0x1E04, 'B'}, {0x1E05, 'b'},
    {0x1E06, 'B'}, {0x1E07, 'b'}, {0x1E08, 'C'}, {0x1E09, 'c'}, {0x1E0A, 'D'}, {0x1E0B, 'd'}, {0x1E0C, 'D'}, {0x1E0D, 'd'},
    {0x1E0E, 'D'}, {0x1E0F, 'd'}, {0x1E10, 'D'}, {0x1E11, 'd'}, {0x1E12, 'D'}, {0x1E13, 'd'}, {0x1E14, 'E'}, {0x1E15, 'e'},
    {0x1E16, 'E'}, {0x1E17, 'e'}, {0x1E18, 'E'}, {0x1E19, 'e'}, {0x1E1A, 'E'}, {0x1E1B, 'e'}, {0x1E1C, 'E'}, {0x1E1D, 'e'},
    {0x1E1E, 'F'}, {0x1E1F, 'f'}, {0x1E20, 'G'}, {0x1E21, 'g'}, {0x1E22, 'H'}, {0x1E23, 'h'}, {0x1E24, 'H'}, {0x1E25, 'h'},
    {0x1E26, 'H'}, {0x1E27, 'h'}, {0x1E28, 'H'}, {0x1E29, 'h'}, {0x1E2A, 'H'}, {0x1E2B, 'h'}, {0x1E2C, 'I'}, {0x1E2D, 'i'},
    {0x1E2E, 'I'}, {0x1E2F, 'i'}, {0x1E30, 'K'}, {0x1E31, 'k'}, {0x1E32, 'K'}, {0x1E33, 'k'}, {0x1E34, 'K'}, {0x1E35, 'k'},
    {0x1E36, 'L'}, {0x1E37, 'l'}, {0x1E38, 'L'}, {0x1E39, 'l'}, {0x1E3A, 'L'}, {0x1E3B, 'l'}, {0x1E3C, 'L'}, {0x1E3D, 'l'},
    {0x1E3E, 'M'}, {0x1E3F, 'm'}, {0x1E40, 'M'}, {0x1E41, 'm'}, {0x1E42, 'M'}, {0x1E43, 'm'}, {0x1E44, 'N'}, {0x1E45, 'n'},
    {0x1E46, 'N'}, {0x1E47, 'n'}, {0x1E48, 'N'}, {0x1E49, 'n'}, {0x1E4A, 'N'}, {0x1E4B, 'n'}, {0x1E4C, 'O'}, {0x1E4D, 'o'},
    {0x1E4E, 'O'}, {0x1E4F, 'o'}, {0x1E50, 'O'}, {0x1E51, 'o'}, {0x1E52, 'O'}, {0x1E53, 'o'}, {0x1E54, 'P'}, {0x1E55, 'p'},
    {0x1E56, 'P'}, {0x1E57, 'p'}, {0x1E58, 'R'}, {0x1E59, 'r'}, {0x1E5A, 'R'}, {0x1E5B, 'r'}, {0x1E5C, 'R'}, {0x1E5D, 'r'},
    {0x1E5E, 'R'}, {0x1E5F, 'r'}, {0x1E60, 'S'}, {0x1E61, 's'}, {0x1E62, 'S'}, {0x1E63, 's'}, {0x1E64, 'S'}, {0x1E65, 's'},
    {0x1E66, 'S'}, {0x1E67, 's'}, {0x1E68, 'S'}, {0x1E69, 's'}, {0x1E6A, 'T'}, {0x1E6B, 't'}, {0x1E6C, 'T'}, {0x1E6D, 't'},
    {0x1E6E, 'T'}, {0x1E6F, 't'}, {0x1E70, 'T'}, {0x1E71, 't'}, {0x1E72, 'U'}, {0x1E73, 'u'}, {0x1E74, 'U'}, {0x1E75, 'u'},
    {0x1E76, 'U'}, {0x1E77, 'u'}, {0x1E78, 'U'}, {0x1E79, 'u'}, {0x1E7A, 'U'}, {0x1E7B, 'u'}, {0x1E7C, 'V'}, {0x1E7D, 'v'},
    {0x1E7E, 'V'}, {0x1E7F, 'v'}, {0x1E80, 'W'}, {0x1E81, 'w'}, {0x1E82, 'W'}, {0x1E83, 'w'}, {0x1E84, 'W'}, {0x1E85, 'w'},
    {0x1E86, 'W'}, {0x1E87, 'w'}, {0x1E88, 'W'}, {0x1E89, 'w'}, {0x1E8A, 'X'}, {0x1E8B, 'x'}, {0x1E8C, 'X'}, {0x1E8D, 'x'},
    {0x1E8E, 'Y'}, {0x1E8F, 'y'}, {0x1E90, 'Z'}, {0x1E91, 'z'}, {0x1E92, 'Z'}, {0x1E93, 'z'}, {0x1E94, 'Z'}, {0x1E95, 'z'},
    {0x1E96, 'h'}, {0x1E97, 't'}, {0x1E98, 'w'}, {0x1E99, 'y'}, {0x1E9E, 'S'}, {0x1EA0, 'A'}, {0x1EA1, 'a'}, {0x1EA2, 'A'},
    {0x1EA3, 'a'}, {0x1EA4, 'A'}, {0x1EA5, 'a'}, {0x1EA6, 'A'}, {0x1EA7, 'a'}, {0x1EA8, 'A'}, {0x1EA9, 'a'}, {0x1EAA, 'A'},
    {0x1EAB, 'a'}, {0x1EAC, 'A'}, {0x1EAD, 'a'}, {0x1EAE, 'A'}, {0x1EAF, 'a'}, {0x1EB0, 'A'}, {0x1EB1, 'a'}, {0x1EB2, 'A'},
    {0x1EB3, 'a'}, {0x1EB4, 'A'}, {0x1EB5, 'a'}, {0x1EB6, 'A'}, {0x1EB7, 'a'}, {0x1EB8, 'E'}, {0x1EB9, 'e'}, {0x1EBA, 'E'},
    {0x1EBB, 'e'}, {0x1EBC, 'E'}, {0x1EBD, 'e'}, {0x1EBE, 'E'}, {0x1EBF, 'e'}, {0x1EC0, 'E'}, {0x1EC1, 'e'}, {0x1EC2, 'E'},
    {0x1EC3, 'e'}, {0x1EC4, 'E'}, {0x1EC5, 'e'}, {0x1EC6, 'E'}, {0x1EC7, 'e'}, {0x1EC8, 'I'}, {0x1EC9, 'i'}, {0x1ECA, 'I'},
    {0x1ECB, 'i'}, {0x1ECC, 'O'}, {0x1ECD, 'o'}, {0x1ECE, 'O'}, {0x1ECF, 'o'}, {0x1ED0, 'O'}, {0x1ED1, 'o'}, {0x1ED2, 'O'},
    {0x1ED3, 'o'}, {0x1ED4, 'O'}, {0x1ED5, 'o'}, {0x1ED6, 'O'}, {0x1ED7, 'o'}, {0x1ED8, 'O'}, {0x1ED9, 'o'}, {0x1EDA, 'O'},
    {0x1EDB, 'o'}, {0x1EDC, 'O'}, {0x1EDD, 'o'}, {0x1EDE, 'O'}, {0x1EDF, 'o'}, {0x1EE0, 'O'}, {0x1EE1, 'o'}, {0x1EE2, 'O'},
    {0x1EE3, 'o'}, {0x1EE4, 'U'}, {0x1EE5, 'u'}, {0x1EE6, 'U'}, {0x1EE7, 'u'}, {0x1EE8, 'U'}, {0x1EE9, 'u'}, {0x1EEA, 'U'},
    {0x1EEB, 'u'}, {0x1EEC, 'U'}, {0x1EED, 'u'}, {0x1EEE, 'U'}, {0x1EEF, 'u'}, {0x1EF0, 'U'}, {0x1EF1, 'u'}, {0x1EF2, 'Y'},
    {0x1EF3, 'y'}, {0x1EF4, 'Y'}, {0x1EF5, 'y'}, {0x1EF6, 'Y'}, {0x1EF7, 'y'}, {0x1EF8, 'Y'}, {0x1EF9, 'y'},
};

// Punctuation and spaces outside the code page with an equivalent inside it.
struct Equivalent {
  uint16_t Code;
  uint16_t As;
};
constexpr Equivalent kEquivalent[] = {
    {0x2002, ' '},    {0x2003, ' '},    {0x2007, ' '},    {0x2009, ' '},    {0x200A, ' '},
    {0x2010, '-'},    {0x2011, '-'},    {0x2012, '-'},    {0x2015, 0x2014}, {0x201B, 0x2018},
    {0x201F, 0x201C}, {0x2032, '\''},   {0x2033, '"'},    {0x202F, 0x00A0}, {0x2212, '-'},
};

bool IsCombiningMark(uint32_t code) { return code >= 0x0300 && code <= 0x036F; }

std::string Utf8Of(uint32_t code) {
  std::string s;
  AppendUtf8(code, &s);
  return s;
}

// The replacement of a character the code page cannot hold.
uint32_t Substitute(uint32_t code) {
  const BaseLetter* b = std::lower_bound(std::begin(kBase), std::end(kBase), code,
                                         [](const BaseLetter& e, uint32_t c) { return e.Code < c; });
  if (b != std::end(kBase) && b->Code == code) return static_cast<unsigned char>(b->Base);
  for (const Equivalent& e : kEquivalent)
    if (e.Code == code) return e.As;
  return '?';
}

void Note(FitReport* report, const std::string& original, uint32_t code, uint32_t as) {
  if (report->Replaced++ > 0) return;
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
  report->First = std::string(hex) + " " + Quote(original);
  report->FirstAs = Utf8Of(as);
}

bool IsSpace(uint32_t c) { return c <= 0x20 || c == 0x7F; }

}  // namespace

std::string FitToCp1250(std::string_view utf8, FitReport* report) {
  *report = FitReport();
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return std::string(utf8);
  }
  std::string converted;
  if (Utf8ToCp1250(utf8, &converted)) return std::string(utf8);
  std::string out;
  size_t pos = 0;
  while (pos < utf8.size()) {
    const size_t start = pos;
    const int32_t code = DecodeUtf8(utf8, &pos);
    if (code < 0) {
      Note(report, "neplatná posloupnost UTF-8", static_cast<unsigned char>(utf8[start]), '?');
      report->First = "bajt " + std::to_string(static_cast<unsigned char>(utf8[start])) + " (neplatné UTF-8)";
      out.push_back('?');
      continue;
    }
    // A character with the combining marks that follow it.
    size_t end = pos;
    while (end < utf8.size()) {
      size_t next = end;
      const int32_t mark = DecodeUtf8(utf8, &next);
      if (mark < 0 || !IsCombiningMark(static_cast<uint32_t>(mark))) break;
      end = next;
    }
    const std::string_view cluster = utf8.substr(start, end - start);
    if (Utf8ToCp1250(cluster, &converted)) {
      out.append(cluster);
    } else {
      const uint32_t c = static_cast<uint32_t>(code);
      const uint32_t as = UnicodeToCp1250(c) >= 0 ? c : Substitute(c);
      Note(report, std::string(cluster), c, as);
      AppendUtf8(as, &out);
    }
    pos = end;
  }
  return out;
}

std::string CollapseSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool space = false;
  for (const char ch : text) {
    if (IsSpace(static_cast<unsigned char>(ch))) {
      space = !out.empty();
      continue;
    }
    if (space) out.push_back(' ');
    space = false;
    out.push_back(ch);
  }
  return out;
}

size_t CharCount(std::string_view utf8) {
  size_t n = 0;
  for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

std::string Shorten(const std::string& utf8, size_t limit, size_t* chars) {
  const size_t count = CharCount(utf8);
  if (chars) *chars = count;
  if (count <= limit || limit == 0) return count <= limit ? utf8 : "";
  size_t kept = 0, at = 0;
  while (at < utf8.size()) {
    if ((static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80 && kept++ == limit - 1) break;
    ++at;
  }
  std::string out = utf8.substr(0, at);
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out + "\xE2\x80\xA6";  // …
}

std::vector<std::string> SplitValues(std::string_view field) {
  std::vector<std::string> values;
  size_t start = 0;
  for (;;) {
    const size_t comma = field.find(',', start);
    std::string value = CollapseSpaces(field.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (!value.empty()) values.push_back(std::move(value));
    if (comma == std::string_view::npos) return values;
    start = comma + 1;
  }
}

uint32_t LowerLetter(uint32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
  if (c == 0x178) return 0xFF;
  return c;
}

uint32_t UpperLetter(uint32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c & ~1u;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
  return c;
}

namespace {

std::vector<uint32_t> Codes(std::string_view utf8) {
  std::vector<uint32_t> codes;
  size_t pos = 0;
  while (pos < utf8.size()) {
    const int32_t c = DecodeUtf8(utf8, &pos);
    codes.push_back(c < 0 ? '?' : static_cast<uint32_t>(c));
  }
  return codes;
}

std::string Text(const std::vector<uint32_t>& codes) {
  std::string s;
  for (const uint32_t c : codes) AppendUtf8(c, &s);
  return s;
}

}  // namespace

std::string LowerText(std::string_view utf8) {
  std::vector<uint32_t> codes = Codes(utf8);
  for (uint32_t& c : codes) c = LowerLetter(c);
  return Text(codes);
}

std::string CapitalizeFirst(std::string_view utf8) {
  size_t pos = 0;
  const int32_t first = DecodeUtf8(utf8, &pos);
  if (first < 0 || UpperLetter(static_cast<uint32_t>(first)) == static_cast<uint32_t>(first)) return std::string(utf8);
  std::string out;
  AppendUtf8(UpperLetter(static_cast<uint32_t>(first)), &out);
  out.append(utf8.substr(pos));
  return out;
}

std::string NormalCase(std::string_view word) {
  std::vector<uint32_t> codes = Codes(word);
  size_t letters = 0;
  for (const uint32_t c : codes) {
    if (LowerLetter(c) == c && UpperLetter(c) != c) return std::string(word);  // has a small letter
    letters += LowerLetter(c) != c;
  }
  if (letters < 2) return std::string(word);
  bool start = true;
  for (uint32_t& c : codes) {
    const bool letter = LowerLetter(c) != c;
    c = start ? c : LowerLetter(c);
    if (letter) start = false;
    if (c == '-' || c == '\'' || c == 0x2019) start = true;
  }
  return Text(codes);
}

bool IsTitle(std::string_view word) {
  // Titles written with dots, compared without them and without case.
  static const char* const kDotted[] = {
      "mudr", "mddr", "mvdr", "pharmdr", "phdr", "rndr", "judr", "paeddr", "thdr", "rsdr", "phmr", "dr",
      "ing", "ingarch", "mgr", "mga", "bc", "bca", "doc", "prof", "phd", "thd", "csc", "drsc", "dsc", "dis",
      "mba", "mph", "msc", "bsc", "llm", "ma", "ba", "mha", "mpa", "drhc", "akad", "mal", "dipl"};
  // Titles that are also written without dots.
  static const char* const kBare[] = {"phd", "csc", "drsc", "dsc", "dis", "mba", "mph", "msc", "bsc", "llm",
                                      "mha", "mpa", "et", "mudr", "mgr", "ing"};
  std::string key;
  bool dotted = false;
  for (const char c : word) {
    if (c == '.') dotted = true;
    else key.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c));
  }
  if (dotted) return std::find(std::begin(kDotted), std::end(kDotted), key) != std::end(kDotted);
  return std::find(std::begin(kBare), std::end(kBare), key) != std::end(kBare);
}

std::vector<Person> ParsePersons(std::string_view field, const std::set<std::string>& givenNames) {
  std::vector<Person> persons;
  for (const std::string& part : SplitValues(field)) {
    std::vector<std::string> words, names;
    size_t start = 0;
    while (start < part.size()) {
      size_t space = part.find(' ', start);
      if (space == std::string::npos) space = part.size();
      const std::string_view raw = std::string_view(part).substr(start, space - start);
      words.push_back(IsTitle(raw) ? std::string(raw) : NormalCase(raw));
      start = space + 1;
    }
    std::string full;
    for (const std::string& w : words) {
      full += (full.empty() ? "" : " ") + w;
      if (!IsTitle(w)) names.push_back(w);
    }
    if (names.empty()) {
      if (!persons.empty()) persons.back().Full += ", " + full;  // titles after a name
      continue;
    }
    Person p;
    p.Full = full;
    auto given = [&](const std::string& w) { return givenNames.count(LowerText(w)) > 0; };
    size_t surnameFrom = 1, surnameTo = names.size();
    if (names.size() == 1) {
      surnameFrom = 0;
    } else if (!given(names[0]) && given(names.back())) {
      surnameFrom = 0;  // written surname first
      surnameTo = names.size() - 1;
    } else {
      while (surnameFrom + 1 < names.size() && given(names[surnameFrom])) ++surnameFrom;
    }
    for (size_t i = 0; i < names.size(); ++i) {
      std::string& to = i >= surnameFrom && i < surnameTo ? p.Surname : p.Given;
      to += (to.empty() ? "" : " ") + names[i];
    }
    persons.push_back(std::move(p));
  }
  return persons;
}

namespace {

std::string Digits(std::string_view s, bool* onlyDigits) {
  std::string d;
  *onlyDigits = true;
  for (const char c : s) {
    if (c >= '0' && c <= '9') d.push_back(c);
    else if (c != ' ') *onlyDigits = false;
  }
  return d;
}

std::string Groups(const std::string& nine) { return nine.substr(0, 3) + " " + nine.substr(3, 3) + " " + nine.substr(6, 3); }

}  // namespace

std::string FormatPostalCode(std::string_view psc) {
  bool only = false;
  const std::string d = Digits(psc, &only);
  if (only && d.size() == 5) return d.substr(0, 3) + " " + d.substr(3);
  return CollapseSpaces(psc);
}

std::string FormatPhones(std::string_view phones) {
  std::string out;
  size_t start = 0;
  while (start <= phones.size()) {
    size_t end = phones.find_first_of(",;", start);
    if (end == std::string_view::npos) end = phones.size();
    const std::string token = CollapseSpaces(phones.substr(start, end - start));
    start = end + 1;
    if (token.empty()) continue;
    std::string_view t = token;
    std::string prefix;
    if (t[0] == '+') t.remove_prefix(1);
    else if (t.rfind("00", 0) == 0) t.remove_prefix(2);
    bool only = false;
    const std::string d = Digits(t, &only);
    std::string shown = token;
    if (only && d.size() == 12 && d.rfind("42", 0) == 0) shown = "+" + d.substr(0, 3) + " " + Groups(d.substr(3));
    else if (only && d.size() == 9 && t.size() == token.size()) shown = Groups(d);
    out += (out.empty() ? "" : ", ") + shown;
  }
  return out;
}

std::string FormatIco(std::string_view ico) {
  bool only = false;
  const std::string d = Digits(ico, &only);
  if (only && !d.empty() && d.size() < 8) return std::string(8 - d.size(), '0') + d;
  return CollapseSpaces(ico);
}

std::string OwnershipText(std::string_view typOsoby, std::string_view pravniForma) {
  // Legal forms of the statistical office's code list that the register uses.
  static const std::pair<const char*, const char*> kForms[] = {
      {"101", "fyzická osoba podnikající podle živnostenského zákona"},
      {"105", "fyzická osoba podnikající podle jiného zákona"},
      {"111", "veřejná obchodní společnost"},
      {"112", "společnost s ručením omezeným"},
      {"113", "komanditní společnost"},
      {"117", "nadace"},
      {"118", "nadační fond"},
      {"121", "akciová společnost"},
      {"141", "obecně prospěšná společnost"},
      {"161", "ústav"},
      {"205", "družstvo"},
      {"301", "státní podnik"},
      {"325", "organizační složka státu"},
      {"331", "příspěvková organizace"},
      {"601", "vysoká škola"},
      {"706", "spolek"},
      {"721", "církevní organizace"},
      {"736", "pobočný spolek"},
      {"801", "obec"},
      {"804", "kraj"},
  };
  const std::string code = CollapseSpaces(pravniForma);
  const std::string type = CollapseSpaces(typOsoby);
  for (const auto& [c, text] : kForms)
    if (code == c) return text;
  const std::string person = type == "1" ? "fyzická osoba" : type == "2" ? "právnická osoba" : "";
  if (code.empty()) return person;
  return (person.empty() ? "osoba" : person) + " (právní forma " + code + ")";
}

int AphorismGroup(std::string_view category) {
  // Word stems in the category's name and the group of the sample's aphorisms
  // they lead to; the first stem found decides.
  static const std::pair<const char*, int> kStems[] = {
      {"zub", 2},        {"stomatolog", 2}, {"dentáln", 2},    {"gynekolog", 3},  {"porod", 3},
      {"dět", 3},        {"dorost", 3},     {"chirurg", 4},    {"ortoped", 4},    {"psych", 6},
      {"logoped", 6},    {"rehabilit", 7},  {"fyzioterap", 7}, {"ergoterap", 7},  {"ošetřovatel", 7},
      {"paliativ", 7},   {"domácí", 7},     {"dlouhodob", 7},  {"následn", 7},    {"hospic", 7},
      {"lázeň", 7},      {"nemocnic", 8},   {"lůžkov", 8},     {"lékárn", 8},     {"lékárensk", 8},
      {"záchrann", 8},   {"dopravn", 8},    {"přeprav", 8},    {"laborato", 8},   {"pohotovost", 8},
      {"jednodenní", 8}, {"praktick", 1},   {"primární", 1},   {"závodní", 1},    {"pracovn", 1},
      {"specializ", 5},  {"specialist", 5}, {"odborn", 5},
  };
  const std::string lower = LowerText(category);
  for (const auto& [stem, group] : kStems)
    if (lower.find(stem) != std::string::npos) return group;
  return 0;
}

}  // namespace karo
