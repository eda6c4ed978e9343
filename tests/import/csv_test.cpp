// The CSV reader and writer.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>

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

TEST(Csv, RefusesWhatIsNotARegularFileWithoutWaiting) {
  TestDir dir;
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink("/dev/zero", dir.File("zero.csv").c_str()), 0);
  ASSERT_EQ(symlink(dir.File("missing.csv").c_str(), dir.File("dangling.csv").c_str()), 0);
  const std::pair<std::string, std::string> cases[] = {
      {dir.File("fifo"), "není obyčejný soubor, ale roura (FIFO); nečte se"},
      {dir.File("zero.csv"), "není obyčejný soubor, ale znakové zařízení; nečte se"},
      {dir.Path(), "není obyčejný soubor, ale složka; nečte se"},
      {dir.File("dangling.csv"), "odkaz vede na soubor, který neexistuje"},
      {dir.File("missing.csv"), "soubor neexistuje"},
  };
  for (const auto& [path, expect] : cases) {
    SCOPED_TRACE(path);
    // Opening a pipe for reading would wait for a writer; the reader must not.
    auto opened = std::async(std::launch::async, [&path] {
      CsvReader csv;
      return std::make_pair(csv.Open(path), csv.Error());
    });
    if (opened.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      std::ofstream unblock(dir.File("fifo"));  // let the waiting open return
      FAIL() << "Open waited";
    }
    const auto [ok, error] = opened.get();
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, expect);
  }
}

TEST(Csv, BoundsARecordAndNamesTheFieldWhereTheLimitIsReached) {
  struct Case {
    const char* what;
    std::string content;
    std::string expect;
  };
  const std::string big(kMaxCsvRecordBytes, 'x');
  const Case cases[] = {
      {"a file without line ends", big + big, "1: záznam je delší než 1 MiB (1 048 576 bajtů), mez překročena v 1. poli"},
      {"a long quoted field over several lines", "id,pozn\n1,ok\n2,\"" + big.substr(0, 1000) + "\n" + big + "\"\n",
       "3: záznam je delší než 1 MiB (1 048 576 bajtů), mez překročena v poli „pozn“"},
      {"many short fields", "a\n" + std::string(kMaxCsvFields, ',') + "\n", "2: záznam má víc než 10 000 polí"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    const auto rows = ReadAll(c.content, &error);
    EXPECT_EQ(error.rfind(c.expect, 0), 0u) << error;
  }
  // A record just within the limit is read whole.
  std::string error;
  const auto rows = ReadAll("a\n" + big.substr(0, kMaxCsvRecordBytes - 1) + "\n", &error);
  EXPECT_EQ(error, "");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1][0].size(), kMaxCsvRecordBytes - 1);
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
