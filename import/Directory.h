// Builds the nine tables of a directory from its source: lookup entries,
// aphorisms and provider rows in UTF-8, with codes as the source writes them
// (see docs/directory-source.md). Every problem is collected as
// "file:line: message"; nothing is written unless there is none. Warnings
// (what an import had to adapt) are collected the same way and do not stop
// the build.
#ifndef KARO_IMPORT_DIRECTORY_H
#define KARO_IMPORT_DIRECTORY_H

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Replace.h"
#include "TableWriter.h"
#include "Tables.h"

namespace karo {

// Columns of the providers' source file, in the order karo-build writes them.
enum ProviderColumn : int {
  kId, kUroven, kJmeno, kPracoviste, kUlice, kObec, kPsc, kOkres, kTypZarizeni, kJazyky,
  kPojistovny, kObory, kRubriky, kTelefony, kFax, kMobil, kEmail, kWww, kFvlast, kOstruktura,
  kSpecipece, kPozn, kOrdihod, kAmbulance, kPohotovost, kVysetreni, kObjdoba, kNpece, kNhospit,
  kProviderColumns
};
extern const char* const kProviderColumnNames[kProviderColumns];
using ProviderRow = std::array<std::string, kProviderColumns>;

// The six lookup tables, in the order of their codes' use.
enum class Lookup { Okresy, Obory, Rubriky, Jazyky, Pojistovny, TypZarizeni };
constexpr int kLookupCount = 6;

// A source file's name and columns.
struct SourceFile {
  const char* File;                   // e.g. "okresy.csv"
  const char* Table;                  // e.g. "okresy"
  std::vector<const char*> Columns;   // in the order karo-build writes them
};
const SourceFile& LookupSource(Lookup which);
const SourceFile& AphorismSource();
const SourceFile& ProviderSource();

// Where a row comes from, for messages (line 0: the file as a whole).
struct Where {
  std::string File;
  int Line = 0;
};

class DirectoryBuilder {
 public:
  DirectoryBuilder();
  ~DirectoryBuilder();

  // Lookup entries in the columns of LookupSource(which). Add every lookup
  // entry before the first provider.
  void AddLookupEntry(Lookup which, const std::vector<std::string>& values, const Where& where);
  // An aphorism: group number and text.
  void AddAphorism(const std::string& group, const std::string& text, const Where& where);
  void AddProvider(const ProviderRow& row, const Where& where);

  // Reports a problem found outside the builder (a malformed file, say).
  void AddError(const Where& where, const std::string& message);
  const std::vector<std::string>& Errors() const { return errors_; }
  size_t ErrorCount() const { return errorCount_; }
  // A problem that was mended without losing the record; `kind` names its
  // sort for the totals ("zkrácený text", ...).
  void AddWarning(const Where& where, const std::string& kind, const std::string& message);
  struct Warning {
    Where Place;  // Line 0: the file (or folder) as a whole
    std::string Kind, Message;
  };
  // The first warnings (at most 1,000), in the order they were added.
  const std::vector<Warning>& WarningRecords() const { return warnings_; }
  // The same as they are printed: "file:line: varování: message".
  std::vector<std::string> Warnings() const;
  size_t WarningCount() const { return warningCount_; }
  // Warnings per kind, in the order the kinds first occurred.
  const std::vector<std::pair<std::string, size_t>>& WarningTotals() const { return warningTotals_; }
  uint32_t ProviderCount() const;

  // Replaces the folder outDir (created if missing) by the nine tables, all
  // or nothing (see Replace.h); false, with the errors, when anything failed.
  // A hook makes chosen steps of the replacement fail (for tests).
  bool Finish(const std::string& outDir, const ReplaceHook& hook = nullptr);
  // After a failed Finish: false only when the target was changed after all
  // (the errors then say where the old directory is).
  bool TargetUntouched() const { return targetUntouched_; }

 private:
  struct LookupState {
    std::unique_ptr<TableWriter> Writer;
    std::unordered_map<std::string, int> Codes;  // code (or language name) -> position
    int Count = 0;
  };
  bool Text(const std::string& utf8, const Where& where, const char* column, bool multiline,
            std::string* out);
  bool Codes(const std::string& list, Lookup which, bool wide, const Where& where,
             const char* column, std::string* out);
  bool WriteAll(const std::string& dir, std::string* error);

  std::array<LookupState, kLookupCount> lookups_;
  std::unique_ptr<TableWriter> aphorisms_, search_, detail_;
  std::vector<std::pair<int32_t, uint32_t>> ids_;  // identifier, provider number
  std::vector<uint32_t> lines_;                    // source line of each provider
  std::string providerFile_;
  std::vector<std::string> errors_;
  std::vector<Warning> warnings_;
  std::vector<std::pair<std::string, size_t>> warningTotals_;
  size_t errorCount_ = 0, warningCount_ = 0;
  bool targetUntouched_ = true;
};

}  // namespace karo

#endif  // KARO_IMPORT_DIRECTORY_H
