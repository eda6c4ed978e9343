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
#include "Paths.h"
#include "QueryText.h"
#include "SafeFile.h"
#include "Search.h"
#include "Tables.h"

namespace karo {

namespace {

const char kUsage[] =
    "Použití: karo-search [volby]\n"
    "  --data SLOŽKA            složka s tabulkami (jinak DATA/ vedle programu)\n"
    "  --surname TEXT           příjmení začíná na TEXT\n"
    "  --workplace TEXT         pracoviště začíná na TEXT\n"
    "  --municipality TEXT      obec začíná na TEXT\n"
    "  --district X             okres (lze opakovat)\n"
    "  --specialty X            obor (lze opakovat)\n"
    "  --category X             rubrika (lze opakovat)\n"
    "  --insurer X              pojišťovna (lze opakovat)\n"
    "  --language X             jazyk (lze opakovat)\n"
    "  --facility-type X        typ zařízení (lze opakovat)\n"
    "                           X je název položky (velikost písmen a diakritika se\n"
    "                           nerozlišují) nebo #N, položka na pozici N (od 0)\n"
    "  --sort workplace|surname|municipality|street\n"
    "                           seřadí výsledek (také pracoviste|jmeno|obec|ulice)\n"
    "  --count                  vypíše jen počet nalezených záznamů\n"
    "  --describe               vypíše slovní popis dotazu\n"
    "  --utf8                   export v UTF-8 místo Windows-1250\n"
    "  -o SOUBOR                zapíše výstup do souboru místo na standardní výstup\n"
    "Bez --count a --describe vypíše export výsledku (text oddělený tabulátory).\n"
    "Návratový kód: 0 něco nalezeno, 1 nic nenalezeno, 2 chyba.\n";

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
  static const char* const kTextOptions[3] = {"--surname", "--workplace", "--municipality"};
  Options o;
  bool seen[3] = {false, false, false};  // --data, -o, --sort given
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i], value;
    bool hasValue = false;
    const size_t eq = arg.find('=');
    if (arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
      hasValue = true;
    }
    auto take = [&]() -> std::string {
      if (hasValue) return value;
      if (i + 1 >= argc) Fail("volbě " + arg + " chybí hodnota");
      return argv[++i];
    };
    auto once = [&](int which) {
      if (seen[which]) Fail("volba " + arg + " je uvedena dvakrát");
      seen[which] = true;
    };
    auto flag = [&](bool* to) {
      if (hasValue) Fail("volba " + arg + " nemá hodnotu");
      *to = true;
    };
    if (arg == "--help" || arg == "-h") {
      flag(&o.Help);
    } else if (arg == "--count") {
      flag(&o.Count);
    } else if (arg == "--describe") {
      flag(&o.Describe);
    } else if (arg == "--utf8") {
      flag(&o.Utf8);
    } else if (arg == "--data") {
      once(0);
      o.Data = take();
    } else if (arg == "-o") {
      once(1);
      o.Output = take();
    } else if (arg == "--sort") {
      once(2);
      o.Sort = take();
    } else {
      bool known = false;
      for (int t = 0; t < 3 && !known; ++t) {
        if (arg != kTextOptions[t]) continue;
        if (o.HasText[t]) Fail("volba " + arg + " je uvedena dvakrát");
        o.Texts[t] = take();
        o.HasText[t] = known = true;
      }
      for (int l = 0; l < kListCount && !known; ++l) {
        if (arg != kLists[l].Option) continue;
        o.Lists[l].push_back(take());
        known = true;
      }
      if (!known) Fail("neznámá volba " + Quote(argv[i]));
    }
  }
  if (seen[0] && o.Data.empty()) Fail("volba --data potřebuje název složky");
  if (seen[1] && o.Output.empty()) Fail("volba -o potřebuje název souboru");
  if (seen[2] && o.Sort.empty()) Fail("volba --sort potřebuje hodnotu: workplace, surname, municipality nebo street");
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
    std::fputs(kUsage, out);
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

int KaroSearch(int argc, const char* const* argv, std::FILE* out, std::FILE* err, const std::string& programDir) {
  try {
    return Run(argc, argv, out, programDir);
  } catch (const Failure& f) {
    std::fprintf(err, "karo-search: %s.\n", f.Message.c_str());
    if (f.Message.rfind("neznámá volba", 0) == 0 || f.Message.rfind("volb", 0) == 0) {
      std::fputs("Nápověda: karo-search --help\n", err);
    }
    return 2;
  } catch (const std::bad_alloc&) {
    std::fputs("karo-search: nedostatek paměti.\n", err);
    return 2;
  }
}

}  // namespace karo
