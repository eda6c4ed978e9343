// The CSV reader and writer of the import.
#include "Csv.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "Message.h"

namespace karo {

namespace {

constexpr size_t kBufferBytes = size_t{1} << 16;

}  // namespace

std::string FieldCountError(size_t fields, size_t header) {
  return "počet polí na řádku je " + std::to_string(fields) + ", záhlaví jich má " + std::to_string(header);
}

CsvReader::CsvReader() = default;

CsvReader::~CsvReader() {
  if (fd_ >= 0) close(fd_);
}

bool CsvReader::Open(const std::string& path) {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  line_ = 0;
  lineOfNext_ = 1;
  first_ = true;
  pending_ = -2;
  at_ = end_ = 0;
  eof_ = false;
  header_.clear();
  error_ = CheckRegularFile(path);
  if (!error_.empty()) return false;
  // Opening a pipe for reading would wait for a writer: open without waiting,
  // then make sure that what was opened is the regular file checked above.
  fd_ = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd_ < 0) {
    error_ = ReadFailure(errno, path);
    return false;
  }
  struct stat st;
  const bool known = fstat(fd_, &st) == 0;
  if (!known || !S_ISREG(st.st_mode)) {
    error_ = known ? NotRegularFile(st.st_mode) : "soubor nelze číst: " + SystemErrorText(errno);
    close(fd_);
    fd_ = -1;
    return false;
  }
  fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
  buffer_.resize(kBufferBytes);
  return true;
}

int CsvReader::Get() {
  int c;
  if (pending_ != -2) {
    c = pending_;
    pending_ = -2;
  } else {
    if (at_ == end_) {
      if (eof_) return EOF;
      ssize_t n;
      do {
        n = read(fd_, buffer_.data(), buffer_.size());
      } while (n < 0 && errno == EINTR);
      if (n < 0) {
        error_ = "soubor nelze číst: " + SystemErrorText(errno);
        eof_ = true;
        return EOF;
      }
      if (n == 0) {
        eof_ = true;
        return EOF;
      }
      at_ = 0;
      end_ = static_cast<size_t>(n);
    }
    c = buffer_[at_++];
  }
  if (c == '\n') ++lineOfNext_;
  return c;
}

void CsvReader::Unget(int c) {
  if (c == '\n') --lineOfNext_;
  pending_ = c;
}

bool CsvReader::Fail(const std::string& message, bool atRecordStart) {
  if (!atRecordStart) line_ = lineOfNext_;
  error_ = message;
  return false;
}

std::string CsvReader::FieldName(size_t index) const {
  if (index < header_.size() && !header_[index].empty()) return "v poli " + Quote(header_[index]);
  return "v " + std::to_string(index + 1) + ". poli";
}

bool CsvReader::Next(std::vector<std::string>* fields) {
  fields->clear();
  if (fd_ < 0 || !error_.empty()) return false;
  if (first_) {
    const int a = Get();
    if (a == 0xEF) {
      if (Get() != 0xBB || Get() != 0xBF) return Fail("poškozené CSV: porušená značka pořadí bajtů (BOM)", false);
    } else {
      Unget(a);
    }
  }
  // Skip empty lines between records.
  int c = Get();
  while (c == '\n' || c == '\r') {
    if (c == '\r' && Get() != '\n') return Fail("poškozené CSV: znak CR bez následujícího LF", false);
    c = Get();
  }
  if (c == EOF) return false;
  line_ = lineOfNext_;
  size_t bytes = 0;  // of this record
  auto tooLong = [&]() {
    return Fail("záznam je delší než 1 MiB (" + WithSpaces(kMaxCsvRecordBytes) + " bajtů), mez překročena " +
                    FieldName(fields->size()) + "; soubor asi není CSV",
                true);
  };
  std::string field;
  for (;;) {
    if (c == '"') {
      // Quoted field: runs to the quote that is not doubled.
      for (;;) {
        c = Get();
        if (++bytes > kMaxCsvRecordBytes) return tooLong();
        if (c == EOF) {
          if (!error_.empty()) return false;
          return Fail("poškozené CSV: pole v uvozovkách není uzavřeno před koncem souboru", true);
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
      if (c != ',' && c != '\n' && c != '\r' && c != EOF) return Fail("poškozené CSV: text za uzavírací uvozovkou", false);
    } else {
      while (c != ',' && c != '\n' && c != '\r' && c != EOF) {
        if (c == '"') return Fail("poškozené CSV: uvozovka uvnitř pole bez uvozovek", false);
        if (++bytes > kMaxCsvRecordBytes) return tooLong();
        field.push_back(static_cast<char>(c));
        c = Get();
      }
    }
    if (!error_.empty()) return false;  // a read error ended the field
    if (fields->size() == kMaxCsvFields) {
      return Fail("záznam má víc než " + WithSpaces(kMaxCsvFields) + " polí; soubor asi není CSV", true);
    }
    fields->push_back(std::move(field));
    field.clear();
    if (c == ',') {
      ++bytes;
      c = Get();
      continue;
    }
    if (c == '\r' && Get() != '\n') return Fail("poškozené CSV: znak CR bez následujícího LF", false);
    break;  // LF, CR LF or the end of the file
  }
  if (first_) {
    first_ = false;
    header_ = *fields;
  }
  return true;
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
