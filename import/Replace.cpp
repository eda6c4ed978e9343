// Replacing a directory's folder as a whole: build beside, sync, swap, clean up.
#include "Replace.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "Csv.h"
#include "Directory.h"
#include "Message.h"
#include "Tables.h"

namespace karo {

namespace fs = std::filesystem;

const char kBuildFolderPrefix[] = ".karo-build-";

namespace {

#ifndef RENAME_EXCHANGE
#define RENAME_EXCHANGE (1 << 1)
#endif
#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

int Rename2(const std::string& from, const std::string& to, unsigned flags) {
  return renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags);
}

bool Unsupported(int error) { return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP; }

bool IsTableFile(const std::string& name) {
  for (const char* table : kTableNames)
    for (const char* ext : {".f", ".d", ".x"}) {
      const std::string file = std::string(table) + ext;
      if (file.size() == name.size() && strcasecmp(file.c_str(), name.c_str()) == 0) return true;
    }
  return false;
}

bool IsLeftover(const std::string& name) { return name.rfind(kBuildFolderPrefix, 0) == 0; }


std::string Real(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (!real) return "";
  std::string s = real;
  free(real);
  return s;
}

// The user whose home folder is `real`, or "".
std::string HomeOwner(const std::string& real) {
  if (const char* home = getenv("HOME")) {
    if (*home && Real(home) == real) return "přihlášeného uživatele";
  }
  std::string owner;
  setpwent();
  while (const passwd* pw = getpwent()) {
    if (pw->pw_dir && *pw->pw_dir && std::string(pw->pw_dir) != "/" && Real(pw->pw_dir) == real) {
      owner = pw->pw_name;
      break;
    }
  }
  endpwent();
  return owner;
}

// The target as an absolute path without a trailing separator; a link is
// followed to the folder it names.
std::string Resolve(const std::string& target) {
  std::error_code ec;
  fs::path p = fs::absolute(target, ec).lexically_normal();
  if (!p.has_filename() && p.has_parent_path() && p != p.root_path()) p = p.parent_path();
  struct stat st;
  if (lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    const std::string real = Real(p.string());
    if (!real.empty()) return real;
  }
  return p.string();
}

std::string Failure(int error) { return SystemErrorText(error); }

// Runs one step: the hook first, then the action; 0 or the errno value.
int Step(const ReplaceHook& hook, ReplaceStep step, const std::function<int()>& action) {
  if (hook) {
    if (const int injected = hook(step)) return injected;
  }
  return action();
}

int SyncPath(const std::string& path, bool folder) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | (folder ? O_DIRECTORY : 0));
  if (fd < 0) return errno;
  const int r = fsync(fd) == 0 ? 0 : errno;
  close(fd);
  return r;
}

int SyncFolder(const std::string& dir) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    if (entry.is_regular_file(ec)) {
      if (const int r = SyncPath(entry.path().string(), false)) return r;
    }
  }
  if (ec) return ec.value();
  return SyncPath(dir, true);
}

// Removes what a directory folder may hold, then the folder itself.
int RemoveFolder(const std::string& dir) {
  std::error_code ec;
  std::vector<fs::path> entries;
  for (const auto& entry : fs::directory_iterator(dir, ec)) entries.push_back(entry.path());
  if (ec) return ec.value();
  for (const fs::path& p : entries) {
    const std::string name = p.filename().string();
    if (IsTableFile(name)) fs::remove(p, ec);
    else if (IsLeftover(name)) fs::remove_all(p, ec);
    if (ec) return ec.value();
  }
  return rmdir(dir.c_str()) == 0 ? 0 : errno;
}

std::string MakeBeside(const std::string& parent) {
  std::string temp = parent + "/" + kBuildFolderPrefix + "XXXXXX";
  if (!mkdtemp(temp.data())) return "";
  return temp;
}

}  // namespace

