// TwMain: the main window, its tables, filters, search, sort, export and the result grid's set-up.
#include "Main.h"

#include <QApplication>
#include <algorithm>
#include <QDir>
#include <QFileDialog>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QShortcutEvent>
#include <QStatusBar>
#include <QTimer>

#include "About.h"
#include "Detail.h"
#include "DirectoryCheck.h"
#include "Export.h"
#include "Fdbgrid.h"
#include "Hallo.h"
#include "HelpViewer.h"
#include "Look.h"
#include "Paths.h"
#include "QueryText.h"
#include "QtText.h"
#include "Search.h"
#include "Showquery.h"
#include "Tables.h"
#include "ui_Main.h"

TwMain* wMain = nullptr;
QString gHelpFile = QStringLiteral("TARVEL.HLP");

namespace {

// Marker colours of the record levels 1 to 4.
const QRgb kLevelColours[] = {qRgb(255, 255, 255), qRgb(241, 244, 115), qRgb(0, 128, 255),
                              qRgb(160, 242, 117)};

}  // namespace

TwMain::TwMain(QWidget* parent, const QString& programDir)
    : QMainWindow(parent), ui(new Ui::TwMain), programDirGiven_(programDir) {
  ui->setupUi(this);
  sbText = new QLabel(this);
  ui->sb01->addWidget(sbText, 1);
  ui->sb01->setSizeGripEnabled(false);

  const QFont label = SansFont(12, true);
  for (QLabel* l : {ui->Label2, ui->Label3, ui->Label4, ui->Label5, ui->Label6, ui->Label7, ui->Label8,
                    ui->Label9, ui->Label10}) {
    // The labels show their accelerator letter but are bound to no control
    // (so their letters cannot clash with the buttons' and the tabs').
    QString text = l->text().toHtmlEscaped();
    const int amp = text.indexOf(QLatin1String("&amp;"));
    if (amp >= 0 && amp + 5 < text.size()) text.replace(amp, 6, QStringLiteral("<u>") + text[amp + 5] + QStringLiteral("</u>"));
    l->setTextFormat(Qt::RichText);
    l->setText(text);
    // Labels grow to their text, as the layout's labels size themselves.
    l->setFont(label);
    l->resize(std::max(l->width(), l->sizeHint().width()), l->height());
  }
  for (QListWidget* list : {ui->lstOkresy, ui->lstObory, ui->lstRubriky, ui->lstPojistovny, ui->lstJazyky,
                            ui->lstTypZarizeni}) {
    MakePickList(list);
  }

  popSort = new QMenu(this);
  popSort->addAction(ui->ppSortPracoviste);
  popSort->addAction(ui->ppSortJmeno);
  popSort->addAction(ui->ppSortObec);

  connect(ui->btSeek, &QToolButton::clicked, this, &TwMain::btSeekClick);
  connect(ui->btClear, &QToolButton::clicked, this, &TwMain::btClearClick);
  connect(ui->btShowQuery, &QToolButton::clicked, this, &TwMain::btShowQueryClick);
  connect(ui->butDetail, &QToolButton::clicked, this, &TwMain::butDetailClick);
  connect(ui->butSort, &QToolButton::clicked, this, &TwMain::butSortClick);
  connect(popSort, &QMenu::triggered, this, &TwMain::ppSortClick);
  connect(ui->mnExport, &QAction::triggered, this, &TwMain::mnExportClick);
  connect(ui->mnExit, &QAction::triggered, this, &TwMain::mnExitClick);
  connect(ui->mnAbout, &QAction::triggered, this, &TwMain::mnAboutClick);
  connect(ui->mnObsah, &QAction::triggered, this, &TwMain::mnObsahClick);
  for (QLineEdit* edit : {ui->txtOkres, ui->txtObor, ui->txtRubrika, ui->txtJazyk, ui->txtTypZarizeni}) {
    connect(edit, &QLineEdit::textChanged, this, [this, edit] { txtChange(edit); });
  }
  for (QToolButton* button : {ui->butXOkres, ui->butXObor, ui->butXRubrika, ui->butXPojistovna, ui->butXJazyk,
                              ui->butXTypZarizeni}) {
    connect(button, &QToolButton::clicked, this, [this, button] { butXClick(button); });
  }
  // The window sees the keys before its controls.
  qApp->installEventFilter(this);

  wMain = this;
  FormCreate();
  CenterOnScreen(this);
}

