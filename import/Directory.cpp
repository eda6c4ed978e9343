// DirectoryBuilder: source rows checked, converted to Windows-1250 and encoded into the nine tables.
#include "Directory.h"

#include <algorithm>
#include <cstdio>

#include "Coding.h"
#include "Cp1250.h"
#include "Message.h"
#include "Values.h"

namespace karo {

const char* const kProviderColumnNames[kProviderColumns] = {
    "id",       "uroven",    "jmeno",      "pracoviste", "ulice",      "obec",      "psc",
    "okres",    "typzarizeni", "jazyky",   "pojistovny", "obory",      "rubriky",   "telefony",
    "fax",      "mobil",     "email",      "www",        "fvlast",     "ostruktura", "specipece",
    "pozn",     "ordihod",   "ambulance",  "pohotovost", "vysetreni",  "objdoba",   "npece",
    "nhospit"};

namespace {

constexpr size_t kMaxListedErrors = 1000;

struct LookupInfo {
  SourceFile Source;
  int Capacity;        // entries a code can address
  const char* Plural;  // for messages
};

const LookupInfo kLookups[kLookupCount] = {
    {{"okresy.csv", kTableNames[kTableOkresy], {"kod", "nazev"}}, 256, "okresů"},
    {{"obory.csv", kTableNames[kTableObory], {"kod", "nazev"}}, 65536, "oborů"},
    {{"rubriky.csv", kTableNames[kTableRubriky], {"kod", "nazev", "aforismus"}}, 255, "rubrik"},
    {{"jazyky.csv", kTableNames[kTableJazyky], {"nazev"}}, 255, "jazyků"},
    {{"pojistovny.csv", kTableNames[kTablePojistovny], {"kod", "nazev"}}, 255, "pojišťoven"},
    {{"typzarizeni.csv", kTableNames[kTableTypZarizeni], {"kod", "nazev"}}, 256, "typů zařízení"},
};

const SourceFile kAphorisms = {"aforismy.csv", kTableNames[kTableAforismy], {"skupina", "text"}};

SourceFile MakeProviderSource() {
  SourceFile s{"poskytovatele.csv", "poskytovatele", {}};
  for (const char* name : kProviderColumnNames) s.Columns.push_back(name);
  return s;
}

std::vector<FieldSpec> LookupFields(Lookup which) {
  switch (which) {
    case Lookup::Rubriky: return {{"kod", 'T', 0}, {"nazev", 'T', 0}, {"aforismus", 'N', 2}};
    case Lookup::Jazyky: return {{"nazev", 'T', 0}};
    default: return {{"kod", 'T', 0}, {"nazev", 'T', 0}};
  }
}

// The search table: fixed positions that the program reads by number.
std::vector<FieldSpec> SearchFields() {
  return {{"id", 'N', 4},         {"uroven", 'N', 1},     {"jmeno", 'T', 0},  {"pracoviste", 'T', 0},
          {"ulice", 'T', 0},      {"obec", 'T', 0},       {"okres", 'N', 1},  {"psc", 'T', 0},
          {"typzarizeni", 'N', 1}, {"jazyky", 'T', 0},    {"pojistovny", 'T', 0}, {"obory", 'T', 0},
          {"rubriky", 'T', 0}};
}

// The detail table: read by name, after the identifier at position 0.
const int kDetailColumns[] = {kPsc,       kTelefony,  kFax,       kMobil,      kEmail,   kWww,
                              kFvlast,    kOstruktura, kSpecipece, kPozn,       kOrdihod, kAmbulance,
                              kPohotovost, kVysetreni, kObjdoba,   kNpece,      kNhospit};

std::vector<FieldSpec> DetailFields() {
  std::vector<FieldSpec> fields = {{"id", 'N', 4}};
  for (const int c : kDetailColumns) fields.push_back({c == kPsc ? "PSC" : kProviderColumnNames[c], 'T', 0});
  return fields;
}

bool IsMultiline(int column) {
  return column == kOstruktura || column == kSpecipece || column == kPozn || column == kOrdihod ||
         column == kAmbulance || column == kPohotovost || column == kNpece || column == kNhospit;
}

bool IsWeekly(int column) { return column == kOrdihod || column == kAmbulance || column == kPohotovost; }


// The column to blame when a record's out-of-line values do not all start
// within 65,535 bytes of its start: the longest value before the first that
// starts too far. nullptr when everything fits.
const char* Overlong(const std::vector<std::pair<const char*, size_t>>& values, size_t fixed, size_t* bytes) {
  size_t at = fixed;
  const std::pair<const char*, size_t>* longest = nullptr;
  for (const auto& v : values) {
    if (at > 0xFFFF) {
      *bytes = longest->second;
      return longest->first;
    }
    if (!longest || v.second > longest->second) longest = &v;
    at += v.second;
  }
  return nullptr;
}

std::string CodePoint(const std::string& utf8, size_t at) {
  size_t pos = at;
  const int32_t code = DecodeUtf8(utf8, &pos);
  if (code < 0) return "neplatná posloupnost UTF-8";
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
  return std::string(hex) + " " + Quote(utf8.substr(at, pos - at));
}

// "FILE:LINE: " before a message; "FILE: " when it concerns the whole file.
std::string Place(const Where& where) {
  return PrintableUtf8(where.File) + (where.Line > 0 ? ":" + std::to_string(where.Line) : std::string()) + ": ";
}

}  // namespace

const SourceFile& LookupSource(Lookup which) { return kLookups[static_cast<int>(which)].Source; }
const SourceFile& AphorismSource() { return kAphorisms; }
const SourceFile& ProviderSource() {
  static const SourceFile source = MakeProviderSource();
  return source;
}

DirectoryBuilder::DirectoryBuilder()
    : aphorisms_(new TableWriter({{"skupina", 'N', 2}, {"text", 'T', 0}})),
      search_(new TableWriter(SearchFields())),
      detail_(new TableWriter(DetailFields())) {
  for (int i = 0; i < kLookupCount; ++i) lookups_[static_cast<size_t>(i)].Writer.reset(new TableWriter(LookupFields(static_cast<Lookup>(i))));
}

DirectoryBuilder::~DirectoryBuilder() = default;

uint32_t DirectoryBuilder::ProviderCount() const { return search_->Count(); }

void DirectoryBuilder::AddError(const Where& where, const std::string& message) {
  ++errorCount_;
  if (errors_.size() < kMaxListedErrors) {
    errors_.push_back(Place(where) + message);
  }
}

std::vector<std::string> DirectoryBuilder::Warnings() const {
  std::vector<std::string> lines;
  for (const Warning& w : warnings_) lines.push_back(Place(w.Place) + "varování: " + w.Message);
  return lines;
}

void DirectoryBuilder::AddWarning(const Where& where, const std::string& kind, const std::string& message) {
  ++warningCount_;
  if (warnings_.size() < kMaxListedErrors) {
    warnings_.push_back({where, kind, message});
  }
  for (auto& total : warningTotals_) {
    if (total.first == kind) {
      ++total.second;
      return;
    }
  }
  warningTotals_.push_back({kind, 1});
}

bool DirectoryBuilder::Text(const std::string& utf8, const Where& where, const char* column,
                            bool multiline, std::string* out) {
  size_t bad = 0;
  if (!Utf8ToCp1250(utf8, out, &bad)) {
    AddError(where, std::string("sloupec ") + Quote(column) + ": znak, který kódování Windows-1250 nezná: " +
                        CodePoint(utf8, bad));
    return false;
  }
  std::string text;
  text.reserve(out->size());
  for (size_t i = 0; i < out->size(); ++i) {
    const unsigned char c = static_cast<unsigned char>((*out)[i]);
    if (c == '\r' || c == '\n') {
      if (!multiline) {
        AddError(where, std::string("sloupec ") + Quote(column) + ": jednořádkový údaj obsahuje konec řádku");
        return false;
      }
      if (c == '\r' && i + 1 < out->size() && (*out)[i + 1] == '\n') ++i;
      text += "\r\n";
    } else if (c < 0x20 && c != '\t') {
      AddError(where, std::string("sloupec ") + Quote(column) + ": řídicí znak " + std::to_string(c));
      return false;
    } else {
      text.push_back(static_cast<char>(c));
    }
  }
  out->swap(text);
  return true;
}

bool DirectoryBuilder::Codes(const std::string& list, Lookup which, bool wide, const Where& where,
                             const char* column, std::string* out) {
  out->clear();
  const LookupState& lookup = lookups_[static_cast<size_t>(which)];
  const LookupInfo& info = kLookups[static_cast<int>(which)];
  bool ok = true;
  if (!Trim(list).empty()) {
    size_t start = 0;
    for (;;) {
      const size_t bar = list.find('|', start);
      const std::string item = Trim(list.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
      const auto it = lookup.Codes.find(item);
      if (item.empty()) {
        AddError(where, std::string("sloupec ") + Quote(column) + ": prázdná položka seznamu");
        ok = false;
      } else if (it == lookup.Codes.end()) {
        AddError(where, std::string("sloupec ") + Quote(column) + ": " +
                            (which == Lookup::Jazyky ? "neznámý jazyk " : "neznámý kód ") + Quote(item) +
                            " (není v " + info.Source.File + ")");
        ok = false;
      } else {
        fdbcoding::AppendListCode(out, static_cast<uint32_t>(it->second), wide);
      }
      if (bar == std::string::npos) break;
      start = bar + 1;
    }
  }
  fdbcoding::AppendListEnd(out, wide);
  return ok;
}

void DirectoryBuilder::AddLookupEntry(Lookup which, const std::vector<std::string>& values,
                                      const Where& where) {
  LookupState& lookup = lookups_[static_cast<size_t>(which)];
  const LookupInfo& info = kLookups[static_cast<int>(which)];
  const int position = lookup.Count++;
  if (position == info.Capacity) {
    AddError(where, std::string("příliš mnoho ") + info.Plural + ": kód pojme nejvýše " +
                        std::to_string(info.Capacity) + " položek");
  }
  if (which == Lookup::Obory && position == 255) {
    AddError(where, "obor na 256. místě by dostal kód 255, který ukončuje seznamy oborů; "
                    "vložte před něj jiný obor nebo ho přesuňte");
  }
  if (position >= info.Capacity) return;
  const std::vector<const char*>& columns = info.Source.Columns;
  std::vector<FieldValue> record;
  bool ok = true;
  for (size_t i = 0; i < columns.size(); ++i) {
    const std::string& value = values[i];
    if (std::string(columns[i]) == "aforismus") {
      int64_t group = 0;
      if (!ParseInt(Trim(value), 0, 65535, &group)) {
        AddError(where, "sloupec „aforismus“: skupina aforismů musí být číslo 0 až 65535, ne " + Quote(value));
        ok = false;
      }
      record.push_back(FieldValue::Number(group));
      continue;
    }
    std::string text;
    if (!Text(value, where, columns[i], false, &text)) ok = false;
    if (Trim(value).empty()) {
      AddError(where, std::string("sloupec ") + Quote(columns[i]) + ": údaj chybí");
      ok = false;
    }
    record.push_back(FieldValue::Text(text));
  }
  // Providers refer to entries by code; languages by name.
  const std::string key = Trim(values[0]);
  const auto [it, added] = lookup.Codes.emplace(key, position);
  if (!added) {
    AddError(where, (which == Lookup::Jazyky ? "jazyk " : "kód ") + Quote(key) + " je v souboru dvakrát");
    ok = false;
  }
  std::string error;
  if (ok && !lookup.Writer->Add(record, &error)) AddError(where, error);
}

void DirectoryBuilder::AddAphorism(const std::string& group, const std::string& text, const Where& where) {
  int64_t g = 0;
  bool ok = true;
  if (!ParseInt(Trim(group), 0, 65535, &g)) {
    AddError(where, "sloupec „skupina“: skupina musí být číslo 0 až 65535, ne " + Quote(group));
    ok = false;
  }
  std::string converted;
  if (!Text(text, where, "text", true, &converted)) ok = false;
  std::string error;
  if (ok && !aphorisms_->Add({FieldValue::Number(g), FieldValue::Text(converted)}, &error)) {
    AddError(where, error);
  }
}

void DirectoryBuilder::AddProvider(const ProviderRow& row, const Where& where) {
  if (providerFile_.empty()) providerFile_ = where.File;
  bool ok = true;
  int64_t id = 0, level = 0;
  if (!ParseInt(Trim(row[kId]), 0, 2147483647, &id)) {
    AddError(where, "sloupec „id“: identifikátor musí být celé číslo 0 až 2147483647, ne " + Quote(row[kId]));
    ok = false;
  }
  if (!ParseInt(Trim(row[kUroven]), 0, 9, &level)) {
    AddError(where, "sloupec „uroven“: úroveň musí být číslo 0 až 9, ne " + Quote(row[kUroven]));
    ok = false;
  }
  std::array<std::string, kProviderColumns> text;
  for (int c = kJmeno; c < kProviderColumns; ++c) {
    if (c == kOkres || c == kTypZarizeni || (c >= kJazyky && c <= kRubriky)) continue;
    if (!Text(row[c], where, kProviderColumnNames[c], IsMultiline(c), &text[c])) {
      ok = false;
      continue;
    }
    if (IsWeekly(c)) {
      size_t lines = 1;
      for (size_t at = text[c].find("\r\n"); at != std::string::npos; at = text[c].find("\r\n", at + 2)) ++lines;
      if (lines > 7) {
        AddError(where, std::string("sloupec ") + Quote(kProviderColumnNames[c]) + ": " + std::to_string(lines) +
                            " řádků, týden má 7 dní (jeden řádek na den)");
        ok = false;
      }
    }
  }
  // Single codes: the district and the facility type.
  int32_t single[2] = {0, 0};
  const std::pair<int, Lookup> singles[2] = {{kOkres, Lookup::Okresy}, {kTypZarizeni, Lookup::TypZarizeni}};
  for (int i = 0; i < 2; ++i) {
    const auto [column, which] = singles[i];
    const LookupState& lookup = lookups_[static_cast<size_t>(which)];
    const auto it = lookup.Codes.find(Trim(row[column]));
    if (it == lookup.Codes.end()) {
      AddError(where, std::string("sloupec ") + Quote(kProviderColumnNames[column]) + ": neznámý kód " +
                          Quote(row[column]) + " (není v " + LookupSource(which).File + ")");
      ok = false;
    } else {
      single[i] = it->second;
    }
  }
  std::string jazyky, pojistovny, obory, rubriky;
  ok &= Codes(row[kJazyky], Lookup::Jazyky, false, where, "jazyky", &jazyky);
  ok &= Codes(row[kPojistovny], Lookup::Pojistovny, false, where, "pojistovny", &pojistovny);
  ok &= Codes(row[kObory], Lookup::Obory, true, where, "obory", &obory);
  ok &= Codes(row[kRubriky], Lookup::Rubriky, false, where, "rubriky", &rubriky);
  if (!ok) return;

  std::vector<FieldValue> search = {
      FieldValue::Number(id),          FieldValue::Number(level),       FieldValue::Text(text[kJmeno]),
      FieldValue::Text(text[kPracoviste]), FieldValue::Text(text[kUlice]), FieldValue::Text(text[kObec]),
      FieldValue::Number(single[0]),   FieldValue::Text(text[kPsc]),    FieldValue::Number(single[1]),
      FieldValue::Raw(jazyky),         FieldValue::Raw(pojistovny),     FieldValue::Raw(obory),
      FieldValue::Raw(rubriky)};
  std::vector<FieldValue> detail = {FieldValue::Number(id)};
  for (const int c : kDetailColumns) detail.push_back(FieldValue::Text(text[c]));
  // Name the column that is too long, not the one it pushed out of reach.
  std::vector<std::pair<const char*, size_t>> searchTexts, detailTexts;
  for (const int c : {kJmeno, kPracoviste, kUlice, kObec, kPsc}) {
    searchTexts.push_back({kProviderColumnNames[c], text[c].size() + 1});
  }
  for (const auto& [name, list] : {std::pair<const char*, const std::string*>{"jazyky", &jazyky},
                                   {"pojistovny", &pojistovny}, {"obory", &obory}, {"rubriky", &rubriky}}) {
    searchTexts.push_back({name, list->size() + 1});
  }
  for (const int c : kDetailColumns) detailTexts.push_back({kProviderColumnNames[c], text[c].size() + 1});
  size_t bytes = 0;
  const char* culprit = Overlong(searchTexts, 25, &bytes);
  if (!culprit) culprit = Overlong(detailTexts, 4 + 2 * std::size(kDetailColumns), &bytes);
  if (culprit) {
    AddError(where, std::string("sloupec ") + Quote(culprit) + " je příliš dlouhý (" + std::to_string(bytes - 1) +
                        " bajtů): texty jednoho poskytovatele se musí vejít do 65 535 bajtů");
    return;
  }
  std::string error;
  if (!search_->Add(search, &error)) {
    AddError(where, "vyhledávací záznam: " + error);
    return;
  }
  if (!detail_->Add(detail, &error)) {
    // Any error stops the build, so the search record added above is never written.
    AddError(where, "podrobný záznam: " + error);
    return;
  }
  ids_.push_back({static_cast<int32_t>(id), static_cast<uint32_t>(lines_.size())});
  lines_.push_back(static_cast<uint32_t>(where.Line));
}

bool DirectoryBuilder::WriteAll(const std::string& dir, std::string* error_out) {
  std::string& error = *error_out;
  std::vector<uint32_t> byId(ids_.size());
  for (size_t i = 0; i < ids_.size(); ++i) byId[i] = ids_[i].second;
  std::vector<IndexSpec> detailIndex(1);
  detailIndex[0].Name = "id";
  detailIndex[0].KeyField = 0;
  detailIndex[0].Order = std::move(byId);
  const bool ok =
      search_->Write(dir, kTableNames[kTablePseek], {}, &error) &&
      detail_->Write(dir, kTableNames[kTableMoskyti], std::move(detailIndex), &error) &&
      lookups_[0].Writer->Write(dir, kTableNames[kTableOkresy], {}, &error) &&
      lookups_[1].Writer->Write(dir, kTableNames[kTableObory], {}, &error) &&
      lookups_[2].Writer->Write(dir, kTableNames[kTableRubriky], {}, &error) &&
      lookups_[3].Writer->Write(dir, kTableNames[kTableJazyky], {}, &error) &&
      lookups_[4].Writer->Write(dir, kTableNames[kTablePojistovny], {}, &error) &&
      lookups_[5].Writer->Write(dir, kTableNames[kTableTypZarizeni], {}, &error) &&
      aphorisms_->Write(dir, kTableNames[kTableAforismy], {}, &error);
  return ok;
}

bool DirectoryBuilder::Finish(const std::string& outDir, const ReplaceHook& hook) {
  // Identifiers: unique, and the detail table's order ascends by them.
  std::stable_sort(ids_.begin(), ids_.end());
  for (size_t i = 1; i < ids_.size(); ++i) {
    if (ids_[i].first == ids_[i - 1].first) {
      AddError({providerFile_, static_cast<int>(lines_[ids_[i].second])},
               "duplicitní identifikátor " + std::to_string(ids_[i].first) + " (poprvé na řádku " +
                   std::to_string(lines_[ids_[i - 1].second]) + ")");
    }
  }
  if (errorCount_ > 0) return false;
  const ReplaceResult result = ReplaceDirectory(
      outDir, [this](const std::string& dir, std::string* error) { return WriteAll(dir, error); }, hook);
  targetUntouched_ = result.Ok || result.TargetUntouched;
  if (!result.Ok) AddError({outDir, 0}, result.Error);
  if (!result.Warning.empty()) AddWarning({outDir, 0}, "nahrazení adresáře", result.Warning);
  return result.Ok;
}

}  // namespace karo
