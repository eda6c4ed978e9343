// The bundled sample's specialties, as the pick list shows them: the
// register's own names of care fields, in Czech order and told apart by their
// first letters; and the providers the generator gives them.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "Cp1250.h"
#include "Csv.h"
#include "Directory.h"
#include "Fdb.h"
#include "Sample.h"
#include "Search.h"
#include "TestDir.h"

namespace karo::test {
namespace {

namespace fs = std::filesystem;

// The sample directory built from the bundled lists, once for all tests here.
const std::string& SampleDir() {
  static TestDir dir;
  static const std::string path = [] {
    SampleOptions options;
    options.Count = 4000;
    options.Seed = 2026;
    options.ReferenceDir = KARO_SAMPLE_DIR;
    DirectoryBuilder builder;
    GenerateSample(options, &builder);
    EXPECT_EQ(builder.ErrorCount(), 0u) << (builder.Errors().empty() ? "" : builder.Errors()[0]);
    EXPECT_TRUE(builder.Finish(dir.File("data")));
    return dir.File("data/");
  }();
  return path;
}

void Open(TfdbTable* table, const char* name) {
  table->Dir = SampleDir();
  ASSERT_EQ(table->Open(name), 0) << name;
}

std::vector<std::string> Names(TfdbTable& table, int field) {
  std::vector<std::string> names;
  for (uint32_t r = 0; r < table.RecCount; ++r) names.push_back(table.GetStr(static_cast<int32_t>(r), field));
  return names;
}

// The register's care fields: each name of the column obor_pece, which lists
// a place's fields separated by ", ".
std::set<std::string> RegisterCareFields(const std::string& path) {
  std::set<std::string> fields;
  CsvReader csv;
  if (!csv.Open(path)) return fields;
  std::vector<std::string> row;
  csv.Next(&row);
  const auto column = std::find(row.begin(), row.end(), "obor_pece") - row.begin();
  while (csv.Next(&row)) {
    if (static_cast<size_t>(column) >= row.size()) continue;
    std::string list = row[static_cast<size_t>(column)] + ", ";
    for (size_t at = 0, comma; (comma = list.find(", ", at)) != std::string::npos; at = comma + 2) {
      std::istringstream words(list.substr(at, comma - at));
      std::string word, name;
      while (words >> word) name += (name.empty() ? "" : " ") + word;  // the register doubles a space here and there
      if (!name.empty()) fields.insert(name);
    }
  }
  return fields;
}

TEST(SampleSpecialties, AreTheRegistersCareFieldsInCzechOrder) {
  TfdbTable obory;
  Open(&obory, "obory");
  const std::vector<std::string> names = Names(obory, 1);
  ASSERT_GE(names.size(), 100u);
  const fs::path aggregate = fs::path(KARO_REALDATA_DIR) / "nrpzs_aggregat_okres_obor/pocty_okres_obor_2023.csv";
  if (fs::exists(aggregate)) {
    const std::set<std::string> register_fields = RegisterCareFields(aggregate.string());
    ASSERT_GT(register_fields.size(), 100u);
    for (const std::string& name : names) EXPECT_TRUE(register_fields.count(Cp1250ToUtf8(name))) << Cp1250ToUtf8(name);
  }
  for (const char* field : {"kardiologie", "všeobecné praktické lékařství", "zubní lékařství"})
    EXPECT_NE(std::find(names.begin(), names.end(), W(field)), names.end()) << field;
  for (size_t i = 1; i < names.size(); ++i)
    EXPECT_LT(CzechCmp(names[i - 1].c_str(), names[i].c_str()), 0) << Cp1250ToUtf8(names[i]);
}

TEST(SampleSpecialties, TypingTheBeginningFindsThem) {
  TfdbTable obory;
  Open(&obory, "obory");
  const std::vector<std::string> names = Names(obory, 1);
  // What a user types in the specialty edit, and the item it moves to.
  const struct {
    const char* typed;
    const char* found;
  } cases[] = {
      {"kard", "kardiochirurgie"},
      {"kardiol", "kardiologie"},
      {"vseobecne p", "všeobecné praktické lékařství"},
      {"zub", "zubní lékařství"},
      {"gyn", "gynekologie a porodnictví"},
      {"ch", "chirurgie"},
      {"orto", "ortodoncie"},
      {"den", "dentální hygienistka"},
      {"det", "dětská a dorostová psychiatrie"},
      {"detsky", "dětský klinický psycholog"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    const int32_t found = obory.FindPrefix(1, W(c.typed).c_str());
    ASSERT_GE(found, 0);
    EXPECT_EQ(Cp1250ToUtf8(names[static_cast<size_t>(found)]), c.found);
  }
  // Three letters tell most of them apart (not one word shared by all).
  std::set<std::string> beginnings;
  for (const std::string& name : names) beginnings.insert(name.substr(0, 3));
  EXPECT_GT(beginnings.size(), names.size() / 3);
}

TEST(SampleGenerator, FacilitiesAndCategoriesFollowTheSpecialties) {
  TfdbTable pseek, obory, rubriky, typy;
  Open(&pseek, "pseek");
  Open(&obory, "obory");
  Open(&rubriky, "rubriky");
  Open(&typy, "typzarizeni");
  const std::vector<std::string> specialty = Names(obory, 1), category = Names(rubriky, 1), type = Names(typy, 1),
                                 typeCode = Names(typy, 0);
  std::map<std::string, int> providersOf;  // category -> providers
  int pharmacies = 0, hospitals = 0;
  for (uint32_t r = 0; r < pseek.RecCount; ++r) {
    const int32_t i = static_cast<int32_t>(r);
    const std::vector<int> specialties = ListCodes(pseek, pseek.GetStr(i, 11), true);
    std::set<std::string> categories;
    for (const int c : ListCodes(pseek, pseek.GetStrByName(i, "rubriky"), false)) categories.insert(category.at(c));
    for (const std::string& c : categories) ++providersOf[c];
    const size_t facilityCode = static_cast<size_t>(pseek.GetNumByName(i, "typzarizeni"));
    const std::string facility = type.at(facilityCode);
    ASSERT_FALSE(specialties.empty()) << r;
    const std::string main = Cp1250ToUtf8(specialty.at(static_cast<size_t>(specialties[0])));
    if (main == "praktické lékárenství" || main == "nemocniční lékárenství") {
      ++pharmacies;
      EXPECT_EQ(specialties.size(), 1u) << r;
      EXPECT_EQ(facility, W("Lékárna")) << r;
      EXPECT_EQ(categories, std::set<std::string>{W("Lékárna")}) << r;
    }
    if (typeCode.at(facilityCode)[0] == '1') {  // in-patient care: a hospital ward
      ++hospitals;
      if (!categories.empty()) {
        EXPECT_TRUE(categories.count(W("Nemocnice"))) << r;
      }
    }
    if (main == "všeobecné praktické lékařství") {
      EXPECT_TRUE(categories.empty() || categories.count(W("Praktický lékař pro dospělé"))) << r;
    }
  }
  EXPECT_GT(pharmacies, 40);
  EXPECT_GT(hospitals, 5);
  // Every category has its providers.
  for (const std::string& c : category) EXPECT_GT(providersOf[c], 0) << Cp1250ToUtf8(c);
}

TEST(SampleGenerator, ACategoryListNamingAnUnknownSpecialtyIsAnError) {
  TestDir dir;
  fs::copy(KARO_SAMPLE_DIR, dir.File("ref"), fs::copy_options::recursive);
  WriteBytes(dir.File("ref/rubriky_obory.csv"), "rubrika,obor\nKardiologie,kardiologie\nKardiologie,kardiolgie\n");
  SampleOptions options;
  options.Count = 10;
  options.ReferenceDir = dir.File("ref");
  DirectoryBuilder builder;
  GenerateSample(options, &builder);
  ASSERT_EQ(builder.ErrorCount(), 1u);
  EXPECT_NE(builder.Errors()[0].find("rubriky_obory.csv:3"), std::string::npos) << builder.Errors()[0];
  EXPECT_NE(builder.Errors()[0].find("obor „kardiolgie“ není v obory.csv"), std::string::npos)
      << builder.Errors()[0];
}

}  // namespace
}  // namespace karo::test
