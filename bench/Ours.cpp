// The program's own operations as the benchmark times them: open, search, sort, export.
#include "Ours.h"

#include "Export.h"
#include "FdbAccess.h"
#include "SearchIndex.h"

namespace bench {

void UseFastPaths(bool on) { FdbAccess::SetFastPaths(on); }

void WaitForSearchIndexes(Program& program) { karo::searchfast::WaitForIndexes(program.Pseek); }

bool OpenDirectory(Program& program, const std::string& dir) {
  const auto tables = program.Tables();
  for (size_t i = 0; i < tables.size(); ++i) {
    tables[i]->Dir = dir;
    tables[i]->Open(karo::kTableNames[i]);
  }
  program.Pseek.BeginSelection();
  program.Pseek.SetOrder(1);
  return program.Pseek.RecCount > 0 && program.Moskyti.RecCount > 0;
}

void CloseDirectory(Program& program) {
  for (TfdbTable* table : program.Tables()) table->Close();
}

uint32_t Search(Program& program, const karo::SearchFilter& filter) {
  return karo::RunSearch(program.Pseek, filter);
}

void SortResult(Program& program, int32_t field) { program.Pseek.Sort(field); }

bool ExportResult(Program& program, karo::ByteSink& sink) {
  return karo::WriteExport(program.Pseek, program.Moskyti, sink);
}

bool ExportResultToFile(Program& program, const std::string& path) {
  return karo::ExportFile(program.Pseek, program.Moskyti, path) == karo::ExportResult::Done;
}

int32_t FindDetail(Program& program, int32_t id) { return program.Moskyti.SeekNum(0, id); }

int32_t FindInPickList(TfdbTable& lookup, int32_t field, const char* key) {
  return lookup.FindPrefix(field, key);
}

}  // namespace bench
