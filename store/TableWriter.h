// Writes one table as NAME.f, NAME.d and NAME.x in the store's format (see
// docs/table-format.md). Records are encoded as they are added and refused,
// with a message, when the format cannot hold them; nothing already added is
// touched by a refusal.
#ifndef KARO_STORE_TABLEWRITER_H
#define KARO_STORE_TABLEWRITER_H

#include <cstdint>
#include <string>
#include <vector>

namespace karo {

struct FieldSpec {
  std::string Name;  // 1 to 15 bytes
  char Type = 'C';   // 'C' inline text, 'N' inline number, 'T' out-of-line value
  int Width = 0;     // 'C': slot bytes including the zero (1..255); 'N': 1..4; 'T': carried (0..255)
};

// One field's value in a record.
struct FieldValue {
  enum class Kind { Text, Num, Raw };
  Kind Type = Kind::Text;
  std::string Bytes;  // Text: Windows-1250 without zero bytes; Raw: stored as given
  int64_t Num = 0;

  static FieldValue Text(std::string s) { return {Kind::Text, std::move(s), 0}; }
  static FieldValue Number(int64_t n) { return {Kind::Num, {}, n}; }
  // Bytes stored as given, without a terminator of their own (code lists).
  static FieldValue Raw(std::string bytes) { return {Kind::Raw, std::move(bytes), 0}; }
};

// One index array of NAME.x with its descriptor.
struct IndexSpec {
  std::string Name;             // up to 15 bytes
  int KeyField = -1;            // recorded in the descriptor only
  std::vector<uint32_t> Order;  // record numbers (in the order added); empty: added order
};

class TableWriter {
 public:
  explicit TableWriter(std::vector<FieldSpec> fields);

  // False, with the reason, when the field list cannot be written.
  bool CheckFields(std::string* error) const;
  // Encodes and appends one record: one value per field. False, with the
  // reason naming the field, when a value does not fit the format.
  bool Add(const std::vector<FieldValue>& values, std::string* error);
  uint32_t Count() const { return static_cast<uint32_t>(offsets_.size()); }
  const std::vector<FieldSpec>& Fields() const { return fields_; }

  // Writes dir/name.{f,d,x}. Without indexes, one primary index holds the
  // records in the order added. Every Order must be a permutation of the
  // records. False, with the reason, on any failure.
  bool Write(const std::string& dir, const std::string& name, std::vector<IndexSpec> indexes,
             std::string* error) const;

 private:
  std::vector<FieldSpec> fields_;
  std::vector<uint16_t> slots_;
  uint32_t fixedSize_ = 0;
  bool fieldsOk_ = false;
  std::vector<unsigned char> data_;
  std::vector<uint32_t> offsets_;
};

}  // namespace karo

#endif  // KARO_STORE_TABLEWRITER_H
