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
      {"a\n\"open", "2: poškozené CSV: pole v uvozovkách není uzavřeno"},
      {"a\n\"x\"y\n", "2: poškozené CSV: text za uzavírací uvozovkou"},
      {"a\nb\"c\n", "2: poškozené CSV: uvozovka uvnitř pole"},
      {"a\rb\n", "1: poškozené CSV: znak CR bez následujícího LF"},
      {"\xEF\xBBx\n", "1: poškozené CSV: porušená značka"},
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

}  // namespace
}  // namespace karo::test
