// Reading table files into memory of our own, on one or two threads.
#include "FileLoad.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>

namespace fdbload {

namespace {

constexpr uint64_t kHugePage = uint64_t{2} << 20;
constexpr uint64_t kTwoThreadsFrom = uint64_t{64} << 20;  // below this one thread is as quick

}  // namespace

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool InputFile::Open(const std::string& path, FileFault* fault) {
  FileFault ignored;
  if (!fault) fault = &ignored;
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    *fault = {FileFault::Kind::CannotOpen, errno, 0};
    return false;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    *fault = {FileFault::Kind::CannotOpen, errno, 0};
    ::close(fd);
    return false;
  }
  if (!S_ISREG(st.st_mode) || st.st_size < 0) {
    *fault = {FileFault::Kind::NotRegular, 0, 0};
    ::close(fd);
    return false;
  }
  fd_ = fd;
  size_ = static_cast<uint64_t>(st.st_size);
  return true;
}

bool InputFile::ReadAt(uint64_t at, void* to, uint64_t n, FileFault* fault) const {
  auto* p = static_cast<unsigned char*>(to);
  while (n > 0) {
    const size_t chunk = n < (uint64_t{1} << 30) ? static_cast<size_t>(n) : size_t{1} << 30;
    const ssize_t got = ::pread(fd_, p, chunk, static_cast<off_t>(at));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      if (fault) *fault = {FileFault::Kind::ReadError, errno, at};
      return false;
    }
    if (got == 0) {
      if (fault) *fault = {FileFault::Kind::EndedEarly, 0, at};
      return false;
    }
    p += got;
    at += static_cast<uint64_t>(got);
    n -= static_cast<uint64_t>(got);
  }
  return true;
}

bool InputFile::ReadWhole(void* to, uint64_t n, FileFault* fault) const {
  if (n < kTwoThreadsFrom) return ReadAt(0, to, n, fault);
  // The second half on a second thread: the copy out of the page cache and
  // the first touch of fresh memory are both bound by one core each.
  const uint64_t half = (n / 2) & ~(kHugePage - 1);
  bool upperOk = false;
  FileFault upperFault;
  std::thread upper;
  try {
    upper = std::thread(
        [&] { upperOk = ReadAt(half, static_cast<unsigned char*>(to) + half, n - half, &upperFault); });
  } catch (const std::system_error&) {
    return ReadAt(0, to, n, fault);
  }
  const bool lowerOk = ReadAt(0, to, half, fault);
  upper.join();
  if (lowerOk && !upperOk && fault) *fault = upperFault;
  return lowerOk && upperOk;
}

void* AllocateLarge(size_t bytes) {
  if (bytes < (size_t{4} << 20)) return std::malloc(bytes ? bytes : 1);
  const size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
  void* p = std::aligned_alloc(kHugePage, rounded);
  if (p) AdviseHugePages(p, rounded);
  return p;
}

void AdviseHugePages(void* p, size_t n) {
#ifdef MADV_HUGEPAGE
  const auto begin = reinterpret_cast<uintptr_t>(p);
  const uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t last = (begin + n) & ~(kHugePage - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)p;
  (void)n;
#endif
}

}  // namespace fdbload
