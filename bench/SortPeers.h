// Peers of the result sort: std::sort with the program's CzechCmp, and ICU's
// Czech collator (sort keys, then std::sort). Both break ties the way the
// store's merge sort leaves them: equal texts in the reverse of their order
// before the sort, so that the CzechCmp peer must give exactly our order.
#ifndef KARO_BENCH_SORTPEERS_H
#define KARO_BENCH_SORTPEERS_H

#include <cstdint>
#include <string>
#include <vector>

#include "Fdb.h"

struct UCollator;

namespace bench {

// The field's text of every record of the table's current order.
std::vector<const char*> TextsOf(TfdbTable& table, int32_t field);

// Positions into `texts`, in CzechCmp order.
std::vector<uint32_t> SortByCzechCmp(const std::vector<const char*>& texts);

// ICU's Czech collation at primary strength (case and acute accents do not
// count, carons and "ch" do: the model CzechCmp follows).
class IcuCzech {
 public:
  IcuCzech();
  ~IcuCzech();
  IcuCzech(const IcuCzech&) = delete;
  IcuCzech& operator=(const IcuCzech&) = delete;

  bool Ok() const { return collator_ != nullptr; }
  const std::string& Error() const { return error_; }
  // Positions into `texts` (Windows-1250), in ICU's order: one sort key per
  // text, then std::sort of the keys.
  std::vector<uint32_t> Sort(const std::vector<const char*>& texts);

 private:
  UCollator* collator_ = nullptr;
  std::string error_;
};

}  // namespace bench

#endif  // KARO_BENCH_SORTPEERS_H
