// karo-build: makes a directory's nine tables from its source CSV or from the
// national register, generates a synthetic sample directory, and shows what a
// table holds. Every way of writing replaces the target folder as a whole.
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
#include "Register.h"
#include "Replace.h"
#include "Sample.h"
#include "Search.h"
#include "Source.h"
#include "Tables.h"
#include "Values.h"

#ifndef KARO_SAMPLE_DIR
#define KARO_SAMPLE_DIR "sample"
#endif

namespace {

using namespace karo;

const char kUsage[] =
    "Použití:\n"
    "  karo-build ZDROJ CÍL\n"
    "      sestaví tabulky adresáře ze zdrojových souborů CSV ve složce ZDROJ do složky CÍL\n"
    "  karo-build --from-register SOUBOR.csv [--reference SLOŽKA] CÍL\n"
    "      sestaví adresář z otevřených dat Národního registru poskytovatelů zdravotních služeb\n"
    "      (--reference: složka se seznamem okresů, jmen a aforismů, výchozí je sample/)\n"
    "  karo-build --sample N [--seed S] [--reference SLOŽKA] [--emit-source SLOŽKA] CÍL\n"
    "      vytvoří ukázkový adresář N poskytovatelů (stejné S dává stejné tabulky);\n"
    "      --emit-source zapíše i jeho zdrojové soubory CSV\n"
    "  karo-build --dump SLOŽKA/TABULKA\n"
    "      vypíše popis polí a záznamy tabulky v UTF-8\n"
    "  karo-build --summary SLOŽKA\n"
    "      vypíše tabulky adresáře a počty jejich záznamů\n"
    "Cílová složka se nahradí celá, nebo vůbec ne; složka s jinými soubory než tabulkami\n"
    "adresáře se odmítne.\n";

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "karo-build: %s\n", problem);
  std::fputs(kUsage, stderr);
  return 2;
}

bool ParseCount(const char* s, uint64_t* out) {
  int64_t v = 0;
  if (!ParseInt(s, 0, INT64_C(999999999999), &v)) return false;
  *out = static_cast<uint64_t>(v);
  return true;
}

// Refuses a target that may not be replaced before any long work begins.
bool TargetRefused(const std::string& out) {
  const std::string refusal = CheckTarget(out);
  if (refusal.empty()) return false;
  std::fprintf(stderr, "karo-build: %s: cíl nelze nahradit: %s; nic nebylo zapsáno.\n", out.c_str(), refusal.c_str());
  return true;
}

