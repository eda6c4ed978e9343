// The search pass: positions gathered once into membership sets, then one
// linear pass over the base order that drops a record at its first failing
// test, in the fixed order surname, workplace, municipality, district,
// specialty, category, insurer, language, facility type.
#include "Search.h"

#include "FdbAccess.h"
#include "SearchIndex.h"

#include <bitset>
#include <memory>
#include <new>

namespace karo {
namespace {

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

inline bool ByteListHas(const unsigned char* p, const unsigned char* end, const std::bitset<256>& set) {
  return EachListCode(p, end, false, [&](unsigned c) { return set[c]; });
}

inline bool WideListHas(const unsigned char* p, const unsigned char* end, const std::bitset<65536>& set) {
  return EachListCode(p, end, true, [&](unsigned c) { return set[c]; });
}

// A district or facility type code: equal to a selected position, which is
// kept in a byte, so codes above 255 (and failed reads) never match.
inline bool NumberIn(int32_t code, const std::bitset<256>& set) {
  return code >= 0 && code <= 255 && set[static_cast<size_t>(code)];
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

namespace {

// The search's tests for one base-order record, in their fixed order; the
// first that fails rejects it.
class Tests {
 public:
  Tests(TfdbTable& search, const PreparedFilter& f)
      : search_(search),
        f_(f),
        surname_(!f.Surname.empty()),
        workplace_(!f.Workplace.empty()),
        municipality_(!f.Municipality.empty()),
        // Code lists are read as raw bytes only from fields that hold bytes.
        specialties_(IsListField(search, kSearchSpecialties)),
        categories_(IsListField(search, kSearchCategories)),
        insurers_(IsListField(search, kSearchInsurers)),
        languages_(IsListField(search, kSearchLanguages)),
        end_(search.DataEnd()) {}

  bool Passes(int32_t i) const {
    TfdbTable& s = search_;
    const PreparedFilter& f = f_;
    if (surname_ && !TextMatches(s, i, kSearchSurname, f.Surname)) return false;
    if (workplace_ && !TextMatches(s, i, kSearchWorkplace, f.Workplace)) return false;
    if (municipality_ && !TextMatches(s, i, kSearchMunicipality, f.Municipality)) return false;
    if (f.District && !NumberIn(s.GetNum(i, kSearchDistrict), f.Districts)) return false;
    if (f.Specialty && !WideListHas(ListAt(s, i, kSearchSpecialties, specialties_), end_, f.Specialties)) {
      return false;
    }
    if (f.Category && !ByteListHas(ListAt(s, i, kSearchCategories, categories_), end_, f.Categories)) return false;
    if (f.Insurer && !ByteListHas(ListAt(s, i, kSearchInsurers, insurers_), end_, f.Insurers)) return false;
    if (f.Language && !ByteListHas(ListAt(s, i, kSearchLanguages, languages_), end_, f.Languages)) return false;
    if (f.FacilityType && !NumberIn(s.GetNum(i, kSearchFacilityType), f.FacilityTypes)) return false;
    return true;
  }

 private:
  TfdbTable& search_;
  const PreparedFilter& f_;
  const bool surname_, workplace_, municipality_, specialties_, categories_, insurers_, languages_;
  const unsigned char* end_;
};

std::unique_ptr<PreparedFilter> Prepare(const SearchFilter& filter) {
  auto f = std::make_unique<PreparedFilter>();
  f->Surname = TrimFilterText(filter.Surname);
  f->Workplace = TrimFilterText(filter.Workplace);
  f->Municipality = TrimFilterText(filter.Municipality);
  f->District = ByteSet(filter.Districts, &f->Districts);
  f->Specialty = WideSet(filter.Specialties, &f->Specialties);
  f->Category = ByteSet(filter.Categories, &f->Categories);
  f->Insurer = ByteSet(filter.Insurers, &f->Insurers);
  f->Language = ByteSet(filter.Languages, &f->Languages);
  f->FacilityType = ByteSet(filter.FacilityTypes, &f->FacilityTypes);
  return f;
}

}  // namespace

uint32_t RunSearchReference(TfdbTable& search, const SearchFilter& filter) {
  const std::unique_ptr<PreparedFilter> f = Prepare(filter);
  EnsureSelection(search);  // base order current, selection empty, not sorted
  const Tests tests(search, *f);
  const uint32_t count = search.RecCount;
  for (uint32_t r = 0; r < count; ++r) {
    const int32_t i = static_cast<int32_t>(r);
    if (tests.Passes(i)) search.AddToSelection(i);
  }
  search.SetOrder(1);
  return static_cast<uint32_t>(search.SelCount);
}

uint32_t RunSearch(TfdbTable& search, const SearchFilter& filter) {
  if (!FdbAccess::FastPaths()) return RunSearchReference(search, filter);
  const std::unique_ptr<PreparedFilter> f = Prepare(filter);
  EnsureSelection(search);
  const Tests tests(search, *f);
  const int64_t found =
      searchfast::Run(search, *f, [&](uint32_t r) { return tests.Passes(static_cast<int32_t>(r)); });
  if (found < 0) return RunSearchReference(search, filter);
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
  if (most == 0) return codes;
  EachListCode(reinterpret_cast<const unsigned char*>(at), table.DataEnd(), wide, [&](unsigned code) {
    codes.push_back(static_cast<int>(code));
    return codes.size() >= most;
  });
  return codes;
}

}  // namespace karo
