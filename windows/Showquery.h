// The query window: the current filters spelled out in Czech sentences.
#ifndef KARO_WINDOWS_SHOWQUERY_H
#define KARO_WINDOWS_SHOWQUERY_H

#include <QDialog>
#include <string>
#include <vector>

namespace Ui {
class TwQuery;
}

class TwQuery : public QDialog {
  Q_OBJECT

 public:
  explicit TwQuery(QWidget* parent = nullptr);
  ~TwQuery() override;

  // Replaces the memo's text with these lines (Windows-1250).
  void SetLines(const std::vector<std::string>& lines);
  Ui::TwQuery* ui;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool FormKeyPress(QKeyEvent* event);
};

extern TwQuery* wQuery;

#endif  // KARO_WINDOWS_SHOWQUERY_H
