// karo-search itself, run on directories built here: its output against the
// library's for the same filters, its exit codes and its messages.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "Cp1250.h"
#include "Fixture.h"
#include "TestDir.h"

namespace karo::test {
namespace {

namespace fs = std::filesystem;

std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct Result {
  int Code = -1;
  std::string Out, Err;
};

// Runs the program with the arguments; `prefix` goes before it in the shell
// command line, `stdoutTo` replaces the captured standard output.
Result RunProgram(const std::vector<std::string>& args, const std::string& prefix = "",
           const std::string& stdoutTo = "", const std::string& program = KARO_SEARCH_BIN) {
  TestDir io;
  std::string command = prefix + "exec " + ShellQuote(program);
  for (const std::string& a : args) command += " " + ShellQuote(a);
  command += " >" + (stdoutTo.empty() ? ShellQuote(io.File("out")) : stdoutTo) + " 2>" + ShellQuote(io.File("err"));
  const int status = std::system(("sh -c " + ShellQuote(command)).c_str());
  Result r;
  r.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.Out = ReadBytes(io.File("out"));
  r.Err = ReadBytes(io.File("err"));
  return r;
}

// The export the library makes for the same search.
std::string Expected(const std::string& dir, const SearchFilter& filter, const char* sortBy = nullptr,
                     uint32_t* found = nullptr) {
  return LibraryExport(dir, filter, sortBy, found);
}

class KaroSearch : public ::testing::Test {
 protected:
  void SetUp() override { BuildDirectory(data(), SixProviders()); }
  std::string data() const { return dir_.File("data/"); }
  std::vector<std::string> With(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--data", data()});
    return args;
  }
  TestDir dir_;
};

SearchFilter F(std::vector<int> districts = {}, std::vector<int> specialties = {}, std::vector<int> categories = {},
               std::vector<int> insurers = {}, std::vector<int> languages = {}, std::vector<int> facilityTypes = {}) {
  return {"", "", "", districts, specialties, categories, insurers, languages, facilityTypes};
}

SearchFilter T(const std::string& surname, const std::string& workplace, const std::string& municipality) {
  return {W(surname), W(workplace), W(municipality), {}, {}, {}, {}, {}, {}};
}

TEST_F(KaroSearch, ExportMatchesTheLibrary) {
  const struct {
    const char* what;
    std::vector<std::string> args;
    SearchFilter filter;
    const char* sortBy;
    int code;
  } cases[] = {
      {"no filter", {}, {}, nullptr, 0},
      {"surname", {"--surname", "nov"}, T("nov", "", ""), nullptr, 0},
      {"trimmed, folded municipality", {"--municipality", "  BŘE "}, T("", "", "bre"), nullptr, 0},
      {"longer than the field", {"--municipality", "brnox"}, T("", "", "brnox"), nullptr, 1},
      {"district by folded name", {"--district", "brno-mesto"}, F({0}), nullptr, 0},
      {"district by position and name", {"--district", "#1", "--district", "Brno-město"}, F({0, 1}), nullptr, 0},
      {"the same item twice", {"--district", "#0", "--district", "BRNO-MĚSTO"}, F({0}), nullptr, 0},
      {"found, but level 1: header only", {"--district", "#0", "--district", "#1", "--specialty", "zubni lekar"},
       F({0, 1}, {1}), nullptr, 0},
      {"AND across lists", {"--district", "brno-venkov", "--specialty", "Zubní lékař"}, F({1}, {1}), nullptr, 1},
      {"languages", {"--language", "angličtina", "--language", "NĚMČINA"}, F({}, {}, {}, {}, {0, 1}), nullptr, 0},
      {"insurer and facility type", {"--insurer", "#2", "--facility-type", "nemocnice"},
       F({}, {}, {}, {2}, {}, {2}), nullptr, 0},
      {"category", {"--category", "praktický lékař"}, F({}, {}, {0}), nullptr, 0},
      {"sort by workplace", {"--sort", "workplace"}, {}, "pracoviste", 0},
      {"sort by surname", {"--sort=surname"}, {}, "jmeno", 0},
      {"sort by municipality", {"--sort", "obec"}, {}, "obec", 0},
      {"filter and sort by street", {"--workplace", "ordinace ", "--sort", "street"}, T("", "ordinace", ""),
       "ulice", 0},
      {"a text the code page cannot hold matches nothing", {"--surname", "中"}, T("xyz", "", ""), nullptr, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Result r = RunProgram(With(c.args));
    EXPECT_EQ(r.Code, c.code) << r.Err;
    EXPECT_EQ(r.Out, Expected(data(), c.filter, c.sortBy));
    EXPECT_EQ(r.Err, "");
  }
}

TEST_F(KaroSearch, CountDescribeUtf8AndFile) {
  Result r = RunProgram(With({"--count"}));
  EXPECT_EQ(r.Code, 0);
  EXPECT_EQ(r.Out, "6 / 6 záznamů\n");
  r = RunProgram(With({"--count", "--surname", "nov"}));
  EXPECT_EQ(r.Out, "2 / 6 záznamů\n");
  r = RunProgram(With({"--count", "--surname", "q"}));
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Out, "0 / 6 záznamů\n");

  r = RunProgram(With({"--describe", "--surname", "Nov", "--municipality", "Brno", "--district", "#1", "--district",
                "#0"}));
  EXPECT_EQ(r.Code, 1);  // nobody named Nov in Brno
  EXPECT_EQ(r.Out,
            "Vybráni budou všichni poskytovatelé\n\njejichž jméno začíná na \n     Nov\na obec začíná na \n"
            "     Brno\nv okresech\n     Brno-město\n     Brno-venkov\n");
  r = RunProgram(With({"--describe", "--workplace", " x ", "--language", "ruština"}));
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Out,
            "Vybráni budou všichni poskytovatelé\n\njejichž pracoviště začíná na \n      x \n"
            "ovládající jazyky\n     ruština\n");

