// Texts of the national register as a directory shows them: fitted to what
// Windows-1250 can hold, shortened to a limit, names of persons in normal
// Czech capitalisation, postal codes and phone numbers written as people
// write them. All texts in and out are UTF-8.
#ifndef KARO_IMPORT_REGISTERTEXT_H
#define KARO_IMPORT_REGISTERTEXT_H

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace karo {

// What FitToCp1250 had to change.
struct FitReport {
  size_t Replaced = 0;   // characters replaced
  std::string First;     // the first of them, e.g. U+00F8 "ø"
  std::string FirstAs;   // what it became, e.g. "o" or "?"
};

// The text with every character that Windows-1250 cannot hold replaced by
// its base letter (ø -> o, ñ -> n, a letter with a mark the code page lacks
// -> the letter), or by "?" when it has none. Invalid UTF-8 becomes "?".
std::string FitToCp1250(std::string_view utf8, FitReport* report);

// Trims, and makes every run of spaces, tabs, line breaks and other control
// characters one space.
std::string CollapseSpaces(std::string_view text);

// Number of characters (code points) of a UTF-8 text.
size_t CharCount(std::string_view utf8);
// At most `limit` characters: a longer text is cut at a character boundary
// and ends with "…". *chars (if given) is the original count.
std::string Shorten(const std::string& utf8, size_t limit, size_t* chars = nullptr);

// The values of a comma-joined register field, trimmed, spaces collapsed,
// empty ones left out.
std::vector<std::string> SplitValues(std::string_view field);

// Lower and upper case of the Latin letters (Latin-1 and Latin Extended-A).
uint32_t LowerLetter(uint32_t code);
uint32_t UpperLetter(uint32_t code);
std::string LowerText(std::string_view utf8);
// The first letter in upper case ("všeobecné ..." -> "Všeobecné ...").
std::string CapitalizeFirst(std::string_view utf8);
// A word written all in capitals in normal capitalisation ("KOŘÍNEK" ->
// "Kořínek", "NOVÁKOVÁ-DVOŘÁKOVÁ" -> "Nováková-Dvořáková"); a word with any
// small letter is kept as written.
std::string NormalCase(std::string_view word);

// One person of a register name list.
struct Person {
  std::string Surname;  // "Kořínek"
  std::string Given;    // "Josef" (several given names joined by spaces)
  std::string Full;     // as written, in normal case, with titles: "MUDr. Josef Kořínek, Ph.D."
};
// The persons of a field such as "MUDr. EVŽEN ČERNÝ, JOSEF KOŘÍNEK, MBA": the
// list is split at commas, a part made only of titles belongs to the person
// before it, titles are set apart. givenNames (lower case) tells given names
// from surnames: "Bartošová Kateřina" is read surname first.
std::vector<Person> ParsePersons(std::string_view field, const std::set<std::string>& givenNames);
// True for an academic title or degree ("MUDr.", "Ph.D.", "MBA", "et").
bool IsTitle(std::string_view word);

// "41131" -> "411 31"; anything else trimmed as given.
std::string FormatPostalCode(std::string_view psc);
// "420778500255" -> "+420 778 500 255", "778500255" -> "778 500 255"; several
// numbers (split at commas or semicolons) joined by ", "; others as given.
std::string FormatPhones(std::string_view phones);
// An identification number with its leading zeros ("3869628" -> "03869628").
std::string FormatIco(std::string_view ico);

// The form of ownership in words, from the person type (1 natural, 2 legal
// person) and the legal form code.
std::string OwnershipText(std::string_view typOsoby, std::string_view pravniForma);

// The aphorism group (0 to 8 of the sample's aphorisms) for a category name.
int AphorismGroup(std::string_view category);

}  // namespace karo

#endif  // KARO_IMPORT_REGISTERTEXT_H
