// Random filters, and random directories opened twice.
#include "Twins.h"

#include <algorithm>

#include "Fixture.h"

namespace karo::test {

namespace {

std::vector<int> Codes(Rng& rng, int most, int below) {
  std::vector<int> codes;
  const int k = 1 + static_cast<int>(rng() % static_cast<uint64_t>(most));
  for (int i = 0; i < k; ++i) codes.push_back(static_cast<int>(rng() % static_cast<uint64_t>(below)));
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  return codes;
}

// A key: the beginning of some stored text (so that it finds something), a
// random text, or one with spaces around it.
std::string Key(Rng& rng, TfdbTable& t, int32_t field) {
  std::string key;
  if (rng() % 3 != 0 && t.RecCount > 0) {
    t.SetOrder(0);
    key = t.GetStr(static_cast<int32_t>(rng() % t.RecCount), field);
    key.resize(std::min<size_t>(key.size(), 1 + rng() % 6));
  } else {
    key = RandomText(rng);
  }
  if (rng() % 5 == 0) key = "  " + key + "\t";
  return key;
}

}  // namespace

SearchFilter RandomFilter(Rng& rng, TfdbTable& t) {
  SearchFilter f;
  const uint64_t kinds = rng();
  if (kinds & 1) f.Surname = Key(rng, t, kSearchSurname);
  if (kinds & 2) f.Workplace = Key(rng, t, kSearchWorkplace);
  if (kinds & 4) f.Municipality = Key(rng, t, kSearchMunicipality);
  if (kinds & 8) f.Districts = Codes(rng, 3, 280);   // codes 250..269 and positions above 255
  if (kinds & 16) f.Specialties = Codes(rng, 3, rng() % 2 ? 12 : 1000);
  if (kinds & 32) f.Categories = Codes(rng, 4, 300);
  if (kinds & 64) f.Insurers = Codes(rng, 2, 5);
  if (kinds & 128) f.Languages = Codes(rng, 2, 7);
  if (kinds & 256) f.FacilityTypes = Codes(rng, 2, 260);
  if ((kinds >> 9) % 4 == 0) f = SearchFilter{};  // no filter now and then
  return f;
}

void OpenTwin(const TestDir& dir, Twin* t) {
  OpenTable(&t->Fast, dir.Path(), "pseek");
  OpenTable(&t->Plain, dir.Path(), "pseek");
  OpenTable(&t->FastDetail, dir.Path(), "moskyti");
  OpenTable(&t->PlainDetail, dir.Path(), "moskyti");
}

void WriteAndOpenTwin(const TestDir& dir, Rng& rng, uint32_t records, Twin* t) {
  WriteRandomSearchTable(dir, rng, records);
  WriteRandomDetailTable(dir, rng, records, true);
  OpenTwin(dir, t);
}

}  // namespace karo::test