  r = RunProgram(With({"--utf8"}));
  EXPECT_EQ(r.Out, Cp1250ToUtf8(Expected(data(), {})));
  EXPECT_NE(r.Out.find("Šťastný Ivo"), std::string::npos);

  const std::string file = dir_.File("export.txt");
  WriteBytes(file, std::string(5000, 'x'));
  r = RunProgram(With({"--surname", "n", "-o", file}));
  EXPECT_EQ(r.Code, 0);
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(ReadBytes(file), Expected(data(), T("n", "", "")));
}

TEST_F(KaroSearch, BadArgumentsAndUnreadableData) {
  fs::create_directories(dir_.File("nolookups"));
  for (const char* name : {"pseek", "moskyti"}) {
    for (const char* ext : {".f", ".d", ".x"}) {
      fs::copy_file(data() + name + ext, dir_.File(std::string("nolookups/") + name + ext));
    }
  }
  WriteBytes(dir_.File("export.txt"), "old");
  const struct {
    const char* what;
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {"unknown item, closest named", With({"--district", "brnoo"}),
       "--district „brnoo“: v seznamu okresů taková položka není; nejbližší: „Brno-město“, „Brno-venkov“."},
      {"nothing close", With({"--language", "klingonština"}), "v seznamu jazyků taková položka není."},
      {"a character the code page lacks", With({"--district", "Brno中"}), "nejbližší: „Brno-město“"},
      {"position outside the list", With({"--facility-type", "#3"}), "--facility-type „#3“: pozice 3 v seznamu typů zařízení není (položky #0 až #2)."},
      {"unknown option", With({"--colour", "red"}), "neznámá volba „--colour“"},
      {"missing value", With({"--surname"}), "volbě --surname chybí hodnota"},
      {"twice", With({"--surname", "a", "--surname", "b"}), "volba --surname je uvedena dvakrát"},
      {"unknown sort", With({"--sort", "colour"}), "--sort „colour“"},
      {"missing data folder", {"--data", dir_.File("missing")}, "tabulka „pseek“ ve složce"},
      {"missing lookup table", {"--data", dir_.File("nolookups"), "--category", "#0"}, "tabulka „rubriky“"},
      {"folder that cannot take the file", With({"-o", dir_.File("missing/export.txt")}),
       "soubor " + dir_.File("missing/export.txt") + " nelze otevřít: složka neexistuje."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Result r = RunProgram(c.args);
    EXPECT_EQ(r.Code, 2);
    EXPECT_EQ(r.Out, "");
    EXPECT_NE(r.Err.find(c.message), std::string::npos) << r.Err;
    EXPECT_EQ(r.Err.rfind("karo-search: ", 0), 0u) << r.Err;
  }
  EXPECT_EQ(ReadBytes(dir_.File("export.txt")), "old");
  const Result help = RunProgram({"--help"});
  EXPECT_EQ(help.Code, 0);
  EXPECT_NE(help.Out.find("Použití: karo-search"), std::string::npos);
}

TEST_F(KaroSearch, OutputThatCannotBeWritten) {
  Result r = RunProgram(With({}), "", "/dev/full");
  EXPECT_EQ(r.Code, 2);
  EXPECT_NE(r.Err.find("výstup nelze zapsat"), std::string::npos) << r.Err;
  r = RunProgram(With({"--count"}), "", "/dev/full");
  EXPECT_EQ(r.Code, 2);
  r = RunProgram(With({"-o", "/dev/full"}));
  EXPECT_EQ(r.Code, 2);
  EXPECT_NE(r.Err.find("soubor /dev/full nelze zapsat"), std::string::npos) << r.Err;
  r = RunProgram(With({"-o", "/dev/stdout"}));  // the link is followed to the captured output
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, Expected(data(), {}));

  // A full disk under -o: the old file stays, nothing is left beside it.
  fs::create_directories(dir_.File("out"));
  const std::string file = dir_.File("out/export.txt");
  WriteBytes(file, "old");
  TestDir big;
  BuildSample(big.File("data"), 2000, 7);
  const std::vector<std::string> args = {"--data", big.File("data"), "-o", file};
  r = RunProgram(args, "trap '' XFSZ; ulimit -f 16; ");  // 8 KiB
  EXPECT_EQ(r.Code, 2);
  EXPECT_NE(r.Err.find("soubor " + file + " nelze zapsat"), std::string::npos) << r.Err;
  EXPECT_EQ(ReadBytes(file), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.File("out")), fs::directory_iterator()), 1);
  // Without the limit the same export goes through.
  r = RunProgram(args);
  EXPECT_EQ(r.Code, 0) << r.Err;
  const std::string expected = Expected(big.File("data/"), {});
  EXPECT_GT(expected.size(), 16u * 512);
  EXPECT_EQ(ReadBytes(file), expected);
}

