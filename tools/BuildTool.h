// karo-build as a function (tools/karo_build.cpp is its main): builds a
// directory's tables from its source CSV or from the national register,
// generates the sample directory, and shows what tables hold (see
// docs/karo-build.md).
#ifndef KARO_TOOLS_BUILDTOOL_H
#define KARO_TOOLS_BUILDTOOL_H

#include <cstdio>
#include <string>

#include "Options.h"

namespace karo {

// Runs karo-build with the arguments argv[1] .. argv[argc - 1]: reports go
// to `out`, warnings and errors to `err`. `reference` is the folder of the
// reference lists when --reference is not given. Returns the exit code: 0
// done, 1 the data, a table or the target could not be read or written, 2
// the arguments are wrong (with a hint to --help).
int KaroBuild(int argc, const char* const* argv, std::FILE* out, std::FILE* err, const std::string& reference);

// karo-build's options: its parser, --help and the options section of
// docs/karo-build.md come from this one table.
const OptionTable& BuildOptions();

}  // namespace karo

#endif  // KARO_TOOLS_BUILDTOOL_H
