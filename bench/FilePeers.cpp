// Reading the table files as plain peers do: fread into memory, or mmap.
#include "FilePeers.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "Export.h"
#include "Search.h"

namespace bench {

namespace {

const char* const kExtensions[] = {".f", ".d", ".x"};

}  // namespace

TableFiles::~TableFiles() { Release(); }

void TableFiles::Release() {
  for (One& f : files_) {
    if (f.Mapped) munmap(f.Mapped, f.Size);
  }
  files_.clear();
}

bool TableFiles::Add(const std::string& dir, const std::string& name, bool map) {
  One one;
  one.Name = name;
  const int fd = open((dir + name).c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = fstat(fd, &st) == 0;
  one.Size = static_cast<size_t>(st.st_size);
  if (ok && map && one.Size > 0) {
    one.Mapped = mmap(nullptr, one.Size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    ok = one.Mapped != MAP_FAILED;
    if (!ok) one.Mapped = nullptr;
  }
  close(fd);
  if (ok && !map) {
    one.Read.reset(new unsigned char[one.Size + 1]);
    std::FILE* f = std::fopen((dir + name).c_str(), "rb");
    ok = f && std::fread(one.Read.get(), 1, one.Size, f) == one.Size;
    if (f) std::fclose(f);
  }
  if (ok) files_.push_back(std::move(one));
  return ok;
}

bool TableFiles::Load(const std::string& dir, const char* const* names, size_t count, bool map) {
  Release();
  for (size_t i = 0; i < count; ++i) {
    for (const char* ext : kExtensions) {
      if (!Add(dir, std::string(names[i]) + ext, map)) return false;
    }
  }
  return true;
}

bool TableFiles::Read(const std::string& dir, const char* const* names, size_t count) {
  return Load(dir, names, count, false);
}

bool TableFiles::Map(const std::string& dir, const char* const* names, size_t count) {
  return Load(dir, names, count, true);
}

uint64_t TableFiles::Bytes() const {
  uint64_t sum = 0;
  for (const One& f : files_) sum += f.Size;
  return sum;
}

const unsigned char* TableFiles::File(const std::string& name, size_t* size) const {
  for (const One& f : files_) {
    if (f.Name != name) continue;
    *size = f.Size;
    return f.Mapped ? static_cast<const unsigned char*>(f.Mapped) : f.Read.get();
  }
  return nullptr;
}

uint64_t TableFileBytes(const std::string& dir, const char* const* names, size_t count) {
  uint64_t sum = 0;
  for (size_t i = 0; i < count; ++i) {
    for (const char* ext : kExtensions) {
      struct stat st {};
      if (stat((dir + names[i] + ext).c_str(), &st) == 0) sum += static_cast<uint64_t>(st.st_size);
    }
  }
  return sum;
}

uint64_t PassOver(const unsigned char* p, size_t n) {
  uint64_t sum = 0;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    std::memcpy(&word, p + i, 8);
    sum += word;
  }
  for (; i < n; ++i) sum += p[i];
  return sum;
}

ExportReference::ExportReference(TfdbTable& detail) {
  ids_.resize(detail.RecCount);
  for (uint32_t r = 0; r < detail.RecCount; ++r) ids_[r] = detail.GetNum(static_cast<int32_t>(r), 0);
}

std::string ExportReference::Bytes(TfdbTable& search, TfdbTable& detail) const {
  std::string out = karo::kExportHeader;
  const int psc = detail.FieldIndex("PSC");
  for (uint32_t r = 0; r < search.CurCount(); ++r) {
    const int32_t i = static_cast<int32_t>(r);
    if (search.GetNum(i, karo::kSearchLevel) <= 1) continue;
    const int32_t id = search.GetNum(i, karo::kSearchId);
    for (const int32_t field : {karo::kSearchWorkplace, karo::kSearchSurname, karo::kSearchStreet,
                                karo::kSearchMunicipality}) {
      out += search.GetStr(i, field);
      out += '\t';
    }
    const auto at = std::lower_bound(ids_.begin(), ids_.end(), id);
    if (at != ids_.end() && *at == id) {
      out += psc < 0 ? kFdbFieldNotFound : detail.GetStr(static_cast<int32_t>(at - ids_.begin()), psc);
    }
    out += "\r\n";
  }
  return out;
}

bool WriteLoop(const std::string& bytes, const std::string& path, bool durable) {
  const std::string target = durable ? path + ".karo-bench-tmp" : path;
  const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  constexpr size_t kPiece = 1 << 20;
  bool ok = true;
  for (size_t at = 0; ok && at < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + at, std::min(kPiece, bytes.size() - at));
    ok = n > 0;
    if (ok) at += static_cast<size_t>(n);
  }
  if (durable) ok = fsync(fd) == 0 && ok;
  ok = close(fd) == 0 && ok;
  if (durable) ok = ok && std::rename(target.c_str(), path.c_str()) == 0;
  return ok;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace bench
