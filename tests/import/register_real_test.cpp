// The register import on a real excerpt of the register (general
// practitioners of the Ústí region): the counts per district and per care
// field, searches by municipality, the detail records and the export agree
// with the file itself, read here by a parser of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "Cp1250.h"
#include "Export.h"
#include "Register.h"
#include "Search.h"
#include "TestDir.h"

namespace karo::test {
namespace {

namespace fs = std::filesystem;

const std::string kExcerpt = std::string(KARO_REALDATA_DIR) + "/nrpzs_subset_ustecky_pl/prakticke_lekarstvi_dospeli.csv";

// RFC 4180 rows, as plainly as possible: independent of the importer's reader.
std::vector<std::map<std::string, std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> records(1);
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      records.back().push_back(field), field.clear();
    } else if (c == '\n') {
      records.back().push_back(field), field.clear();
      records.emplace_back();
    } else if (c != '\r') {
      field += c;
    }
  }
  if (!field.empty() || !records.back().empty()) records.back().push_back(field);
  if (records.back().empty()) records.pop_back();
  std::vector<std::map<std::string, std::string>> rows;
  for (size_t r = 1; r < records.size(); ++r) {
    std::map<std::string, std::string> row;
    for (size_t c = 0; c < records[0].size(); ++c) row[records[0][c]] = records[r].at(c);
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> Split(const std::string& list) {
  std::vector<std::string> items;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    std::string item = list.substr(start, end - start);
    item.erase(0, item.find_first_not_of(' '));
    item.erase(item.find_last_not_of(' ') + 1);
    if (!item.empty()) items.push_back(item);
    start = end + 1;
  }
  return items;
}

// A care field's name compared without regard to the case of its first letter.
std::string Key(const std::string& utf8) {
  std::string bytes = W(utf8);
  if (!bytes.empty()) bytes[0] = static_cast<char>(kSearchFold[static_cast<unsigned char>(bytes[0])]);
  return bytes;
}

std::string Digits(const std::string& s) {
  std::string d;
  for (const char c : s)
    if (c >= '0' && c <= '9') d += c;
  return d;
}

class RealRegister : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kExcerpt)) GTEST_SKIP() << "no real data at " << kExcerpt;
    rows_ = ParseCsv(ReadBytes(kExcerpt));
    RegisterOptions options;
    options.File = kExcerpt;
    options.ReferenceDir = KARO_SAMPLE_DIR;
    ImportRegister(options, &builder_);
    ASSERT_EQ(builder_.ErrorCount(), 0u) << builder_.Errors()[0];
    ASSERT_TRUE(builder_.Finish(dir_.File("DATA")));
    for (auto* t : {&seek_, &detail_, &okresy_, &obory_}) t->Dir = dir_.File("DATA/");
    ASSERT_EQ(seek_.Open("pseek"), 0);
    ASSERT_EQ(detail_.Open("moskyti"), 0);
    ASSERT_EQ(okresy_.Open("okresy"), 0);
    ASSERT_EQ(obory_.Open("obory"), 0);
  }

  TestDir dir_;
  std::vector<std::map<std::string, std::string>> rows_;
  DirectoryBuilder builder_;
  TfdbTable seek_, detail_, okresy_, obory_;
};

TEST_F(RealRegister, EveryPlaceWithItsDistrictAndCareFields) {
  ASSERT_EQ(rows_.size(), 396u);
  EXPECT_EQ(seek_.RecCount, 396u);
  EXPECT_EQ(okresy_.RecCount, 77u);
  // The excerpt holds one identifier twice; the second place keeps its record under a new one.
  ASSERT_EQ(builder_.WarningCount(), 1u);
  EXPECT_NE(builder_.Warnings()[0].find("identifikátor 151820 už má záznam na řádku"), std::string::npos);

  std::map<std::string, size_t> byDistrict, byField;
  for (const auto& row : rows_) {
    ++byDistrict[row.at("OkresCode")];
    std::set<std::string> fields;
    for (const std::string& f : Split(row.at("OborPece"))) fields.insert(Key(f));
    for (const std::string& f : fields) ++byField[f];
  }
  std::map<std::string, size_t> districts, careFields;
  for (uint32_t r = 0; r < seek_.RecCount; ++r) {
    const int32_t code = seek_.GetNum(static_cast<int32_t>(r), 6);
    ++districts[okresy_.GetStr(code, 0)];
    for (const int c : ListCodes(seek_, seek_.GetStr(static_cast<int32_t>(r), 11), true)) ++careFields[Key(Cp1250ToUtf8(obory_.GetStr(c, 1)))];
  }
  EXPECT_EQ(districts, byDistrict);
  EXPECT_EQ(careFields, byField);
  EXPECT_EQ(obory_.RecCount, byField.size());
}

