// karo-register-gen: writes a register-shaped CSV for measuring the import.
#include <cstdio>
#include <cstring>
#include <string>

#include "Directory.h"
#include "RegisterGen.h"
#include "Values.h"

int main(int argc, char** argv) {
  karo::test::RegisterGenOptions options;
  options.ReferenceDir = KARO_SAMPLE_DIR;
  std::string files[2];
  int given = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    int64_t v = 0;
    if ((arg == "--rows" || arg == "--seed") && i + 1 < argc && karo::ParseInt(argv[i + 1], 0, INT64_C(1) << 40, &v)) {
      (arg == "--rows" ? options.Rows : options.Seed) = static_cast<uint64_t>(v);
      ++i;
    } else if (arg == "--reference" && i + 1 < argc) {
      options.ReferenceDir = argv[++i];
    } else if (arg.rfind("--", 0) != 0 && given < 2) {
      files[given++] = arg;
    } else {
      given = -1;
      break;
    }
  }
  if (given != 2) {
    std::fputs("Použití: karo-register-gen [--rows N] [--seed S] [--reference SLOŽKA] POČTY.csv VÝSTUP.csv\n"
               "  vytvoří soubor ve tvaru registru poskytovatelů: N řádků (výchozí 40 000) rozdělených\n"
               "  podle skutečných počtů míst za okres a obor péče v POČTY.csv\n",
               stderr);
    return 2;
  }
  options.Counts = files[0];
  options.Out = files[1];
  std::string error;
  if (!karo::test::GenerateRegister(options, &error)) {
    std::fprintf(stderr, "karo-register-gen: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %llu řádků.\n", options.Out.c_str(), static_cast<unsigned long long>(options.Rows));
  return 0;
}
