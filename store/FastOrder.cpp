// Fast paths of Sort and SeekNum: ranks of distinct texts with a counting
// sort, and a key map for the binary search. Each returns exactly what the
// plain algorithm of Order.cpp returns (tests/store/fast_order_test.cpp).
#include "FdbAccess.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstring>
#include <new>
#include <numeric>
#include <string>
#include <string_view>

namespace {

std::atomic<bool> fastPaths{true};

// Rank arrays kept at once, in bytes per record of the table.
constexpr size_t kRankBudgetPerRecord = 8;
// SeekNum calls on one field before the key map is built: a single look-up
// (the detail window) does not pay for a pass over the table.
constexpr uint32_t kSeekCallsBeforeMap = 64;
constexpr uint32_t kPrefetch = 16;

// Collation weights of a text as one string of bytes: "ch" (any case) is one
// weight between h and i, every other byte its table weight. Weights are never
// 0, so comparing two such strings bytewise (shorter first) is CzechCmp.
void AppendWeights(const char* text, std::string* out) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p) {
    if ((p[0] == 'c' || p[0] == 'C') && (p[1] == 'h' || p[1] == 'H')) {
      out->push_back(static_cast<char>(kCollation[static_cast<unsigned char>('h')] + 1));
      p += 2;
    } else {
      out->push_back(static_cast<char>(kCollation[*p++]));
    }
  }
}

inline uint64_t HashText(const char* s) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (const auto* p = reinterpret_cast<const unsigned char*>(s); *p; ++p) h = (h ^ *p) * 0x100000001b3ull;
  return h ^ (h >> 29);
}

// Builds the ranks of one text field over the base order.
bool BuildRanks(const TfdbTable& t, int32_t field, FieldRanks* out) {
  const BigVector<uint32_t>& base = FdbAccess::Base(t);
  const TfdbFieldDef& fd = FdbAccess::Field(t, field);
  const uint32_t n = static_cast<uint32_t>(base.size());
  // 1. Distinct texts: one id per record, by an open-addressed hash table
  // whose texts are copied side by side (a look-up touches the table and
  // that copy, not another record).
  BigVector<uint32_t> ids(n);
  std::string texts;               // distinct texts, each with its zero
  std::vector<uint64_t> textAt;    // where each starts in `texts`
  std::vector<uint64_t> slots(1024, 0);  // hash high half << 32 | (distinct id + 1); 0 free
  size_t mask = slots.size() - 1;
  for (uint32_t r = 0; r < n; ++r) {
    if (r + kPrefetch < n) __builtin_prefetch(t.DataBegin() + base[r + kPrefetch]);
    const char* text = FdbAccess::TextAt(t, base[r], fd);
    const uint64_t h = HashText(text);
    const uint64_t tag = h & 0xFFFFFFFF00000000ull;
    size_t at = h & mask;
    for (;;) {
      const uint64_t s = slots[at];
      if (s == 0) {
        textAt.push_back(texts.size());
        texts.append(text).push_back('\0');
        slots[at] = tag | textAt.size();
        ids[r] = static_cast<uint32_t>(textAt.size() - 1);
        break;
      }
      const uint32_t d = static_cast<uint32_t>(s) - 1;
      if ((s & 0xFFFFFFFF00000000ull) == tag && std::strcmp(texts.data() + textAt[d], text) == 0) {
        ids[r] = d;
        break;
      }
      at = (at + 1) & mask;
    }
    if (textAt.size() * 2 > slots.size()) {  // grow: rehash the distinct texts
      std::vector<uint64_t>(slots.size() * 2, 0).swap(slots);
      mask = slots.size() - 1;
      for (uint32_t d = 0; d < textAt.size(); ++d) {
        const uint64_t hd = HashText(texts.data() + textAt[d]);
        size_t a2 = hd & mask;
        while (slots[a2] != 0) a2 = (a2 + 1) & mask;
        slots[a2] = (hd & 0xFFFFFFFF00000000ull) | (d + 1);
      }
    }
  }
  std::vector<uint64_t>().swap(slots);

  // 2. Their collation weights side by side, ordered; equal weights share a class.
  const uint32_t distinct = static_cast<uint32_t>(textAt.size());
  std::string weights;
  std::vector<uint64_t> at(distinct + 1, 0);
  for (uint32_t d = 0; d < distinct; ++d) {
    AppendWeights(texts.data() + textAt[d], &weights);
    at[d + 1] = weights.size();
  }
  std::string().swap(texts);
  std::vector<uint64_t>().swap(textAt);
  auto key = [&](uint32_t d) { return std::string_view(weights.data() + at[d], at[d + 1] - at[d]); };
  std::vector<uint32_t> order(distinct);
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return key(a) < key(b); });
  std::vector<uint32_t> classOf(distinct);
  uint32_t classes = 0;
  for (uint32_t i = 0; i < distinct; ++i) {
    if (i > 0 && key(order[i]) != key(order[i - 1])) ++classes;
    classOf[order[i]] = classes;
  }
  if (distinct > 0) ++classes;

  // 3. Each record's class.
  out->Field = field;
  out->Classes = classes;
  if (classes <= 65536) {
    out->Narrow.resize(n);
    for (uint32_t r = 0; r < n; ++r) out->Narrow[r] = static_cast<uint16_t>(classOf[ids[r]]);
  } else {
    for (uint32_t r = 0; r < n; ++r) ids[r] = classOf[ids[r]];
    out->Wide.swap(ids);
  }
  assert(out->Narrow.size() + out->Wide.size() == n && classes <= distinct);
  return true;
}

