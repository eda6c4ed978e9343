// What the benchmark asks of a directory: the six typical searches, with
// filter values looked up by name in its pick lists, and the helpers that
// compare what the program and a peer returned.
#ifndef KARO_BENCH_SCENARIO_H
#define KARO_BENCH_SCENARIO_H

#include <cstdint>
#include <string>
#include <vector>

#include "Ours.h"
#include "Search.h"

namespace bench {

struct NamedSearch {
  std::string Label;   // short, for the table
  std::string Values;  // the filter values in full (UTF-8), for the log
  karo::SearchFilter Filter;
};

// The six searches: a surname prefix, a municipality prefix with two
// districts, one specialty with one insurer, one language, a category with a
// facility type, no filter. A named value missing from the directory falls
// back to the list's first entry, which the values text then says.
std::vector<NamedSearch> TypicalSearches(Program& program);

// Identifiers (field 0) of the table's current order, in that order.
std::vector<int64_t> IdsOf(TfdbTable& table);
// The identifiers of `order` (positions into `ids`).
std::vector<int64_t> IdsAt(const std::vector<int64_t>& ids, const std::vector<uint32_t>& order);
// Same identifiers regardless of order (the copies are sorted).
bool SameSet(std::vector<int64_t> a, std::vector<int64_t> b);
// Places where two sequences differ (the longer one's extra places count).
size_t Differences(const std::vector<int64_t>& a, const std::vector<int64_t>& b);

// UTF-8 of a table text, for printing.
std::string Utf8(const char* cp1250);

}  // namespace bench

#endif  // KARO_BENCH_SCENARIO_H
