// The export's fast path against the plain export on directories shaped to
// meet each of its ways of finding the detail record (the same position, the
// key map with repeated identifiers, identifiers missing, no usable map, no
// detail records, no postal code field) and of reading the exported fields
// (out-of-line, inline and numeric fields, fields beyond the table's, texts
// longer than a chunk holds), in base order, sorted, and for selections.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Export.h"
#include "FdbAccess.h"
#include "Fixture.h"
#include "RandomTables.h"
#include "SearchIndex.h"
#include "Twins.h"
#include "Search.h"

namespace karo::test {
namespace {

using V = FieldValue;

constexpr uint64_t kSeed = 5052026;
constexpr uint64_t kRandomSeed = 4242026;  // the random directories
constexpr uint32_t kRecords = 12000;

// A text: mostly a few random pieces, now and then one longer than the
// 16-byte steps of the copy or far longer than a line's room.
std::string Text(Rng& rng) {
  const uint64_t k = rng() % 40;
  if (k == 0) return std::string(300 + rng() % 1700, static_cast<char>('a' + rng() % 26));
  if (k < 4) return std::string(15 + rng() % 4, 'x') + RandomText(rng);
  return RandomText(rng);
}

// pseek with ids 0, 1, 2, ... in base order and levels 0 to 4. `kinds` gives
// the types of fields 2 to 5 ('T', 'C' or 'N'); fields beyond its length are
// left out of the table.
void WriteSearch(const TestDir& dir, Rng& rng, const std::string& kinds, uint32_t count = kRecords) {
  static const char* const kNames[4] = {"jmeno", "pracoviste", "ulice", "obec"};
  std::vector<FieldSpec> fields = {{"id", 'N', 4}, {"uroven", 'N', 1}};
  for (size_t f = 0; f < kinds.size(); ++f) fields.push_back({kNames[f], kinds[f], kinds[f] == 'C' ? 40 : kinds[f] == 'N' ? 4 : 0});
  std::vector<std::vector<V>> records;
  for (uint32_t i = 0; i < count; ++i) {
    std::vector<V> record = {V::Number(i), V::Number(static_cast<int64_t>(rng() % 5))};
    for (const char kind : kinds) {
      if (kind == 'N') record.push_back(V::Number(rng() % 4 == 0 ? 4294967295 : static_cast<int64_t>(rng() % 100000)));
      else if (kind == 'C') record.push_back(V::Text(RandomText(rng)));
      else record.push_back(V::Text(Text(rng)));
    }
    records.push_back(record);
  }
  WriteTable(dir, "pseek", fields, records);
}

enum class Shape { Aligned, Repeats, Gaps, Shuffled, NoPostalCode, Empty };

// moskyti beside the search table: the same identifiers at the same
// positions; an identifier held twice (the second copy at the position of
// the search record with it); every third one missing; shuffled (no usable
// key map); without "PSC"; no records.
void WriteDetail(const TestDir& dir, Rng& rng, Shape shape, uint32_t count = kRecords) {
  std::vector<std::vector<V>> records;
  for (uint32_t i = 0; i < count && shape != Shape::Empty; ++i) {
    int64_t id = i;
    if (shape == Shape::Repeats && i + 1 < count && rng() % 7 == 0) id = i + 1;
    if (shape == Shape::Gaps && i % 3 == 1) continue;
    records.push_back({V::Number(id), V::Text(rng() % 9 == 0 ? "" : std::to_string(10000 + rng() % 90000))});
  }
  if (shape == Shape::Shuffled) std::shuffle(records.begin(), records.end(), rng);
  WriteTable(dir, "moskyti", {{"id", 'N', 4}, {shape == Shape::NoPostalCode ? "mesto" : "PSC", 'T', 0}}, records);
}

struct Pair {
  TfdbTable Search, Detail;
};

// Every order the export meets, the same on both pairs of tables.
template <typename Step>
void InEveryOrder(Rng& rng, Pair& fast, Pair& plain, const Step& check) {
  check("base order, no selection");
  for (Pair* p : {&fast, &plain}) p->Search.BeginSelection(), p->Search.SelectAll(), p->Search.SetOrder(1);
  check("everything selected");
  for (Pair* p : {&fast, &plain}) p->Search.SelectNum(kSearchLevel, 3);
  check("records of level 3");
  const int32_t field = fast.Search.FieldCount > 2 ? static_cast<int32_t>(2 + rng() % (fast.Search.FieldCount - 2)) : kSearchLevel;
  for (Pair* p : {&fast, &plain}) p->Search.Sort(field);
  check("sorted by field " + std::to_string(field));
  std::vector<int32_t> picks;
  for (int i = 0; i < 3000; ++i) picks.push_back(static_cast<int32_t>(rng() % kRecords));
  for (Pair* p : {&fast, &plain}) {
    p->Search.ClearSelection();
    for (const int32_t r : picks) p->Search.AddToSelection(r);
    p->Search.SetOrder(1);
  }
  check("3000 records picked at random, some twice");
  for (Pair* p : {&fast, &plain}) p->Search.ClearSelection(), p->Search.SetOrder(1);
  check("an empty selection");
}

TEST(ExportFast, SameBytesForEveryShapeOfTheTables) {
  const struct {
    const char* Kinds;
    Shape Detail;
  } cases[] = {
      {"TTTT", Shape::Aligned},  {"TTTT", Shape::Repeats},  {"TTTT", Shape::Gaps},
      {"TTTT", Shape::Shuffled}, {"TTTT", Shape::NoPostalCode}, {"TTTT", Shape::Empty},
      {"CNTC", Shape::Aligned},  {"TN", Shape::Repeats},    {"", Shape::Gaps},
  };
  for (size_t c = 0; c < std::size(cases); ++c) {
    SCOPED_TRACE("seed " + std::to_string(kSeed) + ", case " + std::to_string(c) + " fields \"" + cases[c].Kinds + "\"");
    Rng rng(kSeed + c);
    TestDir dir;
    WriteSearch(dir, rng, cases[c].Kinds);
    WriteDetail(dir, rng, cases[c].Detail);
    Pair fast, plain;
    for (Pair* p : {&fast, &plain}) {
      OpenTable(&p->Search, dir.Path(), "pseek");
      OpenTable(&p->Detail, dir.Path(), "moskyti");
    }
    InEveryOrder(rng, fast, plain, [&](const std::string& order) {
      SCOPED_TRACE(order);
      const std::string expected = ExportOf(plain.Search, plain.Detail, false);
      ASSERT_EQ(ExportOf(fast.Search, fast.Detail, true), expected);
      // The second export finds the key map the first one built.
      ASSERT_EQ(ExportOf(fast.Search, fast.Detail, true), expected);
    });
  }
}

// The detail table not opened at all: no postal codes, and no reads of it.
TEST(ExportFast, WithoutADetailTable) {
  Rng rng(kSeed + 100);
  TestDir dir;
  WriteSearch(dir, rng, "TTTT");
  TfdbTable search, detail, plainDetail;
  OpenTable(&search, dir.Path(), "pseek");
  EXPECT_EQ(ExportOf(search, detail, true), ExportOf(search, plainDetail, false));
  search.Sort(kSearchMunicipality);
  EXPECT_EQ(ExportOf(search, detail, true), ExportOf(search, plainDetail, false));
}

// A sink that takes some bytes and then refuses.
class RefusingSink : public ByteSink {
 public:
  explicit RefusingSink(size_t room) : room_(room) {}
  bool Write(const char* bytes, size_t count) override {
    if (count > room_) return false;
    room_ -= count;
    Bytes.append(bytes, count);
    return true;
  }
  std::string Bytes;

