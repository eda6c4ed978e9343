// For the tests that hold the fast paths to the plain algorithms: random
// filters, and random directories opened twice, once for each.
#ifndef KARO_TESTS_SUPPORT_TWINS_H
#define KARO_TESTS_SUPPORT_TWINS_H

#include <cstdint>

#include "Fdb.h"
#include "RandomTables.h"
#include "Search.h"
#include "TestDir.h"

namespace karo::test {

// A filter of random kinds: text keys that mostly begin some stored text of
// `t`, codes of every list (positions above 255 too), now and then none.
SearchFilter RandomFilter(Rng& rng, TfdbTable& t);

// The search and detail tables of one directory, opened twice.
struct Twin {
  TfdbTable Fast, Plain, FastDetail, PlainDetail;
};
void OpenTwin(const TestDir& dir, Twin* t);
// Random tables of `records` providers (the detail table in identifier
// order), opened twice.
void WriteAndOpenTwin(const TestDir& dir, Rng& rng, uint32_t records, Twin* t);

}  // namespace karo::test

#endif  // KARO_TESTS_SUPPORT_TWINS_H
