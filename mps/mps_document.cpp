#include "mps/mps_document.h"

#include "document/line_format.h"

namespace ridloe {

bool MpsDocument::Parse(const std::uint8_t* data, std::size_t size, ListSink* waypointSink, ListSink* trackSink) {
  return ParseRuns(data, size, nullptr, waypointSink, trackSink);
}

bool MpsDocument::ParseBuffer(ByteBlock buffer, ListSink* waypointSink, ListSink* trackSink) {
  return ParseRuns(buffer.data(), buffer.size(), &buffer, waypointSink, trackSink);
}

bool MpsDocument::ParseRuns(const std::uint8_t* data, std::size_t size, ByteBlock* owned, ListSink* waypointSink,
                            ListSink* trackSink) {
  error_ = LoadError{};
  ByteCursor cursor(data, size);
  if (!header.ReadHeader(cursor, error_)) return false;
  if (!waypointSection.ReadRun(cursor, error_)) return false;

  waypointCount = waypointSection.count;
  // Without waypoints the rest of the file is not read.
  if (waypointCount == 0) return true;

  // Copy the track and 'L' runs before the document grows, so that the file's
  // bytes can go first. Their records are parsed in their turn below, and a
  // copy that failed is reported where reading that run would have failed.
  const std::int64_t trackRunOffset = static_cast<std::int64_t>(cursor.offset());
  LoadError trackCopyError;
  LoadError lCopyError;
  const bool tracksCopied = trackSection.CopyRun(cursor, trackCopyError);
  const bool lCopied = tracksCopied && lSection.CopyRun(cursor, lCopyError);
  if (owned) owned->Release();

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

  if (!tracksCopied) {
    error_ = trackCopyError;
    return false;
  }
  if (!trackSection.ParseRun(error_)) return false;
  trackCount = trackSection.count;
  if (trackCount < 0 || trackCount > kMaxTracks) {
    return Fail(LoadStep::kTrackCount,
                "file holds " + std::to_string(trackCount) + " tracks, more than " + std::to_string(kMaxTracks),
                trackRunOffset);
  }
  if (!ConvertTracks(trackSink)) return false;

  if (!lCopied) {
    error_ = lCopyError;
    return false;
  }
  return lSection.ParseRun(error_);
}

bool MpsDocument::ConvertTracks(ListSink* trackSink) {
  if (trackCount == 0) return true;
  tracks = AllocateZeroed<TrackRecord>(static_cast<std::size_t>(trackCount));
  if (!tracks) return Fail(LoadStep::kTrackAlloc, "out of memory for the tracks");
  // One block for every track's points; where it cannot be had, each track
  // asks for its own.
  pointPool_ = AllocateZeroed<TrackPoint>(trackSection.TotalPoints());
  TrackPoint* next = pointPool_.get();
  char line[kLineBufferSize];
  for (std::int32_t j = 0; j < trackCount; ++j) {
    if (!trackSection.ConvertTrack(j, tracks[j], next)) {
      return Fail(LoadStep::kTrackConversion, "out of memory for the track's points", -1, "track record", j);
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
