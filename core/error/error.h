// Why something failed, as one value: the step that failed, the place in the
// file (a record and its byte, or a line and column), the system's reason or
// the plain words of what is wrong, and one Describe that makes the sentence.
// Reading a file, loading a document from it, writing one and converting all
// fail with this one type; the layer that knows more (which record, which
// format) fills in the rest before passing it up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace ridloe {

enum class Step : std::uint8_t {
  kNone,
  // Reading a file's bytes.
  kOpen,          // the system would not open it (reason says why)
  kBusy,          // another program is writing it
  kLocked,        // another program holds a lock on it that keeps readers out
  kFolder,        // it is a folder
  kSocket,        // it is a socket
  kNotAFile,      // it is something else that holds no bytes to read
  kEmpty,         // it holds no bytes
  kNoMemory,      // its bytes do not fit in memory
  kRead,          // a read failed (reason says why)
  kShortRead,     // fewer bytes arrived than its size said (it shrank)
  kTooLong,       // a stream went on past the stream limit (limit says which)
  kUnrecognised,  // its first bytes begin no file the caller reads
  // Loading a document from the bytes; the place says where, the reason what.
  kSignature,         // the first bytes are not the format's signature or marker
  kHeader,            // the records that follow the signature are missing or malformed
  kRecord,            // a record does not parse (the caller names the run it is in)
  kWaypointRun,       // a waypoint record does not parse
  kWaypointAlloc,     // the waypoint array cannot be allocated
  kTrackRun,          // a track record does not parse
  kTrackCount,        // more tracks than the document holds
  kTrackAlloc,        // the track array cannot be allocated
  kTrackConversion,   // a track's points cannot be allocated
  kRouteRun,          // a route record does not parse
  kRouteAlloc,        // the routes or their points cannot be allocated
  kCheckedRun,        // a record of a run that is only checked, never kept, does not parse
  kTruncated,         // the data ends early: inside a record, or before a closing record or marker
  kSyntax,            // a text file is malformed, or a value it must give is missing or wrong
  kParserStart,       // the text parser could not be started
  // Writing a file.
  kExists,         // the target exists and was to be kept
  kNotRegular,     // the target is a folder, device, FIFO, socket or broken link (subject says which)
  kKept,           // the caller's check refused to replace what the target holds
  kReadOnly,       // the target is a read-only file
  kOwnStream,      // the target is one of this process's standard streams (subject says which)
  kNoFolder,       // the target's folder does not exist
  kNoSafeKeep,     // the file system cannot add a file without the risk of replacing one
  kCreate,         // no file can be made in the target's folder
  kWrite,          // a write or the final flush failed
  kReplace,        // the finished file could not be put in the target's place
  kNoWriteMemory,  // no memory to make the output
  kTerminal,       // standard output is a terminal, which takes no file's bytes
  // Converting one file into another.
  kWrittenThisRun,  // the output is a file an earlier conversion of the run wrote (subject: from what)
  kSameFile,        // the output names the input itself
  kFormatConflict,  // the output's name ends in another extension than the format's (subject)
  kInputFormat,     // the input is already in the output's format (subject: what it is)
  kNoWaypoints,     // the input holds nothing the output's format takes: nothing written
};

// Which part of the work a step belongs to.
enum class Stage : std::uint8_t { kNone, kRead, kLoad, kWrite, kConvert };
Stage StageOf(Step step);

// Where in a file a fault lies. A binary file names the record (its kind, its
// index within its run) and the byte; a text file the line and column.
struct Place {
  std::string record;          // e.g. "waypoint record"; empty when no record is at fault
  std::int64_t index = -1;     // the record's index within its run, or -1
  std::int64_t offset = -1;    // the byte offset of the record or byte at fault, or -1
  std::int64_t line = -1;      // from 1, or -1
  std::int64_t column = -1;    // from 1, or -1

  static Place Byte(std::int64_t offset) { return Record({}, -1, offset); }
  static Place Record(std::string record, std::int64_t index, std::int64_t offset) {
    Place place;
    place.record = std::move(record);
    place.index = index;
    place.offset = offset;
    return place;
  }
  static Place Line(std::int64_t line, std::int64_t column) {
    Place place;
    place.line = line;
    place.column = column;
    return place;
  }

  // "waypoint record 4 at byte 1234", "line 3, column 7"; empty when unknown.
  std::string Describe() const;
};

struct Error {
  Error() = default;
  Error(Step failed, std::string why = {}, std::string what = {}, Place where = {})
      : step(failed), reason(std::move(why)), subject(std::move(what)), place(std::move(where)) {}

  Step step = Step::kNone;
  // The system's words ("Permission denied", "No space left on device") for
  // a read or a write; the plain words of what is wrong for a load ("comment
  // has no terminating NUL").
  std::string reason;
  // What the step names beyond the file: the kind of a target that is not a
  // regular file ("a folder"), which stream ("standard output"), what an
  // output holds or an input is ("an MPS file"), the extension asked for, the
  // input an output was written from.
  std::string subject;
  std::size_t limit = 0;  // for kTooLong: the stream limit the stream went past
  Place place;

  bool failed() const { return step != Step::kNone; }
  Stage stage() const { return StageOf(step); }

  // Records a failure; returns false, for `return error.Fail(...)`.
  bool Fail(Step failed, std::string why, Place where = {}) {
    *this = Error(failed, std::move(why), {}, std::move(where));
    return false;
  }
  // This failure as the failure of `failed` at `where`: a helper says what
  // is wrong, its caller in which step and where.
  Error In(Step failed, Place where) const {
    return Error(failed, reason, subject, std::move(where));
  }

  // The failure as one sentence. With `file` (as it is shown), about that
  // file: "cannot open trip.mps: Permission denied", "trip.mps: waypoint
  // record 4 at byte 1234: comment has no terminating NUL", "folder out/
  // does not exist", "would replace out.wtr, written from a.mps in this run".
  // Without, about the file being read: "file is empty", "line 3, column 7:
  // not well-formed (invalid token)".
  std::string Describe(std::string_view file = {}) const;
};

// Records what is wrong, in words, for the caller to name the step and the
// place (Error::In); false, for `return Fault(why, ...)`.
inline bool Fault(Error& why, std::string what) {
  why = Error(Step::kRecord, std::move(what));
  return false;
}

}  // namespace ridloe
