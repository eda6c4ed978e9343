// The Czech comparisons and their tables.
#include <gtest/gtest.h>

#include "Cp1250.h"
#include "TestDir.h"

namespace karo::test {
namespace {

int Prefix(const std::string& key, const std::string& value) { return PrefixCmp(W(key).c_str(), W(value).c_str()); }
int Czech(const std::string& a, const std::string& b) { return CzechCmp(W(a).c_str(), W(b).c_str()); }

TEST(PrefixCmp, Cases) {
  struct Case { const char* key; const char* value; int expect; };
  const Case cases[] = {
      {"", "cokoli", 0},     {"", "", 0},           {"dvo", "Dvořák", 0},   {"Ř", "r", 0},
      {"ř", "Ř", 0},         {"ab", "a", 1},        {"novak", "Nováková", 0}, {"a b", "a\tb", 0},
      {"brnox", "Brno", 1},  {"bre", "Břeclav", 0}, {"bre", "BŘECLAV", 0},  {"a", "b", -1},
      {"c", "b", 1},         {" b", "b", -1},       {"ch", "Chrudim", 0},   {"Ž", "zz", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " / " + c.value);
    EXPECT_EQ(Prefix(c.key, c.value), c.expect);
  }
}

TEST(CzechCmp, CzechAlphabet) {
  struct Case { const char* a; const char* b; int expect; };
  const Case cases[] = {
      {"Chrudim", "Cvikov", 1},   {"Hus", "Chrudim", -1},   {"Čáslav", "Cheb", -1},
      {"Šumperk", "Svitavy", 1},  {"Ústí", "Uherský Brod", 1}, {"abc", "ABC", 0},
      {"Brno", "Brno-venkov", -1}, {"ch", "ci", 1},          {"CH", "ch", 0},
      {"cH", "h", 1},             {"Řím", "Rokycany", 1},   {"Žatec", "Zlín", 1},
      {"a b", "ab", -1},          {"9", "a", -1},           {"Ďáblice", "Dubá", 1},
      {"Ťapka", "Tyn", 1},        {"Ňadra", "Nymburk", 1},  {"Ž", "[", -1},
      {"~", "Ś", -1},             {"Ś", "ś", -1},           {"", "", 0},
      {"", "a", -1},              {"Éra", "era", 0},        {"Ů", "ú", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(Czech(c.a, c.b), c.expect);
    EXPECT_EQ(Czech(c.b, c.a), -c.expect);
  }
}

TEST(CzechTables, EveryAccentedLetterFoldsToItsBaseLetter) {
  // The search folding must agree with the letters' own names: every
  // Windows-1250 letter with a diacritic folds to its plain lower-case letter.
  const std::string accented[][2] = {
      {"ÁÂĂÄĄáâăäą", "a"}, {"ĆÇČćçč", "c"}, {"ĎĐďđ", "d"},      {"ÉĘËĚéęëě", "e"},
      {"ÍÎíî", "i"},       {"ĹĽŁĺľł", "l"},  {"ŃŇńň", "n"},      {"ÓÔŐÖóôőö", "o"},
      {"ŔŘŕř", "r"},       {"ŚŠŞśšş", "s"},  {"ŤŢťţ", "t"},      {"ÚŮŰÜúůűü", "u"},
      {"Ýý", "y"},         {"ŹŽŻźžż", "z"},
  };
  int letters = 0;
  for (const auto& group : accented) {
    for (const char c : W(group[0])) {
      SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(c)));
      EXPECT_EQ(kSearchFold[static_cast<unsigned char>(c)], group[1][0]);
      ++letters;
    }
  }
  EXPECT_EQ(letters, 80);
  // Every other byte from 0x80 up is not a letter with a diacritic and maps to
  // itself, except 0xFF which folds to the space.
  const std::string all = W("ÁÂĂÄĄáâăąäĆÇČćçčĎĐďđÉĘËĚéęëěÍÎíîĹĽŁĺľłŃŇńňÓÔŐÖóôőöŔŘŕřŚŠŞśšşŤŢťţÚŮŰÜúůűüÝýŹŽŻźžż");
  for (int b = 0x80; b < 0xFF; ++b) {
    if (all.find(static_cast<char>(b)) != std::string::npos) continue;
    EXPECT_EQ(kSearchFold[b], b) << b;
  }
  EXPECT_EQ(kSearchFold[0xFF], 0x20);
  for (int b = 1; b <= 0x20; ++b) {
    EXPECT_EQ(kSearchFold[b], 0x20);
    EXPECT_EQ(kCollation[b], 0x20);
    EXPECT_EQ(kNameFold[b], 0x20);
  }
  for (int b = 'A'; b <= 'Z'; ++b) {
    EXPECT_EQ(kSearchFold[b], b + 32);
    EXPECT_EQ(kNameFold[b], b + 32);
    EXPECT_EQ(kCollation[b], kCollation[b + 32]);
  }
  for (int b = 1; b < 256; ++b) {
    EXPECT_NE(kSearchFold[b], 0);
    EXPECT_NE(kCollation[b], 0);
    EXPECT_NE(kNameFold[b], 0);
  }
}

TEST(CzechTables, CollationWeights) {
  const std::pair<const char*, int> weights[] = {
      {"AaÁáÄä", 0x41}, {"Čč", 0x44}, {"Ďď", 0x46}, {"EeÉéËëĚě", 0x47}, {"IiÍí", 0x4C},
      {"Ňň", 0x52},     {"OoÓóÖö", 0x53}, {"Řř", 0x57}, {"Šš", 0x59}, {"Ťť", 0x5B},
      {"UuÚúŮůÜü", 0x5C}, {"YyÝý", 0x60}, {"Zz", 0x61}, {"Žž", 0x62}, {"[", 0x63},
      {"`", 0x68},      {"{", 0x69},   {"~", 0x6C},
  };
  for (const auto& [chars, weight] : weights) {
    for (const char c : W(chars)) EXPECT_EQ(kCollation[static_cast<unsigned char>(c)], weight) << chars;
  }
  // Letters outside the Czech alphabet keep their own byte, after Ž.
  for (const char c : W("ŚśŁłĄąĹĺĽľŔŕÔôßĆçÂ")) {
    EXPECT_EQ(kCollation[static_cast<unsigned char>(c)], static_cast<unsigned char>(c));
  }
  EXPECT_EQ(kCollation[0xFF], 0xFF);
}

TEST(CzechTables, NameFolding) {
  EXPECT_EQ(W("á")[0], static_cast<char>(kNameFold[static_cast<unsigned char>(W("Á")[0])]));
  EXPECT_EQ(W("ž")[0], static_cast<char>(kNameFold[static_cast<unsigned char>(W("Ž")[0])]));
  EXPECT_EQ(kNameFold[static_cast<unsigned char>(W("Ö")[0])], 'o');
  EXPECT_EQ(kNameFold[static_cast<unsigned char>(W("ŕ")[0])], 'r');
  EXPECT_EQ(kNameFold[static_cast<unsigned char>(W("ś")[0])], static_cast<unsigned char>(W("ś")[0]));
  EXPECT_EQ(kNameFold[0xFF], 0x20);
}

}  // namespace
}  // namespace karo::test
