// Reading a table file whole into memory of our own.
//
// Files are copied into anonymous memory, never mapped: once Open returns,
// a file truncated, rewritten or replaced on disk changes nothing that the
// table shows, and no read can fault on a page the file no longer has.
#ifndef KARO_STORE_FILELOAD_H
#define KARO_STORE_FILELOAD_H

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace fdbload {

// Why an InputFile call returned false.
struct FileFault {
  enum class Kind {
    None,
    CannotOpen,  // open or fstat failed; Error holds errno
    NotRegular,  // a FIFO, device, folder...: refused without reading
    ReadError,   // a read failed at offset At; Error holds errno
    EndedEarly,  // the file ended at offset At, before the size fstat gave
  };
  Kind What = Kind::None;
  int Error = 0;
  uint64_t At = 0;
};

// One open table file; closed by the destructor.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens `path` for reading. False when it is missing, unreadable or not a
  // regular file: a FIFO, device or folder is refused without waiting for a
  // writer (the open does not block) and without reading from it. On false,
  // *fault (when given) says which.
  bool Open(const std::string& path, FileFault* fault = nullptr);
  // Size in bytes as fstat told it at Open.
  uint64_t Size() const { return size_; }
  // Reads exactly n bytes from offset `at` into `to`. False on an error or
  // when the file ends first (it was truncated after Open), with *fault
  // (when given) saying which and where.
  bool ReadAt(uint64_t at, void* to, uint64_t n, FileFault* fault = nullptr) const;
  // As ReadAt of [0, n), with two threads for large files. On false, *fault
  // is the fault at the lowest offset.
  bool ReadWhole(void* to, uint64_t n, FileFault* fault = nullptr) const;

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

// Asks the kernel to back [p, p + n) with huge pages where it can (fewer page
// faults when the memory is first written). Harmless where it cannot.
void AdviseHugePages(void* p, size_t n);

// malloc, aligned to 2 MiB and advised for huge pages from 4 MiB up; null
// when out of memory. Freed with std::free.
void* AllocateLarge(size_t bytes);

// Allocator of large arrays (record orders, ranks, indexes) on huge pages
// where the kernel gives them: one TLB entry covers 2 MiB, so random reads
// over millions of records do not miss the TLB at every step.
template <class T>
struct HugePageAllocator {
  using value_type = T;
  HugePageAllocator() = default;
  template <class U>
  HugePageAllocator(const HugePageAllocator<U>&) {}
  T* allocate(size_t n) {
    void* p = AllocateLarge(n * sizeof(T));
    if (!p) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t) { std::free(p); }
  template <class U>
  bool operator==(const HugePageAllocator<U>&) const { return true; }
  template <class U>
  bool operator!=(const HugePageAllocator<U>&) const { return false; }
};

}  // namespace fdbload

template <class T>
using BigVector = std::vector<T, fdbload::HugePageAllocator<T>>;

#endif  // KARO_STORE_FILELOAD_H
