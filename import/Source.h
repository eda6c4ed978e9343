// Reading a directory's source folder: one CSV file per table, in UTF-8, with
// the columns that docs/directory-source.md lists.
#ifndef KARO_IMPORT_SOURCE_H
#define KARO_IMPORT_SOURCE_H

#include <string>
#include <vector>

#include "Directory.h"

namespace karo {

class CsvReader;

// Opens a source file and reads its header into *header; false, with the
// error added to the builder (file:line), when it cannot be opened or has
// no header.
bool OpenWithHeader(const std::string& path, CsvReader* csv, DirectoryBuilder* builder,
                    std::vector<std::string>* header);

// Reads a whole source folder into the builder (missing files, missing or
// unknown columns and malformed CSV are reported as errors).
void ReadSourceDir(const std::string& dir, DirectoryBuilder* builder);

}  // namespace karo

#endif  // KARO_IMPORT_SOURCE_H
