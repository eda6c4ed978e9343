// The export's fast path: two threads format the result from the loaded bytes, byte for byte as the plain export.
#include "ExportFast.h"

#include <algorithm>
#include <cassert>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Coding.h"
#include "Export.h"
#include "FdbAccess.h"
#include "Search.h"

namespace karo::exportfast {

namespace {

constexpr uint32_t kThreads = 2;          // formatting threads
constexpr uint32_t kBlock = 4096;         // positions of the order a thread formats into one chunk, at most
constexpr uint32_t kBlocksAtLeast = 16;   // a small result still gives both threads work
constexpr uint32_t kStep = 16;            // records between the steps of fetching a sorted result's memory
constexpr uint32_t kAhead = 24;           // records fetched ahead in an order that runs forwards
constexpr size_t kChunksPerThread = 4;    // chunks a thread has, finished or being filled
constexpr size_t kChunkRoom = 320 << 10;  // a chunk's first size: a block of typical lines
constexpr size_t kLineRoom = 256;         // room made before each line (longer texts grow it)

// One piece of the export's text, kept and used again.
struct Chunk {
  std::unique_ptr<char[]> Bytes;
  size_t Room = 0, Size = 0;
};

// One formatting thread's chunks: finished ones on their way to the writer,
// written ones on their way back.
class Lane {
 public:
  // A chunk to fill; false when the writer has given up.
  bool Take(Chunk* chunk) {
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [&] { return !spare_.empty() || made_ < kChunksPerThread || stop_; });
    if (stop_) return false;
    if (spare_.empty()) {
      ++made_;
      *chunk = Chunk{};
    } else {
      *chunk = std::move(spare_.back());
      spare_.pop_back();
    }
    return true;
  }
  bool Give(Chunk&& chunk) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stop_) return false;
    full_.push_back(std::move(chunk));
    ready_.notify_one();
    return true;
  }
  // The next finished chunk; false when everything has been taken.
  bool Next(Chunk* chunk) {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [&] { return !full_.empty() || done_; });
    if (full_.empty()) return false;
    *chunk = std::move(full_.front());
    full_.pop_front();
    return true;
  }
  void Return(Chunk&& chunk) {
    std::lock_guard<std::mutex> lock(mutex_);
    spare_.push_back(std::move(chunk));
    room_.notify_one();
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
  std::deque<Chunk> full_;
  std::vector<Chunk> spare_;
  size_t made_ = 0;
  bool done_ = false, stop_ = false;
};

// Appends to a chunk, growing it when a text does not fit.
class Out {
 public:
  explicit Out(Chunk& chunk) : chunk_(chunk) {
    if (chunk.Room < kChunkRoom) {
      chunk.Bytes.reset(new char[kChunkRoom]);
      chunk.Room = kChunkRoom;
    }
    at_ = chunk.Bytes.get();
    end_ = at_ + chunk.Room;
  }
  void Reserve(size_t n) {
    if (static_cast<size_t>(end_ - at_) < n) Grow(n);
  }
  void Put(const char* text, size_t n) {
    Reserve(n);
    std::memcpy(at_, text, n);
    at_ += n;
  }
  void Put(char c) { *at_++ = c; }  // REQUIRES room (Reserve)
  // The zero-terminated text at p. `stop` is the end of what may be read:
  // the data's zero padding holds a terminator before it.
  void PutText(const unsigned char* p, const unsigned char* stop) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    while (p + 16 <= stop) {
      if (end_ - at_ < 16) Grow(16);
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(at_), v);
      const unsigned zeros = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)));
      if (zeros != 0) {
        at_ += __builtin_ctz(zeros);
        return;
      }
      at_ += 16;
      p += 16;
    }
#endif
    const char* text = reinterpret_cast<const char*>(p);
    Put(text, std::strlen(text));
  }
  // As GetStr renders a number.
  void PutNumber(int32_t value) {
    Reserve(12);
    at_ += fdbcoding::RenderNumber(value, at_);
  }
  size_t Size() const { return static_cast<size_t>(at_ - chunk_.Bytes.get()); }

 private:
  void Grow(size_t n) {
    const size_t size = Size();
    size_t room = chunk_.Room * 2;
    while (room < size + n) room *= 2;
    std::unique_ptr<char[]> bytes(new char[room]);
    std::memcpy(bytes.get(), chunk_.Bytes.get(), size);
    chunk_.Bytes = std::move(bytes);
    chunk_.Room = room;
    at_ = chunk_.Bytes.get() + size;
    end_ = chunk_.Bytes.get() + room;
  }

  Chunk& chunk_;
  char* at_;
  char* end_;
};

