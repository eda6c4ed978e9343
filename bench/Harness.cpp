// Repetitions, medians, memory and the printed table of the benchmark.
#include "Harness.h"

#include <malloc.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#ifndef KARO_BENCH_BUILD_TYPE
#define KARO_BENCH_BUILD_TYPE "?"
#endif

namespace bench {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

namespace {

// A "Name:   1234 kB" line of /proc/self/status, in MiB.
double StatusMiB(const char* name) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(name) + ":";
  while (std::getline(status, line)) {
    if (line.compare(0, prefix.size(), prefix) == 0) return std::atof(line.c_str() + prefix.size()) / 1024.0;
  }
  return 0;
}

std::string FirstLineWith(const char* path, const std::string& key) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, key.size(), key) == 0) {
      const size_t colon = line.find(':');
      return colon == std::string::npos ? line : line.substr(line.find_first_not_of(" \t", colon + 1));
    }
  }
  return "?";
}

// Characters of a UTF-8 text: continuation bytes take no room.
size_t Shown(const std::string& text) {
  size_t shown = 0;
  for (const unsigned char c : text) shown += (c & 0xC0) != 0x80;
  return shown;
}

}  // namespace

std::string Pad(const std::string& text, size_t width) {
  const size_t shown = Shown(text);
  return text + std::string(width > shown ? width - shown : 0, ' ');
}

void TruthfulMemory() { mallopt(M_MMAP_THRESHOLD, 1 << 20); }

double RssMiB() { return StatusMiB("VmRSS"); }
double PeakMiB() { return StatusMiB("VmHWM"); }

