// Random search and detail tables for the fast-path tests.
#include "RandomTables.h"

#include <algorithm>

namespace karo::test {

namespace {

using V = FieldValue;

const char* const kPieces[] = {
    "a", "A", "\xE1", "ch", "Ch", "cH", "CH", "c", "C", "h", "i", "\xE8", "\xC8", "\xF8", "r",
    "nov", "Nov\xE1k", "NOV\xC1K", "nov\xE1kov\xE1", " ", "\t", "\xDF", "\xA3", "\xBF", "z", "1",
    "@", "[", "~", "\xFF", "\x80", "-", "Brno", "br", "\xDAst\xED", "u", "x"};

uint32_t Below(Rng& rng, uint32_t n) { return static_cast<uint32_t>(rng() % n); }

std::string ByteList(Rng& rng, uint32_t codes) {
  std::string s;
  const uint32_t k = Below(rng, 4);
  for (uint32_t i = 0; i < k; ++i) s.push_back(static_cast<char>(Below(rng, codes)));
  return s + "\xFF";
}

std::string WideList(Rng& rng) {
  std::string s;
  const uint32_t k = Below(rng, 4);
  for (uint32_t i = 0; i < k; ++i) {
    // Mostly small codes, some above 255 (and one that ends at the byte 255 of its low half).
    const uint32_t c = Below(rng, 8) == 0 ? 255 + 1 + Below(rng, 700) : Below(rng, 12);
    s.push_back(static_cast<char>(c & 0xFF));
    s.push_back(static_cast<char>(c >> 8));
  }
  return s + std::string("\xFF\x00", 2);
}

}  // namespace

std::string RandomText(Rng& rng) {
  std::string s;
  const uint32_t k = Below(rng, 5);
  for (uint32_t i = 0; i < k; ++i) s += kPieces[Below(rng, std::size(kPieces))];
  return s;
}

void WriteRandomSearchTable(const TestDir& dir, Rng& rng, uint32_t count) {
  const std::vector<FieldSpec> fields = {
      {"id", 'N', 4},          {"uroven", 'N', 1}, {"jmeno", 'T', 0},      {"pracoviste", 'T', 0},
      {"ulice", 'T', 0},       {"obec", 'T', 0},   {"okres", 'N', 2},      {"psc", 'T', 0},
      {"typzarizeni", 'N', 2}, {"jazyky", 'T', 0}, {"pojistovny", 'T', 0}, {"obory", 'T', 0},
      {"rubriky", 'T', 0}};
  std::vector<std::vector<V>> records;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t district = Below(rng, 10) == 0 ? 250 + Below(rng, 20) : Below(rng, 6);
    const uint32_t facility = Below(rng, 10) == 0 ? 256 + Below(rng, 3) : Below(rng, 5);
    records.push_back({V::Number(i), V::Number(Below(rng, 5)), V::Text(RandomText(rng)), V::Text(RandomText(rng)),
                       V::Text(RandomText(rng)), V::Text(RandomText(rng)), V::Number(district),
                       V::Text(std::to_string(Below(rng, 3))), V::Number(facility), V::Raw(ByteList(rng, 6)),
                       V::Raw(ByteList(rng, 4)), V::Raw(WideList(rng)), V::Raw(ByteList(rng, 255))});
  }
  WriteTable(dir, "pseek", fields, records);
}

void WriteRandomDetailTable(const TestDir& dir, Rng& rng, uint32_t count, bool sorted) {
  std::vector<std::vector<V>> records;
  int64_t id = Below(rng, 3);
  for (uint32_t i = 0; i < count; ++i) {
    records.push_back({V::Number(id), V::Text(std::to_string(10000 + Below(rng, 90000)))});
    id += Below(rng, 4);  // repeats (0) and gaps
  }
  if (!sorted) std::shuffle(records.begin(), records.end(), rng);
  WriteTable(dir, "moskyti", {{"id", 'N', 4}, {"PSC", 'T', 0}}, records);
}

}  // namespace karo::test
