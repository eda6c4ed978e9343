// The program's own path for every operation the benchmark measures, one
// small function each, called exactly as the main window and its grid call
// the store and core. The fast paths behind these calls (search indexes,
// ranks for Sort, a key map for SeekNum, the export on two threads) are on
// unless UseFastPaths(false) asks for the plain algorithms; a path that
// needs another call is switched on here and nowhere else, as the rest of
// the benchmark only calls these functions.
#ifndef KARO_BENCH_OURS_H
#define KARO_BENCH_OURS_H

#include <array>
#include <cstdint>
#include <string>

#include "Fdb.h"
#include "SafeFile.h"
#include "Search.h"
#include "Tables.h"

namespace bench {

// The nine tables the main window owns, under the names it opens them by.
struct Program {
  TfdbTable Pseek, Moskyti, Okresy, Obory, Rubriky, Jazyky, Pojistovny, TypZarizeni, Aforismy;
  std::array<TfdbTable*, karo::kTableCount> Tables() {
    return {&Pseek, &Moskyti, &Okresy, &Obory, &Rubriky, &Jazyky, &Pojistovny, &TypZarizeni, &Aforismy};
  }
};

// The fast paths (the default) or the plain algorithms of the design.
void UseFastPaths(bool on);
// Waits for the search indexes that the first search began to build on a
// second thread (the program never waits: it searches by the plain pass
// until they are there). At once when nothing is being built.
void WaitForSearchIndexes(Program& program);

// Start-up: sets each table's folder (ending in '/') and opens the nine
// tables, then begins the result's selection and makes it current, as the
// grid set-up does. False when the search or the detail table did not open.
bool OpenDirectory(Program& program, const std::string& dir);
// Releases everything the tables loaded.
void CloseDirectory(Program& program);
// "&Hledej": the search pass over pseek; the number of matches.
uint32_t Search(Program& program, const karo::SearchFilter& filter);
// "&Setřídit" and a title click: the grid's Sort lands in TfdbTable::Sort.
void SortResult(Program& program, int32_t field);
// "&Export": the export writer over the result's current order.
bool ExportResult(Program& program, karo::ByteSink& sink);
// "&Export" as the window runs it: a temporary file beside `path`, synced
// and moved over it. False when it was not written.
bool ExportResultToFile(Program& program, const std::string& path);
// "&Detail": the provider's detail record, by its identifier.
int32_t FindDetail(Program& program, int32_t id);
// Typing into a pick list's edit: the first entry starting with `key`.
int32_t FindInPickList(TfdbTable& lookup, int32_t field, const char* key);

}  // namespace bench

#endif  // KARO_BENCH_OURS_H