// One table's loaded bytes, as the formatting threads read them.
struct Table {
  const TfdbTable* T = nullptr;
  const unsigned char* Data = nullptr;
  uint64_t Size = 0;
  const unsigned char* Stop = nullptr;  // Data + Size + the zero padding
  const uint32_t* Base = nullptr;

  void Set(const TfdbTable& t) {
    T = &t;
    Data = t.DataBegin();
    Size = static_cast<uint64_t>(t.DataEnd() - Data);
    Stop = t.DataEnd() + TfdbDataBlock::kPad;
    Base = FdbAccess::Base(t).data();
  }
  // GetNum of the record at `offset`.
  int32_t Num(uint32_t offset, const TfdbFieldDef& fd) const {
    if (fd.Type != 'N' || fd.Width == 0 || fd.Width > 4) return FdbAccess::NumAt(*T, offset, fd);
    const unsigned char* p = Data + offset + fd.Slot;  // the table checked that inline slots fit
    return static_cast<int32_t>(fdbcoding::DecodeFixed(p, fd.Width));
  }
  // GetStr of the record at `offset`, appended; a null field is one out of
  // range. Without the shared numeric buffer: two threads format at once.
  void Text(uint32_t offset, const TfdbFieldDef* fd, Out& out) const {
    const char type = fd ? fd->Type : 0;
    if (type == 'T') {
      const uint64_t at = offset + uint64_t{fdbcoding::DecodeFixed16(Data + offset + fd->Slot)};
      if (at < Size) return out.PutText(Data + at, Stop);
    } else if (type == 'C') {
      return out.PutText(Data + offset + fd->Slot, Stop);
    } else if (type == 'N') {
      return out.PutNumber(Num(offset, *fd));
    }
    out.Put(kFdbEof, std::strlen(kFdbEof));
  }
};

// Where a record's detail record is found.
enum class Detail {
  None,       // nowhere: the detail table has no records (SeekNum finds nothing)
  Map,        // the same position in base order if it holds the identifier, else the key map
  Positions,  // asked of SeekNum before the threads start
};

// What the formatting threads share, read only.
struct Plan {
  Table Search, Details;
  uint32_t Count = 0;
  const uint32_t* Order = nullptr;  // base-order record of each position; null: the base order itself
  const TfdbFieldDef* Level = nullptr;
  const TfdbFieldDef* Id = nullptr;
  const TfdbFieldDef* Fields[4] = {};  // workplace, surname, street, municipality; null: out of range
  Detail How = Detail::None;
  const uint32_t* Positions = nullptr;  // Detail::Positions: per base-order record, as int32
  const KeyMap* Map = nullptr;          // Detail::Map
  const TfdbFieldDef* DetailId = nullptr;
  bool Strict = false;                  // the detail identifiers increase strictly
  const uint32_t* DetailOrder = nullptr;  // the detail table's current order, null: its base order
  const TfdbFieldDef* Psc = nullptr;    // null: the detail table has no such field
  uint32_t DetailsAhead = 0;            // Detail::Map: the detail records, else 0

