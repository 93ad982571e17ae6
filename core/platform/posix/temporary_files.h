// POSIX only: the temporary file a writer writes before it takes the
// target's name.
#pragma once

#include <string>

namespace ridloe {

// Whether a writer makes its temporary file without a name where the system
// can (the default), or always with a name, as on a file system that has
// no unnamed files. Tests use it to reach the named file's clean-up.
void UseUnnamedTemporaryFiles(bool use);

// A file without a name in `folder`, open for writing, or -1 with errno
// set: EOPNOTSUPP where this system or file system has none (or unnamed
// files are not to be used).
int OpenUnnamed(const std::string& folder);

// "/proc/self/fd/N": how an open file without a name is linked into a folder.
std::string OwnFdPath(int fd);

// A fresh hidden name in `folder` for a file about to be linked there.
std::string FreshName(const std::string& folder);

// A new hidden file beside `target`, open for writing, its name in `name`:
// a short one, so that a target whose name is near the length limit can
// still be written, and in the target's folder, so that the rename stays on
// one file system. -1 with errno set when none can be made.
int OpenNamedBeside(const std::string& target, std::string& name);

}  // namespace ridloe
