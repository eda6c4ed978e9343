// Indexes of the search table and the plan that uses them: the most
// selective filter gives the candidates, every candidate goes through the
// search's own tests unless all active filters were answered exactly by
// their indexes (then the intersection is the result).
#include "SearchIndex.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <memory>
#include <new>
#include <numeric>
#include <system_error>
#include <thread>

#include "FdbAccess.h"

namespace karo {
namespace searchfast {
namespace {

// Symbols of a folded byte in the prefix index: the end of the text, the
// 33 bytes space to '@', the 26 letters, and one class for all the rest.
constexpr uint32_t kSymbols = 61;
constexpr uint32_t kOther = 60;
constexpr uint32_t kBuckets = kSymbols * kSymbols * kSymbols;

inline uint32_t Symbol(unsigned char folded) {
  if (folded == 0) return 0;
  if (folded >= 0x20 && folded <= 0x40) return 1 + (folded - 0x20u);
  if (folded >= 'a' && folded <= 'z') return 34 + (folded - 'a');
  return kOther;
}

// A set of base-order record numbers: an ascending list, or a bitmap.
struct Postings {
  BigVector<uint32_t> List;
  BigVector<uint64_t> Bits;
  uint32_t Count = 0;
};

// Records by the first three symbols of a text field: Perm holds the record
// numbers bucket after bucket, each bucket in base order. A record whose
// text cannot be read is in no bucket (it matches no text filter).
struct PrefixIndex {
  std::vector<uint32_t> Starts;  // kBuckets + 1
  BigVector<uint32_t> Perm;
};

// For every code of a field, the records that hold it (as the search reads
// the field: a number 0..255, or the codes of a list up to its end mark).
struct CodeIndex {
  std::vector<uint32_t> Slot;  // code -> 1 + position in Sets, 0 for none
  std::vector<Postings> Sets;
};

constexpr uint32_t kCancelCheck = 65535;  // records between looks at the cancel flag

// A cancelled build throws this (and leaves nothing behind).
struct Cancelled {};
inline void CheckCancel(uint32_t r, const std::atomic<bool>* cancel) {
  if ((r & kCancelCheck) == 0 && cancel && cancel->load(std::memory_order_relaxed)) throw Cancelled{};
}

// Reads of base-order records as GetStr and GetNum give them with the base
// order current, without using the current order or the shared numeric
// buffer, so that a second thread can build indexes while the first one
// sorts or shows the table. (The data and the base order never change while
// the table is open.)
class BaseReader {
 public:
  explicit BaseReader(const TfdbTable& t) : t_(t), base_(FdbAccess::Base(t)) {}
  uint32_t Count() const { return static_cast<uint32_t>(base_.size()); }
  // REQUIRES a field that reads as text (not 'N', whose text is a number).
  const char* Text(uint32_t r, int32_t field) const {
    if (field < 0 || field >= t_.FieldCount) return kFdbEof;
    return FdbAccess::TextAt(t_, base_[r], FdbAccess::Field(t_, field));
  }
  int32_t Num(uint32_t r, int32_t field) const {
    if (field < 0 || field >= t_.FieldCount) return kFdbNumFail;
    return FdbAccess::NumAt(t_, base_[r], FdbAccess::Field(t_, field));
  }
  const unsigned char* End() const { return t_.DataEnd(); }
  const TfdbTable& Table() const { return t_; }

