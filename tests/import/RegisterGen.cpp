#include "RegisterGen.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "Cp1250.h"
#include "Csv.h"
#include "Directory.h"
#include "RegisterRows.h"
#include "RegisterText.h"
#include "Sample.h"
#include "Values.h"

namespace karo::test {

namespace {

namespace fs = std::filesystem;

using Rows = std::vector<std::vector<std::string>>;

bool Load(const std::string& path, const std::vector<std::string>& columns, Rows* rows, std::string* error) {
  CsvReader csv;
  std::vector<std::string> fields;
  if (!csv.Open(path) || !csv.Next(&fields)) {
    *error = path + ": " + (csv.Error().empty() ? "soubor je prázdný" : csv.Error());
    return false;
  }
  std::vector<size_t> at;
  for (const std::string& c : columns) {
    const auto it = std::find(fields.begin(), fields.end(), c);
    if (it == fields.end()) {
      *error = path + ": chybí sloupec " + c;
      return false;
    }
    at.push_back(static_cast<size_t>(it - fields.begin()));
  }
  while (csv.Next(&fields)) {
    std::vector<std::string> row;
    for (const size_t a : at) row.push_back(a < fields.size() ? fields[a] : "");
    rows->push_back(std::move(row));
  }
  if (!csv.Error().empty()) *error = path + ":" + std::to_string(csv.Line()) + ": " + csv.Error();
  return csv.Error().empty() && !rows->empty();
}

std::string Upper(const std::string& utf8) {
  std::string out;
  size_t pos = 0;
  while (pos < utf8.size()) {
    const int32_t c = DecodeUtf8(utf8, &pos);
    AppendUtf8(c < 0 ? '?' : UpperLetter(static_cast<uint32_t>(c)), &out);
  }
  return out;
}

std::string Digits(Rng& rng, int n, bool leadingZero = false) {
  std::string s;
  for (int i = 0; i < n; ++i) s.push_back(static_cast<char>('0' + (i == 0 && !leadingZero ? 1 + rng.Below(9) : rng.Below(10))));
  return s;
}

// The kind of facility that a list of care fields suggests, from its first one.
std::string FacilityFor(const std::string& fields, size_t count) {
  if (count > 5) return "Nemocnice, Poskytovatel amb. služeb (nad 5 oborů)";
  const std::string first = fields.substr(0, fields.find(','));
  static const std::pair<const char*, const char*> kByField[] = {
      {"všeobecné praktické lékařství", "Samost. ordinace všeob. prakt. lékaře"},
      {"praktické lékařství pro děti a dorost", "Sam.ord.prakt.lékaře pro děti a dorost"},
      {"zubní lékařství", "Samostatná ordinace PL - stomatologa"},
      {"gynekologie a porodnictví", "Samostatná ordinace PL - gynekologa"},
      {"praktické lékárenství", "Lékárna"},
      {"fyzioterapeut", "Samostatné zařízení fyzioterapeuta"},
      {"zubní technik", "Samostatná laboratoř zubní techniky"},
      {"klinický psycholog", "Samostatné zařízení psychologa"},
  };
  for (const auto& [field, facility] : kByField)
    if (first == field) return facility;
  return count > 1 ? "Poskytovatel amb. služeb (do 5 oborů)" : "Samostatná ordinace lékaře specialisty";
}

}  // namespace

bool GenerateRegister(const RegisterGenOptions& o, std::string* error, std::map<std::string, uint64_t>* perDistrict) {
  const fs::path ref = o.ReferenceDir;
  Rows counts, okresy, obce, prijmeni, jmena, ulice;
  if (!Load(o.Counts, {"okres_nuts", "kraj_nuts", "obor_pece", "pocet_poskytovatelu"}, &counts, error) ||
      !Load((ref / "okresy.csv").string(), {"nazev", "nuts"}, &okresy, error) ||
      !Load((ref / "obce.csv").string(), {"obec", "okres", "psc"}, &obce, error) ||
      !Load((ref / "prijmeni.csv").string(), {"prijmeni", "pohlavi"}, &prijmeni, error) ||
      !Load((ref / "jmena.csv").string(), {"jmeno", "pohlavi"}, &jmena, error) ||
      !Load((ref / "ulice.csv").string(), {"nazev"}, &ulice, error)) {
    return false;
  }
  // Scale the counts to the rows wanted: whole parts first, the rest by the largest remainders.
  uint64_t total = 0;
  std::vector<uint64_t> count(counts.size());
  for (size_t i = 0; i < counts.size(); ++i) {
    int64_t v = 0;
    ParseInt(counts[i][3], 0, INT64_C(1) << 40, &v);
    count[i] = static_cast<uint64_t>(v);
    total += count[i];
  }
  if (total == 0) {
    *error = o.Counts + ": součet počtů je 0";
    return false;
  }
  std::vector<uint64_t> rowsOf(counts.size());
  std::vector<std::pair<uint64_t, size_t>> remainders;
  uint64_t given = 0;
  for (size_t i = 0; i < counts.size(); ++i) {
    rowsOf[i] = count[i] * o.Rows / total;
    given += rowsOf[i];
    remainders.push_back({count[i] * o.Rows % total, i});
  }
  std::stable_sort(remainders.begin(), remainders.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  for (size_t k = 0; given < o.Rows && k < remainders.size(); ++k, ++given) ++rowsOf[remainders[k].second];

  std::map<std::string, std::string> districtName;
  for (const auto& r : okresy) districtName[r[1]] = r[0];
  std::map<std::string, std::vector<size_t>> townsOf;
  for (size_t i = 0; i < obce.size(); ++i) townsOf[obce[i][1]].push_back(i);
  std::vector<size_t> surnames[2], given_[2];
  for (size_t i = 0; i < prijmeni.size(); ++i) surnames[prijmeni[i][1] == "Z"].push_back(i);
  for (size_t i = 0; i < jmena.size(); ++i) given_[jmena[i][1] == "Z"].push_back(i);

  Rng rng(o.Seed);
  std::vector<size_t> order;  // one entry per row: the counts line it comes from
  for (size_t i = 0; i < counts.size(); ++i) order.insert(order.end(), rowsOf[i], i);
  for (size_t i = order.size(); i > 1; --i) std::swap(order[i - 1], order[rng.Below(i)]);

  CsvWriter out;
  if (!out.Open(o.Out)) {
    *error = o.Out + ": soubor nelze vytvořit";
    return false;
  }
  const std::vector<std::string>& header = RegisterHeader();
  out.Write(header);
  auto person = [&](bool title) {
    const int female = rng.Percent(60) ? 1 : 0;
    const std::string name = jmena[given_[female][rng.Below(given_[female].size())]][0] + " " +
                             prijmeni[surnames[female][rng.Below(surnames[female].size())]][0];
    return (title ? "MUDr. " : "") + (rng.Percent(60) ? Upper(name) : name);
  };
  std::vector<std::string> fields(header.size());
  auto set = [&](const char* column, const std::string& value) {
    fields[static_cast<size_t>(std::find(header.begin(), header.end(), column) - header.begin())] = value;
  };
  for (size_t n = 0; n < order.size(); ++n) {
    const auto& c = counts[order[n]];
    const std::string& okres = c[0];
    const std::string district = districtName.count(okres) ? districtName[okres] : okres;
    if (perDistrict) ++(*perDistrict)[okres];
    const std::vector<size_t>& towns = townsOf[district];
    const auto& town = towns.empty() ? std::vector<std::string>{district, district, "10000"} : obce[towns[rng.Below(towns.size())]];
    std::string psc;
    for (const char ch : town[2])
      if (ch != ' ') psc.push_back(ch);
    const size_t fieldCount = c[2].empty() ? 0 : static_cast<size_t>(std::count(c[2].begin(), c[2].end(), ',')) + 1;
    const std::string facility = FacilityFor(c[2], fieldCount);
    const bool legal = rng.Percent(60);
    std::fill(fields.begin(), fields.end(), std::string());
    set("MistoPoskytovaniId", std::to_string(100000 + n));
    set("ZdravotnickeZarizeniId", std::to_string(50000 + n));
    set("Kod", Digits(rng, 14));
    set("NazevZarizeni", fieldCount > 5 ? "Nemocnice " + town[0] + ", a.s."
                         : legal    ? "Ordinace " + prijmeni[rng.Below(prijmeni.size())][0] + " s.r.o."
                                    : "MUDr. " + person(false));
    set("DruhZarizeni", facility);
    set("Obec", town[0]);
    set("Psc", psc);
    set("Ulice", rng.Percent(88) ? ulice[rng.Below(ulice.size())][0] : "");
    set("CisloDomovniOrientacni", std::to_string(1 + rng.Below(2500)) + (rng.Percent(40) ? "/" + std::to_string(1 + rng.Below(40)) : ""));
    set("KrajCode", c[1]);
    set("Okres", district);
    set("OkresCode", okres);
    set("PoskytovatelTelefon", rng.Percent(80) ? "420" + Digits(rng, 9) : "");
    set("PoskytovatelFax", rng.Percent(3) ? "420" + Digits(rng, 9) : "");
    set("PoskytovatelEmail", rng.Percent(75) ? "ordinace" + std::to_string(n) + "@example.cz" : "");
    set("PoskytovatelWeb", rng.Percent(35) ? "www.ordinace" + std::to_string(n) + ".example.cz" : "");
    set("Ico", Digits(rng, 1 + static_cast<int>(rng.Below(8))));
    set("TypOsoby", legal ? "2" : "1");
    set("PravniFormaKod", legal ? (rng.Percent(90) ? "112" : "121") : "");
    set("KrajCodeSidlo", c[1]);
    set("OkresCodeSidlo", okres);
    set("ObecSidlo", town[0]);
    set("PscSidlo", psc);
    set("OborPece", c[2]);
    set("FormaPece", fieldCount > 5 ? "akutní lůžková péče standardní, ambulantní péče, jednodenní péče"
                     : facility.rfind("Samost", 0) == 0 ? "primární ambulantní péče"
                                                        : "specializovaná ambulantní péče");
    set("DruhPece", facility == "Lékárna" ? "lékárenská péče" : fieldCount > 5 ? "ošetřovatelská péče, paliativní péče" : "");
    std::string representatives;
    if (rng.Percent(57)) {
      const uint32_t k = fieldCount > 5 ? 3 + rng.Below(5) : 1 + (rng.Percent(15) ? 1 : 0);
      for (uint32_t i = 0; i < k; ++i) representatives += (i ? ", " : "") + person(rng.Percent(30));
    }
    set("OdbornyZastupce", representatives);
    set("Lat", "49." + Digits(rng, 12, true));
    set("Lng", "15." + Digits(rng, 12, true));
    out.Write(fields);
  }
  if (!out.Close()) {
    *error = o.Out + ": soubor nelze zapsat";
    return false;
  }
  return true;
}

}  // namespace karo::test
