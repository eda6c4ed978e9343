// Byte sinks: where an export or a tool's output goes. SafeFile replaces a
// file only when the new content was written completely.
#ifndef KARO_CORE_SAFEFILE_H
#define KARO_CORE_SAFEFILE_H

#include <cstddef>
#include <cstdint>
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
// is a character device (/dev/null, a terminal) is written directly instead.
class SafeFile : public ByteSink {
 public:
  // Whether writing may wait: for a reader to come or to drain a pipe.
  enum class Waiting {
    Never,    // a window: pipes and sockets are refused, a device that would
              // make a write wait fails that write
    Allowed,  // a command-line tool: a pipe that has a reader is written to
  };

  SafeFile() = default;
  ~SafeFile() override;  // removes the temporary file unless committed
  SafeFile(const SafeFile&) = delete;
  SafeFile& operator=(const SafeFile&) = delete;

  // Creates the temporary file for `path`. False, with the reason in
  // Failure(), when it cannot be made there (folder missing or not writable)
  // or when the target may not be written: a folder, a block device, a
  // socket, a pipe nobody reads from (never waited for), any pipe under
  // Waiting::Never, a file without write permission. A symbolic link is
  // followed, also when its target does not exist yet: the target is created
  // and the link stays.
  bool Open(const std::string& path, Waiting waiting = Waiting::Never);
  // False once any write failed.
  bool Write(const char* bytes, size_t count) override;
  // Flushes, syncs and closes the temporary file, then renames it over the
  // target. False (temporary file removed, target untouched) when any of it
  // failed or an earlier write did.
  bool Commit();
  // Drops the temporary file; the target stays untouched.
  void Abort();
  // Why the last Open failed, in Czech ("je to složka"); empty when it did
  // not fail or no reason is known beyond the system's refusal.
  const std::string& Failure() const { return failure_; }

 private:
  bool OpenInPlace(Waiting waiting);  // an existing device or pipe

  static constexpr uint64_t kWriteBehind = 8 << 20;  // bytes written before the disk is asked to take them

  std::FILE* file_ = nullptr;
  std::string target_, temp_, failure_;
  bool failed_ = false;
  uint64_t written_ = 0, started_ = 0;  // bytes written; of them, handed to the disk
};

}  // namespace karo

#endif  // KARO_CORE_SAFEFILE_H
