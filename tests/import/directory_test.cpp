// The directory builder: source CSV to tables, its errors, and the sample generator.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "Directory.h"
#include "Sample.h"
#include "Source.h"
#include "TestDir.h"

namespace karo::test {
namespace {

namespace fs = std::filesystem;

const char kHeader[] =
    "id,uroven,jmeno,pracoviste,ulice,obec,psc,okres,typzarizeni,jazyky,pojistovny,obory,rubriky,"
    "telefony,fax,mobil,email,www,fvlast,ostruktura,specipece,pozn,ordihod,ambulance,pohotovost,"
    "vysetreni,objdoba,npece,nhospit\n";

// A small, valid source directory.
std::map<std::string, std::string> GoodSource() {
  return {
      {"okresy.csv", "kod,nazev\nCZ0642,Brno-město\nCZ0643,Brno-venkov\nCZ0531,Chrudim\n"},
      {"obory.csv", "kod,nazev\n001,Praktický lékař pro dospělé\n014,Zubní lékař\n603,Gynekologie\n"},
      {"rubriky.csv", "kod,nazev,aforismus\nR1,Praktický lékař,1\nR2,Zubní lékař,2\n"},
      {"jazyky.csv", "nazev\nangličtina\nněmčina\n"},
      {"pojistovny.csv", "kod,nazev\n111,Všeobecná zdravotní pojišťovna ČR\n201,Vojenská zdravotní pojišťovna ČR\n"},
      {"typzarizeni.csv", "kod,nazev\n320,Samost. ordinace všeob. prakt. lékaře\n322,Samostatná ordinace PL - stomatologa\n"},
      {"aforismy.csv", "skupina,text\n0,Zdraví je nejvzácnější poklad.\n1,\"Čistota, půl zdraví.\"\n"},
      {"poskytovatele.csv",
       std::string(kHeader) +
           "30,4,Dvořák Jan,\"MUDr. Jan Dvořák, s.r.o.\",Husova 5,Chrudim,537 01,CZ0531,320,"
           "angličtina|němčina,111|201,001|603,R1|R2,+420 469 000 000,,,jan@example.cz,www.dvorak.cz,"
           "soukromé,,EKG,\"Parkoviště \"\"U lípy\"\".\",\"7:00 - 12:00\n\n7:00 - 12:00\",,,ano,3,"
           "Konzultace,\n"
           "10,1,Černá Eva,Zubní ordinace,Nádražní 1,Brno,602 00,CZ0642,322,,111,014,,,,,,,obecní,"
           "\"Ordinace\r\nSestra\",,,,,,,,,\n"},
  };
}

void WriteSource(const TestDir& dir, const std::map<std::string, std::string>& files) {
  fs::create_directories(dir.File("src"));
  for (const auto& [name, content] : files) WriteBytes(dir.File("src/" + name), content);
}

std::vector<std::string> Build(const TestDir& dir, const std::string& out) {
  DirectoryBuilder builder;
  ReadSourceDir(dir.File("src"), &builder);
  if (builder.ErrorCount() == 0) builder.Finish(out);
  return builder.Errors();
}

TEST(DirectoryBuilder, SourceRoundTrip) {
  TestDir dir;
  WriteSource(dir, GoodSource());
  const std::vector<std::string> errors = Build(dir, dir.File("out"));
  ASSERT_TRUE(errors.empty()) << errors[0];
  TfdbTable t;
  t.Dir = dir.File("out/");
  // Lookups in source order; the pick-list text in field 1 (field 0 for languages).
  ASSERT_EQ(t.Open("okresy"), 0);
  EXPECT_EQ(t.RecCount, 3u);
  EXPECT_STREQ(t.GetStr(2, 1), W("Chrudim").c_str());
  EXPECT_STREQ(t.GetStr(0, 0), "CZ0642");
  ASSERT_EQ(t.Open("jazyky"), 0);
  EXPECT_STREQ(t.GetStr(1, 0), W("němčina").c_str());
  ASSERT_EQ(t.Open("rubriky"), 0);
  EXPECT_EQ(t.GetNumByName(1, "aforismus"), 2);
  ASSERT_EQ(t.Open("aforismy"), 0);
  EXPECT_EQ(t.GetNum(1, 0), 1);
  EXPECT_STREQ(t.GetStr(1, 1), W("Čistota, půl zdraví.").c_str());

  // The search table: source order, fields by position, codes as positions.
  ASSERT_EQ(t.Open("pseek"), 0);
  ASSERT_EQ(t.RecCount, 2u);
  EXPECT_EQ(t.GetNum(0, 0), 30);
  EXPECT_EQ(t.GetNum(0, 1), 4);
  EXPECT_STREQ(t.GetStr(0, 2), W("Dvořák Jan").c_str());
  EXPECT_STREQ(t.GetStr(0, 3), "MUDr. Jan Dvo\xF8\xE1k, s.r.o.");
  EXPECT_STREQ(t.GetStrByName(0, "ulice"), "Husova 5");
  EXPECT_EQ(t.FieldIndex("ulice"), 4);
  EXPECT_STREQ(t.GetStr(0, 5), "Chrudim");
  EXPECT_EQ(t.GetNum(0, 6), 2);
  EXPECT_STREQ(t.GetStr(0, 7), "537 01");
  EXPECT_EQ(t.GetNum(0, 8), 0);
  EXPECT_EQ(std::string(t.GetStr(0, 9), 3), std::string("\x00\x01\xFF", 3));
  EXPECT_EQ(std::string(t.GetStr(0, 10), 3), std::string("\x00\x01\xFF", 3));
  EXPECT_EQ(std::string(t.GetStr(0, 11), 6), std::string("\x00\x00\x02\x00\xFF\x00", 6));
  EXPECT_EQ(std::string(t.GetStr(0, 12), 3), std::string("\x00\x01\xFF", 3));
  EXPECT_EQ(std::string(t.GetStr(1, 9), 1), "\xFF");  // empty list: the end mark alone
  EXPECT_EQ(std::string(t.GetStr(1, 11), 4), std::string("\x01\x00\xFF\x00", 4));
  EXPECT_EQ(t.GetNum(1, 8), 1);
  EXPECT_EQ(t.FieldIndex("jmeno"), 2);
  EXPECT_EQ(t.FieldIndex("pracoviste"), 3);
  EXPECT_EQ(t.FieldIndex("obec"), 5);
  EXPECT_EQ(t.FieldIndex("okres"), 6);
  EXPECT_EQ(t.FieldIndex("typzarizeni"), 8);
  EXPECT_EQ(t.FieldIndex("rubriky"), 12);

  // The detail table: ascending by identifier, multi-line texts with CR LF.
  ASSERT_EQ(t.Open("moskyti"), 0);
  EXPECT_EQ(t.GetNum(0, 0), 10);
  EXPECT_EQ(t.GetNum(1, 0), 30);
  EXPECT_EQ(t.SeekNum(0, 30), 1);
  EXPECT_STREQ(t.GetStrByName(1, "PSC"), "537 01");
  EXPECT_STREQ(t.GetStrByName(1, "ordihod"), "7:00 - 12:00\r\n\r\n7:00 - 12:00");
  EXPECT_STREQ(t.GetStrByName(1, "pozn"), "Parkovi\x9At\xEC \"U l\xEDpy\".");
  EXPECT_STREQ(t.GetStrByName(0, "ostruktura"), "Ordinace\r\nSestra");
  EXPECT_STREQ(t.GetStrByName(1, "vysetreni"), "ano");
  EXPECT_STREQ(t.GetStrByName(1, "npece"), "Konzultace");
  for (const char* name : {"telefony", "fax", "mobil", "email", "www", "fvlast", "specipece",
                           "ambulance", "pohotovost", "objdoba", "nhospit"}) {
    EXPECT_GE(t.FieldIndex(name), 1) << name;
  }
}

TEST(DirectoryBuilder, EveryErrorNamesItsLineAndWritesNothing) {
  struct Case {
    const char* what;
    std::string file;
    std::string content;  // replaces the file; empty: remove it
    std::string expect;   // part of the message, after "file:line: "
  };
  auto provider = [](const std::string& row) { return std::string(kHeader) + row + "\n"; };
  const std::string good = "1,1,A,B,C,D,E,CZ0642,320,,111,001,R1,,,,,,,,,,,,,,,,\n";
  std::string manyInsurers = "kod,nazev\n";
  for (int i = 0; i < 256; ++i) manyInsurers += std::to_string(100 + i) + ",P\n";
  std::string manySpecialties = "kod,nazev\n";
  for (int i = 0; i < 256; ++i) manySpecialties += std::to_string(1000 + i) + ",O\n";
  const std::string tooBig(70000, 'x');
  const Case cases[] = {
      {"unknown code", "poskytovatele.csv", provider("1,1,A,B,C,D,E,CZ9999,320,,111,001,R1,,,,,,,,,,,,,,,,"),
       "poskytovatele.csv:2: sloupec „okres“: neznámý kód „CZ9999“"},
      {"unknown list code", "poskytovatele.csv", std::string(kHeader) + good + "2,1,A,B,C,D,E,CZ0642,320,,111|999,001,R1,,,,,,,,,,,,,,,,\n",
       "poskytovatele.csv:3: sloupec „pojistovny“: neznámý kód „999“"},
      {"unknown language", "poskytovatele.csv", provider("1,1,A,B,C,D,E,CZ0642,320,klingonština,111,001,R1,,,,,,,,,,,,,,,,"),
       ":2: sloupec „jazyky“: neznámý jazyk"},
      {"not Windows-1250", "poskytovatele.csv", provider("1,1,A,B,C,D,E,CZ0642,320,,111,001,R1,,,,,,,,\xE4\xB8\xAD,,,,,,,,"),
       ":2: sloupec „specipece“: znak, který kódování Windows-1250 nezná: U+4E2D"},
      {"duplicate identifier", "poskytovatele.csv", std::string(kHeader) + good + good,
       "poskytovatele.csv:3: duplicitní identifikátor 1 (poprvé na řádku 2)"},
      {"level outside 0 to 9", "poskytovatele.csv", provider("1,10,A,B,C,D,E,CZ0642,320,,111,001,R1,,,,,,,,,,,,,,,,"),
       ":2: sloupec „uroven“: úroveň musí být číslo 0 až 9"},
      {"too many insurers", "pojistovny.csv", manyInsurers, "pojistovny.csv:257: příliš mnoho pojišťoven"},
      {"specialty code 255", "obory.csv", manySpecialties, "obory.csv:257: obor na 256. místě"},
      {"out-of-line values too big", "poskytovatele.csv",
       provider("1,1,A,B,C,D,E,CZ0642,320,,111,001,R1,,,,,,," + tooBig + ",,,,,,,,,"),
       ":2: sloupec „ostruktura“ je příliš dlouhý (70000 bajtů)"},
      {"a long note is named, not the column after it", "poskytovatele.csv",
       provider("1,1,A,B,C,D,E,CZ0642,320,,111,001,R1,,,,,,,,," + tooBig + ",,,,,,,"),
       ":2: sloupec „pozn“ je příliš dlouhý (70000 bajtů)"},
      {"a long surname in the search record", "poskytovatele.csv",
       provider("1,1," + tooBig + ",B,C,D,E,CZ0642,320,,111,001,R1,,,,,,,,,,,,,,,,"),
       ":2: sloupec „jmeno“ je příliš dlouhý"},
      {"missing column", "okresy.csv", "kod\nCZ0642\n", "okresy.csv:1: chybí sloupec „nazev“"},
      {"unknown column", "jazyky.csv", "nazev,barva\nangličtina,modrá\n", "jazyky.csv:1: neznámý sloupec „barva“"},
      {"malformed CSV", "okresy.csv", "kod,nazev\nCZ0642,\"Brno\nCZ0643,Brno-venkov\n",
       "okresy.csv:2: poškozené CSV"},
      {"wrong field count", "rubriky.csv", "kod,nazev,aforismus\nR1,Praktický lékař\n", "rubriky.csv:2: počet polí na řádku je 2, záhlaví jich má 3"},
      {"missing file", "typzarizeni.csv", "", "typzarizeni.csv: soubor neexistuje"},
      {"too many weekdays", "poskytovatele.csv",
       provider("1,1,A,B,C,D,E,CZ0642,320,,111,001,R1,,,,,,,,,,\"1\n2\n3\n4\n5\n6\n7\n8\",,,,,,"),
       ":2: sloupec „ordihod“: 8 řádků"},
      {"line break in a one-line field", "poskytovatele.csv",
       provider("1,1,\"A\nB\",B,C,D,E,CZ0642,320,,111,001,R1,,,,,,,,,,,,,,,,"), ":2: sloupec „jmeno“: jednořádkový"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestDir dir;
    auto files = GoodSource();
    files.erase(c.file);
    WriteSource(dir, files);
    if (!c.content.empty()) WriteBytes(dir.File("src/" + c.file), c.content);
    fs::create_directories(dir.File("out"));
    WriteBytes(dir.File("out/pseek.f"), "old");
    const std::vector<std::string> errors = Build(dir, dir.File("out"));
    ASSERT_FALSE(errors.empty());
    bool found = false;
    for (const std::string& e : errors) found |= e.find(c.expect) != std::string::npos;
    EXPECT_TRUE(found) << "first error: " << errors[0];
    EXPECT_EQ(ReadBytes(dir.File("out/pseek.f")), "old");
    EXPECT_FALSE(fs::exists(dir.File("out/moskyti.d")));
  }
}

TEST(DirectoryBuilder, ListsEveryProblemOfARun) {
  TestDir dir;
  auto files = GoodSource();
  files["poskytovatele.csv"] = std::string(kHeader) +
                               "1,11,A,B,C,D,E,CZ0642,320,,111,001,R1,,,,,,,,,,,,,,,,\n"
                               "2,1,A,B,C,D,E,CZ0000,320,,111,001,R1,,,,,,,,,,,,,,,,\n"
                               "x,1,A,B,C,D,E,CZ0642,320,,111,001,R9,,,,,,,,,,,,,,,,\n";
  WriteSource(dir, files);
  const std::vector<std::string> errors = Build(dir, dir.File("out"));
  ASSERT_EQ(errors.size(), 4u);
  EXPECT_NE(errors[0].find(":2:"), std::string::npos);
  EXPECT_NE(errors[1].find(":3:"), std::string::npos);
  EXPECT_NE(errors[2].find(":4:"), std::string::npos);
  EXPECT_NE(errors[3].find("R9"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.File("out")));
}

TEST(DirectoryBuilder, TheDocumentedExampleBuilds) {
  // Every file of the example in docs/directory-source.md, as a user would copy it.
  const std::string doc = ReadBytes(KARO_DOCS_DIR "/directory-source.md");
  std::map<std::string, std::string> files;
  size_t at = doc.rfind("## ");
  while ((at = doc.find("\n`", at)) != std::string::npos) {
    const size_t nameEnd = doc.find("`\n```\n", at + 2);
    if (nameEnd == std::string::npos) break;
    const std::string name = doc.substr(at + 2, nameEnd - at - 2);
    const size_t body = nameEnd + 6;
    const size_t end = doc.find("```", body);
    files[name] = doc.substr(body, end - body);
    at = end;
  }
  ASSERT_EQ(files.size(), 8u);
  TestDir dir;
  WriteSource(dir, files);
  const std::vector<std::string> errors = Build(dir, dir.File("out"));
  ASSERT_TRUE(errors.empty()) << errors[0];
  TfdbTable t;
  t.Dir = dir.File("out/");
  ASSERT_EQ(t.Open("moskyti"), 0);
  EXPECT_EQ(t.RecCount, 2u);
  EXPECT_STREQ(t.GetStrByName(1, "ordihod"), "7:00 - 12:00\r\n13:00 - 18:00\r\n7:00 - 12:00\r\n7:00 - 12:00\r\n"
                                             "7:00 - 11:00\r\n\r\n");
}

std::map<std::string, std::string> TableBytes(const std::string& dir) {
  std::map<std::string, std::string> bytes;
  for (const char* table : kTableNames)
    for (const char* ext : {".f", ".d", ".x"}) bytes[std::string(table) + ext] = ReadBytes(dir + "/" + table + ext);
  return bytes;
}

TEST(SampleGenerator, DeterministicAndValidThroughItsOwnSource) {
  TestDir dir;
  auto generate = [&](uint64_t seed, const std::string& out, const std::string& emit) {
    SampleOptions options;
    options.Count = 1500;
    options.Seed = seed;
    options.ReferenceDir = KARO_SAMPLE_DIR;
    options.EmitSource = emit;
    DirectoryBuilder builder;
    GenerateSample(options, &builder);
    ASSERT_EQ(builder.ErrorCount(), 0u) << builder.Errors()[0];
    ASSERT_TRUE(builder.Finish(out));
  };
  generate(7, dir.File("a"), dir.File("src"));
  generate(7, dir.File("b"), "");
  generate(8, dir.File("c"), "");
  const auto a = TableBytes(dir.File("a"));
  EXPECT_EQ(a, TableBytes(dir.File("b")));
  EXPECT_NE(a.at("pseek.d"), TableBytes(dir.File("c")).at("pseek.d"));
  // The emitted source passes the builder's validation and gives the same tables.
  const std::vector<std::string> errors = Build(dir, dir.File("d"));
  ASSERT_TRUE(errors.empty()) << errors[0];
  EXPECT_EQ(a, TableBytes(dir.File("d")));

  // The records look like a directory: every level 1 to 4, Czech text, codes in range.
  TfdbTable t;
  t.Dir = dir.File("a/");
  ASSERT_EQ(t.Open("pseek"), 0);
  EXPECT_EQ(t.RecCount, 1500u);
  int levels[5] = {};
  for (int32_t r = 0; r < 1500; ++r) {
    const int32_t level = t.GetNum(r, 1);
    ASSERT_GE(level, 1);
    ASSERT_LE(level, 4);
    ++levels[level];
    ASSERT_GT(std::strlen(t.GetStr(r, 3)), 3u);
    ASSERT_LT(t.GetNum(r, 6), 77);
  }
  for (int level = 1; level <= 4; ++level) EXPECT_GT(levels[level], 100) << level;
  EXPECT_GE(t.FindPrefix(2, "ch"), 0);
  EXPECT_GE(t.FindPrefix(5, W("Ústí").c_str()), 0);
}

}  // namespace
}  // namespace karo::test
