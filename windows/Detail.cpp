// TwDetail: the tabbed detail window of one provider.
#include "Detail.h"

#include <QKeyEvent>
#include <QListWidget>

#include "Fdbgrid.h"
#include "Look.h"
#include "Main.h"
#include "QtText.h"
#include "Search.h"
#include "ui_Detail.h"
#include "ui_Main.h"

TwDetail* wDetail = nullptr;

namespace {

uint32_t randomState = 20010101;  // fixed: every run draws the same sequence

constexpr int kTabDoplnujici = 1, kTabOrdinacniDoba = 2, kTabNadstandard = 3;
constexpr int kMostCategories = 15;

// A stored text for a control: line breaks as the widgets want them.
QString Shown(const char* text) {
  QString s = FromCp1250(text);
  s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return s;
}

// The text of a pick list's item at a code; empty for a code without an item.
QString ItemAt(const QListWidget* list, int32_t code) {
  const QListWidgetItem* item = code >= 0 ? list->item(code) : nullptr;
  return item ? item->text() : QString();
}

void FillList(QListWidget* target, const QListWidget* source, const std::vector<int>& codes) {
  target->clear();
  for (const int code : codes) target->addItem(ItemAt(source, code));
}

}  // namespace

uint32_t NextRandom() {
  randomState = randomState * 1103515245u + 12345u;
  return (randomState >> 1) & 0x7FFFFFFFu;
}

TwDetail::TwDetail(QWidget* parent) : QDialog(parent), ui(new Ui::TwDetail) {
  ui->setupUi(this);
  // A fixed-size dialog: a title bar with the close button only.
  setWindowFlags(kDialogWithClose);
  setFixedSize(size());
  ui->mmAfo->setFont(SansFont(12));
  ui->mmAfo->document()->setDefaultTextOption(QTextOption(Qt::AlignCenter));
  ui->panPracoviste->setFont(SansFont(11, true));
  ui->panJmeno->setFont(SansFont(11, true));
  for (QListWidget* list : {ui->lstJazyky, ui->lstPojistovny, ui->lstObory}) MakePickList(list);
  // The weekdays stand beside the lines of the boxes: same top, same font, same
  // line height. A framed label would indent its text from the top as well as
  // from the left, so the boxes keep only the left gap.
  const int inset = ui->lblOrdiHod->frameWidth();
  ui->lblTyden->setContentsMargins(inset, inset, 0, 0);
  for (QLabel* box : {ui->lblOrdiHod, ui->lblAmbulance, ui->lblPohotovost}) {
    box->setFont(ui->lblTyden->font());
    box->setIndent(0);
    const int frame = box->frameWidth();  // the margins include the frame
    box->setContentsMargins(frame + box->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2, frame, frame, frame);
  }
  FitBeside(ui->Label45, ui->panObjednaciDoba);
  FitBeside(ui->Label44, ui->panOkamziteVysetreni);
  connect(ui->SpeedButton1, &QToolButton::clicked, this, &TwDetail::SpeedButton1Click);
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

TwDetail::~TwDetail() { delete ui; }

void TwDetail::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CenterOnScreen(this);
}

