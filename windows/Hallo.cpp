// TwHallo: the splash window during start-up.
#include "Hallo.h"

#include "Look.h"
#include "ui_Hallo.h"

QPointer<TwHallo> wHallo;

TwHallo::TwHallo(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint), Timer1(new QTimer(this)), ui(new Ui::TwHallo) {
  ui->setupUi(this);
  // A dialog frame without a title bar: nothing to drag or close it by.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint);
  setAttribute(Qt::WA_DeleteOnClose);
  ui->lblInit->setFont(SansFont(15));
  ui->lblInit->setAttribute(Qt::WA_TranslucentBackground);
  ui->Image1->setScaledContents(false);
  Timer1->setInterval(100);
  Timer1->setSingleShot(false);
  connect(Timer1, &QTimer::timeout, this, &TwHallo::Timer1Timer);
}

TwHallo::~TwHallo() { delete ui; }

void TwHallo::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TwHallo::FormShow() {
  // The image control takes its picture's size; the window follows it, and
  // the label stays 3 pixels above the bottom edge.
  const QSize picture = ui->Image1->pixmap().isNull() ? ui->Image1->size() : ui->Image1->pixmap().size();
  ui->Image1->setGeometry(0, 0, picture.width(), picture.height());
  const int height = picture.height() + ui->lblInit->height() + 10;
  setFixedSize(picture.width(), height);
  ui->lblInit->move(2, height - 3 - ui->lblInit->height());
  CenterOnScreen(this);
}

void TwHallo::Timer1Timer() {
  Timer1->stop();
  hide();
  close();  // deletes the window
}
