// karo-build's arguments, as a user types them: help, both spellings of a
// value, usage errors with the hint, and every echoed byte escaped.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "BuildTool.h"
#include "Command.h"
#include "SearchTool.h"
#include "TestDir.h"

namespace karo::test {
namespace {

TEST(KaroBuild, ArgumentsAsKaroSearchTakesThem) {
  TestDir dir;
  const std::string target = dir.File("T\x1B[31m");
  const struct {
    std::vector<std::string> args;
    int code;
    std::string line;  // the first line that starts with it
  } cases[] = {
      {{"--help"}, 0, "Použití: karo-build ZDROJ CÍL"},
      {{"-h"}, 0, "  --sample N "},
      {{"--sample", "5", "--colour\xFF\x1B[31m"}, 2, "karo-build: neznámá volba „--colour\\xFF\\x1B[31m“."},
      {{"--from-register", "a.csv", "b", "c\xC3"}, 2, "karo-build: nadbytečný argument „c\\xC3“."},
      {{"--from-register", "--x\xC2\x9B"}, 2, "karo-build: volbě --from-register chybí hodnota."},
      {{"--sample", "5", "--seed", "x", target}, 2, "karo-build: --seed chce celé nezáporné číslo."},
      {{"--seed", "5", "a", "b"}, 2, "karo-build: volba --seed nepatří k ZDROJ CÍL."},
      {{"--sample", "5", "--summary", "x"}, 2, "karo-build: volby --sample a --summary nelze použít spolu."},
      {{}, 2, "karo-build: chybí zdrojová a cílová složka."},
      {{"--sample=5", "--seed=3", target}, 0, "Adresář " + dir.File("T\\x1B[31m") + ": 5 poskytovatelů."},
      {{"--dump", dir.File("none\x1B/pseek")}, 1, "karo-build: " + dir.File("none\\x1B/pseek") + ": tabulku nelze otevřít: chybí."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    std::vector<std::string> words = {KARO_BUILD_BIN};
    words.insert(words.end(), c.args.begin(), c.args.end());
    const CommandResult r = RunCommand(words);
    EXPECT_EQ(r.Code, c.code) << r.Output;
    const std::vector<std::string> lines = LinesWith(r.Output, c.line);
    EXPECT_FALSE(lines.empty()) << r.Output;
    EXPECT_EQ(r.Output.find('\x1B'), std::string::npos) << "a raw ESC reached the terminal";
    if (c.code == 2) EXPECT_NE(r.Output.find("Nápověda: karo-build --help"), std::string::npos);
  }
}

// The docs pages carry exactly the options that the tools' tables define.
TEST(KaroBuild, DocsPagesShowTheOptionTables) {
  const struct {
    const char* page;
    const OptionTable& table;
  } pages[] = {{"karo-build.md", BuildOptions()}, {"karo-search.md", SearchOptions()}};
  for (const auto& p : pages) {
    SCOPED_TRACE(p.page);
    std::ifstream in(std::string(KARO_DOCS_DIR) + "/" + p.page);
    std::stringstream text;
    text << in.rdbuf();
    const std::string doc = text.str(), begin = "<!-- volby: začátek -->\n", end = "<!-- volby: konec -->";
    const size_t a = doc.find(begin), b = doc.find(end);
    ASSERT_NE(a, std::string::npos);
    ASSERT_NE(b, std::string::npos);
    EXPECT_EQ(doc.substr(a + begin.size(), b - a - begin.size()), HelpMarkdown(p.table));
  }
}

}  // namespace
}  // namespace karo::test
