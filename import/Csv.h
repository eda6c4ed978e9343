// Comma-separated values as RFC 4180 writes them: a header row, fields in
// double quotes where they hold a comma, a quote or a line break, "" for a
// quote inside quotes, records ended by LF or CR LF.
//
// The reader is the only code that touches a source file's raw bytes. It reads
// regular files only and bounds what one record may hold, so that a link to a
// device, a pipe or a file without line ends is refused instead of read
// without end.
#ifndef KARO_IMPORT_CSV_H
#define KARO_IMPORT_CSV_H

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace karo {

// A record (one line, or several when a quoted field holds line breaks) holds
// at most this many bytes ...
constexpr size_t kMaxCsvRecordBytes = size_t{1} << 20;
// ... and at most this many fields.
constexpr size_t kMaxCsvFields = 10000;

// The error of a row whose number of fields differs from the header's.
std::string FieldCountError(size_t fields, size_t header);

class CsvReader {
 public:
  CsvReader();
  ~CsvReader();
  CsvReader(const CsvReader&) = delete;
  CsvReader& operator=(const CsvReader&) = delete;

  // False, with the reason in Error(), when the file cannot be opened or is
  // not a regular file (a pipe, a device, a folder): such a file is refused
  // at once, never read or waited on.
  bool Open(const std::string& path);
  // Reads the next record into *fields. False at the end of the file, or on
  // malformed or overlong input (Error() then says what, at Line()). A
  // byte-order mark at the start is skipped; empty lines between records are
  // skipped. Memory stays bounded by kMaxCsvRecordBytes whatever the file.
  bool Next(std::vector<std::string>* fields);
  // Line number (from 1) where the last record began, or where the error is.
  int Line() const { return line_; }
  const std::string& Error() const { return error_; }

 private:
  int Get();  // next byte or EOF
  void Unget(int c);
  bool Fail(const std::string& message, bool atRecordStart);
  std::string FieldName(size_t index) const;

  int fd_ = -1;
  std::vector<unsigned char> buffer_;
  size_t at_ = 0, end_ = 0;
  bool eof_ = false;
  int pending_ = -2;
  int line_ = 0;
  int lineOfNext_ = 1;  // line of the next byte
  bool first_ = true;
  std::vector<std::string> header_;  // the first record, for naming fields in messages
  std::string error_;
};

class CsvWriter {
 public:
  // False when the file cannot be created.
  bool Open(const std::string& path);
  void Write(const std::vector<std::string>& fields);
  // Flushes and closes: false when any write failed.
  bool Close();
  // One field, quoted when it has to be.
  static void AppendField(const std::string& field, std::string* line);

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  bool failed_ = false;
  std::string line_;
};

}  // namespace karo

#endif  // KARO_IMPORT_CSV_H