const char* ReplaceStepName(ReplaceStep step) {
  switch (step) {
    case ReplaceStep::CheckTarget: return "CheckTarget";
    case ReplaceStep::MakeFolder: return "MakeFolder";
    case ReplaceStep::WriteTables: return "WriteTables";
    case ReplaceStep::SyncTables: return "SyncTables";
    case ReplaceStep::Exchange: return "Exchange";
    case ReplaceStep::MoveOldAway: return "MoveOldAway";
    case ReplaceStep::MoveNewIn: return "MoveNewIn";
    case ReplaceStep::MoveOldBack: return "MoveOldBack";
    case ReplaceStep::SyncParent: return "SyncParent";
    case ReplaceStep::RemoveOld: return "RemoveOld";
  }
  return "?";
}

std::string CheckTarget(const std::string& target) {
  if (target.empty()) return "cílová složka není zadána";
  struct stat link;
  if (lstat(target.c_str(), &link) != 0) {
    if (errno == ENOENT) return "";  // a new folder
    return "cíl nelze prozkoumat: " + Failure(errno);
  }
  const std::string real = Real(target);
  if (S_ISLNK(link.st_mode) && real.empty()) return "cíl je odkaz, který nevede na žádnou složku";
  if (real == "/") return "cíl je kořenová složka /";
  struct stat st;
  if (stat(target.c_str(), &st) != 0) return "cíl nelze prozkoumat: " + Failure(errno);
  if (!S_ISDIR(st.st_mode)) return "cíl existuje a není složka";
  const std::string owner = HomeOwner(real);
  if (!owner.empty()) return "cíl je domovská složka " + (owner == "přihlášeného uživatele" ? owner : "uživatele " + owner);
  struct stat up;
  const std::string parent = fs::path(real).parent_path().string();
  if (stat(parent.c_str(), &up) == 0 && up.st_dev != st.st_dev) return "cíl je přípojný bod jiného souborového systému";
  DIR* dir = opendir(real.c_str());
  if (!dir) return "obsah cíle nelze přečíst: " + Failure(errno);
  std::vector<std::string> foreign;
  size_t foreignCount = 0;
  while (const dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    struct stat entry;
    const std::string path = real + "/" + name;
    const bool regular = lstat(path.c_str(), &entry) == 0 && S_ISREG(entry.st_mode);
    if ((IsTableFile(name) && regular) || IsLeftover(name)) continue;
    if (foreign.size() < 3) foreign.push_back(Quote(name));
    ++foreignCount;
  }
  closedir(dir);
  if (foreignCount == 0) return "";
  std::string list;
  for (const std::string& f : foreign) list += (list.empty() ? "" : ", ") + f;
  if (foreignCount > foreign.size()) list += " a " + std::to_string(foreignCount - foreign.size()) + " dalších";
  return "cíl obsahuje i jiné soubory než tabulky adresáře (" + list +
         "); zvolte novou nebo prázdnou složku, nebo tuto složku vyprázdněte";
}

