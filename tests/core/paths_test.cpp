// Fixed relative names found without regard to ASCII case.
#include <gtest/gtest.h>

#include <filesystem>

#include "Paths.h"
#include "TestDir.h"

namespace karo::test {
namespace {

namespace fs = std::filesystem;

TEST(FindPath, ComponentsIgnoreAsciiCase) {
  TestDir dir;
  fs::create_directories(dir.File("Data"));
  WriteBytes(dir.File("Data/KAROSMALL.ico"), "i");
  WriteBytes(dir.File("TARVEL.HLP"), "h");
  fs::create_directories(dir.File("two/DATA"));
  fs::create_directories(dir.File("two/Data"));
  fs::create_directories(dir.File("two/data"));
  WriteBytes(dir.File("\xC4\x8C.txt"), "c");  // Č: only ASCII letters fold
  const std::string d = dir.Path();
  const struct {
    std::string base, relative, found;
  } cases[] = {
      {d, "Data/", d + "Data/"},
      {d, "DATA/", d + "Data/"},
      {d, "data", d + "Data"},
      {d, "DATA/", d + "Data/"},
      {d, "data/karosmall.ICO", d + "Data/KAROSMALL.ico"},
      {d, "Tarvel.hlp", d + "TARVEL.HLP"},
      {d, "tarvel.HLP", d + "TARVEL.HLP"},
      {d + "two/", "data/", d + "two/data/"},     // as given, when it is there
      {d + "two/", "DaTa/", d + "two/DATA/"},     // else the first in byte order
      {d, "data/missing.ico", d + "data/missing.ico"},  // unchanged when a part is missing
      {d, "nothing/KAROSMALL.ico", d + "nothing/KAROSMALL.ico"},
      {d, "\xC4\x8D.txt", d + "\xC4\x8D.txt"},
      {d, "./data//KAROSMALL.ICO", d + "./Data//KAROSMALL.ico"},
      {d + "missing/", "DATA/", d + "missing/DATA/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.base + c.relative);
    EXPECT_EQ(FindPath(c.base, c.relative), c.found);
  }
}

}  // namespace
}  // namespace karo::test
