// Windows-1250 <-> UTF-8, with canonical composition of Czech letters.
#include "Cp1250.h"

namespace karo {

namespace {

// Unicode code point of bytes 0x80..0xFF; 0 where the code page has no character.
constexpr uint16_t kHigh[128] = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0000, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};
// Canonical compositions of the letters the code page holds: base, mark, letter.
constexpr uint16_t kCompose[][3] = {
    {0x0041, 0x0301, 0x00C1},  // Á
    {0x0041, 0x0302, 0x00C2},  // Â
    {0x0041, 0x0306, 0x0102},  // Ă
    {0x0041, 0x0308, 0x00C4},  // Ä
    {0x0041, 0x0328, 0x0104},  // Ą
    {0x0043, 0x0301, 0x0106},  // Ć
    {0x0043, 0x030C, 0x010C},  // Č
    {0x0043, 0x0327, 0x00C7},  // Ç
    {0x0044, 0x030C, 0x010E},  // Ď
    {0x0045, 0x0301, 0x00C9},  // É
    {0x0045, 0x0308, 0x00CB},  // Ë
    {0x0045, 0x030C, 0x011A},  // Ě
    {0x0045, 0x0328, 0x0118},  // Ę
    {0x0049, 0x0301, 0x00CD},  // Í
    {0x0049, 0x0302, 0x00CE},  // Î
    {0x004C, 0x0301, 0x0139},  // Ĺ
    {0x004C, 0x030C, 0x013D},  // Ľ
    {0x004E, 0x0301, 0x0143},  // Ń
    {0x004E, 0x030C, 0x0147},  // Ň
    {0x004F, 0x0301, 0x00D3},  // Ó
    {0x004F, 0x0302, 0x00D4},  // Ô
    {0x004F, 0x0308, 0x00D6},  // Ö
    {0x004F, 0x030B, 0x0150},  // Ő
    {0x0052, 0x0301, 0x0154},  // Ŕ
    {0x0052, 0x030C, 0x0158},  // Ř
    {0x0053, 0x0301, 0x015A},  // Ś
    {0x0053, 0x030C, 0x0160},  // Š
    {0x0053, 0x0327, 0x015E},  // Ş
    {0x0054, 0x030C, 0x0164},  // Ť
    {0x0054, 0x0327, 0x0162},  // Ţ
    {0x0055, 0x0301, 0x00DA},  // Ú
    {0x0055, 0x0308, 0x00DC},  // Ü
    {0x0055, 0x030A, 0x016E},  // Ů
    {0x0055, 0x030B, 0x0170},  // Ű
    {0x0059, 0x0301, 0x00DD},  // Ý
    {0x005A, 0x0301, 0x0179},  // Ź
    {0x005A, 0x0307, 0x017B},  // Ż
    {0x005A, 0x030C, 0x017D},  // Ž
    {0x0061, 0x0301, 0x00E1},  // á
    {0x0061, 0x0302, 0x00E2},  // â
    {0x0061, 0x0306, 0x0103},  // ă
    {0x0061, 0x0308, 0x00E4},  // ä
    {0x0061, 0x0328, 0x0105},  // ą
    {0x0063, 0x0301, 0x0107},  // ć
    {0x0063, 0x030C, 0x010D},  // č
    {0x0063, 0x0327, 0x00E7},  // ç
    {0x0064, 0x030C, 0x010F},  // ď
    {0x0065, 0x0301, 0x00E9},  // é
    {0x0065, 0x0308, 0x00EB},  // ë
    {0x0065, 0x030C, 0x011B},  // ě
    {0x0065, 0x0328, 0x0119},  // ę
    {0x0069, 0x0301, 0x00ED},  // í
    {0x0069, 0x0302, 0x00EE},  // î
    {0x006C, 0x0301, 0x013A},  // ĺ
    {0x006C, 0x030C, 0x013E},  // ľ
    {0x006E, 0x0301, 0x0144},  // ń
    {0x006E, 0x030C, 0x0148},  // ň
    {0x006F, 0x0301, 0x00F3},  // ó
    {0x006F, 0x0302, 0x00F4},  // ô
    {0x006F, 0x0308, 0x00F6},  // ö
    {0x006F, 0x030B, 0x0151},  // ő
    {0x0072, 0x0301, 0x0155},  // ŕ
    {0x0072, 0x030C, 0x0159},  // ř
    {0x0073, 0x0301, 0x015B},  // ś
    {0x0073, 0x030C, 0x0161},  // š
    {0x0073, 0x0327, 0x015F},  // ş
    {0x0074, 0x030C, 0x0165},  // ť
    {0x0074, 0x0327, 0x0163},  // ţ
    {0x0075, 0x0301, 0x00FA},  // ú
    {0x0075, 0x0308, 0x00FC},  // ü
    {0x0075, 0x030A, 0x016F},  // ů
    {0x0075, 0x030B, 0x0171},  // ű
    {0x0079, 0x0301, 0x00FD},  // ý
    {0x007A, 0x0301, 0x017A},  // ź
    {0x007A, 0x0307, 0x017C},  // ż
    {0x007A, 0x030C, 0x017E},  // ž
};

// The base letter and mark of a composition, or 0.
uint32_t Compose(uint32_t base, uint32_t mark) {
  for (const auto& c : kCompose) {
    if (c[0] == base && c[1] == mark) return c[2];
  }
  return 0;
}

bool IsCombiningMark(uint32_t code) { return code >= 0x0300 && code <= 0x036F; }

}  // namespace

