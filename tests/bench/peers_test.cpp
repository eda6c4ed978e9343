// The benchmark's peers must ask what the program asks: every SQL form of a
// search finds exactly the records RunSearch finds, the CzechCmp sort gives
// exactly TfdbTable::Sort's order, the independent export bytes equal the
// export writer's. Random directories from a fixed, printed seed.
#include <gtest/gtest.h>

#include <random>

#include "Export.h"
#include "FilePeers.h"
#include "Scenario.h"
#include "SortPeers.h"
#include "SqlPeer.h"
#include "TestDir.h"

namespace bench {
namespace {

using karo::FieldValue;
using karo::test::TestDir;
using karo::test::WriteTable;

constexpr unsigned kSeed = 20260410;

// Pieces of texts: letters that fold to the same byte, "ch", the characters
// that GLOB and LIKE treat specially, a control character and 0xFF (both
// fold to the space), the space itself.
const char* const kPieces[] = {"a",  "n", "N",   "o", "v",  "Nov", "nov", "Nov\xE1k", "\xC8", "\x8A",
                               "ch", "%", "_",   "*", "?",  "[",   "\\",  " ",        "\x01", "\xFF"};

std::string RandomText(std::mt19937& r, int most) {
  std::string text;
  for (int i = static_cast<int>(r() % (most + 1)); i > 0; --i) text += kPieces[r() % std::size(kPieces)];
  return text;
}

// A code list of up to four codes (duplicates allowed) and its end mark.
std::string RandomList(std::mt19937& r, bool wide) {
  static const int kWide[] = {0, 1, 2, 3, 256, 300, 511, 1000};
  std::string bytes;
  for (int i = static_cast<int>(r() % 5); i > 0; --i) {
    const int code = wide ? kWide[r() % std::size(kWide)] : static_cast<int>(r() % 6);
    bytes += static_cast<char>(code & 0xFF);
    if (wide) bytes += static_cast<char>(code >> 8);
  }
  return bytes + (wide ? std::string("\xFF\x00", 2) : std::string("\xFF"));
}

// pseek, moskyti (without every seventh provider's detail record) and obory.
void WriteDirectory(const TestDir& dir, int count, std::mt19937& r) {
  const std::vector<karo::FieldSpec> search = {
      {"id", 'N', 4},          {"uroven", 'N', 1}, {"jmeno", 'T', 0},      {"pracoviste", 'T', 0},
      {"ulice", 'T', 0},       {"obec", 'T', 0},   {"okres", 'N', 2},      {"psc", 'T', 0},
      {"typzarizeni", 'N', 2}, {"jazyky", 'T', 0}, {"pojistovny", 'T', 0}, {"obory", 'T', 0},
      {"rubriky", 'T', 0}};
  std::vector<std::vector<FieldValue>> records, details;
  static const int kNumbers[] = {0, 1, 2, 3, 4, 5, 300};
  for (int i = 0; i < count; ++i) {
    const int id = 1000 + i;
    records.push_back({FieldValue::Number(id), FieldValue::Number(1 + r() % 4), FieldValue::Text(RandomText(r, 3)),
                       FieldValue::Text(RandomText(r, 3)), FieldValue::Text(RandomText(r, 2)),
                       FieldValue::Text(RandomText(r, 3)), FieldValue::Number(kNumbers[r() % 7]),
                       FieldValue::Text("000 00"), FieldValue::Number(kNumbers[r() % 7]),
                       FieldValue::Raw(RandomList(r, false)), FieldValue::Raw(RandomList(r, false)),
                       FieldValue::Raw(RandomList(r, true)), FieldValue::Raw(RandomList(r, false))});
    if (i % 7 != 3) details.push_back({FieldValue::Number(id), FieldValue::Text("PSC " + std::to_string(i))});
  }
  WriteTable(dir, "pseek", search, records);
  WriteTable(dir, "moskyti", {{"id", 'N', 4}, {"PSC", 'T', 0}}, details);
  std::vector<std::vector<FieldValue>> entries;
  for (const char* name : {"Chirurgie", "\xC8" "ern\xE1", "chirurgie d\xECtsk\xE1", "Ortopedie", "Nov\xE1"}) {
    entries.push_back({FieldValue::Text("001"), FieldValue::Text(name)});
  }
  WriteTable(dir, "obory", {{"kod", 'T', 0}, {"nazev", 'T', 0}}, entries);
}

struct Directory {
  TestDir Dir;
  TfdbTable Pseek, Moskyti, Obory;
  SqlPeer Sql;
  explicit Directory(int count, std::mt19937& r) {
    WriteDirectory(Dir, count, r);
    for (auto [table, name] : {std::pair{&Pseek, "pseek"}, {&Moskyti, "moskyti"}, {&Obory, "obory"}}) {
      table->Dir = Dir.Path();
      EXPECT_EQ(table->Open(name), 0) << name;
    }
    std::string error;
    EXPECT_TRUE(Sql.Load(Pseek, Moskyti, Obory, 1, &error)) << error;
  }
};

std::vector<int> RandomPositions(std::mt19937& r) {
  static const int kPositions[] = {-1, 0, 1, 2, 3, 4, 5, 256, 300, 511};
  std::vector<int> positions;
  if (r() % 3 != 0) return positions;
  for (int i = 1 + static_cast<int>(r() % 3); i > 0; --i) positions.push_back(kPositions[r() % std::size(kPositions)]);
  return positions;
}

std::string Describe(const karo::SearchFilter& f) {
  auto list = [](const std::vector<int>& v) {
    std::string s;
    for (const int p : v) s += std::to_string(p) + " ";
    return s;
  };
  return "jmeno[" + f.Surname + "] pracoviste[" + f.Workplace + "] obec[" + f.Municipality + "] okresy " +
         list(f.Districts) + "obory " + list(f.Specialties) + "rubriky " + list(f.Categories) + "pojistovny " +
         list(f.Insurers) + "jazyky " + list(f.Languages) + "typy " + list(f.FacilityTypes);
}

TEST(SqlPeer, EveryFormFindsWhatTheSearchFinds) {
  SCOPED_TRACE("seed " + std::to_string(kSeed));
  std::mt19937 r(kSeed);
  Directory d(400, r);
  std::vector<karo::SearchFilter> filters(8);
  filters[1].Surname = "nov";
  filters[2].Surname = "%";
  filters[3].Workplace = "_";
  filters[4].Municipality = "\\";
  filters[5].Surname = "[";
  filters[6].Surname = "  *  ";  // trimmed to "*"
  filters[7].Specialties = {300, 511};
  for (int i = 0; i < 150; ++i) {
    karo::SearchFilter f;
    if (r() % 3 == 0) f.Surname = RandomText(r, 2);
    if (r() % 4 == 0) f.Workplace = RandomText(r, 2);
    if (r() % 3 == 0) f.Municipality = RandomText(r, 2);
    f.Districts = RandomPositions(r);
    f.Specialties = RandomPositions(r);
    f.Categories = RandomPositions(r);
    f.Insurers = RandomPositions(r);
    f.Languages = RandomPositions(r);
    f.FacilityTypes = RandomPositions(r);
    filters.push_back(f);
  }
  size_t nonEmpty = 0;
  for (const karo::SearchFilter& f : filters) {
    SCOPED_TRACE(Describe(f));
    karo::RunSearch(d.Pseek, f);
    const std::vector<int64_t> ours = IdsOf(d.Pseek);
    nonEmpty += !ours.empty();
    std::string error;
    const auto forms = d.Sql.SearchForms(f, &error);
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_FALSE(forms.empty());
    std::vector<int64_t> got;
    for (const auto& form : forms) {
      SCOPED_TRACE(form->Sql());
      form->Run(&got);
      EXPECT_TRUE(SameSet(got, ours)) << got.size() << " instead of " << ours.size();
    }
  }
  EXPECT_GT(nonEmpty, filters.size() / 4);  // the random filters do find something
}

TEST(SqlPeer, PickListAndDetailFindWhatTheStoreFinds) {
  std::mt19937 r(kSeed);
  Directory d(60, r);
  for (const char* key : {"", "ch", "CH", "\xE8" "e", "cher", "nov", "x", "Ortopedie", "Ortopedie!"}) {
    SCOPED_TRACE(key);
    std::string error;
    auto form = d.Sql.PickListForm(key, &error);
    ASSERT_TRUE(form) << error;
    std::vector<int64_t> got;
    form->Run(&got);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], d.Obory.FindPrefix(1, key));
  }
  for (int32_t id = 990; id < 1070; ++id) EXPECT_EQ(d.Sql.FindDetail(id), d.Moskyti.SeekNum(0, id)) << id;
}

