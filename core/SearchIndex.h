// The search's fast path: candidates from an index, in base order, checked
// by the search's own tests, so that the result is exactly what the plain
// pass over every record returns (tests/core/search_fast_test.cpp).
//
// The first search starts a second thread that builds the indexes from the
// loaded search table (the data and the base order, which do not change
// while it is open); until it has finished, searches run the plain pass.
// Indexes are dropped with the table (at Close or a new Open, which wait
// for the thread):
//   - text filters: records grouped by the first three folded characters of
//     the field (an index of folded prefixes);
//   - districts, facility types and the four code lists: for every code the
//     records holding it (posting lists of codes; a bitmap for common codes).
#ifndef KARO_CORE_SEARCHINDEX_H
#define KARO_CORE_SEARCHINDEX_H

#include <bitset>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Coding.h"
#include "Fdb.h"
#include "Search.h"

namespace karo {

// The filter as the search tests it: trimmed texts, positions as sets.
struct PreparedFilter {
  std::string Surname, Workplace, Municipality;
  bool District = false, Specialty = false, Category = false, Insurer = false, Language = false,
       FacilityType = false;
  std::bitset<256> Districts, Categories, Insurers, Languages, FacilityTypes;
  std::bitset<65536> Specialties;
};

// The readings of the search's tests, shared by the plain pass and the index.

// A code list field handed out as raw bytes, or null when it cannot be read
// as one (a numeric field, a value outside the data).
inline const unsigned char* ListAt(TfdbTable& search, int32_t record, int32_t field, bool readable) {
  if (!readable) return nullptr;
  const char* p = search.GetStr(record, field);
  return p == kFdbEof ? nullptr : reinterpret_cast<const unsigned char*>(p);
}

using fdbcoding::EachListCode;

inline bool IsListField(TfdbTable& search, int32_t field) {
  const char type = search.FieldType(field);
  return type == 'C' || type == 'T';
}

namespace searchfast {

// Fills the table's selection (present, emptied, base order current) with
// the records for which passes(record) holds, in base order, using the
// indexes for the active filters of `f`. Returns the number of matches, or
// -1 when the fast path does not apply or its indexes are not built yet (the
// caller then runs the plain pass).
int64_t Run(TfdbTable& search, const PreparedFilter& f, const std::function<bool(uint32_t)>& passes);

// Waits until the indexes that the first search began to build on a second
// thread are there (tests and measurements; the program never waits).
void WaitForIndexes(TfdbTable& search);

// Bytes the search table's indexes hold now, by kind: [0..2] the text
// filters, [3..8] district, facility type, specialty, category, insurer,
// language.
std::vector<size_t> IndexBytes(const TfdbTable& search);

}  // namespace searchfast
}  // namespace karo

#endif  // KARO_CORE_SEARCHINDEX_H
