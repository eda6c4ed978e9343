// Replacing a directory's folder: all or nothing at every step, and the
// refusal of folders that are not a directory's.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "Directory.h"
#include "Replace.h"
#include "Sample.h"
#include "Command.h"
#include "TestDir.h"

namespace karo::test {
namespace {

namespace fs = std::filesystem;

// Every file of a folder, by name (a subfolder as "<folder>").
std::map<std::string, std::string> Contents(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir)) {
    files[e.path().filename().string()] = e.is_directory() ? "<folder>" : ReadBytes(e.path().string());
  }
  return files;
}

// Names in a folder, for spotting what a replacement left behind.
std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A small directory built from a seed, written into dir.
void Build(const std::string& dir, uint64_t seed, const ReplaceHook& hook = nullptr, DirectoryBuilder* out = nullptr) {
  DirectoryBuilder local;
  DirectoryBuilder& builder = out ? *out : local;
  SampleOptions options;
  options.Count = 40;
  options.Seed = seed;
  options.ReferenceDir = KARO_SAMPLE_DIR;
  GenerateSample(options, &builder);
  ASSERT_EQ(builder.ErrorCount(), 0u);
  builder.Finish(dir, hook);
}

ReplaceHook FailAt(ReplaceStep at, int error, ReplaceStep also = ReplaceStep::CheckTarget, int alsoError = 0) {
  return [=](ReplaceStep step) { return step == at ? error : step == also ? alsoError : 0; };
}

TEST(ReplaceDirectory, AFailureAtAnyStepLeavesTheOldDirectoryAndSaysSo) {
  struct Case {
    const char* what;
    ReplaceHook hook;
    std::string expect;  // the error, after "TARGET: "
  };
  const Case cases[] = {
      {"check", FailAt(ReplaceStep::CheckTarget, EACCES), "cíl nelze nahradit: chybí oprávnění; cíl "},
      {"new folder", FailAt(ReplaceStep::MakeFolder, ENOSPC),
       "dočasnou složku vedle cíle (v PARENT) nelze vytvořit: na disku není místo; cíl "},
      {"writing", FailAt(ReplaceStep::WriteTables, ENOSPC), "tabulky nelze zapsat: na disku není místo; cíl "},
      {"syncing", FailAt(ReplaceStep::SyncTables, EIO), "tabulky nelze uložit na disk: chyba čtení nebo zápisu na disk; cíl "},
      {"exchange", FailAt(ReplaceStep::Exchange, EBUSY), "složky nelze vyměnit: složka je právě používána; cíl "},
      {"old folder aside", FailAt(ReplaceStep::Exchange, EINVAL, ReplaceStep::MoveOldAway, EACCES),
       "starou složku nelze odsunout stranou: chybí oprávnění; cíl "},
      {"new folder in, old one back", FailAt(ReplaceStep::Exchange, EINVAL, ReplaceStep::MoveNewIn, EXDEV),
       "novou složku nelze přesunout na místo: cesty leží na různých souborových systémech; cíl "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestDir dir;
    const std::string target = dir.File("DATA");
    Build(target, 1);
    const auto before = Contents(target);
    ASSERT_EQ(before.size(), 27u);
    DirectoryBuilder builder;
    Build(target, 2, c.hook, &builder);
    EXPECT_EQ(Contents(target), before);
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"DATA"});  // nothing left beside it
    ASSERT_EQ(builder.Errors().size(), 1u);
    std::string expect = c.expect;
    const size_t parent = expect.find("PARENT");
    if (parent != std::string::npos) expect.replace(parent, 6, dir.Path().substr(0, dir.Path().size() - 1));
    EXPECT_EQ(builder.Errors()[0], target + ": " + expect + target + " zůstal beze změny");
    EXPECT_TRUE(builder.TargetUntouched());
  }
}