TwMain::~TwMain() {
  qApp->removeEventFilter(this);
  delete ui;
  if (wMain == this) wMain = nullptr;
}

void TwMain::FormCreate() {
  ProgramDir = programDirGiven_.isEmpty() ? QCoreApplication::applicationDirPath() : programDirGiven_;
  if (!ProgramDir.endsWith(QLatin1Char('/'))) ProgramDir += QLatin1Char('/');
  const QString iconPath = QString::fromStdString(karo::FindPath(ProgramDir.toStdString(), "data/karosmall.ICO"));
  const QIcon icon(iconPath);
  if (icon.isNull() || icon.availableSizes().isEmpty()) {
    ErrorMessage(nullptr, QStringLiteral("Ikonu %1 nelze načíst.").arg(iconPath));
    return;
  }
  qApp->setWindowIcon(icon);
  gHelpFile = QString::fromStdString(karo::FindPath(ProgramDir.toStdString(), "Tarvel.hlp"));
}

void TwMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_) {
    shown_ = true;
    FormShow();
  }
}

void TwMain::FormShow() {
  const std::string dir = karo::FindPath(ProgramDir.toStdString(), "DATA") + "/";
  TfdbTable* tables[] = {&Pseek, &Moskyti, &Okresy, &Obory, &Rubriky, &Jazyky, &Pojistovny, &TypZarizeni, &Aforismy};
  static_assert(sizeof tables / sizeof tables[0] == karo::kTableCount, "one member per table");
  for (TfdbTable* table : tables) table->Dir = dir;
  // A table that does not open stays empty: its pick list is empty, its searches find nothing.
  std::vector<std::string> failed, reasons;
  for (int i = 0; i < karo::kTableCount; ++i) {
    if (tables[i]->Open(karo::kTableNames[i]) == 0) continue;
    failed.push_back(karo::kTableNames[i]);
    reasons.push_back(karo::TableOpenFailure(*tables[i]));
  }
  if (wHallo) wHallo->Timer1->start();
  SetUpGrid();
  FillList(ui->lstOkresy, Okresy, 1);
  FillList(ui->lstObory, Obory, 1);
  FillList(ui->lstRubriky, Rubriky, 1);
  FillList(ui->lstJazyky, Jazyky, 0);
  FillList(ui->lstPojistovny, Pojistovny, 1);
  FillList(ui->lstTypZarizeni, TypZarizeni, 1);
  sbText->setText(QString::number(Pseek.RecCount) + QStringLiteral(" records"));
  const QRect last = ui->lstTypZarizeni->geometry();
  resize(last.left() + last.width() + 20, last.top() + last.height() + 135);
  // Once the window is up, one message says what did not open and why.
  const QString problem = QString::fromStdString(karo::UnreadableDirectoryMessage(dir, failed, reasons));
  if (!problem.isEmpty()) QTimer::singleShot(0, this, [this, problem] { PlainMessage(this, problem); });
}

