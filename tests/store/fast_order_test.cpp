// The fast paths of Sort (ranks of distinct texts, counting sort) and SeekNum
// (key map) against the plain merge sort and binary search, on random tables
// from a fixed, printed seed.
#include <gtest/gtest.h>

#include <algorithm>

#include "FdbAccess.h"
#include "RandomTables.h"

namespace karo::test {
namespace {

using V = FieldValue;
constexpr uint64_t kSeed = 20261209;

// The same table twice: one read with the fast paths, one with the plain ones.
struct Twin {
  TfdbTable Fast, Plain;
  void Open(const TestDir& dir, const char* name) {
    Fast.Dir = Plain.Dir = dir.Path();
    ASSERT_EQ(Fast.Open(name), 0);
    ASSERT_EQ(Plain.Open(name), 0);
  }
  template <class Op>
  void Both(Op op) {
    FdbAccess::SetFastPaths(true);
    op(Fast);
    FdbAccess::SetFastPaths(false);
    op(Plain);
    FdbAccess::SetFastPaths(true);
  }
};

// Field `id` of the current order, and the sort state.
std::vector<int32_t> Order(TfdbTable& t, int32_t id) {
  std::vector<int32_t> ids;
  for (uint32_t i = 0; i < t.CurCount(); ++i) ids.push_back(t.GetNum(static_cast<int32_t>(i), id));
  ids.push_back(t.SortField);
  return ids;
}

void WriteMixedTable(const TestDir& dir, Rng& rng, uint32_t count) {
  std::vector<std::vector<V>> records;
  for (uint32_t i = 0; i < count; ++i) {
    std::string inl = RandomText(rng).substr(0, 9);
    records.push_back({V::Number(i), V::Text(inl), V::Text(RandomText(rng)), V::Number(rng() % 3),
                       V::Number(rng() % 7 == 0 ? 0xFFFFFFF0u + rng() % 16 : rng() % 5), V::Number(rng() % 300)});
  }
  WriteTable(dir, "m",
             {{"id", 'N', 4}, {"inl", 'C', 10}, {"txt", 'T', 0}, {"n1", 'N', 1}, {"n4", 'N', 4}, {"n2", 'N', 2}},
             records);
}

TEST(FastOrder, SortEqualsMergeSortAfterEveryKindOfSelection) {
  SCOPED_TRACE("seed " + std::to_string(kSeed));
  std::printf("seed %llu\n", static_cast<unsigned long long>(kSeed));
  Rng rng(kSeed);
  TestDir dir;
  WriteMixedTable(dir, rng, 700);
  Twin t;
  t.Open(dir, "m");
  const int32_t fields[] = {1, 2, 3, 4, 5, 0, -1, 6, 2, 1};
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    // A selection of 0, 1, 2 or many records in any order, duplicates
    // included; in round 0 none at all (Sort makes one of every record).
    const uint32_t size = round % 4 == 0 ? round / 4 % 3 : static_cast<uint32_t>(rng() % 700);
    std::vector<int32_t> picks;
    for (uint32_t k = 0; k < size; ++k) picks.push_back(static_cast<int32_t>(rng() % 700));
    if (round > 0) {
      t.Both([&](TfdbTable& x) {
        x.BeginSelection();
        for (const int32_t p : picks) x.AddToSelection(p);
        x.SetOrder(1);
      });
    }
    // Several sorts one after another: ties end in the reverse of the order
    // the previous sort left.
    for (int step = 0; step < 4; ++step) {
      const int32_t field = fields[rng() % std::size(fields)];
      SCOPED_TRACE("field " + std::to_string(field));
      t.Both([&](TfdbTable& x) { x.Sort(field); });
      ASSERT_EQ(Order(t.Fast, 0), Order(t.Plain, 0));
    }
  }
}

TEST(FastOrder, SortWithMoreThan65536DistinctTexts) {
  Rng rng(kSeed + 1);
  TestDir dir;
  std::vector<std::vector<V>> records;
  for (uint32_t i = 0; i < 140000; ++i) {
    // Distinct texts in pairs that CzechCmp finds equal (case), so ranks tie.
    const std::string s = std::to_string(rng() % 1000000) + (rng() % 2 ? "ch" : "CH");
    records.push_back({V::Number(i), V::Text(s)});
  }
  WriteTable(dir, "w", {{"id", 'N', 4}, {"txt", 'T', 0}}, records);
  Twin t;
  t.Open(dir, "w");
  t.Both([](TfdbTable& x) { x.Sort(1); });
  ASSERT_EQ(Order(t.Fast, 0), Order(t.Plain, 0));
  const FieldRanks* ranks = fdbfast::RanksOf(t.Fast, 1);
  ASSERT_NE(ranks, nullptr);
  EXPECT_GT(ranks->Classes, 65536u);
  t.Both([](TfdbTable& x) { x.Sort(1); });  // again, on its own result
  EXPECT_EQ(Order(t.Fast, 0), Order(t.Plain, 0));
}

TEST(FastOrder, SeekNumEqualsBinarySearch) {
  SCOPED_TRACE("seed " + std::to_string(kSeed + 2));
  Rng rng(kSeed + 2);
  for (const bool sorted : {true, false}) {
    for (const uint32_t count : {1u, 2u, 300u, 5000u}) {
      SCOPED_TRACE(std::string(sorted ? "sorted " : "shuffled ") + std::to_string(count));
      TestDir dir;
      WriteRandomDetailTable(dir, rng, count, sorted);
      Twin t;
      t.Open(dir, "moskyti");
      // Enough calls for the key map, over every value, the ends and misses.
      for (int32_t v = -3; v < static_cast<int32_t>(count) * 3 + 5; ++v) {
        FdbAccess::SetFastPaths(true);
        const int32_t fast = t.Fast.SeekNum(0, v);
        FdbAccess::SetFastPaths(false);
        const int32_t plain = t.Plain.SeekNum(0, v);
        FdbAccess::SetFastPaths(true);
        ASSERT_EQ(fast, plain) << "value " << v;
      }
      for (const int32_t v : {kFdbNumFail, INT32_MAX, INT32_MIN}) {
        FdbAccess::SetFastPaths(false);
        const int32_t plain = t.Plain.SeekNum(0, v);
        FdbAccess::SetFastPaths(true);
        EXPECT_EQ(t.Fast.SeekNum(0, v), plain);
      }
    }
  }
}

// Strictly increasing identifiers close together (a bitmap of the values),
// and far apart (buckets): every value from below the first to above the last.
TEST(FastOrder, SeekNumOnStrictlyIncreasingKeys) {
  Rng rng(kSeed + 3);
  for (const uint32_t gap : {1u, 3u, 40u, 100000u}) {
    SCOPED_TRACE("gap " + std::to_string(gap));
    TestDir dir;
    std::vector<std::vector<V>> records;
    int64_t id = 5;
    for (uint32_t i = 0; i < 3000; ++i) {
      records.push_back({V::Number(id), V::Text("x")});
      id += 1 + static_cast<int64_t>(rng() % gap);
    }
    WriteTable(dir, "k", {{"id", 'N', 4}, {"PSC", 'T', 0}}, records);
    Twin t;
    t.Open(dir, "k");
    const int64_t step = gap > 100 ? 997 : 1;
    for (int64_t v = 0; v <= id + 2; v += step) {
      FdbAccess::SetFastPaths(false);
      const int32_t plain = t.Plain.SeekNum(0, static_cast<int32_t>(v));
      FdbAccess::SetFastPaths(true);
      ASSERT_EQ(t.Fast.SeekNum(0, static_cast<int32_t>(v)), plain) << "value " << v;
    }
    for (const auto& r : records) {  // every held value
      const int32_t v = static_cast<int32_t>(r[0].Num);
      FdbAccess::SetFastPaths(false);
      const int32_t plain = t.Plain.SeekNum(0, v);
      FdbAccess::SetFastPaths(true);
      ASSERT_EQ(t.Fast.SeekNum(0, v), plain) << "value " << v;
    }
    EXPECT_EQ(FdbAccess::Caches(t.Fast).Map.Present.empty(), gap > 8);
  }
}

}  // namespace
}  // namespace karo::test
