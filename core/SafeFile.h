// Byte sinks: where an export or a tool's output goes. SafeFile replaces a
// file only when the new content was written completely.
#ifndef KARO_CORE_SAFEFILE_H
#define KARO_CORE_SAFEFILE_H

#include <cstddef>
#include <cstdio>
#include <string>

namespace karo {

// Receives bytes in order. Write returns false when the bytes could not be
// taken; the writer then stops.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Write(const char* bytes, size_t count) = 0;
};

// Writes to an open stdio stream (not owned, not flushed here).
class StdioSink : public ByteSink {
 public:
  explicit StdioSink(std::FILE* file) : file_(file) {}
  bool Write(const char* bytes, size_t count) override;

 private:
  std::FILE* file_;
};

// A new file's content, written to a temporary file in the target's folder
// and moved over the target by Commit. Until then (and whenever anything
// fails) an existing target stays exactly as it was. An existing target that
// is not a regular file (a device, a pipe) is written directly instead.
class SafeFile : public ByteSink {
 public:
  SafeFile() = default;
  ~SafeFile() override;  // removes the temporary file unless committed
  SafeFile(const SafeFile&) = delete;
  SafeFile& operator=(const SafeFile&) = delete;

  // Creates the temporary file for `path`. False when it cannot be made there
  // (folder missing or not writable) or when the target is a folder or an
  // existing file that may not be written. A symbolic link is followed.
  bool Open(const std::string& path);
  // False once any write failed.
  bool Write(const char* bytes, size_t count) override;
  // Flushes, syncs and closes the temporary file, then renames it over the
  // target. False (temporary file removed, target untouched) when any of it
  // failed or an earlier write did.
  bool Commit();
  // Drops the temporary file; the target stays untouched.
  void Abort();

 private:
  std::FILE* file_ = nullptr;
  std::string target_, temp_;
  bool failed_ = false;
};

}  // namespace karo

#endif  // KARO_CORE_SAFEFILE_H
