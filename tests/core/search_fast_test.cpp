// The search's and the export's fast paths against the plain pass and the
// plain export, on random directories from a fixed, printed seed: every
// filter kind alone and combined, keys of every length, codes above 255,
// empty and one-record results, exports after sorts.
#include <gtest/gtest.h>

#include <cstdio>

#include "Export.h"
#include "FdbAccess.h"
#include "Fixture.h"
#include "RandomTables.h"
#include "Search.h"
#include "SearchIndex.h"

namespace karo::test {
namespace {

constexpr uint64_t kSeed = 4242026;

std::vector<int32_t> Result(TfdbTable& t) {
  std::vector<int32_t> ids = Ids(t);
  ids.push_back(t.SortField);
  ids.push_back(static_cast<int32_t>(t.CurCount()));
  return ids;
}

std::vector<int> Codes(Rng& rng, int most, int below) {
  std::vector<int> codes;
  const int k = 1 + static_cast<int>(rng() % static_cast<uint64_t>(most));
  for (int i = 0; i < k; ++i) codes.push_back(static_cast<int>(rng() % static_cast<uint64_t>(below)));
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  return codes;
}

// A key: the beginning of some stored text (so that it finds something), a
// random text, or one with spaces around it.
std::string Key(Rng& rng, TfdbTable& t, int32_t field) {
  std::string key;
  if (rng() % 3 != 0 && t.RecCount > 0) {
    t.SetOrder(0);
    key = t.GetStr(static_cast<int32_t>(rng() % t.RecCount), field);
    key.resize(std::min<size_t>(key.size(), 1 + rng() % 6));
  } else {
    key = RandomText(rng);
  }
  if (rng() % 5 == 0) key = "  " + key + "\t";
  return key;
}

SearchFilter RandomFilter(Rng& rng, TfdbTable& t) {
  SearchFilter f;
  const uint64_t kinds = rng();
  if (kinds & 1) f.Surname = Key(rng, t, kSearchSurname);
  if (kinds & 2) f.Workplace = Key(rng, t, kSearchWorkplace);
  if (kinds & 4) f.Municipality = Key(rng, t, kSearchMunicipality);
  if (kinds & 8) f.Districts = Codes(rng, 3, 280);   // codes 250..269 and positions above 255
  if (kinds & 16) f.Specialties = Codes(rng, 3, rng() % 2 ? 12 : 1000);
  if (kinds & 32) f.Categories = Codes(rng, 4, 300);
  if (kinds & 64) f.Insurers = Codes(rng, 2, 5);
  if (kinds & 128) f.Languages = Codes(rng, 2, 7);
  if (kinds & 256) f.FacilityTypes = Codes(rng, 2, 260);
  if ((kinds >> 9) % 4 == 0) f = SearchFilter{};  // no filter now and then
  return f;
}

struct Twin {
  TfdbTable Fast, Plain, FastDetail, PlainDetail;
};

void OpenTwin(const TestDir& dir, Twin* t) {
  OpenTable(&t->Fast, dir.Path(), "pseek");
  OpenTable(&t->Plain, dir.Path(), "pseek");
  OpenTable(&t->FastDetail, dir.Path(), "moskyti");
  OpenTable(&t->PlainDetail, dir.Path(), "moskyti");
}

// Random tables of `records` providers (the detail table in identifier
// order), opened twice.
void WriteAndOpenTwin(const TestDir& dir, Rng& rng, uint32_t records, Twin* t) {
  WriteRandomSearchTable(dir, rng, records);
  WriteRandomDetailTable(dir, rng, records, true);
  OpenTwin(dir, t);
}

TEST(SearchFast, EqualsThePlainPassForRandomFilters) {
  std::printf("seed %llu\n", static_cast<unsigned long long>(kSeed));
  for (const uint32_t records : {0u, 1u, 40u, 3000u}) {
    SCOPED_TRACE("seed " + std::to_string(kSeed) + ", records " + std::to_string(records));
    Rng rng(kSeed + records);
    TestDir dir;
    Twin t;
    WriteAndOpenTwin(dir, rng, records, &t);
    size_t empty = 0, one = 0;
    for (int round = 0; round < 400; ++round) {
      SCOPED_TRACE("round " + std::to_string(round));
      const SearchFilter f = RandomFilter(rng, t.Plain);
      const uint32_t fast = RunSearch(t.Fast, f);
      if (round == 0) searchfast::WaitForIndexes(t.Fast);  // the rest from the indexes
      const uint32_t plain = RunSearchReference(t.Plain, f);
      ASSERT_EQ(fast, plain);
      ASSERT_EQ(Result(t.Fast), Result(t.Plain));
      empty += fast == 0;
      one += fast == 1;
      if (round % 25 == 0) {
        // A sort in between: the next search starts from a sorted selection.
        const int32_t field = static_cast<int32_t>(rng() % 6);
        t.Fast.Sort(field);
        FdbAccess::SetFastPaths(false);
        t.Plain.Sort(field);
        FdbAccess::SetFastPaths(true);
        ASSERT_EQ(Result(t.Fast), Result(t.Plain));
      }
    }
    if (records == 3000) {
      EXPECT_GT(empty, 10u);
      EXPECT_GT(one, 0u);
    }
  }
}

TEST(ExportFast, SameBytesAsThePlainExport) {
  for (const bool sortedDetail : {true, false}) {
    SCOPED_TRACE(std::string("seed ") + std::to_string(kSeed) + (sortedDetail ? ", detail by id" : ", detail shuffled"));
    Rng rng(kSeed + (sortedDetail ? 7 : 8));
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

// While the second thread builds the indexes the table goes on being used:
// searches (the plain pass), sorts, exports, and a close that stops it.
TEST(SearchFast, TheTableIsUsedWhileItsIndexesAreBuilt) {
  Rng rng(kSeed + 10);
  TestDir dir;
  Twin t;
  WriteAndOpenTwin(dir, rng, 150000, &t);
  for (int round = 0; round < 6; ++round) {
    const SearchFilter f = RandomFilter(rng, t.Plain);
    ASSERT_EQ(RunSearch(t.Fast, f), RunSearchReference(t.Plain, f));
    t.Fast.Sort(kSearchMunicipality);
    FdbAccess::SetFastPaths(false);
    t.Plain.Sort(kSearchMunicipality);
    FdbAccess::SetFastPaths(true);
    ASSERT_EQ(Result(t.Fast), Result(t.Plain));
    ASSERT_EQ(ExportOf(t.Fast, t.FastDetail, true), ExportOf(t.Plain, t.PlainDetail, false));
  }
  // Closed, and opened again, with the thread perhaps still at work.
  OpenTable(&t.Fast, dir.Path(), "pseek");
  RunSearch(t.Fast, {});
  t.Fast.Close();
  EXPECT_EQ(RunSearch(t.Fast, {}), 0u);
}

// A sink that refuses after some bytes: the fast export stops and says so.
class FailingSink : public ByteSink {
 public:
  explicit FailingSink(size_t room) : room_(room) {}
  bool Write(const char*, size_t count) override {
    if (count > room_) return false;
    room_ -= count;
    return true;
  }

 private:
  size_t room_;
};

TEST(ExportFast, StopsWhenTheSinkRefuses) {
  Rng rng(kSeed + 9);
  TestDir dir;
  Twin t;
  WriteAndOpenTwin(dir, rng, 200000, &t);
  RunSearch(t.Fast, {});
  const size_t total = ExportOf(t.Fast, t.FastDetail, true).size();
  ASSERT_GT(total, size_t{1} << 20);  // many chunks
  for (const size_t room : {size_t{0}, size_t{100}, total - 1}) {
    FailingSink sink(room);
    EXPECT_FALSE(WriteExport(t.Fast, t.FastDetail, sink));
  }
}

}  // namespace
}  // namespace karo::test
