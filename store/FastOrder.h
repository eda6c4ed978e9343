// Internal to the table store and its fast paths (store/, core/): what a
// table builds on demand from its loaded data, and the access to it.
//
// Everything here depends only on the loaded files (the data and the base
// order), which never change while a table is open; Close drops it all.
#ifndef KARO_STORE_FASTORDER_H
#define KARO_STORE_FASTORDER_H

#include <cstdint>
#include <memory>
#include <vector>

#include "Fdb.h"

// Something a caller outside the store keeps with a table (core's search
// index), dropped with the table's other caches.
class FdbAttachment {
 public:
  virtual ~FdbAttachment() = default;
};

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

class FdbCaches {
 public:
  std::vector<FieldRanks> Ranks;  // most recently used kept within a budget
  uint64_t Clock = 0;
  KeyMap Map;
  int32_t SeekField = -1;  // SeekNum calls on the base order by this field so far
  uint32_t SeekCalls = 0;
  // The array the last sort left over (room for RecCount entries), kept so
  // that the next sort, or an export, does not take fresh memory.
  BigVector<uint32_t> Spare;
  std::unique_ptr<FdbAttachment> Search;
};

// The friend of TfdbTable that the fast paths go through.
class FdbAccess {
 public:
  // Whether Sort, SeekNum and the search use their fast paths (the default).
  // The equivalence tests switch them off to get the plain algorithms.
  static bool FastPaths();
  static void SetFastPaths(bool on);

  static FdbCaches& Caches(const TfdbTable& t);
  static const BigVector<uint32_t>& Base(const TfdbTable& t) { return t.base_; }
  static bool HasBase(const TfdbTable& t) { return t.hasBase_ && t.data_ != nullptr; }
  static bool SelectionCurrent(const TfdbTable& t) { return t.selectionCurrent_; }
  // REQUIRES a field number in range.
  static const TfdbFieldDef& Field(const TfdbTable& t, int32_t f) { return t.fields_[static_cast<size_t>(f)]; }
  static const char* TextAt(const TfdbTable& t, uint32_t offset, const TfdbFieldDef& fd) {
    return t.TextAt(offset, fd);
  }
  static int32_t NumAt(const TfdbTable& t, uint32_t offset, const TfdbFieldDef& fd) { return t.NumAt(offset, fd); }
  // The selection's room (RecCount entries of base-order record numbers), or
  // null without a selection; SetSelected tells how many are valid.
  static uint32_t* SelectionRoom(TfdbTable& t) { return t.hasSelection_ ? t.selection_.data() : nullptr; }
  static void SetSelected(TfdbTable& t, uint32_t count) { t.SelCount = static_cast<int32_t>(count); }
  static BigVector<uint32_t>& Selection(TfdbTable& t) { return t.selection_; }
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

// The digits GetStr renders for a numeric value (none for a negative one)
// into `out`, which has room for 10; returns how many.
int RenderNumber(int32_t value, char* out);

// The ranks of a text field ('C' or 'T'), built on first use. Null when the
// field has no texts or there is no memory for them.
const FieldRanks* RanksOf(const TfdbTable& t, int32_t field);

}  // namespace fdbfast

#endif  // KARO_STORE_FASTORDER_H
