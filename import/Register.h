// Import of the national register of health-care providers (its open-data
// CSV, one row per place of care) into a directory's nine tables. The
// mapping and every warning are in docs/directory-source.md.
#ifndef KARO_IMPORT_REGISTER_H
#define KARO_IMPORT_REGISTER_H

#include <cstddef>
#include <string>

#include "Directory.h"

namespace karo {

struct RegisterOptions {
  std::string File;          // the register's CSV (UTF-8)
  std::string ReferenceDir;  // the sample's lists: okresy.csv, aforismy.csv, jmena.csv
};

// Longest text (in characters) of a name, an address, a contact or a pick-list item ...
constexpr size_t kRegisterTextLimit = 255;
// ... and of the two multi-line texts (the facility types, the note).
constexpr size_t kRegisterNoteLimit = 4000;
// Entries a code can address, per pick list. A district or facility type that
// does not fit is shown as the last entry, "(jiný)"; a specialty or category
// that does not fit is left out of the records that have it.
constexpr size_t kRegisterDistricts = 256;
constexpr size_t kRegisterFacilityTypes = 256;
constexpr size_t kRegisterSpecialties = 255;  // the code 255 ends a list
constexpr size_t kRegisterCategories = 255;

// Reads the register and the reference lists into the builder: lookups,
// aphorisms, then one provider per row. A missing required column, a
// malformed file or an unreadable list is an error; whatever a row holds that
// does not fit is mended and reported as a warning, and the row is kept.
void ImportRegister(const RegisterOptions& options, DirectoryBuilder* builder);

}  // namespace karo

#endif  // KARO_IMPORT_REGISTER_H
