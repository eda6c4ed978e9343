// The windows in their frames: title-bar buttons, sizes, where they open, the
// message boxes; and Qt's own dialogs in Czech.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <functional>

#include "About.h"
#include "Detail.h"
#include "Fdbgrid.h"
#include "Frame.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "Showquery.h"
#include "ui_Main.h"

namespace karo::test {
namespace {

TEST(Frames, CenteredInPutsTheFrameInTheMiddle) {
  const struct {
    QRect area;
    QSize outer;
    QPoint corner;
  } cases[] = {
      {QRect(0, 0, 1024, 768), QSize(503, 518), QPoint(260, 125)},
      {QRect(0, 0, 1024, 768), QSize(501, 497), QPoint(261, 135)},
      {QRect(100, 30, 800, 600), QSize(634, 525), QPoint(183, 67)},  // an area that does not start at 0
      {QRect(0, 0, 300, 200), QSize(400, 300), QPoint(-50, -50)},     // larger than the area
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.outer.width());
    EXPECT_EQ(CenteredIn(c.area, c.outer), c.corner);
  }
}

// The window asks for its own title-bar buttons (without that it gets every
// button the window manager offers), and they are the close button alone.
bool OnlyTheCloseButton(const QWidget* window) {
  const Qt::WindowFlags flags = window->windowFlags();
  return flags.testFlag(Qt::CustomizeWindowHint) && flags.testFlag(Qt::WindowTitleHint) &&
         flags.testFlag(Qt::WindowCloseButtonHint) &&
         !flags.testFlag(Qt::WindowMinimizeButtonHint) && !flags.testFlag(Qt::WindowMaximizeButtonHint);
}

TEST(Frames, TitleBarButtonsAndSizes) {
  ProgramFolder folder;
  Windows w(folder);
  w.Main->show();
  // The detail window: fixed size, no minimise or maximise.
  EXPECT_TRUE(OnlyTheCloseButton(w.Detail.get()));
  EXPECT_EQ(w.Detail->minimumSize(), QSize(632, 504));
  EXPECT_EQ(w.Detail->maximumSize(), QSize(632, 504));
  // The query window: its memo follows its size, but no minimise or maximise either.
  EXPECT_TRUE(OnlyTheCloseButton(w.Query.get()));
  EXPECT_EQ(w.Query->size(), QSize(263, 358));
  EXPECT_LT(w.Query->minimumWidth(), w.Query->maximumWidth());
  // The About window: an ordinary sizeable window of 501 by 497 pixels with its frame.
  QSize outer, minimum, maximum;
  OnNextModal([&](QWidget* modal) {
    outer = modal->frameGeometry().size();
    minimum = modal->minimumSize();
    maximum = modal->maximumSize();
    modal->close();
  });
  w.Main->mnAboutClick();
  EXPECT_EQ(outer, QSize(501, 497));
  EXPECT_LT(minimum.width(), 501);
  EXPECT_LT(minimum.height(), 497);
  EXPECT_EQ(maximum, QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
  EXPECT_FALSE(w.About->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
}

TEST(Frames, SecondaryWindowsOpenCentredEveryTime) {
  ProgramFolder folder;
  Windows w(folder);
  w.Main->show();
  w.Main->move(0, 0);
  QTest::mouseClick(w.Main->ui->btSeek, Qt::LeftButton);
  const QPoint middle = w.Main->screen()->availableGeometry().center();
  const std::function<void()> opens[] = {[&] { w.Main->mnAboutClick(); },
                                         [&] { QTest::mouseClick(w.Main->ui->butDetail, Qt::LeftButton); },
                                         [&] { w.Main->btShowQueryClick(); }};
  for (const auto& open : opens) {
    for (int showing = 1; showing <= 2; ++showing) {
      SCOPED_TRACE(showing);
      QPoint centre;
      QString caption;
      OnNextModal([&](QWidget* modal) {
        caption = modal->windowTitle();
        centre = modal->frameGeometry().center();
        modal->move(5, 5);  // the next showing centres it again
        modal->close();
      });
      open();
      SCOPED_TRACE(caption.toStdString());
      EXPECT_LE(std::abs(centre.x() - middle.x()), 1);
      EXPECT_LE(std::abs(centre.y() - middle.y()), 1);
    }
  }
}

// The next message box: its caption, width, title-bar buttons and centre.
struct BoxSeen {
  QString caption, text;
  int width = 0;
  bool onlyClose = false;
  QPoint centre;
};

// `then` runs once the box is answered (for a window that opens after it).
void SeeNextBox(BoxSeen* seen, std::function<void()> then = nullptr) {
  OnNextModal([seen, then](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box) {
      modal->close();
      return;
    }
    seen->caption = box->windowTitle();
    seen->text = box->text();
    seen->width = box->width();
    seen->onlyClose = OnlyTheCloseButton(box);
    seen->centre = box->frameGeometry().center();
    box->accept();
    if (then) then();
  });
}

TEST(Frames, MessageBoxesAreWideEnoughAndCentredOverTheirWindow) {
  ProgramFolder folder;
  Windows w(folder);
  w.Main->show();
  w.Main->move(10, 0);  // away from the middle of the screen
  const QPoint main = w.Main->frameGeometry().center();

  BoxSeen done;
  SeeNextBox(&done);
  w.Main->exportFileChooser = [&] { return QString::fromStdString(folder.File("vystup.txt")); };
  w.Main->ui->mnExport->trigger();
  EXPECT_EQ(done.text, QString::fromUtf8("Export ukončen."));
  EXPECT_EQ(done.caption, QStringLiteral("K.A.R.O."));
  EXPECT_GE(done.width, kMessageMinWidth);  // a short text still leaves room for the caption
  EXPECT_TRUE(done.onlyClose);
  EXPECT_LE((done.centre - main).manhattanLength(), 2);

  // The detail window is not on screen yet when its record proves missing:
  // the warning stands over the main window.
  QTest::mouseClick(w.Main->ui->btSeek, Qt::LeftButton);
  w.Main->Moskyti.Close();
  BoxSeen warning;
  SeeNextBox(&warning, [] { OnNextModal([](QWidget* next) { next->close(); }); });
  QTest::mouseClick(w.Main->ui->butDetail, Qt::LeftButton);
  EXPECT_EQ(warning.text, QStringLiteral("warning: Data inconsistency"));
  EXPECT_GE(warning.width, kMessageMinWidth);
  EXPECT_LE((warning.centre - main).manhattanLength(), 2);
}

TEST(QtDialogs, SaveDialogAndItsOverwriteQuestionSpeakCzech) {
  ProgramFolder folder;
  Windows w(folder);
  w.Main->show();
  const std::string existing = folder.File("vystup.txt");
  WriteBytes(existing, "old");
  QString title, lookIn, fileName, fileType, save, cancel, question, yes;
  OnNextModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (!dialog) {
      modal->close();
      return;
    }
    title = dialog->windowTitle();
    auto text = [dialog](const char* name) {
      const QLabel* label = dialog->findChild<QLabel*>(QLatin1String(name));
      return label ? label->text() : QString();
    };
    lookIn = text("lookInLabel");
    fileName = text("fileNameLabel");
    fileType = text("fileTypeLabel");
    QPushButton* saveButton = nullptr;
    if (const auto* buttons = dialog->findChild<QDialogButtonBox*>()) {
      saveButton = buttons->button(QDialogButtonBox::Save);
      if (saveButton) save = saveButton->text();
      if (const QPushButton* b = buttons->button(QDialogButtonBox::Cancel)) cancel = b->text();
    }
    // Choosing the file that exists asks before overwriting it.
    OnNextModal([&, dialog](QWidget* next) {
      if (auto* box = qobject_cast<QMessageBox*>(next)) {
        question = box->text();
        if (const QAbstractButton* b = box->button(QMessageBox::Yes)) yes = b->text();
      }
      next->close();  // no: the file stays
      dialog->reject();
    });
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QString::fromStdString(existing));
    if (saveButton) saveButton->click();
    else dialog->reject();
  });
  w.Main->ui->mnExport->trigger();
  EXPECT_EQ(title, QString::fromUtf8("Uložit jako"));
  EXPECT_EQ(lookIn, QStringLiteral("Hledat v:"));
  EXPECT_EQ(fileName, QString::fromUtf8("Název &souboru:"));
  EXPECT_EQ(fileType, QStringLiteral("Soubory typu:"));
  EXPECT_EQ(save, QString::fromUtf8("&Uložit"));
  EXPECT_EQ(cancel, QString::fromUtf8("Zrušit"));
  EXPECT_TRUE(question.contains(QString::fromUtf8("již existuje"))) << question.toStdString();
  EXPECT_EQ(yes, QStringLiteral("&Ano"));
  EXPECT_EQ(ReadBytes(existing), "old");
}

}  // namespace
}  // namespace karo::test
