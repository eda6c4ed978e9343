// Small directories built by the import for the tests.
#include "Fixture.h"

#include <gtest/gtest.h>

#include "Directory.h"
#include "Export.h"
#include "FdbAccess.h"
#include "Sample.h"

namespace karo::test {

const std::vector<Provider>& SixProviders() {
  static const std::vector<Provider> providers = {
      {1, 2, "Novák Jan", "Ordinace Novák", "Husova 1", "Břeclav", "690 02", "CZ0644", "320", "angličtina",
       "111", "001", "R1"},
      {2, 1, "Nováková Eva", "Zubní ordinace", "Lidická 7", "BŘECLAV", "690 03", "CZ0642", "322", "",
       "111|201", "014", "R2"},
      {3, 3, "Dvořák Petr", "Gynekologie Dvořák", "Nádražní 3", "Brektov", "691 01", "CZ0643", "400",
       "němčina|ruština", "205", "603|001", "R3|R1"},
      {4, 4, "Černý Karel", "Interna Černý", "Masarykova 10", "Brno", "602 00", "CZ0642", "320",
       "angličtina|němčina", "201", "101", "R1"},
      {5, 2, "Šťastný Ivo", "Ordinace Šťastný", "Veveří 2", "Brno", "602 00", "CZ0531", "320", "", "111",
       "014|101", ""},
      {6, 2, "Bártová Olga", "Nemocnice Brno", "Vinohradská 1", "Praha", "120 00", "CZ0100", "400",
       "ruština", "111|205", "603", "R3"},
  };
  return providers;
}

void BuildDirectory(const std::string& dir, const std::vector<Provider>& providers) {
  DirectoryBuilder b;
  const Where w{"test", 1};
  for (const auto& [code, name] : std::vector<std::pair<const char*, const char*>>{
           {"CZ0642", "Brno-město"}, {"CZ0643", "Brno-venkov"}, {"CZ0644", "Břeclav"}, {"CZ0531", "Chrudim"},
           {"CZ0100", "Praha"}}) {
    b.AddLookupEntry(Lookup::Okresy, {code, name}, w);
  }
  b.AddLookupEntry(Lookup::Obory, {"001", "Praktický lékař pro dospělé"}, w);
  b.AddLookupEntry(Lookup::Obory, {"014", "Zubní lékař"}, w);
  b.AddLookupEntry(Lookup::Obory, {"603", "Gynekologie"}, w);
  b.AddLookupEntry(Lookup::Obory, {"101", "Interna"}, w);
  b.AddLookupEntry(Lookup::Rubriky, {"R1", "Praktický lékař", "1"}, w);
  b.AddLookupEntry(Lookup::Rubriky, {"R2", "Zubní lékař", "2"}, w);
  b.AddLookupEntry(Lookup::Rubriky, {"R3", "Gynekologie", "1"}, w);
  for (const char* language : {"angličtina", "němčina", "ruština"}) b.AddLookupEntry(Lookup::Jazyky, {language}, w);
  b.AddLookupEntry(Lookup::Pojistovny, {"111", "Všeobecná zdravotní pojišťovna"}, w);
  b.AddLookupEntry(Lookup::Pojistovny, {"201", "Vojenská zdravotní pojišťovna"}, w);
  b.AddLookupEntry(Lookup::Pojistovny, {"205", "Česká průmyslová zdravotní pojišťovna"}, w);
  b.AddLookupEntry(Lookup::TypZarizeni, {"320", "Samostatná ordinace praktického lékaře"}, w);
  b.AddLookupEntry(Lookup::TypZarizeni, {"322", "Samostatná ordinace stomatologa"}, w);
  b.AddLookupEntry(Lookup::TypZarizeni, {"400", "Nemocnice"}, w);
  b.AddAphorism("1", "Čistota, půl zdraví.", w);
  for (const Provider& p : providers) {
    ProviderRow row;
    row[kId] = std::to_string(p.Id);
    row[kUroven] = std::to_string(p.Level);
    row[kJmeno] = p.Surname;
    row[kPracoviste] = p.Workplace;
    row[kUlice] = p.Street;
    row[kObec] = p.Municipality;
    row[kPsc] = p.Psc;
    row[kOkres] = p.District;
    row[kTypZarizeni] = p.FacilityType;
    row[kJazyky] = p.Languages;
    row[kPojistovny] = p.Insurers;
    row[kObory] = p.Specialties;
    row[kRubriky] = p.Categories;
    b.AddProvider(row, w);
  }
  ASSERT_EQ(b.ErrorCount(), 0u) << b.Errors()[0];
  ASSERT_TRUE(b.Finish(dir)) << b.Errors()[0];
}

void BuildSample(const std::string& dir, uint64_t count, uint64_t seed) {
  DirectoryBuilder builder;
  SampleOptions options;
  options.Count = count;
  options.Seed = seed;
  options.ReferenceDir = KARO_SAMPLE_DIR;
  GenerateSample(options, &builder);
  ASSERT_EQ(builder.ErrorCount(), 0u) << builder.Errors()[0];
  ASSERT_TRUE(builder.Finish(dir)) << builder.Errors()[0];
}

void OpenTable(TfdbTable* table, const std::string& dir, const char* name) {
  table->Dir = dir;
  ASSERT_EQ(table->Open(name), 0) << dir << name;
}

std::vector<int32_t> Ids(TfdbTable& table) {
  std::vector<int32_t> ids;
  for (uint32_t r = 0; r < table.CurCount(); ++r) ids.push_back(table.GetNum(static_cast<int32_t>(r), 0));
  return ids;
}

std::vector<FieldSpec> SearchFieldsWide(int numberWidth) {
  return {{"id", 'N', 4},          {"uroven", 'N', 1},          {"jmeno", 'T', 0},     {"pracoviste", 'T', 0},
          {"ulice", 'T', 0},       {"obec", 'T', 0},            {"okres", 'N', numberWidth}, {"psc", 'T', 0},
          {"typzarizeni", 'N', numberWidth}, {"jazyky", 'T', 0}, {"pojistovny", 'T', 0}, {"obory", 'T', 0},
          {"rubriky", 'T', 0}};
}

std::vector<FieldValue> SearchRecord(int64_t id, int64_t level, const std::string& surname, int64_t district,
                                     int64_t facilityType, const std::string& languages,
                                     const std::string& insurers, const std::string& specialties,
                                     const std::string& categories) {
  return {FieldValue::Number(id),          FieldValue::Number(level),       FieldValue::Text(surname),
          FieldValue::Text("P" + surname), FieldValue::Text("U" + surname), FieldValue::Text("O" + surname),
          FieldValue::Number(district),    FieldValue::Text("000 00"),       FieldValue::Number(facilityType),
          FieldValue::Raw(languages),      FieldValue::Raw(insurers),        FieldValue::Raw(specialties),
          FieldValue::Raw(categories)};
}

std::string LibraryExport(const std::string& dir, const SearchFilter& filter, const char* sortBy, uint32_t* found) {
  TfdbTable search, detail;
  OpenTable(&search, dir, "pseek");
  OpenTable(&detail, dir, "moskyti");
  const uint32_t n = RunSearch(search, filter);
  if (found) *found = n;
  if (sortBy) search.Sort(search.FieldIndex(sortBy));
  StringSink sink;
  EXPECT_TRUE(WriteExport(search, detail, sink));
  return sink.Bytes;
}

std::string ExportOf(TfdbTable& search, TfdbTable& detail, bool fast) {
  StringSink sink;
  FdbAccess::SetFastPaths(fast);
  EXPECT_TRUE(fast ? WriteExport(search, detail, sink) : WriteExportReference(search, detail, sink));
  FdbAccess::SetFastPaths(true);
  return sink.Bytes;
}

}  // namespace karo::test
