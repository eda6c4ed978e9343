// A register-shaped CSV of any size, made from the register's real counts of
// places per district and care field (e.g. 40,000 rows for measuring the
// import). Names, addresses and contacts are invented from the sample's
// reference lists; the same seed gives the same file.
#ifndef KARO_TESTS_TOOLS_REGISTERGEN_H
#define KARO_TESTS_TOOLS_REGISTERGEN_H

#include <cstdint>
#include <map>
#include <string>

namespace karo::test {

struct RegisterGenOptions {
  std::string Counts;        // CSV: okres_nuts,kraj_nuts,obor_pece,pocet_poskytovatelu
  std::string ReferenceDir;  // sample/: okresy.csv, obce.csv, prijmeni.csv, jmena.csv, ulice.csv
  std::string Out;           // the register CSV to write
  uint64_t Rows = 40000;     // the counts are scaled to this many rows
  uint64_t Seed = 1;
};

// Writes the file; false with the reason in *error. *perDistrict (if given)
// receives the rows written per district code.
bool GenerateRegister(const RegisterGenOptions& options, std::string* error,
                      std::map<std::string, uint64_t>* perDistrict = nullptr);

}  // namespace karo::test

#endif  // KARO_TESTS_TOOLS_REGISTERGEN_H
