// Why a load failed: the step, the record at fault and where it sits.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace ridloe {

enum class LoadStep {
  kNone,
  kFileRead,          // the file could not be read whole
  kSignature,         // MPS: the first 6 bytes; WTR: the first marker
  kFirstRecord,       // MPS: the record after the signature cannot be framed
  kARecord,           // MPS: the second record is missing or malformed
  kWaypointRun,       // a waypoint record does not parse
  kWaypointAlloc,     // the waypoint array cannot be allocated
  kTrackRun,          // a track record does not parse
  kTrackCount,        // more tracks than the document holds
  kTrackAlloc,        // the track array cannot be allocated
  kTrackConversion,   // a track's points cannot be allocated
  kLRun,              // an 'L' record does not parse
  kTruncated,         // the data ends early: WTR before a closing marker, MPS inside a record
  kSyntax,            // GPX: the XML is malformed, or a value the file must give is missing or wrong
  kRouteRun,          // a route record does not parse
  kRouteAlloc,        // the routes or their points cannot be allocated
  kParserStart,       // GPX: the XML parser could not be started
};

struct LoadError {
  LoadStep step = LoadStep::kNone;
  std::string reason;            // plain words, e.g. "comment has no terminating NUL"
  std::string record;            // e.g. "waypoint record"; empty when no record is at fault
  std::int64_t index = -1;       // index of the record within its run, or -1
  std::int64_t offset = -1;      // byte offset in the file of the record or byte at fault, or -1
  std::int64_t line = -1;        // for text files: the line (from 1) and column (from 1) at fault, or -1
  std::int64_t column = -1;

  bool failed() const { return step != LoadStep::kNone; }

  // Records why a load failed; returns false, for `return error.Set(...)`.
  bool Set(LoadStep failedStep, std::string why, std::int64_t at = -1, std::string what = {},
           std::int64_t recordIndex = -1) {
    step = failedStep;
    reason = std::move(why);
    offset = at;
    record = std::move(what);
    index = recordIndex;
    line = column = -1;
    return false;
  }
  // Records why a text file failed to load, and where.
  bool SetAt(LoadStep failedStep, std::string why, std::int64_t atLine, std::int64_t atColumn) {
    Set(failedStep, std::move(why));
    line = atLine;
    column = atColumn;
    return false;
  }
  // "waypoint record 4 at byte 1234: comment has no terminating NUL", or
  // "line 3, column 7: not well-formed (invalid token)"
  std::string Describe() const {
    if (line >= 0) return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + reason;
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
    if (!out.empty()) out.append(": ");
    out.append(reason);
    return out;
  }
};

}  // namespace ridloe
