// The table writer: records encoded as they are added, then the three files.
#include "TableWriter.h"

#include <cstdio>
#include <memory>

#include "Coding.h"

namespace karo {

namespace {

using fdbcoding::EncodeFixed;
using fdbcoding::EncodeFixed16;
using fdbcoding::EncodeFixed32;

// Record offsets are unsigned 32-bit: a record must start below 4 GiB. The
// store reads NAME.d up to 4 GiB + 64 KiB (the last out-of-line value).
constexpr uint64_t kMaxRecordStart = 0xFFFFFFFFull;
constexpr uint64_t kMaxData = (uint64_t{1} << 32) + 0xFFFF;
constexpr uint64_t kMaxRecords = 0x7FFFFFFF;  // record numbers are signed 32-bit
constexpr size_t kDesc = 20;

void PutName(unsigned char* p, const std::string& name) {
  for (size_t i = 0; i < 16; ++i) p[i] = i < name.size() && i < 15 ? static_cast<unsigned char>(name[i]) : 0;
}

bool WriteFile(const std::string& path, const unsigned char* bytes, size_t n, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    *error = path + ": soubor nelze vytvořit";
    return false;
  }
  const bool written = n == 0 || std::fwrite(bytes, 1, n, f) == n;
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed) {
    *error = path + ": soubor nelze zapsat";
    return false;
  }
  return true;
}

}  // namespace

TableWriter::TableWriter(std::vector<FieldSpec> fields) : fields_(std::move(fields)) {
  uint32_t at = 0;
  for (const FieldSpec& f : fields_) {
    slots_.push_back(static_cast<uint16_t>(at));
    at += f.Type == 'T' ? 2 : static_cast<uint32_t>(f.Width > 0 ? f.Width : 0);
  }
  fixedSize_ = at;
  std::string ignored;
  fieldsOk_ = CheckFields(&ignored);
}

bool TableWriter::CheckFields(std::string* error) const {
  if (fields_.size() > 0xFFFF) {
    *error = "příliš mnoho polí";
    return false;
  }
  for (const FieldSpec& f : fields_) {
    const std::string what = "pole \"" + f.Name + "\": ";
    if (f.Name.empty() || f.Name.size() > 15 || f.Name.find('\0') != std::string::npos) {
      *error = what + "název pole má 1 až 15 znaků";
      return false;
    }
    if (f.Type == 'C' && (f.Width < 1 || f.Width > 255)) {
      *error = what + "textové pole má šířku 1 až 255 bajtů";
      return false;
    }
    if (f.Type == 'N' && (f.Width < 1 || f.Width > 4)) {
      *error = what + "číslo má šířku 1 až 4 bajty";
      return false;
    }
    if (f.Type == 'T' && (f.Width < 0 || f.Width > 255)) {
      *error = what + "šířka je 0 až 255";
      return false;
    }
    if (f.Type != 'C' && f.Type != 'N' && f.Type != 'T') {
      *error = what + "typ pole je C, N nebo T";
      return false;
    }
  }
  if (fixedSize_ > 0xFFFF) {
    *error = "pevná část záznamu přesahuje 65 535 bajtů";
    return false;
  }
  return true;
}

