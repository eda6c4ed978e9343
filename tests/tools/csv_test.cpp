// The CSV reader and writer.
#include <gtest/gtest.h>

#include "Csv.h"
#include "TestDir.h"

namespace karo::test {
namespace {

std::vector<std::vector<std::string>> ReadAll(const std::string& content, std::string* error,
                                              std::vector<int>* lines = nullptr) {
  TestDir dir;
  WriteBytes(dir.File("a.csv"), content);
  CsvReader csv;
  EXPECT_TRUE(csv.Open(dir.File("a.csv")));
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> fields;
  while (csv.Next(&fields)) {
    rows.push_back(fields);
    if (lines) lines->push_back(csv.Line());
  }
  *error = csv.Error().empty() ? "" : std::to_string(csv.Line()) + ": " + csv.Error();
  return rows;
}

TEST(Csv, ReadsQuotedFieldsLineBreaksAndLineNumbers) {
  std::string error;
  std::vector<int> lines;
  const auto rows = ReadAll("\xEF\xBB\xBF" "a,b\r\n\"x,1\",\"he said \"\"hi\"\"\"\n\n\"two\nlines\",\nlast,", &error, &lines);
  EXPECT_EQ(error, "");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"x,1", "he said \"hi\""}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"two\nlines", ""}));
  EXPECT_EQ(rows[3], (std::vector<std::string>{"last", ""}));
  EXPECT_EQ(lines, (std::vector<int>{1, 2, 4, 6}));
}

TEST(Csv, ReportsMalformedInput) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\n\"open", "2: malformed CSV: a quoted field is not closed"},
      {"a\n\"x\"y\n", "2: malformed CSV: text after a closing quote"},
      {"a\nb\"c\n", "2: malformed CSV: a quote inside"},
      {"a\rb\n", "1: malformed CSV: a carriage return"},
  };
  for (const auto& [content, expect] : cases) {
    std::string error;
    ReadAll(content, &error);
    EXPECT_EQ(error.rfind(expect, 0), 0u) << content << " -> " << error;
  }
}

TEST(Csv, WriterQuotesOnlyWhatItMustAndReadsBack) {
  TestDir dir;
  const std::vector<std::string> row = {"plain", "a,b", "say \"x\"", "two\nlines", ""};
  CsvWriter writer;
  ASSERT_TRUE(writer.Open(dir.File("w.csv")));
  writer.Write(row);
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(ReadBytes(dir.File("w.csv")), "plain,\"a,b\",\"say \"\"x\"\"\",\"two\nlines\",\n");
  std::string error;
  const auto back = ReadAll(ReadBytes(dir.File("w.csv")), &error);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0], row);
  EXPECT_FALSE(writer.Open(dir.File("missing/w.csv")));
}

// Records the reader can yield that the writer once wrote unreadably: one
// empty field (an empty line, skipped), a first field beginning with the
// byte-order mark's first byte (taken for a broken mark).
TEST(Csv, WhatTheReaderYieldsTheWriterWritesBack) {
  const std::vector<std::vector<std::vector<std::string>>> cases = {
      {{""}},
      {{"a"}, {""}, {"b"}},
      {{"\xEF"}},
      {{"\xEF\xBB\xBF" "x", "y"}},
      {{"\xEF\xBC\x81", "fullwidth !"}},
  };
  for (const auto& records : cases) {
    SCOPED_TRACE(records[0][0]);
    TestDir dir;
    CsvWriter writer;
    ASSERT_TRUE(writer.Open(dir.File("w.csv")));
    for (const auto& r : records) writer.Write(r);
    ASSERT_TRUE(writer.Close());
    std::string error;
    EXPECT_EQ(ReadAll(ReadBytes(dir.File("w.csv")), &error), records);
    EXPECT_EQ(error, "");
  }
}

}  // namespace
}  // namespace karo::test
