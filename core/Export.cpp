// The export: one pass over the current order, one SeekNum per exported record
// (the plain form; WriteExport uses the fast path of ExportFast.h).
#include "Export.h"

#include <functional>

#include "ExportFast.h"
#include "FdbAccess.h"
#include "Search.h"

namespace karo {

const char kExportHeader[] = "PRACOVISTE\tJMENO\tULICE\tOBEC\tPSC\r\n";

namespace {

constexpr size_t kChunk = 1 << 16;  // bytes handed to the sink at a time

}  // namespace

bool WriteExport(TfdbTable& search, TfdbTable& detail, ByteSink& sink) {
  if (FdbAccess::FastPaths()) return exportfast::Write(search, detail, sink);
  return WriteExportReference(search, detail, sink);
}

bool WriteExportLines(TfdbTable& search, TfdbTable& detail, std::string buffer,
                      const std::function<bool(std::string*)>& hand) {
  buffer.reserve(kChunk + 4096);
  // GetStrByName(p, "PSC"), with the name looked up once.
  const int psc = detail.FieldIndex("PSC");
  const uint32_t count = search.CurCount();
  for (uint32_t r = 0; r < count; ++r) {
    const int32_t i = static_cast<int32_t>(r);
    if (search.GetNum(i, kSearchLevel) <= 1) continue;  // level 1, or not readable
    const int32_t p = detail.SeekNum(0, search.GetNum(i, kSearchId));
    // Appended one by one: a numeric field's text lasts until the next read.
    for (const int32_t field : {kSearchWorkplace, kSearchSurname, kSearchStreet, kSearchMunicipality}) {
      buffer += search.GetStr(i, field);
      buffer += '\t';
    }
    if (p != -1) buffer += psc < 0 ? kFdbFieldNotFound : detail.GetStr(p, psc);
    buffer += "\r\n";
    if (buffer.size() >= kChunk) {
      if (!hand(&buffer)) return false;
      buffer.clear();
      buffer.reserve(kChunk + 4096);
    }
  }
  return buffer.empty() || hand(&buffer);
}

bool WriteExportReference(TfdbTable& search, TfdbTable& detail, ByteSink& sink) {
  return WriteExportLines(search, detail, kExportHeader,
                          [&](std::string* chunk) { return sink.Write(chunk->data(), chunk->size()); });
}

ExportResult ExportFile(TfdbTable& search, TfdbTable& detail, const std::string& path) {
  SafeFile file;
  if (!file.Open(path)) return ExportResult::CannotOpen;
  if (!WriteExport(search, detail, file) || !file.Commit()) return ExportResult::CannotWrite;
  return ExportResult::Done;
}

std::string ExportMessage(ExportResult result, const std::string& name) {
  switch (result) {
    case ExportResult::Done: return "Export ukončen.";
    case ExportResult::CannotOpen: return "ERROR : Soubor " + name + " nelze otevřít.";
    case ExportResult::CannotWrite: break;
  }
  return "ERROR : Soubor " + name + " nelze zapsat.";
}

}  // namespace karo
