// FindPath: one folder scan per component that is not there as written.
#include "Paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

namespace karo {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

bool SameIgnoringAsciiCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != 0; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return i == a.size() && b[i] == 0;
}

// The name in `folder` that equals `name` without regard to ASCII case (the
// smallest in byte order when several do), or empty.
std::string FindEntry(const std::string& folder, const std::string& name) {
  std::unique_ptr<DIR, int (*)(DIR*)> d(opendir(folder.empty() ? "." : folder.c_str()), &closedir);
  if (!d) return "";
  std::string found;
  while (const dirent* e = readdir(d.get())) {
    if (SameIgnoringAsciiCase(name, e->d_name) && (found.empty() || found > e->d_name)) found = e->d_name;
  }
  return found;
}

}  // namespace

std::string FindPath(const std::string& dir, const std::string& relative) {
  const std::string asGiven = dir + relative;
  if (Exists(asGiven)) return asGiven;
  std::string path = dir;
  size_t start = 0;
  while (start < relative.size()) {
    const size_t slash = relative.find('/', start);
    const size_t end = slash == std::string::npos ? relative.size() : slash;
    const std::string name = relative.substr(start, end - start);
    if (!name.empty() && name != "." && name != "..") {
      std::string entry = name;
      if (!Exists(path + name)) {
        entry = FindEntry(path, name);
        if (entry.empty()) return asGiven;
      }
      path += entry;
    } else {
      path += name;
    }
    if (slash == std::string::npos) break;
    path += '/';
    start = slash + 1;
  }
  return path;
}

}  // namespace karo
