// Fuzz target for karo-search's argument handling and run: the input is its
// argument list, the arguments separated by zero bytes. It runs in a scratch
// folder holding a small sample directory in DATA/ (the default), a damaged
// one in bad/ (a search table without the sorted fields, a broken lookup
// table) and a pipe nobody reads; an argument with a '/' is not tried, so
// that the run reads and writes nothing outside that folder.
//
// What must hold: the exit code is 0, 1 or 2; an error is one message (and at
// most a hint) on the error stream, UTF-8 with every foreign byte and control
// character escaped, and nothing on the output; no temporary file is left.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Cp1250.h"
#include "Directory.h"
#include "FuzzSupport.h"
#include "Sample.h"
#include "SearchTool.h"
#include "TableWriter.h"

namespace {

using karo::fuzz::Expect;

const char* const kKept[] = {".", "..", "DATA", "bad", "fifo"};

void WriteBad(const std::string& dir) {
  mkdir(dir.c_str(), 0700);
  // The search table's layout with other names where the grid's sort fields are.
  karo::TableWriter pseek({{"id", 'N', 4}, {"uroven", 'N', 1}, {"prijmeni", 'T', 0}, {"prac", 'T', 0},
                           {"ul", 'T', 0}, {"obec", 'T', 0}, {"okres", 'N', 1}, {"psc", 'T', 0},
                           {"typzarizeni", 'N', 1}, {"jazyky", 'T', 0}, {"pojistovny", 'T', 0},
                           {"obory", 'T', 0}, {"rubriky", 'T', 0}});
  std::string error;
  for (int i = 0; i < 3; ++i) {
    using V = karo::FieldValue;
    pseek.Add({V::Number(i), V::Number(i + 1), V::Text("Nov\xE1k"), V::Text("Ordinace"), V::Text("Husova"),
               V::Text("Brno"), V::Number(0), V::Text("602 00"), V::Number(0), V::Raw("\xFF"), V::Raw("\xFF"),
               V::Raw(std::string("\xFF\0", 2)), V::Raw("\xFF")},
              &error);
  }
  pseek.Write(dir, "pseek", {}, &error);
  karo::fuzz::PutFile(dir + "okresy.f", reinterpret_cast<const uint8_t*>("broken"), 6);
}

// The scratch folder, made once; the process works in it.
const std::string& Scene() {
  static const std::string dir = [] {
    const std::string d = karo::fuzz::FuzzDir();
    karo::DirectoryBuilder builder;
    karo::SampleOptions options;
    options.Count = 120;
    options.Seed = 3;
    options.ReferenceDir = KARO_SAMPLE_DIR;
    karo::GenerateSample(options, &builder);
    Expect(builder.ErrorCount() == 0 && builder.Finish(d + "DATA"), "the sample directory builds");
    WriteBad(d + "bad/");
    mkfifo((d + "fifo").c_str(), 0600);
    Expect(chdir(d.c_str()) == 0, "the scratch folder can be entered");
    return d;
  }();
  return dir;
}

// Removes what a run wrote with -o; a temporary file left behind (not a name
// the arguments gave) is a fault.
void Tidy(const std::string& dir, const std::vector<std::string>& args) {
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  std::vector<std::string> names;
  while (const dirent* e = readdir(d)) {
    bool kept = false;
    for (const char* k : kKept) kept = kept || std::strcmp(e->d_name, k) == 0;
    if (!kept) names.push_back(e->d_name);
  }
  closedir(d);
  for (const std::string& name : names) {
    const bool named = std::find(args.begin(), args.end(), name) != args.end();
    Expect(named || name.rfind(".karo-", 0) != 0, "no temporary file is left behind");
    unlink((dir + name).c_str());
  }
}

// Runs with the stream caught in memory.
struct Caught {
  std::string Out, Err;
  int Code = -1;
};

Caught Run(const std::vector<std::string>& args) {
  std::vector<const char*> argv = {"karo-search"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  char *out = nullptr, *err = nullptr;
  size_t outSize = 0, errSize = 0;
  std::FILE* outStream = open_memstream(&out, &outSize);
  std::FILE* errStream = open_memstream(&err, &errSize);
  Caught c;
  c.Code = karo::KaroSearch(static_cast<int>(argv.size()), argv.data(), outStream, errStream, Scene());
  std::fclose(outStream);
  std::fclose(errStream);
  c.Out.assign(out, outSize);
  c.Err.assign(err, errSize);
  std::free(out);
  std::free(err);
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 2048) return 0;
  std::vector<std::string> args;
  const char* p = reinterpret_cast<const char*>(data);
  const char* end = p + size;
  while (p < end && args.size() < 40) {
    const char* zero = static_cast<const char*>(std::memchr(p, 0, static_cast<size_t>(end - p)));
    const char* stop = zero ? zero : end;
    args.emplace_back(p, stop);
    if (args.back().find('/') != std::string::npos) return 0;  // stays in the scratch folder
    p = stop + 1;
  }
  const std::string& dir = Scene();
  const Caught c = Run(args);
  Tidy(dir, args);

  Expect(c.Code >= 0 && c.Code <= 2, "the exit code is 0, 1 or 2");
  if (c.Code == 2) {
    Expect(c.Err.rfind("karo-search: ", 0) == 0, "an error begins with the program's name");
    Expect(c.Out.empty(), "an error writes no output");
    // One line, perhaps a hint; arguments echoed in it are escaped.
    size_t lines = 0;
    for (size_t at = 0; at < c.Err.size(); ++lines) {
      const size_t nl = c.Err.find('\n', at);
      Expect(nl != std::string::npos, "every message line ends");
      const std::string line = c.Err.substr(at, nl - at);
      size_t pos = 0;
      while (pos < line.size()) {
        const int32_t code = karo::DecodeUtf8(line, &pos);
        Expect(code >= 0x20 && code != 0x7F && (code < 0x80 || code >= 0xA0),
               "a message holds no raw foreign byte or control character");
      }
      at = nl + 1;
    }
    Expect(lines >= 1 && lines <= 2, "an error is one message and at most a hint");
  } else {
    Expect(c.Err.empty(), "a run that succeeds says nothing on the error stream");
  }
  return 0;
}