void TwMain::FillList(QListWidget* list, TfdbTable& table, int field) {
  QStringList items;
  for (uint32_t r = 0; r < table.RecCount; ++r) items << FromCp1250(table.GetStr(static_cast<int32_t>(r), field));
  list->addItems(items);
  // Every list has a current item from the start; none is selected.
  if (list->count() > 0) list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

void TwMain::SetUpGrid() {
  Pseek.BeginSelection();
  Pseek.SetOrder(1);
  Grid = new TfdbGrid(ui->panGrid);
  ui->panGrid->layout()->addWidget(Grid);
  Grid->show();
  Grid->Table = &Pseek;
  Grid->SetColDefsCnt(5);
  Grid->SetColDef(0, "dummy", "", 10);
  Grid->SetColDef(1, "pracoviste", "Pracoviště", 270);
  Grid->SetColDef(2, "jmeno", "Příjmení", 180);
  Grid->SetColDef(3, "obec", "Obec", 140);
  Grid->SetColDef(4, "ulice", "Ulice", 150);
  Grid->OnPrepareCell = [this](TfdbGrid*, int col, int row, QColor& background, QColor&, QString&, bool&) {
    if (col != 1) return;
    const int32_t level = Pseek.GetNum(row - 1, 1);
    if (level >= 1 && level <= 4) background = QColor(kLevelColours[level - 1]);
  };
  Grid->OnDblClick = [this] { butDetailClick(); };
}

void TwMain::txtChange(QLineEdit* edit) {
  QListWidget* list = nullptr;
  TfdbTable* table = nullptr;
  int field = 1;
  if (edit == ui->txtOkres) list = ui->lstOkresy, table = &Okresy;
  else if (edit == ui->txtObor) list = ui->lstObory, table = &Obory;
  else if (edit == ui->txtRubrika) list = ui->lstRubriky, table = &Rubriky;
  else if (edit == ui->txtJazyk) list = ui->lstJazyky, table = &Jazyky, field = 0;
  else if (edit == ui->txtTypZarizeni) list = ui->lstTypZarizeni, table = &TypZarizeni;
  else return;
  std::string key;
  // A character the code page cannot hold matches no entry.
  if (!ToCp1250(edit->text(), &key)) return;
  const int32_t found = table->FindPrefix(field, key.c_str());
  if (found < 0 || found >= list->count() || found == list->currentRow()) return;
  if (QListWidgetItem* current = list->currentItem()) current->setSelected(false);
  list->setCurrentRow(found, QItemSelectionModel::NoUpdate);
  list->scrollToItem(list->item(found));
  list->item(found)->setSelected(true);
}

void TwMain::ClearFilter(QLineEdit* edit, QListWidget* list) {
  if (edit) edit->clear();  // runs the incremental search, which may move the list to item 0
  for (int i = 0; i < list->count(); ++i) list->item(i)->setSelected(false);
}

void TwMain::butXClick(QToolButton* button) {
  if (button == ui->butXOkres) ClearFilter(ui->txtOkres, ui->lstOkresy);
  else if (button == ui->butXObor) ClearFilter(ui->txtObor, ui->lstObory);
  else if (button == ui->butXRubrika) ClearFilter(ui->txtRubrika, ui->lstRubriky);
  else if (button == ui->butXPojistovna) ClearFilter(nullptr, ui->lstPojistovny);
  else if (button == ui->butXJazyk) ClearFilter(ui->txtJazyk, ui->lstJazyky);
  else if (button == ui->butXTypZarizeni) ClearFilter(ui->txtTypZarizeni, ui->lstTypZarizeni);
}

void TwMain::btClearClick() {
  ui->txtJmeno->clear();
  ui->txtPracoviste->clear();
  ui->txtObec->clear();
  for (QToolButton* button : {ui->butXOkres, ui->butXObor, ui->butXRubrika, ui->butXPojistovna, ui->butXJazyk,
                              ui->butXTypZarizeni}) {
    butXClick(button);
  }
}

bool TwMain::FormKeyPress(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return false;
  if (ui->pgctrl01->currentWidget() == ui->pgDotaz) btSeekClick();
  else if (ui->pgctrl01->currentWidget() == ui->pgData) butDetailClick();
  return true;
}

bool TwMain::eventFilter(QObject* watched, QEvent* event) {
  // Keys of this window's controls only: a dialog open over it has its own.
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this && FormKeyPress(static_cast<QKeyEvent*>(event))) {
    return true;
  }
  // Alt+S is the letter of both "&Setřídit" and the menu "&Soubor". Where the
  // button is (the data page) it presses the button, so the sort menu opens at
  // once, whichever of the two the toolkit hands the key to.
  if (event->type() == QEvent::Shortcut && (watched == ui->butSort || watched == ui->MainMenu1) &&
      ui->butSort->isVisible() && static_cast<QShortcutEvent*>(event)->key() == ui->butSort->shortcut()) {
    ui->butSort->click();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TwMain::mnExitClick() { close(); }

void TwMain::mnAboutClick() {
  if (!wAbout) return;
  wAbout->exec();
}

void TwMain::mnObsahClick() { ShowHelpContents(gHelpFile, this); }

namespace {

// Selected item positions of a pick list, ascending.
std::vector<int> Selected(const QListWidget* list) {
  std::vector<int> positions;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->isSelected()) positions.push_back(i);
  return positions;
}

// Texts of the selected items, in list order (Windows-1250).
std::vector<std::string> SelectedTexts(const QListWidget* list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->isSelected()) texts.push_back(ToCp1250Lossy(list->item(i)->text()));
  return texts;
}

}  // namespace

