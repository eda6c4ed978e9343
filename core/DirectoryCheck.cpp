// The start-up message about tables that did not open, from their files.
#include "DirectoryCheck.h"

#include <sys/stat.h>
#include <unistd.h>

#include "Cp1250.h"
#include "Tables.h"

namespace karo {
namespace {

const char* const kExtensions[] = {".f", ".d", ".x"};

// "a", "a a b", "a, b a c": Czech enumeration.
std::string Enumerate(const std::vector<std::string>& items) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += i + 1 == items.size() ? " a " : ", ";
    text += items[i];
  }
  return text;
}

}  // namespace

std::string TableFailure(const std::string& dir, const std::string& name) {
  std::vector<std::string> missing, notFiles, unreadable, empty, all;
  for (const char* ext : kExtensions) {
    const std::string file = name + ext;
    const std::string path = dir + file;
    all.push_back(file);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
      missing.push_back(file);
    } else if (!S_ISREG(st.st_mode)) {
      notFiles.push_back(file);
    } else if (access(path.c_str(), R_OK) != 0) {
      unreadable.push_back(file);
    } else if (st.st_size == 0 && std::string(ext) != ".d") {  // records may be none
      empty.push_back(file);
    }
  }
  auto files = [](const std::vector<std::string>& list, const char* one, const char* several) {
    return (list.size() == 1 ? one : several) + Enumerate(list);
  };
  if (missing.size() == 3) return "chybí";
  if (!missing.empty()) return files(missing, "chybí soubor ", "chybí soubory ");
  if (!notFiles.empty()) {
    return files(notFiles, "soubor ", "soubory ") + (notFiles.size() == 1 ? " není obyčejný soubor" : " nejsou obyčejné soubory");
  }
  if (!unreadable.empty()) return files(unreadable, "soubor ", "soubory ") + " nelze číst (chybí oprávnění)";
  if (!empty.empty()) return files(empty, "soubor ", "soubory ") + (empty.size() == 1 ? " je prázdný" : " jsou prázdné");
  return "je poškozená (soubory " + Enumerate(all) + ")";
}

std::string UnreadableDirectoryMessage(const std::string& dir, const std::vector<std::string>& failed) {
  if (failed.empty()) return "";
  const std::string shown = PrintableUtf8(dir);
  struct stat st;
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return "Složka s adresářem " + shown +
           " neexistuje. Žádná tabulka se neotevřela: seznamy jsou prázdné a hledání nic nenajde.";
  }
  bool allMissing = failed.size() >= static_cast<size_t>(kTableCount);
  for (const std::string& name : failed) allMissing = allMissing && TableFailure(dir, name) == "chybí";
  if (allMissing) {
    return "Ve složce " + shown +
           " není žádná tabulka adresáře. Seznamy jsou prázdné a hledání nic nenajde.";
  }
  std::string text = "Ve složce " + shown + " se " + (failed.size() == 1 ? "neotevřela tabulka" : "neotevřely tabulky") +
                     " adresáře:\n";
  for (const std::string& name : failed) text += "\n" + name + ": " + TableFailure(dir, name);
  text += failed.size() == 1 ? "\n\nProgram běží bez ní: co z ní pochází (seznam, výsledky hledání, podrobnosti), zůstane prázdné."
                             : "\n\nProgram běží bez nich: co z nich pochází (seznamy, výsledky hledání, podrobnosti), zůstane prázdné.";
  return text;
}

}  // namespace karo
