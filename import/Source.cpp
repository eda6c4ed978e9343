// Reading a directory's source folder (docs/directory-source.md) into the builder.
#include <algorithm>
#include <filesystem>

#include "Csv.h"
#include "Directory.h"
#include "Message.h"
#include "Source.h"
#include "Values.h"

namespace karo {

namespace fs = std::filesystem;

bool OpenWithHeader(const std::string& path, CsvReader* csv, DirectoryBuilder* builder,
                    std::vector<std::string>* header) {
  if (!csv->Open(path)) {
    builder->AddError({path, 0}, csv->Error());
    return false;
  }
  if (!csv->Next(header)) {
    builder->AddError({path, csv->Line()}, csv->Error().empty() ? "soubor je prázdný, chybí záhlaví" : csv->Error());
    return false;
  }
  return true;
}

namespace {

// Maps a file's header onto the expected columns; reports missing and unknown ones.
bool MapHeader(const std::vector<std::string>& header, const SourceFile& source, const Where& where,
               DirectoryBuilder* builder, std::vector<int>* at) {
  at->assign(source.Columns.size(), -1);
  bool ok = true;
  for (size_t h = 0; h < header.size(); ++h) {
    const std::string name = Trim(header[h]);
    const auto it = std::find_if(source.Columns.begin(), source.Columns.end(),
                                 [&](const char* c) { return name == c; });
    if (it == source.Columns.end()) {
      builder->AddError(where, "neznámý sloupec " + Quote(name));
      ok = false;
    } else if ((*at)[static_cast<size_t>(it - source.Columns.begin())] >= 0) {
      builder->AddError(where, "sloupec " + Quote(name) + " je v záhlaví dvakrát");
      ok = false;
    } else {
      (*at)[static_cast<size_t>(it - source.Columns.begin())] = static_cast<int>(h);
    }
  }
  for (size_t c = 0; c < source.Columns.size(); ++c) {
    if ((*at)[c] < 0) {
      builder->AddError(where, std::string("chybí sloupec ") + Quote(source.Columns[c]));
      ok = false;
    }
  }
  return ok;
}

// Calls row(values, where) for every record of dir/source.File, in the
// source's column order.
template <class Row>
void ReadFile(const std::string& dir, const SourceFile& source, DirectoryBuilder* builder, Row row) {
  const std::string path = (fs::path(dir) / source.File).string();
  CsvReader csv;
  std::vector<std::string> fields;
  std::vector<int> at;
  if (!OpenWithHeader(path, &csv, builder, &fields)) return;
  if (!MapHeader(fields, source, {path, csv.Line()}, builder, &at)) return;
  std::vector<std::string> values(source.Columns.size());
  while (csv.Next(&fields)) {
    const Where where{path, csv.Line()};
    if (fields.size() != at.size()) {
      builder->AddError(where, FieldCountError(fields.size(), at.size()));
      continue;
    }
    for (size_t c = 0; c < at.size(); ++c) values[c] = fields[static_cast<size_t>(at[c])];
    row(values, where);
  }
  if (!csv.Error().empty()) builder->AddError({path, csv.Line()}, csv.Error());
}

}  // namespace

void ReadSourceDir(const std::string& dir, DirectoryBuilder* builder) {
  for (int i = 0; i < kLookupCount; ++i) {
    const Lookup which = static_cast<Lookup>(i);
    ReadFile(dir, LookupSource(which), builder,
             [&](const std::vector<std::string>& v, const Where& w) { builder->AddLookupEntry(which, v, w); });
  }
  ReadFile(dir, AphorismSource(), builder,
           [&](const std::vector<std::string>& v, const Where& w) { builder->AddAphorism(v[0], v[1], w); });
  ProviderRow row;
  ReadFile(dir, ProviderSource(), builder, [&](const std::vector<std::string>& v, const Where& w) {
    std::copy(v.begin(), v.end(), row.begin());
    builder->AddProvider(row, w);
  });
}

}  // namespace karo
