// A realistic synthetic directory, made deterministically from a seed and the
// reference lists in sample/ (real districts, municipalities, names,
// specialties, insurers and facility types).
#ifndef KARO_IMPORT_SAMPLE_H
#define KARO_IMPORT_SAMPLE_H

#include <cstdint>
#include <string>

#include "Directory.h"

namespace karo {

// splitmix64: small, fast and the same everywhere (the generators' random numbers).
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t n) { return n ? static_cast<uint32_t>(Next() % n) : 0; }
  bool Percent(uint32_t p) { return Below(100) < p; }

 private:
  uint64_t state_;
};

struct SampleOptions {
  uint64_t Count = 0;       // providers
  uint64_t Seed = 1;
  std::string ReferenceDir; // folder with the reference lists
  std::string EmitSource;   // if not empty: also write the directory's source CSV here
};

// Feeds the generated directory to the builder. Problems (a missing or bad
// reference list, a source file that cannot be written) go to the builder's
// errors.
void GenerateSample(const SampleOptions& options, DirectoryBuilder* builder);

}  // namespace karo

#endif  // KARO_IMPORT_SAMPLE_H
