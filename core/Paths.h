// Fixed relative names under the program's folder ("DATA/",
// "data/karosmall.ICO", "Tarvel.hlp"), found also when the files were copied
// from a disk that ignores case.
#ifndef KARO_CORE_PATHS_H
#define KARO_CORE_PATHS_H

#include <string>

namespace karo {

// dir + relative when that exists. Otherwise each component of `relative`
// ('/'-separated) is looked up in its folder without regard to ASCII case
// (an exact name first, then the first matching name in byte order); the
// path found is returned, with a trailing '/' kept. When some component has
// no match, dir + relative unchanged. `dir` is used as given (it normally
// ends with '/').
std::string FindPath(const std::string& dir, const std::string& relative);

}  // namespace karo

#endif  // KARO_CORE_PATHS_H
