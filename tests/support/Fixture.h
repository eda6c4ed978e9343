// Small directories for the core tests: the six lookup tables and a handful
// of providers built with the directory builder, or a search table written
// field by field where the builder would refuse the content.
#ifndef KARO_TESTS_SUPPORT_FIXTURE_H
#define KARO_TESTS_SUPPORT_FIXTURE_H

#include <cstdint>
#include <string>
#include <vector>

#include "Fdb.h"
#include "SafeFile.h"
#include "Search.h"
#include "TableWriter.h"

namespace karo::test {

// One provider in the builder's source form (UTF-8, codes as the source
// writes them, lists separated by '|').
struct Provider {
  int Id;
  int Level;
  const char* Surname;
  const char* Workplace;
  const char* Street;
  const char* Municipality;
  const char* Psc;
  const char* District;      // okresy "kod"
  const char* FacilityType;  // typzarizeni "kod"
  const char* Languages;     // jazyky "nazev"
  const char* Insurers;      // pojistovny "kod"
  const char* Specialties;   // obory "kod"
  const char* Categories;    // rubriky "kod"
};

// The lookup tables of every fixture directory, item texts in list order:
// okresy  0 Brno-město, 1 Brno-venkov, 2 Břeclav, 3 Chrudim, 4 Praha
// obory   0 Praktický lékař pro dospělé, 1 Zubní lékař, 2 Gynekologie, 3 Interna
// rubriky 0 Praktický lékař, 1 Zubní lékař, 2 Gynekologie
// jazyky  0 angličtina, 1 němčina, 2 ruština
// pojistovny 0 Všeobecná zdravotní pojišťovna, 1 Vojenská zdravotní pojišťovna,
//            2 Česká průmyslová zdravotní pojišťovna
// typzarizeni 0 Samostatná ordinace praktického lékaře, 1 Samostatná ordinace
//             stomatologa, 2 Nemocnice
// Six providers, ids 1 to 6 in base order (see Fixture.cpp).
const std::vector<Provider>& SixProviders();

// Builds the nine tables into `dir` (no errors expected).
void BuildDirectory(const std::string& dir, const std::vector<Provider>& providers);

// Builds a sample directory of `count` providers from the bundled reference
// lists into `dir` (no errors expected).
void BuildSample(const std::string& dir, uint64_t count, uint64_t seed);

// Opens a table of `dir` (which ends with '/').
void OpenTable(TfdbTable* table, const std::string& dir, const char* name);

// Field 0 of every record of the current order.
std::vector<int32_t> Ids(TfdbTable& table);

// A search table written field by field: the builder's 13 fields, the
// district and facility type numbers `numberWidth` bytes wide.
std::vector<FieldSpec> SearchFieldsWide(int numberWidth);
std::vector<FieldValue> SearchRecord(int64_t id, int64_t level, const std::string& surname,
                                     int64_t district, int64_t facilityType, const std::string& languages,
                                     const std::string& insurers, const std::string& specialties,
                                     const std::string& categories);

// The export the library makes of `dir` for the filter, sorted by the
// search table's field `sortBy` when given; *found (if given) is the match count.
std::string LibraryExport(const std::string& dir, const SearchFilter& filter, const char* sortBy = nullptr,
                          uint32_t* found = nullptr);

// Bytes a sink received.
class StringSink : public ByteSink {
 public:
  bool Write(const char* bytes, size_t count) override {
    Bytes.append(bytes, count);
    return true;
  }
  std::string Bytes;
};

// The export of the current order: WriteExport with the fast paths on, or
// the plain reference export.
std::string ExportOf(TfdbTable& search, TfdbTable& detail, bool fast);

}  // namespace karo::test

#endif  // KARO_TESTS_SUPPORT_FIXTURE_H
