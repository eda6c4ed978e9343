// The nine tables of a directory, by the names their files carry
// (NAME.f, NAME.d, NAME.x), in the order the program opens them.
#ifndef KARO_CORE_TABLES_H
#define KARO_CORE_TABLES_H

namespace karo {

enum DirectoryTable : int {
  kTablePseek,  // one compact record per provider, for searching
  kTableMoskyti,  // the providers' full records, by identifier
  kTableOkresy,  // districts
  kTableObory,  // specialties
  kTableRubriky,  // categories
  kTableJazyky,  // languages
  kTablePojistovny,  // insurance companies
  kTableTypZarizeni,  // facility types
  kTableAforismy,  // aphorisms
  kTableCount
};

extern const char* const kTableNames[kTableCount];

}  // namespace karo

#endif  // KARO_CORE_TABLES_H
