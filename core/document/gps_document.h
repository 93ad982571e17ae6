// The in-memory document: the waypoints and tracks of one loaded file, and
// why its load failed. Each file format derives its reader from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/bytes/byte_block.h"
#include "core/document/list_sink.h"
#include "core/document/load_error.h"
#include "core/document/records.h"

namespace ridloe {

struct ReadError;

// What a load fills in.
enum class LoadParts {
  kAll,
  // The waypoints and the track count; a reader may skip the tracks' points.
  // For callers that write the waypoints alone. A load with a track sink
  // still lists every track.
  kWaypointsAndCounts,
};

// A waypoint's text as the file holds it, in the file's own encoding: the
// whole name (which the record's 12-byte field may cut) and the comment.
// Views into memory the document owns.
struct WaypointText {
  std::string_view name;
  std::string_view comment;  // empty when the file holds none
};

class GpsDocument {
 public:
  GpsDocument() = default;
  virtual ~GpsDocument() = default;
  GpsDocument(const GpsDocument&) = delete;
  GpsDocument& operator=(const GpsDocument&) = delete;

  // Reads the whole file and parses it. Called once on a fresh document; on
  // failure the document keeps what it had filled and error() says why.
  virtual bool Load(const std::string& path, ListSink* waypointSink, ListSink* trackSink);

  // The parse on its own, for bytes already in memory.
  virtual bool Parse(const std::uint8_t* data, std::size_t size, ListSink* waypointSink, ListSink* trackSink) = 0;

  // The parse of a buffer handed over whole. A reader may keep the buffer,
  // or release it as soon as it has what it keeps.
  virtual bool ParseBuffer(ByteBlock buffer, ListSink* waypointSink, ListSink* trackSink);

  // The text of waypoint `index` (below waypointCount, waypoints present).
  // By default the record's name and no comment; a reader whose files hold
  // more says so.
  virtual WaypointText TextOf(std::int32_t index) const;

  const LoadError& error() const { return error_; }
  // Records a failed whole-file read as the reason the load failed; false.
  bool FailRead(const ReadError& why);

  // Set before the load.
  LoadParts parts = LoadParts::kAll;

  // Declared before the tracks, which may view it, so that it outlives them.
 protected:
  ZeroedArray<TrackPoint> pointPool_;  // the points of every track, when kept together

 public:
  std::int32_t waypointCount = 0;
  ZeroedArray<WaypointRecord> waypoints;  // absent when not allocated
  std::int32_t trackCount = 0;
  ZeroedArray<TrackRecord> tracks;  // absent when not allocated

  // The waypoints' symbol codes as loaded, kept by the first symbol
  // translation so that every later one starts from them.
  ZeroedArray<std::uint16_t> symbolsAsLoaded;
  std::int32_t symbolsAsLoadedCount = 0;

 protected:
  bool Fail(LoadStep step, std::string reason, std::int64_t offset = -1, std::string record = {},
            std::int64_t index = -1) {
    return error_.Set(step, std::move(reason), offset, std::move(record), index);
  }

  LoadError error_;
};

}  // namespace ridloe
