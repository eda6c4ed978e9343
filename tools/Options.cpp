// Parsing arguments by an option table, and the help and docs made from it.
#include "Options.h"

#include "Cp1250.h"
#include "Message.h"

namespace karo {
namespace {

const std::vector<std::string> kNone;

const OptionDef* Find(const OptionTable& table, const std::string& name) {
  for (const OptionDef& o : table.Options) {
    if (name == o.Name || (o.Alias && name == o.Alias)) return &o;
  }
  return nullptr;
}

[[noreturn]] void Refuse(const std::string& message) { throw UsageError{message}; }

// The option as the help shows it: "--data SLOŽKA", "--help, -h".
std::string Spelled(const OptionDef& o) {
  std::string s = o.Name;
  if (o.Alias) s += std::string(", ") + o.Alias;
  if (o.Value) s += std::string(" ") + o.Value;
  return s;
}

// UTF-8 characters of s (the help's columns are counted in them).
size_t Characters(const std::string& s) {
  size_t n = 0;
  for (const char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

// A table cell's text: its '|' would end the cell.
std::string Cell(const std::string& text) {
  std::string cell;
  for (const char c : text) cell += c == '|' ? std::string("\\|") : std::string(1, c);
  return cell;
}

}  // namespace

const std::string& ParsedArgs::Value(const std::string& name) const {
  const auto it = values_.find(name);
  static const std::string kEmpty;
  return it == values_.end() || it->second.empty() ? kEmpty : it->second.back();
}

const std::vector<std::string>& ParsedArgs::Values(const std::string& name) const {
  const auto it = values_.find(name);
  return it == values_.end() ? kNone : it->second;
}

ParsedArgs ParseArgs(const OptionTable& table, int argc, const char* const* argv) {
  ParsedArgs parsed;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i], value;
    bool inline_value = false;
    const size_t eq = arg.find('=');
    if (arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
      inline_value = true;
    }
    const bool looksLikeOption = arg.size() > 1 && arg[0] == '-';
    if (!looksLikeOption) {
      if (parsed.Operands.size() >= table.MaxOperands) Refuse("nadbytečný argument " + Quote(argv[i]));
      parsed.Operands.push_back(argv[i]);
      continue;
    }
    const OptionDef* o = Find(table, arg);
    if (!o) Refuse("neznámá volba " + Quote(argv[i]));
    const std::string shown = PrintableUtf8(arg);
    std::vector<std::string>& values = parsed.values_[o->Name];
    if (o->Kind == OptionKind::Value && !values.empty()) Refuse("volba " + shown + " je uvedena dvakrát");
    if (o->Kind == OptionKind::Flag) {
      if (inline_value) Refuse("volba " + shown + " nemá hodnotu");
      values.push_back("");
      continue;
    }
    if (!inline_value) {
      if (i + 1 >= argc || std::string(argv[i + 1]).compare(0, 2, "--") == 0) Refuse("volbě " + shown + " chybí hodnota");
      value = argv[++i];
    }
    values.push_back(value);
  }
  return parsed;
}

std::string HelpText(const OptionTable& table) {
  constexpr size_t kColumn = 27;
  std::string text;
  for (size_t i = 0; i < table.Synopsis.size(); ++i) {
    text += (i == 0 ? "Použití: " : "         ") + std::string(table.Program) + " " + table.Synopsis[i] + "\n";
  }
  for (const OptionDef& o : table.Options) {
    std::string line = "  " + Spelled(o);
    line += Characters(line) + 1 < kColumn ? std::string(kColumn - Characters(line), ' ') : "\n" + std::string(kColumn, ' ');
    for (const char c : std::string(o.Help)) {
      line += c;
      if (c == '\n') line += std::string(kColumn, ' ');
    }
    text += line + (o.Kind == OptionKind::List ? " (lze opakovat)" : "") + "\n";
  }
  return text + table.Notes;
}

std::string HelpMarkdown(const OptionTable& table) {
  std::string text = "| volba | význam |\n|---|---|\n";
  for (const OptionDef& o : table.Options) {
    std::string help;
    for (const char c : std::string(o.Help)) help += c == '\n' ? std::string(" ") : std::string(1, c);
    text += "| `" + Cell(Spelled(o)) + "` | " + Cell(help) + (o.Kind == OptionKind::List ? " (lze opakovat)" : "") + " |\n";
  }
  return text;
}

}  // namespace karo
