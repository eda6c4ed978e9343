// The detail window: everything the directory holds about one provider, on
// four pages with an aphorism strip below.
#ifndef KARO_WINDOWS_DETAIL_H
#define KARO_WINDOWS_DETAIL_H

#include <QDialog>

namespace Ui {
class TwDetail;
}

class TwDetail : public QDialog {
  Q_OBJECT

 public:
  explicit TwDetail(QWidget* parent = nullptr);
  ~TwDetail() override;

  void SpeedButton1Click();
  Ui::TwDetail* ui;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool FormKeyPress(QKeyEvent* event);
};

extern TwDetail* wDetail;

#endif  // KARO_WINDOWS_DETAIL_H
