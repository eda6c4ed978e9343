// karo-search as a function: the program's search from the command line, the
// same filters, sort, export file, status text and query description as the
// main window (see docs/karo-search.md).
#ifndef KARO_TOOLS_SEARCHTOOL_H
#define KARO_TOOLS_SEARCHTOOL_H

#include <cstdio>
#include <string>

#include "Options.h"

namespace karo {

// Runs karo-search with the arguments argv[1] .. argv[argc - 1]: the result
// goes to `out` (or to the file of -o), the messages to `err`. Without
// --data the tables are read from DATA/ in `programDir` (which ends with
// '/'). Returns the exit code: 0 something found, 1 nothing found, 2 error.
int KaroSearch(int argc, const char* const* argv, std::FILE* out, std::FILE* err,
               const std::string& programDir);

// karo-search's options: its parser, --help and the options section of
// docs/karo-search.md come from this one table.
const OptionTable& SearchOptions();

}  // namespace karo

#endif  // KARO_TOOLS_SEARCHTOOL_H
