// Open and the files on disk: what is not a regular file is refused without
// waiting, what happens to the files after Open changes nothing that the
// table shows, and tables beyond 2 GiB open and read.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "TestDir.h"

namespace karo::test {
namespace {

using V = FieldValue;

void WriteSmall(const TestDir& dir, const std::string& name, const std::string& text) {
  std::vector<std::vector<V>> records;
  for (int i = 0; i < 5; ++i) records.push_back({V::Number(i * 3), V::Text(text + std::to_string(i)), V::Text("ab")});
  WriteTable(dir, name, {{"id", 'N', 4}, {"txt", 'T', 0}, {"c", 'C', 4}}, records);
}

// Everything a reader can see of the table.
std::vector<std::string> Snapshot(TfdbTable& t) {
  std::vector<std::string> seen = {std::to_string(t.RecCount), std::to_string(t.FieldCount)};
  for (uint32_t r = 0; r < t.CurCount(); ++r) {
    for (int32_t f = 0; f < t.FieldCount; ++f) seen.push_back(t.GetStr(static_cast<int32_t>(r), f));
  }
  return seen;
}

TEST(OpenSafety, NonRegularFilesAreRefusedWithoutWaiting) {
  for (const char* ext : {".f", ".d", ".x"}) {
    for (const bool fifo : {true, false}) {
      SCOPED_TRACE(std::string(ext) + (fifo ? " FIFO" : " folder"));
      TestDir dir;
      WriteSmall(dir, "t", "x");
      const std::string path = dir.File(std::string("t") + ext);
      ASSERT_EQ(unlink(path.c_str()), 0);
      // Nobody writes to the FIFO: an open that waited for a writer would hang here.
      ASSERT_EQ(fifo ? mkfifo(path.c_str(), 0600) : mkdir(path.c_str(), 0700), 0);
      TfdbTable t;
      t.Dir = dir.Path();
      EXPECT_EQ(t.Open("t"), -1);
      EXPECT_EQ(t.CurCount(), 0u);
      EXPECT_STREQ(t.GetStr(0, 1), "FDB_EOF");
    }
  }
}

TEST(OpenSafety, FilesTruncatedOrReplacedAfterOpenChangeNothing) {
  TestDir dir;
  WriteSmall(dir, "t", "first");
  TfdbTable t;
  t.Dir = dir.Path();
  ASSERT_EQ(t.Open("t"), 0);
  const std::vector<std::string> before = Snapshot(t);
  for (const char* ext : {".f", ".d", ".x"}) {
    ASSERT_EQ(truncate(dir.File(std::string("t") + ext).c_str(), 0), 0);
  }
  EXPECT_EQ(Snapshot(t), before);
  // Other content moved over the names, as a directory update would.
  TestDir other;
  WriteSmall(other, "t", "second, longer text");
  for (const char* ext : {".f", ".d", ".x"}) {
    std::filesystem::copy_file(other.File(std::string("t") + ext), dir.File(std::string("t") + ext + ".new"));
    ASSERT_EQ(rename(dir.File(std::string("t") + ext + ".new").c_str(), dir.File(std::string("t") + ext).c_str()), 0);
  }
  EXPECT_EQ(Snapshot(t), before);
  t.Sort(1);
  EXPECT_STREQ(t.GetStr(0, 1), "first0");
  t.SetOrder(0);
  EXPECT_EQ(t.SeekNum(0, 12), 4);
  // A new Open reads what is there now.
  ASSERT_EQ(t.Open("t"), 0);
  EXPECT_STREQ(t.GetStr(0, 1), "second, longer text0");
}

#if defined(__SANITIZE_ADDRESS__)
#define KARO_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KARO_UNDER_ASAN 1
#endif
#endif

// Records past the first 2 GiB of NAME.d (the file is sparse: the hole costs
// no disk, but the table holds all of it in memory).
TEST(OpenSafety, RecordsBeyondTwoGigabytesRead) {
#ifdef KARO_UNDER_ASAN
  GTEST_SKIP() << "2 GiB of memory under the sanitizer";
#endif
  TestDir dir;
  WriteTable(dir, "big", {{"id", 'N', 4}, {"txt", 'T', 0}}, {{V::Number(1), V::Text("a")}});
  const uint64_t far = (uint64_t{1} << 31) + 4096;  // beyond what a signed offset holds
  const std::string d = dir.File("big.d");
  const int fd = open(d.c_str(), O_WRONLY | O_TRUNC);
  ASSERT_GE(fd, 0);
  // Record at `far`: id 7, then the text "daleko" at slot offset 6.
  unsigned char record[] = {7, 0, 0, 0, 6, 0, 'd', 'a', 'l', 'e', 'k', 'o', 0};
  ASSERT_EQ(pwrite(fd, record, sizeof record, static_cast<off_t>(far)), static_cast<ssize_t>(sizeof record));
  ASSERT_EQ(close(fd), 0);
  unsigned char x[4] = {};
  for (int i = 0; i < 4; ++i) x[i] = static_cast<unsigned char>(far >> (8 * i));
  WriteBytes(dir.File("big.x"), std::string(reinterpret_cast<char*>(x), 4));
  TfdbTable t;
  t.Dir = dir.Path();
  ASSERT_EQ(t.Open("big"), 0);
  EXPECT_EQ(t.RecCount, 1u);
  EXPECT_EQ(t.GetNum(0, 0), 7);
  EXPECT_STREQ(t.GetStr(0, 1), "daleko");
  EXPECT_EQ(t.DataEnd() - t.DataBegin(), static_cast<ptrdiff_t>(far + sizeof record));
}

}  // namespace
}  // namespace karo::test
