// The help viewer: a small window that shows the program's help file, an HTML
// text with a contents page at the top and one anchor per section, and
// follows its internal links. Opened from the menu item "&Obsah".
#ifndef KARO_WINDOWS_HELPVIEWER_H
#define KARO_WINDOWS_HELPVIEWER_H

#include <QString>
#include <QWidget>

class QPushButton;
class QTextBrowser;

// The help window, caption "Nápověda": the help text in a browser (object
// name "reHelp") under a row of buttons "Obsah", "Zpět", "Vpřed" and
// "Zavřít". It is not modal, so the user can keep it open beside the program;
// closing only hides it.
class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Loads the help file and shows its contents page (the top of the file).
  // REQUIRES: the file is readable (ShowHelpContents checks that).
  void ShowContents(const QString& helpFilePath);

  QTextBrowser* Browser() const { return browser_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QTextBrowser* browser_;
  QPushButton* contents_;
  QPushButton* back_;
  QPushButton* forward_;
  QPushButton* close_;
};

// Shows the contents page of the help file at helpFilePath in the one help
// window of the program (created on first use, with parent as its parent,
// and reused afterwards). When the file is missing or cannot be read, shows
// the message "Soubor nápovědy PATH nelze otevřít." in a plain message box
// over parent and returns false; otherwise returns true at once, the window
// staying open.
bool ShowHelpContents(const QString& helpFilePath, QWidget* parent);

// The help window that ShowHelpContents opened last, or null when none exists.
HelpWindow* CurrentHelpWindow();

#endif  // KARO_WINDOWS_HELPVIEWER_H
