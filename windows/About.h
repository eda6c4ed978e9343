// The About window: the directory's and program's description (rich text read
// from data/about.rtff at start-up), a picture, the title and the version.
#ifndef KARO_WINDOWS_ABOUT_H
#define KARO_WINDOWS_ABOUT_H

#include <QDialog>

namespace Ui {
class TwAbout;
}

class TwAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TwAbout(QWidget* parent = nullptr);
  ~TwAbout() override;

  void FormCreate();
  Ui::TwAbout* ui;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  bool FormKeyPress(QKeyEvent* event);
};

extern TwAbout* wAbout;

#endif  // KARO_WINDOWS_ABOUT_H
