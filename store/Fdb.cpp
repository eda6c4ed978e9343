// TfdbTable: opening, validation and value reads.
#include "Fdb.h"

#include <cassert>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "Coding.h"
#include "FdbAccess.h"
#include "FileLoad.h"

const char kFdbEof[] = "FDB_EOF";
const char kFdbFieldNotFound[] = "Field not found";

using fdbcoding::DecodeFixed16;
using fdbcoding::DecodeFixed32;

namespace {

// NAME.x entries are unsigned 32-bit offsets, and an out-of-line value starts
// within 65,535 bytes of its record: beyond that no byte of NAME.d can be
// reached, so a larger file is not a table of this format.
constexpr uint64_t kMaxDataSize = (uint64_t{1} << 32) + 0xFFFF;
// Record numbers are signed 32-bit.
constexpr uint64_t kMaxRecords = 0x7FFFFFFF;
constexpr size_t kDescSize = 20;

// Shared by every table: the text of the last numeric GetStr.
char numBuffer[12];

}  // namespace

TfdbDataBlock::~TfdbDataBlock() {
  // Unlink iteratively so that a long chain cannot exhaust the stack.
  std::unique_ptr<TfdbDataBlock> next = std::move(Next);
  while (next) next = std::move(next->Next);
}

TfdbTable::TfdbTable() = default;

TfdbTable::~TfdbTable() { Close(); }

void TfdbTable::Close() {
  caches_.reset();
  data_.reset();
  dataSize_ = 0;
  std::vector<TfdbFieldDef>().swap(fields_);
  std::vector<TfdbIndexDef>().swap(indexes_);
  BigVector<uint32_t>().swap(base_);
  BigVector<uint32_t>().swap(selection_);
  hasBase_ = hasSelection_ = selectionCurrent_ = false;
  SelCount = 0;
  RecCount = 0;
  FieldCount = 0;
  IndexCount = 0;
}

int TfdbTable::Fail(FdbFailure why) {
  // Every Open that fails ends here: nothing of the table stays readable.
  Close();
  failure_ = std::move(why);
  return -1;
}

namespace {

FdbFailure Refusal(FdbCheck check, const std::string& file) {
  FdbFailure why;
  why.Check = check;
  why.File = file;
  return why;
}

FdbFailure RefusalAt(FdbCheck check, const std::string& file, uint64_t offset) {
  FdbFailure why = Refusal(check, file);
  why.Offset = offset;
  why.HasOffset = true;
  return why;
}

// What a failed InputFile call means for the table.
FdbFailure FileFailure(const fdbload::FileFault& fault, const std::string& file) {
  using Kind = fdbload::FileFault::Kind;
  FdbFailure why;
  switch (fault.What) {
    case Kind::CannotOpen:
      why = Refusal(FdbCheck::CannotOpen, file);
      break;
    case Kind::NotRegular:
      why = Refusal(FdbCheck::NotRegularFile, file);
      break;
    case Kind::ReadError:
      why = RefusalAt(FdbCheck::ReadFailed, file, fault.At);
      break;
    case Kind::EndedEarly:
    case Kind::None:  // a read that failed without saying why: the file gave out
      why = RefusalAt(FdbCheck::FileShrank, file, fault.At);
      break;
  }
  why.Error = fault.Error;
  return why;
}

}  // namespace

int TfdbTable::Open(const char* name) {
  Close();
  failure_ = FdbFailure();
  const std::string base = name ? name : "";
  std::string loading = base + ".f";  // the file being loaded, for a failure to name
  int rc;
  try {
    rc = LoadFiles(base, &loading);
  } catch (const std::bad_alloc&) {
    return Fail(Refusal(FdbCheck::OutOfMemory, loading));
  }
  assert(rc == 0 || failure_.Check != FdbCheck::None);
  assert(rc != 0 || (failure_.Check == FdbCheck::None && RecCount == base_.size()));
  return rc;
}

