// TwShowquery: the query spelled out in Czech.
#include "Showquery.h"

#include <QKeyEvent>

#include "Look.h"
#include "QtText.h"
#include "ui_Showquery.h"

TwQuery* wQuery = nullptr;

TwQuery::TwQuery(QWidget* parent) : QDialog(parent), ui(new Ui::TwQuery) {
  ui->setupUi(this);
  // The memo follows the window's size; the title bar offers the close button only.
  setWindowFlags(kDialogWithClose);
  installEventFilter(this);
  ui->mm01->installEventFilter(this);
  ui->mm01->viewport()->installEventFilter(this);
}

TwQuery::~TwQuery() { delete ui; }

void TwQuery::SetLines(const std::vector<std::string>& lines) {
  QStringList text;
  for (const std::string& line : lines) text << FromCp1250(line.c_str());
  ui->mm01->setPlainText(text.join(QLatin1Char('\n')));
}

void TwQuery::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CenterOnScreen(this);
}

bool TwQuery::FormKeyPress(QKeyEvent* event) {
  if (event->key() != Qt::Key_Escape) return false;
  reject();
  return true;
}

bool TwQuery::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && FormKeyPress(static_cast<QKeyEvent*>(event))) return true;
  return QDialog::eventFilter(watched, event);
}
