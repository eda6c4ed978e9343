// karo-build as a function: a directory's nine tables from its source CSV or
// from the national register, a synthetic sample directory, and what a table
// holds. Every way of writing replaces the target folder as a whole.
#include "BuildTool.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Cp1250.h"
#include "DirectoryCheck.h"
#include "Directory.h"
#include "Fdb.h"
#include "Message.h"
#include "Options.h"
#include "Register.h"
#include "Replace.h"
#include "Sample.h"
#include "Search.h"
#include "Source.h"
#include "Tables.h"
#include "Values.h"

namespace karo {
namespace {

bool ParseCount(const char* s, uint64_t* out) {
  int64_t v = 0;
  if (!ParseInt(s, 0, INT64_C(999999999999), &v)) return false;
  *out = static_cast<uint64_t>(v);
  return true;
}

// Refuses a target that may not be replaced before any long work begins.
bool TargetRefused(const std::string& out, std::FILE* err) {
  const std::string refusal = CheckTarget(out);
  if (refusal.empty()) return false;
  std::fprintf(err, "karo-build: %s: cíl nelze nahradit: %s; nic nebylo zapsáno.\n", PrintableUtf8(out).c_str(),
               refusal.c_str());
  return true;
}

int Report(DirectoryBuilder& builder, const std::string& target, std::FILE* out, std::FILE* err) {
  const bool ok = builder.ErrorCount() == 0 && builder.Finish(target);
  const std::string shown = PrintableUtf8(target);
  // Warnings in the order of their lines (those of a whole file first).
  const std::vector<std::string> lines = builder.Warnings();
  std::vector<size_t> order(lines.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto& records = builder.WarningRecords();
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return records[a].Place.Line < records[b].Place.Line; });
  for (const size_t i : order) std::fprintf(err, "%s\n", lines[i].c_str());
  if (builder.WarningCount() > builder.Warnings().size()) {
    std::fprintf(err, "... a dalších %zu varování.\n", builder.WarningCount() - builder.Warnings().size());
  }
  if (builder.WarningCount() > 0) {
    std::string kinds;
    for (const auto& [kind, count] : builder.WarningTotals()) {
      kinds += (kinds.empty() ? "" : ", ") + kind + ": " + std::to_string(count);
    }
    std::fprintf(err, "karo-build: varování celkem %zu (%s).\n", builder.WarningCount(), kinds.c_str());
  }
  if (ok) {
    std::fprintf(out, "Adresář %s: %u poskytovatelů.\n", shown.c_str(), builder.ProviderCount());
    return 0;
  }
  for (const std::string& e : builder.Errors()) std::fprintf(err, "%s\n", e.c_str());
  if (builder.ErrorCount() > builder.Errors().size()) {
    std::fprintf(err, "... a dalších %zu chyb.\n", builder.ErrorCount() - builder.Errors().size());
  }
  if (builder.TargetUntouched()) {
    std::fprintf(err, "karo-build: %zu chyb, do %s nebylo nic zapsáno.\n", builder.ErrorCount(), shown.c_str());
  } else {
    std::fprintf(err, "karo-build: %zu chyb; složka %s se změnila, viz výše.\n", builder.ErrorCount(), shown.c_str());
  }
  return 1;
}

std::string Printable(const char* text, const unsigned char* end) {
  std::string bytes;
  for (const char* p = text; *p && reinterpret_cast<const unsigned char*>(p) < end; ++p) {
    if (*p == '\r') bytes += "\\r";
    else if (*p == '\n') bytes += "\\n";
    else if (*p == '\t') bytes += "\\t";
    else bytes.push_back(*p);
  }
  return Cp1250ToUtf8(bytes);
}

// A code list of the search table, as its codes.
std::string CodeList(const TfdbTable& table, const char* at, bool wide) {
  std::string s = "[";
  for (const int code : ListCodes(table, at, wide)) s += (s.size() > 1 ? ", " : "") + std::to_string(code);
  return s + "]";
}

int Dump(const std::string& path, std::FILE* out, std::FILE* err) {
  const std::filesystem::path p(path);
  TfdbTable table;
  table.Dir = p.has_parent_path() ? p.parent_path().string() + "/" : "";
  const std::string name = p.filename().string();
  if (table.Open(name.c_str()) != 0) {
    std::fprintf(err, "karo-build: %s: tabulku nelze otevřít: %s.\n", PrintableUtf8(path).c_str(),
                 TableOpenFailure(table).c_str());
    return 1;
  }
  const bool search = name == "pseek";
  std::fprintf(out, "Tabulka %s: %u záznamů, %d polí, %d indexů\n", PrintableUtf8(name).c_str(), table.RecCount, table.FieldCount,
              table.IndexCount);
  for (int f = 0; f < table.FieldCount; ++f) {
    std::fprintf(out, "  pole %d: %s, typ %c\n", f, table.FieldName(f), table.FieldType(f));
  }
  for (uint32_t r = 0; r < table.RecCount; ++r) {
    std::fprintf(out, "záznam %u\n", r);
    for (int f = 0; f < table.FieldCount; ++f) {
      const char* value = table.GetStr(static_cast<int32_t>(r), f);
      std::string shown;
      if (search && f >= 9 && f <= 12) shown = CodeList(table, value, f == 11);
      else shown = "\"" + Printable(value, table.DataEnd()) + "\"";
      std::fprintf(out, "  %d %s: %s\n", f, table.FieldName(f), shown.c_str());
    }
  }
  return 0;
}

int Summary(const std::string& dir, std::FILE* out) {
  int missing = 0;
  for (const char* name : kTableNames) {
    TfdbTable table;
    table.Dir = dir + "/";
    if (table.Open(name) != 0) {
      std::fprintf(out, "  %-12s %s\n", name, TableOpenFailure(table).c_str());
      ++missing;
      continue;
    }
    std::fprintf(out, "  %-12s %9u záznamů, %2d polí\n", name, table.RecCount, table.FieldCount);
  }
  return missing ? 1 : 0;
}

// Whole decimal numbers of --sample and --seed.
uint64_t Count(const ParsedArgs& args, const char* option, const char* what) {
  uint64_t n = 0;
  if (!ParseCount(args.Value(option).c_str(), &n)) throw UsageError{std::string(option) + " " + what};
  return n;
}

int Run(int argc, const char* const* argv, std::FILE* out, std::FILE* err, const std::string& reference) {
  const ParsedArgs args = ParseArgs(BuildOptions(), argc, argv);
  if (args.Has("--help")) {
    std::fputs(HelpText(BuildOptions()).c_str(), out);
    return 0;
  }
  const char* const kModes[] = {"--from-register", "--sample", "--dump", "--summary"};
  const char* mode = nullptr;
  for (const char* m : kModes) {
    if (!args.Has(m)) continue;
    if (mode) throw UsageError{std::string("volby ") + mode + " a " + m + " nelze použít spolu"};
    mode = m;
  }
  const std::string m = mode ? mode : "";  // "" builds from a source folder
  auto only = [&](const char* option, std::initializer_list<const char*> modes) {
    if (!args.Has(option)) return;
    for (const char* allowed : modes)
      if (m == allowed) return;
    throw UsageError{std::string("volba ") + option + " nepatří k " + (mode ? mode : "ZDROJ CÍL")};
  };
  only("--seed", {"--sample"});
  only("--emit-source", {"--sample"});
  only("--reference", {"--sample", "--from-register"});
  const std::vector<std::string>& operands = args.Operands;
  const size_t wanted = !mode ? 2 : (m == "--dump" || m == "--summary") ? 0 : 1;
  if (operands.size() > wanted) throw UsageError{"nadbytečný argument " + Quote(operands[wanted])};
  if (operands.size() < wanted) {
    throw UsageError{!mode && operands.empty() ? "chybí zdrojová a cílová složka" : "chybí cílová složka"};
  }
  if (m == "--dump") return Dump(args.Value("--dump"), out, err);
  if (m == "--summary") return Summary(args.Value("--summary"), out);
  const std::string target = operands.back();
  DirectoryBuilder builder;
  if (m == "--sample") {
    SampleOptions options;
    options.ReferenceDir = args.Has("--reference") ? args.Value("--reference") : reference;
    options.Count = Count(args, "--sample", "chce počet poskytovatelů");
    if (args.Has("--seed")) options.Seed = Count(args, "--seed", "chce celé nezáporné číslo");
    options.EmitSource = args.Value("--emit-source");
    if (TargetRefused(target, err)) return 1;
    GenerateSample(options, &builder);
  } else if (m == "--from-register") {
    RegisterOptions options;
    options.ReferenceDir = args.Has("--reference") ? args.Value("--reference") : reference;
    options.File = args.Value("--from-register");
    if (TargetRefused(target, err)) return 1;
    ImportRegister(options, &builder);
  } else {
    if (TargetRefused(target, err)) return 1;
    ReadSourceDir(operands[0], &builder);
  }
  return Report(builder, target, out, err);
}

}  // namespace