TEST_F(RealRegister, ASearchByMunicipalityListsExactlyItsPlaces) {
  std::map<std::string, std::vector<std::string>> byTown;  // municipality -> workplaces
  // The import writes a run of spaces as one (the register has "Ordinace PL  MUDr. ...").
  auto single = [](std::string s) {
    for (size_t at; (at = s.find("  ")) != std::string::npos;) s.erase(at, 1);
    return s;
  };
  for (const auto& row : rows_) byTown[W(row.at("Obec"))].push_back(W(single(row.at("NazevZarizeni"))));
  size_t checked = 0;
  for (auto& [town, expected] : byTown) {
    // A prefix search also finds longer names that begin alike; check the towns without one.
    bool prefixOfAnother = false;
    for (const auto& other : byTown) prefixOfAnother |= other.first != town && PrefixCmp(town.c_str(), other.first.c_str()) == 0;
    if (prefixOfAnother) continue;
    SCOPED_TRACE(Cp1250ToUtf8(town));
    SearchFilter filter;
    filter.Municipality = town;
    const uint32_t found = RunSearch(seek_, filter);
    std::vector<std::string> workplaces;
    for (uint32_t r = 0; r < found; ++r) {
      workplaces.push_back(seek_.GetStr(static_cast<int32_t>(r), 3));
      EXPECT_EQ(std::string(seek_.GetStr(static_cast<int32_t>(r), 5)), town);
    }
    std::sort(workplaces.begin(), workplaces.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(workplaces, expected);
    ++checked;
  }
  EXPECT_GT(checked, 90u);
  SearchFilter usti;
  usti.Municipality = W("ústí nad labem");
  EXPECT_EQ(RunSearch(seek_, usti), 42u);
}

TEST_F(RealRegister, TheDetailHoldsTheContactsAndTheExportThePlacesWithAny) {
  std::map<std::string, int> seen;
  for (const auto& row : rows_) ++seen[row.at("MistoPoskytovaniId")];
  size_t withContact = 0;
  for (const auto& row : rows_) {
    const std::string id = row.at("MistoPoskytovaniId");
    if (seen[id] > 1) continue;
    SCOPED_TRACE(id);
    const int32_t d = detail_.SeekNum(0, std::stoi(id));
    ASSERT_GE(d, 0);
    EXPECT_EQ(Digits(detail_.GetStrByName(d, "telefony")), Digits(row.at("PoskytovatelTelefon")));
    EXPECT_EQ(Digits(detail_.GetStrByName(d, "fax")), Digits(row.at("PoskytovatelFax")));
    EXPECT_EQ(std::string(detail_.GetStrByName(d, "email")), W(row.at("PoskytovatelEmail")));
    EXPECT_EQ(std::string(detail_.GetStrByName(d, "www")), W(row.at("PoskytovatelWeb")));
    const bool contact = !(row.at("PoskytovatelTelefon") + row.at("PoskytovatelFax") + row.at("PoskytovatelEmail") +
                           row.at("PoskytovatelWeb")).empty();
    withContact += contact;
    const std::string psc = row.at("Psc");
    EXPECT_EQ(std::string(detail_.GetStrByName(d, "PSC")), psc.empty() ? "" : psc.substr(0, 3) + " " + psc.substr(3));
  }
  const int32_t first = detail_.SeekNum(0, 259709);
  EXPECT_STREQ(detail_.GetStrByName(first, "telefony"), "+420 778 500 255");
  EXPECT_STREQ(detail_.GetStrByName(first, "email"), "medicuspolepy@gmail.com");
  // Everything with a contact is level 2 and goes to the export.
  RunSearch(seek_, SearchFilter());
  size_t level2 = 0;
  for (uint32_t r = 0; r < seek_.RecCount; ++r) level2 += seek_.GetNum(static_cast<int32_t>(r), 1) == 2;
  ASSERT_EQ(ExportFile(seek_, detail_, dir_.File("export.txt")), ExportResult::Done);
  const std::string exported = ReadBytes(dir_.File("export.txt"));
  EXPECT_EQ(static_cast<size_t>(std::count(exported.begin(), exported.end(), '\n')), 1 + level2);
  EXPECT_EQ(level2, withContact + 2);  // and both places of the doubled identifier have contacts
  EXPECT_NE(exported.find(W("Závodní lékaři s. r. o.\tPrejzek Vratislav\tU Pivovarské zahrady 793/5\tÚstí nad Labem\t400 07\r\n")),
            std::string::npos);
}

}  // namespace
}  // namespace karo::test