TEST(SortPeers, CzechCmpSortGivesTheStoresOrderTiesIncluded) {
  SCOPED_TRACE("seed " + std::to_string(kSeed));
  for (const int count : {0, 1, 2, 3, 7, 100, 1000}) {
    SCOPED_TRACE(count);
    std::mt19937 r(kSeed + count);
    TestDir dir;
    std::vector<std::vector<FieldValue>> records;
    for (int i = 0; i < count; ++i) records.push_back({FieldValue::Number(i), FieldValue::Text(RandomText(r, 2))});
    WriteTable(dir, "t", {{"id", 'N', 4}, {"text", 'T', 0}}, records);
    TfdbTable table;
    table.Dir = dir.Path();
    ASSERT_EQ(table.Open("t"), 0);
    const std::vector<int64_t> base = IdsOf(table);
    const std::vector<uint32_t> peer = SortByCzechCmp(TextsOf(table, 1));
    table.Sort(1);
    EXPECT_EQ(IdsAt(base, peer), IdsOf(table));
  }
}

TEST(SortPeers, IcuAgreesWithCzechCmpWhereTheirRulesAgree) {
  IcuCzech icu;
  ASSERT_TRUE(icu.Ok()) << icu.Error();
  // Case and acute accents do not count, carons and "ch" do; each text twice,
  // so that ties must come out reversed.
  std::vector<std::string> texts;
  for (const char* t : {"Zl\xEDn", "Brno", "\xDAst\xED", "Chrudim", "brno", "\x8E" "atec", "Hradec", "Cheb",
                        "\xC8\xE1slav", "Cvikov", "\xD8" "evnice", "Rokycany", "\x8Aumperk", "S\xE1zava",
                        "BRNO", "Uhersk\xE9", "Ivan\xE8ice", "Jihlava"}) {
    texts.push_back(t);
    texts.push_back(t);
  }
  std::vector<const char*> pointers;
  for (const std::string& t : texts) pointers.push_back(t.c_str());
  EXPECT_EQ(icu.Sort(pointers), SortByCzechCmp(pointers));
  EXPECT_TRUE(icu.Sort({}).empty());
}

