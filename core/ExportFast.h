// The export's fast path: the same reads as the plain export, in batches
// whose memory is fetched ahead, formatted on a second thread while the
// calling thread hands the finished chunks to the sink. The bytes are those
// of WriteExportReference (tests/core/search_fast_test.cpp).
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
