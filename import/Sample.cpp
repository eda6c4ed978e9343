// The synthetic sample directory, generated from a seed and the reference lists.
#include "Sample.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "Cp1250.h"
#include "Csv.h"
#include "Fdb.h"
#include "Message.h"
#include "Values.h"

namespace karo {

namespace {

namespace fs = std::filesystem;

// Picks an index with probability proportional to its weight.
class Weighted {
 public:
  // A weight of 0 is never picked.
  void Add(uint64_t weight) { sums_.push_back((sums_.empty() ? 0 : sums_.back()) + weight); }
  size_t Pick(Rng& rng) const {
    if (sums_.empty() || sums_.back() == 0) return 0;
    const uint64_t x = rng.Next() % sums_.back();
    return static_cast<size_t>(std::upper_bound(sums_.begin(), sums_.end(), x) - sums_.begin());
  }
  bool Empty() const { return sums_.empty(); }

 private:
  std::vector<uint64_t> sums_;
};

// One reference list: rows by column name.
struct Table {
  std::vector<std::string> Header;
  std::vector<std::vector<std::string>> Rows;
  int Column(const std::string& name) const {
    const auto it = std::find(Header.begin(), Header.end(), name);
    return it == Header.end() ? -1 : static_cast<int>(it - Header.begin());
  }
};

bool Load(const std::string& dir, const std::string& file, const std::vector<std::string>& columns,
          DirectoryBuilder* builder, Table* table) {
  const std::string path = (fs::path(dir) / file).string();
  CsvReader csv;
  if (!csv.Open(path)) {
    builder->AddError({path, 0}, "referenční seznam nelze otevřít: " + csv.Error());
    return false;
  }
  std::vector<std::string> fields;
  if (!csv.Next(&fields)) {
    builder->AddError({path, csv.Line()}, "referenční seznam je prázdný");
    return false;
  }
  table->Header = fields;
  for (const std::string& c : columns) {
    if (table->Column(c) < 0) {
      builder->AddError({path, 1}, "chybí sloupec " + Quote(c));
      return false;
    }
  }
  std::vector<std::string> row;
  while (csv.Next(&fields)) {
    if (fields.size() != table->Header.size()) {
      builder->AddError({path, csv.Line()}, "řádek má jiný počet polí než záhlaví");
      return false;
    }
    row.clear();
    for (const std::string& c : columns) row.push_back(fields[static_cast<size_t>(table->Column(c))]);
    table->Rows.push_back(row);
  }
  if (!csv.Error().empty()) {
    builder->AddError({path, csv.Line()}, csv.Error());
    return false;
  }
  if (table->Rows.empty()) {
    builder->AddError({path, 1}, "referenční seznam nemá žádný řádek");
    return false;
  }
  return true;
}

Weighted WeightsOf(const Table& t, size_t column) {
  Weighted w;
  for (const auto& row : t.Rows) {
    int64_t v = 1;
    ParseInt(row[column], 0, INT64_C(1) << 40, &v);
    w.Add(static_cast<uint64_t>(v));  // a weight that is not a number counts as 1
  }
  return w;
}

// Lower-case ASCII of a Czech text, for e-mail and web addresses.
std::string Ascii(const std::string& utf8) {
  std::string bytes, out;
  Utf8ToCp1250(utf8, &bytes);
  for (const char c : bytes) {
    const unsigned char f = kSearchFold[static_cast<unsigned char>(c)];
    if ((f >= 'a' && f <= 'z') || (f >= '0' && f <= '9')) out.push_back(static_cast<char>(f));
  }
  return out;
}

const char* const kSpecialCare[] = {
    "Očkování", "EKG", "24hodinové měření krevního tlaku", "Ultrazvukové vyšetření", "Odběry krve",
    "Preventivní prohlídky", "Cestovní medicína", "Akupunktura", "Poradna pro odvykání kouření",
    "Vyšetření CRP", "Spirometrie", "Dopplerovské vyšetření", "Malé chirurgické zákroky",
    "Poradna pro diabetiky", "Kryoterapie"};
const char* const kNotes[] = {
    "Bezbariérový přístup.", "Parkoviště před budovou.", "Objednání telefonicky nebo e-mailem.",
    "Ordinace je ve 2. patře, výtah v budově.", "Nové pacienty přijímáme.",
    "Nové pacienty nepřijímáme.", "Odběry jen do 9:00.", "Platba kartou možná.",
    "Zastupuje sousední ordinace ve stejné budově."};
const char* const kAboveStandard[] = {
    "Individuální konzultace mimo ordinační hodiny", "Objednání na přesný čas",
    "Telefonické konzultace", "Vyšetření v domácnosti pacienta", "Rozšířené laboratorní vyšetření",
    "Preventivní program pro firmy", "Nadstandardní pokoj s příslušenstvím", "Možnost doprovodu",
    "Pokoj s televizí a internetem", "Strava podle výběru"};

std::string PickSome(Rng& rng, const char* const* items, size_t n, size_t most, const char* sep) {
  std::set<size_t> chosen;
  const size_t k = 1 + rng.Below(static_cast<uint32_t>(most));
  while (chosen.size() < k) chosen.insert(rng.Below(static_cast<uint32_t>(n)));
  std::string s;
  for (const size_t i : chosen) s += (s.empty() ? "" : sep) + std::string(items[i]);
  return s;
}

std::string Time(int minutes) {
  return std::to_string(minutes / 60) + ":" + (minutes % 60 < 10 ? "0" : "") + std::to_string(minutes % 60);
}

// Office hours: one line per weekday, empty at the weekend.
std::string OfficeHours(Rng& rng) {
  const int start = 6 * 60 + 30 + 30 * static_cast<int>(rng.Below(4));
  const int late = static_cast<int>(rng.Below(5));
  std::string s;
  for (int day = 0; day < 7; ++day) {
    if (day) s += "\n";
    if (day >= 5) continue;
    if (day == late) {
      s += Time(12 * 60) + " - " + Time(18 * 60);
    } else if (day == 4) {
      s += Time(start) + " - " + Time(start + 5 * 60);
    } else {
      s += Time(start) + " - " + Time(start + 5 * 60) + ", " + Time(start + 5 * 60 + 60) + " - " +
           Time(start + 8 * 60);
    }
  }
  return s;
}

std::string Repeat7(const std::string& weekday, const std::string& weekend) {
  std::string s;
  for (int day = 0; day < 7; ++day) s += (day ? "\n" : "") + (day < 5 ? weekday : weekend);
  return s;
}

// The facility type of a pharmacy; a specialty whose own practice it is is a
// pharmacy's, and a pharmacy has no other.
const char kPharmacyType[] = "510";

std::string Phone(Rng& rng, char first) {
  std::string s = "+420 ";
  s.push_back(first);
  for (int i = 1; i < 9; ++i) {
    if (i % 3 == 0) s.push_back(' ');
    s.push_back(static_cast<char>('0' + rng.Below(10)));
  }
  return s;
}

class Generator {
 public:
  Generator(const SampleOptions& options, DirectoryBuilder* builder) : options_(options), builder_(builder) {}
  void Run();