 private:
  const TfdbTable& t_;
  const BigVector<uint32_t>& base_;
};

constexpr int kCodeKinds = 6;  // district, facility type, specialty, category, insurer, language
struct CodeKind {
  int32_t Field;
  bool List, Wide;
};
constexpr CodeKind kCodeFields[kCodeKinds] = {{kSearchDistrict, false, false},   {kSearchFacilityType, false, false},
                                              {kSearchSpecialties, true, true},  {kSearchCategories, true, false},
                                              {kSearchInsurers, true, false},    {kSearchLanguages, true, false}};

std::unique_ptr<PrefixIndex> BuildPrefix(const BaseReader& table, int32_t field, const std::atomic<bool>* cancel);
std::unique_ptr<CodeIndex> BuildCodes(const BaseReader& table, int32_t field, bool list, bool wide,
                                      const std::atomic<bool>* cancel);

class Index : public FdbAttachment {
 public:
  ~Index() override {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
  }
  // Builds the code indexes and the surname's on a second thread; false
  // when there is none (the caller then builds what it needs itself).
  bool Start(const TfdbTable& search) {
    started_ = true;
    try {
      worker_ = std::thread([this, &search] {
        const BaseReader table(search);
        try {
          for (int c = 0; c < kCodeKinds && !cancel_; ++c) {
            const CodeKind& k = kCodeFields[c];
            Codes[c] = BuildCodes(table, k.Field, k.List, k.Wide, &cancel_);
          }
          if (!cancel_ && search.FieldType(kSearchSurname) != 'N') {
            Prefix[0] = BuildPrefix(table, kSearchSurname, &cancel_);
          }
        } catch (const std::bad_alloc&) {
          // What is missing is built when it is needed, or the plain pass runs.
        } catch (const Cancelled&) {
          // The table is being closed.
        }
        done_.store(true, std::memory_order_release);
      });
    } catch (const std::system_error&) {
      done_.store(true, std::memory_order_release);
      return false;
    }
    return true;
  }
  bool Started() const { return started_; }
  // True once the second thread has finished; its indexes are then ours.
  bool Ready() {
    if (!done_.load(std::memory_order_acquire)) return false;
    if (worker_.joinable()) worker_.join();
    return true;
  }
  void Wait() {
    if (worker_.joinable()) worker_.join();
  }

  std::unique_ptr<PrefixIndex> Prefix[3];  // surname, workplace, municipality
  std::unique_ptr<CodeIndex> Codes[kCodeKinds];

