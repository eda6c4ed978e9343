// The splash window: a picture and "Inicializují se data ..." while the
// directory loads; it closes and destroys itself once the main window is up.
#ifndef KARO_WINDOWS_HALLO_H
#define KARO_WINDOWS_HALLO_H

#include <QDialog>
#include <QPointer>
#include <QTimer>

namespace Ui {
class TwHallo;
}

class TwHallo : public QDialog {
  Q_OBJECT

 public:
  explicit TwHallo(QWidget* parent = nullptr);
  ~TwHallo() override;

  QTimer* Timer1;  // 100 ms, started by the main window when its tables are open

  void FormShow();
  void Timer1Timer();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Ui::TwHallo* ui;
};

// The one splash window; empty once it has closed.
extern QPointer<TwHallo> wHallo;

#endif  // KARO_WINDOWS_HALLO_H
