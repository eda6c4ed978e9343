#include "ExportFast.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>

#include "Export.h"
#include "FastOrder.h"
#include "Search.h"

namespace karo::exportfast {

namespace {

constexpr uint32_t kBatch = 32;           // records whose memory is fetched together
constexpr size_t kQueued = 16;            // chunks waiting for the sink at most, per thread

// Finished chunks from the formatting thread to the writing one.
class Queue {
 public:
  // False when the writer has given up.
  bool Push(std::string&& chunk) {
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [&] { return chunks_.size() < kQueued || stop_; });
    if (stop_) return false;
    chunks_.push_back(std::move(chunk));
    ready_.notify_one();
    return true;
  }
  // False when everything has been taken.
  bool Pop(std::string* chunk) {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [&] { return !chunks_.empty() || done_; });
    if (chunks_.empty()) return false;
    *chunk = std::move(chunks_.front());
    chunks_.pop_front();
    room_.notify_one();
    return true;
  }
  void Finish() {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
    ready_.notify_one();
  }
  void Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    room_.notify_one();
  }

 private:
  std::mutex mutex_;
  std::condition_variable room_, ready_;
  std::deque<std::string> chunks_;
  bool done_ = false, stop_ = false;
};

// Where each exported record's detail record is: SeekNum of its identifier,
// asked once per record in base order (identifiers in the detail table's
// order, so the look-ups walk its key map forwards), as a signed number
// (-1: none, or not exported). Kept in the search table's spare array.
void DetailPositions(TfdbTable& search, TfdbTable& detail, BigVector<uint32_t>* found) {
  const BigVector<uint32_t>& base = FdbAccess::Base(search);
  const TfdbFieldDef& id = FdbAccess::Field(search, kSearchId);
  const TfdbFieldDef& level = FdbAccess::Field(search, kSearchLevel);
  found->resize(base.size());
  for (size_t r = 0; r < base.size(); ++r) {
    int32_t p = -1;
    if (FdbAccess::NumAt(search, base[r], level) > 1) p = detail.SeekNum(0, FdbAccess::NumAt(search, base[r], id));
    (*found)[r] = static_cast<uint32_t>(p);
  }
}

// Lends the table's spare array and takes it back on every exit.
class Borrowed {
 public:
  explicit Borrowed(TfdbTable& t) : t_(t) { v.swap(FdbAccess::Caches(t).Spare); }
  ~Borrowed() { v.swap(FdbAccess::Caches(t_).Spare); }
  BigVector<uint32_t> v;

 private:
  TfdbTable& t_;
};

// The plain export's reads and bytes, on one thread, for orders that run
// through the tables front to back (the base order, a result not sorted):
// there each look-up reads the detail record that is written next.
void Format(TfdbTable& search, TfdbTable& detail, Queue& queue) {
  WriteExportLines(search, detail, std::string(), [&](std::string* chunk) { return queue.Push(std::move(*chunk)); });
}

// GetStr of a record by its data offset, appended, without the shared
// numeric buffer (two threads format at once). Null field: out of range.
void AppendText(const TfdbTable& t, uint32_t offset, const TfdbFieldDef* fd, std::string* out) {
  if (!fd) {
    *out += kFdbEof;
  } else if (fd->Type == 'N') {
    const int32_t v = FdbAccess::NumAt(t, offset, *fd);
    if (v >= 0) *out += std::to_string(v);  // a negative value reads as the empty text
  } else {
    *out += FdbAccess::TextAt(t, offset, *fd);
  }
}

// What the two formatting threads of a sorted result share, read only:
// every exported record's detail position is known before they start.
struct Sorted {
  const TfdbTable* Search;
  const TfdbTable* Detail;
  uint32_t Count;
  const uint32_t* Order;      // base-order record of each position
  const uint32_t* Positions;  // detail position of each base-order record, as int32
  const uint32_t* SearchBase;
  const uint32_t* DetailBase;
  const TfdbFieldDef* Level;
  const TfdbFieldDef* Fields[4];  // workplace, surname, street, municipality
  const TfdbFieldDef* Psc;        // null: the detail table has no such field
};

// Positions a thread formats at a time: the block's text (some 40 KiB) stays
// below the size that malloc takes fresh from the system for each block.
constexpr uint32_t kBlock = 512;

