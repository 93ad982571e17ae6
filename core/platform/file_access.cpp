// What file access says the same way on every system.
#include "core/platform/file_access.h"

namespace ridloe {

const char* DescribeReadFailure(ReadFailure failure) {
  switch (failure) {
    case ReadFailure::kNone: return "no failure";
    case ReadFailure::kOpen: return "cannot be opened";
    case ReadFailure::kBusy: return "is being written by another program";
    case ReadFailure::kNotAFile: return "is not a regular file";
    case ReadFailure::kEmpty: return "is empty";
    case ReadFailure::kNoMemory: return "does not fit in memory";
    case ReadFailure::kRead: return "cannot be read";
    case ReadFailure::kShortRead: return "ended before all its bytes were read";
  }
  return "cannot be read";
}

}  // namespace ridloe
