// Running a program in a test and capturing what it prints.
#include "Command.h"

#include <sys/wait.h>

#include <cstdio>
#include <sstream>

namespace karo::test {

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

CommandResult RunCommand(const std::vector<std::string>& words, int seconds) {
  std::string command = "timeout " + std::to_string(seconds);
  for (const std::string& w : words) command += " " + ShellQuote(w);
  command += " </dev/null 2>&1";
  CommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.Output.append(buffer, n);
  const int status = pclose(pipe);
  if (WIFEXITED(status) && WEXITSTATUS(status) != 124) result.Code = WEXITSTATUS(status);
  return result;
}

std::vector<std::string> LinesWith(const std::string& text, const std::string& part) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.find(part) != std::string::npos) lines.push_back(line);
  }
  return lines;
}

}  // namespace karo::test
