// Fuzz target for the builder's CSV reader: any bytes are read as a source
// file; whatever records it yields are written by the CSV writer and must
// read back exactly, with no error.
#include <cstdint>
#include <string>
#include <vector>

#include "Csv.h"
#include "FuzzSupport.h"

namespace {

using karo::fuzz::Expect;
using Records = std::vector<std::vector<std::string>>;

// Every record up to the end or the first error (then *error says what).
Records ReadAll(const std::string& path, std::string* error) {
  karo::CsvReader reader;
  Expect(reader.Open(path), "the file just written opens");
  Records records;
  std::vector<std::string> fields;
  int line = 0;
  while (reader.Next(&fields)) {
    Expect(!fields.empty(), "a record has a field");
    Expect(reader.Line() > line, "records begin on increasing lines");
    line = reader.Line();
    records.push_back(fields);
  }
  *error = reader.Error();
  // A failure always says why, in the builder's words.
  Expect(error->empty() || error->rfind("poškozené CSV: ", 0) == 0 || error->rfind("záznam ", 0) == 0,
         "an error says what is malformed");
  return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string dir = karo::fuzz::FuzzDir();
  karo::fuzz::PutFile(dir + "in.csv", data, size);
  std::string error;
  const Records records = ReadAll(dir + "in.csv", &error);

  karo::CsvWriter writer;
  Expect(writer.Open(dir + "out.csv"), "the writer opens its file");
  for (const auto& record : records) writer.Write(record);
  Expect(writer.Close(), "the writer writes its file");
  std::string again;
  const Records back = ReadAll(dir + "out.csv", &again);
  Expect(again.empty(), "what the writer wrote reads without an error");
  Expect(back == records, "what the writer wrote reads back as the same records");
  return 0;
}
