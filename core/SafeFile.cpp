// SafeFile: temporary file beside the target, checked writes, rename.
#include "Message.h"
#include "SafeFile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

namespace karo {
namespace {

// Mode of a new file as the process would create it.
mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Why a file could not be made in a folder.
std::string FolderFailure(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return "složka neexistuje";
    case EACCES:
    case EPERM: return "do složky nelze zapisovat (chybí oprávnění)";
    default: return SystemErrorText(error);
  }
}

// The name a write to `path` lands on: a symbolic link is followed to the
// file it names, also when that file does not exist yet (a dangling link),
// so that the link stays and its target is created. False for a loop of links.
bool FollowLinks(const std::string& path, std::string* out) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0) {
    // Exists: the real name when it has one (a pipe behind /dev/stdout has
    // none and is opened by the name given).
    std::unique_ptr<char, decltype(&free)> real(realpath(path.c_str(), nullptr), &free);
    *out = real ? std::string(real.get()) : path;
    return true;
  }
  std::string at = path;
  for (int hops = 0; hops < 40; ++hops) {
    if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      *out = at;
      return true;
    }
    std::string to(4096, '\0');
    const ssize_t n = readlink(at.c_str(), to.data(), to.size());
    if (n <= 0 || static_cast<size_t>(n) >= to.size()) {
      *out = at;
      return true;
    }
    to.resize(static_cast<size_t>(n));
    const size_t slash = at.rfind('/');
    at = to[0] == '/' || slash == std::string::npos ? to : at.substr(0, slash + 1) + to;
  }
  return false;
}

}  // namespace

bool StdioSink::Write(const char* bytes, size_t count) {
  return count == 0 || std::fwrite(bytes, 1, count, file_) == count;
}

SafeFile::~SafeFile() { Abort(); }

bool SafeFile::Open(const std::string& path, Waiting waiting) {
  Abort();
  failed_ = false;
  written_ = started_ = 0;
  failure_.clear();
  auto refuse = [this](const std::string& why) {
    failure_ = why;
    return false;
  };
  if (path.empty()) return refuse("chybí název souboru");
  if (!FollowLinks(path, &target_)) return refuse("symbolické odkazy tvoří smyčku");
  mode_t mode = NewFileMode();
  struct stat st;
  if (stat(target_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return refuse("je to složka");
    if (S_ISBLK(st.st_mode)) return refuse("je to blokové zařízení (disk), ne soubor");
    if (S_ISSOCK(st.st_mode)) return refuse("je to soket, ne soubor");
    if (access(target_.c_str(), W_OK) != 0) return refuse("chybí oprávnění k zápisu");
    if (!S_ISREG(st.st_mode)) return OpenInPlace(waiting);
    mode = st.st_mode & 07777;
  }
  const size_t slash = target_.rfind('/');
  const std::string dir = slash == std::string::npos ? "./" : target_.substr(0, slash + 1);
  std::string pattern = dir + ".karo-XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) return refuse(FolderFailure(errno));
  temp_ = pattern;
  fchmod(fd, mode);  // best effort: the content matters, not the mode
  file_ = fdopen(fd, "wb");
  if (!file_) {
    close(fd);
    unlink(temp_.c_str());
    temp_.clear();
    return false;
  }
  return true;
}

bool SafeFile::OpenInPlace(Waiting waiting) {
  // A device or a pipe holds no content to keep and must not be replaced by
  // a file. Opening a pipe for writing waits for a reader unless it is asked
  // not to: without one it fails at once.
  const int fd = open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    failure_ = errno == ENXIO ? "je to roura, z níž nikdo nečte" : "";
    return false;
  }
  struct stat st;
  const bool ok = fstat(fd, &st) == 0;
  const bool pipe = ok && S_ISFIFO(st.st_mode);
  if (!ok || !(S_ISCHR(st.st_mode) || pipe) || (pipe && waiting == Waiting::Never)) {
    // Never a pipe from a window: a reader that stops reading would hang it.
    failure_ = pipe ? "je to roura, ne obyčejný soubor" : "";
    close(fd);
    return false;
  }
  // Waiting allowed: writes wait for the reader as they would on standard
  // output. Otherwise a write that would have to wait fails.
  if (waiting == Waiting::Allowed) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  file_ = fdopen(fd, "wb");
  if (!file_) close(fd);
  return file_ != nullptr;
}

bool SafeFile::Write(const char* bytes, size_t count) {
  if (!file_ || failed_) return false;
  if (count != 0 && std::fwrite(bytes, 1, count, file_) != count) failed_ = true;
#if defined(__linux__)
  // A temporary file is synced by Commit: start writing what is there to the
  // disk now, so that the sync waits only for the last few megabytes.
  written_ += count;
  if (!failed_ && !temp_.empty() && written_ - started_ >= kWriteBehind) {
    if (std::fflush(file_) != 0) {
      failed_ = true;
    } else {
      sync_file_range(fileno(file_), static_cast<off_t>(started_), static_cast<off_t>(written_ - started_),
                      SYNC_FILE_RANGE_WRITE);  // a hint: its failure changes nothing
      started_ = written_;
    }
  }
#endif
  return !failed_;
}

bool SafeFile::Commit() {
  if (!file_) return false;
  const bool direct = temp_.empty();
  bool ok = !failed_ && std::fflush(file_) == 0 && !std::ferror(file_) &&
            (direct || fsync(fileno(file_)) == 0);
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (direct) return ok;
  ok = ok && std::rename(temp_.c_str(), target_.c_str()) == 0;
  if (!ok) unlink(temp_.c_str());
  temp_.clear();
  return ok;
}

void SafeFile::Abort() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
}

}  // namespace karo
