#include "ExportFast.h"

#include <algorithm>
#include <condition_variable>
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
constexpr size_t kChunk = size_t{1} << 16;  // bytes handed over at a time
constexpr size_t kQueued = 16;            // chunks waiting for the sink at most

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

// The plain export's reads and bytes, batch by batch; the memory of batch
// b + 1 is fetched while batch b is written.
void Format(TfdbTable& search, TfdbTable& detail, Queue& queue) {
  std::string buffer = kExportHeader;
  buffer.reserve(kChunk + 4096);
  const int psc = detail.FieldIndex("PSC");
  const uint32_t count = search.CurCount();
  // Positions ahead of time when both tables are loaded and the detail
  // table's base order is current, as the window keeps it.
  // Not for an order that runs through the table forwards (the base order,
  // a result not sorted): there each look-up reads the detail record that
  // is written next, and both tables are read front to back.
  bool ahead = FdbAccess::HasBase(search) && search.FieldCount > kSearchLevel &&
               uint64_t{count} * 8 >= search.RecCount && FdbAccess::HasBase(detail) &&
               !FdbAccess::SelectionCurrent(detail) && FdbAccess::SelectionCurrent(search) &&
               !std::is_sorted(FdbAccess::Selection(search).begin(), FdbAccess::Selection(search).begin() + count);
  Borrowed spare(search);
  try {
    if (ahead) DetailPositions(search, detail, &spare.v);
  } catch (const std::bad_alloc&) {
    ahead = false;  // look each one up as it comes
  }
  const uint32_t* positions = spare.v.data();
  auto position = [&](uint32_t r) { return static_cast<int32_t>(positions[r]); };
  const uint32_t* order = nullptr;  // base-order record of each position of the current order
  if (ahead && FdbAccess::SelectionCurrent(search)) order = FdbAccess::Selection(search).data();
  const uint32_t* sbase = ahead ? FdbAccess::Base(search).data() : nullptr;
  const uint32_t* dbase = ahead ? FdbAccess::Base(detail).data() : nullptr;
  auto recordOf = [&](uint32_t i) { return order ? order[i] : i; };
  auto fetch = [&](uint32_t from, int stage) {
    const uint32_t to = from + kBatch < count ? from + kBatch : count;
    for (uint32_t i = from; i < to; ++i) {
      const uint32_t r = recordOf(i);
      if (stage == 0) {
        __builtin_prefetch(sbase + r);
        __builtin_prefetch(positions + r);
      } else if (stage == 1) {
        __builtin_prefetch(search.DataBegin() + sbase[r]);
        __builtin_prefetch(search.DataBegin() + sbase[r] + 64);
        if (position(r) >= 0) __builtin_prefetch(dbase + position(r));
      } else if (position(r) >= 0) {
        const unsigned char* d = detail.DataBegin() + dbase[position(r)];
        __builtin_prefetch(d);
        __builtin_prefetch(d + 64);
      }
    }
  };
  for (uint32_t first = 0; first < count; first += kBatch) {
    const uint32_t n = count - first < kBatch ? count - first : kBatch;
    if (ahead) {
      if (first == 0) {
        fetch(0, 0), fetch(kBatch, 0), fetch(0, 1);
      }
      fetch(first + 3 * kBatch, 0);
      fetch(first + 2 * kBatch, 1);
      fetch(first + kBatch, 2);
      if (first == 0) fetch(0, 2);
    }
    for (uint32_t k = 0; k < n; ++k) {
      const int32_t i = static_cast<int32_t>(first + k);
      if (search.GetNum(i, kSearchLevel) <= 1) continue;  // level 1, or not readable
      const int32_t p = ahead ? position(recordOf(first + k)) : detail.SeekNum(0, search.GetNum(i, kSearchId));
      // Appended one by one: a numeric field's text lasts until the next read.
      for (const int32_t field : {kSearchWorkplace, kSearchSurname, kSearchStreet, kSearchMunicipality}) {
        buffer += search.GetStr(i, field);
        buffer += '\t';
      }
      if (p != -1) buffer += psc < 0 ? kFdbFieldNotFound : detail.GetStr(p, psc);
      buffer += "\r\n";
    }
    if (buffer.size() >= kChunk) {
      if (!queue.Push(std::move(buffer))) return;
      buffer = std::string();
      buffer.reserve(kChunk + 4096);
    }
  }
  if (!buffer.empty()) queue.Push(std::move(buffer));
}

}  // namespace

bool Write(TfdbTable& search, TfdbTable& detail, ByteSink& sink) {
  Queue queue;
  std::exception_ptr failure;
  std::thread formatter;
  try {
    formatter = std::thread([&] {
      try {
        Format(search, detail, queue);
      } catch (...) {
        failure = std::current_exception();
      }
      queue.Finish();
    });
  } catch (const std::system_error&) {
    return WriteExportReference(search, detail, sink);  // no second thread to be had
  }
  bool ok = true;
  std::string chunk;
  while (queue.Pop(&chunk)) {
    if (ok && !sink.Write(chunk.data(), chunk.size())) {
      ok = false;
      queue.Stop();
    }
  }
  formatter.join();
  if (failure) std::rethrow_exception(failure);
  return ok;
}

}  // namespace karo::exportfast
