// The command-line options of a tool, defined once in a table from which
// come its parser, its --help text and the options section of its docs page
// (docs/karo-search.md, docs/karo-build.md; later its manual page too).
#ifndef KARO_TOOLS_OPTIONS_H
#define KARO_TOOLS_OPTIONS_H

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace karo {

enum class OptionKind {
  Flag,   // no value; given again, it stays given
  Value,  // one value; given at most once
  List,   // one value; may be given again, the values add up
};

struct OptionDef {
  const char* Name;   // "--data"; the key under which its values are parsed
  OptionKind Kind;
  const char* Value;  // the value's placeholder in the help ("SLOŽKA"); null for a flag
  const char* Help;   // Czech; '\n' starts a further line of it
  const char* Alias = nullptr;  // a second spelling ("-h"), or null
};

struct OptionTable {
  const char* Program;                // "karo-search"
  std::vector<std::string> Synopsis;  // how the tool is called, one way a line, without the program's name
  std::vector<OptionDef> Options;
  std::string Notes;                  // help text after the options ("" for none)
  size_t MaxOperands = 0;             // arguments that are not options, at most
};

// A mistake in the arguments: the message (UTF-8, every echoed argument
// escaped) says which; the tool adds a hint to --help.
struct UsageError {
  std::string Message;
};

class ParsedArgs {
 public:
  bool Has(const std::string& name) const { return values_.count(name) != 0; }
  // The value of a Value option, "" when not given.
  const std::string& Value(const std::string& name) const;
  // Every value of a List option, in the order given.
  const std::vector<std::string>& Values(const std::string& name) const;
  std::vector<std::string> Operands;  // the arguments that are not options, in order

 private:
  friend ParsedArgs ParseArgs(const OptionTable& table, int argc, const char* const* argv);
  std::map<std::string, std::vector<std::string>> values_;
};

// Parses argv[1] .. argv[argc - 1]: "--name value" or "--name=value"; a value
// that itself begins with "--" only with '='. Throws UsageError for an
// unknown option ("neznámá volba „X“"), a missing value ("volbě X chybí
// hodnota"), a flag given a value ("volba X nemá hodnotu"), a Value option
// given twice ("volba X je uvedena dvakrát") and an operand beyond
// MaxOperands ("nadbytečný argument „X“").
ParsedArgs ParseArgs(const OptionTable& table, int argc, const char* const* argv);

// "Použití: PROGRAM SYNOPSIS..." and the options, one to a line with their
// help beside them, then the notes.
std::string HelpText(const OptionTable& table);

// The options as a Markdown table, for the docs page.
std::string HelpMarkdown(const OptionTable& table);

}  // namespace karo

#endif  // KARO_TOOLS_OPTIONS_H
