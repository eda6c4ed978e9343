#include "Csv.h"

namespace karo {

bool CsvReader::Open(const std::string& path) {
  file_.reset(std::fopen(path.c_str(), "rb"));
  line_ = 0;
  at_ = 1;
  first_ = true;
  pending_ = -2;
  error_.clear();
  if (!file_) error_ = "cannot open the file";
  return file_ != nullptr;
}

int CsvReader::Get() {
  int c;
  if (pending_ != -2) {
    c = pending_;
    pending_ = -2;
  } else {
    c = std::fgetc(file_.get());
  }
  if (c == '\n') ++at_;
  return c;
}

void CsvReader::Unget(int c) {
  if (c == '\n') --at_;
  pending_ = c;
}

bool CsvReader::Next(std::vector<std::string>* fields) {
  fields->clear();
  if (!file_ || !error_.empty()) return false;
  if (first_) {
    first_ = false;
    const int a = Get();
    if (a == 0xEF) {
      if (Get() != 0xBB || Get() != 0xBF) {
        line_ = at_;
        error_ = "malformed CSV: a broken byte-order mark";
        return false;
      }
    } else {
      Unget(a);
    }
  }
  // Skip empty lines between records.
  int c = Get();
  while (c == '\n' || c == '\r') {
    if (c == '\r') {
      const int n = Get();
      if (n != '\n') {
        line_ = at_;
        error_ = "malformed CSV: a carriage return without a line feed";
        return false;
      }
    }
    c = Get();
  }
  if (c == EOF) return false;
  line_ = at_;
  std::string field;
  for (;;) {
    if (c == '"') {
      // Quoted field: runs to the quote that is not doubled.
      for (;;) {
        c = Get();
        if (c == EOF) {
          error_ = "malformed CSV: a quoted field is not closed before the end of the file";
          return false;
        }
        if (c == '"') {
          const int n = Get();
          if (n == '"') {
            field.push_back('"');
            continue;
          }
          c = n;
          break;
        }
        field.push_back(static_cast<char>(c));
      }
      if (c != ',' && c != '\n' && c != '\r' && c != EOF) {
        error_ = "malformed CSV: text after a closing quote";
        line_ = at_;
        return false;
      }
    } else {
      while (c != ',' && c != '\n' && c != '\r' && c != EOF) {
        if (c == '"') {
          error_ = "malformed CSV: a quote inside an unquoted field";
          line_ = at_;
          return false;
        }
        field.push_back(static_cast<char>(c));
        c = Get();
      }
    }
    fields->push_back(std::move(field));
    field.clear();
    if (c == ',') {
      c = Get();
      continue;
    }
    if (c == '\r' && Get() != '\n') {
      error_ = "malformed CSV: a carriage return without a line feed";
      line_ = at_;
      return false;
    }
    return true;  // LF, CR LF or the end of the file
  }
}

bool CsvWriter::Open(const std::string& path) {
  file_.reset(std::fopen(path.c_str(), "wb"));
  failed_ = !file_;
  return file_ != nullptr;
}

void CsvWriter::AppendField(const std::string& field, std::string* line) {
  // A field that begins with the byte-order mark's first byte is quoted: at
  // the start of a file it would be read as (a broken) one.
  if (field.find_first_of(",\"\r\n") == std::string::npos && (field.empty() || field[0] != '\xEF')) {
    line->append(field);
    return;
  }
  line->push_back('"');
  for (const char c : field) {
    if (c == '"') line->push_back('"');
    line->push_back(c);
  }
  line->push_back('"');
}

void CsvWriter::Write(const std::vector<std::string>& fields) {
  if (!file_) return;
  line_.clear();
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) line_.push_back(',');
    AppendField(fields[i], &line_);
  }
  // One empty field as an empty line would be skipped when read.
  if (line_.empty()) line_ = "\"\"";
  line_.push_back('\n');
  if (std::fwrite(line_.data(), 1, line_.size(), file_.get()) != line_.size()) failed_ = true;
}

bool CsvWriter::Close() {
  if (!file_) return false;
  if (std::fclose(file_.release()) != 0) failed_ = true;
  return !failed_;
}

}  // namespace karo
