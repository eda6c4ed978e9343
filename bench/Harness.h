// The measuring harness of karo_bench: contenders timed round-robin in one
// process (so that a busy machine slows all of them alike), medians, the
// process's peak memory per run, and the one table the benchmark prints.
#ifndef KARO_BENCH_HARNESS_H
#define KARO_BENCH_HARNESS_H

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d);

// Makes every allocation of 1 MiB or more a mapping of its own, returned at
// once when freed (glibc otherwise raises that threshold as it goes and keeps
// freed blocks), so that resident memory and its peak follow what is live.
void TruthfulMemory();
// Resident memory of this process in MiB (VmRSS) and its high-water mark
// (VmHWM); 0 when /proc cannot be read.
double RssMiB();
double PeakMiB();
// Sets the high-water mark back to the present resident memory, so that the
// next PeakMiB tells the peak of what ran in between.
void ResetPeak();

// One contender of an operation: the program's own path or a peer.
struct Contender {
  Contender() = default;
  Contender(std::string name, std::function<void()> prepare, std::function<void()> run)
      : Name(std::move(name)), Prepare(std::move(prepare)), Run(std::move(run)) {}

  std::string Name;
  std::function<void()> Prepare;  // untimed, before every run; may be empty
  std::function<void()> Run;      // the timed part
  std::vector<double> Times;      // milliseconds of the counted runs
  double Peak = 0;                // highest VmHWM over the runs, MiB
  double Rise = 0;                // highest rise of VmHWM over VmRSS before a run, MiB
  double Median() const;
};

struct Plan {
  int Reps = 0;          // counted runs; 0: as many as fit the budget
  double Budget = 3.0;   // seconds for one round-robin operation when Reps is 0
  int MinReps = 3;
  int MaxReps = 301;
};

// Runs every contender `reps` times, taking turns. The first round decides
// the count when the plan leaves it open; it is dropped when there are more
// than MinReps rounds (it carries the cold caches).
void Measure(const std::vector<Contender*>& contenders, const Plan& plan);

// Texts of the table's columns.
std::string FormatMs(double ms);
std::string FormatMiB(const Contender& c);  // "2391 (+12)": peak and rise
std::string FormatRatio(double ours, double peer);
// The text followed by spaces up to `width` characters (UTF-8 aware).
std::string Pad(const std::string& text, size_t width);

// The result table, printed as Markdown so that it reads in a terminal and
// goes into a README unchanged.
class Report {
 public:
  // A new operation: its first line carries our figures.
  void Operation(const std::string& name, const Contender& ours);
  // A peer of the last operation, with the result of its check.
  void Peer(const Contender& peer, const std::string& check);
  // An operation without a peer.
  void Alone(const std::string& name, const Contender& ours, const std::string& note);
  // A check that failed: printed at once on stderr and counted.
  void Mismatch(const std::string& what);
  int Mismatches() const { return mismatches_; }
  // The other report's lines and mismatches after these.
  void Append(const Report& other);
  std::string Table() const;

 private:
  struct Row {
    std::string Op, Ours, OursMem, Peer, PeerMs, Ratio, PeerMem, Check;
  };
  std::vector<Row> rows_;
  double oursMs_ = 0;
  bool pendingFirst_ = false;
  int mismatches_ = 0;
};

// The machine and the build, for the head of the output.
std::string MachineText();
// /proc/loadavg's first three figures.
std::string LoadText();

}  // namespace bench

#endif  // KARO_BENCH_HARNESS_H
