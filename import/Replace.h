// Replacing a directory's folder as a whole. The new tables are written into
// a fresh folder beside the target and synced; then the two folders are
// swapped in one step (renameat2 with RENAME_EXCHANGE), so that a reader sees
// either the old directory or the new one, never a mixture. Where the file
// system cannot exchange, the old folder is renamed away, the new one renamed
// in, and on failure the old one renamed back. The old files are never
// modified in place, so a program that loaded them keeps working.
//
// A target that holds anything but a directory's tables (and the builder's
// own leftovers) is refused untouched, as are "/", home folders and mount
// points, so that a mistyped path can never be swapped away.
#ifndef KARO_IMPORT_REPLACE_H
#define KARO_IMPORT_REPLACE_H

#include <functional>
#include <string>

namespace karo {

// The steps of a replacement, in their order.
enum class ReplaceStep {
  CheckTarget,   // the target may be replaced
  MakeFolder,    // the new folder beside the target
  WriteTables,   // the tables written into it
  SyncTables,    // its files and itself on disk
  Exchange,      // old and new swapped in one step
  MoveOldAway,   // (no exchange) old folder renamed aside
  MoveNewIn,     // (no exchange, or no old folder) new folder renamed to the target
  MoveOldBack,   // (no exchange, new one failed) old folder renamed back
  SyncParent,    // the parent folder on disk
  RemoveOld,     // the old folder's files removed
};
const char* ReplaceStepName(ReplaceStep step);

// Called before each step; a non-zero errno value makes the step fail as if
// the system had reported it (for tests). Returns 0 to go on.
using ReplaceHook = std::function<int(ReplaceStep)>;

// Prefix of the builder's temporary folders beside a target.
extern const char kBuildFolderPrefix[];

// "" when target may be written (missing, or a folder holding only table
// files and the builder's leftovers); otherwise why not, in Czech.
std::string CheckTarget(const std::string& target);

struct ReplaceResult {
  bool Ok = false;
  std::string Error;    // when !Ok: what happened, and what state things are in
  std::string Warning;  // when Ok: something left behind (an old folder that could not be removed)
  bool TargetUntouched = true;  // when !Ok: false only if the target is no longer where it was
};

// Replaces target by a folder that write(dir, &error) fills (dir ends with
// '/'). On any failure the old directory is left as it was (where the message
// says), and the new folder is removed.
ReplaceResult ReplaceDirectory(const std::string& target,
                               const std::function<bool(const std::string& dir, std::string* error)>& write,
                               const ReplaceHook& hook = nullptr);

}  // namespace karo

#endif  // KARO_IMPORT_REPLACE_H