void ResetPeak() {
  // "5" resets the peak resident set size (Linux 4.0 and later).
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

double Contender::Median() const {
  if (Times.empty()) return 0;
  std::vector<double> t = Times;
  std::sort(t.begin(), t.end());
  const size_t n = t.size();
  return n % 2 ? t[n / 2] : (t[n / 2 - 1] + t[n / 2]) / 2;
}

void Measure(const std::vector<Contender*>& contenders, const Plan& plan) {
  auto round = [&](bool first) {
    for (Contender* c : contenders) {
      if (c->Prepare) c->Prepare();
      // Before the first run, what earlier operations freed leaves the
      // process, so that its rise is what the operation touches anew (glibc
      // serves large blocks from a free heap before it maps new ones). Not
      // before every run: small allocations would then fault in fresh pages
      // each time and slow what is timed.
      if (first) malloc_trim(0);
      const double before = RssMiB();
      ResetPeak();
      const auto start = Clock::now();
      c->Run();
      c->Times.push_back(Ms(Clock::now() - start));
      const double peak = PeakMiB();
      c->Peak = std::max(c->Peak, peak);
      c->Rise = std::max(c->Rise, peak - before);
    }
  };
  for (Contender* c : contenders) c->Times.clear(), c->Peak = c->Rise = 0;
  round(true);
  int reps = plan.Reps;
  if (reps <= 0) {
    double sum = 0;
    for (const Contender* c : contenders) sum += c->Times.back();
    const double fit = sum > 0 ? plan.Budget * 1000.0 / sum : plan.MaxReps;
    reps = static_cast<int>(std::clamp(fit, static_cast<double>(plan.MinReps), static_cast<double>(plan.MaxReps)));
  }
  if (reps > plan.MinReps) {
    for (Contender* c : contenders) c->Times.clear();
    for (int i = 0; i < reps; ++i) round(false);
  } else {
    for (int i = 1; i < reps; ++i) round(false);
  }
}

std::string FormatMs(double ms) {
  char text[32];
  if (ms >= 100) std::snprintf(text, sizeof text, "%.0f", ms);
  else if (ms >= 10) std::snprintf(text, sizeof text, "%.1f", ms);
  else if (ms >= 1) std::snprintf(text, sizeof text, "%.2f", ms);
  else if (ms > 0) std::snprintf(text, sizeof text, "%.*f", 2 - static_cast<int>(std::floor(std::log10(ms))), ms);
  else std::snprintf(text, sizeof text, "0");
  return text;
}

std::string FormatMiB(const Contender& c) {
  char text[48];
  std::snprintf(text, sizeof text, "%.0f (+%.0f)", c.Peak, std::max(0.0, c.Rise));
  return text;
}

std::string FormatRatio(double ours, double peer) {
  if (peer <= 0) return "-";
  char text[32];
  const double r = ours / peer;
  if (r >= 10) std::snprintf(text, sizeof text, "%.0f", r);
  else if (r >= 1) std::snprintf(text, sizeof text, "%.1f", r);
  else if (r > 0) std::snprintf(text, sizeof text, "%.*f", 1 - static_cast<int>(std::floor(std::log10(r))), r);
  else std::snprintf(text, sizeof text, "0");
  return text;
}

void Report::Operation(const std::string& name, const Contender& ours) {
  rows_.push_back({name, FormatMs(ours.Median()), FormatMiB(ours), "", "", "", "", ""});
  oursMs_ = ours.Median();
  pendingFirst_ = true;
}

void Report::Peer(const Contender& peer, const std::string& check) {
  if (!pendingFirst_) rows_.push_back({});
  pendingFirst_ = false;
  Row& row = rows_.back();
  row.Peer = peer.Name;
  row.PeerMs = FormatMs(peer.Median());
  row.Ratio = FormatRatio(oursMs_, peer.Median());
  row.PeerMem = FormatMiB(peer);
  row.Check = check;
}

void Report::Alone(const std::string& name, const Contender& ours, const std::string& note) {
  rows_.push_back({name, FormatMs(ours.Median()), FormatMiB(ours), "-", "", "", "", note});
  pendingFirst_ = false;
}

void Report::Append(const Report& other) {
  rows_.insert(rows_.end(), other.rows_.begin(), other.rows_.end());
  mismatches_ += other.mismatches_;
  pendingFirst_ = false;
}

void Report::Mismatch(const std::string& what) {
  ++mismatches_;
  std::fprintf(stderr, "\n*** NESHODA: %s ***\n\n", what.c_str());
  std::fflush(stderr);
}

std::string Report::Table() const {
  const Row head = {"operace", "naše ms", "naše špička MiB", "srovnání", "jeho ms", "poměr naše/jeho",
                    "jeho špička MiB", "kontrola"};
  std::vector<Row> all = {head};
  all.insert(all.end(), rows_.begin(), rows_.end());
  auto cells = [](const Row& r) {
    return std::vector<std::string>{r.Op, r.Ours, r.Peer, r.PeerMs, r.Ratio, r.OursMem, r.PeerMem, r.Check};
  };
  std::vector<size_t> width(8, 3);
  for (const Row& r : all) {
    const auto c = cells(r);
    for (size_t i = 0; i < c.size(); ++i) width[i] = std::max(width[i], Shown(c[i]));
  }
  std::ostringstream out;
  auto number = [](size_t column) { return column == 1 || column == 3 || column == 4; };
  auto line = [&](const std::vector<std::string>& c) {
    out << "|";
    for (size_t i = 0; i < c.size(); ++i) {
      const std::string room(width[i] - std::min(width[i], Shown(c[i])), ' ');
      out << " " << (number(i) ? room + c[i] : c[i] + room) << " |";
    }
    out << "\n";
  };
  line(cells(head));
  std::vector<std::string> rule;
  for (size_t i = 0; i < width.size(); ++i) {
    rule.push_back(std::string(width[i] - (number(i) ? 1 : 0), '-') + (number(i) ? ":" : ""));
  }
  line(rule);
  for (const Row& r : rows_) line(cells(r));
  return out.str();
}

std::string MachineText() {
  std::ostringstream out;
  utsname u{};
  uname(&u);
  const long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGE_SIZE);
  out << "stroj: " << FirstLineWith("/proc/cpuinfo", "model name") << ", " << sysconf(_SC_NPROCESSORS_ONLN)
      << " jader, " << std::lround(static_cast<double>(pages) * page / (1 << 30)) << " GiB RAM, jádro "
      << u.sysname << " " << u.release << "\n"
      << "překladač: " <<
#if defined(__clang__)
      "clang "
#else
      "g++ "
#endif
      << __VERSION__ << ", sestavení " << KARO_BENCH_BUILD_TYPE << "\n";
  return out.str();
}

std::string LoadText() {
  std::ifstream in("/proc/loadavg");
  double a = 0, b = 0, c = 0;
  in >> a >> b >> c;
  char text[64];
  std::snprintf(text, sizeof text, "%.2f %.2f %.2f", a, b, c);
  return text;
}

}  // namespace bench
