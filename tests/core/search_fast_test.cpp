// The search's fast path against the plain pass, on random directories from
// a fixed, printed seed: every filter kind alone and combined, keys of every
// length, codes above 255, empty and one-record results, sorts in between.
#include <gtest/gtest.h>

#include <cstdio>

#include "FdbAccess.h"
#include "Fixture.h"
#include "RandomTables.h"
#include "Twins.h"
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

}  // namespace
}  // namespace karo::test