// Blocks k, k + 2, k + 4, ... of the result, with the memory of each batch
// fetched a few batches ahead.
void FormatBlocks(const Sorted& s, uint32_t k, uint32_t threads, Queue& queue) {
  const unsigned char* sdata = s.Search->DataBegin();
  const unsigned char* ddata = s.Detail->DataBegin();
  auto position = [&](uint32_t r) { return static_cast<int32_t>(s.Positions[r]); };
  for (uint64_t from = uint64_t{k} * kBlock; from < s.Count; from += uint64_t{threads} * kBlock) {
    const uint32_t begin = static_cast<uint32_t>(from);
    const uint32_t end = s.Count - begin < kBlock ? s.Count : begin + kBlock;
    auto fetch = [&](uint32_t at, int stage) {
      const uint32_t to = at + kBatch < end ? at + kBatch : end;
      for (uint32_t i = at; i < to; ++i) {
        const uint32_t r = s.Order[i];
        if (stage == 0) {
          __builtin_prefetch(s.SearchBase + r);
          __builtin_prefetch(s.Positions + r);
        } else if (stage == 1) {
          __builtin_prefetch(sdata + s.SearchBase[r]);
          __builtin_prefetch(sdata + s.SearchBase[r] + 64);
          if (position(r) >= 0) __builtin_prefetch(s.DetailBase + position(r));
        } else if (position(r) >= 0) {
          const unsigned char* d = ddata + s.DetailBase[position(r)];
          __builtin_prefetch(d);
          __builtin_prefetch(d + 64);
        }
      }
    };
    std::string buffer;
    buffer.reserve(size_t{kBlock} * 80);
    fetch(begin, 0), fetch(begin + kBatch, 0), fetch(begin + 2 * kBatch, 0);
    fetch(begin, 1), fetch(begin + kBatch, 1), fetch(begin, 2);
    for (uint32_t first = begin; first < end; first += kBatch) {
      fetch(first + 3 * kBatch, 0);
      fetch(first + 2 * kBatch, 1);
      fetch(first + kBatch, 2);
      const uint32_t last = end - first < kBatch ? end : first + kBatch;
      for (uint32_t i = first; i < last; ++i) {
        const uint32_t r = s.Order[i];
        const uint32_t offset = s.SearchBase[r];
        if (FdbAccess::NumAt(*s.Search, offset, *s.Level) <= 1) continue;  // level 1, or not readable
        for (const TfdbFieldDef* fd : s.Fields) {
          AppendText(*s.Search, offset, fd, &buffer);
          buffer += '\t';
        }
        const int32_t p = position(r);
        if (p != -1) {
          if (s.Psc) AppendText(*s.Detail, s.DetailBase[p], s.Psc, &buffer);
          else buffer += kFdbFieldNotFound;
        }
        buffer += "\r\n";
      }
    }
    if (!queue.Push(std::move(buffer))) return;
  }
}

// Writes what the threads hand over, in order; stops them at a refusal.
bool Drain(Queue* queues, size_t threads, ByteSink& sink) {
  bool ok = true;
  std::string chunk;
  for (size_t b = 0;; ++b) {
    if (!queues[b % threads].Pop(&chunk)) break;
    if (ok && !sink.Write(chunk.data(), chunk.size())) {
      ok = false;
      for (size_t q = 0; q < threads; ++q) queues[q].Stop();
    }
  }
  return ok;
}

}  // namespace

bool Write(TfdbTable& search, TfdbTable& detail, ByteSink& sink) {
  const uint32_t count = search.CurCount();
  // A sorted result of both loaded tables, the detail table's base order
  // current (as the window keeps it): look-ups ahead, two threads.
  const bool sorted = FdbAccess::HasBase(search) && search.FieldCount > kSearchLevel &&
                      uint64_t{count} * 8 >= search.RecCount && FdbAccess::HasBase(detail) &&
                      !FdbAccess::SelectionCurrent(detail) && FdbAccess::SelectionCurrent(search) &&
                      !std::is_sorted(FdbAccess::Selection(search).begin(),
                                      FdbAccess::Selection(search).begin() + count);
  Borrowed spare(search);
  Sorted plan{};
  if (sorted) {
    try {
      DetailPositions(search, detail, &spare.v);
    } catch (const std::bad_alloc&) {
      return WriteExportReference(search, detail, sink);
    }
    plan.Search = &search;
    plan.Detail = &detail;
    plan.Count = count;
    plan.Order = FdbAccess::Selection(search).data();
    plan.Positions = spare.v.data();
    plan.SearchBase = FdbAccess::Base(search).data();
    plan.DetailBase = FdbAccess::Base(detail).data();
    plan.Level = &FdbAccess::Field(search, kSearchLevel);
    const int32_t fields[4] = {kSearchWorkplace, kSearchSurname, kSearchStreet, kSearchMunicipality};
    for (int f = 0; f < 4; ++f) {
      plan.Fields[f] = fields[f] < search.FieldCount ? &FdbAccess::Field(search, fields[f]) : nullptr;
    }
    const int psc = detail.FieldIndex("PSC");
    plan.Psc = psc < 0 ? nullptr : &FdbAccess::Field(detail, psc);
  }
  const size_t threads = sorted ? 2 : 1;
  Queue queues[2];
  std::exception_ptr failures[2];
  std::thread formatters[2];
  auto stopAll = [&](size_t started) {
    for (size_t k = 0; k < started; ++k) queues[k].Stop();
    for (size_t k = 0; k < started; ++k) formatters[k].join();
  };
  for (size_t k = 0; k < threads; ++k) {
    try {
      formatters[k] = std::thread([&, k] {
        try {
          if (sorted) FormatBlocks(plan, static_cast<uint32_t>(k), static_cast<uint32_t>(threads), queues[k]);
          else Format(search, detail, queues[k]);
        } catch (...) {
          failures[k] = std::current_exception();
        }
        queues[k].Finish();
      });
    } catch (const std::system_error&) {
      stopAll(k);
      return WriteExportReference(search, detail, sink);  // no threads to be had
    }
  }
  if (!sink.Write(kExportHeader, std::strlen(kExportHeader))) {
    stopAll(threads);
    return false;
  }
  const bool ok = Drain(queues, threads, sink);
  stopAll(threads);  // (a thread that failed leaves the other waiting)
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
  return ok;
}

}  // namespace karo::exportfast