// Stable counting sort of the reversed input by the rank (< 2^16) that
// rank(record) gives: out[k] for k in [0, n).
template <class Rank>
void CountingPass(const uint32_t* in, uint32_t n, bool reversed, uint32_t* out, uint32_t buckets,
                  Rank rank, std::vector<uint32_t>& starts) {
  starts.assign(buckets + 1, 0);
  for (uint32_t j = 0; j < n; ++j) {
    if (j + kPrefetch < n) rank.Prefetch(in[j + kPrefetch]);
    assert(rank(in[j]) < buckets);
    ++starts[rank(in[j]) + 1];
  }
  for (uint32_t b = 0; b < buckets; ++b) starts[b + 1] += starts[b];
  assert(starts[buckets] == n);
  for (uint32_t k = 0; k < n; ++k) {
    const uint32_t j = reversed ? n - 1 - k : k;
    if (k + kPrefetch < n) rank.Prefetch(in[reversed ? j - kPrefetch : j + kPrefetch]);
    out[starts[rank(in[j])]++] = in[j];
  }
}

struct NarrowRank {
  const uint16_t* r;
  uint32_t operator()(uint32_t rec) const { return r[rec]; }
  void Prefetch(uint32_t rec) const { __builtin_prefetch(r + rec); }
};
struct LowRank {
  const uint32_t* r;
  uint32_t operator()(uint32_t rec) const { return r[rec] & 0xFFFF; }
  void Prefetch(uint32_t rec) const { __builtin_prefetch(r + rec); }
};
struct HighRank {
  const uint32_t* r;
  uint32_t operator()(uint32_t rec) const { return r[rec] >> 16; }
  void Prefetch(uint32_t rec) const { __builtin_prefetch(r + rec); }
};

}  // namespace

bool FdbAccess::FastPaths() { return fastPaths.load(std::memory_order_relaxed); }
void FdbAccess::SetFastPaths(bool on) { fastPaths.store(on, std::memory_order_relaxed); }

FdbCaches& FdbAccess::Caches(const TfdbTable& t) {
  if (!t.caches_) t.caches_.reset(new FdbCaches);
  return *t.caches_;
}

