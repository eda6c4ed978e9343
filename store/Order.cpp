// TfdbTable: the base order and the selection, sorting, prefix and numeric seek.
//
// The selection holds base-order record numbers; a record's data offset is
// the base order's entry for it. Sort and SeekNum have fast paths
// (FastOrder.cpp) that return exactly what the plain algorithms below return;
// the plain ones stay as the reference and for what the fast ones do not cover.
#include <algorithm>
#include <cassert>
#include <new>
#include <numeric>
#include <utility>

#include "FdbAccess.h"
#include "Fdb.h"

void TfdbTable::SetOrder(int which) { selectionCurrent_ = (which == 1 && hasSelection_); }

int TfdbTable::BeginSelection() {
  BigVector<uint32_t>().swap(selection_);
  hasSelection_ = selectionCurrent_ = false;
  SelCount = 0;
  SortField = kFdbNotSorted;
  try {
    selection_.resize(RecCount);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  hasSelection_ = true;
  return 0;
}

void TfdbTable::ClearSelection() {
  selectionCurrent_ = false;
  SelCount = 0;
  SortField = kFdbNotSorted;
}

void TfdbTable::AddToSelection(int32_t record) {
  if (!hasSelection_ || static_cast<size_t>(SelCount) >= selection_.size()) return;
  if (static_cast<uint32_t>(record) >= base_.size()) return;
  selection_[static_cast<size_t>(SelCount++)] = static_cast<uint32_t>(record);
}

void TfdbTable::SelectAll() {
  if (!hasSelection_) return;
  assert(selection_.size() == base_.size() && base_.size() == RecCount);
  std::iota(selection_.begin(), selection_.begin() + static_cast<ptrdiff_t>(base_.size()), 0u);
  SelCount = static_cast<int32_t>(base_.size());
}

void TfdbTable::SelectNum(int32_t field, int32_t value) {
  if (!hasSelection_ && BeginSelection() != 0) return;
  SetOrder(0);
  SelCount = 0;
  if (field >= 0 && field < FieldCount && data_) {
    const TfdbFieldDef& fd = fields_[static_cast<size_t>(field)];
    const uint32_t count = static_cast<uint32_t>(base_.size());
    assert(selection_.size() == count);
    for (uint32_t r = 0; r < count; ++r) {
      if (NumAt(base_[r], fd) == value) selection_[static_cast<size_t>(SelCount++)] = r;
    }
  } else if (value == kFdbNumFail) {
    // Every read fails, and the failure value is what was asked for.
    SelectAll();
  }
  SetOrder(1);
}

namespace {

// One bottom-up merge pass of width w from src to dst over n entries. Ties
// take the right run's entry, so equal keys end in reverse order.
template <class Less>
void MergePass(const uint32_t* src, uint32_t* dst, uint64_t n, uint64_t w, Less less) {
  const uint64_t runs = n / w + (n % w ? 1 : 0);
  uint64_t out = 0;
  for (uint64_t j = 0; j < runs; j += 2) {
    uint64_t a = j * w;
    const uint64_t aEnd = std::min((j + 1) * w, n);
    uint64_t b = (j + 1) * w;
    const uint64_t bEnd = std::min(b + w, n);
    while (a < aEnd || b < bEnd) {
      if (a >= aEnd) dst[out++] = src[b++];
      else if (b >= bEnd) dst[out++] = src[a++];
      else if (less(src[a], src[b])) dst[out++] = src[a++];
      else dst[out++] = src[b++];
    }
  }
}

}  // namespace

void TfdbTable::Sort(int32_t field) {
  if (fields_.empty() || !data_) {
    SortField = field;
    return;
  }
  if (!hasSelection_) {
    if (BeginSelection() != 0) return;
    SelectAll();
  }
  BigVector<uint32_t> scratch;
  const bool fast = FdbAccess::FastPaths();
  // The fast path keeps the array a sort leaves over for the next one, so
  // that a sort does not touch fresh memory.
  if (fast) scratch.swap(FdbAccess::Caches(*this).Spare);
  try {
    scratch.resize(RecCount);
  } catch (const std::bad_alloc&) {
    return;
  }
  SetOrder(1);
  if (!fast || !fdbfast::SortSelection(*this, field, scratch)) SortMerge(field, scratch);
  if (fast) FdbAccess::Caches(*this).Spare.swap(scratch);
  SortField = field;
}

// The bottom-up merge sort by comparisons through the value reads.
void TfdbTable::SortMerge(int32_t field, BigVector<uint32_t>& scratch) {
  const uint64_t n = static_cast<uint64_t>(SelCount);
  assert(SelCount >= 0 && n <= selection_.size() && scratch.size() >= n);
  BigVector<uint32_t>* source = &selection_;
  BigVector<uint32_t>* target = &scratch;
  const bool known = field >= 0 && field < FieldCount;
  const TfdbFieldDef fd = known ? fields_[static_cast<size_t>(field)] : TfdbFieldDef{};
  const uint32_t* base = base_.data();
  for (uint64_t w = 1; w < n; w *= 2) {
    if (!known) {
      // Every read fails alike: all keys are equal.
      MergePass(source->data(), target->data(), n, w, [](uint32_t, uint32_t) { return false; });
    } else if (fd.Type == 'N') {
      MergePass(source->data(), target->data(), n, w,
                [&](uint32_t a, uint32_t b) { return NumAt(base[a], fd) < NumAt(base[b], fd); });
    } else {
      MergePass(source->data(), target->data(), n, w, [&](uint32_t a, uint32_t b) {
        return CzechCmp(TextAt(base[a], fd), TextAt(base[b], fd)) < 0;
      });
    }
    std::swap(source, target);
  }
  if (source != &selection_) selection_.swap(scratch);
}

int32_t TfdbTable::FindPrefix(int32_t field, const char* key) {
  if (fields_.empty() || field < 0 || field >= FieldCount) return -1;
  if (!key) key = "";
  const uint32_t count = CurCount();
  for (uint32_t i = 0; i < count; ++i) {
    if (PrefixCmp(key, GetStr(static_cast<int32_t>(i), field)) == 0) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t TfdbTable::SeekNum(int32_t field, int32_t value) const {
  if (fields_.empty() || field < 0 || field >= FieldCount || CurCount() == 0) return -1;
  int32_t found = -1;
  if (FdbAccess::FastPaths() && fdbfast::SeekBaseOrder(*this, field, value, &found)) return found;
  return SeekNumSearch(field, value);
}

// The binary search through the value reads.
int32_t TfdbTable::SeekNumSearch(int32_t field, int32_t value) const {
  assert(CurCount() > 0);
  int32_t lo = 0;
  int32_t hi = static_cast<int32_t>(CurCount() - 1);
  bool loMoved = false;
  bool hiMoved = false;
  while (hi - lo > 1) {
    int32_t mid = lo + (hi - lo) / 2;
    const int32_t v = GetNum(mid, field);
    if (v == value) {
      while (mid > 0 && GetNum(mid - 1, field) == value) --mid;
      return mid;
    }
    if (v < value) {
      lo = mid;
      loMoved = true;
    } else {
      hi = mid;
      hiMoved = true;
    }
  }
  if (!loMoved && GetNum(lo, field) == value) return lo;
  if (!hiMoved && GetNum(hi, field) == value) return hi;
  return -1;
}
