// Comma-separated values as RFC 4180 writes them: a header row, fields in
// double quotes where they hold a comma, a quote or a line break, "" for a
// quote inside quotes, records ended by LF or CR LF.
#ifndef KARO_TOOLS_CSV_H
#define KARO_TOOLS_CSV_H

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace karo {

class CsvReader {
 public:
  CsvReader() = default;
  // False, with the reason in Error(), when the file cannot be opened.
  bool Open(const std::string& path);
  // Reads the next record into *fields. False at the end of the file, or on
  // malformed input (Error() then says what, at Line()). A byte-order mark at
  // the start is skipped; empty lines between records are skipped.
  bool Next(std::vector<std::string>* fields);
  // Line number (from 1) where the last record began, or where the error is.
  int Line() const { return line_; }
  const std::string& Error() const { return error_; }

 private:
  int Get();  // next byte or EOF
  void Unget(int c);

  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  int pending_ = -2;
  int line_ = 0;
  int at_ = 1;  // line of the next byte
  bool first_ = true;
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

#endif  // KARO_TOOLS_CSV_H
