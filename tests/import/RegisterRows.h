// Register-shaped CSV for tests: the register's own header, rows given by
// column name.
#ifndef KARO_TESTS_TOOLS_REGISTERROWS_H
#define KARO_TESTS_TOOLS_REGISTERROWS_H

#include <map>
#include <string>
#include <vector>

#include "Csv.h"

namespace karo::test {

// The header of the register's open-data file.
inline const std::vector<std::string>& RegisterHeader() {
  static const std::vector<std::string> header = {
      "MistoPoskytovaniId", "ZdravotnickeZarizeniId", "Kod", "NazevZarizeni", "DruhZarizeni", "Obec", "Psc",
      "Ulice", "CisloDomovniOrientacni", "Kraj", "KrajCode", "Okres", "OkresCode", "SpravniObvod",
      "PoskytovatelTelefon", "PoskytovatelFax", "PoskytovatelEmail", "PoskytovatelWeb", "Ico", "TypOsoby",
      "PravniFormaKod", "KrajCodeSidlo", "OkresCodeSidlo", "ObecSidlo", "PscSidlo", "UliceSidlo",
      "CisloDomovniOrientacniSidlo", "OborPece", "FormaPece", "DruhPece", "OdbornyZastupce", "Lat", "Lng"};
  return header;
}

using RegisterRow = std::map<std::string, std::string>;

// A plausible row; `values` replaces or adds columns.
inline RegisterRow Place(const RegisterRow& values) {
  RegisterRow row = {{"MistoPoskytovaniId", "1"},
                     {"NazevZarizeni", "MUDr. Jan Dvořák"},
                     {"DruhZarizeni", "Samost. ordinace všeob. prakt. lékaře"},
                     {"Obec", "Chrudim"},
                     {"Psc", "53701"},
                     {"Ulice", "Husova"},
                     {"CisloDomovniOrientacni", "5"},
                     {"Okres", "Chrudim"},
                     {"OkresCode", "CZ0531"},
                     {"TypOsoby", "1"},
                     {"OborPece", "všeobecné praktické lékařství"},
                     {"FormaPece", "primární ambulantní péče"},
                     {"OdbornyZastupce", "JAN DVOŘÁK"}};
  for (const auto& [k, v] : values) row[k] = v;
  return row;
}

// The CSV text: header, then one line per row (columns it lacks are empty).
inline std::string RegisterCsv(const std::vector<RegisterRow>& rows,
                               const std::vector<std::string>& header = RegisterHeader()) {
  std::string csv;
  for (size_t i = 0; i < header.size(); ++i) {
    if (i) csv += ",";
    CsvWriter::AppendField(header[i], &csv);
  }
  csv += "\n";
  for (const RegisterRow& row : rows) {
    for (size_t i = 0; i < header.size(); ++i) {
      if (i) csv += ",";
      const auto it = row.find(header[i]);
      if (it != row.end()) CsvWriter::AppendField(it->second, &csv);
    }
    csv += "\n";
  }
  return csv;
}

}  // namespace karo::test

#endif  // KARO_TESTS_TOOLS_REGISTERROWS_H
