#include "formats/mps/mps_document.h"

#include <cstring>
#include <utility>

#include "core/document/line_format.h"
#include "core/platform/file_access.h"

namespace ridloe {

bool MpsDocument::Parse(const std::uint8_t* data, std::size_t size, ListSink* waypointSink, ListSink* trackSink) {
  // The document keeps the records it reads: work on a copy it owns.
  ByteBlock copy;
  if (!copy.Allocate(size)) {
    return FailWith(Error(Step::kNoMemory));
  }
  if (size) std::memcpy(copy.data(), data, size);
  return ParseBuffer(std::move(copy), waypointSink, trackSink);
}

bool MpsDocument::ParseBuffer(ByteBlock buffer, ListSink* waypointSink, ListSink* trackSink) {
  error_ = Error{};
  records_ = std::move(buffer);
  ByteCursor cursor(records_.bytes());
  // Only the bytes read so far stay with the document when the load ends early.
  const auto stopHere = [&](bool result) {
    records_.Truncate(cursor.offset());
    return result;
  };
  if (!header.ReadHeader(cursor, error_)) return stopHere(false);
  reachedRecords_ = true;
  routeCount = 0;  // routes are read, whether or not the file holds any
  waypointSection.headerForm = header.IsVersion3() ? MpsWaypointHeader::kVersion3 : MpsWaypointHeader::kByByte4;
  routeSection.headerForm = waypointSection.headerForm;
  if (!waypointSection.ReadRun(cursor, error_)) return stopHere(false);
  waypointCount = waypointSection.count;

  // Frame the route, track and 'L' runs before the document grows, so that
  // the bytes after them can go first. Routes sit between the waypoints and
  // the tracks. Their records are parsed in their turn below, and a framing
  // that failed is reported where reading that run would have failed.
  Error routeFrameError;
  Error trackFrameError;
  Error lFrameError;
  const bool routesFramed = routeSection.FrameRun(cursor, routeFrameError);
  const auto trackRunOffset = static_cast<std::int64_t>(cursor.offset());
  const bool tracksFramed = routesFramed && trackSection.FrameRun(cursor, trackFrameError);
  const bool lFramed = tracksFramed && lSection.FrameRun(cursor, lFrameError);
  // The records after the runs must frame up to a 'V' record or the exact
  // end of the file; one that does not means the file was cut short or
  // damaged. Checked while those bytes are still here, reported once
  // everything before it has been read and listed.
  Error restError;
  if (lFramed) {
    const std::size_t before = 2 + static_cast<std::size_t>(waypointCount) + static_cast<std::size_t>(routeSection.count) +
                               static_cast<std::size_t>(trackSection.count) + static_cast<std::size_t>(lSection.count);
    restError = FrameToEnd(cursor, before);
  }
  stopHere(true);

  if (waypointCount > 0) {
    waypoints = AllocateZeroed<WaypointRecord>(static_cast<std::size_t>(waypointCount));
    if (!waypoints) return Fail(Step::kWaypointAlloc, "out of memory for the waypoints");
    char line[kLineBufferSize];
    for (std::int32_t i = 0; i < waypointCount; ++i) {
      WaypointRecord& waypoint = waypoints[i];
      waypointSection.ConvertWaypoint(i, waypoint);
      if (waypointSink) {
        const std::size_t n = FormatWaypointLine(line, waypoint.name, AltitudeShown(waypoint.altitude));
        waypointSink->AddLine({line, n});
      }
    }
  }

  if (!routesFramed) {
    error_ = routeFrameError;
    return false;
  }
  if (!routeSection.ParseRun(error_)) return false;
  routeCount = routeSection.count;
  if (!ConvertRoutes()) return false;

  if (!tracksFramed) {
    error_ = trackFrameError;
    return false;
  }
  if (!trackSection.ParseRun(error_)) return false;
  trackCount = trackSection.count;
  if (trackCount < 0 || trackCount > kMaxTracks) {
    return Fail(Step::kTrackCount,
                "file holds " + std::to_string(trackCount) + " tracks, more than " + std::to_string(kMaxTracks),
                Place::Byte(trackRunOffset));
  }
  if (!ConvertTracks(trackSink)) return false;

  if (!lFramed) {
    error_ = lFrameError;
    return false;
  }
  if (!lSection.ParseRun(error_)) return false;
  if (restError.failed()) {
    error_ = std::move(restError);
    return false;
  }
  return true;
}

bool MpsDocument::ConvertRoutes() {
  if (routeCount == 0) return true;
  routes = AllocateZeroed<RouteRecord>(static_cast<std::size_t>(routeCount));
  const std::uint64_t total = routeSection.TotalPoints();  // bounded by the bytes the run framed
  routePointPool_ = AllocateZeroed<WaypointRecord>(total);
  routePointRefs_ = AllocateZeroed<MpsRoutePointRef>(total);
  WaypointsByName named;
  if (!routes || !routePointPool_ || !routePointRefs_ || !named.Build(waypointSection)) {
    return Fail(Step::kRouteAlloc, "out of memory for the routes");
  }
  std::size_t next = 0;
  for (std::int32_t j = 0; j < routeCount; ++j) {
    if (Error why; !routeSection.ConvertRoute(j, routes[j], routePointPool_.get() + next,
                                              routePointRefs_.get() + next, waypoints.get(), named, why)) {
      routeCount = j;  // the routes before it are whole
      return Fail(Step::kRouteRun, std::move(why.reason), routeSection.PlaceOf(j));
    }
    next += static_cast<std::size_t>(routes[j].pointCount);
  }
  return true;
}

WaypointText MpsDocument::RoutePointTextOf(std::int32_t route, std::int32_t point) const {
  const auto flat = static_cast<std::size_t>(&routes[route].points[point] - routePointPool_.get());
  const MpsRoutePointRef& ref = routePointRefs_[flat];
  WaypointText text{.name = routeSection.PointNameOf(route, ref)};
  if (ref.waypoint >= 0) text.comment = waypointSection.TextOf(ref.waypoint).comment;
  return text;
}

bool MpsDocument::ConvertTracks(ListSink* trackSink) {
  if (trackCount == 0) return true;
  // A load for the waypoints and counts alone skips the points nobody will read.
  if (parts == LoadParts::kWaypointsAndCounts && !trackSink) return true;
  tracks = AllocateZeroed<TrackRecord>(static_cast<std::size_t>(trackCount));
  if (!tracks) return Fail(Step::kTrackAlloc, "out of memory for the tracks");
  // One block for every track's points; where it cannot be had, each track
  // asks for its own.
  pointPool_ = AllocateZeroed<TrackPoint>(trackSection.TotalPoints());
  TrackPoint* next = pointPool_.get();
  char line[kLineBufferSize];
  for (std::int32_t j = 0; j < trackCount; ++j) {
    if (!trackSection.ConvertTrack(j, tracks[j], next)) {
      return Fail(Step::kTrackConversion, "out of memory for the track's points", Place::Record("track record", j, -1));
    }
    if (next) next += tracks[j].pointCount;
    if (trackSink) {
      const std::size_t n = FormatTrackLine(line, tracks[j].name, tracks[j].pointCount);
      trackSink->AddLine({line, n});
    }
  }
  return true;
}

}  // namespace ridloe
