// Temporary folders and small tables for tests.
#ifndef KARO_TESTS_TESTDIR_H
#define KARO_TESTS_TESTDIR_H

#include <string>
#include <vector>

#include "Fdb.h"
#include "TableWriter.h"

namespace karo::test {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
class TestDir {
 public:
  TestDir();
  ~TestDir();
  TestDir(const TestDir&) = delete;
  TestDir& operator=(const TestDir&) = delete;
  // The folder with a trailing separator, as TfdbTable::Dir wants it.
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Writes the table with the writer (failing the test on any refusal).
void WriteTable(const TestDir& dir, const std::string& name, const std::vector<FieldSpec>& fields,
                const std::vector<std::vector<FieldValue>>& records,
                std::vector<IndexSpec> indexes = {});

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// Windows-1250 bytes of a UTF-8 literal (fails the test if it cannot be held).
std::string W(const std::string& utf8);

}  // namespace karo::test

#endif  // KARO_TESTS_TESTDIR_H
