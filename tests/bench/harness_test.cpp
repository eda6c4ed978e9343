// The benchmark harness: medians, repetitions and the printed table.
#include <gtest/gtest.h>

#include <algorithm>

#include "Harness.h"

namespace bench {
namespace {

TEST(Harness, EveryCounterRunIsPreparedAndTimed) {
  for (const int reps : {1, 3, 4, 9}) {
    SCOPED_TRACE(reps);
    int prepared = 0, ran = 0, other = 0;
    Contender a{"a", [&] { ++prepared; }, [&] {
                  EXPECT_EQ(prepared, ran + 1);  // prepared right before each run
                  ++ran;
                }};
    Contender b{"b", nullptr, [&] { ++other; }};
    Plan plan;
    plan.Reps = reps;
    Measure({&a, &b}, plan);
    EXPECT_EQ(a.Times.size(), static_cast<size_t>(reps));
    EXPECT_EQ(b.Times.size(), static_cast<size_t>(reps));
    // The first round is dropped when there are more rounds than the least.
    EXPECT_EQ(ran, reps > plan.MinReps ? reps + 1 : reps);
    EXPECT_EQ(other, ran);
    EXPECT_GT(a.Peak, 0);
  }
}

TEST(Harness, MedianAndTable) {
  Contender c;
  c.Times = {5, 1, 4};
  EXPECT_EQ(c.Median(), 4);
  c.Times = {5, 1, 4, 2};
  EXPECT_EQ(c.Median(), 3);
  EXPECT_EQ(FormatMs(1234.4), "1234");
  EXPECT_EQ(FormatMs(0.0000542), "0.0000542");
  EXPECT_EQ(FormatRatio(3, 0), "-");
  EXPECT_EQ(FormatRatio(0.014, 18.1), "0.00077");  // a small ratio keeps two digits
  EXPECT_EQ(FormatRatio(30.3, 212), "0.14");

  Report report;
  Contender peer;
  peer.Name = "srovnání č. 1";
  peer.Times = {2};
  report.Operation("řazení", c);
  report.Peer(peer, "totéž");
  peer.Name = "druhé";
  report.Peer(peer, "také");
  report.Mismatch("zkouška");
  EXPECT_EQ(report.Mismatches(), 1);
  const std::string table = report.Table();
  // A header, a rule, one line for the operation with its first peer, one for the second.
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 4);
  // Lines are equally long in characters, whatever their Czech letters.
  std::vector<size_t> widths;
  size_t chars = 0;
  for (const unsigned char ch : table) {
    if (ch == '\n') widths.push_back(chars), chars = 0;
    else chars += (ch & 0xC0) != 0x80;
  }
  for (const size_t w : widths) EXPECT_EQ(w, widths[0]);
  EXPECT_NE(table.find(" 1.5 |"), std::string::npos);  // ratio of 3 ms to 2 ms
}

}  // namespace
}  // namespace bench
