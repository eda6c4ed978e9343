// Random tables for the tests that hold the fast paths to the plain
// algorithms: few distinct texts (so that keys tie), Czech letters, "ch" in
// every case, bytes the folding leaves alone, empty texts and lists, codes
// above 255. The seed is printed by the tests that use them.
#ifndef KARO_TESTS_RANDOMTABLES_H
#define KARO_TESTS_RANDOMTABLES_H

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "TableWriter.h"
#include "TestDir.h"

namespace karo::test {

using Rng = std::mt19937_64;

// A text of 0 to 4 pieces drawn from a small set.
std::string RandomText(Rng& rng);

// A search table "pseek" of `count` records with the builder's 13 fields;
// district and facility type are 2 bytes wide, so codes above 255 occur.
// Field 0 is the record's number in base order.
void WriteRandomSearchTable(const TestDir& dir, Rng& rng, uint32_t count);

// A detail table "moskyti": field 0 non-decreasing (repeats and gaps), a
// field "PSC"; `sorted` false shuffles the records.
void WriteRandomDetailTable(const TestDir& dir, Rng& rng, uint32_t count, bool sorted);

}  // namespace karo::test

#endif  // KARO_TESTS_RANDOMTABLES_H
