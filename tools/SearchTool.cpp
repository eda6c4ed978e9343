// karo-search's options, search and output.
#include "SearchTool.h"

#include <cstring>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "Cp1250.h"
#include "DirectoryCheck.h"
#include "Export.h"
#include "Fdb.h"
#include "Message.h"
#include "Options.h"
#include "Paths.h"
#include "QueryText.h"
#include "SafeFile.h"
#include "Search.h"
#include "Tables.h"

namespace karo {

namespace {

// One pick list: option, lookup table, the field with the item texts.
struct ListOption {
  const char* Option;
  DirectoryTable Table;
  int32_t Field;
  const char* Plural;  // genitive plural, for messages
  std::vector<int> SearchFilter::*Positions;
  std::vector<std::string> QueryTexts::*Texts;
};

const ListOption kLists[] = {
    {"--district", kTableOkresy, 1, "okresů", &SearchFilter::Districts, &QueryTexts::Districts},
    {"--specialty", kTableObory, 1, "oborů", &SearchFilter::Specialties, &QueryTexts::Specialties},
    {"--category", kTableRubriky, 1, "rubrik", &SearchFilter::Categories, &QueryTexts::Categories},
    {"--insurer", kTablePojistovny, 1, "pojišťoven", &SearchFilter::Insurers, &QueryTexts::Insurers},
    {"--language", kTableJazyky, 0, "jazyků", &SearchFilter::Languages, &QueryTexts::Languages},
    {"--facility-type", kTableTypZarizeni, 1, "typů zařízení", &SearchFilter::FacilityTypes,
     &QueryTexts::FacilityTypes},
};
constexpr int kListCount = sizeof kLists / sizeof kLists[0];

// --sort values and the search table's field names the grid sorts by.
const struct {
  const char* Value;
  const char* Czech;
  const char* Field;
} kSorts[] = {{"workplace", "pracoviste", "pracoviste"},
              {"surname", "jmeno", "jmeno"},
              {"municipality", "obec", "obec"},
              {"street", "ulice", "ulice"}};

struct Failure {
  std::string Message;
};



[[noreturn]] void Fail(const std::string& message) { throw Failure{message}; }

struct Options {
  std::string Data, Output, Sort;
  std::string Texts[3];  // surname, workplace, municipality (UTF-8)
  bool HasText[3] = {false, false, false};
  std::vector<std::string> Lists[kListCount];
  bool Count = false, Describe = false, Utf8 = false, Help = false;
};

Options Parse(int argc, const char* const* argv) {
  const ParsedArgs args = ParseArgs(SearchOptions(), argc, argv);
  Options o;
  o.Help = args.Has("--help");
  o.Count = args.Has("--count");
  o.Describe = args.Has("--describe");
  o.Utf8 = args.Has("--utf8");
  o.Data = args.Value("--data");
  o.Output = args.Value("-o");
  o.Sort = args.Value("--sort");
  static const char* const kTextOptions[3] = {"--surname", "--workplace", "--municipality"};
  for (int t = 0; t < 3; ++t) {
    o.HasText[t] = args.Has(kTextOptions[t]);
    o.Texts[t] = args.Value(kTextOptions[t]);
  }
  for (int l = 0; l < kListCount; ++l) o.Lists[l] = args.Values(kLists[l].Option);
  auto refuseEmpty = [&](const char* name, const std::string& what) {
    if (args.Has(name) && args.Value(name).empty()) throw UsageError{std::string("volba ") + name + " potřebuje " + what};
  };
  refuseEmpty("--data", "název složky");
  refuseEmpty("-o", "název souboru");
  refuseEmpty("--sort", "hodnotu: workplace, surname, municipality nebo street");
  return o;
}

void OpenTable(TfdbTable& table, const std::string& dir, DirectoryTable which) {
  const char* name = kTableNames[which];
  table.Dir = dir;
  if (table.Open(name) != 0) {
    const std::string why = TableOpenFailure(table);
    if (why == "chybí") Fail("tabulka " + Quote(name) + " ve složce " + PrintableUtf8(dir) + " chybí");
    Fail("tabulku " + Quote(name) + " ve složce " + PrintableUtf8(dir) + " nelze otevřít: " + why);
  }
}

std::string Fold(const std::string& cp1250) {
  std::string folded = cp1250;
  for (char& c : folded) c = static_cast<char>(kSearchFold[static_cast<unsigned char>(c)]);
  return folded;
}

// Positions selected by one value of a list option.
std::vector<int> Resolve(const ListOption& list, const std::string& value,
                         const std::vector<std::string>& items) {
  std::vector<int> found;
  if (value.size() > 1 && value[0] == '#' && value.size() <= 10 &&
      value.find_first_not_of("0123456789", 1) == std::string::npos) {
    const long n = std::stol(value.substr(1));
    if (n >= 0 && static_cast<size_t>(n) < items.size()) return {static_cast<int>(n)};
    Fail(std::string(list.Option) + " " + Quote(value) + ": pozice " + value.substr(1) + " v seznamu " +
         list.Plural + " není" +
         (items.empty() ? std::string(" (seznam je prázdný)")
                        : " (položky #0 až #" + std::to_string(items.size() - 1) + ")"));
  }
  std::string cp;
  const bool whole = Utf8ToCp1250(value, &cp);
  const std::string key = Fold(cp);
  for (size_t k = 0; whole && k < items.size(); ++k) {
    if (Fold(items[k]) == key) found.push_back(static_cast<int>(k));
  }
  if (!found.empty()) return found;
  // Nothing: name the items that share the longest beginning with the value.
  size_t best = 0;
  std::vector<size_t> closest;
  for (size_t k = 0; k < items.size(); ++k) {
    const std::string item = Fold(items[k]);
    size_t common = 0;
    while (common < item.size() && common < key.size() && item[common] == key[common]) ++common;
    if (common > best) best = common, closest.clear();
    if (common == best && best > 0 && closest.size() < 3) closest.push_back(k);
  }
  std::string message =
      std::string(list.Option) + " " + Quote(value) + ": v seznamu " + list.Plural + " taková položka není";
  for (size_t j = 0; j < closest.size(); ++j) {
    message += (j == 0 ? "; nejbližší: " : ", ") + Quote(Cp1250ToUtf8(items[closest[j]]));
  }
  Fail(message);
}

// Converts the Windows-1250 bytes it is given to UTF-8 on the way.
class Utf8Sink : public ByteSink {
 public:
  explicit Utf8Sink(ByteSink& next) : next_(next) {}
  bool Write(const char* bytes, size_t count) override {
    const std::string utf8 = Cp1250ToUtf8(std::string_view(bytes, count));
    return next_.Write(utf8.data(), utf8.size());
  }

