// The detail window: pages by record level, values from both tables, codes as
// pick-list items, the aphorism, and a missing detail record.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <vector>

#include "Detail.h"
#include "Fdbgrid.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "ui_Detail.h"
#include "ui_Main.h"

namespace karo::test {
namespace {

std::map<std::string, std::string> DetailSource() {
  auto source = SmallSource();
  const std::string& providers = source["poskytovatele.csv"];
  const std::string header = providers.substr(0, providers.find('\n') + 1);
  std::string twenty = "R1";
  for (int i = 1; i < 20; ++i) twenty += i % 2 ? "|R2" : "|R1";
  source["poskytovatele.csv"] =
      header +
      // level 0, no category: group 0
      "20,0,Zeman Olga,Ordinace Zeman,Krátká 6,Znojmo,669 02,D0,320,angličtina,111,001,,+420 515 000 000,,,,,"
      "soukromé,,,,,,,,,,\n"
      // level 2, category R2 (group 2 has no aphorism)
      "21,2,Nováková Eva,Zubní Nováková,Nádražní 2,Břeclav,690 02,D4,322,angličtina|ruština,111|205,014|603,R2,"
      "+420 519 111 111,+420 519 111 112,+420 777 000 000,eva@example.cz,www.novakova.example.cz,obecní,"
      "\"Sestra\nRecepce\",\"EKG\nOčkování\",Bezbariérový přístup.,,,,,,,\n"
      // level 3, twenty categories starting with R1 (group 1)
      "22,3,Dvořák Petr,MUDr. Dvořák,Školní 3,Beroun,266 01,D1,320,,201,001,\"" + twenty + "\",,,,,,soukromé,,,,"
      "\"7:00 - 12:00\n\n7:00 - 12:00\",\"nepřetržitě\",,ano,14,,\n"
      // level 4, category R1
      "23,4,Černá Jana,Gynekologie Černá,Polní 4,Cheb,350 02,D8,320,,111,603,R1,,,,,,krajské,,,,"
      "\"8:00 - 14:00\",,,ne,0,\"Konzultace\nPokoj\",Doprovod\n";
  return source;
}

class Detail : public ::testing::Test {
 protected:
  void SetUp() override {
    w_ = std::make_unique<Windows>(folder_);
    w_->Main->show();
    QTest::mouseClick(w_->Main->ui->btSeek, Qt::LeftButton);  // all four, in base order
    d_ = w_->Detail->ui;
  }
  // Shows the provider at a grid row as the "Detail" button does; returns the visible tab captions.
  QStringList Open(int row) {
    w_->Main->Grid->MoveCurrent(2, row);
    OnNextModal([](QWidget* modal) { modal->close(); });
    QTest::mouseClick(w_->Main->ui->butDetail, Qt::LeftButton);
    QStringList tabs;
    for (int i = 0; i < d_->pgctrl01->count(); ++i)
      if (d_->pgctrl01->isTabVisible(i)) tabs << d_->pgctrl01->tabText(i);
    return tabs;
  }
  QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
  }
  ProgramFolder folder_{DetailSource()};
  std::unique_ptr<Windows> w_;
  Ui::TwDetail* d_ = nullptr;
};

TEST_F(Detail, PagesFollowTheRecordLevel) {
  const QString basic = QString::fromUtf8("Z&ákladní"), more = QString::fromUtf8("&Doplňující"),
                hours = QString::fromUtf8("&Ordinační doba"), extra = QStringLiteral("&Nadstandard");
  EXPECT_EQ(Open(1), QStringList{basic});
  EXPECT_TRUE(Items(d_->lstJazyky).isEmpty());  // level 0 leaves the hidden pages alone
  EXPECT_EQ(Open(2), (QStringList{basic, more}));
  EXPECT_EQ(Open(3), (QStringList{basic, more, hours}));
  EXPECT_EQ(Open(4), (QStringList{basic, more, hours, extra}));
  // Whatever page was open last, the next display opens on the basic page.
  d_->pgctrl01->setCurrentIndex(3);
  Open(2);
  EXPECT_EQ(d_->pgctrl01->currentIndex(), 0);
}

TEST_F(Detail, ValuesOfBothTablesAndCodesAsItems) {
  Open(2);
  EXPECT_EQ(d_->panPracoviste->text(), QString::fromUtf8("Zubní Nováková"));
  EXPECT_EQ(d_->panJmeno->text(), QString::fromUtf8("Nováková Eva"));
  EXPECT_EQ(d_->panObec->text(), QString::fromUtf8("Břeclav"));
  EXPECT_EQ(d_->panUlice->text(), QString::fromUtf8("Nádražní 2"));
  EXPECT_EQ(d_->panOkres->text(), QString::fromUtf8("Břeclav"));
  EXPECT_EQ(d_->panPSC->text(), QStringLiteral("690 02"));
  EXPECT_EQ(d_->panTelefon->text(), QStringLiteral("+420 519 111 111"));
  EXPECT_EQ(d_->panFax->text(), QStringLiteral("+420 519 111 112"));
  EXPECT_EQ(d_->panMobil->text(), QStringLiteral("+420 777 000 000"));
  EXPECT_EQ(d_->panEmail->text(), QStringLiteral("eva@example.cz"));
  EXPECT_EQ(d_->panWWW->text(), QStringLiteral("www.novakova.example.cz"));
  EXPECT_EQ(d_->panTypZarizeni->text(), QString::fromUtf8("Zubní ordinace"));
  EXPECT_EQ(d_->panFormaVlastnictvi->text(), QString::fromUtf8("obecní"));
  EXPECT_EQ(d_->mmRubriky->toPlainText(), QString::fromUtf8("Zubaři"));
  EXPECT_EQ(d_->mmStruktura->toPlainText(), QStringLiteral("Sestra\nRecepce"));
  EXPECT_EQ(Items(d_->lstJazyky), (QStringList{QString::fromUtf8("angličtina"), QString::fromUtf8("ruština")}));
  EXPECT_EQ(Items(d_->lstPojistovny), (QStringList{"VZP", QString::fromUtf8("ČPZP")}));
  EXPECT_EQ(Items(d_->lstObory), (QStringList{QString::fromUtf8("Zubní lékař"), QStringLiteral("Gynekologie")}));
  EXPECT_EQ(d_->mmSpeciPece->toPlainText(), QString::fromUtf8("EKG\nOčkování"));
  EXPECT_EQ(d_->mmPoznamka->toPlainText(), QString::fromUtf8("Bezbariérový přístup."));
  EXPECT_EQ(d_->mmAfo->toPlainText(), QStringLiteral("FDB_EOF"));  // group 2 has no aphorism

  Open(3);
  QStringList fifteen;
  for (int i = 0; i < 15; ++i) fifteen << (i % 2 ? QString::fromUtf8("Zubaři") : QStringLiteral("Praktici"));
  EXPECT_EQ(d_->mmRubriky->toPlainText(), fifteen.join('\n'));  // 20 codes, the first 15 shown
  EXPECT_EQ(d_->mmAfo->toPlainText(), QString::fromUtf8("Ráno moudřejší večera."));  // the first code's group
  EXPECT_EQ(d_->lblTyden->text(), QString::fromUtf8("Pondělí\nÚterý\nStředa\nČtvrtek\nPátek\nSobota\nNeděle"));
  EXPECT_EQ(d_->lblOrdiHod->text(), QStringLiteral("7:00 - 12:00\n\n7:00 - 12:00"));
  EXPECT_EQ(d_->lblAmbulance->text(), QString::fromUtf8("nepřetržitě"));
  EXPECT_EQ(d_->panOkamziteVysetreni->text(), QStringLiteral("ano"));
  EXPECT_EQ(d_->panObjednaciDoba->text(), QStringLiteral("14"));
  EXPECT_TRUE(Items(d_->lstJazyky).isEmpty());

  Open(4);
  EXPECT_EQ(d_->mmNPece->toPlainText(), QStringLiteral("Konzultace\nPokoj"));
  EXPECT_EQ(d_->mmNHospit->toPlainText(), QStringLiteral("Doprovod"));
  EXPECT_EQ(d_->mmAfo->toPlainText(), QString::fromUtf8("Ráno moudřejší večera."));  // group 1
  Open(1);
  EXPECT_EQ(d_->mmAfo->toPlainText(), QString::fromUtf8("Zdraví je poklad."));  // no category: group 0
  EXPECT_EQ(d_->mmRubriky->toPlainText(), QString());
}

// Darkness of each pixel row of a rectangle of an image (text is dark on
// white or on the button face).
std::vector<int> InkRows(const QImage& image, const QRect& rect) {
  std::vector<int> rows;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    int ink = 0;
    for (int x = rect.left(); x <= rect.right(); ++x) ink += std::max(0, 160 - qGray(image.pixel(x, y)));
    rows.push_back(ink);
  }
  return rows;
}

