// Temporary folders of the tests, removed with everything in them.
#include "TestDir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "Cp1250.h"

namespace karo::test {

TestDir::TestDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "karo-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) ADD_FAILURE() << "cannot create a temporary folder";
  path_ = pattern + "/";
}

TestDir::~TestDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WriteTable(const TestDir& dir, const std::string& name, const std::vector<FieldSpec>& fields,
                const std::vector<std::vector<FieldValue>>& records, std::vector<IndexSpec> indexes) {
  TableWriter writer(fields);
  std::string error;
  for (const auto& record : records) {
    ASSERT_TRUE(writer.Add(record, &error)) << error;
  }
  ASSERT_TRUE(writer.Write(dir.Path(), name, std::move(indexes), &error)) << error;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string W(const std::string& utf8) {
  std::string out;
  EXPECT_TRUE(Utf8ToCp1250(utf8, &out)) << utf8;
  return out;
}

}  // namespace karo::test