 private:
  bool LoadAll();
  void EmitLookups();
  void Lookups();
  // What a provider practises: specialties (the first the main one), the
  // categories that go with them, and the facility they work in.
  struct Practice {
    std::vector<size_t> Specialties;
    std::vector<std::string> Categories;
    std::string Facility, FacilityName;
    bool Pharmacy = false, Ward = false, Hospital = false, Centre = false;
  };
  ProviderRow Provider(uint64_t i);
  Practice PracticeFor();
  std::string FacilityFor(size_t specialty, bool ward);
  std::string WorkplaceName(const Practice& practice, const std::string& first, const std::string& surname,
                            const std::string& town);
  void Lists(const Practice& practice, ProviderRow* p);
  void Contacts(const Practice& practice, const std::vector<std::string>& obec, const std::string& surname,
                ProviderRow* p);
  void Texts(const Practice& practice, int level, ProviderRow* p);
  void Emit(const std::string& file, const std::vector<std::string>& header,
            const std::vector<std::vector<std::string>>& rows);

  const SampleOptions& options_;
  DirectoryBuilder* builder_;
  Rng rng_{0};
  Table okresy_, obce_, prijmeni_, jmena_, obory_, pojistovny_, typy_, jazyky_, rubriky_,
      rubrikyObory_, aforismy_, ulice_, vlastnictvi_;
  Weighted obecW_, jmenoW_[2], oborW_, typW_, hospitalW_, jazykW_, uliceW_, vlastW_;
  std::vector<size_t> prijmeniBy_[2];
  std::map<std::string, std::string> okresNuts_;            // district name -> code
  std::map<std::string, std::vector<std::string>> rubrikyOf_;  // specialty name -> categories
  std::string emergencyCode_;  // of the category "Pohotovost": its providers have emergency hours
  std::map<std::string, size_t> typIndex_;                  // facility code -> row
  std::vector<size_t> pojistovnyOrder_;
};

bool Generator::LoadAll() {
  const std::string& d = options_.ReferenceDir;
  return Load(d, "okresy.csv", {"nazev", "nuts", "vaha"}, builder_, &okresy_) &&
         Load(d, "obce.csv", {"obec", "okres", "psc", "vaha"}, builder_, &obce_) &&
         Load(d, "prijmeni.csv", {"prijmeni", "pohlavi"}, builder_, &prijmeni_) &&
         Load(d, "jmena.csv", {"jmeno", "pohlavi", "vaha"}, builder_, &jmena_) &&
         Load(d, "obory.csv", {"kod", "nazev", "vaha", "luzka", "typ"}, builder_, &obory_) &&
         Load(d, "pojistovny.csv", {"kod", "nazev", "vaha"}, builder_, &pojistovny_) &&
         Load(d, "typzarizeni.csv", {"kod", "nazev", "vaha"}, builder_, &typy_) &&
         Load(d, "jazyky.csv", {"nazev", "vaha"}, builder_, &jazyky_) &&
         Load(d, "rubriky.csv", {"nazev", "aforismus"}, builder_, &rubriky_) &&
         Load(d, "rubriky_obory.csv", {"rubrika", "obor"}, builder_, &rubrikyObory_) &&
         Load(d, "aforismy.csv", {"skupina", "text"}, builder_, &aforismy_) &&
         Load(d, "ulice.csv", {"nazev", "vaha"}, builder_, &ulice_) &&
         Load(d, "vlastnictvi.csv", {"nazev", "vaha"}, builder_, &vlastnictvi_);
}

void Generator::Emit(const std::string& file, const std::vector<std::string>& header,
                     const std::vector<std::vector<std::string>>& rows) {
  if (options_.EmitSource.empty()) return;
  const std::string path = (fs::path(options_.EmitSource) / file).string();
  CsvWriter csv;
  if (!csv.Open(path)) {
    builder_->AddError({path, 0}, "soubor nelze vytvořit");
    return;
  }
  csv.Write(header);
  for (const auto& row : rows) csv.Write(row);
  if (!csv.Close()) builder_->AddError({path, 0}, "soubor nelze zapsat");
}

// Category codes are made from the category's position: R01, R02, ...
std::string CategoryCode(size_t i) { return (i + 1 < 10 ? "R0" : "R") + std::to_string(i + 1); }

void Generator::Lookups() {
  // Source rows of the six lookup tables and the aphorisms, as a user would write them.
  std::vector<std::vector<std::string>> rows[kLookupCount + 1];
  for (const auto& r : okresy_.Rows) rows[0].push_back({r[1], r[0]});
  for (const auto& r : obory_.Rows) rows[1].push_back({r[0], r[1]});
  for (size_t i = 0; i < rubriky_.Rows.size(); ++i) rows[2].push_back({CategoryCode(i), rubriky_.Rows[i][0], rubriky_.Rows[i][1]});
  for (const auto& r : jazyky_.Rows) rows[3].push_back({r[0]});
  for (const auto& r : pojistovny_.Rows) rows[4].push_back({r[0], r[1]});
  for (const auto& r : typy_.Rows) rows[5].push_back({r[0], r[1]});
  for (const auto& r : aforismy_.Rows) rows[6].push_back({r[0], r[1]});
  for (int i = 0; i < kLookupCount; ++i) {
    const SourceFile& source = LookupSource(static_cast<Lookup>(i));
    int line = 1;
    for (const auto& row : rows[i]) builder_->AddLookupEntry(static_cast<Lookup>(i), row, {source.File, ++line});
    Emit(source.File, {source.Columns.begin(), source.Columns.end()}, rows[i]);
  }
  int line = 1;
  for (const auto& row : rows[6]) builder_->AddAphorism(row[0], row[1], {AphorismSource().File, ++line});
  Emit(AphorismSource().File, {AphorismSource().Columns.begin(), AphorismSource().Columns.end()}, rows[6]);

  // Pickers.
  obecW_ = WeightsOf(obce_, 3);
  for (const auto& r : okresy_.Rows) okresNuts_[r[0]] = r[1];
  for (size_t i = 0; i < prijmeni_.Rows.size(); ++i) prijmeniBy_[prijmeni_.Rows[i][1] == "Z"].push_back(i);
  for (const auto& r : jmena_.Rows) {
    int64_t v = 1;
    ParseInt(r[2], 0, INT64_C(1) << 40, &v);
    jmenoW_[r[1] == "Z"].Add(static_cast<uint64_t>(v));
    jmenoW_[r[1] != "Z"].Add(0);
  }
  oborW_ = WeightsOf(obory_, 2);
  typW_ = WeightsOf(typy_, 2);
  for (size_t i = 0; i < typy_.Rows.size(); ++i) {
    typIndex_[typy_.Rows[i][0]] = i;
    int64_t v = 0;
    ParseInt(typy_.Rows[i][2], 0, INT64_C(1) << 40, &v);
    hospitalW_.Add(typy_.Rows[i][0][0] == '1' ? static_cast<uint64_t>(v) : 0);
  }
  jazykW_ = WeightsOf(jazyky_, 1);
  uliceW_ = WeightsOf(ulice_, 1);
  vlastW_ = WeightsOf(vlastnictvi_, 1);
  // Categories by specialty name; a name that is not in its list is a typing error.
  std::set<std::string> specialties, categories;
  for (const auto& r : obory_.Rows) specialties.insert(r[1]);
  for (size_t r = 0; r < rubriky_.Rows.size(); ++r) {
    categories.insert(rubriky_.Rows[r][0]);
    if (rubriky_.Rows[r][0] == "Pohotovost") emergencyCode_ = CategoryCode(r);
  }
  const std::string path = (fs::path(options_.ReferenceDir) / "rubriky_obory.csv").string();
  for (size_t i = 0; i < rubrikyObory_.Rows.size(); ++i) {
    const auto& r = rubrikyObory_.Rows[i];
    const int row = static_cast<int>(i) + 2;
    if (!categories.count(r[0])) builder_->AddError({path, row}, "rubrika " + Quote(r[0]) + " není v rubriky.csv");
    if (!specialties.count(r[1])) builder_->AddError({path, row}, "obor " + Quote(r[1]) + " není v obory.csv");
    rubrikyOf_[r[1]].push_back(r[0]);
  }
}

// The text with its first letter in upper case (an ASCII letter; the
// specialties' names begin with one).
std::string Capitalised(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text;
}

// The facility type of a provider whose main specialty is `specialty`: the
// specialty's own kind of practice (column "typ") most of the time, a
// hospital for a ward (column "luzka"), else a specialist's practice or a centre.
std::string Generator::FacilityFor(size_t specialty, bool ward) {
  auto known = [&](const std::string& code) { return typIndex_.count(code) ? code : std::string(); };
  const std::string& usual = obory_.Rows[specialty][4];
  std::string code;
  if (usual == kPharmacyType) {
    code = known(usual);
  } else if (ward) {
    code = typy_.Rows[hospitalW_.Pick(rng_)][0];
  } else if (!usual.empty()) {
    code = known(rng_.Percent(80) ? usual : "302");
  } else {
    const uint32_t r = rng_.Below(100);
    code = known(r < 55 ? "324" : r < 80 ? "302" : r < 90 ? "301" : "310");
  }
  return code.empty() ? typy_.Rows[typW_.Pick(rng_)][0] : code;
}

ProviderRow Generator::Provider(uint64_t i) {
  // Every draw comes in a fixed order, so that a seed always gives the same directory.
  ProviderRow p;
  Rng& rng = rng_;
  const int female = rng.Percent(56) ? 1 : 0;
  const std::vector<size_t>& surnames = prijmeniBy_[female];
  const size_t surnameRow = surnames.empty() ? rng.Below(static_cast<uint32_t>(prijmeni_.Rows.size()))
                                             : surnames[rng.Below(static_cast<uint32_t>(surnames.size()))];
  const std::string surname = prijmeni_.Rows[surnameRow][0];
  const std::string first = jmena_.Rows[jmenoW_[female].Pick(rng)][0];
  const auto& obec = obce_.Rows[obecW_.Pick(rng)];
  const uint32_t levelRoll = rng.Below(100);
  const int level = levelRoll < 35 ? 1 : levelRoll < 65 ? 2 : levelRoll < 87 ? 3 : 4;
  const Practice practice = PracticeFor();
  const std::string town = obec[0];
  const std::string workplace = WorkplaceName(practice, first, surname, town);
  const std::string street = ulice_.Rows[uliceW_.Pick(rng)][0] + " " +
                             std::to_string(1 + rng.Below(rng.Percent(70) ? 120 : 2500)) +
                             (rng.Percent(30) ? "/" + std::to_string(1 + rng.Below(40)) : "");

  p[kId] = std::to_string(10000 + 2 * i + rng.Below(2));
  p[kUroven] = std::to_string(level);
  p[kJmeno] = surname + " " + first;
  p[kPracoviste] = workplace;
  p[kUlice] = street;
  p[kObec] = town;
  p[kPsc] = obec[2];
  p[kOkres] = okresNuts_.count(obec[1]) ? okresNuts_[obec[1]] : okresy_.Rows[0][1];
  p[kTypZarizeni] = practice.Facility;
  Lists(practice, &p);
  Contacts(practice, obec, surname, &p);
  Texts(practice, level, &p);
  return p;
}

Generator::Practice Generator::PracticeFor() {
  Rng& rng = rng_;
  Practice practice;
  // Specialties, the first the main one (a pharmacy has only that), and the
  // categories that go with them. A few are wards of a hospital.
  std::vector<size_t>& specialties = practice.Specialties;
  specialties.push_back(oborW_.Pick(rng));
  const std::vector<std::string>& mainRow = obory_.Rows[specialties[0]];
  const bool pharmacy = mainRow[4] == kPharmacyType;
  if (!pharmacy) {
    const uint32_t k = rng.Percent(70) ? 1 : rng.Percent(73) ? 2 : 3;
    for (int tries = 0; specialties.size() < k && tries < 50; ++tries) {
      const size_t s = oborW_.Pick(rng);
      const bool again = std::find(specialties.begin(), specialties.end(), s) != specialties.end();
      if (!again && obory_.Rows[s][4] != kPharmacyType) specialties.push_back(s);
    }
  }
  int64_t weight = 1, beds = 0;
  ParseInt(mainRow[2], 1, INT32_MAX, &weight);
  ParseInt(mainRow[3], 0, weight, &beds);
  const bool ward = beds > 0 && rng.Below(static_cast<uint32_t>(weight)) < beds;
  std::vector<std::string>& categories = practice.Categories;
  auto addCategory = [&](const std::string& name) {
    for (size_t r = 0; r < rubriky_.Rows.size(); ++r) {
      const std::string code = CategoryCode(r);
      if (rubriky_.Rows[r][0] == name && std::find(categories.begin(), categories.end(), code) == categories.end())
        categories.push_back(code);
    }
  };
  if (pharmacy || !rng.Percent(5)) {
    for (const size_t s : specialties)
      for (const std::string& name : rubrikyOf_[obory_.Rows[s][1]]) addCategory(name);
    if (ward) addCategory("Nemocnice");
  }
  practice.Facility = FacilityFor(specialties[0], ward);
  practice.FacilityName = typy_.Rows[typIndex_[practice.Facility]][1];
  practice.Pharmacy = pharmacy;
  practice.Ward = ward;
  practice.Hospital = practice.Facility[0] == '1';
  const std::string& f = practice.Facility;
  practice.Centre = f == "301" || f == "302" || f == "310";
  return practice;
}

// The workplace's name: the facility's, the town's, or the head's with a title.
std::string Generator::WorkplaceName(const Practice& practice, const std::string& first, const std::string& surname,
                                     const std::string& town) {
  Rng& rng = rng_;
  const std::string& facility = practice.Facility;
  std::string title = "MUDr.";
  if (facility == "322" && rng.Percent(40)) title = "MDDr.";
  if (facility == "340") title = "PhDr.";
  if (facility == "341" || facility == "351") title = "Mgr.";
  if (facility == "350" || facility == "359") title = "Bc.";
  if (facility == "360" || facility == "521") title.clear();
  if (practice.Pharmacy) title = "PharmDr.";
  const uint32_t style = rng.Below(100);
  if (practice.Pharmacy) {
    static const char* const kPharmacy[] = {"U Zlatého lva", "U Černého orla", "Na Náměstí", "U Nemocnice",
                                            "Pod Lipami", "U Svaté Anny", "Na Poliklinice", "Centrum"};
    return style < 50 ? std::string("Lékárna ") + kPharmacy[rng.Below(8)] : "Lékárna " + town;
  }
  if (practice.Hospital) {
    return style < 60 ? "Nemocnice " + town + (rng.Percent(50) ? ", a.s." : "") : practice.FacilityName + " " + town;
  }
  if (practice.Centre) {
    static const char* const kCentre[] = {"Poliklinika ", "Zdravotní středisko ", "Medicentrum ", "Zdravotnické centrum "};
    return kCentre[rng.Below(4)] + town + (rng.Percent(40) ? " s.r.o." : "");
  }
  if (style < 50) return (title.empty() ? "" : title + " ") + first + " " + surname;
  if (style < 75) {
    static const char* const kPractice[] = {"Ordinace ", "Ambulance ", "Praxe ", "MEDICUS "};
    return kPractice[rng.Below(4)] + (rng.Percent(50) ? surname : town) + " s.r.o.";
  }
  return Capitalised(obory_.Rows[practice.Specialties[0]][1]) + ", " + town;
}

// The four code lists: languages, insurers, specialties, categories.
void Generator::Lists(const Practice& practice, ProviderRow* row) {
  Rng& rng = rng_;
  ProviderRow& p = *row;
  std::string list;
  if (rng.Percent(45)) {
    std::set<size_t> langs;
    const uint32_t k = 1 + rng.Below(3);
    while (langs.size() < k && langs.size() < jazyky_.Rows.size()) langs.insert(jazykW_.Pick(rng));
    for (const size_t l : langs) list += (list.empty() ? "" : "|") + jazyky_.Rows[l][0];
  }
  p[kJazyky] = list;
  list.clear();
  for (size_t k = 0; k < pojistovny_.Rows.size(); ++k) {
    if (rng.Percent(k == 0 ? 97 : 75)) list += (list.empty() ? "" : "|") + pojistovny_.Rows[k][0];
  }
  if (list.empty()) list = pojistovny_.Rows[0][0];
  p[kPojistovny] = list;
  list.clear();
  for (const size_t s : practice.Specialties) list += (list.empty() ? "" : "|") + obory_.Rows[s][0];
  p[kObory] = list;
  list.clear();
  for (const std::string& c : practice.Categories) list += (list.empty() ? "" : "|") + c;
  p[kRubriky] = list;
}

// Phones in the area of the postal code, e-mail and web from the name, ownership.
void Generator::Contacts(const Practice& practice, const std::vector<std::string>& obec, const std::string& surname,
                         ProviderRow* row) {
  Rng& rng = rng_;
  ProviderRow& p = *row;
  const char area = obec[2].empty() ? '4' : obec[2][0] == '1' ? '2' : obec[2][0] <= '3' ? '3' : obec[2][0] <= '5' ? '4' : '5';
  p[kTelefony] = Phone(rng, area) + (rng.Percent(25) ? ", " + Phone(rng, area) : "");
  p[kFax] = rng.Percent(20) ? Phone(rng, area) : "";
  p[kMobil] = rng.Percent(55) ? Phone(rng, rng.Percent(50) ? '6' : '7') : "";
  static const char* const kMail[] = {"seznam.cz", "email.cz", "centrum.cz", "volny.cz", "gmail.com"};
  const bool institution = practice.Pharmacy || practice.Hospital || practice.Centre;
  const std::string slug = Ascii(institution ? p[kPracoviste] : surname);
  p[kEmail] = rng.Percent(70) ? (rng.Percent(50) ? "ordinace." : "") + slug + "@" + kMail[rng.Below(5)] : "";
  p[kWww] = rng.Percent(35) ? "www." + slug + (rng.Percent(30) ? "-" + Ascii(p[kObec]) : "") + ".cz" : "";
  p[kFvlast] = vlastnictvi_.Rows[vlastW_.Pick(rng)][0];
}

// The structure, notes, hours and care texts, more of them the higher the level.
void Generator::Texts(const Practice& practice, int level, ProviderRow* row) {
  Rng& rng = rng_;
  ProviderRow& p = *row;
  const bool hospital = practice.Hospital, centre = practice.Centre;
  if (hospital || centre) {
    std::set<size_t> parts;
    const uint32_t k = 3 + rng.Below(5);
    while (parts.size() < k && parts.size() < obory_.Rows.size()) parts.insert(oborW_.Pick(rng));
    std::string s;
    for (const size_t part : parts) s += (s.empty() ? "" : "\n") + obory_.Rows[part][1];
    p[kOstruktura] = s;
  }
  if (level >= 1) {
    p[kSpecipece] = rng.Percent(35) ? PickSome(rng, kSpecialCare, std::size(kSpecialCare), 3, "\n") : "";
    p[kPozn] = rng.Percent(25) ? PickSome(rng, kNotes, std::size(kNotes), 2, " ") : "";
  }
  if (level >= 3) {
    p[kOrdihod] = OfficeHours(rng);
    if (hospital) p[kAmbulance] = Repeat7("nepřetržitě", "nepřetržitě");
    const std::vector<std::string>& categories = practice.Categories;
    const bool emergency = std::find(categories.begin(), categories.end(), emergencyCode_) != categories.end();
    if (hospital || centre || emergency) {
      p[kPohotovost] = rng.Percent(60) ? Repeat7("16:00 - 22:00", "8:00 - 20:00") : "";
    }
    p[kVysetreni] = rng.Percent(60) ? "ano" : "ne";
    p[kObjdoba] = std::to_string(rng.Percent(40) ? 0 : 1 + rng.Below(30));
  }
  if (level >= 4) {
    p[kNpece] = PickSome(rng, kAboveStandard, 6, 3, "\n");
    p[kNhospit] = hospital ? PickSome(rng, kAboveStandard + 6, 4, 2, "\n") : "";
  }
}

void Generator::Run() {
  rng_ = Rng(options_.Seed);
  if (!options_.EmitSource.empty()) {
    std::error_code ec;
    fs::create_directories(options_.EmitSource, ec);
  }
  if (!LoadAll()) return;
  Lookups();
  CsvWriter csv;
  const std::string path = (fs::path(options_.EmitSource) / ProviderSource().File).string();
  const bool emit = !options_.EmitSource.empty();
  if (emit) {
    if (!csv.Open(path)) {
      builder_->AddError({path, 0}, "soubor nelze vytvořit");
      return;
    }
    csv.Write({ProviderSource().Columns.begin(), ProviderSource().Columns.end()});
  }
  int line = 1;
  std::vector<std::string> fields(kProviderColumns);
  for (uint64_t i = 0; i < options_.Count; ++i) {
    const ProviderRow row = Provider(i);
    ++line;
    builder_->AddProvider(row, {ProviderSource().File, line});
    if (emit) {
      std::copy(row.begin(), row.end(), fields.begin());
      csv.Write(fields);
      for (const char c : row[kOrdihod]) line += c == '\n';
      for (int c : {kOstruktura, kSpecipece, kAmbulance, kPohotovost, kNpece, kNhospit})
        for (const char ch : row[static_cast<size_t>(c)]) line += ch == '\n';
    }
    if (builder_->ErrorCount() > 0) return;  // a generator fault: stop at the first
  }
  if (emit && !csv.Close()) builder_->AddError({path, 0}, "soubor nelze zapsat");
}

}  // namespace

void GenerateSample(const SampleOptions& options, DirectoryBuilder* builder) {
  Generator(options, builder).Run();
}

}  // namespace karo
