// Windows-1250 <-> QString at the widgets' edge.
#include <gtest/gtest.h>

#include "Cp1250.h"
#include "QtText.h"
#include "TestDir.h"

namespace {

TEST(QtText, FromCp1250MatchesTheCodePageForEveryByte) {
  for (int b = 1; b < 256; ++b) {
    SCOPED_TRACE(b);
    const char text[2] = {static_cast<char>(b), 0};
    EXPECT_EQ(FromCp1250(text), QString::fromStdString(karo::Cp1250ToUtf8(text)));
  }
  EXPECT_EQ(FromCp1250("\x81"), QString(QChar(0xFFFD)));
  EXPECT_EQ(FromCp1250(nullptr), QString());
  EXPECT_EQ(FromCp1250(karo::test::W("Příliš žluťoučký kůň").c_str()),
            QString::fromUtf8("Příliš žluťoučký kůň"));
}

TEST(QtText, ToCp1250ComposesAndRefusesWhatTheCodePageLacks) {
  struct Case {
    const char* utf8;
    bool ok;
    std::string bytes;
  };
  const Case cases[] = {
      {"Obec", true, "Obec"},
      {"\xC4\x9B", true, "\xEC"},     // ě precomposed
      {"e\xCC\x8C", true, "\xEC"},    // e + combining caron
      {"U\xCC\x8A" "sti", true, "\xD9sti"},  // Ů decomposed
      {"Espa\xC3\xB1" "a", false, "Espa"},   // ñ is not in the code page
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    std::string out;
    EXPECT_EQ(ToCp1250(QString::fromUtf8(c.utf8), &out), c.ok);
    EXPECT_EQ(out, c.bytes);
  }
  // For showing, the same text as the tools: one mark for an emoji, not one per UTF-16 unit.
  EXPECT_EQ(ToCp1250Lossy(QString::fromUtf8("Nov\xC3\xA1k \xF0\x9F\x98\x80 Espa\xC3\xB1" "a")), "Nov\xE1k ? Espa?a");
}

}  // namespace