 private:
  std::thread worker_;
  std::atomic<bool> cancel_{false}, done_{false};
  bool started_ = false;
};

uint32_t BucketOf(const char* text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  uint32_t b = 0;
  bool ended = false;
  for (int k = 0; k < 3; ++k) {
    const unsigned char f = ended ? 0 : kSearchFold[p[k]];
    if (f == 0) ended = true;
    b = b * kSymbols + Symbol(f);
  }
  return b;
}

std::unique_ptr<PrefixIndex> BuildPrefix(const BaseReader& table, int32_t field, const std::atomic<bool>* cancel) {
  auto index = std::make_unique<PrefixIndex>();
  const uint32_t n = table.Count();
  BigVector<uint32_t> bucket(n);
  index->Starts.assign(kBuckets + 1, 0);
  uint32_t readable = 0;
  for (uint32_t r = 0; r < n; ++r) {
    CheckCancel(r, cancel);
    const char* text = table.Text(r, field);
    if (text == kFdbEof) {
      bucket[r] = kBuckets;
      continue;
    }
    bucket[r] = BucketOf(text);
    ++index->Starts[bucket[r] + 1];
    ++readable;
  }
  for (uint32_t b = 0; b < kBuckets; ++b) index->Starts[b + 1] += index->Starts[b];
  index->Perm.resize(readable);
  std::vector<uint32_t> next(index->Starts.begin(), index->Starts.end() - 1);
  for (uint32_t r = 0; r < n; ++r) {
    if (bucket[r] < kBuckets) index->Perm[next[bucket[r]]++] = r;
  }
  return index;
}

// Calls each(record, code) for every code of every record, in base order.
template <class Each>
void ForEachCode(const BaseReader& table, int32_t field, bool list, bool wide, const std::atomic<bool>* cancel,
                 Each each) {
  const uint32_t n = table.Count();
  const unsigned char* end = table.End();
  const char type = table.Table().FieldType(field);
  const bool readable = type == 'C' || type == 'T';  // code lists are read as raw bytes only from these
  for (uint32_t r = 0; r < n; ++r) {
    CheckCancel(r, cancel);
    if (!list) {
      const int32_t code = table.Num(r, field);
      if (code >= 0 && code <= 255) each(r, static_cast<uint32_t>(code));
      continue;
    }
    const char* text = readable ? table.Text(r, field) : kFdbEof;
    const unsigned char* at = text == kFdbEof ? nullptr : reinterpret_cast<const unsigned char*>(text);
    EachListCode(at, end, wide, [&](unsigned c) {
      each(r, c);
      return false;
    });
  }
}

std::unique_ptr<CodeIndex> BuildCodes(const BaseReader& table, int32_t field, bool list, bool wide,
                                      const std::atomic<bool>* cancel) {
  auto index = std::make_unique<CodeIndex>();
  const uint32_t n = table.Count();
  const uint32_t codes = wide ? 65536 : 256;
  std::vector<uint32_t> counts(codes, 0);
  std::vector<uint32_t> last(codes, UINT32_MAX);  // a code listed twice in one record counts once
  ForEachCode(table, field, list, wide, cancel, [&](uint32_t r, uint32_t c) {
    if (last[c] != r) ++counts[c], last[c] = r;
  });
  index->Slot.assign(codes, 0);
  const uint64_t words = (uint64_t{n} + 63) / 64;
  for (uint32_t c = 0; c < codes; ++c) {
    if (counts[c] == 0) continue;
    Postings p;
    p.Count = counts[c];
    // A bitmap where it is smaller than the list.
    if (uint64_t{counts[c]} * 32 >= uint64_t{n}) p.Bits.assign(words, 0);
    else p.List.reserve(counts[c]);
    index->Sets.push_back(std::move(p));
    index->Slot[c] = static_cast<uint32_t>(index->Sets.size());
  }
  std::fill(last.begin(), last.end(), UINT32_MAX);
  ForEachCode(table, field, list, wide, cancel, [&](uint32_t r, uint32_t c) {
    if (last[c] == r) return;
    last[c] = r;
    Postings& p = index->Sets[index->Slot[c] - 1];
    if (p.Bits.empty()) p.List.push_back(r);
    else p.Bits[r >> 6] |= uint64_t{1} << (r & 63);
  });
  return index;
}

// One active filter as candidates.
struct Source {
  std::vector<const Postings*> Sets;  // a code filter: the union of these
  const uint32_t* Range = nullptr;    // a text filter: records of consecutive buckets
  uint32_t RangeCount = 0;
  bool Sorted = false;  // Range is one bucket, so already in base order
  bool Exact = false;   // every candidate passes the filter's test
  uint64_t Count = 0;   // candidates (an upper bound for unions)
};

Source TextSource(const PrefixIndex& index, const std::string& key) {
  Source s;
  uint32_t lo = 0, width = kBuckets;
  bool plain = true;
  const size_t used = std::min<size_t>(key.size(), 3);
  for (size_t k = 0; k < 3; ++k) {
    width /= kSymbols;
    if (k < used) {
      const uint32_t sym = Symbol(kSearchFold[static_cast<unsigned char>(key[k])]);
      if (sym == kOther) plain = false;
      lo += sym * width;
    }
  }
  // With fewer than three characters, every continuation's buckets.
  uint32_t span = 1;
  for (size_t k = used; k < 3; ++k) span *= kSymbols;
  const uint32_t end = lo + span;
  s.Range = index.Perm.data() + index.Starts[lo];
  s.RangeCount = index.Starts[end] - index.Starts[lo];
  s.Count = s.RangeCount;
  s.Sorted = end == lo + 1;
  s.Exact = plain && key.size() <= 3;
  return s;
}

Source CodeSource(const CodeIndex& index, const std::vector<uint32_t>& codes) {
  Source s;
  s.Exact = true;
  for (const uint32_t c : codes) {
    if (c >= index.Slot.size() || index.Slot[c] == 0) continue;
    const Postings& p = index.Sets[index.Slot[c] - 1];
    s.Sets.push_back(&p);
    s.Count += p.Count;
  }
  return s;
}

template <size_t N>
std::vector<uint32_t> Members(const std::bitset<N>& set) {
  std::vector<uint32_t> codes;
  for (size_t c = 0; c < N; ++c) {
    if (set[c]) codes.push_back(static_cast<uint32_t>(c));
  }
  return codes;
}

// The source's candidates as a bitmap of `words` words.
void FillBits(const Source& s, BigVector<uint64_t>* bits) {
  std::fill(bits->begin(), bits->end(), 0);
  uint64_t* b = bits->data();
  for (uint32_t k = 0; k < s.RangeCount; ++k) b[s.Range[k] >> 6] |= uint64_t{1} << (s.Range[k] & 63);
  for (const Postings* p : s.Sets) {
    if (!p->Bits.empty()) {
      for (size_t w = 0; w < bits->size(); ++w) b[w] |= p->Bits[w];
    } else {
      for (const uint32_t r : p->List) b[r >> 6] |= uint64_t{1} << (r & 63);
    }
  }
}

// Puts the candidates, given in base order, that pass the tests into `out`.
// A check reads a record scattered somewhere in the data, so its memory is
// fetched a batch of candidates ahead: the waits for memory then overlap
// instead of following one another.
class Checker {
 public:
  Checker(const TfdbTable& search, const std::function<bool(uint32_t)>& passes, uint32_t* out)
      : data_(search.DataBegin()), base_(FdbAccess::Base(search).data()), passes_(passes), out_(out) {}
  void Add(uint32_t r) {
    const unsigned char* record = data_ + base_[r];
    // A record's slots and texts: some 110 bytes, two or three cache lines.
    __builtin_prefetch(record);
    __builtin_prefetch(record + 64);
    if (added_ >= kAhead) Test(ring_[added_ % kAhead]);
    ring_[added_++ % kAhead] = r;
  }
  // The number of records that passed.
  uint32_t Finish() {
    for (uint64_t k = added_ > kAhead ? added_ - kAhead : 0; k < added_; ++k) Test(ring_[k % kAhead]);
    return found_;
  }

