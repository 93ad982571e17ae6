// The sentences that say why a read or a write failed, the same on every
// platform; each platform only fills in the failure and the system's words.
#include <cstdint>
#include <string>

#include "core/platform/file_access.h"
#include "core/platform/paths.h"

namespace ridloe {
namespace {

std::string WithReason(std::string sentence, const std::string& reason) {
  if (!reason.empty()) sentence += ": " + reason;
  return sentence;
}

// A number of bytes in the largest binary unit it is a whole number of:
// "2 GiB", "512 KiB", "300000 bytes".
std::string SizeText(std::size_t bytes) {
  constexpr const char* kUnits[] = {"GiB", "MiB", "KiB"};
  for (int i = 0; i < 3; ++i) {
    const std::uint64_t unit = std::uint64_t{1} << (10 * (3 - i));
    if (bytes != 0 && bytes % unit == 0) return std::to_string(bytes / unit) + " " + kUnits[i];
  }
  return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  FileIdentity x, y;
  return IdentityOf(a, x) && IdentityOf(b, y) && x == y;
}

std::string DescribeReadFailure(const ReadError& error) {
  switch (error.failure) {
    case ReadFailure::kNone: return "no failure";
    case ReadFailure::kOpen: return "cannot be opened";
    case ReadFailure::kBusy: return "is being written by another program";
    case ReadFailure::kLocked: return "is locked by another program";
    case ReadFailure::kFolder: return "is a folder";
    case ReadFailure::kSocket: return "is a socket";
    case ReadFailure::kNotAFile: return "is not a file";
    case ReadFailure::kEmpty: return "is empty";
    case ReadFailure::kNoMemory: return "does not fit in memory";
    case ReadFailure::kRead: return "cannot be read";
    case ReadFailure::kShortRead: return "ended before all its bytes were read";
    case ReadFailure::kTooLong:
      return "is a stream longer than " + SizeText(error.limit) + ", the most that is read from one";
    case ReadFailure::kUnrecognised: return "is of no format that is read here";
  }
  return "cannot be read";
}

std::string DescribeReadError(const ReadError& error, std::string_view shownPath) {
  const std::string path(shownPath);
  switch (error.failure) {
    case ReadFailure::kOpen: return WithReason("cannot open " + path, error.reason);
    case ReadFailure::kRead: return WithReason("cannot read " + path, error.reason);
    default: return WithReason(path + " " + DescribeReadFailure(error), error.reason);
  }
}

std::string DescribeWriteError(const WriteError& error, std::string_view shownPath) {
  const std::string path(shownPath);
  switch (error.failure) {
    case WriteFailure::kNone: return path + " was written";
    case WriteFailure::kExists: return path + " exists";
    case WriteFailure::kNotAFile: return path + " is " + error.kind + ", not a regular file; it is never replaced";
    case WriteFailure::kKept: return path + " is not replaced";
    case WriteFailure::kReadOnly: return path + " is read-only";
    case WriteFailure::kOwnStream: return path + " is this program's " + error.kind + "; it is never replaced";
    case WriteFailure::kNoFolder: {
      const PathParts parts = SplitPath(shownPath);
      const std::string folder = parts.drive + parts.directory;
      return folder.empty() ? "the folder of " + path + " does not exist" : "folder " + folder + " does not exist";
    }
    case WriteFailure::kNoSafeKeep:
      return "cannot write " + path +
             ": this file system cannot add a file without the risk of replacing one made meanwhile";
    case WriteFailure::kReplace: return WithReason("cannot put " + path + " in place", error.reason);
    case WriteFailure::kNoMemory: return "cannot write " + path + ": out of memory";
    case WriteFailure::kTerminal: return "standard output is a terminal; send it to a file or a pipe";
    case WriteFailure::kCreate:
    case WriteFailure::kWrite: break;
  }
  return WithReason("cannot write " + path, error.reason);
}

}  // namespace ridloe
