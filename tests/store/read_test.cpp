// Opening tables and reading values, through tables made by the writer.
#include <gtest/gtest.h>

#include <cstring>

#include "TestDir.h"

namespace karo::test {
namespace {

using V = FieldValue;

std::vector<FieldSpec> MixedFields() {
  return {{"id", 'N', 4}, {"level", 'N', 1}, {"jmeno", 'C', 12},
          {"small", 'N', 2}, {"poznamka", 'T', 0}, {"kody", 'T', 0}};
}

class ReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteTable(dir_, "t", MixedFields(),
               {{V::Number(7), V::Number(0), V::Text(W("Dvořák")), V::Number(0xFFFF),
                 V::Text(W("Řádek 1\r\nŘádek 2")), V::Raw(std::string("\x01\x02\xFF", 3))},
                {V::Number(0xFFFFFFFF), V::Number(255), V::Text(""), V::Number(1), V::Text(""),
                 V::Raw("\xFF")}});
    table_.Dir = dir_.Path();
    ASSERT_EQ(table_.Open("t"), 0);
  }
  TestDir dir_;
  TfdbTable table_;
};

TEST_F(ReadTest, RoundTripOfEveryFieldKind) {
  EXPECT_EQ(table_.Name, "t");
  EXPECT_EQ(table_.RecCount, 2u);
  EXPECT_EQ(table_.CurCount(), 2u);
  EXPECT_EQ(table_.FieldCount, 6);
  EXPECT_EQ(table_.IndexCount, 1);
  EXPECT_EQ(table_.SortField, -9);
  EXPECT_EQ(table_.GetNum(0, 0), 7);
  EXPECT_STREQ(table_.GetStr(0, 2), W("Dvořák").c_str());
  EXPECT_STREQ(table_.GetStr(0, 4), W("Řádek 1\r\nŘádek 2").c_str());
  const char* codes = table_.GetStr(0, 5);
  EXPECT_EQ(std::memcmp(codes, "\x01\x02\xFF", 3), 0);
  EXPECT_STREQ(table_.GetStr(1, 2), "");
  EXPECT_STREQ(table_.GetStr(1, 4), "");
  EXPECT_EQ(static_cast<unsigned char>(table_.GetStr(1, 5)[0]), 0xFF);
  EXPECT_EQ(table_.FieldType(0), 'N');
  EXPECT_EQ(table_.FieldType(2), 'C');
  EXPECT_EQ(table_.FieldType(4), 'T');
  EXPECT_EQ(table_.FieldType(6), 0);
  EXPECT_EQ(table_.FieldType(-1), 0);
}

TEST_F(ReadTest, WidthAndSignRulesOfNumbers) {
  EXPECT_STREQ(table_.GetStr(0, 1), "0");  // width 1 holding 0
  EXPECT_EQ(table_.GetNum(0, 1), 0);
  EXPECT_EQ(table_.GetNum(0, 3), 65535);  // width 2: no sign extension
  EXPECT_STREQ(table_.GetStr(0, 3), "65535");
  EXPECT_EQ(table_.GetNum(1, 0), -1);  // width 4 with the top bit set
  EXPECT_STREQ(table_.GetStr(1, 0), "");
  EXPECT_EQ(table_.GetNum(1, 1), 255);
  // GetNum of a text field is built from its first Width bytes.
  const std::string dv = W("Dvořák");
  uint32_t expect = 0;
  for (int i = 3; i >= 0; --i) expect = (expect << 8) | static_cast<unsigned char>(dv[static_cast<size_t>(i)]);
  EXPECT_EQ(static_cast<uint32_t>(table_.GetNum(0, 2)), expect);  // width 12, read as 4
}

TEST_F(ReadTest, FailureValues) {
  for (const int32_t record : {2, -1, 1000000}) {
    SCOPED_TRACE(record);
    EXPECT_STREQ(table_.GetStr(record, 2), "FDB_EOF");
    EXPECT_EQ(table_.GetNum(record, 0), kFdbNumFail);
  }
  EXPECT_EQ(kFdbNumFail, static_cast<int32_t>(0x80000001u));
  EXPECT_STREQ(table_.GetStr(0, 6), "FDB_EOF");
  EXPECT_STREQ(table_.GetStr(0, -1), "FDB_EOF");
  EXPECT_EQ(table_.GetNum(0, 6), kFdbNumFail);
  EXPECT_STREQ(table_.GetStrByName(0, "nothing"), "Field not found");
  EXPECT_EQ(table_.GetNumByName(0, "nothing"), kFdbNumFail);
  EXPECT_EQ(table_.GetNumByName(0, nullptr), kFdbNumFail);
}

TEST_F(ReadTest, SharedNumericBufferIsOverwritten) {
  const char* first = table_.GetStr(0, 0);
  EXPECT_STREQ(first, "7");
  const char* second = table_.GetStr(0, 3);
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "65535");
  // The buffer is shared by every table.
  TfdbTable other;
  other.Dir = dir_.Path();
  ASSERT_EQ(other.Open("t"), 0);
  const char* third = other.GetStr(1, 1);
  EXPECT_EQ(third, first);
  EXPECT_STREQ(first, "255");
}

TEST_F(ReadTest, NamesMatchWithoutRegardToCase) {
  EXPECT_EQ(table_.FieldIndex("JMENO"), 2);
  EXPECT_EQ(table_.FieldIndex("Poznamka"), 4);
  EXPECT_EQ(table_.FieldIndex("jmen"), -1);
  EXPECT_EQ(table_.FieldIndex("jmenoo"), -1);
  EXPECT_EQ(table_.FieldIndex(nullptr), -1);
  EXPECT_STREQ(table_.GetStrByName(0, "JMENO"), W("Dvořák").c_str());
  EXPECT_EQ(table_.GetNumByName(0, "ID"), 7);
  EXPECT_EQ(NameCmp(W("ČÁST").c_str(), W("část").c_str()), 0);
  EXPECT_EQ(NameCmp(W("Ŕ").c_str(), W("ŕ").c_str()), 0);  // both fold to r
  EXPECT_EQ(NameCmp("ab", "abc"), -1);
  EXPECT_EQ(NameCmp("abc", "ab"), 1);
}

