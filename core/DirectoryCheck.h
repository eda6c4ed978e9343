// What to tell the user when tables of the directory did not open. The store
// only says that an Open failed; the files on disk tell a missing table from a
// damaged one.
#ifndef KARO_CORE_DIRECTORYCHECK_H
#define KARO_CORE_DIRECTORYCHECK_H

#include <string>
#include <vector>

namespace karo {

// Why the table `name` in `dir` (which ends with '/') could not be opened, in
// Czech, judged from its files NAME.f, NAME.d and NAME.x: "chybí" (none is
// there), "chybí soubor pseek.x", "soubor pseek.d není obyčejný soubor",
// "soubor pseek.d nelze číst (chybí oprávnění)", "soubor pseek.f je prázdný",
// or "je poškozená (soubory pseek.f, pseek.d, pseek.x)" when all three are
// there and readable.
std::string TableFailure(const std::string& dir, const std::string& name);

// The one message after start-up (UTF-8) naming the folder and each table of
// `failed` (the names whose Open failed, in opening order) with its
// TableFailure; empty when `failed` is empty. A folder that is missing (or is
// no folder), or that holds none of the nine tables, is said so in one
// sentence. Foreign bytes of the folder's name are shown escaped.
std::string UnreadableDirectoryMessage(const std::string& dir, const std::vector<std::string>& failed);

}  // namespace karo

#endif  // KARO_CORE_DIRECTORYCHECK_H
