// The one door into a TfdbTable's internals, for the store's own fast paths
// (FastOrder.cpp) and for core's (the search index, the fast export): what a
// table builds on demand from its loaded data, and read access to its base
// order, selection and field descriptors.
//
// Nothing else outside Fdb.cpp and Order.cpp reaches inside a table. What
// goes through here REQUIRES what each accessor says; the accessors check
// nothing, so a caller checks HasBase and field numbers first.
#ifndef KARO_STORE_FDBACCESS_H
#define KARO_STORE_FDBACCESS_H

#include <cassert>
#include <cstdint>
#include <memory>
#include <vector>

#include "FastOrder.h"
#include "Fdb.h"

// Something a caller outside the store keeps with a table (core's search
// index), dropped with the table's other caches.
class FdbAttachment {
 public:
  virtual ~FdbAttachment() = default;
};

// What a table keeps beside its loaded data, built on demand from it; Close
// drops it all.
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
  static const TfdbFieldDef& Field(const TfdbTable& t, int32_t f) {
    assert(f >= 0 && f < t.FieldCount);
    return t.fields_[static_cast<size_t>(f)];
  }
  static const char* TextAt(const TfdbTable& t, uint32_t offset, const TfdbFieldDef& fd) {
    return t.TextAt(offset, fd);
  }
  static int32_t NumAt(const TfdbTable& t, uint32_t offset, const TfdbFieldDef& fd) { return t.NumAt(offset, fd); }
  // The selection's room (RecCount entries of base-order record numbers), or
  // null without a selection; SetSelected tells how many are valid.
  static uint32_t* SelectionRoom(TfdbTable& t) { return t.hasSelection_ ? t.selection_.data() : nullptr; }
  static void SetSelected(TfdbTable& t, uint32_t count) {
    assert(t.hasSelection_ && count <= t.selection_.size());
    t.SelCount = static_cast<int32_t>(count);
  }
  static BigVector<uint32_t>& Selection(TfdbTable& t) { return t.selection_; }
};

#endif  // KARO_STORE_FDBACCESS_H
