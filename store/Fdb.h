// The table store: read-only flat tables of three files (NAME.f descriptors,
// NAME.d records, NAME.x index arrays), loaded whole into memory at Open.
//
// Record numbers are positions in the table's current order: the base order
// (the primary index of NAME.x) or the selection (a subset built by a search,
// a value filter or a sort). Reads never fail loudly: texts read as "FDB_EOF"
// or "Field not found", numbers as kFdbNumFail.
//
// Open copies the files into memory of its own (never maps them), so that
// nothing done to them on disk later changes what the table shows.
//
// Whatever the files hold, the store never reads or writes outside the memory
// it allocated: Open validates what can be validated once (sizes, offsets,
// slots, widths) and refuses the table with -1; what cannot (an out-of-line
// value's offset for one record) is bounded at read time. A refused table
// says why: TfdbTable::Failure() names the file, the byte and the check.
//
// Pure C++17: no toolkit. Texts are zero-terminated Windows-1250 bytes.
#ifndef KARO_STORE_FDB_H
#define KARO_STORE_FDB_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FileLoad.h"

// Failure value of every numeric read (0x80000001).
constexpr int32_t kFdbNumFail = -2147483647;
// SortField of a selection that is not in a sorted state.
constexpr int32_t kFdbNotSorted = -9;
// Texts handed out on failure.
extern const char kFdbEof[];            // "FDB_EOF"
extern const char kFdbFieldNotFound[];  // "Field not found"

// One field descriptor as stored in NAME.f (20 bytes on disk).
struct TfdbFieldDef {
  uint16_t Slot = 0;   // byte offset of the field's slot from the record start
  char Type = 0;       // 'C' inline text, 'N' inline number, 'T' out-of-line value
  uint8_t Width = 0;   // 'N': bytes of the number (1..4); carried for 'C' and 'T'
  char Name[16] = {};  // zero-terminated
};

// One index descriptor: carried with the table, never interpreted.
struct TfdbIndexDef {
  uint8_t Raw[20] = {};
};

// One loaded data file. Open creates exactly one block; Next stays empty.
// Bytes are followed by kPad zero bytes, so a text that runs to the end of the
// file still ends inside the allocation.
class TfdbDataBlock {
 public:
  static constexpr int32_t kPad = 8;
  TfdbDataBlock() = default;
  ~TfdbDataBlock();
  TfdbDataBlock(const TfdbDataBlock&) = delete;
  TfdbDataBlock& operator=(const TfdbDataBlock&) = delete;

  std::unique_ptr<unsigned char[]> Bytes;
  int32_t Count = 0;  // file size in bytes without the padding (2^31-1 for larger files)
  std::unique_ptr<TfdbDataBlock> Next;
};

// The checks of TfdbTable::Open, each a reason to refuse a table. What an
// FdbFailure carries beside the check is said per check.
enum class FdbCheck {
  None,                 // the last Open succeeded, or none was made
  CannotOpen,           // the file cannot be opened; Error = errno (ENOENT: missing)
  NotRegularFile,       // a FIFO, device or folder: never read from
  HeaderTooShort,       // NAME.f shorter than its 8-byte header; Offset = its size
  NegativeIndexCount,   // NAME.f's index count (Offset 6) is below 0
  DescriptorsBeyondEnd, // NAME.f ends inside its descriptors; Offset = the first that does not fit
  BadNumberWidth,       // an 'N' field's width is 0 or above 4; Field, Offset = the width byte
  DataTooLarge,         // NAME.d is beyond what offsets reach (4 GiB + 64 KiB - 1 bytes)
  NoIndexDescriptor,    // NAME.x holds entries but NAME.f describes no index
  TooManyRecords,       // NAME.x holds more than 2^31 - 1 records
  ReadFailed,           // a read failed; Error = errno, Offset = where
  FileShrank,           // the file ended at Offset, before the size it had when opened
  RecordBeyondData,     // a base-order entry (NAME.x, Offset = the entry) is past NAME.d's end
  SlotBeyondData,       // field Field of the record of the entry at Offset (NAME.x) ends past NAME.d
  OutOfMemory,          // no memory for the file's content
};

// Why the last Open of a table failed.
struct FdbFailure {
  FdbCheck Check = FdbCheck::None;
  std::string File;       // "NAME.f", "NAME.d" or "NAME.x", without the folder; "" with None
  uint64_t Offset = 0;    // byte of File the check found wrong, when HasOffset
  bool HasOffset = false;
  int Error = 0;          // errno of CannotOpen and ReadFailed, else 0
  int32_t Field = -1;     // field number of BadNumberWidth and SlotBeyondData, else -1
};

class FdbCaches;

class TfdbTable {
 public:
  TfdbTable();
  ~TfdbTable();
  TfdbTable(const TfdbTable&) = delete;
  TfdbTable& operator=(const TfdbTable&) = delete;

  std::string Name, Dir;  // Dir ends with a separator; set by the owner before Open
  int32_t SelCount = 0;
  uint32_t RecCount = 0;
  int32_t FieldCount = 0;
  int32_t IndexCount = 0;
  int32_t SortField = kFdbNotSorted;

  // Loads Dir + name + ".f"/".d"/".x". 0 on success (also for an empty NAME.d
  // or NAME.x: the table then has no records; with an empty NAME.d, NAME.x is
  // not opened at all), -1 when a file cannot be read or cannot be trusted.
  // Whatever content the table held before is released first. After -1 the
  // table is closed, whichever check failed: nothing of the files is
  // readable (RecCount, FieldCount and IndexCount 0, no data), and Failure()
  // says why. Name becomes `name` once NAME.f has opened; a NAME.f that
  // cannot be opened leaves Name as it was. A null name is taken as empty.
  int Open(const char* name);
  // Why the last Open returned -1; Check is FdbCheck::None after a
  // successful Open or before any. Kept until the next Open (Close keeps it).
  const FdbFailure& Failure() const { return failure_; }
  // Releases all loaded content; Name, Dir, SortField and Failure() stay.
  void Close();