ReplaceResult ReplaceDirectory(const std::string& target,
                               const std::function<bool(const std::string& dir, std::string* error)>& write,
                               const ReplaceHook& hook) {
  ReplaceResult result;
  const std::string unchanged = "; cíl " + target + " zůstal beze změny";
  int e = Step(hook, ReplaceStep::CheckTarget, [] { return 0; });
  std::string refusal = e ? Failure(e) : CheckTarget(target);
  if (!refusal.empty()) {
    result.Error = "cíl nelze nahradit: " + refusal + unchanged;
    return result;
  }
  const std::string real = Resolve(target);
  const std::string parent = fs::path(real).parent_path().string();
  struct stat old;
  const bool hadOld = stat(real.c_str(), &old) == 0;
  std::error_code ec;
  fs::create_directories(parent, ec);

  std::string temp;
  e = Step(hook, ReplaceStep::MakeFolder, [&] {
    temp = MakeBeside(parent);
    return temp.empty() ? errno : 0;
  });
  if (e) {
    result.Error = "dočasnou složku vedle cíle (v " + parent + ") nelze vytvořit: " + Failure(e) + unchanged;
    return result;
  }
  // The new folder gets the old one's permissions, or those of any new folder.
  const mode_t mask = umask(0);
  umask(mask);
  chmod(temp.c_str(), hadOld ? (old.st_mode & 07777) : (0777 & ~mask));
  auto discard = [&](const std::string& what) {
    RemoveFolder(temp);
    result.Error = what + unchanged;
    return result;
  };

  std::string error;
  e = Step(hook, ReplaceStep::WriteTables, [&] { return write(temp + "/", &error) ? 0 : EIO; });
  if (e) return discard("tabulky nelze zapsat: " + (error.empty() ? Failure(e) : error));
  e = Step(hook, ReplaceStep::SyncTables, [&] { return SyncFolder(temp); });
  if (e) return discard("tabulky nelze uložit na disk: " + Failure(e));

  std::string oldAt;  // where the old folder is once it has left the target
  if (!hadOld) {
    e = Step(hook, ReplaceStep::MoveNewIn, [&] {
      if (Rename2(temp, real, RENAME_NOREPLACE) == 0) return 0;
      if (!Unsupported(errno)) return errno;
      return rename(temp.c_str(), real.c_str()) == 0 ? 0 : errno;
    });
    if (e) return discard("novou složku nelze přesunout na místo: " + Failure(e));
  } else {
    refusal = CheckTarget(real);
    if (!refusal.empty()) return discard("cíl se mezitím změnil a nelze ho nahradit: " + refusal);
    e = Step(hook, ReplaceStep::Exchange, [&] { return Rename2(temp, real, RENAME_EXCHANGE) == 0 ? 0 : errno; });
    if (e == 0) {
      oldAt = temp;
    } else if (!Unsupported(e)) {
      return discard("složky nelze vyměnit: " + Failure(e));
    } else {
      // No exchange here: rename the old folder aside, the new one in.
      std::string aside;
      e = Step(hook, ReplaceStep::MoveOldAway, [&] {
        aside = MakeBeside(parent);
        if (aside.empty()) return errno;
        if (rename(real.c_str(), aside.c_str()) == 0) return 0;
        const int r = errno;
        rmdir(aside.c_str());
        return r;
      });
      if (e) return discard("starou složku nelze odsunout stranou: " + Failure(e));
      e = Step(hook, ReplaceStep::MoveNewIn, [&] { return rename(temp.c_str(), real.c_str()) == 0 ? 0 : errno; });
      if (e) {
        const int moved = e;
        e = Step(hook, ReplaceStep::MoveOldBack, [&] { return rename(aside.c_str(), real.c_str()) == 0 ? 0 : errno; });
        if (e == 0) return discard("novou složku nelze přesunout na místo: " + Failure(moved));
        result.Error = "novou složku nelze přesunout na místo (" + Failure(moved) +
                       ") a starou se nepodařilo vrátit (" + Failure(e) + "): cíl " + target +
                       " teď chybí; starý adresář je beze změny ve složce " + aside + ", nový ve složce " + temp;
        result.TargetUntouched = false;
        return result;
      }
      oldAt = aside;
    }
  }
  result.Ok = true;
  e = Step(hook, ReplaceStep::SyncParent, [&] { return SyncPath(parent, true); });
  if (e) result.Warning = "výměnu složek se nepodařilo uložit na disk (" + Failure(e) + "); po výpadku napájení může být na místě ještě starý adresář";
  if (!oldAt.empty()) {
    e = Step(hook, ReplaceStep::RemoveOld, [&] { return RemoveFolder(oldAt); });
    if (e) {
      result.Warning += (result.Warning.empty() ? "" : "; ") + std::string("předchozí adresář se nepodařilo smazat (") +
                        Failure(e) + "), zůstal ve složce " + oldAt + ", kterou lze smazat";
    }
  }
  return result;
}

}  // namespace karo
