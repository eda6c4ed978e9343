// How the table files hold numbers and code lists, written and read in one
// place: little-endian integers of 1 to 4 bytes (never a struct cast onto
// file bytes), and the code lists of the directory's tables (one-byte or
// 16-bit codes, ended by the value 255). Also the digits GetStr renders for
// a number, which the export writes too.
//
// Every decoder reads only the bytes it is given: [p, p + width) or
// [p, limit). REQUIRES of the caller that those bytes are there.
#ifndef KARO_STORE_CODING_H
#define KARO_STORE_CODING_H

#include <cstdint>
#include <string>

namespace fdbcoding {

inline uint32_t DecodeFixed16(const unsigned char* p) { return uint32_t{p[0]} | (uint32_t{p[1]} << 8); }

inline uint32_t DecodeFixed32(const unsigned char* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// The unsigned value of the `width` bytes at p. REQUIRES: width <= 4.
inline uint32_t DecodeFixed(const unsigned char* p, uint32_t width) {
  uint32_t value = 0;
  for (uint32_t i = 0; i < width; ++i) value |= uint32_t{p[i]} << (8 * i);
  return value;
}

// Writes the low `width` bytes of v at p. REQUIRES: width <= 4.
inline void EncodeFixed(unsigned char* p, uint32_t v, uint32_t width) {
  for (uint32_t i = 0; i < width; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void EncodeFixed16(unsigned char* p, uint32_t v) { EncodeFixed(p, v, 2); }
inline void EncodeFixed32(unsigned char* p, uint32_t v) { EncodeFixed(p, v, 4); }

// The value that ends a code list (and so is nobody's code).
constexpr unsigned kCodeListEnd = 255;

// Appends one code of a list: a byte, or two bytes little-endian when wide.
inline void AppendListCode(std::string* out, uint32_t code, bool wide) {
  out->push_back(static_cast<char>(code & 0xFF));
  if (wide) out->push_back(static_cast<char>((code >> 8) & 0xFF));
}
// Appends the end mark of a list.
inline void AppendListEnd(std::string* out, bool wide) { AppendListCode(out, kCodeListEnd, wide); }

// Calls code(c) for each code of the list at p, reading only [p, limit), up
// to its end mark; a wide list's odd last byte is not read. Stops early when
// code returns true, and returns that; a null p holds no codes.
template <class Code>
inline bool EachListCode(const unsigned char* p, const unsigned char* limit, bool wide, Code code) {
  if (!p) return false;
  if (wide) {
    for (; limit - p >= 2; p += 2) {
      const unsigned c = DecodeFixed16(p);
      if (c == kCodeListEnd) break;
      if (code(c)) return true;
    }
  } else {
    for (; p < limit && *p != kCodeListEnd; ++p) {
      if (code(unsigned{*p})) return true;
    }
  }
  return false;
}

// The digits GetStr renders for a numeric value (none for a negative one)
// into `out`, which has room for 10; returns how many.
int RenderNumber(int32_t value, char* out);

}  // namespace fdbcoding

#endif  // KARO_STORE_CODING_H
