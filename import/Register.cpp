// The national register's CSV read row by row into the directory builder, every adaptation warned.
#include "Register.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <unordered_map>

#include "Cp1250.h"
#include "Csv.h"
#include "Fdb.h"
#include "Message.h"
#include "RegisterText.h"
#include "Source.h"
#include "Values.h"

namespace karo {

namespace {

namespace fs = std::filesystem;

// The register's columns that the import reads.
enum Column {
  cId, cNazev, cDruh, cObec, cPsc, cUlice, cCislo, cOkresCode, cOkres, cTelefon, cFax, cEmail, cWeb,
  cIco, cTypOsoby, cPravniForma, cObor, cFormaPece, cDruhPece, cZastupce, kColumns
};
struct ColumnInfo {
  const char* Name;
  bool Required;
};
const ColumnInfo kColumnInfo[kColumns] = {
    {"MistoPoskytovaniId", true}, {"NazevZarizeni", true},  {"DruhZarizeni", true},
    {"Obec", true},               {"Psc", true},            {"Ulice", true},
    {"CisloDomovniOrientacni", true}, {"OkresCode", true},  {"Okres", false},
    {"PoskytovatelTelefon", true}, {"PoskytovatelFax", true}, {"PoskytovatelEmail", true},
    {"PoskytovatelWeb", true},    {"Ico", false},           {"TypOsoby", true},
    {"PravniFormaKod", true},     {"OborPece", true},       {"FormaPece", true},
    {"DruhPece", true},           {"OdbornyZastupce", true},
};

const char kOther[] = "(jiný)";
const char kUnknown[] = "neuvedeno";

// The warnings' kinds, as the totals name them.
const char kWarnCharacter[] = "znak mimo Windows-1250";
const char kWarnShortened[] = "zkrácený text";
const char kWarnCapacity[] = "hodnota se nevešla do číselníku";
const char kWarnId[] = "duplicitní nebo neplatný identifikátor";
const char kWarnDistrict[] = "okres mimo seznam okresů";
const char kWarnMissing[] = "chybějící údaj";

// The entries of one pick list while the register is read.
struct Codebook {
  struct Entry {
    std::string Name, Code;  // Code: for districts their code; else assigned
    size_t Count = 0;
    int Line = 0;            // first row that has it (or its line in the reference list)
    bool Reference = false;  // from the reference list
    const char* Column = "";  // the register's column it first came from
  };
  std::vector<Entry> Entries;
  std::unordered_map<std::string, size_t> ByName;
  std::vector<int> CodeOf;          // per entry, after Assign: its code, or -1
  std::vector<size_t> Order;        // entries in code order
  bool HasOther = false;

  size_t Add(const std::string& name, int line, const char* column = "") {
    const auto [it, added] = ByName.emplace(name, Entries.size());
    if (added) Entries.push_back({name, "", 0, line, false, column});
    ++Entries[it->second].Count;
    return it->second;
  }

  // Codes in Czech alphabetical order; when there are more entries than
  // `capacity`, the least frequent go (into "(jiný)" when `other`).
  void Assign(size_t capacity, bool other) {
    std::vector<size_t> kept(Entries.size());
    for (size_t i = 0; i < kept.size(); ++i) kept[i] = i;
    std::vector<std::string> bytes(Entries.size());
    for (size_t i = 0; i < Entries.size(); ++i) Utf8ToCp1250(Entries[i].Name, &bytes[i]);
    auto czech = [&](size_t a, size_t b) {
      const int c = CzechCmp(bytes[a].c_str(), bytes[b].c_str());
      return c != 0 ? c < 0 : bytes[a] < bytes[b];
    };
    if (kept.size() > capacity) {
      std::sort(kept.begin(), kept.end(), [&](size_t a, size_t b) {
        return Entries[a].Count != Entries[b].Count ? Entries[a].Count > Entries[b].Count : czech(a, b);
      });
      kept.resize(other ? capacity - 1 : capacity);
      HasOther = other;
    }
    std::sort(kept.begin(), kept.end(), czech);
    CodeOf.assign(Entries.size(), HasOther ? static_cast<int>(kept.size()) : -1);
    for (size_t i = 0; i < kept.size(); ++i) CodeOf[kept[i]] = static_cast<int>(i);
    Order = kept;
  }
};

// One row of the register, as the directory will hold it.
struct Place {
  int Line = 0;
  std::string Id;
  std::string Jmeno, Pracoviste, Ulice, Obec, Psc, Telefony, Fax, Email, Www, Fvlast, Ostruktura, Pozn;
  size_t District = 0, Type = 0;
  std::vector<size_t> Specialties, Categories;
};

class Importer {
 public:
  Importer(const RegisterOptions& options, DirectoryBuilder* builder)
      : options_(options), builder_(builder), file_(options.File) {}
  void Run();

