#include "core/error/error.h"

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

// A failed read as a phrase about the file: "is empty", "cannot be opened".
std::string ReadPhrase(const Error& error) {
  switch (error.step) {
    case Step::kOpen: return "cannot be opened";
    case Step::kBusy: return "is being written by another program";
    case Step::kLocked: return "is locked by another program";
    case Step::kFolder: return "is a folder";
    case Step::kSocket: return "is a socket";
    case Step::kNotAFile: return "is not a file";
    case Step::kEmpty: return "is empty";
    case Step::kNoMemory: return "does not fit in memory";
    case Step::kShortRead: return "ended before all its bytes were read";
    case Step::kTooLong:
      return "is a stream longer than " + SizeText(error.limit) + ", the most that is read from one";
    case Step::kUnrecognised: return "is of no format that is read here";
    default: return "cannot be read";
  }
}

std::string DescribeRead(const Error& error, const std::string& path) {
  if (path.empty()) return WithReason("file " + ReadPhrase(error), error.reason);
  switch (error.step) {
    case Step::kOpen: return WithReason("cannot open " + path, error.reason);
    case Step::kRead: return WithReason("cannot read " + path, error.reason);
    default: return WithReason(path + " " + ReadPhrase(error), error.reason);
  }
}

std::string DescribeWrite(const Error& error, const std::string& path) {
  switch (error.step) {
    case Step::kExists: return path + " exists";
    case Step::kNotRegular: return path + " is " + error.subject + ", not a regular file; it is never replaced";
    case Step::kKept:
      if (!error.subject.empty()) return path + " is " + error.subject + "; it is never replaced";
      if (!error.reason.empty()) {
        return path + " cannot be read to see what it holds (" + error.reason + "); it is not replaced";
      }
      return path + " is not replaced";
    case Step::kReadOnly: return path + " is read-only";
    case Step::kOwnStream: return path + " is this program's " + error.subject + "; it is never replaced";
    case Step::kNoFolder: {
      const PathParts parts = SplitPath(path);
      const std::string folder = parts.drive + parts.directory;
      return folder.empty() ? "the folder of " + path + " does not exist" : "folder " + folder + " does not exist";
    }
    case Step::kNoSafeKeep:
      return "cannot write " + path +
             ": this file system cannot add a file without the risk of replacing one made meanwhile";
    case Step::kReplace: return WithReason("cannot put " + path + " in place", error.reason);
    case Step::kNoWriteMemory: return "cannot write " + path + ": out of memory";
    case Step::kTerminal: return "standard output is a terminal; send it to a file or a pipe";
    default: return WithReason("cannot write " + path, error.reason);
  }
}

std::string DescribeConversion(const Error& error, const std::string& path) {
  switch (error.step) {
    case Step::kWrittenThisRun: return "would replace " + path + ", written from " + error.subject + " in this run";
    case Step::kSameFile: return "the output " + path + " is the input itself";
    case Step::kFormatConflict: return path + " does not end in " + error.subject + ", the format asked for";
    case Step::kInputFormat: return path + " is already " + error.subject + "; nothing to convert";
    default: return path + ": nothing to write";
  }
}

}  // namespace

Stage StageOf(Step step) {
  if (step == Step::kNone) return Stage::kNone;
  if (step <= Step::kUnrecognised) return Stage::kRead;
  if (step <= Step::kParserStart) return Stage::kLoad;
  if (step <= Step::kTerminal) return Stage::kWrite;
  return Stage::kConvert;
}

std::string Place::Describe() const {
  if (line >= 0) return "line " + std::to_string(line) + ", column " + std::to_string(column);
  std::string out = record;
  if (!record.empty() && index >= 0) {
    out.push_back(' ');
    out.append(std::to_string(index));
  }
  if (offset >= 0) {
    if (!out.empty()) out.push_back(' ');
    out.append("at byte ");
    out.append(std::to_string(offset));
  }
  return out;
}

std::string Error::Describe(std::string_view file) const {
  const std::string path(file);
  switch (stage()) {
    case Stage::kNone: return "no failure";
    case Stage::kRead: return DescribeRead(*this, path);
    case Stage::kWrite: return DescribeWrite(*this, path.empty() ? std::string("the output") : path);
    case Stage::kConvert: return DescribeConversion(*this, path.empty() ? std::string("the output") : path);
    case Stage::kLoad: break;
  }
  std::string out = path;
  const std::string where = place.Describe();
  if (!where.empty()) out += (out.empty() ? "" : ": ") + where;
  if (!out.empty()) out += ": ";
  return out + reason;
}

}  // namespace ridloe
