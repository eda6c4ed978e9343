// The query spelled out in Czech sentences, as the query window shows it.
#ifndef KARO_CORE_QUERYTEXT_H
#define KARO_CORE_QUERYTEXT_H

#include <string>
#include <vector>

namespace karo {

// The filter controls as the user sees them (Windows-1250).
struct QueryTexts {
  // The three edits exactly as typed (not trimmed).
  std::string Surname, Workplace, Municipality;
  // Texts of the selected items of each pick list, in list order.
  std::vector<std::string> Districts, Specialties, Categories, Insurers, Languages, FacilityTypes;
};

// The memo's lines (Windows-1250, without line ends): the title line, an
// empty line, then one fragment per criterion; a typed text or an item text
// goes on its own line after five spaces. Every addition to the memo is one
// text whose CR LF pairs start further lines.
std::vector<std::string> QueryLines(const QueryTexts& query);

// The lines joined by CR LF (none after the last).
std::string QueryText(const QueryTexts& query);

}  // namespace karo

#endif  // KARO_CORE_QUERYTEXT_H
