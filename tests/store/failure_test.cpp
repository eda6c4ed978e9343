// Why Open refused a table: each check names its file, its byte and what it
// found, and the refused table is left closed.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>

#include "Coding.h"
#include "TestDir.h"

namespace karo::test {
namespace {

using V = FieldValue;

TEST(OpenFailure, EachCheckNamesItsFileByteAndReason) {
  TestDir dir;
  std::vector<std::vector<V>> records;
  for (int i = 0; i < 3; ++i) records.push_back({V::Number(i), V::Text("ab"), V::Text("text"), V::Raw("\x01\xFF")});
  WriteTable(dir, "t", {{"n", 'N', 2}, {"c", 'C', 4}, {"t", 'T', 0}, {"k", 'T', 0}}, records);
  std::map<std::string, std::string> good;
  for (const char* ext : {".f", ".d", ".x"}) good[ext] = ReadBytes(dir.File(std::string("t") + ext));
  const uint32_t last = fdbcoding::DecodeFixed32(reinterpret_cast<const unsigned char*>(good[".x"].data()) + 8);

  struct Case {
    const char* what;
    std::function<void(std::map<std::string, std::string>&)> damage;
    FdbCheck check;
    const char* file;
    int64_t offset;  // -1: none
    int32_t field;
    int error;
  };
  const Case cases[] = {
      {"header cut short", [](auto& f) { f[".f"].resize(5); }, FdbCheck::HeaderTooShort, "t.f", 5, -1, 0},
      {"negative index count", [](auto& f) { f[".f"][6] = f[".f"][7] = '\xFF'; }, FdbCheck::NegativeIndexCount,
       "t.f", 6, -1, 0},
      {"descriptors cut", [](auto& f) { f[".f"].resize(8 + 2 * 20 + 5); }, FdbCheck::DescriptorsBeyondEnd, "t.f",
       8 + 2 * 20, -1, 0},
      {"number of width 0", [](auto& f) { f[".f"][8 + 3] = 0; }, FdbCheck::BadNumberWidth, "t.f", 8 + 3, 0, 0},
      {"number of width 5", [](auto& f) { f[".f"][8 + 3] = 5; }, FdbCheck::BadNumberWidth, "t.f", 8 + 3, 0, 0},
      {"records but no index", [](auto& f) { f[".f"][6] = f[".f"][7] = 0; }, FdbCheck::NoIndexDescriptor, "t.x", -1,
       -1, 0},
      {"record past the data", [](auto& f) { fdbcoding::EncodeFixed32(reinterpret_cast<unsigned char*>(&f[".x"][4]), 1u << 30); },
       FdbCheck::RecordBeyondData, "t.x", 4, -1, 0},
      {"last record's slots past the data", [last](auto& f) { f[".d"].resize(last + 1); }, FdbCheck::SlotBeyondData,
       "t.x", 8, 0, 0},
      {"data missing", [](auto& f) { f.erase(".d"); }, FdbCheck::CannotOpen, "t.d", -1, -1, ENOENT},
      {"index a folder", [](auto& f) { f[".x"] = "/"; }, FdbCheck::NotRegularFile, "t.x", -1, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::map<std::string, std::string> files = good;
    c.damage(files);
    for (const char* ext : {".f", ".d", ".x"}) std::filesystem::remove_all(dir.File(std::string("t") + ext));
    for (const auto& [ext, bytes] : files) {
      if (bytes == "/") std::filesystem::create_directory(dir.File("t" + ext));
      else WriteBytes(dir.File("t" + ext), bytes);
    }
    TfdbTable t;
    t.Dir = dir.Path();
    ASSERT_EQ(t.Open("t"), -1);
    const FdbFailure& why = t.Failure();
    EXPECT_EQ(why.Check, c.check);
    EXPECT_EQ(why.File, c.file);
    EXPECT_EQ(why.HasOffset, c.offset >= 0);
    if (c.offset >= 0) {
      EXPECT_EQ(why.Offset, static_cast<uint64_t>(c.offset));
    }
    EXPECT_EQ(why.Field, c.field);
    EXPECT_EQ(why.Error, c.error);
    // Closed: nothing of the files is readable.
    EXPECT_EQ(t.RecCount, 0u);
    EXPECT_EQ(t.FieldCount, 0);
    EXPECT_EQ(t.DataEnd(), nullptr);
    EXPECT_STREQ(t.GetStr(0, 1), kFdbEof);
  }
  // Sound files again: the next Open succeeds and forgets the failure.
  for (const char* ext : {".f", ".d", ".x"}) {
    std::filesystem::remove_all(dir.File(std::string("t") + ext));
    WriteBytes(dir.File(std::string("t") + ext), good[ext]);
  }
  TfdbTable t;
  t.Dir = dir.Path();
  ASSERT_EQ(t.Open("t"), 0);
  EXPECT_EQ(t.Failure().Check, FdbCheck::None);
  EXPECT_EQ(t.RecCount, 3u);
}

}  // namespace
}  // namespace karo::test
