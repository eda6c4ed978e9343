// System errors, unreadable files and quoted texts in Czech.
#include "Message.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "Cp1250.h"

namespace karo {
namespace {

const char* KindOf(mode_t mode) {
  if (S_ISFIFO(mode)) return "roura (FIFO)";
  if (S_ISCHR(mode)) return "znakové zařízení";
  if (S_ISBLK(mode)) return "blokové zařízení";
  if (S_ISDIR(mode)) return "složka";
  if (S_ISSOCK(mode)) return "soket";
  return "zvláštní soubor";
}

}  // namespace

std::string SystemErrorText(int error) {
  switch (error) {
    case ENOENT: return "soubor nebo složka neexistuje";
    case EACCES:
    case EPERM: return "chybí oprávnění";
    case ENOSPC: return "na disku není místo";
    case EDQUOT: return "překročena disková kvóta";
    case EROFS: return "souborový systém je jen pro čtení";
    case EIO: return "chyba čtení nebo zápisu na disk";
    case EXDEV: return "cesty leží na různých souborových systémech";
    case EBUSY: return "složka je právě používána";
    case EEXIST: return "už existuje";
    case ENOTEMPTY: return "složka není prázdná";
    case ENOTDIR: return "cesta vede přes něco, co není složka";
    case EISDIR: return "je to složka";
    case ENAMETOOLONG: return "příliš dlouhé jméno";
    case ELOOP: return "odkazy na cestě tvoří smyčku";
    case EINVAL: return "neplatná operace";
    case ENOMEM: return "nedostatek paměti";
    default: return std::strerror(error);
  }
}

std::string ReadFailure(int error, const std::string& path) {
  switch (error) {
    case ENOENT: {
      struct stat link;
      if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) return "odkaz vede na soubor, který neexistuje";
      return "soubor neexistuje";
    }
    case ENOTDIR:
    case ELOOP: return SystemErrorText(error);
    case EACCES: return "k souboru chybí právo ke čtení";
    default: return "soubor nelze otevřít: " + SystemErrorText(error);
  }
}

std::string NotRegularFile(mode_t mode) { return std::string("není obyčejný soubor, ale ") + KindOf(mode) + "; nečte se"; }

std::string CheckRegularFile(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return ReadFailure(errno, path);
  if (!S_ISREG(st.st_mode)) return NotRegularFile(st.st_mode);
  return "";
}

std::string WithSpaces(uint64_t n) {
  const std::string digits = std::to_string(n);
  std::string s;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) s.push_back(' ');
    s.push_back(digits[i]);
  }
  return s;
}

std::string Quote(std::string_view utf8) { return "„" + PrintableUtf8(utf8) + "“"; }

}  // namespace karo
