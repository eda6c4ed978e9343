// The search pass over the search table "pseek": text filters by prefix under
// the search folding, list filters by code, AND across filters, OR within a
// list. The result is the table's selection, in base order, made current.
//
// Pure C++17: the window reads its controls into a SearchFilter and calls
// RunSearch; karo-search does the same from its arguments.
#ifndef KARO_CORE_SEARCH_H
#define KARO_CORE_SEARCH_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Coding.h"
#include "Fdb.h"

namespace karo {

// Field positions of the search table.
enum SearchField : int32_t {
  kSearchId = 0,
  kSearchLevel = 1,
  kSearchSurname = 2,       // "jmeno"
  kSearchWorkplace = 3,     // "pracoviste"
  kSearchStreet = 4,        // "ulice"
  kSearchMunicipality = 5,  // "obec"
  kSearchDistrict = 6,      // number
  kSearchFacilityType = 8,  // number
  kSearchLanguages = 9,     // byte codes, ended by 255
  kSearchInsurers = 10,     // byte codes, ended by 255
  kSearchSpecialties = 11,  // 16-bit little-endian codes, ended by 255
  kSearchCategories = 12,   // byte codes, ended by 255
};

// The value that ends a code list (and so is nobody's code).
using fdbcoding::kCodeListEnd;

// What the user asked for, as the filter controls hold it.
struct SearchFilter {
  // Windows-1250 texts as typed; RunSearch trims bytes 0..32 at both ends
  // (and ignores anything from a zero byte on). Active when not empty.
  std::string Surname, Workplace, Municipality;
  // Selected item positions of the six pick lists (= codes). Active when not
  // empty. District, category, insurer, language and facility-type positions
  // are compared with one-byte codes: a position above 255 matches nothing.
  // Specialty positions are whole numbers compared with 16-bit codes.
  std::vector<int> Districts, Specialties, Categories, Insurers, Languages, FacilityTypes;
};

// Removes bytes 0..32 from both ends; the text ends at its first zero byte.
std::string TrimFilterText(const std::string& text);

// Runs the search: empties the table's selection (base order current,
// SortField not sorted), appends every record of the base order that passes
// every active filter, and makes the selection the current order. With no
// active filter every record is taken. Returns the number of matches (the
// selection's SelCount). A table without a selection gets one first; throws
// std::bad_alloc when there is no memory for it. Code lists are read only up
// to the table's DataEnd; a record whose text field cannot be read matches no
// text filter.
//
// The records come from indexes built on first use (SearchIndex.h); the
// result is that of RunSearchReference, the plain pass over every record.
uint32_t RunSearch(TfdbTable& search, const SearchFilter& filter);
// The plain pass: every base-order record through the tests in their order.
uint32_t RunSearchReference(TfdbTable& search, const SearchFilter& filter);

// Empties the result: an empty selection made current (as a search that found
// nothing). Throws std::bad_alloc like RunSearch.
void ClearResult(TfdbTable& search);

// The codes of a stored code list (bytes, or 16-bit little-endian values when
// wide) up to its end mark, at most `most` of them. Only bytes inside the
// table's data are read: a position outside it (a failed read) gives none.
std::vector<int> ListCodes(const TfdbTable& table, const char* at, bool wide, size_t most = SIZE_MAX);

// Windows-1250 status-bar text: "37 / 1200 záznamů".
std::string StatusText(uint32_t found, uint32_t total);

}  // namespace karo

#endif  // KARO_CORE_SEARCH_H