  // Field number of the first field whose name equals `name` without regard
  // to case, or -1. A null name is taken as empty.
  int FieldIndex(const char* name) const;
  // Records in the current order.
  uint32_t CurCount() const;

  // Text of a field: 'C' and 'T' point into the loaded data (valid until
  // Close); 'N' is rendered into one buffer shared by every table and
  // overwritten by the next numeric GetStr. "FDB_EOF" on failure.
  const char* GetStr(int32_t record, int32_t field);
  // Unsigned little-endian value of the field's first Width bytes (at most 4),
  // as a signed 32-bit number; kFdbNumFail on failure.
  int32_t GetNum(int32_t record, int32_t field) const;
  const char* GetStrByName(int32_t record, const char* name);
  int32_t GetNumByName(int32_t record, const char* name) const;
  // 'C', 'N', 'T' or the stored code; 0 for a field number out of range.
  char FieldType(int32_t field) const;
  // The field's stored name; "" for a field number out of range.
  const char* FieldName(int32_t field) const;
  // The loaded data, [DataBegin, DataEnd): readers of code lists (which a text
  // read hands out as raw positions) stay inside it. Null without data.
  const unsigned char* DataBegin() const;
  const unsigned char* DataEnd() const;

  // 1 with a selection present makes it current; anything else the base order.
  void SetOrder(int which);
  // Frees any selection and allocates an empty one with room for RecCount
  // entries; the base order stays current. 0, or -1 when out of memory.
  int BeginSelection();
  // Makes the base order current and empties the selection: SelCount 0,
  // SortField not sorted. A selection's room stays (a later AddToSelection
  // fills it); without a selection there is still none afterwards.
  void ClearSelection();
  // Appends the base order's entry `record` to the selection. Ignored without
  // a selection, when the selection is full, or for a record out of range.
  void AddToSelection(int32_t record);
  // Copies the whole base order into the selection (if there is one).
  void SelectAll();
  // Selection = every record whose GetNum of the field equals the value, in
  // base order; the selection becomes current.
  void SelectNum(int32_t field, int32_t value);
  // Sorts the selection ascending by the field (a selection of all records is
  // made first if there is none); equal keys end in the reverse of their
  // previous order. The selection becomes current; SortField = field.
  void Sort(int32_t field);
  // First record of the current order whose text starts with `key` under the
  // search folding, or -1.
  int32_t FindPrefix(int32_t field, const char* key);
  // First record of the current order whose number (GetNum) equals `value`,
  // or -1 if none, for a current order non-decreasing in the field. On an
  // order that is not, the answer is some record holding the value or -1,
  // whichever way it was looked up; the table is not changed either way.
  int32_t SeekNum(int32_t field, int32_t value) const;

 private:
  friend class FdbAccess;  // the fast paths of store/ and core/ (FdbAccess.h)

  // Value position of (record, field) or null; `avail` gets the bytes from
  // there to the end of the data.
  const unsigned char* Locate(int32_t record, int32_t field, uint64_t* avail) const;
  const unsigned char* LocateAt(uint32_t offset, const TfdbFieldDef& fd, uint64_t* avail) const;
  int32_t NumAt(uint32_t offset, const TfdbFieldDef& fd) const;
  const char* TextAt(uint32_t offset, const TfdbFieldDef& fd) const;
  // Data offset of record number `record` of the current order.
  // REQUIRES: 0 <= record < CurCount().
  uint32_t OffsetOf(int32_t record) const;
  // The one exit of a failed Open: closes the table, records `why` and
  // returns -1.
  int Fail(FdbFailure why);
  int LoadFiles(const std::string& base, std::string* loading);
  void SortMerge(int32_t field, BigVector<uint32_t>& scratch);
  int32_t SeekNumSearch(int32_t field, int32_t value) const;

  std::vector<TfdbFieldDef> fields_;
  std::vector<TfdbIndexDef> indexes_;
  std::unique_ptr<TfdbDataBlock> data_;
  uint64_t dataSize_ = 0;             // bytes of NAME.d (the block's Count caps at 2 GiB)
  BigVector<uint32_t> base_;          // record offsets in NAME.d, in primary-index order
  BigVector<uint32_t> selection_;     // base-order record numbers; size() is the room
  bool hasBase_ = false;
  bool hasSelection_ = false;
  bool selectionCurrent_ = false;
  // Ranks, the key map and the search index: built on demand from the loaded
  // data, dropped by Close (FdbAccess.h).
  mutable std::unique_ptr<FdbCaches> caches_;
  FdbFailure failure_;
};

// 0 when `key` is a beginning of `value` under the search folding table; -1
// when at the first difference the key's folded byte is smaller; 1 when it is
// larger or the value ends first. Allocates nothing.
int PrefixCmp(const char* key, const char* value);
// Czech alphabetical order with "ch" after "h": -1, 0 or 1.
int CzechCmp(const char* a, const char* b);
// Field-name comparison without regard to case: -1, 0 or 1.
int NameCmp(const char* a, const char* b);

// The three constant 256-byte tables, indexed by the unsigned byte.
extern const unsigned char kSearchFold[256];
extern const unsigned char kCollation[256];
extern const unsigned char kNameFold[256];

#endif  // KARO_STORE_FDB_H
