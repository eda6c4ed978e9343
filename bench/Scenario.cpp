// The benchmark's six typical searches, their filter values looked up by name in the pick lists.
#include "Scenario.h"

#include <algorithm>
#include <cstring>

#include "Cp1250.h"

namespace bench {

namespace {

// Position of the entry whose field is exactly `utf8`; the first entry
// (with a note in *values) when there is none.
int PositionOf(TfdbTable& lookup, int32_t field, const char* utf8, std::string* values) {
  std::string wanted;
  karo::Utf8ToCp1250(utf8, &wanted);
  for (uint32_t r = 0; r < lookup.RecCount; ++r) {
    if (std::strcmp(lookup.GetStr(static_cast<int32_t>(r), field), wanted.c_str()) == 0) {
      *values += std::string(values->empty() ? "" : ", ") + "„" + utf8 + "“ (" + std::to_string(r) + ")";
      return static_cast<int>(r);
    }
  }
  *values += std::string(values->empty() ? "" : ", ") + "„" + utf8 + "“ v adresáři není, beru „" +
             Utf8(lookup.RecCount ? lookup.GetStr(0, field) : "") + "“ (0)";
  return 0;
}

}  // namespace

std::string Utf8(const char* cp1250) { return karo::Cp1250ToUtf8(cp1250); }

std::vector<NamedSearch> TypicalSearches(Program& program) {
  std::vector<NamedSearch> searches(6);
  NamedSearch& surname = searches[0];
  surname.Label = "hledání: příjmení „nov“";
  surname.Filter.Surname = "nov";
  surname.Values = "příjmení „nov“";

  NamedSearch& town = searches[1];
  town.Label = "hledání: obec „br“ + 2 okresy";
  town.Filter.Municipality = "br";
  std::string districts;
  town.Filter.Districts = {PositionOf(program.Okresy, 1, "Brno-město", &districts),
                           PositionOf(program.Okresy, 1, "Brno-venkov", &districts)};
  town.Values = "obec „br“, okresy " + districts;

  NamedSearch& specialty = searches[2];
  specialty.Label = "hledání: 1 obor + 1 pojišťovna";
  std::string s, i;
  specialty.Filter.Specialties = {PositionOf(program.Obory, 1, "všeobecné praktické lékařství", &s)};
  specialty.Filter.Insurers = {PositionOf(program.Pojistovny, 1, "Všeobecná zdravotní pojišťovna ČR", &i)};
  specialty.Values = "obor " + s + ", pojišťovna " + i;

  NamedSearch& language = searches[3];
  language.Label = "hledání: 1 jazyk";
  std::string l;
  language.Filter.Languages = {PositionOf(program.Jazyky, 0, "angličtina", &l)};
  language.Values = "jazyk " + l;

  NamedSearch& category = searches[4];
  category.Label = "hledání: rubrika + typ zařízení";
  std::string c, t;
  category.Filter.Categories = {PositionOf(program.Rubriky, 1, "Praktický lékař pro dospělé", &c)};
  category.Filter.FacilityTypes = {PositionOf(program.TypZarizeni, 1, "Samost. ordinace všeob. prakt. lékaře", &t)};
  category.Values = "rubrika " + c + ", typ zařízení " + t;

  searches[5].Label = "hledání: bez filtru";
  searches[5].Values = "žádný filtr";
  return searches;
}

std::vector<int64_t> IdsOf(TfdbTable& table) {
  std::vector<int64_t> ids(table.CurCount());
  for (uint32_t i = 0; i < ids.size(); ++i) ids[i] = table.GetNum(static_cast<int32_t>(i), 0);
  return ids;
}

std::vector<int64_t> IdsAt(const std::vector<int64_t>& ids, const std::vector<uint32_t>& order) {
  std::vector<int64_t> out(order.size());
  for (size_t i = 0; i < order.size(); ++i) out[i] = order[i] < ids.size() ? ids[order[i]] : -1;
  return out;
}

bool SameSet(std::vector<int64_t> a, std::vector<int64_t> b) {
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return a == b;
}

size_t Differences(const std::vector<int64_t>& a, const std::vector<int64_t>& b) {
  const size_t n = std::min(a.size(), b.size());
  size_t d = std::max(a.size(), b.size()) - n;
  for (size_t i = 0; i < n; ++i) d += a[i] != b[i];
  return d;
}

}  // namespace bench