// The shift (in rows) of `b`'s ink against `a`'s that makes them match best.
int BestShift(const std::vector<int>& a, const std::vector<int>& b) {
  int best = 0;
  double bestScore = -1;
  for (int shift = -6; shift <= 6; ++shift) {
    double score = 0;
    for (size_t y = 0; y < a.size(); ++y) {
      const long other = static_cast<long>(y) + shift;
      if (other >= 0 && other < static_cast<long>(b.size())) score += double(a[y]) * b[static_cast<size_t>(other)];
    }
    if (score > bestScore) bestScore = score, best = shift;
  }
  return best;
}

TEST_F(Detail, OfficeHoursStandBesideTheirWeekdays) {
  Open(3);
  w_->Detail->show();
  d_->pgctrl01->setCurrentWidget(d_->pgOrdinacniDoba);
  // The same seven lines in every box as in the weekday column: their pixel
  // rows must then lie at the same heights.
  const QString week = d_->lblTyden->text();
  const QLabel* boxes[] = {d_->lblOrdiHod, d_->lblAmbulance, d_->lblPohotovost};
  for (const QLabel* box : boxes) const_cast<QLabel*>(box)->setText(week);
  const QImage image = d_->GroupBox3->grab().toImage();
  const QRect column = d_->lblTyden->geometry();
  const std::vector<int> weekdays = InkRows(image, QRect(column.left() + 2, column.top(), 44, 100));
  for (const QLabel* box : boxes) {
    SCOPED_TRACE(box->objectName().toStdString());
    EXPECT_EQ(box->font(), d_->lblTyden->font());
    EXPECT_EQ(box->fontMetrics().lineSpacing(), d_->lblTyden->fontMetrics().lineSpacing());
    const QRect inside = box->geometry();
    const std::vector<int> lines = InkRows(image, QRect(inside.left() + 4, column.top(), 44, 100));
    EXPECT_EQ(BestShift(weekdays, lines), 0);
    // Each weekday's first row of ink is the first row of ink of its line.
    auto tops = [](const std::vector<int>& rows) {
      std::vector<int> found;
      for (size_t y = 1; y < rows.size(); ++y)
        if (rows[y] > 200 && rows[y - 1] <= 200) found.push_back(static_cast<int>(y));
      return found;
    };
    EXPECT_EQ(tops(lines), tops(weekdays));
    EXPECT_GE(tops(weekdays).size(), 7u);
  }
}

