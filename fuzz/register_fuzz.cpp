// Fuzz target for the register import (karo-build --from-register): the
// input is the register's CSV; when it does not begin with the register's
// header, the header is put before it, so that the rows themselves get the
// fuzzer's attention.
//
// What must hold: every error and warning names the file and line; an import
// without errors builds its nine tables, and those open, with one search
// record per provider, each with its detail record, a level from 1 to 4 and
// codes inside the lookup tables; the export of them all can be written.
#include <cstdint>
#include <cstring>
#include <string>

#include "Directory.h"
#include "Export.h"
#include "Fdb.h"
#include "FuzzSupport.h"
#include "Register.h"
#include "Search.h"

namespace {

using karo::fuzz::Expect;

const char kHeader[] =
    "MistoPoskytovaniId,ZdravotnickeZarizeniId,Kod,NazevZarizeni,DruhZarizeni,Obec,Psc,Ulice,"
    "CisloDomovniOrientacni,Kraj,KrajCode,Okres,OkresCode,SpravniObvod,PoskytovatelTelefon,PoskytovatelFax,"
    "PoskytovatelEmail,PoskytovatelWeb,Ico,TypOsoby,PravniFormaKod,KrajCodeSidlo,OkresCodeSidlo,ObecSidlo,"
    "PscSidlo,UliceSidlo,CisloDomovniOrientacniSidlo,OborPece,FormaPece,DruhPece,OdbornyZastupce,Lat,Lng\n";

class NullSink : public karo::ByteSink {
 public:
  bool Write(const char*, size_t) override { return true; }
};

// Every message is "FILE:LINE: text" (our paths hold no colon).
void CheckMessages(const std::vector<std::string>& messages) {
  for (const std::string& m : messages) {
    const size_t colon = m.find(':');
    size_t at = colon == std::string::npos ? m.size() : colon + 1;
    const size_t digits = at;
    while (at < m.size() && m[at] >= '0' && m[at] <= '9') ++at;
    Expect(colon != std::string::npos && at > digits && m.compare(at, 2, ": ") == 0 && m.size() > at + 2,
           "a message is FILE:LINE: text");
  }
}

// The nine tables of `dir` against what the builder said it wrote.
void CheckTables(const std::string& dir, uint32_t providers) {
  TfdbTable tables[9];
  for (int i = 0; i < 9; ++i) {
    tables[i].Dir = dir;
    Expect(tables[i].Open(karo::kTableNames[i]) == 0, "every table built opens");
  }
  TfdbTable& pseek = tables[0];
  TfdbTable& moskyti = tables[1];
  Expect(pseek.RecCount == providers && moskyti.RecCount == providers, "one record per provider");
  const uint32_t okresy = tables[2].RecCount, obory = tables[3].RecCount, rubriky = tables[4].RecCount,
                 jazyky = tables[5].RecCount, pojistovny = tables[6].RecCount, typy = tables[7].RecCount;
  for (uint32_t r = 0; r < pseek.RecCount; ++r) {
    const int32_t i = static_cast<int32_t>(r);
    const int32_t level = pseek.GetNum(i, karo::kSearchLevel);
    Expect(level >= 1 && level <= 4, "a level from 1 to 4");
    Expect(moskyti.SeekNum(0, pseek.GetNum(i, karo::kSearchId)) >= 0, "every provider has its detail record");
    Expect(static_cast<uint32_t>(pseek.GetNum(i, karo::kSearchDistrict)) < okresy, "the district is in the list");
    Expect(static_cast<uint32_t>(pseek.GetNum(i, karo::kSearchFacilityType)) < typy, "the type is in the list");
    const struct {
      int Field;
      bool Wide;
      uint32_t Count;
    } lists[] = {{karo::kSearchLanguages, false, jazyky},
                 {karo::kSearchInsurers, false, pojistovny},
                 {karo::kSearchSpecialties, true, obory},
                 {karo::kSearchCategories, false, rubriky}};
    for (const auto& l : lists) {
      for (const int code : karo::ListCodes(pseek, pseek.GetStr(i, l.Field), l.Wide)) {
        Expect(code >= 0 && static_cast<uint32_t>(code) < l.Count, "a code is in its list");
      }
    }
  }
  Expect(karo::RunSearch(pseek, {}) == providers, "the empty search finds everybody");
  NullSink sink;
  Expect(karo::WriteExport(pseek, moskyti, sink), "the export is written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string dir = karo::fuzz::FuzzDir();
  const std::string file = dir + "register.csv";
  std::string csv(reinterpret_cast<const char*>(data), size);
  if (csv.rfind("MistoPoskytovaniId", 0) != 0) csv = kHeader + csv;
  karo::fuzz::PutFile(file, reinterpret_cast<const uint8_t*>(csv.data()), csv.size());

  karo::DirectoryBuilder builder;
  karo::RegisterOptions options;
  options.File = file;
  options.ReferenceDir = KARO_SAMPLE_DIR;
  karo::ImportRegister(options, &builder);
  CheckMessages(builder.Errors());
  CheckMessages(builder.Warnings());
  if (builder.ErrorCount() != 0) return 0;
  Expect(builder.Finish(dir + "DATA"), "an import without errors builds its tables");
  CheckTables(dir + "DATA/", builder.ProviderCount());
  return 0;
}
