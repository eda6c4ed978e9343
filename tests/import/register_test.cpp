// The register import: column mapping, codes, warnings and errors on
// hand-written rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "Cp1250.h"
#include "Register.h"
#include "RegisterRows.h"
#include "RegisterText.h"
#include "Search.h"
#include "TestDir.h"

namespace karo::test {
namespace {

namespace fs = std::filesystem;

// One import into dir/out; the builder keeps its warnings and errors.
struct Imported {
  TestDir Dir;
  std::string File = Dir.File("register.csv");
  DirectoryBuilder Builder;
  bool Ok = false;
  std::map<std::string, std::unique_ptr<TfdbTable>> Tables;
  // The table of that name, opened once.
  TfdbTable& Table(const char* name) {
    std::unique_ptr<TfdbTable>& t = Tables[name];
    if (!t) {
      t = std::make_unique<TfdbTable>();
      t->Dir = Dir.File("out/");
      EXPECT_EQ(t->Open(name), 0) << name;
    }
    return *t;
  }
};

std::unique_ptr<Imported> Import(const std::string& csv) {
  auto r = std::make_unique<Imported>();
  WriteBytes(r->File, csv);
  RegisterOptions options;
  options.File = r->File;
  options.ReferenceDir = KARO_SAMPLE_DIR;
  ImportRegister(options, &r->Builder);
  r->Ok = r->Builder.ErrorCount() == 0 && r->Builder.Finish(r->Dir.File("out"));
  return r;
}

// The pick list of a lookup table, in code order (UTF-8).
std::vector<std::string> Items(TfdbTable& t, int field) {
  std::vector<std::string> items;
  for (uint32_t r = 0; r < t.RecCount; ++r) items.push_back(Cp1250ToUtf8(t.GetStr(static_cast<int32_t>(r), field)));
  return items;
}

std::string U(const char* cp1250) { return Cp1250ToUtf8(cp1250); }

TEST(RegisterImport, MapsEveryColumnOfHandWrittenRows) {
  std::string manyFields;
  for (int i = 1; i <= 120; ++i) manyFields += (i > 1 ? ", " : "") + std::string("obor ") + std::to_string(1000 + i);
  RegisterRow extra = Place({{"MistoPoskytovaniId", "5"}, {"OborPece", manyFields}, {"OdbornyZastupce", ""}});
  extra["Barva"] = "modrá";  // a column the import does not know
  std::vector<std::string> header = RegisterHeader();
  header.push_back("Barva");
  const auto r = Import(RegisterCsv(
      {Place({{"MistoPoskytovaniId", "1"},
              {"NazevZarizeni", "MUDr. Jan Dvořák, s.r.o."},
              {"CisloDomovniOrientacni", "5/12"},
              {"PoskytovatelTelefon", "420469000000"},
              {"PoskytovatelEmail", "jan@example.cz"},
              {"PoskytovatelWeb", "www.dvorak.example.cz"},
              {"Ico", "3869628"},
              {"TypOsoby", "2"},
              {"PravniFormaKod", "112"},
              {"OborPece", "všeobecné praktické lékařství, vnitřní lékařství"},
              {"OdbornyZastupce", "MUDr. JOSEF KOŘÍNEK, Ph.D., EVŽEN ČERNÝ"}}),
       Place({{"MistoPoskytovaniId", "2"}, {"Obec", "Velemín"}, {"Psc", ""}, {"Ulice", ""},
              {"CisloDomovniOrientacni", "136"}, {"OkresCode", "CZ0423"},
              {"OdbornyZastupce", "JANA NOVÁKOVÁ-DVOŘÁKOVÁ"}}),
       Place({{"MistoPoskytovaniId", "3"}, {"OdbornyZastupce", "Bartošová Kateřina"},
              {"PoskytovatelFax", "420416591169"}, {"TypOsoby", "2"}, {"PravniFormaKod", "999"}}),
       Place({{"MistoPoskytovaniId", "4"}, {"OdbornyZastupce", "ŽELMÍRA ZUZANA LECHTÝNSKÁ KALIXOVÁ, MBA"},
              {"DruhZarizeni", "Nemocnice, Samost. ordinace všeob. prakt. lékaře"},
              {"DruhPece", "ošetřovatelská péče"}}),
       extra},
      header));
  ASSERT_TRUE(r->Ok) << r->Builder.Errors()[0];
  EXPECT_EQ(r->Builder.WarningCount(), 0u) << r->Builder.Warnings()[0];
  TfdbTable &seek = r->Table("pseek"), &detail = r->Table("moskyti"), &okresy = r->Table("okresy"),
            &obory = r->Table("obory"), &rubriky = r->Table("rubriky"), &typy = r->Table("typzarizeni");
  ASSERT_EQ(seek.RecCount, 5u);
  const std::vector<std::string> districts = Items(okresy, 1);
  auto district = [&](const std::string& name) {
    return static_cast<int32_t>(std::find(districts.begin(), districts.end(), name) - districts.begin());
  };
  struct Expect {
    int32_t Id, Level;
    std::string Jmeno, Pracoviste, Ulice, Obec, Psc, Okres, Telefony, Fax, Email, Www, Fvlast, Pozn, Typ;
    size_t Specialties;
  };
  const Expect expected[] = {
      {1, 2, "Kořínek Josef", "MUDr. Jan Dvořák, s.r.o.", "Husova 5/12", "Chrudim", "537 01", "Chrudim",
       "+420 469 000 000", "", "jan@example.cz", "www.dvorak.example.cz", "společnost s ručením omezeným",
       "Odborní zástupci: MUDr. Josef Kořínek, Ph.D., Evžen Černý\r\nIČO: 03869628",
       "Samost. ordinace všeob. prakt. lékaře", 2},
      {2, 1, "Nováková-Dvořáková Jana", "MUDr. Jan Dvořák", "Velemín 136", "Velemín", "", "Litoměřice", "", "", "",
       "", "fyzická osoba", "Odborný zástupce: Jana Nováková-Dvořáková", "Samost. ordinace všeob. prakt. lékaře", 1},
      {3, 2, "Bartošová Kateřina", "MUDr. Jan Dvořák", "Husova 5", "Chrudim", "537 01", "Chrudim", "",
       "+420 416 591 169", "", "", "právnická osoba (právní forma 999)", "Odborný zástupce: Bartošová Kateřina",
       "Samost. ordinace všeob. prakt. lékaře", 1},
      {4, 1, "Lechtýnská Kalixová Želmíra Zuzana", "MUDr. Jan Dvořák", "Husova 5", "Chrudim", "537 01", "Chrudim",
       "", "", "", "", "fyzická osoba", "Odborný zástupce: Želmíra Zuzana Lechtýnská Kalixová, MBA", "Nemocnice", 1},
      {5, 1, "", "MUDr. Jan Dvořák", "Husova 5", "Chrudim", "537 01", "Chrudim", "", "", "", "", "fyzická osoba",
       "", "Samost. ordinace všeob. prakt. lékaře", 120},
  };
  for (int32_t i = 0; i < 5; ++i) {
    const Expect& e = expected[i];
    SCOPED_TRACE(e.Id);
    EXPECT_EQ(seek.GetNum(i, 0), e.Id);
    EXPECT_EQ(seek.GetNum(i, 1), e.Level);
    EXPECT_EQ(U(seek.GetStr(i, 2)), e.Jmeno);
    EXPECT_EQ(U(seek.GetStr(i, 3)), e.Pracoviste);
    EXPECT_EQ(U(seek.GetStr(i, 4)), e.Ulice);
    EXPECT_EQ(U(seek.GetStr(i, 5)), e.Obec);
    EXPECT_EQ(seek.GetNum(i, 6), district(e.Okres));
    EXPECT_EQ(U(seek.GetStr(i, 7)), e.Psc);
    EXPECT_EQ(Items(typy, 1)[static_cast<size_t>(seek.GetNum(i, 8))], e.Typ);
    EXPECT_EQ(ListCodes(seek, seek.GetStr(i, 9), false), std::vector<int>{});
    EXPECT_EQ(ListCodes(seek, seek.GetStr(i, 10), false), std::vector<int>{});
    EXPECT_EQ(ListCodes(seek, seek.GetStr(i, 11), true).size(), e.Specialties);
    const int32_t d = detail.SeekNum(0, e.Id);
    ASSERT_GE(d, 0);
    EXPECT_EQ(U(detail.GetStrByName(d, "PSC")), e.Psc);
    EXPECT_EQ(U(detail.GetStrByName(d, "telefony")), e.Telefony);
    EXPECT_EQ(U(detail.GetStrByName(d, "fax")), e.Fax);
    EXPECT_EQ(U(detail.GetStrByName(d, "email")), e.Email);
    EXPECT_EQ(U(detail.GetStrByName(d, "www")), e.Www);
    EXPECT_EQ(U(detail.GetStrByName(d, "fvlast")), e.Fvlast);
    EXPECT_EQ(U(detail.GetStrByName(d, "pozn")), e.Pozn);
  }
  // Specialties with their names; the facility types in the structure and among the categories.
  const std::vector<std::string> specialties = Items(obory, 1);
  std::vector<std::string> first;
  for (const int c : ListCodes(seek, seek.GetStr(0, 11), true)) first.push_back(specialties[static_cast<size_t>(c)]);
  EXPECT_EQ(first, (std::vector<std::string>{"Všeobecné praktické lékařství", "Vnitřní lékařství"}));
  EXPECT_EQ(U(detail.GetStrByName(detail.SeekNum(0, 4), "ostruktura")),
            "Nemocnice\r\nSamost. ordinace všeob. prakt. lékaře");
  std::vector<std::string> categories;
  for (const int c : ListCodes(seek, seek.GetStr(3, 12), false)) categories.push_back(Items(rubriky, 1)[static_cast<size_t>(c)]);
  EXPECT_EQ(categories, (std::vector<std::string>{"Primární ambulantní péče", "Ošetřovatelská péče", "Nemocnice",
                                                  "Samost. ordinace všeob. prakt. lékaře"}));
  // Neither languages nor insurers are in the register; the sample's aphorisms are.
  EXPECT_EQ(r->Table("jazyky").RecCount, 0u);
  EXPECT_EQ(r->Table("pojistovny").RecCount, 0u);
  EXPECT_GT(r->Table("aforismy").RecCount, 80u);
}

TEST(RegisterImport, PickListsInCzechOrderWithCodesToMatch) {
  const auto r = Import(RegisterCsv({
      Place({{"MistoPoskytovaniId", "1"}, {"OborPece", "chirurgie, zubní lékařství"}, {"OkresCode", "CZ0100"},
             {"FormaPece", "specializovaná ambulantní péče"}}),
      Place({{"MistoPoskytovaniId", "2"}, {"OborPece", "Dentální hygienistka, hematologie"}, {"OkresCode", "CZ0642"},
             {"DruhZarizeni", "Samostatná ordinace PL - stomatologa"}}),
      Place({{"MistoPoskytovaniId", "3"}, {"OborPece", "dentální hygienistka, cévní chirurgie, čelistní chirurgie"},
             {"OkresCode", "CZ0642"}}),
  }));
  ASSERT_TRUE(r->Ok) << r->Builder.Errors()[0];
  const std::vector<std::string> obory = Items(r->Table("obory"), 1);
  EXPECT_EQ(obory, (std::vector<std::string>{"Cévní chirurgie", "Čelistní chirurgie", "Dentální hygienistka",
                                             "Hematologie", "Chirurgie", "Zubní lékařství"}));
  // Every district of the list, also those without a place, in the list's order.
  const std::vector<std::string> okresy = Items(r->Table("okresy"), 1);
  ASSERT_EQ(okresy.size(), 77u);
  EXPECT_EQ(okresy.front(), "Benešov");
  EXPECT_EQ(okresy.back(), "Žďár nad Sázavou");
  const auto at = [&](const std::vector<std::string>& list, const std::string& name) {
    return static_cast<int>(std::find(list.begin(), list.end(), name) - list.begin());
  };
  EXPECT_LT(at(okresy, "Hodonín"), at(okresy, "Cheb"));
  // A search by a specialty's code finds exactly the places that have it.
  TfdbTable& search = r->Table("pseek");
  SearchFilter filter;
  filter.Specialties = {at(obory, "Dentální hygienistka")};
  EXPECT_EQ(RunSearch(search, filter), 2u);
  filter.Specialties = {at(obory, "Chirurgie")};
  ASSERT_EQ(RunSearch(search, filter), 1u);
  EXPECT_EQ(search.GetNum(0, 0), 1);
  filter = SearchFilter();
  filter.Districts = {at(okresy, "Brno-město")};
  EXPECT_EQ(RunSearch(search, filter), 2u);
  // Categories with the aphorism group of their kind.
  TfdbTable& rubriky = r->Table("rubriky");
  const std::vector<std::string> names = Items(rubriky, 1);
  EXPECT_EQ(rubriky.GetNumByName(at(names, "Samostatná ordinace PL - stomatologa"), "aforismus"), 2);
  EXPECT_EQ(rubriky.GetNumByName(at(names, "Primární ambulantní péče"), "aforismus"), 1);
  EXPECT_EQ(rubriky.GetNumByName(at(names, "Specializovaná ambulantní péče"), "aforismus"), 5);
}

TEST(RegisterImport, EachWarningKeepsTheRecordAndSaysWhatChanged) {
  const std::string longName(300, 'a');
  struct Case {
    const char* what;
    RegisterRow row;
    std::string warning;  // after "FILE:3: varování: "
    std::string kind;
  };
  const Case cases[] = {
      {"character without a Windows-1250 form", Place({{"NazevZarizeni", "Ørsted Klinik ñ"}}),
       "sloupec „NazevZarizeni“: znak U+00D8 „Ø“, který kódování Windows-1250 nezná, je zapsán jako „O“ "
       "(nahrazených znaků je v poli 2)",
       "znak mimo Windows-1250"},
      {"character without a base letter", Place({{"Obec", "Жatec"}}),
       "sloupec „Obec“: znak U+0416 „Ж“, který kódování Windows-1250 nezná, je zapsán jako „?“",
       "znak mimo Windows-1250"},
      {"overlong text", Place({{"NazevZarizeni", longName}}), "sloupec „NazevZarizeni“: text má 300 znaků, zkrácen na 255",
       "zkrácený text"},
      {"duplicate identifier", Place({{"MistoPoskytovaniId", "7"}}),
       "sloupec „MistoPoskytovaniId“: identifikátor 7 už má záznam na řádku 2; záznam dostal identifikátor 8",
       "duplicitní nebo neplatný identifikátor"},
      {"identifier that is not a number", Place({{"MistoPoskytovaniId", "A-1"}}),
       "sloupec „MistoPoskytovaniId“: identifikátor „A-1“ není celé číslo 0 až 2147483647; záznam dostal "
       "identifikátor 8",
       "duplicitní nebo neplatný identifikátor"},
      {"unknown district", Place({{"OkresCode", "CZ9999"}, {"Okres", "Nový okres"}}),
       "sloupec „OkresCode“: kód okresu „CZ9999“ není v seznamu okresů; okres „Nový okres“ je do seznamu přidán",
       "okres mimo seznam okresů"},
      {"no district code, a known name", Place({{"OkresCode", ""}, {"Okres", "Děčín"}}),
       "sloupec „OkresCode“: kód okresu chybí, okres je podle názvu „Děčín“", "okres mimo seznam okresů"},
      {"no district", Place({{"OkresCode", ""}, {"Okres", ""}}),
       "sloupec „OkresCode“: kód okresu chybí, okres je „neuvedeno“", "okres mimo seznam okresů"},
      {"no facility type", Place({{"DruhZarizeni", ""}}),
       "sloupec „DruhZarizeni“: údaj chybí, typ zařízení je „neuvedeno“", "chybějící údaj"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RegisterRow row = c.row;
    if (c.row.at("MistoPoskytovaniId") == "1") row["MistoPoskytovaniId"] = "8";
    const auto r = Import(RegisterCsv({Place({{"MistoPoskytovaniId", "7"}}), row}));
    ASSERT_TRUE(r->Ok) << r->Builder.Errors()[0];
    ASSERT_EQ(r->Builder.Warnings().size(), 1u);
    EXPECT_EQ(r->Builder.Warnings()[0], r->File + ":3: varování: " + c.warning);
    EXPECT_EQ(r->Builder.WarningTotals(), (std::vector<std::pair<std::string, size_t>>{{c.kind, 1}}));
    EXPECT_EQ(r->Table("pseek").RecCount, 2u);  // the record is kept
  }
  // What the kept records hold.
  auto only = [&](const RegisterRow& row) { return Import(RegisterCsv({row})); };
  auto r = only(Place({{"NazevZarizeni", "Ørsted Klinik ñ"}, {"Obec", "Жatec"}}));
  EXPECT_EQ(U(r->Table("pseek").GetStr(0, 3)), "Orsted Klinik n");
  EXPECT_EQ(U(r->Table("pseek").GetStr(0, 5)), "?atec");
  r = only(Place({{"NazevZarizeni", longName}}));
  EXPECT_EQ(U(r->Table("pseek").GetStr(0, 3)), std::string(254, 'a') + "…");
  // An unknown district joins the list once, and every row of it says so.
  r = Import(RegisterCsv({Place({{"OkresCode", "CZ9999"}, {"Okres", "Nový okres"}}),
                          Place({{"MistoPoskytovaniId", "2"}, {"OkresCode", "CZ9999"}, {"Okres", "Nový okres"}})}));
  const std::vector<std::string> okresy = Items(r->Table("okresy"), 1);
  ASSERT_EQ(okresy.size(), 78u);
  EXPECT_EQ(okresy[static_cast<size_t>(r->Table("pseek").GetNum(0, 6))], "Nový okres");
  EXPECT_EQ(r->Table("pseek").GetNum(1, 6), r->Table("pseek").GetNum(0, 6));
  EXPECT_EQ(r->Builder.WarningCount(), 2u);
  // Decomposed letters are composed first and need no warning.
  r = only(Place({{"Obec", "U\xCC\x81sti\xCC\x81"}}));
  EXPECT_EQ(r->Builder.WarningCount(), 0u);
  EXPECT_EQ(U(r->Table("pseek").GetStr(0, 5)), "Ústí");
}

TEST(RegisterImport, ValuesBeyondWhatACodeAddressesAreWarnedAndTheRestKept) {
  // 300 specialties and 300 facility types: the more frequent ones keep a
  // code, the rest warn; the records stay.
  std::vector<RegisterRow> rows;
  for (int i = 0; i < 300; ++i) {
    std::string specialty = "obor " + std::to_string(1000 + i);
    if (i < 200) specialty += ", častý obor " + std::to_string(i % 10);
    rows.push_back(Place({{"MistoPoskytovaniId", std::to_string(i + 1)},
                          {"OborPece", specialty},
                          {"DruhZarizeni", "typ " + std::to_string(1000 + i) + ", Nemocnice"}}));
  }
  rows.push_back(Place({{"MistoPoskytovaniId", "999"}, {"DruhZarizeni", "typ 1000"}, {"OborPece", "obor 1000"}}));
  const auto r = Import(RegisterCsv(rows));
  ASSERT_TRUE(r->Ok) << r->Builder.Errors()[0];
  EXPECT_EQ(r->Table("pseek").RecCount, 301u);
  const std::vector<std::string> obory = Items(r->Table("obory"), 1), typy = Items(r->Table("typzarizeni"), 1);
  ASSERT_EQ(obory.size(), 255u);
  ASSERT_EQ(typy.size(), 256u);
  EXPECT_EQ(typy.back(), "(jiný)");
  EXPECT_EQ(obory.front(), "Častý obor 0");  // frequent ones are kept
  EXPECT_EQ(obory[10], "Obor 1000");          // and the one used twice
  size_t lostSpecialty = 0, otherType = 0, lostCategory = 0;
  for (const std::string& w : r->Builder.Warnings()) {
    lostSpecialty += w.find("sloupec „OborPece“: obor „Obor ") != std::string::npos &&
                     w.find("se nevešel do číselníku (kód pojme nejvýše 255 položek), záznam ho nemá") != std::string::npos;
    otherType += w.find("sloupec „DruhZarizeni“: typ zařízení „Typ ") != std::string::npos &&
                 w.find("se nevešel do číselníku (kód pojme nejvýše 256 položek), záznam má typ zařízení „(jiný)“") !=
                     std::string::npos;
    lostCategory += w.find("sloupec „DruhZarizeni“: rubrika „Typ ") != std::string::npos &&
                    w.find("se nevešel do číselníku (kód pojme nejvýše 255 položek), záznam ho nemá") != std::string::npos;
  }
  EXPECT_EQ(lostSpecialty, 55u);  // 255 codes: 10 frequent ones, obor 1000 and 244 of the other 299
  EXPECT_EQ(otherType, 45u);      // 255 codes and "(jiný)": typ 1000 and 254 of the other 299
  EXPECT_EQ(lostCategory, 47u);   // 255: two frequent ones, typ 1000 and 252 of the other 299
  EXPECT_EQ(r->Builder.WarningCount(), lostSpecialty + otherType + lostCategory);
}

TEST(RegisterImport, ErrorsNameTheFileAndLineAndWriteNothing) {
  std::vector<std::string> withoutObor = RegisterHeader();
  withoutObor.erase(std::find(withoutObor.begin(), withoutObor.end(), "OborPece"));
  std::vector<std::string> twice = RegisterHeader();
  twice.push_back("Obec");
  const std::pair<std::string, std::string> cases[] = {
      {RegisterCsv({Place({})}, withoutObor), ":1: chybí sloupec „OborPece“"},
      {RegisterCsv({Place({})}, twice), ":1: sloupec „Obec“ je v záhlaví dvakrát"},
      {RegisterCsv({Place({})}) + "1,2,3\n", ":3: počet polí na řádku je 3, záhlaví jich má 33"},
      {RegisterCsv({Place({})}) + "\"open", ":3: poškozené CSV: pole v uvozovkách není uzavřeno před koncem souboru"},
      {"", ": soubor je prázdný, chybí záhlaví"},
  };
  for (const auto& [csv, expect] : cases) {
    SCOPED_TRACE(expect);
    const auto r = Import(csv);
    EXPECT_FALSE(r->Ok);
    ASSERT_GE(r->Builder.Errors().size(), 1u);
    EXPECT_EQ(r->Builder.Errors()[0], r->File + expect);
    EXPECT_FALSE(fs::exists(r->Dir.File("out")));
  }
}

TEST(RegisterText, NamesPhonesAndCodesAsPeopleWriteThem) {
  const std::set<std::string> given = {"jan", "kateřina", "zuzana"};
  const std::pair<const char*, const char*> names[] = {
      {"JOSEF KOŘÍNEK", "Kořínek|Josef"},
      {"doc. MUDr. et MUDr. JAN NOVÁK, CSc.", "Novák|Jan"},
      {"Mgr. Bc. Zuzana O'NEILL", "O'Neill|Zuzana"},
      {"Dong Lam Le", "Lam Le|Dong"},
      {"NOVÁKOVÁ", "Nováková|"},
      {"Ph.D., JAN DVOŘÁK", "Dvořák|Jan"},
  };
  for (const auto& [field, expect] : names) {
    SCOPED_TRACE(field);
    const std::vector<Person> persons = ParsePersons(field, given);
    ASSERT_EQ(persons.size(), 1u);
    EXPECT_EQ(persons[0].Surname + "|" + persons[0].Given, expect);
  }
  const std::pair<const char*, const char*> phones[] = {
      {"420778500255", "+420 778 500 255"}, {"+420 778 500 255", "+420 778 500 255"},
      {"778500255; 00421905123456", "778 500 255, +421 905 123 456"}, {"linka 12", "linka 12"}, {"", ""}};
  for (const auto& [in, out] : phones) EXPECT_EQ(FormatPhones(in), out) << in;
  EXPECT_EQ(FormatPostalCode("41131"), "411 31");
  EXPECT_EQ(FormatPostalCode("411 31"), "411 31");
  EXPECT_EQ(FormatPostalCode("CZ-411"), "CZ-411");
  EXPECT_EQ(FormatIco("3869628"), "03869628");
  EXPECT_EQ(Shorten("žluťoučký", 5), "žluť…");
  EXPECT_EQ(CollapseSpaces("  a\t\r\n b  "), "a b");
  EXPECT_EQ(SplitValues(" a, ,b  c,"), (std::vector<std::string>{"a", "b c"}));
}

}  // namespace
}  // namespace karo::test