TEST(ExportReference, SameBytesAsTheExportWriter) {
  std::mt19937 r(kSeed);
  Directory d(300, r);
  const ExportReference reference(d.Moskyti);
  for (const char* sortedBy : {"", "obec", "jmeno"}) {
    SCOPED_TRACE(sortedBy);
    karo::RunSearch(d.Pseek, {});
    if (*sortedBy) d.Pseek.Sort(d.Pseek.FieldIndex(sortedBy));
    struct : karo::ByteSink {
      bool Write(const char* bytes, size_t count) override {
        Bytes.append(bytes, count);
        return true;
      }
      std::string Bytes;
    } sink;
    ASSERT_TRUE(karo::WriteExport(d.Pseek, d.Moskyti, sink));
    EXPECT_EQ(reference.Bytes(d.Pseek, d.Moskyti), sink.Bytes);
    EXPECT_NE(sink.Bytes.find("\t\r\n"), std::string::npos);  // a provider without a detail record
  }
}

TEST(FilePeers, ReadAndMapGiveTheFilesBytes) {
  TestDir dir;
  WriteTable(dir, "t", {{"id", 'N', 4}, {"text", 'T', 0}},
             {{FieldValue::Number(1), FieldValue::Text("abc")}, {FieldValue::Number(2), FieldValue::Text("")}});
  const char* const names[] = {"t"};
  const std::string d = karo::test::ReadBytes(dir.File("t.d"));
  for (const bool map : {false, true}) {
    SCOPED_TRACE(map);
    TableFiles files;
    ASSERT_TRUE(map ? files.Map(dir.Path(), names, 1) : files.Read(dir.Path(), names, 1));
    EXPECT_EQ(files.Bytes(), TableFileBytes(dir.Path(), names, 1));
    size_t size = 0;
    const unsigned char* p = files.File("t.d", &size);
    ASSERT_TRUE(p);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p), size), d);
  }
  const char* const missing[] = {"none"};
  TableFiles files;
  EXPECT_FALSE(files.Read(dir.Path(), missing, 1));
}

}  // namespace
}  // namespace bench
