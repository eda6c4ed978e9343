// What the fuzz targets share: a private scratch folder and writing an input
// there as a file.
#ifndef KARO_FUZZ_FUZZSUPPORT_H
#define KARO_FUZZ_FUZZSUPPORT_H

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace karo::fuzz {

// One folder per process (with a trailing '/'), in memory where the machine
// has it; removed with what is in it when the process ends normally.
inline const std::string& FuzzDir() {
  struct Folder {
    Folder() {
      const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
      Path = std::string(base) + "/karo-fuzz-" + std::to_string(getpid());
      mkdir(Path.c_str(), 0700);
      Path += "/";
    }
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(Path, ignored);
    }
    std::string Path;
  };
  static const Folder folder;
  return folder.Path;
}

inline void PutFile(const std::string& path, const uint8_t* data, size_t n) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  if (n) std::fwrite(data, 1, n, f);
  std::fclose(f);
}

// A property the target checks: when it does not hold, says which and aborts
// (a finding for the fuzzer, a failure for the corpus replay).
inline void Expect(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

}  // namespace karo::fuzz

#endif  // KARO_FUZZ_FUZZSUPPORT_H
