// The pieces of messages that the tools, the import and the windows share:
// a system error in Czech words, why a file cannot be read, a foreign text in
// quotes. Each is written once, so that every message says it alike.
#ifndef KARO_CORE_MESSAGE_H
#define KARO_CORE_MESSAGE_H

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace karo {

// A system error number in Czech words ("na disku není místo", ...); the
// system's own text for a number without a Czech one.
std::string SystemErrorText(int error);

// Why a file could not be opened for reading, for the open's error number:
// "soubor neexistuje", "odkaz vede na soubor, který neexistuje", "k souboru
// chybí právo ke čtení", ...; `path` tells a dangling link from a missing file.
std::string ReadFailure(int error, const std::string& path);

// "není obyčejný soubor, ale roura (FIFO); nečte se", for a file of that mode.
std::string NotRegularFile(mode_t mode);

// "" when path names a regular file (after following links) that can be
// read; otherwise the reason, as ReadFailure or NotRegularFile give it.
// Never opens anything, and never waits.
std::string CheckRegularFile(const std::string& path);

// A count or byte offset with its thousands apart, as Czech writes them: "1 048 576".
std::string WithSpaces(uint64_t n);

// A text from outside (an argument, a path, a value of a source file) in
// Czech quotes, „text“, its malformed bytes and control characters escaped
// as PrintableUtf8 escapes them: a message never carries raw bytes.
std::string Quote(std::string_view utf8);

}  // namespace karo

#endif  // KARO_CORE_MESSAGE_H
