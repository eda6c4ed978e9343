// The export of a result: tab-separated Windows-1250 text, CR LF line ends,
// one line per record of level 2 and above, in the search table's current
// order (as the grid shows it).
#ifndef KARO_CORE_EXPORT_H
#define KARO_CORE_EXPORT_H

#include <functional>
#include <string>

#include "Fdb.h"
#include "SafeFile.h"

namespace karo {

// The first line of every export file.
extern const char kExportHeader[];  // "PRACOVISTE\tJMENO\tULICE\tOBEC\tPSC\r\n"

enum class ExportResult {
  Done,         // the file holds the whole export
  CannotOpen,   // nothing could be created there; an existing file is untouched
  CannotWrite,  // writing, closing or replacing failed; an existing file is untouched
};

// Writes the header and, for each record of the search table's current order
// whose level (field 1) is above 1: workplace, surname, street, municipality
// (fields 3, 2, 4, 5) and the postal code ("PSC" of the detail record found by
// SeekNum on detail field 0 with the record's identifier; empty when there is
// none), TAB-separated, each line ended by CR LF. Bytes as stored. False as
// soon as the sink refuses a write. Reads the tables only.
// Formats on two other threads while this one writes to the sink
// (ExportFast.h); the bytes are those of WriteExportReference.
bool WriteExport(TfdbTable& search, TfdbTable& detail, ByteSink& sink);
// The plain export: record after record on the calling thread.
bool WriteExportReference(TfdbTable& search, TfdbTable& detail, ByteSink& sink);
// Its lines after `start` (the header, or nothing), handed over in chunks
// of about 64 KiB; hand may take the chunk's text. False as soon as hand
// refuses one.
bool WriteExportLines(TfdbTable& search, TfdbTable& detail, std::string start,
                      const std::function<bool(std::string*)>& hand);

// Writes the export to `path`: into a temporary file in the same folder,
// moved over `path` only when every byte was written and the file closed.
ExportResult ExportFile(TfdbTable& search, TfdbTable& detail, const std::string& path);

// What the window shows after an export (UTF-8): "Export ukončen.",
// "ERROR : Soubor NAME nelze otevřít." or "ERROR : Soubor NAME nelze zapsat.".
// `name` is the chosen file name as the user sees it (UTF-8).
std::string ExportMessage(ExportResult result, const std::string& name);

}  // namespace karo

#endif  // KARO_CORE_EXPORT_H
