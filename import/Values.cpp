// Trimming and whole numbers of source fields.
#include "Values.h"

namespace karo {

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  const size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

bool ParseInt(const std::string& s, int64_t min, int64_t max, int64_t* out) {
  if (s.empty() || s.size() > 12) return false;
  size_t i = 0;
  const bool negative = s[0] == '-';
  if (negative) i = 1;
  if (i == s.size()) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  if (negative) v = -v;
  if (v < min || v > max) return false;
  *out = v;
  return true;
}

}  // namespace karo
