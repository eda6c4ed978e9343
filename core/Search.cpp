// The search pass: positions gathered once into membership sets, then one
// linear pass over the base order that drops a record at its first failing
// test, in the fixed order surname, workplace, municipality, district,
// specialty, category, insurer, language, facility type.
#include "Search.h"

#include <bitset>
#include <memory>
#include <new>

namespace karo {
namespace {

// The filter as the pass uses it.
struct Prepared {
  std::string Surname, Workplace, Municipality;
  bool District = false, Specialty = false, Category = false, Insurer = false, Language = false,
       FacilityType = false;
  std::bitset<256> Districts, Categories, Insurers, Languages, FacilityTypes;
  std::bitset<65536> Specialties;
};

// Positions of a one-byte list: kept in a byte, as the design stores them.
// A position outside 0..255 has no code that could equal it: it matches
// nothing (rather than wrapping onto the entry 256 places earlier).
bool ByteSet(const std::vector<int>& positions, std::bitset<256>* set) {
  for (const int p : positions) {
    if (p >= 0 && p <= 255) set->set(static_cast<size_t>(p));
  }
  return !positions.empty();
}

// Specialty positions are whole numbers: only 0..65535 can equal a 16-bit code.
bool WideSet(const std::vector<int>& positions, std::bitset<65536>* set) {
  for (const int p : positions) {
    if (p >= 0 && p <= 65535) set->set(static_cast<size_t>(p));
  }
  return !positions.empty();
}

// The window's set-up begins the selection; a caller that did not gets one.
// There is no direct question for "has a selection": with records present, a
// cleared selection made current counts 0 while the base order does not.
void EnsureSelection(TfdbTable& search) {
  search.ClearSelection();
  bool present = false;
  if (search.RecCount > 0) {
    search.SetOrder(1);
    present = search.CurCount() == 0;
    search.SetOrder(0);
  }
  if (!present && search.BeginSelection() != 0) throw std::bad_alloc();
}

inline bool TextMatches(TfdbTable& search, int32_t record, int32_t field, const std::string& key) {
  const char* value = search.GetStr(record, field);
  return value != kFdbEof && PrefixCmp(key.c_str(), value) == 0;
}

// A code list field handed out as raw bytes, or null when it cannot be read
// as one (a numeric field, a value outside the data).
inline const unsigned char* ListAt(TfdbTable& search, int32_t record, int32_t field, bool readable) {
  if (!readable) return nullptr;
  const char* p = search.GetStr(record, field);
  return p == kFdbEof ? nullptr : reinterpret_cast<const unsigned char*>(p);
}

// Reads only [p, end): a list without its end mark stops at the data's end.
inline bool ByteListHas(const unsigned char* p, const unsigned char* end, const std::bitset<256>& set) {
  if (!p) return false;
  for (; p < end && *p != kCodeListEnd; ++p) {
    if (set[*p]) return true;
  }
  return false;
}

inline bool WideListHas(const unsigned char* p, const unsigned char* end, const std::bitset<65536>& set) {
  if (!p) return false;
  for (; end - p >= 2; p += 2) {
    const unsigned code = p[0] | (unsigned{p[1]} << 8);
    if (code == kCodeListEnd) break;
    if (set[code]) return true;
  }
  return false;
}

// A district or facility type code: equal to a selected position, which is
// kept in a byte, so codes above 255 (and failed reads) never match.
inline bool NumberIn(int32_t code, const std::bitset<256>& set) {
  return code >= 0 && code <= 255 && set[static_cast<size_t>(code)];
}

inline bool IsList(TfdbTable& search, int32_t field) {
  const char type = search.FieldType(field);
  return type == 'C' || type == 'T';
}

}  // namespace

std::string TrimFilterText(const std::string& text) {
  const size_t zero = text.find('\0');
  const size_t size = zero == std::string::npos ? text.size() : zero;
  size_t a = 0, b = size;
  while (a < b && static_cast<unsigned char>(text[a]) <= 32) ++a;
  while (b > a && static_cast<unsigned char>(text[b - 1]) <= 32) --b;
  return text.substr(a, b - a);
}

uint32_t RunSearch(TfdbTable& search, const SearchFilter& filter) {
  auto f = std::make_unique<Prepared>();
  f->Surname = TrimFilterText(filter.Surname);
  f->Workplace = TrimFilterText(filter.Workplace);
  f->Municipality = TrimFilterText(filter.Municipality);
  f->District = ByteSet(filter.Districts, &f->Districts);
  f->Specialty = WideSet(filter.Specialties, &f->Specialties);
  f->Category = ByteSet(filter.Categories, &f->Categories);
  f->Insurer = ByteSet(filter.Insurers, &f->Insurers);
  f->Language = ByteSet(filter.Languages, &f->Languages);
  f->FacilityType = ByteSet(filter.FacilityTypes, &f->FacilityTypes);

  EnsureSelection(search);  // base order current, selection empty, not sorted
  const bool surname = !f->Surname.empty(), workplace = !f->Workplace.empty(),
             municipality = !f->Municipality.empty();
  // Code lists are read as raw bytes only from fields that hold bytes.
  const bool specialties = IsList(search, kSearchSpecialties), categories = IsList(search, kSearchCategories),
             insurers = IsList(search, kSearchInsurers), languages = IsList(search, kSearchLanguages);
  const unsigned char* end = search.DataEnd();
  const uint32_t count = search.RecCount;
  for (uint32_t r = 0; r < count; ++r) {
    const int32_t i = static_cast<int32_t>(r);
    if (surname && !TextMatches(search, i, kSearchSurname, f->Surname)) continue;
    if (workplace && !TextMatches(search, i, kSearchWorkplace, f->Workplace)) continue;
    if (municipality && !TextMatches(search, i, kSearchMunicipality, f->Municipality)) continue;
    if (f->District && !NumberIn(search.GetNum(i, kSearchDistrict), f->Districts)) continue;
    if (f->Specialty &&
        !WideListHas(ListAt(search, i, kSearchSpecialties, specialties), end, f->Specialties)) {
      continue;
    }
    if (f->Category && !ByteListHas(ListAt(search, i, kSearchCategories, categories), end, f->Categories)) {
      continue;
    }
    if (f->Insurer && !ByteListHas(ListAt(search, i, kSearchInsurers, insurers), end, f->Insurers)) continue;
    if (f->Language && !ByteListHas(ListAt(search, i, kSearchLanguages, languages), end, f->Languages)) {
      continue;
    }
    if (f->FacilityType && !NumberIn(search.GetNum(i, kSearchFacilityType), f->FacilityTypes)) continue;
    search.AddToSelection(i);
  }
  search.SetOrder(1);
  return static_cast<uint32_t>(search.SelCount);
}

void ClearResult(TfdbTable& search) {
  EnsureSelection(search);
  search.SetOrder(1);
}

std::string StatusText(uint32_t found, uint32_t total) {
  return std::to_string(found) + " / " + std::to_string(total) + " z\xE1znam\xF9";
}

std::vector<int> ListCodes(const TfdbTable& table, const char* at, bool wide, size_t most) {
  std::vector<int> codes;
  const auto p0 = reinterpret_cast<uintptr_t>(at);
  const auto begin = reinterpret_cast<uintptr_t>(table.DataBegin());
  const auto end = reinterpret_cast<uintptr_t>(table.DataEnd());
  if (!begin || p0 < begin || p0 >= end) return codes;
  const size_t step = wide ? 2 : 1;
  for (uintptr_t p = p0; codes.size() < most && end - p >= step; p += step) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    const int code = wide ? b[0] | (b[1] << 8) : b[0];
    if (code == static_cast<int>(kCodeListEnd)) break;
    codes.push_back(code);
  }
  return codes;
}

}  // namespace karo
