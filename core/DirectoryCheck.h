// What to tell the user when tables of the directory did not open: the files
// on disk tell a missing table from an unreadable one, and the store's own
// record of the failed Open (TfdbTable::Failure) says where a damaged one is
// damaged.
#ifndef KARO_CORE_DIRECTORYCHECK_H
#define KARO_CORE_DIRECTORYCHECK_H

#include <string>
#include <vector>

#include "Fdb.h"

namespace karo {

// Why the table `name` in `dir` (which ends with '/') could not be opened, in
// Czech, judged from its files NAME.f, NAME.d and NAME.x: "chybí" (none is
// there), "chybí soubor pseek.x", "soubor pseek.d není obyčejný soubor",
// "soubor pseek.d nelze číst (chybí oprávnění)", "soubor pseek.f je prázdný",
// or "je poškozená (soubory pseek.f, pseek.d, pseek.x)" when all three are
// there and readable.
std::string TableFailure(const std::string& dir, const std::string& name);

// Why the last Open of `table` failed, in Czech (UTF-8), from its Dir and its
// Failure(): what TableFailure says of a missing, unreadable or empty file;
// for a damaged table the file, the byte and the check, e.g. "je poškozená:
// soubor pseek.x, bajt 1 024: záznam začíná za koncem souboru pseek.d"; for
// a read that failed the system's reason. "" when the last Open succeeded.
std::string TableOpenFailure(const TfdbTable& table);

// The one message after start-up (UTF-8) naming the folder and each table of
// `failed` (the names whose Open failed, in opening order) with its
// TableFailure; empty when `failed` is empty. A folder that is missing (or is
// no folder), or that holds none of the nine tables, is said so in one
// sentence. Foreign bytes of the folder's name are shown escaped. `reasons`,
// when given, holds each failed table's reason (TableOpenFailure) in the
// order of `failed`; otherwise TableFailure judges from the files.
std::string UnreadableDirectoryMessage(const std::string& dir, const std::vector<std::string>& failed,
                                       const std::vector<std::string>& reasons = {});

}  // namespace karo

#endif  // KARO_CORE_DIRECTORYCHECK_H