 private:
  ByteSink& next_;
};

int Run(int argc, const char* const* argv, std::FILE* out, const std::string& programDir) {
  const Options o = Parse(argc, argv);
  if (o.Help) {
    std::fputs(HelpText(SearchOptions()).c_str(), out);
    return 0;
  }
  std::string dir = o.Data;
  if (dir.empty()) dir = FindPath(programDir, "DATA/");
  if (dir.back() != '/') dir += '/';

  TfdbTable search, detail;
  OpenTable(search, dir, kTablePseek);
  SearchFilter filter;
  QueryTexts query;
  bool impossible = false;  // a typed text the code page cannot hold matches nothing
  std::string* const filterTexts[3] = {&filter.Surname, &filter.Workplace, &filter.Municipality};
  std::string* const queryTexts[3] = {&query.Surname, &query.Workplace, &query.Municipality};
  for (int t = 0; t < 3; ++t) {
    if (!Utf8ToCp1250(o.Texts[t], filterTexts[t])) impossible = true;
    *queryTexts[t] = Utf8ToCp1250Lossy(o.Texts[t]);
  }
  for (int l = 0; l < kListCount; ++l) {
    if (o.Lists[l].empty()) continue;
    TfdbTable lookup;
    OpenTable(lookup, dir, kLists[l].Table);
    std::vector<std::string> items;
    for (uint32_t r = 0; r < lookup.RecCount; ++r) {
      items.push_back(lookup.GetStr(static_cast<int32_t>(r), kLists[l].Field));
    }
    std::set<int> positions;
    for (const std::string& value : o.Lists[l]) {
      for (const int p : Resolve(kLists[l], value, items)) positions.insert(p);
    }
    filter.*kLists[l].Positions = std::vector<int>(positions.begin(), positions.end());
    for (const int p : positions) (query.*kLists[l].Texts).push_back(items[static_cast<size_t>(p)]);
  }
  int32_t sortField = -1;
  if (!o.Sort.empty()) {
    const char* field = nullptr;
    for (const auto& s : kSorts) {
      if (o.Sort == s.Value || o.Sort == s.Czech) field = s.Field;
    }
    if (!field) Fail("--sort " + Quote(o.Sort) + ": řadit lze podle workplace, surname, municipality nebo street");
    sortField = search.FieldIndex(field);
    if (sortField < 0) {
      Fail("--sort " + Quote(o.Sort) + ": tabulka „pseek“ ve složce " + PrintableUtf8(dir) + " nemá pole „" +
           field + "“ (je poškozená)");
    }
  }
  const bool exporting = !o.Count && !o.Describe;
  if (exporting) OpenTable(detail, dir, kTableMoskyti);

  uint32_t found = 0;
  if (impossible) {
    ClearResult(search);
  } else {
    found = RunSearch(search, filter);
  }
  if (sortField >= 0) search.Sort(sortField);

  StdioSink stream(out);
  SafeFile file;
  const std::string shownOutput = PrintableUtf8(o.Output);
  // A pipe given by name is written once it has a reader, as standard output would be.
  if (!o.Output.empty() && !file.Open(o.Output, SafeFile::Waiting::Allowed)) {
    Fail("soubor " + shownOutput + " nelze otevřít" + (file.Failure().empty() ? "" : ": " + file.Failure()));
  }
  ByteSink& target = o.Output.empty() ? static_cast<ByteSink&>(stream) : file;
  Utf8Sink utf8(target);
  bool ok = true;
  if (o.Describe) {
    for (const std::string& line : QueryLines(query)) {
      const std::string text = Cp1250ToUtf8(line) + "\n";
      ok = ok && target.Write(text.data(), text.size());
    }
  }
  if (o.Count) {
    const std::string text = Cp1250ToUtf8(StatusText(found, search.RecCount)) + "\n";
    ok = ok && target.Write(text.data(), text.size());
  }
  if (exporting) ok = WriteExport(search, detail, o.Utf8 ? static_cast<ByteSink&>(utf8) : target);
  if (o.Output.empty()) {
    ok = std::fflush(out) == 0 && ok && !std::ferror(out);
    if (!ok) Fail("výstup nelze zapsat");
  } else if (!(ok && file.Commit())) {
    Fail("soubor " + shownOutput + " nelze zapsat; dřívější soubor tohoto jména zůstal beze změny");
  }
  return found > 0 ? 0 : 1;
}

}  // namespace

const OptionTable& SearchOptions() {
  static const OptionTable table = {
      "karo-search",
      {"[volby]"},
      {
          {"--data", OptionKind::Value, "SLOŽKA", "složka s tabulkami (jinak DATA/ vedle programu)"},
          {"--surname", OptionKind::Value, "TEXT", "příjmení začíná na TEXT"},
          {"--workplace", OptionKind::Value, "TEXT", "pracoviště začíná na TEXT"},
          {"--municipality", OptionKind::Value, "TEXT", "obec začíná na TEXT"},
          {"--district", OptionKind::List, "X", "okres"},
          {"--specialty", OptionKind::List, "X", "obor"},
          {"--category", OptionKind::List, "X", "rubrika"},
          {"--insurer", OptionKind::List, "X", "pojišťovna"},
          {"--language", OptionKind::List, "X", "jazyk"},
          {"--facility-type", OptionKind::List, "X", "typ zařízení"},
          {"--sort", OptionKind::Value, "workplace|surname|municipality|street",
           "seřadí výsledek (také pracoviste|jmeno|obec|ulice)"},
          {"--count", OptionKind::Flag, nullptr, "vypíše jen počet nalezených záznamů"},
          {"--describe", OptionKind::Flag, nullptr, "vypíše slovní popis dotazu"},
          {"--utf8", OptionKind::Flag, nullptr, "export v UTF-8 místo Windows-1250"},
          {"-o", OptionKind::Value, "SOUBOR", "zapíše výstup do souboru místo na standardní výstup"},
          {"--help", OptionKind::Flag, nullptr, "vypíše tuto nápovědu", "-h"},
      },
      "X je název položky seznamu (velikost písmen a diakritika se nerozlišují) nebo #N,\n"
      "položka na pozici N (od 0).\n"
      "Bez --count a --describe vypíše export výsledku (text oddělený tabulátory).\n"
      "Návratový kód: 0 něco nalezeno, 1 nic nenalezeno, 2 chyba.\n",
      0,
  };
  return table;
}

int KaroSearch(int argc, const char* const* argv, std::FILE* out, std::FILE* err, const std::string& programDir) {
  try {
    return Run(argc, argv, out, programDir);
  } catch (const UsageError& e) {
    std::fprintf(err, "karo-search: %s.\nNápověda: karo-search --help\n", e.Message.c_str());
    return 2;
  } catch (const Failure& f) {
    std::fprintf(err, "karo-search: %s.\n", f.Message.c_str());
    return 2;
  } catch (const std::bad_alloc&) {
    std::fputs("karo-search: nedostatek paměti.\n", err);
    return 2;
  }
}

}  // namespace karo