void TwMain::btSeekClick() {
  karo::SearchFilter filter;
  // A character the code page cannot hold matches nothing.
  const bool possible = ToCp1250(ui->txtJmeno->text(), &filter.Surname) &&
                        ToCp1250(ui->txtPracoviste->text(), &filter.Workplace) &&
                        ToCp1250(ui->txtObec->text(), &filter.Municipality);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  filter.Districts = Selected(ui->lstOkresy);
  filter.Specialties = Selected(ui->lstObory);
  filter.Categories = Selected(ui->lstRubriky);
  filter.Insurers = Selected(ui->lstPojistovny);
  filter.Languages = Selected(ui->lstJazyky);
  filter.FacilityTypes = Selected(ui->lstTypZarizeni);
  if (possible) karo::RunSearch(Pseek, filter);
  else karo::ClearResult(Pseek);
  ui->pgctrl01->setCurrentWidget(ui->pgData);
  if (Grid) Grid->RefreshGrid();
  sbText->setText(FromCp1250(karo::StatusText(Pseek.CurCount(), Pseek.RecCount).c_str()));
  QApplication::restoreOverrideCursor();
}

void TwMain::btShowQueryClick() {
  karo::QueryTexts query;
  query.Surname = ToCp1250Lossy(ui->txtJmeno->text());
  query.Workplace = ToCp1250Lossy(ui->txtPracoviste->text());
  query.Municipality = ToCp1250Lossy(ui->txtObec->text());
  query.Districts = SelectedTexts(ui->lstOkresy);
  query.Specialties = SelectedTexts(ui->lstObory);
  query.Categories = SelectedTexts(ui->lstRubriky);
  query.Insurers = SelectedTexts(ui->lstPojistovny);
  query.Languages = SelectedTexts(ui->lstJazyky);
  query.FacilityTypes = SelectedTexts(ui->lstTypZarizeni);
  wQuery->SetLines(karo::QueryLines(query));
  wQuery->exec();
}

void TwMain::butDetailClick() {
  if (Pseek.CurCount() == 0 || !wDetail) return;
  wDetail->FormShow();  // a missing detail record is reported; the window opens all the same
  wDetail->exec();
}

void TwMain::butSortClick() {
  const QPoint origin = centralWidget()->mapToGlobal(QPoint(0, 0));
  const QPoint at = ui->butSort->pos();
  popSort->popup(origin + QPoint(at.x() + 2, at.y() + 45));
}

void TwMain::ppSortClick(QAction* item) {
  if (!Grid) return;
  if (item == ui->ppSortPracoviste) Grid->Sort(2);
  else if (item == ui->ppSortJmeno) Grid->Sort(3);
  else if (item == ui->ppSortObec) Grid->Sort(4);
}

QString TwMain::AskExportFile() {
  QFileDialog dialog(this);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.setNameFilter(QStringLiteral("text oddělený tabelátory (*.txt)"));
  dialog.setDirectory(QDir::homePath());
  dialog.selectFile(QStringLiteral("*.txt"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

void TwMain::mnExportClick() {
  const QString name = exportFileChooser ? exportFileChooser() : AskExportFile();
  if (name.isEmpty()) return;
  const std::string path = name.toStdString();
  PlainMessage(this, QString::fromStdString(karo::ExportMessage(karo::ExportFile(Pseek, Moskyti, path), path)));
}