 private:
  bool LoadReference();
  bool ReadRegister();
  void ReadRow(const std::vector<std::string>& fields, int line);
  std::string Field(const std::vector<std::string>& fields, Column c) const {
    return at_[c] < 0 ? std::string() : fields[static_cast<size_t>(at_[c])];
  }
  // A text as the tables can hold it: spaces collapsed, fitted to
  // Windows-1250, shortened to limit; each change a warning.
  std::string Fit(const std::string& text, Column c, size_t limit, int line);
  std::string Limit(const std::string& text, Column c, size_t limit, int line);
  size_t DistrictOf(const std::vector<std::string>& fields, int line);
  void Warn(int line, const char* kind, const std::string& message) { builder_->AddWarning({file_, line}, kind, message); }
  void AssignIds();
  void Emit();

  const RegisterOptions& options_;
  DirectoryBuilder* builder_;
  std::string file_;
  int at_[kColumns];
  std::set<std::string> givenNames_;
  std::vector<std::pair<std::string, std::string>> aphorisms_;  // group, text
  std::string okresyFile_;
  std::vector<int> okresyLines_;
  std::map<std::string, size_t> districtByCode_;
  Codebook districts_, types_, specialties_, categories_;
  std::vector<Place> places_;
};

bool LoadList(const std::string& path, const std::vector<std::string>& columns, DirectoryBuilder* builder,
              std::vector<std::vector<std::string>>* rows, std::vector<int>* lines) {
  CsvReader csv;
  std::vector<std::string> fields;
  if (!OpenWithHeader(path, &csv, builder, &fields)) return false;
  std::vector<size_t> at;
  for (const std::string& c : columns) {
    const auto it = std::find(fields.begin(), fields.end(), c);
    if (it == fields.end()) {
      builder->AddError({path, 1}, "chybí sloupec " + Quote(c));
      return false;
    }
    at.push_back(static_cast<size_t>(it - fields.begin()));
  }
  const size_t width = fields.size();
  while (csv.Next(&fields)) {
    if (fields.size() != width) {
      builder->AddError({path, csv.Line()}, FieldCountError(fields.size(), width));
      return false;
    }
    std::vector<std::string> row;
    for (const size_t a : at) row.push_back(fields[a]);
    rows->push_back(std::move(row));
    if (lines) lines->push_back(csv.Line());
  }
  if (!csv.Error().empty()) {
    builder->AddError({path, csv.Line()}, csv.Error());
    return false;
  }
  return true;
}

bool Importer::LoadReference() {
  const fs::path dir = options_.ReferenceDir;
  std::vector<std::vector<std::string>> okresy, jmena, aforismy;
  okresyFile_ = (dir / "okresy.csv").string();
  bool ok = LoadList(okresyFile_, {"nazev", "nuts"}, builder_, &okresy, &okresyLines_);
  ok &= LoadList((dir / "jmena.csv").string(), {"jmeno"}, builder_, &jmena, nullptr);
  ok &= LoadList((dir / "aforismy.csv").string(), {"skupina", "text"}, builder_, &aforismy, nullptr);
  if (!ok) return false;
  for (size_t i = 0; i < okresy.size(); ++i) {
    const size_t e = districts_.Add(okresy[i][0], okresyLines_[i]);
    districts_.Entries[e].Count = 0;
    districts_.Entries[e].Code = okresy[i][1];
    districts_.Entries[e].Reference = true;
    districtByCode_[okresy[i][1]] = e;
  }
  for (const auto& row : jmena) givenNames_.insert(LowerText(row[0]));
  for (const auto& row : aforismy) aphorisms_.push_back({row[0], row[1]});
  return true;
}

std::string Importer::Fit(const std::string& text, Column c, size_t limit, int line) {
  FitReport report;
  std::string fitted = FitToCp1250(CollapseSpaces(text), &report);
  const std::string column = std::string("sloupec ") + Quote(kColumnInfo[c].Name) + ": ";
  if (report.Replaced > 0) {
    Warn(line, kWarnCharacter,
         column + "znak " + report.First + ", který kódování Windows-1250 nezná, je zapsán jako " + Quote(report.FirstAs) +
             (report.Replaced > 1 ? " (nahrazených znaků je v poli " + std::to_string(report.Replaced) + ")" : ""));
  }
  return Limit(fitted, c, limit, line);
}

std::string Importer::Limit(const std::string& text, Column c, size_t limit, int line) {
  size_t chars = 0;
  std::string shortened = Shorten(text, limit, &chars);
  if (chars > limit) {
    Warn(line, kWarnShortened, std::string("sloupec ") + Quote(kColumnInfo[c].Name) + ": text má " + std::to_string(chars) +
                                   " znaků, zkrácen na " + std::to_string(limit));
  }
  return shortened;
}

size_t Importer::DistrictOf(const std::vector<std::string>& fields, int line) {
  const std::string code = CollapseSpaces(Field(fields, cOkresCode));
  auto count = [&](size_t e) {
    ++districts_.Entries[e].Count;
    return e;
  };
  auto added = [&](size_t e) {
    Warn(line, kWarnDistrict, "sloupec „OkresCode“: kód okresu " + Quote(code) + " není v seznamu okresů; okres " +
                                  Quote(districts_.Entries[e].Name) + " je do seznamu přidán");
    return e;
  };
  const auto known = districtByCode_.find(code);
  if (known != districtByCode_.end()) {
    if (!districts_.Entries[known->second].Reference) added(known->second);  // every row says so
    return count(known->second);
  }
  const std::string name = Fit(Field(fields, cOkres), cOkres, kRegisterTextLimit, line);
  if (code.empty()) {
    // Without a code, the district's name may still be one of the list.
    for (const auto& [c, e] : districtByCode_) {
      if (name.empty() || !districts_.Entries[e].Reference || LowerText(districts_.Entries[e].Name) != LowerText(name)) continue;
      Warn(line, kWarnDistrict, "sloupec „OkresCode“: kód okresu chybí, okres je podle názvu " + Quote(districts_.Entries[e].Name));
      return count(e);
    }
    Warn(line, kWarnDistrict, "sloupec „OkresCode“: kód okresu chybí, okres je " + Quote(kUnknown));
    const size_t e = districts_.Add(kUnknown, line);
    districts_.Entries[e].Code = "?";
    return e;
  }
  const std::string shown = Fit(code, cOkresCode, kRegisterTextLimit, line);
  std::string unique = name.empty() ? shown : name;
  while (districts_.ByName.count(unique)) unique += " (" + shown + ")";
  const size_t e = districts_.Add(unique, line);
  std::string key = shown;  // the lookup's code: unique even when two codes fit to one text
  for (int n = 2; std::any_of(districts_.Entries.begin(), districts_.Entries.end(),
                              [&](const Codebook::Entry& x) { return x.Code == key; });
       ++n) {
    key = shown + "#" + std::to_string(n);
  }
  districts_.Entries[e].Code = key;
  districtByCode_[code] = e;
  return added(e);
}

void Importer::ReadRow(const std::vector<std::string>& fields, int line) {
  Place p;
  p.Line = line;
  p.Id = CollapseSpaces(Field(fields, cId));
  const auto text = [&](Column c) { return Fit(Field(fields, c), c, kRegisterTextLimit, line); };
  p.Pracoviste = text(cNazev);
  p.Obec = text(cObec);
  const std::string street = CollapseSpaces(Field(fields, cUlice));
  const std::string number = CollapseSpaces(Field(fields, cCislo));
  // Without a street, the address is the municipality and the house number.
  std::string address = street.empty() ? (number.empty() ? "" : Field(fields, cObec) + " " + number)
                                       : street + (number.empty() ? "" : " " + number);
  p.Ulice = Fit(address, cUlice, kRegisterTextLimit, line);
  p.Psc = Fit(FormatPostalCode(Field(fields, cPsc)), cPsc, kRegisterTextLimit, line);
  p.Telefony = Fit(FormatPhones(Field(fields, cTelefon)), cTelefon, kRegisterTextLimit, line);
  p.Fax = Fit(FormatPhones(Field(fields, cFax)), cFax, kRegisterTextLimit, line);
  p.Email = text(cEmail);
  p.Www = text(cWeb);
  p.Fvlast = Fit(OwnershipText(Field(fields, cTypOsoby), Field(fields, cPravniForma)), cPravniForma, kRegisterTextLimit, line);
  p.District = DistrictOf(fields, line);

  // Persons: the first one's surname and given names; all of them in the note.
  const std::string zastupce = Fit(Field(fields, cZastupce), cZastupce, kRegisterNoteLimit, line);
  const std::vector<Person> persons = ParsePersons(zastupce, givenNames_);
  if (!persons.empty()) {
    const Person& first = persons[0];
    p.Jmeno = Limit(first.Surname + (first.Given.empty() ? "" : " " + first.Given), cZastupce, kRegisterTextLimit, line);
  }
  for (const Person& person : persons) p.Pozn += (p.Pozn.empty() ? "" : ", ") + person.Full;
  if (!p.Pozn.empty()) p.Pozn = (persons.size() > 1 ? "Odborní zástupci: " : "Odborný zástupce: ") + p.Pozn;
  const std::string ico = Fit(FormatIco(Field(fields, cIco)), cIco, kRegisterTextLimit, line);
  if (!ico.empty()) p.Pozn += (p.Pozn.empty() ? "IČO: " : "\r\nIČO: ") + ico;

  // Facility types: the first is the type, every one a category; all in the structure.
  std::vector<std::string> types;
  for (const std::string& t : SplitValues(Field(fields, cDruh))) types.push_back(CapitalizeFirst(Fit(t, cDruh, kRegisterTextLimit, line)));
  if (types.empty()) {
    Warn(line, kWarnMissing, std::string("sloupec „DruhZarizeni“: údaj chybí, typ zařízení je ") + Quote(kUnknown));
    p.Type = types_.Add(kUnknown, line);
  } else {
    p.Type = types_.Add(types[0], line);
  }
  std::string structure;
  for (const std::string& t : types) structure += (structure.empty() ? "" : "\r\n") + t;
  p.Ostruktura = Shorten(structure, kRegisterNoteLimit);

  auto addAll = [&](Codebook& book, std::vector<size_t>* to, const std::vector<std::string>& values, Column c) {
    for (const std::string& v : values) {
      const auto it = book.ByName.find(v);
      if (it != book.ByName.end() && std::find(to->begin(), to->end(), it->second) != to->end()) continue;
      to->push_back(book.Add(v, line, kColumnInfo[c].Name));
    }
  };
  auto items = [&](Column c) {
    std::vector<std::string> values;
    for (const std::string& v : SplitValues(Field(fields, c))) values.push_back(CapitalizeFirst(Fit(v, c, kRegisterTextLimit, line)));
    return values;
  };
  addAll(specialties_, &p.Specialties, items(cObor), cObor);
  addAll(categories_, &p.Categories, items(cFormaPece), cFormaPece);
  addAll(categories_, &p.Categories, items(cDruhPece), cDruhPece);
  addAll(categories_, &p.Categories, types, cDruh);
  places_.push_back(std::move(p));
}

bool Importer::ReadRegister() {
  CsvReader csv;
  std::vector<std::string> fields;
  if (!OpenWithHeader(file_, &csv, builder_, &fields)) return false;
  bool ok = true;
  for (int c = 0; c < kColumns; ++c) {
    at_[c] = -1;
    for (size_t h = 0; h < fields.size(); ++h) {
      if (CollapseSpaces(fields[h]) != kColumnInfo[c].Name) continue;
      if (at_[c] >= 0) {
        builder_->AddError({file_, csv.Line()}, std::string("sloupec ") + Quote(kColumnInfo[c].Name) + " je v záhlaví dvakrát");
        ok = false;
      }
      at_[c] = static_cast<int>(h);
    }
    if (at_[c] < 0 && kColumnInfo[c].Required) {
      builder_->AddError({file_, csv.Line()}, std::string("chybí sloupec ") + Quote(kColumnInfo[c].Name));
      ok = false;
    }
  }
  if (!ok) return false;
  const size_t width = fields.size();
  while (csv.Next(&fields)) {
    if (fields.size() != width) {
      builder_->AddError({file_, csv.Line()}, FieldCountError(fields.size(), width));
      continue;
    }
    ReadRow(fields, csv.Line());
  }
  if (!csv.Error().empty()) builder_->AddError({file_, csv.Line()}, csv.Error());
  return builder_->ErrorCount() == 0;
}

void Importer::AssignIds() {
  // Identifiers must be unique whole numbers: a duplicate or a bad one gets
  // the next free number above the largest.
  int64_t largest = -1;
  std::vector<int64_t> ids(places_.size(), -1);
  for (size_t i = 0; i < places_.size(); ++i) {
    if (ParseInt(places_[i].Id, 0, 2147483647, &ids[i])) largest = std::max(largest, ids[i]);
    else ids[i] = -1;
  }
  std::unordered_map<int64_t, int> firstLine;
  for (size_t i = 0; i < places_.size(); ++i) {
    Place& p = places_[i];
    std::string problem;
    if (ids[i] < 0) {
      problem = "identifikátor " + Quote(p.Id) + " není celé číslo 0 až 2147483647";
    } else {
      const auto [it, added] = firstLine.emplace(ids[i], p.Line);
      if (added) continue;
      problem = "identifikátor " + p.Id + " už má záznam na řádku " + std::to_string(it->second);
    }
    if (largest >= 2147483647) {
      builder_->AddError({file_, p.Line}, "sloupec „MistoPoskytovaniId“: " + problem + " a volné číslo už není");
      continue;
    }
    p.Id = std::to_string(++largest);
    firstLine.emplace(largest, p.Line);
    Warn(p.Line, kWarnId, "sloupec „MistoPoskytovaniId“: " + problem + "; záznam dostal identifikátor " + p.Id);
  }
}

void Importer::Emit() {
  districts_.Assign(kRegisterDistricts, true);
  types_.Assign(kRegisterFacilityTypes, true);
  specialties_.Assign(kRegisterSpecialties, false);
  categories_.Assign(kRegisterCategories, false);

  auto emit = [&](Lookup which, Codebook& book, bool district) {
    for (size_t pos = 0; pos < book.Order.size(); ++pos) {
      const Codebook::Entry& e = book.Entries[book.Order[pos]];
      std::vector<std::string> values = {district ? e.Code : std::to_string(pos), e.Name};
      if (which == Lookup::Rubriky) values.push_back(std::to_string(AphorismGroup(e.Name)));
      builder_->AddLookupEntry(which, values, {e.Reference ? okresyFile_ : file_, e.Line});
    }
    if (book.HasOther) {
      std::vector<std::string> values = {district ? "-" : std::to_string(book.Order.size()), kOther};
      if (which == Lookup::Rubriky) values.push_back("0");
      builder_->AddLookupEntry(which, values, {file_, 0});
    }
  };
  emit(Lookup::Okresy, districts_, true);
  emit(Lookup::Obory, specialties_, false);
  emit(Lookup::Rubriky, categories_, false);
  emit(Lookup::TypZarizeni, types_, false);
  // The register knows neither languages nor insurers: those lists stay empty.
  int line = 1;
  const std::string aphorismFile = (fs::path(options_.ReferenceDir) / "aforismy.csv").string();
  for (const auto& [group, text] : aphorisms_) builder_->AddAphorism(group, text, {aphorismFile, ++line});

  // The code of a single-code value, with a warning when it went into "(jiný)".
  auto single = [&](Codebook& book, size_t entry, const Place& p, const char* column, const char* what, size_t cap) {
    if (book.CodeOf[entry] == static_cast<int>(book.Order.size())) {
      Warn(p.Line, kWarnCapacity, std::string("sloupec ") + Quote(column) + ": " + what + " " + Quote(book.Entries[entry].Name) +
                                      " se nevešel do číselníku (kód pojme nejvýše " + std::to_string(cap) +
                                      " položek), záznam má " + what + " " + Quote(kOther));
      return false;
    }
    return true;
  };
  auto list = [&](Codebook& book, const std::vector<size_t>& entries, const Place& p, const char* what, size_t cap) {
    std::string codes;
    for (const size_t e : entries) {
      const int code = book.CodeOf[e];
      if (code < 0) {
        Warn(p.Line, kWarnCapacity, std::string("sloupec ") + Quote(book.Entries[e].Column) + ": " + what + " " + Quote(book.Entries[e].Name) +
                                        " se nevešel do číselníku (kód pojme nejvýše " + std::to_string(cap) +
                                        " položek), záznam ho nemá");
        continue;
      }
      codes += (codes.empty() ? "" : "|") + std::to_string(code);
    }
    return codes;
  };
  for (const Place& p : places_) {
    ProviderRow row;
    row[kId] = p.Id;
    const bool contact = !p.Telefony.empty() || !p.Fax.empty() || !p.Email.empty() || !p.Www.empty();
    row[kUroven] = contact ? "2" : "1";
    row[kJmeno] = p.Jmeno;
    row[kPracoviste] = p.Pracoviste;
    row[kUlice] = p.Ulice;
    row[kObec] = p.Obec;
    row[kPsc] = p.Psc;
    row[kOkres] = single(districts_, p.District, p, "OkresCode", "okres", kRegisterDistricts)
                      ? districts_.Entries[p.District].Code : "-";
    row[kTypZarizeni] = std::to_string(types_.CodeOf[p.Type]);
    single(types_, p.Type, p, "DruhZarizeni", "typ zařízení", kRegisterFacilityTypes);
    row[kObory] = list(specialties_, p.Specialties, p, "obor", kRegisterSpecialties);
    row[kRubriky] = list(categories_, p.Categories, p, "rubrika", kRegisterCategories);
    row[kTelefony] = p.Telefony;
    row[kFax] = p.Fax;
    row[kEmail] = p.Email;
    row[kWww] = p.Www;
    row[kFvlast] = p.Fvlast;
    row[kOstruktura] = p.Ostruktura;
    row[kPozn] = p.Pozn;
    builder_->AddProvider(row, {file_, p.Line});
  }
}

void Importer::Run() {
  if (!LoadReference()) return;
  if (!ReadRegister()) return;
  AssignIds();
  if (builder_->ErrorCount() > 0) return;
  Emit();
}

}  // namespace

void ImportRegister(const RegisterOptions& options, DirectoryBuilder* builder) {
  Importer(options, builder).Run();
}

}  // namespace karo