bool TableWriter::Add(const std::vector<FieldValue>& values, std::string* error) {
  if (!fieldsOk_) return CheckFields(error);
  if (values.size() != fields_.size()) {
    *error = "záznam má mít " + std::to_string(fields_.size()) + " hodnot, ne " +
             std::to_string(values.size());
    return false;
  }
  std::vector<unsigned char> record(fixedSize_, 0);
  std::vector<unsigned char> outOfLine;
  for (size_t i = 0; i < fields_.size(); ++i) {
    const FieldSpec& f = fields_[i];
    const FieldValue& v = values[i];
    const std::string what = "pole \"" + f.Name + "\": ";
    unsigned char* slot = record.data() + slots_[i];
    if (f.Type == 'N') {
      const int64_t limit = int64_t{1} << (8 * f.Width);
      if (v.Type != FieldValue::Kind::Num) {
        *error = what + "očekává se číslo";
        return false;
      }
      if (v.Num < 0 || v.Num >= limit) {
        *error = what + "číslo " + std::to_string(v.Num) + " se nevejde do " +
                 std::to_string(f.Width) + " bajtů";
        return false;
      }
      EncodeFixed(slot, static_cast<uint32_t>(v.Num), static_cast<uint32_t>(f.Width));
      continue;
    }
    if (v.Type == FieldValue::Kind::Num) {
      *error = what + "očekává se text";
      return false;
    }
    const bool text = v.Type == FieldValue::Kind::Text;
    if (text && v.Bytes.find('\0') != std::string::npos) {
      *error = what + "text nesmí obsahovat nulový bajt";
      return false;
    }
    if (f.Type == 'C') {
      if (!text) {
        *error = what + "pevné pole pojme jen text";
        return false;
      }
      if (v.Bytes.size() + 1 > static_cast<size_t>(f.Width)) {
        *error = what + "text má " + std::to_string(v.Bytes.size()) + " bajtů, pole pojme " +
                 std::to_string(f.Width - 1);
        return false;
      }
      std::copy(v.Bytes.begin(), v.Bytes.end(), slot);
      continue;
    }
    const size_t at = fixedSize_ + outOfLine.size();
    if (at > 0xFFFF) {
      *error = what + "texty a seznamy záznamu se nevejdou do 65 535 bajtů od začátku záznamu";
      return false;
    }
    EncodeFixed16(slot, static_cast<uint32_t>(at));
    outOfLine.insert(outOfLine.end(), v.Bytes.begin(), v.Bytes.end());
    if (text) outOfLine.push_back(0);
  }
  if (data_.size() > kMaxRecordStart || data_.size() + record.size() + outOfLine.size() > kMaxData ||
      offsets_.size() >= kMaxRecords) {
    *error = "data tabulky by přesáhla 4 GiB, víc 32bitové odkazy na záznamy nepojmou";
    return false;
  }
  offsets_.push_back(static_cast<uint32_t>(data_.size()));
  data_.insert(data_.end(), record.begin(), record.end());
  data_.insert(data_.end(), outOfLine.begin(), outOfLine.end());
  return true;
}

bool TableWriter::Write(const std::string& dir, const std::string& name,
                        std::vector<IndexSpec> indexes, std::string* error) const {
  if (!CheckFields(error)) return false;
  if (indexes.empty()) indexes.push_back(IndexSpec{"primary", -1, {}});
  if (indexes.size() > 0x7FFF) {
    *error = "příliš mnoho indexů";
    return false;
  }
  const uint32_t count = Count();
  if (uint64_t{count} * 4 * indexes.size() > (uint64_t{1} << 40)) {
    *error = "indexový soubor by byl příliš velký";
    return false;
  }
  // NAME.x: every array in full.
  std::vector<unsigned char> x(size_t{count} * 4 * indexes.size());
  unsigned char* xp = x.data();
  for (const IndexSpec& index : indexes) {
    if (!index.Order.empty() && index.Order.size() != count) {
      *error = "index \"" + index.Name + "\" neuvádí všechny záznamy";
      return false;
    }
    std::vector<bool> seen(count, false);
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t r = index.Order.empty() ? i : index.Order[i];
      if (r >= count || seen[r]) {
        *error = "index \"" + index.Name + "\" uvádí některý záznam dvakrát nebo neexistující záznam";
        return false;
      }
      seen[r] = true;
      EncodeFixed32(xp, offsets_[r]);
      xp += 4;
    }
  }
  // NAME.f: counts, then field and index descriptors.
  std::vector<unsigned char> f(8 + kDesc * (fields_.size() + indexes.size()), 0);
  EncodeFixed32(f.data(), count);
  EncodeFixed16(f.data() + 4, static_cast<uint32_t>(fields_.size()));
  EncodeFixed16(f.data() + 6, static_cast<uint32_t>(indexes.size()));
  unsigned char* fp = f.data() + 8;
  for (size_t i = 0; i < fields_.size(); ++i, fp += kDesc) {
    EncodeFixed16(fp, slots_[i]);
    fp[2] = static_cast<unsigned char>(fields_[i].Type);
    fp[3] = static_cast<unsigned char>(fields_[i].Width);
    PutName(fp + 4, fields_[i].Name);
  }
  for (const IndexSpec& index : indexes) {
    EncodeFixed16(fp, index.KeyField < 0 ? 0xFFFF : static_cast<uint32_t>(index.KeyField));
    fp[2] = 'A';
    PutName(fp + 4, index.Name);
    fp += kDesc;
  }
  const std::string base = dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
  return WriteFile(base + ".f", f.data(), f.size(), error) &&
         WriteFile(base + ".d", data_.data(), data_.size(), error) &&
         WriteFile(base + ".x", x.data(), x.size(), error);
}

}  // namespace karo