int Report(DirectoryBuilder& builder, const std::string& out) {
  const bool ok = builder.ErrorCount() == 0 && builder.Finish(out);
  // Warnings in the order of their lines ("file:line: varování: ...").
  std::vector<std::string> warnings = builder.Warnings();
  auto line = [](const std::string& w) {
    const size_t end = w.find(": varování: ");
    const size_t colon = end == std::string::npos ? end : w.rfind(':', end - 1);
    return colon == std::string::npos ? 0L : std::atol(w.c_str() + colon + 1);
  };
  std::stable_sort(warnings.begin(), warnings.end(), [&](const std::string& a, const std::string& b) {
    return line(a) < line(b);
  });
  for (const std::string& w : warnings) std::fprintf(stderr, "%s\n", w.c_str());
  if (builder.WarningCount() > builder.Warnings().size()) {
    std::fprintf(stderr, "... a dalších %zu varování.\n", builder.WarningCount() - builder.Warnings().size());
  }
  if (builder.WarningCount() > 0) {
    std::string kinds;
    for (const auto& [kind, count] : builder.WarningTotals()) {
      kinds += (kinds.empty() ? "" : ", ") + kind + ": " + std::to_string(count);
    }
    std::fprintf(stderr, "karo-build: varování celkem %zu (%s).\n", builder.WarningCount(), kinds.c_str());
  }
  if (ok) {
    std::printf("Adresář %s: %u poskytovatelů.\n", out.c_str(), builder.ProviderCount());
    return 0;
  }
  for (const std::string& e : builder.Errors()) std::fprintf(stderr, "%s\n", e.c_str());
  if (builder.ErrorCount() > builder.Errors().size()) {
    std::fprintf(stderr, "... a dalších %zu chyb.\n", builder.ErrorCount() - builder.Errors().size());
  }
  if (builder.TargetUntouched()) {
    std::fprintf(stderr, "karo-build: %zu chyb, do %s nebylo nic zapsáno.\n", builder.ErrorCount(), out.c_str());
  } else {
    std::fprintf(stderr, "karo-build: %zu chyb; složka %s se změnila, viz výše.\n", builder.ErrorCount(), out.c_str());
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

int Dump(const std::string& path) {
  const std::filesystem::path p(path);
  TfdbTable table;
  table.Dir = p.has_parent_path() ? p.parent_path().string() + "/" : "";
  const std::string name = p.filename().string();
  if (table.Open(name.c_str()) != 0) {
    std::fprintf(stderr, "%s: tabulku nelze otevřít: %s\n", PrintableUtf8(path).c_str(), TableOpenFailure(table).c_str());
    return 1;
  }
  const bool search = name == "pseek";
  std::printf("Tabulka %s: %u záznamů, %d polí, %d indexů\n", name.c_str(), table.RecCount, table.FieldCount,
              table.IndexCount);
  for (int f = 0; f < table.FieldCount; ++f) {
    std::printf("  pole %d: %s, typ %c\n", f, table.FieldName(f), table.FieldType(f));
  }
  for (uint32_t r = 0; r < table.RecCount; ++r) {
    std::printf("záznam %u\n", r);
    for (int f = 0; f < table.FieldCount; ++f) {
      const char* value = table.GetStr(static_cast<int32_t>(r), f);
      std::string shown;
      if (search && f >= 9 && f <= 12) shown = CodeList(table, value, f == 11);
      else shown = "\"" + Printable(value, table.DataEnd()) + "\"";
      std::printf("  %d %s: %s\n", f, table.FieldName(f), shown.c_str());
    }
  }
  return 0;
}

int Summary(const std::string& dir) {
  int missing = 0;
  for (const char* name : kTableNames) {
    TfdbTable table;
    table.Dir = dir + "/";
    if (table.Open(name) != 0) {
      std::printf("  %-12s %s\n", name, TableOpenFailure(table).c_str());
      ++missing;
      continue;
    }
    std::printf("  %-12s %9u záznamů, %2d polí\n", name, table.RecCount, table.FieldCount);
  }
  return missing ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) return Usage(nullptr);
  const std::string first = argv[1];
  if (first == "--dump") return argc == 3 ? Dump(argv[2]) : Usage("--dump chce jednu tabulku");
  if (first == "--summary") return argc == 3 ? Summary(argv[2]) : Usage("--summary chce jednu složku");
  if (first == "--sample") {
    SampleOptions options;
    options.ReferenceDir = KARO_SAMPLE_DIR;
    std::string out;
    if (argc < 3 || !ParseCount(argv[2], &options.Count)) return Usage("--sample chce počet poskytovatelů");
    for (int i = 3; i < argc; ++i) {
      const std::string arg = argv[i];
      const bool hasValue = i + 1 < argc;
      if (arg == "--seed" && hasValue) {
        if (!ParseCount(argv[++i], &options.Seed)) return Usage("--seed chce celé nezáporné číslo");
      } else if (arg == "--reference" && hasValue) {
        options.ReferenceDir = argv[++i];
      } else if (arg == "--emit-source" && hasValue) {
        options.EmitSource = argv[++i];
      } else if (arg.rfind("--", 0) == 0 || !out.empty()) {
        return Usage(("neznámý argument „" + karo::PrintableUtf8(arg) + "“").c_str());
      } else {
        out = arg;
      }
    }
    if (out.empty()) return Usage("chybí cílová složka");
    if (TargetRefused(out)) return 1;
    DirectoryBuilder builder;
    GenerateSample(options, &builder);
    return Report(builder, out);
  }
  if (first == "--from-register") {
    RegisterOptions options;
    options.ReferenceDir = KARO_SAMPLE_DIR;
    std::string out;
    for (int i = 2; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--reference" && i + 1 < argc) {
        options.ReferenceDir = argv[++i];
      } else if (arg.rfind("--", 0) == 0) {
        return Usage(("neznámý argument „" + karo::PrintableUtf8(arg) + "“").c_str());
      } else if (options.File.empty()) {
        options.File = arg;
      } else if (out.empty()) {
        out = arg;
      } else {
        return Usage(("nadbytečný argument „" + karo::PrintableUtf8(arg) + "“").c_str());
      }
    }
    if (out.empty()) return Usage("--from-register chce soubor registru a cílovou složku");
    if (TargetRefused(out)) return 1;
    DirectoryBuilder builder;
    ImportRegister(options, &builder);
    return Report(builder, out);
  }
  if (argc != 3 || first.rfind("--", 0) == 0) return Usage(nullptr);
  if (TargetRefused(argv[2])) return 1;
  DirectoryBuilder builder;
  ReadSourceDir(argv[1], &builder);
  return Report(builder, argv[2]);
}