 private:
  static constexpr uint32_t kAhead = 16;
  void Test(uint32_t r) {
    if (passes_(r)) out_[found_++] = r;
  }
  const unsigned char* data_;
  const uint32_t* base_;
  const std::function<bool(uint32_t)>& passes_;
  uint32_t* out_;
  uint32_t ring_[kAhead];
  uint64_t added_ = 0;
  uint32_t found_ = 0;
};

// The candidates of every active filter, sorted the most selective first.
struct Plan {
  std::vector<Source> Sources;
  bool Unindexed = false;  // an active filter without a source: the tests check it
  bool AllExact() const {
    return !Unindexed && std::all_of(Sources.begin(), Sources.end(), [](const Source& s) { return s.Exact; });
  }
};

// Builds the indexes the filter needs that are not there yet and gathers
// their candidates. False when there is no memory for them.
bool MakePlan(TfdbTable& search, Index& index, const PreparedFilter& f, Plan* plan) {
  const uint32_t n = search.RecCount;
  const BaseReader table(search);
  std::vector<Source>& sources = plan->Sources;
  bool selective = false;  // a list filter with few candidates
  try {
    struct CodeFilter {
      bool Active;
      int32_t Field;
      bool List, Wide;
      std::vector<uint32_t> Codes;
    };
    const CodeFilter codeFilters[6] = {
        {f.District, kSearchDistrict, false, false, Members(f.Districts)},
        {f.FacilityType, kSearchFacilityType, false, false, Members(f.FacilityTypes)},
        {f.Specialty, kSearchSpecialties, true, true, f.Specialty ? Members(f.Specialties) : std::vector<uint32_t>{}},
        {f.Category, kSearchCategories, true, false, Members(f.Categories)},
        {f.Insurer, kSearchInsurers, true, false, Members(f.Insurers)},
        {f.Language, kSearchLanguages, true, false, Members(f.Languages)},
    };
    for (int c = 0; c < 6; ++c) {
      const CodeFilter& cf = codeFilters[c];
      if (!cf.Active) continue;
      if (!index.Codes[c]) index.Codes[c] = BuildCodes(table, cf.Field, cf.List, cf.Wide, nullptr);
      sources.push_back(CodeSource(*index.Codes[c], cf.Codes));
      if (sources.back().Count * 16 < n) selective = true;
    }
    // A text filter gets its index only when no list filter already gives
    // few candidates; otherwise the tests check it on those candidates.
    const std::string* texts[3] = {&f.Surname, &f.Workplace, &f.Municipality};
    const int32_t textFields[3] = {kSearchSurname, kSearchWorkplace, kSearchMunicipality};
    for (int t = 0; t < 3; ++t) {
      if (texts[t]->empty()) continue;
      if (!index.Prefix[t] && selective) {
        plan->Unindexed = true;
        continue;
      }
      if (search.FieldType(textFields[t]) == 'N') {  // its text is a number's: not indexed
        plan->Unindexed = true;
        continue;
      }
      if (!index.Prefix[t]) index.Prefix[t] = BuildPrefix(table, textFields[t], nullptr);
      sources.push_back(TextSource(*index.Prefix[t], *texts[t]));
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::sort(sources.begin(), sources.end(), [](const Source& a, const Source& b) { return a.Count < b.Count; });
  return true;
}

// The records of one list of candidates in base order, copied when the plan
// is that list alone and exact, else each through the tests.
uint32_t FromList(TfdbTable& search, const Plan& plan, const uint32_t* list, uint32_t count,
                  const std::function<bool(uint32_t)>& passes, uint32_t* out) {
  if (plan.Sources.size() == 1 && plan.AllExact()) {
    std::copy(list, list + count, out);
    return count;
  }
  Checker check(search, passes, out);
  for (uint32_t k = 0; k < count; ++k) check.Add(list[k]);
  return check.Finish();
}

// The intersection of every filter's candidates as bitmaps, in base order,
// through the tests unless every source was exact.
uint32_t Intersect(TfdbTable& search, const Plan& plan, const std::function<bool(uint32_t)>& passes,
                   uint32_t* out) {
  const size_t words = (size_t{search.RecCount} + 63) / 64;
  BigVector<uint64_t> result(words), other(words);
  FillBits(plan.Sources.front(), &result);
  for (size_t s = 1; s < plan.Sources.size(); ++s) {
    FillBits(plan.Sources[s], &other);
    for (size_t w = 0; w < words; ++w) result[w] &= other[w];
  }
  const bool exact = plan.AllExact();
  uint32_t found = 0;
  Checker check(search, passes, out);
  for (size_t w = 0; w < words; ++w) {
    for (uint64_t bits = result[w]; bits != 0; bits &= bits - 1) {
      const uint32_t r = static_cast<uint32_t>(w * 64 + static_cast<size_t>(__builtin_ctzll(bits)));
      if (exact) out[found++] = r;
      else check.Add(r);
    }
  }
  return exact ? found : check.Finish();
}

}  // namespace

int64_t Run(TfdbTable& search, const PreparedFilter& f, const std::function<bool(uint32_t)>& passes) {
  uint32_t* out = FdbAccess::SelectionRoom(search);
  const uint32_t n = search.RecCount;
  if (!out || !FdbAccess::HasBase(search) || search.SelCount != 0) return -1;
  assert(FdbAccess::Base(search).size() == n && FdbAccess::Selection(search).size() == n);
  const bool any = !f.Surname.empty() || !f.Workplace.empty() || !f.Municipality.empty() || f.District ||
                   f.Specialty || f.Category || f.Insurer || f.Language || f.FacilityType;
  if (!any) {
    std::iota(out, out + n, 0u);
    FdbAccess::SetSelected(search, n);
    return n;
  }
  FdbCaches& caches = FdbAccess::Caches(search);
  if (!caches.Search) caches.Search = std::make_unique<Index>();
  Index& index = static_cast<Index&>(*caches.Search);
  // The first search runs the plain pass while a second thread builds the
  // indexes; so do the searches until it has finished.
  if (!index.Started() && index.Start(search)) return -1;
  if (!index.Ready()) return -1;
  Plan plan;
  if (!MakePlan(search, index, f, &plan) || plan.Sources.empty()) return -1;
  const Source& first = plan.Sources.front();
  uint32_t found = 0;
  if (first.Count == 0) {
    found = 0;
  } else if ((plan.Sources.size() == 1 || first.Count * 16 < n) &&  // few candidates (or a lone source)
             (first.Sorted || (first.Sets.size() == 1 && first.Sets[0]->Bits.empty()))) {
    const uint32_t* list = first.Sorted ? first.Range : first.Sets[0]->List.data();
    const uint32_t count = first.Sorted ? first.RangeCount : first.Sets[0]->Count;
    found = FromList(search, plan, list, count, passes, out);
  } else {
    found = Intersect(search, plan, passes, out);
  }
  FdbAccess::SetSelected(search, found);
  return found;
}

void WaitForIndexes(TfdbTable& search) {
  FdbCaches& caches = FdbAccess::Caches(search);
  if (caches.Search) static_cast<Index&>(*caches.Search).Wait();
}

std::vector<size_t> IndexBytes(const TfdbTable& search) {
  std::vector<size_t> bytes(9, 0);
  const FdbCaches& caches = FdbAccess::Caches(search);
  if (!caches.Search) return bytes;
  const Index& index = static_cast<const Index&>(*caches.Search);
  for (int t = 0; t < 3; ++t) {
    if (index.Prefix[t]) bytes[t] = 4 * (index.Prefix[t]->Starts.size() + index.Prefix[t]->Perm.size());
  }
  for (int c = 0; c < 6; ++c) {
    if (!index.Codes[c]) continue;
    size_t b = 4 * index.Codes[c]->Slot.size();
    for (const Postings& p : index.Codes[c]->Sets) b += 4 * p.List.size() + 8 * p.Bits.size() + sizeof p;
    bytes[3 + c] = b;
  }
  return bytes;
}

}  // namespace searchfast
}  // namespace karo
