// The main window: the nine tables of the directory, the filter page with its
// pick lists, the result page with the grid, the menu and the status bar.
#ifndef KARO_WINDOWS_MAIN_H
#define KARO_WINDOWS_MAIN_H

#include <QMainWindow>
#include <QString>
#include <functional>

#include "Fdb.h"

namespace Ui {
class TwMain;
}
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QToolButton;
class TfdbGrid;

// The application's help file: "TARVEL.HLP" from program entry until the main
// window's creation sets the full path.
extern QString gHelpFile;

class TwMain : public QMainWindow {
  Q_OBJECT

 public:
  // programDir: the folder with DATA/, data/ and the help file; empty: the
  // program's own folder.
  explicit TwMain(QWidget* parent = nullptr, const QString& programDir = QString());
  ~TwMain() override;

  Ui::TwMain* ui;
  QLabel* sbText;  // the status bar's one text panel
  QMenu* popSort;

  // The program's own folder, with a trailing separator.
  QString ProgramDir;
  // The directory, in the order the tables are opened (and closed in reverse).
  TfdbTable Pseek, Moskyti, Okresy, Obory, Rubriky, Jazyky, Pojistovny, TypZarizeni, Aforismy;
  TfdbGrid* Grid = nullptr;

  void FormCreate();
  void FormShow();
  void txtChange(QLineEdit* edit);
  void butXClick(QToolButton* button);
  void btClearClick();
  void btSeekClick();
  void btShowQueryClick();
  void butDetailClick();
  void butSortClick();
  void ppSortClick(QAction* item);
  void mnExportClick();
  void mnExitClick();
  void mnAboutClick();
  void mnObsahClick();
  // Enter on either page; true when the key was used.
  bool FormKeyPress(QKeyEvent* event);

  // Asks for the export file's name (empty: cancelled). Tests replace the dialog.
  std::function<QString()> exportFileChooser;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Clears one filter: the edit above the list (if any), then the list's selection.
  void ClearFilter(QLineEdit* edit, QListWidget* list);
  void FillList(QListWidget* list, TfdbTable& table, int field);
  void SetUpGrid();
  QString AskExportFile();
  bool shown_ = false;
  QString programDirGiven_;
};

extern TwMain* wMain;

#endif  // KARO_WINDOWS_MAIN_H