  uint32_t RecordAt(uint32_t i) const { return Order ? Order[i] : i; }
  uint32_t DetailOffset(int32_t p) const {
    const uint32_t at = static_cast<uint32_t>(p);
    assert(p >= 0 && at < Details.T->CurCount());
    return Details.Base[DetailOrder ? DetailOrder[at] : at];
  }
  // SeekNum(0, id) on the detail table for base-order record r of the search.
  int32_t DetailOf(uint32_t r, int32_t id) const {
    if (How == Detail::Positions) return static_cast<int32_t>(Positions[r]);
    if (How == Detail::None) return -1;
    // The builder writes both tables in identifier order: mostly the same position.
    if (r < Details.T->RecCount && Details.Num(Details.Base[r], *DetailId) == id &&
        (Strict || r == 0 || Details.Num(Details.Base[r - 1], *DetailId) != id)) {
      return static_cast<int32_t>(r);
    }
    return fdbfast::FindInMap(*Details.T, *Map, id);
  }
  // Fetches the memory of base-order record r ahead of its use: step 0 its
  // entries of the base orders, 1 the search record, 2 the detail record of
  // an exported one.
  void Fetch(uint32_t r, int step) const {
    if (step == 0) {
      __builtin_prefetch(Search.Base + r);
      if (How == Detail::Positions) __builtin_prefetch(Positions + r);
      else if (r < DetailsAhead) __builtin_prefetch(Details.Base + r);
    } else if (step == 1) {
      const unsigned char* s = Search.Data + Search.Base[r];
      __builtin_prefetch(s);
      __builtin_prefetch(s + 64);
      __builtin_prefetch(s + 127);
    } else if (Search.Num(Search.Base[r], *Level) > 1) {
      uint32_t offset = 0;
      if (How == Detail::Positions) {
        const int32_t p = static_cast<int32_t>(Positions[r]);
        if (p < 0) return;
        offset = DetailOffset(p);
      } else if (r < DetailsAhead) {
        offset = Details.Base[r];
      } else {
        return;
      }
      __builtin_prefetch(Details.Data + offset);
      __builtin_prefetch(Details.Data + offset + 64);
    }
  }
  // Fetches the detail record of base-order record r, in an order that runs
  // through the tables front to back. (The search records need no help: the
  // processor fetches them ahead by itself, and fetching them too was slower.)
  void Ahead(uint32_t r) const {
    if (r < DetailsAhead) __builtin_prefetch(Details.Data + Details.Base[r]);
  }
  void Line(uint32_t r, Out& out) const {
    const uint32_t offset = Search.Base[r];
    if (Search.Num(offset, *Level) <= 1) return;  // level 1, or not readable
    out.Reserve(kLineRoom);
    for (const TfdbFieldDef* fd : Fields) {
      Search.Text(offset, fd, out);
      out.Reserve(kLineRoom);
      out.Put('\t');
    }
    const int32_t p = DetailOf(r, Search.Num(offset, *Id));
    if (p != -1) {
      if (Psc) Details.Text(DetailOffset(p), Psc, out);
      else out.Put(kFdbFieldNotFound, std::strlen(kFdbFieldNotFound));
    }
    out.Reserve(2);
    out.Put('\r');
    out.Put('\n');
  }
  // Positions [begin, end) of the order.
  void Block(uint32_t begin, uint32_t end, Out& out) const {
    // An order that runs forwards through nearly every record (the base
    // order, a result not sorted that holds most records): the processor
    // fetches the search records by itself. Otherwise every record's memory
    // is fetched ahead.
    const bool forwards = !Order || (Order[end - 1] >= Order[begin] && Order[end - 1] - Order[begin] < 2 * (end - begin) &&
                                     std::is_sorted(Order + begin, Order + end));
    if (forwards) {
      for (uint32_t i = begin; i < end; ++i) {
        if (i + kAhead < Count) Ahead(RecordAt(i + kAhead));
        Line(RecordAt(i), out);
      }
      return;
    }
    // Each record's memory in three steps, kStep records apart, one record
    // of each step at a time: bursts of fetches were dropped.
    for (uint32_t i = begin; i < end && i < begin + 3 * kStep; ++i) Fetch(Order[i], 0);
    for (uint32_t i = begin; i < end && i < begin + 2 * kStep; ++i) Fetch(Order[i], 1);
    for (uint32_t i = begin; i < end && i < begin + kStep; ++i) Fetch(Order[i], 2);
    for (uint32_t i = begin; i < end; ++i) {
      if (i + 3 * kStep < end) Fetch(Order[i + 3 * kStep], 0);
      if (i + 2 * kStep < end) Fetch(Order[i + 2 * kStep], 1);
      if (i + kStep < end) Fetch(Order[i + kStep], 2);
      Line(Order[i], out);
    }
  }
};

// Blocks k, k + kThreads, ... of the order, each into one chunk.
void FormatBlocks(const Plan& plan, uint32_t k, Lane& lane) {
  const uint32_t block = std::min(kBlock, std::max(uint32_t{256}, plan.Count / kBlocksAtLeast));
  for (uint64_t from = uint64_t{k} * block; from < plan.Count; from += uint64_t{kThreads} * block) {
    const uint32_t begin = static_cast<uint32_t>(from);
    const uint32_t end = plan.Count - begin < block ? plan.Count : begin + block;
    Chunk chunk;
    if (!lane.Take(&chunk)) return;
    Out out(chunk);
    plan.Block(begin, end, out);
    chunk.Size = out.Size();
    if (!lane.Give(std::move(chunk))) return;
  }
}

