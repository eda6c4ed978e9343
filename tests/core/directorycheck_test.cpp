// The start-up message about tables that did not open: missing and damaged
// told apart by the files on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "DirectoryCheck.h"
#include "Fixture.h"
#include "TestDir.h"

namespace karo::test {
namespace {

namespace fs = std::filesystem;

TEST(DirectoryCheck, EachTableSaysWhatIsWrongWithItsFiles) {
  TestDir dir;
  BuildDirectory(dir.Path(), SixProviders());
  const std::string d = dir.Path();
  for (const char* ext : {".f", ".d", ".x"}) fs::remove(d + "jazyky" + ext);
  fs::remove(d + "pseek.x");
  fs::remove(d + "okresy.f");
  fs::remove(d + "okresy.x");
  fs::remove(d + "obory.d");
  fs::create_directory(d + "obory.d");
  fs::remove(d + "rubriky.x");
  ASSERT_EQ(mkfifo((d + "rubriky.x").c_str(), 0600), 0);
  WriteBytes(d + "pojistovny.f", "");
  WriteBytes(d + "typzarizeni.f", "not a table at all");
  WriteBytes(d + "aforismy.d", "");  // no records is no fault: the trouble is elsewhere
  WriteBytes(d + "aforismy.x", "");
  const struct {
    const char* table;
    const char* failure;
  } cases[] = {
      {"jazyky", "chybí"},
      {"pseek", "chybí soubor pseek.x"},
      {"okresy", "chybí soubory okresy.f a okresy.x"},
      {"obory", "soubor obory.d není obyčejný soubor"},
      {"rubriky", "soubor rubriky.x není obyčejný soubor"},
      {"pojistovny", "soubor pojistovny.f je prázdný"},
      {"aforismy", "soubor aforismy.x je prázdný"},
      {"typzarizeni", "je poškozená (soubory typzarizeni.f, typzarizeni.d a typzarizeni.x)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.table);
    EXPECT_EQ(TableFailure(d, c.table), c.failure);
  }
}

// A table that did not open says in Czech what the store found, and where.
TEST(DirectoryCheck, TheStoresReasonInCzech) {
  TestDir dir;
  BuildDirectory(dir.Path(), SixProviders());
  const std::string d = dir.Path();
  std::string x = ReadBytes(d + "okresy.x");
  x[4] = x[5] = x[6] = x[7] = '\x7F';  // the second record far past the data
  WriteBytes(d + "okresy.x", x);
  std::string f = ReadBytes(d + "pseek.f");
  f[8 + 3] = 9;  // field 0, a number, 9 bytes wide
  WriteBytes(d + "pseek.f", f);
  WriteBytes(d + "jazyky.f", "abc");
  fs::remove(d + "obory.d");
  const struct {
    const char* table;
    std::string reason;
  } cases[] = {
      {"okresy", "je poškozená: soubor okresy.x, bajt 4: záznam začíná za koncem souboru okresy.d"},
      {"pseek", "je poškozená: soubor pseek.f, bajt 11: číselné pole č. 0 má nepřípustnou šířku (smí mít 1 až 4 bajty)"},
      {"jazyky", "je poškozená: soubor jazyky.f je kratší než jeho osmibajtová hlavička (má 3 B)"},
      {"obory", "chybí soubor obory.d"},
      {"moskyti", ""},  // opened
  };
  std::vector<std::string> failed, reasons;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.table);
    TfdbTable t;
    t.Dir = d;
    t.Open(c.table);
    EXPECT_EQ(TableOpenFailure(t), c.reason);
    if (c.reason.empty()) continue;
    failed.push_back(c.table);
    reasons.push_back(c.reason);
  }
  // The start-up message carries them as they are.
  EXPECT_NE(UnreadableDirectoryMessage(d, failed, reasons).find("\nokresy: " + cases[0].reason + "\npseek: "),
            std::string::npos);
}

TEST(DirectoryCheck, OneMessageNamesTheFolderAndEveryTable) {
  TestDir dir;
  BuildDirectory(dir.Path(), SixProviders());
  EXPECT_EQ(UnreadableDirectoryMessage(dir.Path(), {}), "");
  fs::remove(dir.File("pseek.d"));
  for (const char* ext : {".f", ".d", ".x"}) fs::remove(dir.File(std::string("jazyky") + ext));
  EXPECT_EQ(UnreadableDirectoryMessage(dir.Path(), {"pseek", "jazyky"}),
            "Ve složce " + dir.Path() + " se neotevřely tabulky adresáře:\n\npseek: chybí soubor pseek.d\n"
            "jazyky: chybí\n\nProgram běží bez nich: co z nich pochází (seznamy, výsledky hledání, podrobnosti), "
            "zůstane prázdné.");
  EXPECT_EQ(UnreadableDirectoryMessage(dir.Path(), {"jazyky"}),
            "Ve složce " + dir.Path() + " se neotevřela tabulka adresáře:\n\njazyky: chybí\n\n"
            "Program běží bez ní: co z ní pochází (seznam, výsledky hledání, podrobnosti), zůstane prázdné.");
  // No folder at all, under a name with a byte that is no UTF-8.
  const std::string missing = dir.File("DAT\xC5/");
  EXPECT_EQ(UnreadableDirectoryMessage(missing, {"pseek", "moskyti"}),
            "Složka s adresářem " + dir.Path() +
                "DAT\\xC5/ neexistuje. Žádná tabulka se neotevřela: seznamy jsou prázdné a hledání nic nenajde.");
  // A folder without any of the tables.
  TestDir empty;
  const std::vector<std::string> nine = {"pseek", "moskyti", "okresy", "obory", "rubriky",
                                         "jazyky", "pojistovny", "typzarizeni", "aforismy"};
  EXPECT_EQ(UnreadableDirectoryMessage(empty.Path(), nine),
            "Ve složce " + empty.Path() + " není žádná tabulka adresáře. Seznamy jsou prázdné a hledání nic nenajde.");
  WriteBytes(empty.File("pseek.f"), "x");
  EXPECT_NE(UnreadableDirectoryMessage(empty.Path(), nine).find("pseek: chybí soubory pseek.d a pseek.x\nmoskyti: chybí\n"),
            std::string::npos);
  WriteBytes(dir.File("file"), "x");
  EXPECT_EQ(UnreadableDirectoryMessage(dir.File("file/"), {"pseek"}).rfind("Složka s adresářem", 0), 0u);
}

}  // namespace
}  // namespace karo::test
