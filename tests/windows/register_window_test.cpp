// The desktop program on a directory imported from the real register excerpt:
// a search by municipality and the detail with the place's contacts.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <filesystem>

#include "Detail.h"
#include "Fdbgrid.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "Register.h"
#include "ui_Detail.h"
#include "ui_Main.h"

namespace karo::test {
namespace {

const std::string kExcerpt = std::string(KARO_REALDATA_DIR) + "/nrpzs_subset_ustecky_pl/prakticke_lekarstvi_dospeli.csv";

TEST(RegisterWindow, SearchesARealMunicipalityAndShowsTheContacts) {
  if (!std::filesystem::exists(kExcerpt)) GTEST_SKIP() << "no real data at " << kExcerpt;
  ProgramFolder folder([](DirectoryBuilder* builder) {
    RegisterOptions options;
    options.File = kExcerpt;
    options.ReferenceDir = KARO_SAMPLE_DIR;
    ImportRegister(options, builder);
  });
  Windows w(folder);
  w.Main->show();
  Ui::TwMain* ui = w.Main->ui;
  EXPECT_EQ(ui->lstOkresy->count(), 77);
  ui->txtObec->setText(QString::fromUtf8("ústí nad labem"));  // as typed, in small letters
  QTest::mouseClick(ui->btSeek, Qt::LeftButton);
  EXPECT_EQ(w.Main->sbText->text(), QString::fromUtf8("42 / 396 záznamů"));
  EXPECT_EQ(w.Main->Grid->RowCount(), 43);

  // The first of them in the register's order.
  w.Main->Grid->MoveCurrent(2, 1);
  OnNextModal([](QWidget* modal) { modal->close(); });
  QTest::mouseClick(ui->butDetail, Qt::LeftButton);
  Ui::TwDetail* d = w.Detail->ui;
  EXPECT_EQ(d->panPracoviste->text(), QString::fromUtf8("Závodní lékaři s. r. o."));
  EXPECT_EQ(d->panJmeno->text(), QString::fromUtf8("Prejzek Vratislav"));
  EXPECT_EQ(d->panUlice->text(), QString::fromUtf8("U Pivovarské zahrady 793/5"));
  EXPECT_EQ(d->panOkres->text(), QString::fromUtf8("Ústí nad Labem"));
  EXPECT_EQ(d->panPSC->text(), QStringLiteral("400 07"));
  EXPECT_EQ(d->panTelefon->text(), QStringLiteral("+420 414 120 550"));
  EXPECT_EQ(d->panEmail->text(), QStringLiteral("v.prejzek@seznam.cz"));
  EXPECT_EQ(d->panTypZarizeni->text(), QString::fromUtf8("Samost. ordinace všeob. prakt. lékaře"));
  EXPECT_EQ(d->panFormaVlastnictvi->text(), QString::fromUtf8("společnost s ručením omezeným"));
  EXPECT_TRUE(d->pgctrl01->isTabVisible(1));  // level 2: the page with the specialties
}

}  // namespace
}  // namespace karo::test
