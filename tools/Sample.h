// A realistic synthetic directory, made deterministically from a seed and the
// reference lists in sample/ (real districts, municipalities, names,
// specialties, insurers and facility types).
#ifndef KARO_TOOLS_SAMPLE_H
#define KARO_TOOLS_SAMPLE_H

#include <cstdint>
#include <string>

#include "Directory.h"

namespace karo {

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

#endif  // KARO_TOOLS_SAMPLE_H
