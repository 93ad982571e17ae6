// POSIX only: how writers make their temporary file.
#pragma once

namespace ridloe {

// Whether a writer makes its temporary file without a name where the system
// can (the default), or always with a name, as on a file system that has
// no unnamed files. Tests use it to reach the named file's clean-up.
void UseUnnamedTemporaryFiles(bool use);

}  // namespace ridloe
