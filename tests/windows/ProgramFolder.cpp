// A program folder with a directory of its own, for the window tests.
#include "ProgramFolder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <filesystem>

#include "About.h"
#include "Detail.h"
#include "Directory.h"
#include "Main.h"
#include "Showquery.h"
#include "Source.h"

namespace karo::test {

namespace fs = std::filesystem;

std::map<std::string, std::string> SmallSource() {
  const std::string header =
      "id,uroven,jmeno,pracoviste,ulice,obec,psc,okres,typzarizeni,jazyky,pojistovny,obory,rubriky,"
      "telefony,fax,mobil,email,www,fvlast,ostruktura,specipece,pozn,ordihod,ambulance,pohotovost,"
      "vysetreni,objdoba,npece,nhospit\n";
  auto row = [](const std::string& id, const std::string& level, const std::string& name, const std::string& work,
                const std::string& street, const std::string& town, const std::string& district,
                const std::string& type, const std::string& langs, const std::string& insurers,
                const std::string& specs, const std::string& cats) {
    return id + "," + level + "," + name + "," + work + "," + street + "," + town + ",100 00," + district + "," +
           type + "," + langs + "," + insurers + "," + specs + "," + cats + ",,,,,,,,,,,,,,,,\n";
  };
  return {
      {"okresy.csv", "kod,nazev\nD0,Benešov\nD1,Beroun\nD2,Blansko\nD3,Brno-město\nD4,Břeclav\nD5,Bruntál\n"
                     "D6, Bystřice\nD7,Česká Lípa\nD8,Cheb\nD9,Chomutov\n"},
      {"obory.csv", "kod,nazev\n001,Praktický lékař\n014,Zubní lékař\n603,Gynekologie\n"},
      {"rubriky.csv", "kod,nazev,aforismus\nR1,Praktici,1\nR2,Zubaři,2\n"},
      {"jazyky.csv", "nazev\nangličtina\nněmčina\nruština\n"},
      {"pojistovny.csv", "kod,nazev\n111,VZP\n201,VoZP\n205,ČPZP\n"},
      {"typzarizeni.csv", "kod,nazev\n320,Ordinace praktika\n322,Zubní ordinace\n"},
      {"aforismy.csv", "skupina,text\n0,Zdraví je poklad.\n1,Ráno moudřejší večera.\n"},
      {"poskytovatele.csv",
       header + row("10", "1", "Novák Jan", "Ordinace Novák", "Husova 1", "Brno", "D3", "320", "", "111", "001", "R1") +
           row("11", "2", "Nováková Eva", "Zubní Nováková", "Nádražní 2", "Břeclav", "D4", "322", "angličtina",
               "111|201", "014", "R2") +
           row("12", "3", "Dvořák Petr", "MUDr. Dvořák", "Školní 3", "Beroun", "D1", "320", "němčina|ruština",
               "205", "001|603", "R1") +
           row("13", "4", "Černá Jana", "Gynekologie Černá", "Polní 4", "Cheb", "D8", "320", "", "111", "603", "") +
           row("14", "2", "Chalupa Karel", "Ambulance Chalupa", "Lesní 5", "Chomutov", "D9", "322", "", "201",
               "014", "R2") +
           row("15", "0", "Zeman Olga", "Ordinace Zeman", "Krátká 6", "Znojmo", "D0", "320", "", "205", "001", "") +
           row("16", "5", "Adam Ivo", "Praxe Adam", "Dlouhá 7", "Aš", "D8", "320", "", "205", "001", "")},
  };
}

ProgramFolder::ProgramFolder(const std::map<std::string, std::string>& source,
                             const std::vector<std::string>& without) {
  fs::create_directories(dir_.File("src"));
  for (const auto& [name, content] : source) WriteBytes(dir_.File("src/" + name), content);
  DirectoryBuilder builder;
  ReadSourceDir(dir_.File("src"), &builder);
  Finish(builder, without);
}

ProgramFolder::ProgramFolder(const std::function<void(DirectoryBuilder*)>& fill) {
  DirectoryBuilder builder;
  fill(&builder);
  Finish(builder, {});
}

void ProgramFolder::Finish(DirectoryBuilder& builder, const std::vector<std::string>& without) {
  EXPECT_EQ(builder.ErrorCount(), 0u) << (builder.Errors().empty() ? "" : builder.Errors()[0]);
  EXPECT_TRUE(builder.Finish(dir_.File("DATA")));
  for (const std::string& table : without)
    for (const char* ext : {".f", ".d", ".x"}) fs::remove(dir_.File("DATA/" + table + ext));
  fs::create_directories(dir_.File("data"));
  const fs::path resources = KARO_RESOURCES_DIR;
  fs::copy_file(resources / "data/about.rtff", dir_.File("data/about.rtff"));
  fs::copy_file(resources / "data/karosmall.ICO", dir_.File("data/karosmall.ICO"));
  fs::copy_file(resources / "Tarvel.hlp", dir_.File("Tarvel.hlp"));
}

Windows::Windows(const ProgramFolder& folder) {
  Main = std::make_unique<TwMain>(nullptr, folder.Path());
  Query = std::make_unique<TwQuery>(Main.get());
  wQuery = Query.get();
  Detail = std::make_unique<TwDetail>(Main.get());
  wDetail = Detail.get();
  About = std::make_unique<TwAbout>(Main.get());
  wAbout = About.get();
}

Windows::~Windows() {
  wQuery = nullptr;
  wDetail = nullptr;
  wAbout = nullptr;
  About.reset();
  Detail.reset();
  Query.reset();
  Main.reset();
}

void OnNextModal(std::function<void(QWidget*)> action) {
  auto timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, action] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      action(modal);
    }
  });
  timer->start();
}

}  // namespace karo::test
