// The benchmark's searches ask for values the sample directory has: a name
// that went missing from the reference lists would quietly measure another
// search (the first entry instead).
#include <gtest/gtest.h>

#include "Directory.h"
#include "Ours.h"
#include "Sample.h"
#include "Scenario.h"
#include "TestDir.h"

namespace bench {
namespace {

TEST(Scenario, EveryNamedValueIsInTheSampleAndFindsProviders) {
  karo::test::TestDir dir;
  karo::DirectoryBuilder builder;
  karo::SampleOptions options;
  options.Count = 3000;
  options.Seed = 7;
  options.ReferenceDir = KARO_SAMPLE_DIR;
  karo::GenerateSample(options, &builder);
  ASSERT_EQ(builder.ErrorCount(), 0u) << builder.Errors()[0];
  ASSERT_TRUE(builder.Finish(dir.File("DATA"))) << builder.Errors()[0];

  Program program;
  ASSERT_TRUE(OpenDirectory(program, dir.File("DATA/")));
  for (TfdbTable* table : program.Tables()) EXPECT_GT(table->RecCount, 0u) << table->Name;
  const std::vector<NamedSearch> searches = TypicalSearches(program);
  ASSERT_EQ(searches.size(), 6u);
  for (const NamedSearch& s : searches) {
    SCOPED_TRACE(s.Label + ": " + s.Values);
    EXPECT_EQ(s.Values.find("není"), std::string::npos);
    const uint32_t found = Search(program, s.Filter);
    EXPECT_GT(found, 0u);
    EXPECT_LT(found, &s == &searches.back() ? 3001u : 3000u);  // only "no filter" takes everyone
  }
}

}  // namespace
}  // namespace bench