uint32_t Cp1250ToUnicode(unsigned char byte) { return byte < 0x80 ? byte : kHigh[byte - 0x80]; }

int UnicodeToCp1250(uint32_t code) {
  if (code < 0x80) return static_cast<int>(code);
  if (code == 0) return -1;
  for (int i = 0; i < 128; ++i) {
    if (kHigh[i] == code) return 0x80 + i;
  }
  return -1;
}

int32_t DecodeUtf8(std::string_view s, size_t* pos) {
  const size_t at = *pos;
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(at);
  *pos = at + 1;
  if (lead < 0x80) return lead;
  int len = 0;
  uint32_t code = 0;
  uint32_t min = 0;
  if ((lead & 0xE0) == 0xC0) { len = 2; code = lead & 0x1F; min = 0x80; }
  else if ((lead & 0xF0) == 0xE0) { len = 3; code = lead & 0x0F; min = 0x800; }
  else if ((lead & 0xF8) == 0xF0) { len = 4; code = lead & 0x07; min = 0x10000; }
  else return -1;
  if (at + static_cast<size_t>(len) > s.size()) return -1;
  for (int i = 1; i < len; ++i) {
    const unsigned char c = byte(at + static_cast<size_t>(i));
    if ((c & 0xC0) != 0x80) return -1;
    code = (code << 6) | (c & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return -1;
  *pos = at + static_cast<size_t>(len);
  return static_cast<int32_t>(code);
}

void AppendUtf8(uint32_t code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

std::string Cp1250ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (const char c : bytes) {
    const uint32_t code = Cp1250ToUnicode(static_cast<unsigned char>(c));
    AppendUtf8(code != 0 || c == 0 ? code : 0xFFFD, &out);
  }
  return out;
}

namespace {

// Utf8ToCp1250, and its lossy form: a character the code page cannot hold,
// and each byte of a malformed sequence, becomes one '?'.
bool Convert(std::string_view utf8, std::string* out, size_t* bad, bool lossy) {
  out->clear();
  out->reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) {
    const size_t at = pos;
    const int32_t code = DecodeUtf8(utf8, &pos);
    if (code < 0) {
      if (!lossy) {
        if (bad) *bad = at;
        return false;
      }
      out->push_back('?');
      continue;
    }
    uint32_t letter = static_cast<uint32_t>(code);
    // Canonical composition with the marks that follow.
    while (pos < utf8.size()) {
      size_t next = pos;
      const int32_t mark = DecodeUtf8(utf8, &next);
      if (mark < 0 || !IsCombiningMark(static_cast<uint32_t>(mark))) break;
      const uint32_t composed = Compose(letter, static_cast<uint32_t>(mark));
      if (composed == 0) break;
      letter = composed;
      pos = next;
    }
    const int byte = UnicodeToCp1250(letter);
    if (byte < 0 && !lossy) {
      if (bad) *bad = at;
      return false;
    }
    out->push_back(byte < 0 ? '?' : static_cast<char>(byte));
  }
  return true;
}

}  // namespace

bool Utf8ToCp1250(std::string_view utf8, std::string* out, size_t* bad) { return Convert(utf8, out, bad, false); }

std::string Utf8ToCp1250Lossy(std::string_view utf8) {
  std::string out;
  Convert(utf8, &out, nullptr, true);
  return out;
}

std::string PrintableUtf8(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t at = pos;
    const int32_t code = DecodeUtf8(text, &pos);
    if (code == '\\') {
      shown += "\\\\";
    } else if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0)) {
      for (size_t i = at; i < pos; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
      }
    } else {
      shown.append(text.substr(at, pos - at));
    }
  }
  return shown;
}

}  // namespace karo
