// The export's fast path; the bytes are those of WriteExportReference
// (tests/core/export_fast_test.cpp, search_fast_test.cpp). Two threads format alternate blocks of
// the current order straight from the loaded bytes into chunks that are used
// again, while the calling thread hands the finished chunks to the sink:
//   - the detail record of a provider is first looked for at the same
//     position of the detail table's base order (the builder writes both
//     tables in identifier order), else found by the detail table's key map;
//     without a usable map every position is asked of SeekNum beforehand;
//   - a block of the order that jumps about the tables (a sorted result, a
//     few records far apart) fetches each record's memory in three steps
//     ahead of its line; one that runs forwards fetches the detail records.
#ifndef KARO_CORE_EXPORTFAST_H
#define KARO_CORE_EXPORTFAST_H

#include "Fdb.h"
#include "SafeFile.h"

namespace karo::exportfast {

// As WriteExport. Only this call's threads touch the two tables while it
// runs; the sink is written from the calling thread only.
bool Write(TfdbTable& search, TfdbTable& detail, ByteSink& sink);

}  // namespace karo::exportfast

#endif  // KARO_CORE_EXPORTFAST_H