 private:
  size_t room_;
};

// Refused at the start, in the middle and at the last chunk, in base and in
// sorted order: false, and what was taken is the export's beginning.
TEST(ExportFast, StopsWhereverTheSinkRefuses) {
  Rng rng(kSeed + 200);
  TestDir dir;
  WriteSearch(dir, rng, "TTTT", 40000);
  WriteDetail(dir, rng, Shape::Aligned, 40000);
  TfdbTable search, detail;
  OpenTable(&search, dir.Path(), "pseek");
  OpenTable(&detail, dir.Path(), "moskyti");
  for (const bool sorted : {false, true}) {
    SCOPED_TRACE(sorted ? "sorted" : "base order");
    if (sorted) search.Sort(kSearchSurname);
    const std::string whole = ExportOf(search, detail, true);
    ASSERT_GT(whole.size(), size_t{2} << 20);  // several chunks from each thread
    for (const size_t room : {size_t{0}, whole.size() / 2, whole.size() - 1}) {
      RefusingSink sink(room);
      EXPECT_FALSE(WriteExport(search, detail, sink));
      EXPECT_EQ(sink.Bytes, whole.substr(0, sink.Bytes.size()));
    }
    RefusingSink enough(whole.size());
    EXPECT_TRUE(WriteExport(search, detail, enough));
    EXPECT_EQ(enough.Bytes, whole);
  }
}

// Random results of every size, in base and sorted order, with the detail
// table by identifier or shuffled.
TEST(ExportFast, SameBytesAsThePlainExport) {
  for (const bool sortedDetail : {true, false}) {
    SCOPED_TRACE(std::string("seed ") + std::to_string(kRandomSeed) + (sortedDetail ? ", detail by id" : ", detail shuffled"));
    Rng rng(kRandomSeed + (sortedDetail ? 7 : 8));
    TestDir dir;
    WriteRandomSearchTable(dir, rng, 5000);
    WriteRandomDetailTable(dir, rng, 4000, sortedDetail);
    Twin t;
    OpenTwin(dir, &t);
    // Before any search, then results of every size, in base and sorted order.
    EXPECT_EQ(ExportOf(t.Fast, t.FastDetail, true), ExportOf(t.Plain, t.PlainDetail, false));
    for (int round = 0; round < 30; ++round) {
      SCOPED_TRACE("round " + std::to_string(round));
      const SearchFilter f = round % 3 == 0 ? SearchFilter{} : RandomFilter(rng, t.Plain);
      RunSearch(t.Fast, f);
      searchfast::WaitForIndexes(t.Fast);
      RunSearchReference(t.Plain, f);
      if (round % 2 == 1) {
        const int32_t field = static_cast<int32_t>(2 + rng() % 4);
        t.Fast.Sort(field);
        FdbAccess::SetFastPaths(false);
        t.Plain.Sort(field);
        FdbAccess::SetFastPaths(true);
      }
      if (round == 20) {
        // The detail table's own selection current: look-ups go through it.
        t.FastDetail.SelectNum(1, 0);
        t.PlainDetail.SelectNum(1, 0);
        t.FastDetail.SetOrder(0);
        t.PlainDetail.SetOrder(0);
      }
      ASSERT_EQ(ExportOf(t.Fast, t.FastDetail, true), ExportOf(t.Plain, t.PlainDetail, false));
    }
  }
}

TEST(ExportFast, StopsWhenTheSinkRefuses) {
  Rng rng(kRandomSeed + 9);
  TestDir dir;
  Twin t;
  WriteAndOpenTwin(dir, rng, 200000, &t);
  RunSearch(t.Fast, {});
  const size_t total = ExportOf(t.Fast, t.FastDetail, true).size();
  ASSERT_GT(total, size_t{1} << 20);  // many chunks
  for (const size_t room : {size_t{0}, size_t{100}, total - 1}) {
    RefusingSink sink(room);
    EXPECT_FALSE(WriteExport(t.Fast, t.FastDetail, sink));
  }
}

}  // namespace
}  // namespace karo::test
