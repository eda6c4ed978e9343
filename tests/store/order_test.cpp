// Base order and selection, sorting, prefix search and numeric seek.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "TestDir.h"

namespace karo::test {
namespace {

using V = FieldValue;

// A table of (number, text) records in the given order.
void OpenPairs(TestDir& dir, TfdbTable& t, const std::vector<std::pair<int, std::string>>& rows) {
  std::vector<std::vector<V>> records;
  for (const auto& [n, s] : rows) records.push_back({V::Number(n), V::Text(s), V::Number(n)});
  WriteTable(dir, "p", {{"num", 'N', 4}, {"text", 'T', 0}, {"id", 'N', 2}}, records);
  t.Dir = dir.Path();
  ASSERT_EQ(t.Open("p"), 0);
}

std::vector<int32_t> Ids(TfdbTable& t) {
  std::vector<int32_t> ids;
  for (uint32_t i = 0; i < t.CurCount(); ++i) ids.push_back(t.GetNum(static_cast<int32_t>(i), 2));
  return ids;
}

TEST(SeekNum, FirstOfEqualRunAndMisses) {
  TestDir dir;
  TfdbTable t;
  OpenPairs(dir, t, {{1, ""}, {1, ""}, {2, ""}, {2, ""}, {2, ""}, {3, ""}});
  EXPECT_EQ(t.SeekNum(0, 2), 2);
  EXPECT_EQ(t.SeekNum(0, 1), 0);
  EXPECT_EQ(t.SeekNum(0, 3), 5);
  EXPECT_EQ(t.SeekNum(0, 4), -1);
  EXPECT_EQ(t.SeekNum(0, 0), -1);
  EXPECT_EQ(t.SeekNum(7, 1), -1);
  EXPECT_EQ(t.SeekNum(-1, 1), -1);
}

TEST(SeekNum, SingleAndEmptyOrders) {
  TestDir dir;
  TfdbTable t;
  OpenPairs(dir, t, {{5, ""}});
  EXPECT_EQ(t.SeekNum(0, 5), 0);
  EXPECT_EQ(t.SeekNum(0, 4), -1);
  ASSERT_EQ(t.BeginSelection(), 0);
  t.SetOrder(1);
  EXPECT_EQ(t.CurCount(), 0u);
  EXPECT_EQ(t.SeekNum(0, 5), -1);
}

TEST(SeekNum, AgreesWithLowerBoundOnRandomData) {
  const unsigned seed = 20261208;
  SCOPED_TRACE(seed);
  std::mt19937 rng(seed);
  for (int round = 0; round < 20; ++round) {
    std::vector<int> values(rng() % 60);
    for (int& v : values) v = static_cast<int>(rng() % 25);
    std::sort(values.begin(), values.end());
    std::vector<std::pair<int, std::string>> rows;
    for (int v : values) rows.push_back({v, ""});
    TestDir dir;
    TfdbTable t;
    OpenPairs(dir, t, rows);
    for (int key = -1; key <= 26; ++key) {
      const auto it = std::lower_bound(values.begin(), values.end(), key);
      const int32_t expect = it != values.end() && *it == key ? static_cast<int32_t>(it - values.begin()) : -1;
      ASSERT_EQ(t.SeekNum(0, key), expect) << "round " << round << " key " << key;
    }
  }
}

TEST(Selection, OrdersAndCapacity) {
  TestDir dir;
  TfdbTable t;
  OpenPairs(dir, t, {{4, "d"}, {3, "c"}, {2, "b"}, {1, "a"}, {0, "e"}, {9, "f"}, {8, "g"}, {7, "h"}});
  t.SetOrder(1);  // no selection yet: the base order stays
  EXPECT_EQ(t.CurCount(), 8u);
  ASSERT_EQ(t.BeginSelection(), 0);
  EXPECT_EQ(t.CurCount(), 8u);  // base order still current
  t.SetOrder(1);
  EXPECT_EQ(t.CurCount(), 0u);
  // A search of five records, sorted (three merge passes), then all records.
  t.ClearSelection();
  for (int i : {0, 2, 4, 5, 7}) t.AddToSelection(i);
  t.SetOrder(1);
  EXPECT_EQ(Ids(t), (std::vector<int32_t>{4, 2, 0, 9, 7}));
  t.Sort(0);
  EXPECT_EQ(t.SortField, 0);
  EXPECT_EQ(Ids(t), (std::vector<int32_t>{0, 2, 4, 7, 9}));
  t.ClearSelection();
  EXPECT_EQ(t.SortField, -9);
  for (int i = 0; i < 8; ++i) t.AddToSelection(i);
  t.AddToSelection(0);  // no room left: ignored
  t.AddToSelection(-1);
  t.AddToSelection(8);
  t.SetOrder(1);
  EXPECT_EQ(t.CurCount(), 8u);
  EXPECT_EQ(Ids(t), (std::vector<int32_t>{4, 3, 2, 1, 0, 9, 8, 7}));
  t.SetOrder(0);
  EXPECT_EQ(t.CurCount(), 8u);
  t.SetOrder(1);
  EXPECT_EQ(t.SelCount, 8);
}

TEST(Selection, AddWithoutSelectionAndSelectAll) {
  TestDir dir;
  TfdbTable t;
  OpenPairs(dir, t, {{1, "a"}, {2, "b"}});
  t.AddToSelection(0);  // no selection: nothing happens
  t.SelectAll();
  EXPECT_EQ(t.SelCount, 0);
  ASSERT_EQ(t.BeginSelection(), 0);
  t.SelectAll();
  EXPECT_EQ(t.SelCount, 2);
  EXPECT_EQ(t.CurCount(), 2u);  // base order; SelectAll does not change the current order
}

TEST(Selection, SelectNumFiltersInBaseOrder) {
  TestDir dir;
  TfdbTable t;
  OpenPairs(dir, t, {{3, "a"}, {1, "b"}, {3, "c"}, {2, "d"}, {3, "e"}});
  t.SelectNum(0, 3);
  EXPECT_EQ(Ids(t), (std::vector<int32_t>{3, 3, 3}));
  EXPECT_STREQ(t.GetStr(1, 1), "c");
  t.SelectNum(0, 42);
  EXPECT_EQ(t.CurCount(), 0u);
  t.SelectNum(0, 1);
  EXPECT_STREQ(t.GetStr(0, 1), "b");
}

TEST(Sort, TieRuleAndEdgeSizes) {
  TestDir dir;
  TfdbTable t;
  OpenPairs(dir, t, {{0, "Nová"}, {1, "x"}, {2, "x"}, {3, "x"}, {4, "Nov"}});
  // No selection: all records, sorted, become current.
  t.Sort(1);
  EXPECT_EQ(t.SortField, 1);
  EXPECT_EQ(Ids(t), (std::vector<int32_t>{4, 0, 3, 2, 1}));  // Nov before Nová; equal keys reversed
  // Zero and one record: unchanged, SortField still set.
  t.ClearSelection();
  t.SetOrder(1);
  t.Sort(2);
  EXPECT_EQ(t.SortField, 2);
  EXPECT_EQ(t.CurCount(), 0u);
  t.AddToSelection(3);
  t.Sort(0);
  EXPECT_EQ(Ids(t), (std::vector<int32_t>{3}));
  // A field that does not exist: every key is equal, so the order is reversed.
  t.ClearSelection();
  for (int i = 0; i < 5; ++i) t.AddToSelection(i);
  t.Sort(17);
  EXPECT_EQ(t.SortField, 17);
  EXPECT_EQ(Ids(t), (std::vector<int32_t>{4, 3, 2, 1, 0}));
}

TEST(Sort, NumbersCompareAsSignedIntegers) {
  TestDir dir;
  TfdbTable t;
  std::vector<std::vector<V>> records;
  for (int64_t v : {int64_t{10}, int64_t{0xFFFFFFFF}, int64_t{2}, int64_t{0x80000000}})
    records.push_back({V::Number(v)});
  WriteTable(dir, "n", {{"v", 'N', 4}}, records);
  t.Dir = dir.Path();
  ASSERT_EQ(t.Open("n"), 0);
  t.Sort(0);
  std::vector<int32_t> got;
  for (int i = 0; i < 4; ++i) got.push_back(t.GetNum(i, 0));
  EXPECT_EQ(got, (std::vector<int32_t>{INT32_MIN, -1, 2, 10}));
}

TEST(Sort, MatchesStableSortModelOnRandomData) {
  const unsigned seed = 1250;
  SCOPED_TRACE(seed);
  std::mt19937 rng(seed);
  const std::vector<std::string> letters = {"a", "A", "b", "c", "C", "ch", "CH", "h", "i", W("č"), W("ř"),
                                            "r", W("Š"), "s", " ", "1", W("á"), W("ů"), "z", W("ž")};
  for (const int n : {0, 1, 2, 3, 7, 64, 257, 1000}) {
    SCOPED_TRACE(n);
    std::vector<std::pair<int, std::string>> rows;
    for (int i = 0; i < n; ++i) {
      std::string s;
      const size_t len = rng() % 4;
      for (size_t k = 0; k < len; ++k) s += letters[rng() % letters.size()];
      rows.push_back({static_cast<int>(rng() % 7), s});
    }
    // ids are the row numbers, to see the order
    std::vector<std::vector<V>> records;
    for (int i = 0; i < n; ++i) {
      records.push_back({V::Number(rows[static_cast<size_t>(i)].first),
                         V::Text(rows[static_cast<size_t>(i)].second), V::Number(i)});
    }
    TestDir dir;
    WriteTable(dir, "p", {{"num", 'N', 4}, {"text", 'T', 0}, {"id", 'N', 2}}, records);
    TfdbTable t;
    t.Dir = dir.Path();
    ASSERT_EQ(t.Open("p"), 0);
    // Pick a random subset in random order as the selection.
    ASSERT_EQ(t.BeginSelection(), 0);
    std::vector<int> pick;
    for (int i = 0; i < n; ++i)
      if (rng() % 4 != 0) pick.push_back(i);
    std::shuffle(pick.begin(), pick.end(), rng);
    for (int i : pick) t.AddToSelection(i);
    t.SetOrder(1);
    for (const int field : {0, 1}) {
      std::vector<int32_t> before = Ids(t);
      // Model: stable sort of the reversed order, so equal keys end reversed.
      std::vector<int32_t> model(before.rbegin(), before.rend());
      std::stable_sort(model.begin(), model.end(), [&](int32_t a, int32_t b) {
        const auto& ra = rows[static_cast<size_t>(a)];
        const auto& rb = rows[static_cast<size_t>(b)];
        return field == 0 ? ra.first < rb.first : CzechCmp(ra.second.c_str(), rb.second.c_str()) < 0;
      });
      t.Sort(field);
      ASSERT_EQ(Ids(t), model) << "field " << field;
    }
  }
}

TEST(FindPrefix, FoldingEmptyKeyAndMisses) {
  TestDir dir;
  TfdbTable t;
  OpenPairs(dir, t, {{1, W("Česká Lípa")}, {2, "Beroun"}, {3, W("Břeclav")}, {4, " bad"}});
  EXPECT_EQ(t.FindPrefix(1, "c"), 0);  // Č folds to c
  EXPECT_EQ(t.FindPrefix(1, ""), 0);
  EXPECT_EQ(t.FindPrefix(1, nullptr), 0);
  EXPECT_EQ(t.FindPrefix(1, "b"), 1);
  EXPECT_EQ(t.FindPrefix(1, "BR"), 2);
  EXPECT_EQ(t.FindPrefix(1, " b"), 3);
  EXPECT_EQ(t.FindPrefix(1, "x"), -1);
  EXPECT_EQ(t.FindPrefix(0, "3"), 2);  // a number matches by its decimal text
  EXPECT_EQ(t.FindPrefix(3, ""), -1);
  EXPECT_EQ(t.FindPrefix(-1, ""), -1);
  ASSERT_EQ(t.BeginSelection(), 0);
  t.SetOrder(1);
  EXPECT_EQ(t.FindPrefix(1, ""), -1);  // empty current order
}

}  // namespace
}  // namespace karo::test
