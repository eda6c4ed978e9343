// The export's fast path; the bytes are those of WriteExportReference
// (tests/core/search_fast_test.cpp). The text is formatted on other threads
// while the calling thread hands the finished chunks to the sink:
//   - an order that runs through the tables front to back (the base order, a
//     result not sorted): one thread, the plain export's reads;
//   - a sorted result: every record's detail position first (one pass in
//     base order through the key map), then two threads format alternate
//     blocks, fetching the memory of each batch of records a few batches
//     ahead, with reads that use neither the current order nor the shared
//     numeric buffer.
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