int TfdbTable::LoadFiles(const std::string& base, std::string* loading) {
  using fdbload::FileFault;
  using fdbload::InputFile;
  FileFault fault;
  // NAME.f: counts and descriptors.
  const std::string fName = base + ".f";
  InputFile f;
  if (!f.Open(Dir + fName, &fault)) return Fail(FileFailure(fault, fName));
  Name = base;
  if (f.Size() < 8) return Fail(RefusalAt(FdbCheck::HeaderTooShort, fName, f.Size()));
  unsigned char head[8];
  if (!f.ReadAt(0, head, sizeof head, &fault)) return Fail(FileFailure(fault, fName));
  const uint32_t word = DecodeFixed32(head + 4);
  const int32_t fieldCount = static_cast<int32_t>(word & 0xFFFF);
  const int32_t indexCount = static_cast<int16_t>(word >> 16);
  if (indexCount < 0) return Fail(RefusalAt(FdbCheck::NegativeIndexCount, fName, 6));
  const uint64_t descBytes = uint64_t{kDescSize} * static_cast<uint64_t>(fieldCount + indexCount);
  if (8 + descBytes > f.Size()) {
    // The first descriptor that does not fit whole.
    const uint64_t fitting = (f.Size() - 8) / kDescSize;
    return Fail(RefusalAt(FdbCheck::DescriptorsBeyondEnd, fName, 8 + kDescSize * fitting));
  }
  std::vector<unsigned char> desc(static_cast<size_t>(descBytes));
  if (!f.ReadAt(8, desc.data(), desc.size(), &fault)) return Fail(FileFailure(fault, fName));

  fields_.resize(static_cast<size_t>(fieldCount));
  for (int32_t i = 0; i < fieldCount; ++i) {
    const unsigned char* p = desc.data() + kDescSize * static_cast<size_t>(i);
    TfdbFieldDef& fd = fields_[static_cast<size_t>(i)];
    fd.Slot = static_cast<uint16_t>(DecodeFixed16(p));
    fd.Type = static_cast<char>(p[2]);
    fd.Width = p[3];
    std::memcpy(fd.Name, p + 4, sizeof fd.Name);
    fd.Name[sizeof fd.Name - 1] = 0;
    if (fd.Type == 'N' && (fd.Width == 0 || fd.Width > 4)) {
      FdbFailure why = RefusalAt(FdbCheck::BadNumberWidth, fName, 8 + kDescSize * static_cast<uint64_t>(i) + 3);
      why.Field = i;
      return Fail(why);
    }
  }
  indexes_.resize(static_cast<size_t>(indexCount));
  for (int32_t i = 0; i < indexCount; ++i) {
    std::memcpy(indexes_[static_cast<size_t>(i)].Raw,
                desc.data() + kDescSize * static_cast<size_t>(fieldCount + i), kDescSize);
  }
  FieldCount = fieldCount;
  IndexCount = indexCount;

  // NAME.d: the records, in one block followed by zero padding.
  const std::string dName = base + ".d";
  *loading = dName;
  InputFile d;
  if (!d.Open(Dir + dName, &fault)) return Fail(FileFailure(fault, dName));
  const uint64_t dsize = d.Size();
  if (dsize > kMaxDataSize) return Fail(Refusal(FdbCheck::DataTooLarge, dName));
  if (dsize == 0) return 0;  // descriptors only: every read fails
  auto block = std::unique_ptr<TfdbDataBlock>(new (std::nothrow) TfdbDataBlock);
  if (!block) return Fail(Refusal(FdbCheck::OutOfMemory, dName));
  const size_t bytes = static_cast<size_t>(dsize) + TfdbDataBlock::kPad;
  block->Bytes.reset(new (std::nothrow) unsigned char[bytes]);
  if (!block->Bytes) return Fail(Refusal(FdbCheck::OutOfMemory, dName));
  fdbload::AdviseHugePages(block->Bytes.get(), bytes);
  if (!d.ReadWhole(block->Bytes.get(), dsize, &fault)) return Fail(FileFailure(fault, dName));
  std::memset(block->Bytes.get() + dsize, 0, TfdbDataBlock::kPad);
  block->Count = static_cast<int32_t>(dsize < 0x7FFFFFFF ? dsize : 0x7FFFFFFF);
  data_ = std::move(block);
  dataSize_ = dsize;

  // NAME.x: only the first (primary) array is loaded.
  const std::string xName = base + ".x";
  *loading = xName;
  InputFile x;
  if (!x.Open(Dir + xName, &fault)) return Fail(FileFailure(fault, xName));
  const uint64_t xsize = x.Size();
  if (xsize == 0) return 0;  // no base order: the table has no records
  if (IndexCount <= 0) return Fail(Refusal(FdbCheck::NoIndexDescriptor, xName));
  const uint64_t records = (xsize / 4) / static_cast<uint64_t>(IndexCount);
  if (records > kMaxRecords) return Fail(Refusal(FdbCheck::TooManyRecords, xName));
  const uint32_t count = static_cast<uint32_t>(records);
  base_.resize(count);
  if (!x.ReadAt(0, base_.data(), uint64_t{count} * 4, &fault)) return Fail(FileFailure(fault, xName));

  uint32_t maxOffset = 0;
  uint32_t maxAt = 0;  // base-order position of the furthest record
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t& entry = base_[i];
    entry = DecodeFixed32(reinterpret_cast<const unsigned char*>(&entry));
    if (entry >= dsize) return Fail(RefusalAt(FdbCheck::RecordBeyondData, xName, uint64_t{i} * 4));
    if (entry > maxOffset) {
      maxOffset = entry;
      maxAt = i;
    }
  }
  // Every record's inline slots must lie inside the data; checking the
  // furthest record covers all of them.
  if (count > 0) {
    for (size_t i = 0; i < fields_.size(); ++i) {
      const TfdbFieldDef& fd = fields_[i];
      uint64_t need = 0;
      if (fd.Type == 'C') need = 1;
      else if (fd.Type == 'N') need = fd.Width;
      else if (fd.Type == 'T') need = 2;
      if (uint64_t{maxOffset} + fd.Slot + need > dsize) {
        FdbFailure why = RefusalAt(FdbCheck::SlotBeyondData, xName, uint64_t{maxAt} * 4);
        why.Field = static_cast<int32_t>(i);
        return Fail(why);
      }
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

uint32_t TfdbTable::OffsetOf(int32_t record) const {
  const uint32_t r = static_cast<uint32_t>(record);
  assert(r < CurCount());
  assert(!selectionCurrent_ || selection_[r] < base_.size());
  return base_[selectionCurrent_ ? selection_[r] : r];
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
  return data_ ? data_->Bytes.get() + dataSize_ : nullptr;
}

const unsigned char* TfdbTable::LocateAt(uint32_t offset, const TfdbFieldDef& fd,
                                         uint64_t* avail) const {
  // Open has checked that the record starts inside the data and that its
  // inline slots fit; only an out-of-line offset is checked here.
  const uint64_t size = dataSize_;
  const unsigned char* record = data_->Bytes.get() + offset;
  uint64_t at = offset;
  if (fd.Type == 'C' || fd.Type == 'N') {
    at += fd.Slot;
  } else if (fd.Type == 'T') {
    at += DecodeFixed16(record + fd.Slot);
    if (at >= size) return nullptr;
  }
  *avail = size - at;
  return data_->Bytes.get() + at;
}

const unsigned char* TfdbTable::Locate(int32_t record, int32_t field, uint64_t* avail) const {
  if (fields_.empty() || !data_ || !hasBase_) return nullptr;
  if (static_cast<uint32_t>(record) >= CurCount()) return nullptr;
  if (field < 0 || field >= FieldCount) return nullptr;
  return LocateAt(OffsetOf(record), fields_[static_cast<size_t>(field)], avail);
}

int32_t TfdbTable::NumAt(uint32_t offset, const TfdbFieldDef& fd) const {
  uint64_t avail = 0;
  const unsigned char* p = LocateAt(offset, fd, &avail);
  const uint32_t width = fd.Width < 4 ? fd.Width : 4;
  if (!p || avail < width) return kFdbNumFail;
  return static_cast<int32_t>(fdbcoding::DecodeFixed(p, width));
}

const char* TfdbTable::TextAt(uint32_t offset, const TfdbFieldDef& fd) const {
  if (fd.Type != 'C' && fd.Type != 'T') return kFdbEof;
  uint64_t avail = 0;
  const unsigned char* p = LocateAt(offset, fd, &avail);
  // The zero padding after the data ends any text that the file left open.
  return p ? reinterpret_cast<const char*>(p) : kFdbEof;
}

const char* TfdbTable::GetStr(int32_t record, int32_t field) {
  uint64_t avail = 0;
  if (!Locate(record, field, &avail)) return kFdbEof;
  const TfdbFieldDef& fd = fields_[static_cast<size_t>(field)];
  if (fd.Type != 'N') return TextAt(OffsetOf(record), fd);
  numBuffer[fdbcoding::RenderNumber(NumAt(OffsetOf(record), fd), numBuffer)] = 0;
  return numBuffer;
}

int fdbcoding::RenderNumber(int32_t value, char* out) {
  if (value < 0) return 0;  // a negative value reads as the empty text
  char digits[12];
  int n = 0;
  uint32_t v = static_cast<uint32_t>(value);
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  for (int i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
  return n;
}

int32_t TfdbTable::GetNum(int32_t record, int32_t field) const {
  uint64_t avail = 0;
  if (!Locate(record, field, &avail)) return kFdbNumFail;
  return NumAt(OffsetOf(record), fields_[static_cast<size_t>(field)]);
}

const char* TfdbTable::GetStrByName(int32_t record, const char* name) {
  const int field = FieldIndex(name);
  return field < 0 ? kFdbFieldNotFound : GetStr(record, field);
}

int32_t TfdbTable::GetNumByName(int32_t record, const char* name) const {
  const int field = FieldIndex(name);
  return field < 0 ? kFdbNumFail : GetNum(record, field);
}