TEST_F(Detail, LabelsEndBeforeTheirValuePanels) {
  Open(3);
  w_->Detail->show();
  d_->pgctrl01->setCurrentWidget(d_->pgOrdinacniDoba);
  const QImage image = d_->GroupBox3->grab().toImage();
  const struct {
    const QLabel* label;
    const QLabel* panel;
    QRect where;  // of the panel, as the layout puts it
  } rows[] = {{d_->Label44, d_->panOkamziteVysetreni, QRect(123, 176, 92, 20)},
              {d_->Label45, d_->panObjednaciDoba, QRect(122, 201, 93, 20)}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label->text().toStdString());
    EXPECT_EQ(row.panel->geometry(), row.where);
    EXPECT_LT(row.label->geometry().right(), row.panel->x() - 1);
    EXPECT_LE(row.label->fontMetrics().horizontalAdvance(row.label->text()), row.label->width());  // nothing cut
    // No ink of the caption in the two columns before the panel.
    const QRect gap(row.panel->x() - 2, row.label->y(), 2, row.label->height());
    for (const int ink : InkRows(image, gap)) EXPECT_EQ(ink, 0);
  }
}

TEST_F(Detail, MissingDetailRecordChangesNothing) {
  Open(2);
  w_->Main->Moskyti.Close();
  QString message;
  OnNextModal([&](QWidget* modal) {
    if (auto box = qobject_cast<QMessageBox*>(modal)) message = box->text();
    modal->close();
    OnNextModal([](QWidget* next) { next->close(); });  // then the window opens all the same
  });
  w_->Main->Grid->MoveCurrent(2, 4);
  QTest::mouseClick(w_->Main->ui->butDetail, Qt::LeftButton);
  EXPECT_EQ(message, QStringLiteral("warning: Data inconsistency"));
  EXPECT_EQ(d_->panJmeno->text(), QString::fromUtf8("Nováková Eva"));  // still the previous provider
}

TEST_F(Detail, EscAndTheCloseButtonClose) {
  for (const bool useEsc : {true, false}) {
    w_->Main->Grid->MoveCurrent(2, 1);
    OnNextModal([&](QWidget* modal) {
      if (useEsc) QTest::keyClick(d_->mmStruktura, Qt::Key_Escape);
      else QTest::keyClick(modal, Qt::Key_Z, Qt::AltModifier);
    });
    QTest::mouseClick(w_->Main->ui->butDetail, Qt::LeftButton);
    EXPECT_FALSE(w_->Detail->isVisible()) << useEsc;
  }
}

}  // namespace
}  // namespace karo::test