// Where each exported record's detail record is: SeekNum of its identifier,
// asked once per record in base order, as a signed number (-1: none, or not
// exported). Kept in the search table's spare array.
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

// Everything the threads need; false when the fast path does not apply.
bool MakePlan(TfdbTable& search, TfdbTable& detail, Borrowed& spare, Plan* plan) {
  if (!FdbAccess::HasBase(search) || search.FieldCount <= kSearchLevel) return false;
  plan->Search.Set(search);
  plan->Count = search.CurCount();
  if (FdbAccess::SelectionCurrent(search)) plan->Order = FdbAccess::Selection(search).data();
  plan->Level = &FdbAccess::Field(search, kSearchLevel);
  plan->Id = &FdbAccess::Field(search, kSearchId);
  const int32_t fields[4] = {kSearchWorkplace, kSearchSurname, kSearchStreet, kSearchMunicipality};
  for (int f = 0; f < 4; ++f) plan->Fields[f] = fields[f] < search.FieldCount ? &FdbAccess::Field(search, fields[f]) : nullptr;
  if (detail.FieldCount < 1 || detail.CurCount() == 0) return true;  // SeekNum finds nothing
  if (!FdbAccess::HasBase(detail)) return false;
  plan->Details.Set(detail);
  const int psc = detail.FieldIndex("PSC");
  plan->Psc = psc < 0 ? nullptr : &FdbAccess::Field(detail, psc);
  plan->DetailId = &FdbAccess::Field(detail, 0);
  if (FdbAccess::SelectionCurrent(detail)) plan->DetailOrder = FdbAccess::Selection(detail).data();
  plan->Map = plan->DetailOrder ? nullptr : fdbfast::KeyMapOf(detail, 0);
  if (plan->Map) {
    plan->How = Detail::Map;
    plan->DetailsAhead = detail.RecCount;
    plan->Strict = !plan->Map->Present.empty();
    return true;
  }
  try {
    DetailPositions(search, detail, &spare.v);
  } catch (const std::bad_alloc&) {
    return false;
  }
  plan->How = Detail::Positions;
  plan->Positions = spare.v.data();
  return true;
}

// Writes what the threads hand over, in order; stops them at a refusal.
bool Drain(Lane* lanes, ByteSink& sink) {
  bool ok = true;
  Chunk chunk;
  for (size_t b = 0;; ++b) {
    Lane& lane = lanes[b % kThreads];
    if (!lane.Next(&chunk)) break;
    if (ok && !sink.Write(chunk.Bytes.get(), chunk.Size)) {
      ok = false;
      for (size_t k = 0; k < kThreads; ++k) lanes[k].Stop();
    }
    lane.Return(std::move(chunk));
  }
  return ok;
}

}  // namespace

bool Write(TfdbTable& search, TfdbTable& detail, ByteSink& sink) {
  Borrowed spare(search);
  Plan plan;
  if (!MakePlan(search, detail, spare, &plan)) return WriteExportReference(search, detail, sink);
  Lane lanes[kThreads];
  std::exception_ptr failures[kThreads];
  std::thread formatters[kThreads];
  auto stopAll = [&](size_t started) {
    for (size_t k = 0; k < started; ++k) lanes[k].Stop();
    for (size_t k = 0; k < started; ++k) formatters[k].join();
  };
  for (uint32_t k = 0; k < kThreads; ++k) {
    try {
      formatters[k] = std::thread([&, k] {
        try {
          FormatBlocks(plan, k, lanes[k]);
        } catch (...) {
          failures[k] = std::current_exception();
        }
        lanes[k].Finish();
      });
    } catch (const std::system_error&) {
      stopAll(k);
      return WriteExportReference(search, detail, sink);  // no threads to be had
    }
  }
  if (!sink.Write(kExportHeader, std::strlen(kExportHeader))) {
    stopAll(kThreads);
    return false;
  }
  const bool ok = Drain(lanes, sink);
  stopAll(kThreads);  // (a thread that failed leaves the other waiting)
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
  return ok;
}

}  // namespace karo::exportfast
