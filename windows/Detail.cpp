#include "Detail.h"

#include <QKeyEvent>

#include "Look.h"
#include "ui_Detail.h"

TwDetail* wDetail = nullptr;

TwDetail::TwDetail(QWidget* parent) : QDialog(parent), ui(new Ui::TwDetail) {
  ui->setupUi(this);
  setFixedSize(size());
  ui->mmAfo->setFont(SansFont(12));
  connect(ui->SpeedButton1, &QToolButton::clicked, this, &TwDetail::SpeedButton1Click);
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

TwDetail::~TwDetail() { delete ui; }

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
