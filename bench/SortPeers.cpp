// Sort peers: std::sort with CzechCmp, and ICU collation keys.
#include "SortPeers.h"

#include <unicode/ucol.h>

#include <algorithm>
#include <cstring>

#include "Cp1250.h"

namespace bench {

std::vector<const char*> TextsOf(TfdbTable& table, int32_t field) {
  const uint32_t n = table.CurCount();
  std::vector<const char*> texts(n);
  for (uint32_t i = 0; i < n; ++i) texts[i] = table.GetStr(static_cast<int32_t>(i), field);
  return texts;
}

std::vector<uint32_t> SortByCzechCmp(const std::vector<const char*>& texts) {
  std::vector<uint32_t> order(texts.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    const int c = CzechCmp(texts[a], texts[b]);
    return c < 0 || (c == 0 && a > b);
  });
  return order;
}

IcuCzech::IcuCzech() {
  UErrorCode status = U_ZERO_ERROR;
  collator_ = ucol_open("cs", &status);
  if (U_FAILURE(status)) {
    error_ = std::string("ICU: ucol_open(\"cs\"): ") + u_errorName(status);
    ucol_close(collator_);
    collator_ = nullptr;
    return;
  }
  ucol_setStrength(collator_, UCOL_PRIMARY);
}

IcuCzech::~IcuCzech() { ucol_close(collator_); }

std::vector<uint32_t> IcuCzech::Sort(const std::vector<const char*>& texts) {
  const size_t n = texts.size();
  std::vector<uint8_t> keys;
  keys.reserve(n * 16);
  std::vector<size_t> start(n);
  std::u16string text;
  std::vector<uint8_t> key(256);
  for (size_t i = 0; i < n; ++i) {
    text.clear();
    for (auto p = reinterpret_cast<const unsigned char*>(texts[i]); *p; ++p) {
      const uint32_t u = karo::Cp1250ToUnicode(*p);
      text.push_back(static_cast<char16_t>(u ? u : 0xFFFD));
    }
    const auto* source = reinterpret_cast<const UChar*>(text.data());
    const int length = static_cast<int>(text.size());
    int32_t need = ucol_getSortKey(collator_, source, length, key.data(), static_cast<int32_t>(key.size()));
    if (static_cast<size_t>(need) > key.size()) {
      key.resize(static_cast<size_t>(need));
      need = ucol_getSortKey(collator_, source, length, key.data(), need);
    }
    start[i] = keys.size();
    keys.insert(keys.end(), key.begin(), key.begin() + need);  // the key ends with its zero byte
  }
  std::vector<uint32_t> order(n);
  for (uint32_t i = 0; i < n; ++i) order[i] = i;
  const auto* base = keys.data();
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    const int c = std::strcmp(reinterpret_cast<const char*>(base + start[a]),
                              reinterpret_cast<const char*>(base + start[b]));
    return c < 0 || (c == 0 && a > b);
  });
  return order;
}

}  // namespace bench
