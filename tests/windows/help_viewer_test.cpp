// The help viewer: the message for a file it cannot open, the contents page,
// links inside the file, and the help file that ships with the program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>

#include "HelpViewer.h"

namespace {

// Closes each modal message box that opens while it lives, noting caption
// and text, so that no test waits for a click.
class MessageBoxCloser {
 public:
  MessageBoxCloser() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        shown << box->windowTitle() + QLatin1Char('|') + box->text();
        box->done(QMessageBox::Ok);
      }
    });
    timer_.start(10);
  }
  QStringList shown;

 private:
  QTimer timer_;
};

TEST(HelpViewer, FileThatCannotBeOpenedGivesAMessageAndFalse) {
  QTemporaryDir dir;
  for (const QString& path : {dir.filePath(QStringLiteral("Tarvel.hlp")), dir.path()}) {  // missing, a folder
    QWidget parent;
    MessageBoxCloser closer;
    EXPECT_FALSE(ShowHelpContents(path, &parent));
    EXPECT_EQ(closer.shown, QStringList{QStringLiteral("K.A.R.O.|Soubor nápovědy %1 nelze otevřít.").arg(path)});
    EXPECT_TRUE(CurrentHelpWindow() == nullptr || !CurrentHelpWindow()->isVisible());
  }
}

TEST(HelpViewer, ShowsTheContentsPageAndFollowsLinks) {
  QTemporaryDir dir;
  QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"><title>Zkušební nápověda</title></head><body>"
                                "<h1>Obsah</h1><p><a href=\"#dalsi\">Přejít dál</a></p>");
  for (int i = 0; i < 200; ++i) html += QStringLiteral("<p>Výplň %1</p>").arg(i);
  html += QStringLiteral("<h2><a name=\"dalsi\"></a>Další oddíl</h2></body></html>");
  const QString path = dir.filePath(QStringLiteral("Zkouska.hlp"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(html.toUtf8());
  file.close();

  QWidget parent;
  MessageBoxCloser closer;
  ASSERT_TRUE(ShowHelpContents(path, &parent));
  HelpWindow* window = CurrentHelpWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  EXPECT_TRUE(closer.shown.isEmpty());
  EXPECT_FALSE(window->isModal());
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Nápověda"));
  QTextBrowser* browser = window->Browser();
  QScrollBar* scroll = browser->verticalScrollBar();
  EXPECT_EQ(browser->documentTitle(), QStringLiteral("Zkušební nápověda"));  // read as UTF-8
  EXPECT_EQ(browser->document()->begin().text(), QStringLiteral("Obsah"));
  EXPECT_EQ(scroll->value(), 0);

  // A click on the link scrolls to its section; "Obsah" goes back to the top.
  QTextCursor link = browser->document()->find(QStringLiteral("Přejít dál"));
  link.setPosition(link.selectionStart() + 2);
  QTest::mouseClick(browser->viewport(), Qt::LeftButton, Qt::NoModifier, browser->cursorRect(link).center());
  EXPECT_GT(scroll->value(), 0);
  EXPECT_TRUE(window->findChild<QPushButton*>(QStringLiteral("btZpet"))->isEnabled());
  QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("btObsah")), Qt::LeftButton);
  EXPECT_EQ(scroll->value(), 0);

  // Esc and "Zavřít" close the window; asking again reuses it, at the top.
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
  scroll->setValue(scroll->maximum());
  ASSERT_TRUE(ShowHelpContents(path, &parent));
  EXPECT_EQ(CurrentHelpWindow(), window);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(scroll->value(), 0);
  EXPECT_FALSE(window->findChild<QPushButton*>(QStringLiteral("btZpet"))->isEnabled());  // a fresh history
  QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("btZavrit")), Qt::LeftButton);
  EXPECT_FALSE(window->isVisible());
}

TEST(HelpViewer, ShippedHelpFileHasItsSectionsAndNoBrokenLink) {
  QWidget parent;
  MessageBoxCloser closer;
  ASSERT_TRUE(ShowHelpContents(QStringLiteral(KARO_RESOURCES_DIR "/Tarvel.hlp"), &parent));
  const QTextDocument* doc = CurrentHelpWindow()->Browser()->document();
  EXPECT_EQ(doc->metaInformation(QTextDocument::DocumentTitle), QStringLiteral("K.A.R.O. – nápověda"));
  QSet<QString> names;
  QStringList hrefs, headings;
  for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() > 0) headings << block.text();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat format = it.fragment().charFormat();
      for (const QString& name : format.anchorNames()) names.insert(name);
      if (!format.anchorHref().isEmpty()) hrefs << format.anchorHref();
    }
  }
  EXPECT_GE(hrefs.size(), 6);
  for (const QString& href : hrefs) EXPECT_TRUE(href.startsWith('#') && names.contains(href.mid(1))) << href.toStdString();
  for (const char* section : {"Obsah", "Hledání", "Výsledky", "Detail", "Export", "O programu", "Klávesové zkratky"})
    EXPECT_TRUE(headings.contains(QString::fromUtf8(section))) << section;
  const QString text = doc->toPlainText();
  for (const char* caption : {"Hledej (Alt+H)", "Zruš výběry (Alt+Z)", "Ukaž dotaz", "Setřídit (Alt+S)",
                              "Detail (Alt+D)", "Zavřít (Alt+Z)", "37 / 1200 záznamů", "Export ukončen."})
    EXPECT_TRUE(text.contains(QString::fromUtf8(caption))) << caption;
}

}  // namespace
