// karo-search: the program's search from the command line.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "SearchTool.h"

namespace {

// The program's folder with a trailing '/'.
std::string ProgramDir() {
  std::string path(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (n <= 0) return "./";
  path.resize(static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

}  // namespace

int main(int argc, char** argv) { return karo::KaroSearch(argc, argv, stdout, stderr, ProgramDir()); }
