// SafeFile: temporary file beside the target, checked writes, rename.
#include "SafeFile.h"

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

}  // namespace

bool StdioSink::Write(const char* bytes, size_t count) {
  return count == 0 || std::fwrite(bytes, 1, count, file_) == count;
}

SafeFile::~SafeFile() { Abort(); }

bool SafeFile::Open(const std::string& path) {
  Abort();
  failed_ = false;
  target_ = path;
  if (path.empty()) return false;
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    // Write where the link points, as opening the path would.
    std::unique_ptr<char, decltype(&free)> real(realpath(path.c_str(), nullptr), &free);
    if (real) target_ = real.get();
  }
  mode_t mode = NewFileMode();
  if (stat(target_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode) || access(target_.c_str(), W_OK) != 0) return false;
    if (!S_ISREG(st.st_mode)) {
      // A device or a pipe holds no content to keep, and must not be replaced
      // by a file: written directly.
      file_ = std::fopen(target_.c_str(), "wb");
      return file_ != nullptr;
    }
    mode = st.st_mode & 07777;
  }
  const size_t slash = target_.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : target_.substr(0, slash + 1);
  std::string pattern = dir + (slash == std::string::npos ? "/" : "") + ".karo-XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) return false;
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

bool SafeFile::Write(const char* bytes, size_t count) {
  if (!file_ || failed_) return false;
  if (count != 0 && std::fwrite(bytes, 1, count, file_) != count) failed_ = true;
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
