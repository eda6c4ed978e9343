// The start-up message about tables that did not open, from their files.
#include "DirectoryCheck.h"

#include <sys/stat.h>
#include <unistd.h>

#include "Cp1250.h"
#include "Message.h"
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

// What a check found wrong with `file` of table `name`.
std::string Damage(const FdbFailure& why, const std::string& name) {
  const std::string field = "pole č. " + std::to_string(why.Field);
  switch (why.Check) {
    case FdbCheck::NegativeIndexCount: return "počet indexů v hlavičce je záporný";
    case FdbCheck::DescriptorsBeyondEnd: return "popisy polí a indexů sahají za konec souboru";
    case FdbCheck::BadNumberWidth: return "číselné " + field + " má nepřípustnou šířku (smí mít 1 až 4 bajty)";
    case FdbCheck::DataTooLarge: return "soubor je větší, než kam odkazy na záznamy dosáhnou (4 GiB)";
    case FdbCheck::NoIndexDescriptor: return "soubor drží pořadí záznamů, ale " + name + ".f nepopisuje žádný index";
    case FdbCheck::TooManyRecords: return "záznamů je víc než 2 147 483 647";
    case FdbCheck::FileShrank: return "soubor se během čtení zkrátil";
    case FdbCheck::RecordBeyondData: return "záznam začíná za koncem souboru " + name + ".d";
    case FdbCheck::SlotBeyondData: return field + " záznamu sahá za konec souboru " + name + ".d";
    default: return "";
  }
}

}  // namespace

std::string TableOpenFailure(const TfdbTable& table) {
  const FdbFailure& why = table.Failure();
  if (why.Check == FdbCheck::None) return "";
  const size_t dot = why.File.rfind('.');
  const std::string name = dot == std::string::npos ? why.File : why.File.substr(0, dot);
  const std::string file = "soubor " + PrintableUtf8(why.File);
  switch (why.Check) {
    case FdbCheck::CannotOpen:
    case FdbCheck::NotRegularFile: {
      // The files on disk say it best; should they look sound by now, the open's own reason.
      const std::string onDisk = TableFailure(table.Dir, name);
      if (onDisk.rfind("je poškozená", 0) != 0) return onDisk;
      return file + " nelze otevřít" + (why.Error ? ": " + SystemErrorText(why.Error) : std::string());
    }
    case FdbCheck::ReadFailed: return file + " nelze číst: " + SystemErrorText(why.Error);
    case FdbCheck::OutOfMemory: return "na obsah souboru " + PrintableUtf8(why.File) + " není dost paměti";
    case FdbCheck::HeaderTooShort:
      return "je poškozená: " + file + " je kratší než jeho osmibajtová hlavička (má " + WithSpaces(why.Offset) + " B)";
    default: break;
  }
  return "je poškozená: " + file + (why.HasOffset ? ", bajt " + WithSpaces(why.Offset) : std::string()) + ": " +
         Damage(why, PrintableUtf8(name));
}

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

std::string UnreadableDirectoryMessage(const std::string& dir, const std::vector<std::string>& failed,
                                       const std::vector<std::string>& reasons) {
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
  for (size_t i = 0; i < failed.size(); ++i) {
    const std::string& name = failed[i];
    text += "\n" + name + ": " + (i < reasons.size() && !reasons[i].empty() ? reasons[i] : TableFailure(dir, name));
  }
  text += failed.size() == 1 ? "\n\nProgram běží bez ní: co z ní pochází (seznam, výsledky hledání, podrobnosti), zůstane prázdné."
                             : "\n\nProgram běží bez nich: co z nich pochází (seznamy, výsledky hledání, podrobnosti), zůstane prázdné.";
  return text;
}

}  // namespace karo
