// A program folder for window tests: DATA/ with a small directory built by the
// directory builder, and the run-time files from resources/.
#ifndef KARO_TESTS_WINDOWS_PROGRAMFOLDER_H
#define KARO_TESTS_WINDOWS_PROGRAMFOLDER_H

#include <QString>
#include <functional>
#include <map>
#include <vector>
#include <memory>
#include <string>

#include "TestDir.h"

#include <ostream>

class QWidget;

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

class TwMain;
class TwQuery;
namespace karo {
class DirectoryBuilder;
}
class TwDetail;
class TwAbout;

namespace karo::test {

// Source files of the test directory (file name -> UTF-8 CSV).
std::map<std::string, std::string> SmallSource();

class ProgramFolder {
 public:
  // Builds the directory from `source`; `without` names tables whose three
  // files are removed afterwards.
  explicit ProgramFolder(const std::map<std::string, std::string>& source = SmallSource(),
                         const std::vector<std::string>& without = {});
  // Builds the directory from whatever `fill` gives the builder (an import, say).
  explicit ProgramFolder(const std::function<void(DirectoryBuilder*)>& fill);
  QString Path() const { return QString::fromStdString(dir_.Path()); }
  std::string File(const std::string& name) const { return dir_.File(name); }

 private:
  void Finish(DirectoryBuilder& builder, const std::vector<std::string>& without);
  TestDir dir_;
};

// The program's windows, created in the program's order on a folder.
struct Windows {
  explicit Windows(const ProgramFolder& folder);
  ~Windows();
  std::unique_ptr<TwMain> Main;
  std::unique_ptr<TwQuery> Query;
  std::unique_ptr<TwDetail> Detail;
  std::unique_ptr<TwAbout> About;
};

// Runs `action` on the next modal window to appear (then the caller's exec returns).
void OnNextModal(std::function<void(QWidget*)> action);

}  // namespace karo::test

#endif  // KARO_TESTS_WINDOWS_PROGRAMFOLDER_H
