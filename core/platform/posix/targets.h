// POSIX only: what is at a path a writer is to write, whether it may be
// written over, and putting a finished file in its place.
#pragma once

#include <sys/types.h>

#include <string>

#include "core/platform/file_access.h"
#include "core/platform/replace_rule.h"

namespace ridloe {

struct Target {
  TargetState state = TargetState::kMissing;
  std::string file;  // the regular file to replace: the path, or what the link at it names
  std::string kind;  // for kOther: "a folder", "a FIFO", ...; for kOwnStream: which stream
  mode_t mode = 0;
  bool readOnly = false;  // a regular file nobody may write
};

// What is at `path`: through links when `follow`, else the name itself.
Target InspectTarget(const std::string& path, bool follow = true);

// Why what is at `path` may not be written over, as `existing` says; fills
// `target` with what is there.
Refusal<int> CheckTarget(const std::string& path, ExistingTarget existing, const ReplaceCheck& mayReplace,
                         Target& target, bool follow = true);

// Puts the finished file at `from` in the place of `target`, replacing what
// is there. Whatever took the target's place since it was last looked at
// must not be replaced unseen: the two names are swapped in one step, what
// came out is looked at, and when it may not be replaced (it is source data,
// or no regular file) the names are swapped back and the refusal returned.
// Where the file system cannot swap, a plain rename does the work. Should
// the swap back fail, `from` names what was at the target: `swappedOut` is
// set, and that file must not be removed.
Refusal<int> ReplaceInOneStep(const std::string& from, const std::string& target, const ReplaceCheck& mayReplace,
                              std::string& kind, bool& swappedOut);

// Gives the finished file at `from` the name `target` only when nothing has
// it, in one step that fails if something took it meanwhile: a rename that
// does not replace, or where the file system has none, a hard link. Where
// neither works the file is not put in place (kNoSafeKeep).
Refusal<int> PutWithoutReplacing(const std::string& from, const std::string& target);

}  // namespace ridloe
