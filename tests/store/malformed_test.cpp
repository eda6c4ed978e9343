// Tables from hostile files: Open refuses what it cannot trust, and whatever
// it accepts reads safely. Run under AddressSanitizer, an out-of-bounds read
// anywhere here fails the test.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <map>

#include "TestDir.h"

namespace karo::test {
namespace {

using V = FieldValue;

// Every read the system makes, over every record and field.
void ReadEverything(TfdbTable& t) {
  const uint32_t count = t.CurCount();
  for (int32_t f = -1; f <= t.FieldCount; ++f) {
    for (uint32_t r = 0; r <= count && r < 64; ++r) {
      const char* s = t.GetStr(static_cast<int32_t>(r), f);
      volatile size_t len = std::strlen(s);
      (void)len;
      (void)t.GetNum(static_cast<int32_t>(r), f);
    }
    t.FindPrefix(f, "x");
    t.SeekNum(f, 1);
    t.Sort(f);
    t.SelectNum(f, 0);
  }
  if (t.BeginSelection() == 0) {
    for (uint32_t r = 0; r < t.RecCount + 2; ++r) t.AddToSelection(static_cast<int32_t>(r));
    t.SetOrder(1);
    t.Sort(0);
  }
}

class Malformed : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::vector<V>> records;
    for (int i = 0; i < 3; ++i) {
      records.push_back({V::Number(i), V::Text("ab"), V::Text("text"), V::Raw("\x01\xFF")});
    }
    WriteTable(dir_, "t", {{"n", 'N', 2}, {"c", 'C', 4}, {"t", 'T', 0}, {"k", 'T', 0}}, records);
    for (const char* ext : {".f", ".d", ".x"}) good_[ext] = ReadBytes(dir_.File(std::string("t") + ext));
  }
  // Replaces one file, restoring the others, and opens the table.
  int OpenWith(const std::string& ext, const std::string& bytes) {
    for (const auto& [e, b] : good_) WriteBytes(dir_.File("t" + e), e == ext ? bytes : b);
    table_.Dir = dir_.Path();
    return table_.Open("t");
  }
  TestDir dir_;
  TfdbTable table_;
  std::map<std::string, std::string> good_;
};

TEST_F(Malformed, EveryTruncationOfEveryFile) {
  for (const char* ext : {".f", ".d", ".x"}) {
    const std::string& whole = good_[ext];
    for (size_t len = 0; len <= whole.size(); ++len) {
      SCOPED_TRACE(std::string(ext) + " cut at " + std::to_string(len));
      const int rc = OpenWith(ext, whole.substr(0, len));
      ReadEverything(table_);
      if (std::string(ext) == ".f" && len < whole.size()) {
        EXPECT_EQ(rc, -1);
      }
    }
  }
  // The whole files still open.
  EXPECT_EQ(OpenWith(".f", good_[".f"]), 0);
  EXPECT_EQ(table_.RecCount, 3u);
}

TEST_F(Malformed, FlippedBytesOfDescriptorsAndIndex) {
  for (const char* ext : {".f", ".x"}) {
    const std::string& whole = good_[ext];
    for (size_t at = 0; at < whole.size(); ++at) {
      for (const unsigned char flip : {0x01, 0x80, 0xFF}) {
        std::string bytes = whole;
        bytes[at] = static_cast<char>(bytes[at] ^ flip);
        SCOPED_TRACE(std::string(ext) + " byte " + std::to_string(at) + " ^ " + std::to_string(flip));
        OpenWith(ext, bytes);
        ReadEverything(table_);
      }
    }
  }
}

TEST_F(Malformed, RefusedLayouts) {
  const std::string f = good_[".f"];
  auto with = [&](size_t at, unsigned char value) {
    std::string b = f;
    b[at] = static_cast<char>(value);
    return b;
  };
  const size_t field0 = 8, field1 = 28, field2 = 48;
  struct Case { const char* what; std::string ext, bytes; };
  std::string offsetPastEnd = good_[".x"];
  offsetPastEnd[4] = static_cast<char>(0xF0);
  std::string countOverflow = f;
  countOverflow[4] = countOverflow[5] = static_cast<char>(0xFF);  // 65,535 fields
  std::string negativeIndexes = f;
  negativeIndexes[7] = static_cast<char>(0x80);
  const Case cases[] = {
      {"N width 0", ".f", with(field0 + 3, 0)},
      {"N width 5", ".f", with(field0 + 3, 5)},
      {"C slot past the data", ".f", with(field1 + 1, 0x40)},
      {"T slot past the data", ".f", with(field2 + 1, 0x40)},
      {"no indexes with an index file", ".f", with(6, 0)},
      {"negative index count", ".f", negativeIndexes},
      {"descriptors past the end", ".f", countOverflow},
      {"offset past the data", ".x", offsetPastEnd},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(OpenWith(c.ext, c.bytes), -1);
    EXPECT_EQ(table_.CurCount(), 0u);
    EXPECT_STREQ(table_.GetStr(0, 1), "FDB_EOF");
    ReadEverything(table_);
  }
}

TEST_F(Malformed, ValuesRunningToTheEndAreBounded) {
  // A T offset past the end for one record reads as failure; a text and a
  // list without their ends stop at the data's end.
  std::string d = good_[".d"];
  d[6] = static_cast<char>(0xFF);  // first record's "t" slot points past the end
  d[7] = static_cast<char>(0xFF);
  d.back() = 'z';         // last record's code list loses its end marker
  d[d.size() - 3] = 'q';  // and its text its zero
  ASSERT_EQ(OpenWith(".d", d), 0);
  EXPECT_STREQ(table_.GetStr(0, 2), "FDB_EOF");
  EXPECT_EQ(table_.GetNum(0, 2), kFdbNumFail);
  EXPECT_STREQ(table_.GetStr(1, 2), "text");
  EXPECT_STREQ(table_.GetStr(2, 2), "textq\x01z");  // ends at the data's end
  const char* list = table_.GetStr(2, 3);
  EXPECT_EQ(reinterpret_cast<const unsigned char*>(list) + 2, table_.DataEnd());
  ReadEverything(table_);
}

// Offsets are unsigned 32-bit and an out-of-line value starts within 64 KiB
// of its record: no byte past 4 GiB + 64 KiB can belong to a record. The file
// is refused before anything is allocated for it.
TEST_F(Malformed, DataBeyondWhatOffsetsReachIsRefused) {
  const std::string path = dir_.File("t.d");
  WriteBytes(path, good_[".d"]);
  ASSERT_EQ(truncate(path.c_str(), (off_t{1} << 32) + 0x10000), 0);
  table_.Dir = dir_.Path();
  EXPECT_EQ(table_.Open("t"), -1);
  EXPECT_EQ(table_.CurCount(), 0u);
}

}  // namespace
}  // namespace karo::test
