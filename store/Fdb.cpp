// TfdbTable: opening, validation and value reads.
#include "Fdb.h"

#include <cstdio>
#include <cstring>
#include <new>

const char kFdbEof[] = "FDB_EOF";
const char kFdbFieldNotFound[] = "Field not found";

namespace {

constexpr int64_t kMaxFileSize = int64_t{1} << 31;  // 2 GiB: offsets must fit in 31 bits
constexpr size_t kDescSize = 20;

// Shared by every table: the text of the last numeric GetStr.
char numBuffer[12];

inline uint32_t DecodeFixed16(const unsigned char* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8);
}

inline uint32_t DecodeFixed32(const unsigned char* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) |
         (uint32_t{p[3]} << 24);
}

// Closes the file on every exit.
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenRead(const std::string& path) { return File(std::fopen(path.c_str(), "rb")); }

// Size of an open file, or -1 when it cannot be told.
int64_t FileSize(std::FILE* f) {
  if (fseeko(f, 0, SEEK_END) != 0) return -1;
  const off_t size = ftello(f);
  if (size < 0 || fseeko(f, 0, SEEK_SET) != 0) return -1;
  return static_cast<int64_t>(size);
}

// Reads exactly n bytes; false on a short read.
bool ReadExact(std::FILE* f, void* to, size_t n) {
  return n == 0 || std::fread(to, 1, n, f) == n;
}

}  // namespace

TfdbDataBlock::~TfdbDataBlock() {
  // Unlink iteratively so that a long chain cannot exhaust the stack.
  std::unique_ptr<TfdbDataBlock> next = std::move(Next);
  while (next) next = std::move(next->Next);
}

TfdbTable::TfdbTable() = default;

TfdbTable::~TfdbTable() { Close(); }

void TfdbTable::Close() {
  data_.reset();
  std::vector<TfdbFieldDef>().swap(fields_);
  std::vector<TfdbIndexDef>().swap(indexes_);
  std::vector<uint32_t>().swap(base_);
  std::vector<uint32_t>().swap(selection_);
  hasBase_ = hasSelection_ = selectionCurrent_ = false;
  SelCount = 0;
  RecCount = 0;
  FieldCount = 0;
  IndexCount = 0;
}

int TfdbTable::Fail() {
  // Every file that cannot be trusted ends here: nothing of it stays readable.
  Close();
  return -1;
}