namespace fdbfast {

const FieldRanks* RanksOf(const TfdbTable& t, int32_t field) {
  if (!FdbAccess::HasBase(t) || field < 0 || field >= t.FieldCount) return nullptr;
  const char type = FdbAccess::Field(t, field).Type;
  if (type != 'C' && type != 'T') return nullptr;
  FdbCaches& caches = FdbAccess::Caches(t);
  for (FieldRanks& r : caches.Ranks) {
    if (r.Field == field) {
      r.LastUse = ++caches.Clock;
      return &r;
    }
  }
  FieldRanks built;
  try {
    if (!BuildRanks(t, field, &built)) return nullptr;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  built.LastUse = ++caches.Clock;
  // Keep the most recently used within the budget, the new one always.
  const size_t budget = kRankBudgetPerRecord * t.RecCount;
  size_t total = built.Bytes();
  for (const FieldRanks& r : caches.Ranks) total += r.Bytes();
  while (total > budget && !caches.Ranks.empty()) {
    auto oldest = std::min_element(caches.Ranks.begin(), caches.Ranks.end(),
                                   [](const FieldRanks& a, const FieldRanks& b) { return a.LastUse < b.LastUse; });
    total -= oldest->Bytes();
    caches.Ranks.erase(oldest);
  }
  caches.Ranks.push_back(std::move(built));
  return &caches.Ranks.back();
}

bool SortSelection(TfdbTable& t, int32_t field, BigVector<uint32_t>& scratch) {
  BigVector<uint32_t>& selection = FdbAccess::Selection(t);
  const uint32_t n = static_cast<uint32_t>(t.SelCount);
  assert(t.SelCount >= 0 && n <= selection.size() && selection.size() == t.RecCount && scratch.size() >= n);
  if (n < 2) return false;  // nothing moves
  if (field < 0 || field >= t.FieldCount) {
    std::reverse(selection.begin(), selection.begin() + n);  // all keys equal
    return true;
  }
  const TfdbFieldDef& fd = FdbAccess::Field(t, field);
  if (fd.Type == 'N') {
    // Keys read once: (value, position in the reversed selection), sorted.
    const BigVector<uint32_t>& base = FdbAccess::Base(t);
    BigVector<uint64_t> keyed(n);
    for (uint32_t k = 0; k < n; ++k) {
      const uint32_t rec = selection[n - 1 - k];
      const uint32_t v = static_cast<uint32_t>(FdbAccess::NumAt(t, base[rec], fd)) ^ 0x80000000u;
      keyed[k] = (uint64_t{v} << 32) | k;
    }
    std::sort(keyed.begin(), keyed.end());
    for (uint32_t k = 0; k < n; ++k) scratch[k] = selection[n - 1 - static_cast<uint32_t>(keyed[k])];
    selection.swap(scratch);
    return true;
  }
  if (fd.Type != 'C' && fd.Type != 'T') {
    std::reverse(selection.begin(), selection.begin() + n);  // every text read fails alike
    return true;
  }
  const FieldRanks* ranks = RanksOf(t, field);
  if (!ranks) return false;
  assert(ranks->Narrow.size() + ranks->Wide.size() == t.RecCount);
  std::vector<uint32_t> starts;
  if (ranks->Wide.empty()) {
    CountingPass(selection.data(), n, true, scratch.data(), ranks->Classes, NarrowRank{ranks->Narrow.data()},
                 starts);
    selection.swap(scratch);
  } else {
    // Two stable passes: the low half of the rank, then the high half.
    CountingPass(selection.data(), n, true, scratch.data(), 65536, LowRank{ranks->Wide.data()}, starts);
    CountingPass(scratch.data(), n, false, selection.data(), (ranks->Classes >> 16) + 1,
                 HighRank{ranks->Wide.data()}, starts);
  }
  return true;
}

namespace {

// Builds the key map of the field: every record's value, checked to be
// non-decreasing. Leaves a map of the field that is usable or not.
void BuildMap(const TfdbTable& t, int32_t field, KeyMap& map) {
  map = KeyMap{};
  map.Field = field;
  const BigVector<uint32_t>& base = FdbAccess::Base(t);
  const TfdbFieldDef& fd = FdbAccess::Field(t, field);
  const uint32_t n = static_cast<uint32_t>(base.size());
  if (n == 0) return;
  auto key = [&](uint32_t r) { return FdbAccess::NumAt(t, base[r], fd); };
  try {
    int32_t previous = key(0);
    bool strict = true;
    for (uint32_t r = 1; r < n; ++r) {
      if (r + kPrefetch < n) __builtin_prefetch(t.DataBegin() + base[r + kPrefetch]);
      const int32_t k = key(r);
      if (k < previous) return;
      strict = strict && k > previous;
      previous = k;
    }
    map.Min = key(0);
    map.Max = previous;
    const uint64_t span = static_cast<uint64_t>(int64_t{map.Max} - map.Min);
    if (strict && span / 8 <= n) {  // at most a byte a record
      const uint64_t words = span / 64 + 1;
      map.Present.assign(words, 0);
      map.Before.assign(words, 0);
      for (uint32_t r = 0; r < n; ++r) {
        if (r + kPrefetch < n) __builtin_prefetch(t.DataBegin() + base[r + kPrefetch]);
        const uint64_t d = static_cast<uint64_t>(int64_t{key(r)} - map.Min);
        map.Present[d >> 6] |= uint64_t{1} << (d & 63);
      }
      uint32_t before = 0;
      for (uint64_t w = 0; w < words; ++w) {
        map.Before[w] = before;
        before += static_cast<uint32_t>(__builtin_popcountll(map.Present[w]));
      }
      assert(before == n);  // strictly increasing: one value a record
      map.Usable = true;
      return;
    }
    while ((span >> map.Shift) > n / 2 + 1) ++map.Shift;
    const uint64_t buckets = (span >> map.Shift) + 1;
    map.Starts.assign(buckets + 1, 0);
    for (uint32_t r = 0; r < n; ++r) {
      if (r + kPrefetch < n) __builtin_prefetch(t.DataBegin() + base[r + kPrefetch]);
      ++map.Starts[(static_cast<uint64_t>(int64_t{key(r)} - map.Min) >> map.Shift) + 1];
    }
    for (uint64_t b = 0; b < buckets; ++b) map.Starts[b + 1] += map.Starts[b];
    assert(map.Starts[buckets] == n);
    map.Usable = true;
  } catch (const std::bad_alloc&) {
    map = KeyMap{};
    map.Field = field;
  }
}

}  // namespace

bool SeekBaseOrder(const TfdbTable& t, int32_t field, int32_t value, int32_t* found) {
  if (FdbAccess::SelectionCurrent(t) || !FdbAccess::HasBase(t)) return false;
  FdbCaches& caches = FdbAccess::Caches(t);
  KeyMap& map = caches.Map;
  if (map.Field != field) {
    if (caches.SeekField != field) {
      caches.SeekField = field;
      caches.SeekCalls = 0;
    }
    if (++caches.SeekCalls < kSeekCallsBeforeMap) return false;
    BuildMap(t, field, map);
  }
  if (!map.Usable) return false;
  *found = FindInMap(t, map, value);
  return true;
}

const KeyMap* KeyMapOf(const TfdbTable& t, int32_t field) {
  if (FdbAccess::SelectionCurrent(t) || !FdbAccess::HasBase(t) || field < 0 || field >= t.FieldCount) return nullptr;
  KeyMap& map = FdbAccess::Caches(t).Map;
  if (map.Field != field) BuildMap(t, field, map);
  return map.Usable ? &map : nullptr;
}

int32_t FindInMap(const TfdbTable& t, const KeyMap& map, int32_t value) {
  assert(map.Usable && map.Field >= 0 && map.Field < t.FieldCount);
  if (value < map.Min || value > map.Max) return -1;
  if (!map.Present.empty()) {
    const uint64_t d = static_cast<uint64_t>(int64_t{value} - map.Min);
    const uint64_t word = map.Present[d >> 6];
    const uint64_t bit = uint64_t{1} << (d & 63);
    if (!(word & bit)) return -1;
    return static_cast<int32_t>(map.Before[d >> 6] + __builtin_popcountll(word & (bit - 1)));
  }
  const uint64_t b = static_cast<uint64_t>(int64_t{value} - map.Min) >> map.Shift;
  const BigVector<uint32_t>& base = FdbAccess::Base(t);
  const TfdbFieldDef& fd = FdbAccess::Field(t, map.Field);
  // The bucket's records are in order: the first one not below the value.
  assert(b + 1 < map.Starts.size());
  uint32_t lo = map.Starts[b], hi = map.Starts[b + 1];
  const uint32_t end = hi;
  assert(lo <= hi && hi <= base.size());
  while (hi - lo > 8) {
    const uint32_t mid = lo + (hi - lo) / 2;
    if (FdbAccess::NumAt(t, base[mid], fd) < value) lo = mid + 1;
    else hi = mid;
  }
  for (uint32_t r = lo; r < end; ++r) {
    const int32_t k = FdbAccess::NumAt(t, base[r], fd);
    if (k >= value) return k == value ? static_cast<int32_t>(r) : -1;
  }
  return -1;
}

}  // namespace fdbfast
