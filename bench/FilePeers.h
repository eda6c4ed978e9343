// Peers made of plain file and memory operations: reading the table files
// with fread or mapping them, one pass over bytes (the memory limit of a
// linear search), and the export's bytes built independently and written
// with one write loop.
#ifndef KARO_BENCH_FILEPEERS_H
#define KARO_BENCH_FILEPEERS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Fdb.h"

namespace bench {

// The three files of every named table, read whole or mapped.
class TableFiles {
 public:
  TableFiles() = default;
  ~TableFiles();
  TableFiles(const TableFiles&) = delete;
  TableFiles& operator=(const TableFiles&) = delete;

  // fread of each file into fresh memory; false when one cannot be read.
  bool Read(const std::string& dir, const char* const* names, size_t count);
  // mmap with MAP_POPULATE (read-only, private) of each file.
  bool Map(const std::string& dir, const char* const* names, size_t count);
  void Release();
  uint64_t Bytes() const;
  // The bytes of one file ("pseek.d"), or null.
  const unsigned char* File(const std::string& name, size_t* size) const;

 private:
  struct One {
    std::string Name;
    std::unique_ptr<unsigned char[]> Read;
    void* Mapped = nullptr;
    size_t Size = 0;
  };
  bool Load(const std::string& dir, const char* const* names, size_t count, bool map);
  bool Add(const std::string& dir, const std::string& name, bool map);
  std::vector<One> files_;
};

// Total size of the named tables' files in dir.
uint64_t TableFileBytes(const std::string& dir, const char* const* names, size_t count);

// One pass over n bytes, eight at a time: a sum, so that nothing is skipped.
uint64_t PassOver(const unsigned char* p, size_t n);

// The export file's bytes for the search table's current order, built
// without the export writer: the detail records' identifiers are looked up
// in a sorted copy (std::lower_bound) made by the constructor.
class ExportReference {
 public:
  explicit ExportReference(TfdbTable& detail);
  std::string Bytes(TfdbTable& search, TfdbTable& detail) const;

 private:
  std::vector<int32_t> ids_;  // field 0 of the detail table, in its base order
};

// Writes the bytes to a new file with one write(2) loop of 1 MiB pieces.
// Durable: into a temporary file beside `path`, synced (fsync) and renamed
// over it, as the program's export does.
bool WriteLoop(const std::string& bytes, const std::string& path, bool durable = false);
// The whole content of a file ("" when it cannot be read).
std::string ReadWhole(const std::string& path);

}  // namespace bench

#endif  // KARO_BENCH_FILEPEERS_H
