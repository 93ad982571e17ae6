#include "mps/mps_document.h"

#include "document/line_format.h"

namespace ridloe {

bool MpsDocument::Parse(const std::uint8_t* data, std::size_t size, ListSink* waypointSink, ListSink* trackSink) {
  error_ = LoadError{};
  ByteCursor cursor(data, size);
  if (!header.ReadHeader(cursor, error_)) return false;
  if (!waypointSection.ReadRun(cursor, error_)) return false;

  waypointCount = waypointSection.count;
  // Without waypoints the rest of the file is not read.
  if (waypointCount == 0) return true;
  waypoints = AllocateZeroed<WaypointRecord>(static_cast<std::size_t>(waypointCount));
  if (!waypoints) return Fail(LoadStep::kWaypointAlloc, "out of memory for the waypoints");
  char line[kLineBufferSize];
  for (std::int32_t i = 0; i < waypointCount; ++i) {
    WaypointRecord& waypoint = waypoints[i];
    waypointSection.ConvertWaypoint(i, waypoint);
    if (waypointSink) {
      const std::size_t n = FormatWaypointLine(line, waypoint.name, AltitudeShown(waypoint.altitude));
      waypointSink->AddLine({line, n});
    }
  }

  const std::int64_t trackRunOffset = static_cast<std::int64_t>(cursor.offset());
  if (!trackSection.ReadRun(cursor, error_)) return false;
  trackCount = trackSection.count;
  if (trackCount < 0 || trackCount > kMaxTracks) {
    return Fail(LoadStep::kTrackCount,
                "file holds " + std::to_string(trackCount) + " tracks, more than " + std::to_string(kMaxTracks),
                trackRunOffset);
  }
  if (trackCount > 0) {
    tracks = AllocateZeroed<TrackRecord>(static_cast<std::size_t>(trackCount));
    if (!tracks) return Fail(LoadStep::kTrackAlloc, "out of memory for the tracks");
    for (std::int32_t j = 0; j < trackCount; ++j) {
      if (!trackSection.ConvertTrack(j, tracks[j])) {
        return Fail(LoadStep::kTrackConversion, "out of memory for the track's points", -1, "track record", j);
      }
      if (trackSink) {
        const std::size_t n = FormatTrackLine(line, tracks[j].name, tracks[j].pointCount);
        trackSink->AddLine({line, n});
      }
    }
  }
  return lSection.ReadRun(cursor, error_);
}

}  // namespace ridloe