bool TwDetail::FormShow() {
  TwMain* main = wMain;
  if (!main || !main->Grid) return false;
  TfdbTable& seek = main->Pseek;
  TfdbTable& detail = main->Moskyti;
  const Ui::TwMain* lists = main->ui;
  const int32_t r = main->Grid->Row() - 1;
  const int32_t id = seek.GetNum(r, 0);
  const int32_t level = seek.GetNum(r, 1);
  const int32_t d = detail.SeekNum(0, id);
  if (d == -1) {
    PlainMessage(this, QStringLiteral("warning: Data inconsistency"));
    return false;
  }
  for (const int tab : {kTabDoplnujici, kTabOrdinacniDoba, kTabNadstandard}) ui->pgctrl01->setTabVisible(tab, false);
  ui->pgctrl01->setCurrentIndex(0);

  ui->panPracoviste->setText(Shown(seek.GetStrByName(r, "pracoviste")));
  ui->panJmeno->setText(Shown(seek.GetStrByName(r, "jmeno")));
  ui->panObec->setText(Shown(seek.GetStrByName(r, "obec")));
  ui->panUlice->setText(Shown(seek.GetStrByName(r, "ulice")));
  ui->panOkres->setText(ItemAt(lists->lstOkresy, seek.GetNumByName(r, "okres")));
  ui->panPSC->setText(Shown(detail.GetStrByName(d, "PSC")));
  ui->panTelefon->setText(Shown(detail.GetStrByName(d, "telefony")));
  ui->panFax->setText(Shown(detail.GetStrByName(d, "fax")));
  ui->panMobil->setText(Shown(detail.GetStrByName(d, "mobil")));
  ui->panEmail->setText(Shown(detail.GetStrByName(d, "email")));
  ui->panWWW->setText(Shown(detail.GetStrByName(d, "www")));
  ui->panTypZarizeni->setText(ItemAt(lists->lstTypZarizeni, seek.GetNumByName(r, "typzarizeni")));
  ui->panFormaVlastnictvi->setText(Shown(detail.GetStrByName(d, "fvlast")));

  ChooseAphorism(r);

  QStringList categories;
  for (const int code : karo::ListCodes(seek, seek.GetStrByName(r, "rubriky"), false, kMostCategories))
    categories << ItemAt(lists->lstRubriky, code);
  ui->mmRubriky->setPlainText(categories.join(QLatin1Char('\n')));
  ui->mmStruktura->setPlainText(Shown(detail.GetStrByName(d, "ostruktura")));

  if (level >= 1) {
    ui->pgctrl01->setTabVisible(kTabDoplnujici, true);
    FillList(ui->lstJazyky, lists->lstJazyky, karo::ListCodes(seek, seek.GetStr(r, 9), false));
    FillList(ui->lstPojistovny, lists->lstPojistovny, karo::ListCodes(seek, seek.GetStr(r, 10), false));
    FillList(ui->lstObory, lists->lstObory, karo::ListCodes(seek, seek.GetStr(r, 11), true));
    ui->mmSpeciPece->setPlainText(Shown(detail.GetStrByName(d, "specipece")));
    ui->mmPoznamka->setPlainText(Shown(detail.GetStrByName(d, "pozn")));
  }
  if (level > 2) {
    ui->pgctrl01->setTabVisible(kTabOrdinacniDoba, true);
    ui->lblTyden->setText(QString::fromUtf8("Pondělí\nÚterý\nStředa\nČtvrtek\nPátek\nSobota\nNeděle"));
    ui->lblOrdiHod->setText(Shown(detail.GetStrByName(d, "ordihod")));
    ui->lblAmbulance->setText(Shown(detail.GetStrByName(d, "ambulance")));
    ui->lblPohotovost->setText(Shown(detail.GetStrByName(d, "pohotovost")));
    ui->panOkamziteVysetreni->setText(Shown(detail.GetStrByName(d, "vysetreni")));
    ui->panObjednaciDoba->setText(Shown(detail.GetStrByName(d, "objdoba")));
  }
  if (level > 3) {
    ui->pgctrl01->setTabVisible(kTabNadstandard, true);
    ui->mmNPece->setPlainText(Shown(detail.GetStrByName(d, "npece")));
    ui->mmNHospit->setPlainText(Shown(detail.GetStrByName(d, "nhospit")));
  }
  ui->pgctrl01->setCurrentIndex(0);
  return true;
}

void TwDetail::ChooseAphorism(int32_t record) {
  TwMain* main = wMain;
  const std::vector<int> first = karo::ListCodes(main->Pseek, main->Pseek.GetStrByName(record, "rubriky"), false, 1);
  // Providers without a category take group 0; the table of categories is never filtered.
  const int32_t group = first.empty() ? 0 : main->Rubriky.GetNumByName(first[0], "aforismus");
  TfdbTable& aphorisms = main->Aforismy;
  aphorisms.SelectNum(0, group);
  const uint32_t n = aphorisms.CurCount();
  const int32_t k = n > 0 ? static_cast<int32_t>(NextRandom() % n) : 0;
  ui->mmAfo->setPlainText(Shown(aphorisms.GetStrByName(k, "text")));
}

void TwDetail::SpeedButton1Click() { reject(); }

bool TwDetail::FormKeyPress(QKeyEvent* event) {
  if (event->key() != Qt::Key_Escape) return false;
  reject();
  return true;
}

bool TwDetail::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && FormKeyPress(static_cast<QKeyEvent*>(event))) return true;
  return QDialog::eventFilter(watched, event);
}