TEST_F(KaroSearch, SampleDirectoryAgainstTheLibrary) {
  TestDir big;
  BuildSample(big.File("data"), 3000, 11);
  const std::string dir = big.File("data/");
  // The names of the first three districts and of the commonest specialty, as the lists show them.
  TfdbTable okresy, obory;
  OpenTable(&okresy, dir, "okresy");
  OpenTable(&obory, dir, "obory");
  ASSERT_GE(okresy.RecCount, 3u);
  const std::string district0 = Cp1250ToUtf8(okresy.GetStr(0, 1)), district2 = Cp1250ToUtf8(okresy.GetStr(2, 1));
  const int general = obory.FindPrefix(1, W("všeobecné praktické lékařství").c_str());
  ASSERT_GE(general, 0);
  const std::string specialty = Cp1250ToUtf8(obory.GetStr(general, 1));
  const struct {
    const char* what;
    std::vector<std::string> args;
    SearchFilter filter;
    const char* sortBy;
  } cases[] = {
      {"two districts", {"--district", district2, "--district", district0}, F({0, 2}), nullptr},
      {"district and specialty, by surname",
       {"--district", district0, "--specialty", specialty, "--sort", "surname"}, F({0}, {general}), "jmeno"},
      {"municipality prefix, by workplace", {"--municipality", "pra", "--sort", "workplace"}, T("", "", "pra"),
       "pracoviste"},
      {"everything, by street", {"--sort", "street"}, {}, "ulice"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), {"--data", dir});
    const Result r = RunProgram(args);
    uint32_t found = 0;
    EXPECT_EQ(r.Out, Expected(dir, c.filter, c.sortBy, &found));
    EXPECT_GT(found, 0u);
    EXPECT_EQ(r.Code, 0) << r.Err;
  }
}

TEST_F(KaroSearch, DataBesideTheProgramWhateverItsCase) {
  // The program copied into a folder whose tables sit in "Data/".
  fs::create_directories(dir_.File("bin"));
  const std::string program = dir_.File("bin/karo-search");
  fs::copy_file(KARO_SEARCH_BIN, program);
  fs::rename(data(), dir_.File("bin/Data"));
  Result r = RunProgram({"--count"}, "", "", program);
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "6 / 6 záznamů\n");
  fs::rename(dir_.File("bin/Data"), dir_.File("bin/other"));
  r = RunProgram({"--count"}, "", "", program);
  EXPECT_EQ(r.Code, 2);
  EXPECT_NE(r.Err.find("bin/DATA/"), std::string::npos) << r.Err;
}

}  // namespace
}  // namespace karo::test
