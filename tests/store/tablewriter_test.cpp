// The table writer: exact bytes of the format and what it refuses.
#include <gtest/gtest.h>

#include "TestDir.h"

namespace karo::test {
namespace {

using V = FieldValue;

TEST(TableWriter, WritesTheDocumentedBytes) {
  TestDir dir;
  WriteTable(dir, "t", {{"id", 'N', 2}, {"name", 'C', 4}, {"note", 'T', 30}},
             {{V::Number(0x0102), V::Text("ab"), V::Text("xy")}, {V::Number(3), V::Text(""), V::Raw("\xFF")}});
  const std::string f = ReadBytes(dir.File("t.f"));
  ASSERT_EQ(f.size(), 8u + 20 * 4);
  EXPECT_EQ(f.substr(0, 8), std::string("\x02\0\0\0\x03\0\x01\0", 8));
  EXPECT_EQ(f.substr(8, 8), std::string("\0\0N\x02id\0\0", 8));
  EXPECT_EQ(f.substr(28, 8), std::string("\x02\0C\x04name", 8));
  EXPECT_EQ(f.substr(48, 4), std::string("\x06\0T\x1E", 4));
  EXPECT_EQ(f.substr(68, 11), std::string("\xFF\xFF" "A\0primary", 11));
  const std::string d = ReadBytes(dir.File("t.d"));
  EXPECT_EQ(d, std::string("\x02\x01" "ab\0\0" "\x08\0" "xy\0"
                           "\x03\0" "\0\0\0\0" "\x08\0" "\xFF", 11 + 9));
  EXPECT_EQ(ReadBytes(dir.File("t.x")), std::string("\0\0\0\0\x0B\0\0\0", 8));
}

TEST(TableWriter, RefusesWhatTheFormatCannotHold) {
  struct Case { const char* what; std::vector<FieldSpec> fields; std::vector<V> values; };
  const std::string big(70000, 'x');
  const Case cases[] = {
      {"text too long for its slot", {{"c", 'C', 4}}, {V::Text("abcd")}},
      {"number too wide", {{"n", 'N', 1}}, {V::Number(256)}},
      {"negative number", {{"n", 'N', 4}}, {V::Number(-1)}},
      {"number wider than 4 bytes", {{"n", 'N', 4}}, {V::Number(int64_t{1} << 32)}},
      {"zero byte in a text", {{"t", 'T', 0}}, {V::Text(std::string("a\0b", 3))}},
      {"text where a number belongs", {{"n", 'N', 2}}, {V::Text("1")}},
      {"out-of-line value beyond 65,535", {{"a", 'T', 0}, {"b", 'T', 0}}, {V::Text(big), V::Text("b")}},
      {"wrong value count", {{"a", 'C', 4}}, {V::Text("a"), V::Text("b")}},
      {"bad width", {{"n", 'N', 5}}, {V::Number(1)}},
      {"long name", {{"sixteen_letters_", 'C', 4}}, {V::Text("a")}},
      {"bad type", {{"q", 'Q', 4}}, {V::Text("a")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TableWriter writer(c.fields);
    std::string error;
    EXPECT_FALSE(writer.Add(c.values, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(writer.Count(), 0u);
  }
  // A value that ends exactly at the limit is accepted: its offset fits.
  TableWriter edge({{"a", 'T', 0}, {"b", 'T', 0}});
  std::string error;
  EXPECT_TRUE(edge.Add({V::Text(std::string(65535 - 4 - 1, 'x')), V::Text("")}, &error)) << error;
}

TEST(TableWriter, IndexOrdersMustBePermutations) {
  TestDir dir;
  TableWriter writer({{"n", 'N', 1}});
  std::string error;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(writer.Add({V::Number(i)}, &error));
  EXPECT_FALSE(writer.Write(dir.Path(), "t", {{"p", 0, {0, 0, 1}}}, &error));
  EXPECT_FALSE(writer.Write(dir.Path(), "t", {{"p", 0, {0, 1}}}, &error));
  EXPECT_FALSE(writer.Write(dir.Path(), "t", {{"p", 0, {0, 1, 3}}}, &error));
  EXPECT_FALSE(writer.Write(dir.Path() + "missing/", "t", {}, &error));
  EXPECT_NE(error.find("nelze vytvořit"), std::string::npos);
  EXPECT_TRUE(writer.Write(dir.Path(), "t", {{"p", 0, {2, 0, 1}}}, &error)) << error;
}

}  // namespace
}  // namespace karo::test
