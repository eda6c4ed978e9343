// The export file's content, byte for byte.
#include <gtest/gtest.h>

#include "Export.h"
#include "Fixture.h"
#include "TestDir.h"

namespace karo::test {
namespace {

const std::string kHeader = "PRACOVISTE\tJMENO\tULICE\tOBEC\tPSC\r\n";

std::string Line(const char* workplace, const char* surname, const char* street, const char* municipality,
                 const char* psc) {
  return W(workplace) + "\t" + W(surname) + "\t" + W(street) + "\t" + W(municipality) + "\t" + W(psc) + "\r\n";
}

const std::string kLine1 = Line("Ordinace Novák", "Novák Jan", "Husova 1", "Břeclav", "690 02");
const std::string kLine3 = Line("Gynekologie Dvořák", "Dvořák Petr", "Nádražní 3", "Brektov", "691 01");
const std::string kLine4 = Line("Interna Černý", "Černý Karel", "Masarykova 10", "Brno", "602 00");
const std::string kLine5 = Line("Ordinace Šťastný", "Šťastný Ivo", "Veveří 2", "Brno", "602 00");
const std::string kLine6 = Line("Nemocnice Brno", "Bártová Olga", "Vinohradská 1", "Praha", "120 00");

TEST(Export, HeaderAndRecordsAboveLevelOneInTheCurrentOrder) {
  TestDir dir;
  BuildDirectory(dir.File("data"), SixProviders());
  TfdbTable search, detail;
  OpenTable(&search, dir.File("data/"), "pseek");
  OpenTable(&detail, dir.File("data/"), "moskyti");
  const struct {
    const char* what;
    const char* sortBy;  // field name, or null
    SearchFilter filter;
    std::string bytes;
  } cases[] = {
      {"all; the level-1 record left out", nullptr, {}, kHeader + kLine1 + kLine3 + kLine4 + kLine5 + kLine6},
      {"sorted by workplace", "pracoviste", {}, kHeader + kLine3 + kLine4 + kLine6 + kLine1 + kLine5},
      {"sorted by surname", "jmeno", {}, kHeader + kLine6 + kLine4 + kLine3 + kLine1 + kLine5},
      {"sorted by municipality (equal keys reversed)", "obec", {},
       kHeader + kLine3 + kLine5 + kLine4 + kLine1 + kLine6},
      {"sorted by street", "ulice", {}, kHeader + kLine1 + kLine4 + kLine3 + kLine5 + kLine6},
      {"a result of one level-1 record: header only", nullptr, {"", "Zubn", "", {}, {}, {}, {}, {}, {}}, kHeader},
      {"an empty result: header only", nullptr, {"xyz", "", "", {}, {}, {}, {}, {}, {}}, kHeader},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RunSearch(search, c.filter);
    if (c.sortBy) search.Sort(search.FieldIndex(c.sortBy));
    StringSink sink;
    ASSERT_TRUE(WriteExport(search, detail, sink));
    EXPECT_EQ(sink.Bytes, c.bytes);
    ASSERT_EQ(ExportFile(search, detail, dir.File("out.txt")), ExportResult::Done);
    EXPECT_EQ(ReadBytes(dir.File("out.txt")), c.bytes);
  }
  // Before the first search the window's current order is the empty selection.
  TfdbTable fresh;
  OpenTable(&fresh, dir.File("data/"), "pseek");
  ClearResult(fresh);
  StringSink sink;
  ASSERT_TRUE(WriteExport(fresh, detail, sink));
  EXPECT_EQ(sink.Bytes, kHeader);
}

// Ten providers, four of level 1 and one of level 0 unless said otherwise;
// identifiers 30 and 70 have no detail record.
void WriteTenProviders(const TestDir& dir, const char* pscField,
                       std::vector<int> levels = {2, 1, 3, 1, 4, 1, 0, 2, 1, 9}) {
  std::vector<std::vector<FieldValue>> records;
  for (int i = 0; i < 10; ++i) {
    const std::string name = std::string(1, static_cast<char>('a' + i)) + "\xE8";  // a letter and č
    records.push_back(SearchRecord((i + 1) * 10, levels[static_cast<size_t>(i)], name, 0, 0, "\xFF", "\xFF",
                                   std::string("\xFF\x00", 2), "\xFF"));
  }
  WriteTable(dir, "pseek", SearchFieldsWide(1), records);
  std::vector<std::vector<FieldValue>> details;
  for (const int id : {10, 20, 40, 50, 60, 80, 90, 100}) {
    details.push_back({FieldValue::Number(id), FieldValue::Text("P" + std::to_string(id))});
  }
  WriteTable(dir, "moskyti", {{"id", 'N', 4}, {pscField, 'T', 0}}, details);
}

std::string TenProvidersLine(int id, const std::string& psc) {
  const std::string name = std::string(1, static_cast<char>('a' + id / 10 - 1)) + "\xE8";
  return "P" + name + "\t" + name + "\tU" + name + "\tO" + name + "\t" + psc + "\r\n";
}

TEST(Export, PostalCodeFromTheDetailRecord) {
  const struct {
    const char* what;
    const char* pscField;
    std::string bytes;
  } cases[] = {
      {"PSC found; none for a missing detail record", "PSC",
       kHeader + TenProvidersLine(10, "P10") + TenProvidersLine(30, "") + TenProvidersLine(50, "P50") +
           TenProvidersLine(80, "P80") + TenProvidersLine(100, "P100")},
      {"field names ignore case", "psc",
       kHeader + TenProvidersLine(10, "P10") + TenProvidersLine(30, "") + TenProvidersLine(50, "P50") +
           TenProvidersLine(80, "P80") + TenProvidersLine(100, "P100")},
      {"no PSC field: the store's text", "posta",
       kHeader + TenProvidersLine(10, "Field not found") + TenProvidersLine(30, "") +
           TenProvidersLine(50, "Field not found") + TenProvidersLine(80, "Field not found") +
           TenProvidersLine(100, "Field not found")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestDir dir;
    WriteTenProviders(dir, c.pscField);
    TfdbTable search, detail;
    OpenTable(&search, dir.Path(), "pseek");
    OpenTable(&detail, dir.Path(), "moskyti");
    RunSearch(search, {});
    StringSink sink;
    ASSERT_TRUE(WriteExport(search, detail, sink));
    EXPECT_EQ(sink.Bytes, c.bytes);
  }
}

TEST(Export, TenProvidersFourOfLevelOne) {
  TestDir dir;
  WriteTenProviders(dir, "PSC", {2, 1, 3, 1, 4, 1, 2, 2, 1, 9});
  TfdbTable search, detail;
  OpenTable(&search, dir.Path(), "pseek");
  OpenTable(&detail, dir.Path(), "moskyti");
  EXPECT_EQ(RunSearch(search, {}), 10u);
  StringSink sink;
  ASSERT_TRUE(WriteExport(search, detail, sink));
  EXPECT_EQ(sink.Bytes, kHeader + TenProvidersLine(10, "P10") + TenProvidersLine(30, "") +
                            TenProvidersLine(50, "P50") + TenProvidersLine(70, "") + TenProvidersLine(80, "P80") +
                            TenProvidersLine(100, "P100"));  // seven lines, nothing after the last
}

TEST(Export, Messages) {
  EXPECT_EQ(ExportMessage(ExportResult::Done, "a.txt"), "Export ukončen.");
  EXPECT_EQ(ExportMessage(ExportResult::CannotOpen, "/x/a.txt"), "ERROR : Soubor /x/a.txt nelze otevřít.");
  EXPECT_EQ(ExportMessage(ExportResult::CannotWrite, "a.txt"), "ERROR : Soubor a.txt nelze zapsat.");
}

}  // namespace
}  // namespace karo::test
