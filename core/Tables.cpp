// The names of a directory's tables.
#include "Tables.h"

namespace karo {

const char* const kTableNames[kTableCount] = {"pseek",  "moskyti",    "okresy",      "obory",   "rubriky",
                                              "jazyky", "pojistovny", "typzarizeni", "aforismy"};

}  // namespace karo
