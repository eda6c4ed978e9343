// The About window: the directory's and program's description (rich text read
// from data/about.rtff at start-up), a picture, the title and the version.
#ifndef KARO_WINDOWS_ABOUT_H
#define KARO_WINDOWS_ABOUT_H

#include <QDialog>
#include <QSize>

class QUrl;

namespace Ui {
class TwAbout;
}

class TwAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TwAbout(QWidget* parent = nullptr);
  ~TwAbout() override;

  void FormCreate();
  // A link in the About text: the help file's name opens the help contents
  // (and closes this window), a web or mail address goes to the desktop.
  void reAboutAnchorClicked(const QUrl& link);
  Ui::TwAbout* ui;
  static constexpr QSize kOuterSize{501, 497};

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  bool FormKeyPress(QKeyEvent* event);
  bool sized_ = false;
};

extern TwAbout* wAbout;

#endif  // KARO_WINDOWS_ABOUT_H