int TfdbTable::Open(const char* name) {
  Close();
  const std::string base = name ? name : "";

  // NAME.f: counts and descriptors.
  File f = OpenRead(Dir + base + ".f");
  if (!f) return -1;
  Name = base;
  const int64_t fsize = FileSize(f.get());
  if (fsize < 8 || fsize >= kMaxFileSize) return Fail();
  unsigned char head[8];
  if (!ReadExact(f.get(), head, sizeof head)) return Fail();
  const uint32_t word = DecodeFixed32(head + 4);
  const int32_t fieldCount = static_cast<int32_t>(word & 0xFFFF);
  const int32_t indexCount = static_cast<int16_t>(word >> 16);
  if (indexCount < 0) return Fail();
  const int64_t descBytes = int64_t{kDescSize} * (fieldCount + indexCount);
  if (8 + descBytes > fsize) return Fail();
  std::vector<unsigned char> desc(static_cast<size_t>(descBytes));
  if (!ReadExact(f.get(), desc.data(), desc.size())) return Fail();
  f.reset();

  fields_.resize(static_cast<size_t>(fieldCount));
  for (int32_t i = 0; i < fieldCount; ++i) {
    const unsigned char* p = desc.data() + kDescSize * static_cast<size_t>(i);
    TfdbFieldDef& fd = fields_[static_cast<size_t>(i)];
    fd.Slot = static_cast<uint16_t>(DecodeFixed16(p));
    fd.Type = static_cast<char>(p[2]);
    fd.Width = p[3];
    std::memcpy(fd.Name, p + 4, sizeof fd.Name);
    fd.Name[sizeof fd.Name - 1] = 0;
    if (fd.Type == 'N' && (fd.Width == 0 || fd.Width > 4)) return Fail();
  }
  indexes_.resize(static_cast<size_t>(indexCount));
  for (int32_t i = 0; i < indexCount; ++i) {
    std::memcpy(indexes_[static_cast<size_t>(i)].Raw,
                desc.data() + kDescSize * static_cast<size_t>(fieldCount + i), kDescSize);
  }
  FieldCount = fieldCount;
  IndexCount = indexCount;

  // NAME.d: the records, in one block followed by zero padding.
  File d = OpenRead(Dir + Name + ".d");
  if (!d) return -1;
  const int64_t dsize = FileSize(d.get());
  if (dsize < 0 || dsize >= kMaxFileSize) return Fail();
  if (dsize == 0) return 0;  // descriptors only: every read fails
  auto block = std::unique_ptr<TfdbDataBlock>(new (std::nothrow) TfdbDataBlock);
  if (!block) return -1;
  block->Bytes.reset(new (std::nothrow) unsigned char[static_cast<size_t>(dsize) + TfdbDataBlock::kPad]);
  if (!block->Bytes) return -1;
  if (!ReadExact(d.get(), block->Bytes.get(), static_cast<size_t>(dsize))) return Fail();
  std::memset(block->Bytes.get() + dsize, 0, TfdbDataBlock::kPad);
  block->Count = static_cast<int32_t>(dsize);
  data_ = std::move(block);
  d.reset();

  // NAME.x: only the first (primary) array is loaded.
  File x = OpenRead(Dir + Name + ".x");
  if (!x) return -1;
  const int64_t xsize = FileSize(x.get());
  if (xsize < 0 || xsize >= kMaxFileSize) return Fail();
  if (xsize == 0) return 0;  // no base order: the table has no records
  if (IndexCount <= 0) return Fail();
  const uint32_t count = static_cast<uint32_t>((xsize / 4) / IndexCount);
  try {
    base_.resize(count);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  if (!ReadExact(x.get(), base_.data(), size_t{count} * 4)) return Fail();
  x.reset();

  uint32_t maxOffset = 0;
  for (uint32_t& entry : base_) {
    entry = DecodeFixed32(reinterpret_cast<const unsigned char*>(&entry));
    if (entry >= static_cast<uint32_t>(dsize)) return Fail();
    if (entry > maxOffset) maxOffset = entry;
  }
  // Every record's inline slots must lie inside the data; checking the
  // furthest record covers all of them.
  if (count > 0) {
    for (const TfdbFieldDef& fd : fields_) {
      int64_t need = 0;
      if (fd.Type == 'C') need = 1;
      else if (fd.Type == 'N') need = fd.Width;
      else if (fd.Type == 'T') need = 2;
      if (int64_t{maxOffset} + fd.Slot + need > dsize) return Fail();
    }
  }
  RecCount = count;
  hasBase_ = true;
  return 0;
}

int TfdbTable::FieldIndex(const char* name) const {
  if (fields_.empty()) return -1;
  if (!name) name = "";
  for (size_t i = 0; i < fields_.size(); ++i) {
    if (NameCmp(fields_[i].Name, name) == 0) return static_cast<int>(i);
  }
  return -1;
}

uint32_t TfdbTable::CurCount() const {
  return selectionCurrent_ ? static_cast<uint32_t>(SelCount) : RecCount;
}

const uint32_t* TfdbTable::Current() const {
  if (selectionCurrent_) return selection_.data();
  return hasBase_ ? base_.data() : nullptr;
}

char TfdbTable::FieldType(int32_t field) const {
  if (field < 0 || field >= FieldCount) return 0;
  return fields_[static_cast<size_t>(field)].Type;
}

const char* TfdbTable::FieldName(int32_t field) const {
  if (field < 0 || field >= FieldCount) return "";
  return fields_[static_cast<size_t>(field)].Name;
}

const unsigned char* TfdbTable::DataBegin() const { return data_ ? data_->Bytes.get() : nullptr; }

const unsigned char* TfdbTable::DataEnd() const {
  return data_ ? data_->Bytes.get() + data_->Count : nullptr;
}

const unsigned char* TfdbTable::LocateAt(uint32_t offset, const TfdbFieldDef& fd,
                                         uint32_t* avail) const {
  // Open has checked that the record starts inside the data and that its
  // inline slots fit; only an out-of-line offset is checked here.
  const uint32_t size = static_cast<uint32_t>(data_->Count);
  const unsigned char* record = data_->Bytes.get() + offset;
  uint32_t at = offset;
  if (fd.Type == 'C' || fd.Type == 'N') {
    at += fd.Slot;
  } else if (fd.Type == 'T') {
    at += DecodeFixed16(record + fd.Slot);
    if (at >= size) return nullptr;
  }
  *avail = size - at;
  return data_->Bytes.get() + at;
}

const unsigned char* TfdbTable::Locate(int32_t record, int32_t field, uint32_t* avail) const {
  const uint32_t* order = Current();
  if (fields_.empty() || !data_ || !order) return nullptr;
  if (static_cast<uint32_t>(record) >= CurCount()) return nullptr;
  if (field < 0 || field >= FieldCount) return nullptr;
  return LocateAt(order[record], fields_[static_cast<size_t>(field)], avail);
}

int32_t TfdbTable::NumAt(uint32_t offset, const TfdbFieldDef& fd) const {
  uint32_t avail = 0;
  const unsigned char* p = LocateAt(offset, fd, &avail);
  const uint32_t width = fd.Width < 4 ? fd.Width : 4;
  if (!p || avail < width) return kFdbNumFail;
  uint32_t value = 0;
  for (uint32_t i = 0; i < width; ++i) value |= uint32_t{p[i]} << (8 * i);
  return static_cast<int32_t>(value);
}

const char* TfdbTable::TextAt(uint32_t offset, const TfdbFieldDef& fd) const {
  if (fd.Type != 'C' && fd.Type != 'T') return kFdbEof;
  uint32_t avail = 0;
  const unsigned char* p = LocateAt(offset, fd, &avail);
  // The zero padding after the data ends any text that the file left open.
  return p ? reinterpret_cast<const char*>(p) : kFdbEof;
}

const char* TfdbTable::GetStr(int32_t record, int32_t field) {
  uint32_t avail = 0;
  if (!Locate(record, field, &avail)) return kFdbEof;
  const TfdbFieldDef& fd = fields_[static_cast<size_t>(field)];
  if (fd.Type != 'N') return TextAt(Current()[record], fd);
  const int32_t value = NumAt(Current()[record], fd);
  if (value < 0) {
    numBuffer[0] = 0;
    return numBuffer;
  }
  char digits[12];
  int n = 0;
  uint32_t v = static_cast<uint32_t>(value);
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  for (int i = 0; i < n; ++i) numBuffer[i] = digits[n - 1 - i];
  numBuffer[n] = 0;
  return numBuffer;
}

int32_t TfdbTable::GetNum(int32_t record, int32_t field) const {
  uint32_t avail = 0;
  if (!Locate(record, field, &avail)) return kFdbNumFail;
  return NumAt(Current()[record], fields_[static_cast<size_t>(field)]);
}

const char* TfdbTable::GetStrByName(int32_t record, const char* name) {
  const int field = FieldIndex(name);
  return field < 0 ? kFdbFieldNotFound : GetStr(record, field);
}

int32_t TfdbTable::GetNumByName(int32_t record, const char* name) const {
  const int field = FieldIndex(name);
  return field < 0 ? kFdbNumFail : GetNum(record, field);
}