TEST(ReplaceDirectory, TheNewDirectoryTakesThePlaceWhateverTheWay) {
  struct Case {
    const char* what;
    ReplaceHook hook;
    std::string warning;  // "" when none
  };
  const Case cases[] = {
      {"exchange", nullptr, ""},
      {"no exchange on this file system", FailAt(ReplaceStep::Exchange, EINVAL), ""},
      {"parent not synced", FailAt(ReplaceStep::SyncParent, EIO),
       "výměnu složek se nepodařilo uložit na disk (chyba čtení nebo zápisu na disk); po výpadku napájení může být "
       "na místě ještě starý adresář"},
      {"old folder not removed", FailAt(ReplaceStep::RemoveOld, EACCES), "předchozí adresář se nepodařilo smazat"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestDir dir;
    const std::string target = dir.File("DATA");
    Build(target, 1);
    Build(dir.File("expected"), 2);
    const auto old = Contents(target);
    chmod(target.c_str(), 0750);
    // A program that loaded the old tables keeps reading them.
    TfdbTable open;
    open.Dir = target + "/";
    ASSERT_EQ(open.Open("pseek"), 0);
    const std::string firstName = open.GetStr(0, 2);
    DirectoryBuilder builder;
    Build(target, 2, c.hook, &builder);
    EXPECT_EQ(builder.ErrorCount(), 0u) << builder.Errors()[0];
    EXPECT_EQ(Contents(target), Contents(dir.File("expected")));
    struct stat st;
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0750u);  // the folder keeps its permissions
    EXPECT_EQ(open.GetStr(0, 2), firstName);
    if (c.warning.empty()) {
      EXPECT_EQ(builder.WarningCount(), 0u);
      EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"DATA", "expected"}));
      continue;
    }
    ASSERT_EQ(builder.Warnings().size(), 1u);
    EXPECT_NE(builder.Warnings()[0].find(target + ": varování: " + c.warning), std::string::npos)
        << builder.Warnings()[0];
    if (c.what == std::string("old folder not removed")) {
      // The message names the folder that holds the old directory, unchanged.
      const size_t at = builder.Warnings()[0].find("zůstal ve složce ") + std::strlen("zůstal ve složce ");
      const std::string kept = builder.Warnings()[0].substr(at, builder.Warnings()[0].find(',', at) - at);
      EXPECT_EQ(Contents(kept), old);
    }
  }
}

TEST(ReplaceDirectory, WhenTheOldFolderCannotComeBackTheMessageSaysWhereEachIs) {
  TestDir dir;
  const std::string target = dir.File("DATA");
  Build(target, 1);
  const auto old = Contents(target);
  DirectoryBuilder builder;
  Build(target, 2,
        [](ReplaceStep step) {
          return step == ReplaceStep::Exchange ? EINVAL
                 : step == ReplaceStep::MoveNewIn || step == ReplaceStep::MoveOldBack ? EIO : 0;
        },
        &builder);
  ASSERT_EQ(builder.Errors().size(), 1u);
  const std::string& e = builder.Errors()[0];
  EXPECT_FALSE(builder.TargetUntouched());
  EXPECT_FALSE(fs::exists(target));
  const size_t oldAt = e.find("starý adresář je beze změny ve složce ");
  const size_t newAt = e.find(", nový ve složce ");
  ASSERT_NE(oldAt, std::string::npos) << e;
  ASSERT_NE(newAt, std::string::npos) << e;
  EXPECT_NE(e.find("cíl " + target + " teď chybí"), std::string::npos) << e;
  const size_t from = oldAt + std::strlen("starý adresář je beze změny ve složce ");
  EXPECT_EQ(Contents(e.substr(from, newAt - from)), old);
  EXPECT_EQ(Contents(e.substr(newAt + std::strlen(", nový ve složce "))).size(), 27u);
}

TEST(ReplaceDirectory, ANewTargetAppearsWholeOrNotAtAll) {
  TestDir dir;
  const std::string target = dir.File("a/b/DATA");
  DirectoryBuilder failed;
  Build(target, 1, FailAt(ReplaceStep::MoveNewIn, ENOSPC), &failed);
  ASSERT_EQ(failed.Errors().size(), 1u);
  EXPECT_NE(failed.Errors()[0].find("novou složku nelze přesunout na místo: na disku není místo"), std::string::npos);
  EXPECT_FALSE(fs::exists(target));
  EXPECT_TRUE(fs::is_empty(dir.File("a/b")));
  Build(target, 1);
  EXPECT_EQ(Contents(target).size(), 27u);
}

