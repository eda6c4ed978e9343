// Windows-1250 <-> UTF-8.
#include <gtest/gtest.h>

#include "Cp1250.h"

namespace karo {
namespace {

TEST(Cp1250, RoundTripOfEveryByte) {
  for (int b = 1; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = Cp1250ToUtf8(byte);
    std::string back;
    const bool undefined = b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98;
    EXPECT_EQ(Utf8ToCp1250(utf8, &back), !undefined) << b;
    if (!undefined) {
      EXPECT_EQ(back, byte) << b;
    }
  }
  EXPECT_EQ(Cp1250ToUtf8("\x8A\xE8\xF8\xBE"), "Ščřľ");
}

TEST(Cp1250, ComposesDecomposedLettersAndReportsWhatItCannotHold) {
  std::string out;
  EXPECT_TRUE(Utf8ToCp1250("Dvor\xCC\x8C\x61\xCC\x81k", &out));  // r + caron, a + acute
  EXPECT_EQ(out, "Dvo\xF8\xE1k");
  size_t bad = 0;
  EXPECT_FALSE(Utf8ToCp1250("ab\xE2\x82\xAC?\xE4\xB8\xAD", &out, &bad));  // euro is fine, CJK not
  EXPECT_EQ(bad, 6u);
  EXPECT_EQ(out, "ab\x80?");
  EXPECT_FALSE(Utf8ToCp1250("a\xCC\x88\xCC\x8C", &out, &bad));  // ä then a stray caron
  EXPECT_EQ(bad, 3u);
  for (const char* malformed : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF5\x80\x80\x80", "\x80"}) {
    EXPECT_FALSE(Utf8ToCp1250(malformed, &out, &bad)) << malformed;
    EXPECT_EQ(bad, 0u);
  }
}

TEST(Cp1250, LossyConversionPutsOneQuestionMarkForEachCharacterItCannotHold) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"Dvor\xCC\x8C\x61\xCC\x81k", "Dvo\xF8\xE1k"},   // composed as the strict conversion composes
      {"a\xF0\x9F\x98\x80" "b", "a?b"},                  // an emoji (two UTF-16 units) is one character
      {"\xE4\xB8\xAD\xE6\x96\x87", "??"},               // two CJK characters
      {"a\xCC\x88\xCC\x8C", "\xE4?"},                   // ä, then a caron that does not compose
      {"x\xC3" "y\xFF", "x?y?"},                        // malformed bytes, one mark each
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(Utf8ToCp1250Lossy(c.in), c.out);
  }
}

TEST(Cp1250, PrintableUtf8EscapesWhatATerminalWouldTakeAsCommands) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"Příliš žluťoučký kůň 中", "Příliš žluťoučký kůň 中"},
      {"a\xFF" "b", "a\\xFFb"},
      {"\xC3", "\\xC3"},                              // cut short
      {"\xC0\xAF", "\\xC0\\xAF"},                     // overlong
      {"\x1B[2J\r\n\t", "\\x1B[2J\\x0D\\x0A\\x09"},   // C0
      {"\x7F", "\\x7F"},
      {"\xC2\x9B" "31m", "\\xC2\\x9B31m"},            // C1 control (CSI)
      {"C:\\dir", "C:\\\\dir"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    EXPECT_EQ(PrintableUtf8(c.in), c.out);
  }
}

}  // namespace
}  // namespace karo