TEST_F(ReadTest, CloseEmptiesAndReopenReloads) {
  table_.Close();
  EXPECT_EQ(table_.RecCount, 0u);
  EXPECT_EQ(table_.FieldCount, 0);
  EXPECT_EQ(table_.CurCount(), 0u);
  EXPECT_EQ(table_.Name, "t");
  EXPECT_STREQ(table_.GetStr(0, 2), "FDB_EOF");
  EXPECT_EQ(table_.FieldIndex("jmeno"), -1);
  ASSERT_EQ(table_.Open("t"), 0);
  EXPECT_EQ(table_.GetNum(0, 0), 7);
  // A failed open keeps the name it had.
  EXPECT_EQ(table_.Open("missing"), -1);
  EXPECT_EQ(table_.Name, "t");
}

TEST(ReadEdge, UnknownTypeCodeReadsAsFailure) {
  TestDir dir;
  WriteTable(dir, "t", {{"a", 'C', 4}, {"b", 'C', 4}}, {{V::Text("ab"), V::Text("cd")}});
  std::string f = ReadBytes(dir.File("t.f"));
  f[8 + 20 + 2] = 'X';  // field 1 becomes type X, width 4
  WriteBytes(dir.File("t.f"), f);
  TfdbTable t;
  t.Dir = dir.Path();
  ASSERT_EQ(t.Open("t"), 0);
  EXPECT_STREQ(t.GetStr(0, 1), "FDB_EOF");
  EXPECT_EQ(t.FieldType(1), 'X');
  // A number read at the record start: the first four bytes of the record.
  EXPECT_EQ(t.GetNum(0, 1), 'a' | ('b' << 8));
}

// A failed Open leaves nothing readable, also when the files before the
// missing one were sound.
TEST(ReadEdge, MissingIndexFileLeavesTheTableClosed) {
  TestDir dir;
  WriteTable(dir, "t", {{"a", 'C', 4}}, {{V::Text("ab")}});
  std::remove(dir.File("t.x").c_str());
  TfdbTable t;
  t.Dir = dir.Path();
  EXPECT_EQ(t.Open("t"), -1);
  EXPECT_EQ(t.FieldCount, 0);
  EXPECT_EQ(t.FieldIndex("a"), -1);
  EXPECT_EQ(t.DataEnd(), nullptr);
  EXPECT_EQ(t.CurCount(), 0u);
  EXPECT_STREQ(t.GetStr(0, 0), "FDB_EOF");
  EXPECT_EQ(t.Failure().Check, FdbCheck::CannotOpen);
  EXPECT_EQ(t.Failure().File, "t.x");
}

TEST(ReadEdge, EmptyDataOrIndexOpenWithoutRecords) {
  TestDir dir;
  WriteTable(dir, "t", {{"a", 'C', 4}}, {{V::Text("ab")}, {V::Text("cd")}});
  for (const char* emptied : {"t.d", "t.x"}) {
    SCOPED_TRACE(emptied);
    WriteTable(dir, "t", {{"a", 'C', 4}}, {{V::Text("ab")}, {V::Text("cd")}});
    WriteBytes(dir.File(emptied), "");
    TfdbTable t;
    t.Dir = dir.Path();
    EXPECT_EQ(t.Open("t"), 0);
    EXPECT_EQ(t.FieldCount, 1);
    EXPECT_EQ(t.RecCount, 0u);
    EXPECT_EQ(t.CurCount(), 0u);
    EXPECT_STREQ(t.GetStr(0, 0), "FDB_EOF");
    EXPECT_EQ(t.BeginSelection(), 0);
    t.SelectAll();
    t.Sort(0);
    EXPECT_EQ(t.CurCount(), 0u);
    EXPECT_EQ(t.SeekNum(0, 1), -1);
  }
}

TEST(ReadEdge, RecordCountComesFromIndexFileAndFirstArray) {
  TestDir dir;
  std::vector<std::vector<V>> records;
  for (int i = 0; i < 3; ++i) records.push_back({V::Number(i)});
  // Two indexes: 24 bytes of NAME.x, 3 records; the second array is reversed.
  WriteTable(dir, "t", {{"n", 'N', 1}}, records,
             {{"primary", 0, {}}, {"reverse", 0, {2, 1, 0}}});
  EXPECT_EQ(ReadBytes(dir.File("t.x")).size(), 24u);
  std::string f = ReadBytes(dir.File("t.f"));
  f[0] = 99;  // the header's count is replaced by the index file's
  WriteBytes(dir.File("t.f"), f);
  TfdbTable t;
  t.Dir = dir.Path();
  ASSERT_EQ(t.Open("t"), 0);
  EXPECT_EQ(t.RecCount, 3u);
  EXPECT_EQ(t.IndexCount, 2);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(t.GetNum(i, 0), i);
  // A base order that is not the order in NAME.d.
  WriteTable(dir, "u", {{"n", 'N', 1}}, records, {{"byvalue", 0, {2, 0, 1}}});
  ASSERT_EQ(t.Open("u"), 0);
  EXPECT_EQ(t.GetNum(0, 0), 2);
  EXPECT_EQ(t.GetNum(1, 0), 0);
}

}  // namespace
}  // namespace karo::test