TEST(ReplaceDirectory, RefusesAFolderThatIsNotADirectorysAndTouchesNothing) {
  TestDir dir;
  const std::string home = dir.File("home");
  fs::create_directories(home);
  const char* oldHome = std::getenv("HOME");
  const std::string savedHome = oldHome ? oldHome : "";
  setenv("HOME", home.c_str(), 1);
  struct Case {
    const char* what;
    std::string target;
    std::function<void(const std::string&)> prepare;
    std::string expect;  // "" when the folder may be replaced
  };
  auto file = [](const std::string& name) { return [name](const std::string& t) { fs::create_directories(t); WriteBytes(t + "/" + name, "x"); }; };
  const Case cases[] = {
      {"root", "/", nullptr, "cíl je kořenová složka /"},
      {"home folder", home, nullptr, "cíl je domovská složka přihlášeného uživatele"},
      {"the home folder through a link", dir.File("link-home"),
       [&](const std::string& t) { fs::create_directory_symlink(home, t); }, "cíl je domovská složka"},
      {"a foreign file", dir.File("t1"), file("notes.txt"),
       "cíl obsahuje i jiné soubory než tabulky adresáře („notes.txt“); zvolte novou nebo prázdnou složku, nebo "
       "tuto složku vyprázdněte"},
      {"a subfolder", dir.File("t2"), [](const std::string& t) { fs::create_directories(t + "/DATA"); },
       "cíl obsahuje i jiné soubory než tabulky adresáře („DATA“)"},
      {"a folder named like a table", dir.File("t3"), [](const std::string& t) { fs::create_directories(t + "/pseek.f"); },
       "(„pseek.f“)"},
      {"a file, not a folder", dir.File("t4"), [](const std::string& t) { WriteBytes(t, "x"); },
       "cíl existuje a není složka"},
      {"a dangling link", dir.File("t5"), [&](const std::string& t) { fs::create_symlink(dir.File("nowhere"), t); },
       "cíl je odkaz, který nevede na žádnou složku"},
      {"tables in capitals and a leftover", dir.File("t6"),
       [](const std::string& t) {
         fs::create_directories(t + "/.karo-build-abc123");
         WriteBytes(t + "/PSEEK.F", "x");
         WriteBytes(t + "/aforismy.d", "x");
       },
       ""},
      {"an empty folder", dir.File("t7"), [](const std::string& t) { fs::create_directories(t); }, ""},
      {"missing", dir.File("t8/DATA"), nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.prepare) c.prepare(c.target);
    const std::string refusal = CheckTarget(c.target);
    if (c.expect.empty()) {
      EXPECT_EQ(refusal, "");
      continue;
    }
    EXPECT_NE(refusal.find(c.expect), std::string::npos) << refusal;
    if (c.target == "/") continue;
    const bool existed = fs::exists(fs::symlink_status(c.target));
    const auto before = existed && fs::is_directory(c.target) ? Contents(c.target) : std::map<std::string, std::string>();
    DirectoryBuilder builder;
    Build(c.target, 1, nullptr, &builder);
    ASSERT_EQ(builder.Errors().size(), 1u);
    EXPECT_EQ(builder.Errors()[0], c.target + ": cíl nelze nahradit: " + refusal + "; cíl " + c.target + " zůstal beze změny");
    if (existed && fs::is_directory(c.target)) {
      EXPECT_EQ(Contents(c.target), before);
    }
  }
  EXPECT_TRUE(fs::is_empty(home));

  // The builder program refuses before it starts any work.
  const std::string command = std::string(KARO_BUILD_BIN) + " --from-register /nonexistent.csv " + home + " 2>" +
                              dir.File("err.txt");
  EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
  EXPECT_EQ(ReadBytes(dir.File("err.txt")), "karo-build: " + home + ": cíl nelze nahradit: cíl je domovská složka "
                                            "přihlášeného uživatele; nic nebylo zapsáno.\n");
  const std::string root = std::string(KARO_BUILD_BIN) + " --sample 5 / 2>" + dir.File("err.txt");
  EXPECT_EQ(WEXITSTATUS(std::system(root.c_str())), 1);
  EXPECT_EQ(ReadBytes(dir.File("err.txt")), "karo-build: /: cíl nelze nahradit: cíl je kořenová složka /; nic nebylo zapsáno.\n");
  if (oldHome) setenv("HOME", savedHome.c_str(), 1);
  else unsetenv("HOME");
}

TEST(ReplaceDirectory, ALinkedTargetIsReplacedWhereItLeads) {
  TestDir dir;
  Build(dir.File("real"), 1);
  fs::create_directory_symlink(dir.File("real"), dir.File("DATA"));
  Build(dir.File("DATA"), 2);
  Build(dir.File("expected"), 2);
  EXPECT_TRUE(fs::is_symlink(dir.File("DATA")));
  EXPECT_EQ(Contents(dir.File("real")), Contents(dir.File("expected")));
}

}  // namespace
}  // namespace karo::test
