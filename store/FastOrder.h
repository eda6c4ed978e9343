// The sort and seek fast paths of the table store: ranks of the distinct
// texts of a field (a counting sort instead of comparing texts) and the key
// map of a numeric field (SeekNum without a binary search). Both are built
// on demand from the loaded data and the base order, which never change
// while a table is open; Close drops them (they live in FdbCaches,
// FdbAccess.h). Each returns exactly what the plain algorithm in Order.cpp
// returns.
#ifndef KARO_STORE_FASTORDER_H
#define KARO_STORE_FASTORDER_H

#include <cstdint>
#include <memory>
#include <vector>

#include "Fdb.h"

// Ranks of the distinct texts of one field: records whose texts CzechCmp
// finds equal share a rank, and a smaller rank sorts first.
struct FieldRanks {
  int32_t Field = -1;
  uint32_t Classes = 0;
  BigVector<uint16_t> Narrow;  // used when Classes <= 65,536
  BigVector<uint32_t> Wide;    // otherwise
  uint64_t LastUse = 0;
  size_t Bytes() const { return Narrow.size() * 2 + Wide.size() * 4; }
  uint32_t At(uint32_t record) const { return Wide.empty() ? Narrow[record] : Wide[record]; }
};

// The first base-order position of every value of one field, for SeekNum on
// a base order that is non-decreasing in the field (as the detail table's is
// by identifier).
// Strictly increasing values that lie close together (identifiers) are a
// bitmap of the values present with a count of the values before each word:
// a look-up reads no record. Otherwise values are cut into buckets of
// 2^Shift consecutive values, about two records to a bucket, and a look-up
// reads the few records of its bucket.
struct KeyMap {
  int32_t Field = -1;
  bool Usable = false;            // false: the order is not non-decreasing
  BigVector<uint64_t> Present;    // bit v - Min: the value v is held (dense form)
  BigVector<uint32_t> Before;     // per word of Present: values held before it
  BigVector<uint32_t> Starts;     // first base-order position of each bucket (bucket form)
  int32_t Min = 0, Max = 0;
  uint32_t Shift = 0;
  size_t Bytes() const { return Present.capacity() * 8 + (Before.capacity() + Starts.capacity()) * 4; }
};

namespace fdbfast {

// Sorts the current selection by the field into exactly the order of the
// merge sort: a stable sort of the reversed selection. `scratch` has room
// for RecCount entries and may be swapped with the selection. False when the
// fast path does not apply (the caller then merges).
bool SortSelection(TfdbTable& t, int32_t field, BigVector<uint32_t>& scratch);

// SeekNum's answer from the key map, when the base order is current and the
// map applies: true with *found set. False: use the binary search.
bool SeekBaseOrder(const TfdbTable& t, int32_t field, int32_t value, int32_t* found);

// The key map of a numeric field, built now if SeekNum has not built it yet;
// null when the base order is not current or not non-decreasing in the field.
// Not safe while another thread uses the table.
const KeyMap* KeyMapOf(const TfdbTable& t, int32_t field);
// SeekNum's answer on the base order from a usable map of `t`: the first
// position holding the value, or -1. Only reads: safe from several threads.
int32_t FindInMap(const TfdbTable& t, const KeyMap& map, int32_t value);

// The ranks of a text field ('C' or 'T'), built on first use. Null when the
// field has no texts or there is no memory for them.
const FieldRanks* RanksOf(const TfdbTable& t, int32_t field);

}  // namespace fdbfast

#endif  // KARO_STORE_FASTORDER_H
