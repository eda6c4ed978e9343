// Running the build's programs and outside tools from the tests.
#ifndef KARO_TESTS_SUPPORT_COMMAND_H
#define KARO_TESTS_SUPPORT_COMMAND_H

#include <string>
#include <vector>

namespace karo::test {

struct CommandResult {
  int Code = -1;       // exit code; -1 when the command did not end by itself
  std::string Output;  // standard output and standard error together
};

// The text as one word for sh.
std::string ShellQuote(const std::string& text);

// Runs the words as one command (nothing on its standard input), stopped
// after `seconds`.
CommandResult RunCommand(const std::vector<std::string>& words, int seconds = 120);

// The lines of `text` that contain `part`.
std::vector<std::string> LinesWith(const std::string& text, const std::string& part);

}  // namespace karo::test

#endif  // KARO_TESTS_SUPPORT_COMMAND_H
