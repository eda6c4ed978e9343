// One field's value as the source files write it: spaces around it, whole
// numbers.
#ifndef KARO_IMPORT_VALUES_H
#define KARO_IMPORT_VALUES_H

#include <cstdint>
#include <string>

namespace karo {

// Without spaces and tabs at either end.
std::string Trim(const std::string& s);

// Parses a whole decimal number (an optional '-', then digits only) in
// [min, max]; false otherwise, *out untouched.
bool ParseInt(const std::string& s, int64_t min, int64_t max, int64_t* out);

}  // namespace karo

#endif  // KARO_IMPORT_VALUES_H
