// Timings of the store's and the search's fast paths on a built directory,
// each against its plain algorithm where that is quick enough to run:
//
//   fast_probe DIR [repetitions]
//
// Prints one line per step: the median in milliseconds and the peak
// resident memory so far. Not the benchmark (bench/README.md); a probe for
// the developer of the fast paths.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "Export.h"
#include "FdbAccess.h"
#include "Fdb.h"
#include "SafeFile.h"
#include "Search.h"
#include "SearchIndex.h"

namespace {

using Clock = std::chrono::steady_clock;

double PeakMiB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
}

double Median(int reps, const std::function<void()>& before, const std::function<void()>& step) {
  std::vector<double> ms;
  for (int i = 0; i < reps; ++i) {
    before();
    const auto t0 = Clock::now();
    step();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

void Line(const char* what, double ms) { std::printf("%-44s %10.2f ms  peak %8.0f MiB\n", what, ms, PeakMiB()); }

class NullSink : public karo::ByteSink {
 public:
  bool Write(const char*, size_t count) override {
    Bytes += count;
    return true;
  }
  size_t Bytes = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "fast_probe DIR [repetitions]\n");
    return 2;
  }
  std::string dir = argv[1];
  if (dir.back() != '/') dir += '/';
  const int reps = argc > 2 ? std::atoi(argv[2]) : 5;
  const bool plain = std::getenv("PLAIN") != nullptr;
  FdbAccess::SetFastPaths(!plain);

  TfdbTable pseek, moskyti;
  pseek.Dir = moskyti.Dir = dir;
  auto t0 = Clock::now();
  if (pseek.Open("pseek") != 0) return 1;
  Line("open pseek", std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  t0 = Clock::now();
  if (moskyti.Open("moskyti") != 0) return 1;
  Line("open moskyti", std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  pseek.BeginSelection();
  pseek.SetOrder(1);
  if (reps == 0) return 0;  // the opening only
  if (const char* only = std::getenv("SORT_ONLY")) {  // one first sort, for a profiler
    karo::RunSearch(pseek, {});
    t0 = Clock::now();
    pseek.Sort(pseek.FieldIndex(only));
    Line("first sort", std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    return 0;
  }

  struct Named {
    const char* Name;
    karo::SearchFilter Filter;
  };
  std::vector<Named> searches(6);
  searches[0].Name = "search surname nov";
  searches[0].Filter.Surname = "nov";
  searches[1].Name = "search municipality br + 2 districts";
  searches[1].Filter.Municipality = "br";
  searches[1].Filter.Districts = {3, 4};
  searches[2].Name = "search specialty 0 + insurer 1";
  searches[2].Filter.Specialties = {0};
  searches[2].Filter.Insurers = {1};
  searches[3].Name = "search language 0";
  searches[3].Filter.Languages = {0};
  searches[4].Name = "search category 0 + facility type 0";
  searches[4].Filter.Categories = {0};
  searches[4].Filter.FacilityTypes = {0};
  searches[5].Name = "search no filter";
  {  // the incremental search of the largest pick list, letter by letter
    TfdbTable obory;
    obory.Dir = dir;
    if (obory.Open("obory") == 0) {
      const double ms = Median(reps, [] {}, [&] {
        for (const char* key : {"g", "gy", "gyn", "gyne", "x", ""}) obory.FindPrefix(1, key);
      });
      std::printf("%-44s %10.4f ms for 6 keys over %u items\n", "pick list incremental search", ms, obory.RecCount);
    }
  }
  if (std::getenv("CHECK")) {
    // The fast paths against the plain algorithms on this directory.
    auto order = [&] {
      uint64_t h = pseek.CurCount();
      for (uint32_t i = 0; i < pseek.CurCount(); ++i) h = h * 1000003 + static_cast<uint32_t>(pseek.GetNum(static_cast<int32_t>(i), 0));
      return h;
    };
    auto exported = [&] {
      struct HashSink : karo::ByteSink {
        uint64_t h = 0;
        bool Write(const char* b, size_t n) override {
          for (size_t i = 0; i < n; ++i) h = h * 131 + static_cast<unsigned char>(b[i]);
          return true;
        }
      } sink;
      karo::WriteExport(pseek, moskyti, sink);
      return sink.h;
    };
    int bad = 0;
    karo::RunSearch(pseek, {});
    karo::searchfast::WaitForIndexes(pseek);
    for (const Named& s : searches) {
      FdbAccess::SetFastPaths(true);
      karo::RunSearch(pseek, s.Filter);
      const uint64_t fast = order();
      FdbAccess::SetFastPaths(false);
      karo::RunSearch(pseek, s.Filter);
      const uint64_t plain = order();
      std::printf("check %-36s %s\n", s.Name, fast == plain ? "same" : "DIFFERENT");
      bad += fast != plain;
    }
    for (const char* field : {"obec", "jmeno"}) {
      uint64_t h[2], e[2];
      for (int fast = 0; fast < 2; ++fast) {
        FdbAccess::SetFastPaths(fast == 1);
        karo::RunSearch(pseek, {});
        pseek.Sort(pseek.FieldIndex("ulice"));  // ties after a previous sort
        pseek.Sort(pseek.FieldIndex(field));
        h[fast] = order();
        e[fast] = exported();
      }
      std::printf("check sort by %-10s then export      %s %s\n", field, h[0] == h[1] ? "same" : "DIFFERENT",
                  e[0] == e[1] ? "same" : "DIFFERENT");
      bad += h[0] != h[1] || e[0] != e[1];
    }
    FdbAccess::SetFastPaths(true);
    return bad ? 1 : 0;
  }
  const bool skip = std::getenv("EXPORT_ONLY") != nullptr;
  if (skip) searches.clear();
  if (const char* one = std::getenv("SEARCH_ONLY")) {  // one search, repeated, for a profiler
    const Named& s = searches.at(static_cast<size_t>(std::atoi(one)));
    karo::RunSearch(pseek, s.Filter);
    karo::searchfast::WaitForIndexes(pseek);
    Line(s.Name, Median(reps, [] {}, [&] { karo::RunSearch(pseek, s.Filter); }));
    return 0;
  }
  for (const Named& s : searches) {
    t0 = Clock::now();
    const uint32_t found = karo::RunSearch(pseek, s.Filter);
    const double first = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    t0 = Clock::now();
    karo::searchfast::WaitForIndexes(pseek);
    const double wait = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    if (wait > 1) std::printf("%-44s %10.2f ms  (indexes built on the second thread)\n", "  waited for the indexes", wait);
    const double ms = Median(reps, [] {}, [&] { karo::RunSearch(pseek, s.Filter); });
    std::printf("%-44s %10.2f ms  first %8.2f ms  found %u\n", s.Name, ms, first, found);
  }
  const int32_t obec = pseek.FieldIndex("obec"), jmeno = pseek.FieldIndex("jmeno");
  if (!skip)
  for (const auto& [name, field] : {std::pair<const char*, int32_t>{"sort all by municipality", obec},
                                    std::pair<const char*, int32_t>{"sort all by surname", jmeno}}) {
    t0 = Clock::now();
    karo::RunSearch(pseek, {});
    pseek.Sort(field);
    const double first = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    const double ms = Median(plain ? 1 : reps, [&] { karo::RunSearch(pseek, {}); }, [&] { pseek.Sort(field); });
    std::printf("%-44s %10.2f ms  first %8.2f ms (with the search)\n", name, ms, first);
  }
  for (const bool sorted : {false, true}) {
    NullSink sink;
    const double ms = Median(
        plain ? 1 : std::max(1, reps / 2),
        [&] {
          karo::RunSearch(pseek, {});
          if (sorted) pseek.Sort(jmeno);
          sink.Bytes = 0;
        },
        [&] { karo::WriteExport(pseek, moskyti, sink); });
    Line(sorted ? "export all, sorted by surname (to memory)" : "export all, base order (to memory)", ms);
    std::printf("  %zu bytes\n", sink.Bytes);
  }
  // To a file, against writing the same bytes the same way (SafeFile: a
  // temporary file, fsync, rename).
  if (const char* out = std::getenv("EXPORT_FILE")) {
    karo::RunSearch(pseek, {});
    pseek.Sort(jmeno);
    std::string bytes;
    {
      struct StringSink : karo::ByteSink {
        std::string* to;
        bool Write(const char* b, size_t n) override {
          to->append(b, n);
          return true;
        }
      } sink;
      sink.to = &bytes;
      karo::WriteExport(pseek, moskyti, sink);
    }
    const double write = Median(3, [] {}, [&] {
      karo::SafeFile f;
      if (!f.Open(out) || !f.Write(bytes.data(), bytes.size()) || !f.Commit()) std::abort();
    });
    Line("writing the same bytes to a file", write);
    const double exp = Median(3, [] {}, [&] {
      if (karo::ExportFile(pseek, moskyti, out) != karo::ExportResult::Done) std::abort();
    });
    Line("export to a file, sorted by surname", exp);
    std::printf("  ratio %.2f\n", exp / write);
    for (int k = 0; k < 2; ++k) {
      const double base = Median(1, [&] { karo::RunSearch(pseek, {}); }, [&] { karo::ExportFile(pseek, moskyti, out); });
      Line("export to a file, base order", base);
    }
    std::remove(out);
  }
  Line("end", 0);
  // What the fast paths hold, per provider.
  const double n = pseek.RecCount;
  FdbCaches& c = FdbAccess::Caches(pseek);
  std::printf("per provider: selection %.2f B, spare sort array %.2f B\n", 4.0 * pseek.RecCount / n,
              c.Spare.capacity() * 4.0 / n);
  for (const FieldRanks& r : c.Ranks) std::printf("  ranks of field %d: %u classes, %.2f B\n", r.Field, r.Classes, r.Bytes() / n);
  const KeyMap& m = FdbAccess::Caches(moskyti).Map;
  std::printf("  key map of the detail table: %.2f B\n", m.Bytes() * 1.0 / n);
  const char* kinds[] = {"surname", "workplace", "municipality", "district", "facility type", "specialty", "category", "insurer", "language"};
  const std::vector<size_t> bytes = karo::searchfast::IndexBytes(pseek);
  for (size_t k = 0; k < bytes.size(); ++k) std::printf("  index %s: %.2f B\n", kinds[k], bytes[k] / n);
  return 0;
}