const OptionTable& BuildOptions() {
  static const OptionTable table = {
      "karo-build",
      {"ZDROJ CÍL", "--from-register SOUBOR.csv [--reference SLOŽKA] CÍL",
       "--sample N [--seed S] [--reference SLOŽKA] [--emit-source SLOŽKA] CÍL", "--dump SLOŽKA/TABULKA",
       "--summary SLOŽKA"},
      {
          {"--from-register", OptionKind::Value, "SOUBOR.csv",
           "sestaví adresář z otevřených dat Národního registru poskytovatelů\nzdravotních služeb"},
          {"--sample", OptionKind::Value, "N", "vytvoří ukázkový adresář N poskytovatelů"},
          {"--seed", OptionKind::Value, "S", "semínko ukázky: stejné S dává stejné tabulky (výchozí 1)"},
          {"--reference", OptionKind::Value, "SLOŽKA",
           "složka se seznamy okresů, jmen a aforismů pro --from-register\na --sample (výchozí sample/)"},
          {"--emit-source", OptionKind::Value, "SLOŽKA", "zapíše i zdrojové soubory CSV ukázky"},
          {"--dump", OptionKind::Value, "SLOŽKA/TABULKA", "vypíše popis polí a záznamy tabulky v UTF-8"},
          {"--summary", OptionKind::Value, "SLOŽKA", "vypíše tabulky adresáře a počty jejich záznamů"},
          {"--help", OptionKind::Flag, nullptr, "vypíše tuto nápovědu", "-h"},
      },
      "Bez voleb sestaví tabulky adresáře ze zdrojových souborů CSV ve složce ZDROJ do složky CÍL.\n"
      "Cílová složka se nahradí celá, nebo vůbec ne; složka s jinými soubory než tabulkami\n"
      "adresáře se odmítne.\n"
      "Návratový kód: 0 hotovo, 1 chyba dat, tabulky nebo zápisu, 2 chybné argumenty.\n",
      2,
  };
  return table;
}

int KaroBuild(int argc, const char* const* argv, std::FILE* out, std::FILE* err, const std::string& reference) {
  try {
    return Run(argc, argv, out, err, reference);
  } catch (const UsageError& e) {
    std::fprintf(err, "karo-build: %s.\nNápověda: karo-build --help\n", e.Message.c_str());
    return 2;
  } catch (const std::bad_alloc&) {
    std::fputs("karo-build: nedostatek paměti.\n", err);
    return 2;
  }
}

}  // namespace karo
