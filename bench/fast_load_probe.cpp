// Ways of loading one table file into memory, timed: plain reads into fresh
// memory, the same with huge pages, two threads, and a populated private
// mapping for comparison (which the store does not use: a mapped file that
// is truncated on disk faults on the next read).
//
//   fast_load_probe FILE [repetitions]
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "FileLoad.h"

namespace {

double CpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void Run(const char* what, int reps, const std::function<void()>& step) {
  std::vector<double> wall, cpu;
  for (int i = 0; i < reps; ++i) {
    const double c0 = CpuMs();
    const auto t0 = std::chrono::steady_clock::now();
    step();
    wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    cpu.push_back(CpuMs() - c0);
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  std::printf("%-36s wall %9.1f ms  cpu %9.1f ms (medians of %d)\n", what, wall[wall.size() / 2],
              cpu[cpu.size() / 2], reps);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const int reps = argc > 2 ? std::atoi(argv[2]) : 5;
  fdbload::InputFile file;
  if (!file.Open(argv[1])) return 1;
  const uint64_t n = file.Size();
  volatile unsigned char sink = 0;
  auto load = [&](bool huge, bool two) {
    std::unique_ptr<unsigned char[]> p(new unsigned char[n + 8]);
    if (huge) fdbload::AdviseHugePages(p.get(), n + 8);
    if (!(two ? file.ReadWhole(p.get(), n) : file.ReadAt(0, p.get(), n))) std::abort();
    sink = sink + p[n / 2];
  };
  Run("read, 4 KiB pages, one thread", reps, [&] { load(false, false); });
  Run("read, huge pages, one thread", reps, [&] { load(true, false); });
  Run("read, 4 KiB pages, two threads", reps, [&] { load(false, true); });
  Run("read, huge pages, two threads", reps, [&] { load(true, true); });
  Run("mmap private populate (not used)", reps, [&] {
    const int fd = open(argv[1], O_RDONLY);
    void* m = mmap(nullptr, n, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    close(fd);
    sink = sink + static_cast<unsigned char*>(m)[n / 2];
    munmap(m, n);
  });
  return 0;
}
