// The register-shaped generator: its rows follow the real counts, and the
// import takes them without a problem.
#include <gtest/gtest.h>

#include <filesystem>

#include "Register.h"
#include "RegisterGen.h"
#include "TestDir.h"

namespace karo::test {
namespace {

TEST(RegisterGenerator, RowsFollowTheCountsAndImportCleanly) {
  const std::string counts = std::string(KARO_REALDATA_DIR) + "/nrpzs_aggregat_okres_obor/pocty_okres_obor_2023.csv";
  if (!std::filesystem::exists(counts)) GTEST_SKIP() << "no real data at " << counts;
  TestDir dir;
  RegisterGenOptions options;
  options.Counts = counts;
  options.ReferenceDir = KARO_SAMPLE_DIR;
  options.Out = dir.File("register.csv");
  options.Rows = 3000;
  std::map<std::string, uint64_t> perDistrict;
  std::string error;
  ASSERT_TRUE(GenerateRegister(options, &error, &perDistrict)) << error;
  EXPECT_EQ(perDistrict.size(), 77u);
  EXPECT_GT(perDistrict["CZ0100"], perDistrict["CZ0423"]);  // Prague has more places than Litoměřice

  DirectoryBuilder builder;
  ImportRegister({options.Out, KARO_SAMPLE_DIR}, &builder);
  ASSERT_EQ(builder.ErrorCount(), 0u) << builder.Errors()[0];
  EXPECT_EQ(builder.WarningCount(), 0u) << builder.Warnings()[0];
  ASSERT_TRUE(builder.Finish(dir.File("DATA")));
  TfdbTable seek, okresy;
  seek.Dir = okresy.Dir = dir.File("DATA/");
  ASSERT_EQ(seek.Open("pseek"), 0);
  ASSERT_EQ(okresy.Open("okresy"), 0);
  EXPECT_EQ(seek.RecCount, 3000u);
  std::map<std::string, uint64_t> imported;
  for (uint32_t r = 0; r < seek.RecCount; ++r) ++imported[okresy.GetStr(seek.GetNum(static_cast<int32_t>(r), 6), 0)];
  EXPECT_EQ(imported, perDistrict);
}

}  // namespace
}  // namespace karo::test
