// The query description: additions appended to the memo one by one.
#include "QueryText.h"

#include "Cp1250.h"

namespace karo {
namespace {

const char kBreak[] = "\r\n     ";  // CR LF and five spaces

// Windows-1250 bytes of one of the texts below (all of them convert).
std::string Cp(const char* utf8) {
  std::string out;
  Utf8ToCp1250(utf8, &out);
  return out;
}

// The memo's Add: a new line, with any CR LF inside starting a further one.
void Add(const std::string& addition, std::vector<std::string>* lines) {
  size_t start = 0;
  for (size_t at; (at = addition.find("\r\n", start)) != std::string::npos; start = at + 2) {
    lines->push_back(addition.substr(start, at - start));
  }
  lines->push_back(addition.substr(start));
}

void AddList(const char* heading, const std::vector<std::string>& items, std::vector<std::string>* lines) {
  std::string text;
  for (const std::string& item : items) text += kBreak + item;
  if (!text.empty()) Add(Cp(heading) + text, lines);
}

}  // namespace

std::vector<std::string> QueryLines(const QueryTexts& query) {
  std::vector<std::string> lines;
  Add(Cp("Vybráni budou všichni poskytovatelé"), &lines);
  Add("", &lines);
  bool first = true;
  if (!query.Surname.empty()) {
    Add(Cp("jejichž jméno začíná na ") + kBreak + query.Surname, &lines);
    first = false;
  }
  if (!query.Workplace.empty()) {
    Add(Cp(first ? "jejichž" : "a") + Cp(" pracoviště začíná na ") + kBreak + query.Workplace, &lines);
    first = false;
  }
  if (!query.Municipality.empty()) {
    Add(Cp(first ? "jejichž" : "a") + Cp(" obec začíná na ") + kBreak + query.Municipality, &lines);
  }
  AddList("v okresech", query.Districts, &lines);
  AddList("z oborů", query.Specialties, &lines);
  AddList("z rubrik", query.Categories, &lines);
  AddList("pojišťovny", query.Insurers, &lines);
  AddList("ovládající jazyky", query.Languages, &lines);
  AddList("typ zařízení", query.FacilityTypes, &lines);
  return lines;
}

std::string QueryText(const QueryTexts& query) {
  std::string text;
  const std::vector<std::string> lines = QueryLines(query);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  return text;
}

}  // namespace karo
