// The detail window: everything the directory holds about one provider, on
// four pages (which of them depends on the record level) with an aphorism
// strip below. It owns no data: each display reads the provider at the
// result grid's current row from the main window's tables and pick lists.
#ifndef KARO_WINDOWS_DETAIL_H
#define KARO_WINDOWS_DETAIL_H

#include <QDialog>
#include <cstdint>

namespace Ui {
class TwDetail;
}

class TwDetail : public QDialog {
  Q_OBJECT

 public:
  explicit TwDetail(QWidget* parent = nullptr);
  ~TwDetail() override;

  // Fills the window for the current provider; false (after the message)
  // when its detail record is missing, and then nothing changes.
  bool FormShow();
  void SpeedButton1Click();
  Ui::TwDetail* ui;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool FormKeyPress(QKeyEvent* event);
  void ChooseAphorism(int32_t record);
};

extern TwDetail* wDetail;

// The next number of the program's own pseudo-random sequence: the same
// fixed seed in every run, values 0 to 2^31 - 1.
uint32_t NextRandom();

#endif  // KARO_WINDOWS_DETAIL_H
