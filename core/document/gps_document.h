// The in-memory document: the waypoints and tracks of one loaded file, and
// why its load failed. Each file format derives its reader from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/bytes/byte_block.h"
#include "core/document/list_sink.h"
#include "core/document/records.h"
#include "core/error/error.h"

namespace ridloe {

struct SymbolNumbering;

// What a load fills in.
enum class LoadParts {
  kAll,
  // The waypoints and the track count; a reader may skip the tracks' points.
  // For callers that write the waypoints alone. A load with a track sink
  // still lists every track.
  kWaypointsAndCounts,
};

// A waypoint's text as the file holds it, in the document's text encoding:
// the whole name (which the record's 12-byte field may cut), the comment and,
// where the format has them, the description, the symbol's name and the time.
// Views into memory the document owns; empty when the file holds none.
struct WaypointText {
  std::string_view name = {};
  std::string_view comment = {};
  std::string_view description = {};
  std::string_view symbol = {};  // the symbol's name ("Summit"); the record holds its code
  std::string_view time = {};    // as written in the file
};

// How many points of each kind, for counts such as the points a load left out.
struct PointCounts {
  std::int64_t waypoints = 0;
  std::int64_t routePoints = 0;
  std::int64_t trackPoints = 0;

  bool any() const { return waypoints || routePoints || trackPoints; }
};

// A latitude beyond ±90°: no place on Earth (2^30 semicircles are 90°).
inline bool BeyondPoles(std::int32_t latitude) { return latitude > (1 << 30) || latitude < -(1 << 30); }

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
  // or release it as soon as it has what it keeps. After Watch, the buffer
  // holds the bytes it saw.
  virtual bool ParseBuffer(ByteBlock buffer, ListSink* waypointSink, ListSink* trackSink);

  // Looks at a file's bytes while they are read, before the whole file is
  // in: `soFar` is every byte read yet (more each call), `most` the most the
  // read will take (the file's size, or a stream's limit). False once the
  // bytes read are enough to tell the file is damaged, or to have what the
  // reader reads, so that reading stops there; ParseBuffer then says why. A
  // reader that parses as the bytes arrive may do so here, with the sinks
  // ParseBuffer will get. By default it waits for the whole file.
  virtual bool Watch(ByteSpan soFar, std::size_t most, ListSink* waypointSink, ListSink* trackSink);

  // The text of waypoint `index` (below waypointCount, waypoints present).
  // By default the record's name and no comment; a reader whose files hold
  // more says so.
  virtual WaypointText TextOf(std::int32_t index) const;
  // The whole name of track `index` (below trackCount, tracks present); by
  // default the record's.
  virtual std::string_view TrackNameOf(std::int32_t index) const;
  // The whole name of route `index` (below routeCount, routes present), and
  // the text of its point `point`; by default the records'.
  virtual std::string_view RouteNameOf(std::int32_t index) const;
  virtual WaypointText RoutePointTextOf(std::int32_t route, std::int32_t point) const;
  // Whether the file stores every route point among its waypoints as well
  // (MPS files do), so that writing the waypoints writes the route points.
  virtual bool RoutePointsAreWaypoints() const { return false; }

  // Whether the text (TextOf, TrackNameOf and the lines a load reports) is
  // UTF-8. Otherwise it is 8-bit text in a code page the file does not name:
  // code page 950 unless the user says another. The records' names are
  // always 8-bit code page text, as a WTR file holds them.
  virtual bool TextIsUtf8() const { return false; }
  // Whose numbers the symbol codes as loaded are: each format numbers
  // symbols its own way, and says so where it defines its numbering.
  virtual const SymbolNumbering& symbolNumbering() const = 0;
  // The symbol code of waypoint `index` as loaded, before any translation.
  std::uint16_t SymbolAsLoaded(std::int32_t index) const {
    return symbolsAsLoaded && index < symbolsAsLoadedCount ? symbolsAsLoaded[index] : waypoints[index].symbol;
  }

  const Error& error() const { return error_; }
  // Whether the load got past what tells the file's format (an MPS file's
  // header, a WTR file's first block, a GPX file's root element) to its
  // records: only then are its counts worth telling, also when it failed.
  bool reachedRecords() const { return reachedRecords_; }
  // Records `why` (a failed whole-file read, say) as the reason the load
  // failed; false.
  bool FailWith(const Error& why) {
    error_ = why;
    return false;
  }

  // Set before the load.
  LoadParts parts = LoadParts::kAll;

  // Declared before the tracks, which may view it, so that it outlives them.
 protected:
  ZeroedArray<TrackPoint> pointPool_;  // the points of every track, when kept together
  ZeroedArray<WaypointRecord> routePointPool_;  // the points of every route, when kept together

 public:
  std::int32_t waypointCount = 0;
  ZeroedArray<WaypointRecord> waypoints;  // absent when not allocated
  std::int32_t trackCount = 0;
  ZeroedArray<TrackRecord> tracks;  // absent when not allocated

  // The waypoints' symbol codes as loaded, kept by the first symbol
  // translation so that every later one starts from them.
  ZeroedArray<std::uint16_t> symbolsAsLoaded;
  std::int32_t symbolsAsLoadedCount = 0;

  // Routes the file holds; -1 where the reader does not read them (WTR).
  std::int32_t routeCount = -1;
  ZeroedArray<RouteRecord> routes;  // absent when not allocated or there are none
  // Points the load left out because their latitude lies beyond ±90°.
  PointCounts beyondPoles;
  // Characters of the text that the records' code page has no form for and
  // that the records hold as '?' (a reader of Unicode text fills it).
  std::int64_t unmappedCharacters = 0;
  // Control characters of the text (a line feed, DEL) that the records'
  // names hold as '?'.
  std::int64_t controlCharacters = 0;

 protected:
  bool Fail(Step step, std::string reason, Place place = {}) {
    return error_.Fail(step, std::move(reason), std::move(place));
  }

  Error error_;
  bool reachedRecords_ = false;
};

// The points of `document` whose latitude lies beyond ±90° (the routes' only
// with `routes`), for a writer whose format does not take them.
PointCounts CountBeyondPoles(const GpsDocument& document, bool routes);

}  // namespace ridloe
