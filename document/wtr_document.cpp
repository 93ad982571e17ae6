// The WTR reader and writer, and the load that every document shares.
#include "document/wtr_document.h"

#include <cstring>

#include "document/bytes.h"
#include "document/cp950.h"
#include "document/file_io.h"
#include "document/line_format.h"
#include "document/wtr_format.h"

namespace ridloe {
namespace {

bool MarkerAt(const std::uint8_t* data, std::size_t size, std::size_t at, const std::uint8_t* marker) {
  return at <= size && size - at >= kWtrMarkerSize && std::memcmp(data + at, marker, kWtrMarkerSize) == 0;
}

// Counts the fixed-size items from `at` up to the closing marker. Only whole
// items are counted; `closed` says whether the marker was found.
std::size_t CountUntilMarker(const std::uint8_t* data, std::size_t size, std::size_t at, std::size_t itemSize,
                             const std::uint8_t* marker, bool& closed) {
  std::size_t count = 0;
  closed = false;
  while (at < size) {
    if (MarkerAt(data, size, at, marker)) {
      closed = true;
      break;
    }
    if (size - at < itemSize) break;
    ++count;
    at += itemSize;
  }
  return count;
}

}  // namespace

bool WtrDocument::Fail(LoadStep step, std::string reason, std::int64_t offset, std::string record,
                       std::int64_t index) {
  return error_.Set(step, std::move(reason), offset, std::move(record), index);
}

bool WtrDocument::Load(const std::string& path, ListSink* waypointSink, ListSink* trackSink) {
  error_ = LoadError{};
  ByteBlock buffer;
  ReadFailure why = ReadFailure::kNone;
  if (!ReadWholeFile(path, buffer, &why)) return FailRead(why);
  return ParseBuffer(std::move(buffer), waypointSink, trackSink);
}

bool WtrDocument::ParseBuffer(ByteBlock buffer, ListSink* waypointSink, ListSink* trackSink) {
  return Parse(buffer.data(), buffer.size(), waypointSink, trackSink);
  // The buffer is released here, on every path.
}

bool WtrDocument::FailRead(ReadFailure why) {
  return Fail(LoadStep::kFileRead, std::string("file ") + DescribeReadFailure(why));
}

bool WtrDocument::Parse(const std::uint8_t* data, std::size_t size, ListSink* waypointSink, ListSink* trackSink) {
  error_ = LoadError{};
  if (!MarkerAt(data, size, 0, kWtrWaypointMarker)) {
    return Fail(LoadStep::kSignature, "file does not start with the waypoint section marker", 0);
  }
  bool closed = false;
  const std::size_t count = CountUntilMarker(data, size, kWtrBlockSize, kWtrRecordSize, kWtrTrackMarker, closed);
  if (count > static_cast<std::size_t>(INT32_MAX)) return Fail(LoadStep::kWaypointAlloc, "too many waypoint records");
  const std::size_t trackBlock = kWtrBlockSize + count * kWtrRecordSize;
  if (count > 0) {
    waypointCount = static_cast<std::int32_t>(count);
    waypoints = AllocateZeroed<WaypointRecord>(count);
    if (!waypoints) return Fail(LoadStep::kWaypointAlloc, "out of memory for the waypoints");
    char line[kLineBufferSize];
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t* in = data + kWtrBlockSize + i * kWtrRecordSize;
      WaypointRecord& w = waypoints[i];
      std::memcpy(w.name, in, kWtrNameSize);  // a NUL among the 10 bytes ends the name early
      w.latitude = LoadI32(in + kWtrLatitudeOffset);
      w.longitude = LoadI32(in + kWtrLongitudeOffset);
      w.altitude = static_cast<float>(AltitudeShown(LoadF32(in + kWtrAltitudeOffset)));
      w.symbol = LoadU16(in + kWtrSymbolOffset);
      if (waypointSink) waypointSink->AddLine({line, FormatWaypointLine(line, w.name, w.altitude)});
    }
  }
  if (!closed) {
    return Fail(LoadStep::kTruncated, "data ends before the track section marker",
                static_cast<std::int64_t>(trackBlock));
  }
  // An empty waypoint section ends the load; track contents are not looked at.
  if (count == 0) return true;

  const std::size_t header = trackBlock + kWtrBlockSize;
  if (!MarkerAt(data, size, header, kWtrTrackHeaderMarker)) return true;
  trackCount = 1;
  tracks = AllocateZeroed<TrackRecord>(1);
  if (!tracks) return Fail(LoadStep::kTrackAlloc, "out of memory for the track");
  TrackRecord& track = tracks[0];
  const std::size_t nameAt = header + kWtrTrackNameOffset;
  if (nameAt < size) {
    const std::uint8_t* name = data + nameAt;
    const std::size_t room = std::min<std::size_t>(size - nameAt, sizeof track.name);
    const std::ptrdiff_t nul = BoundedStringLength(name, room);
    const std::size_t length = nul < 0 ? room : static_cast<std::size_t>(nul);
    // A name that fits is kept byte for byte; a longer one is cut on a whole
    // character so that the field keeps its terminator.
    const std::size_t keep = Cp950CutLength(name, length, sizeof track.name - 1);
    std::memcpy(track.name, name, keep);
  }
  const std::size_t firstPoint = header + kWtrFirstPointOffset;
  const std::size_t points =
      firstPoint <= size ? CountUntilMarker(data, size, firstPoint, kWtrPointSize, kWtrRouteMarker, closed) : 0;
  if (firstPoint > size) closed = false;
  track.pointCount = static_cast<std::int32_t>(std::min<std::size_t>(points, INT32_MAX));
  track.points = AllocateZeroed<TrackPoint>(points);
  if (!track.points) {
    return Fail(LoadStep::kTrackConversion, "out of memory for the track's points", static_cast<std::int64_t>(header));
  }
  for (std::size_t k = 0; k < points; ++k) {
    const std::uint8_t* in = data + firstPoint + k * kWtrPointSize;
    TrackPoint& p = track.points[k];
    p.latitude = LoadI32(in);
    p.longitude = LoadI32(in + 4);
    p.longitudeDegrees = SemicirclesToDegrees(p.longitude);
    p.latitudeDegrees = SemicirclesToDegrees(p.latitude);
    p.altitude = LoadF32(in + 12);
    SetPointTime(p, LoadU32(in + 8));
  }
  if (trackSink) {
    char line[kLineBufferSize];
    trackSink->AddLine({line, FormatTrackLine(line, track.name, track.pointCount)});
  }
  if (!closed) {
    return Fail(LoadStep::kTruncated, "data ends before the route section marker",
                static_cast<std::int64_t>(firstPoint + points * kWtrPointSize));
  }
  return true;
}

bool WtrDocument::SaveWtr(const std::string& path) const {
  if (waypointCount <= 0 || !waypoints) return false;
  AtomicFileWriter out(path);
  if (!out.Open()) return false;
  return WriteWtr([&out](const std::uint8_t* bytes, std::size_t size) { return out.Write(bytes, size); }) &&
         out.Commit();
}

bool WtrDocument::EncodeWtr(std::vector<std::uint8_t>& out) const {
  if (waypointCount > 0) out.reserve(out.size() + WtrFileSize(static_cast<std::size_t>(waypointCount)));
  return WriteWtr([&out](const std::uint8_t* bytes, std::size_t size) {
    out.insert(out.end(), bytes, bytes + size);
    return true;
  });
}

bool WtrDocument::WriteWtr(const WtrWrite& write) const {
  if (waypointCount <= 0 || !waypoints) return false;
  std::uint8_t block[kWtrBlockSize] = {};
  std::memcpy(block, kWtrWaypointMarker, kWtrMarkerSize);
  if (!write(block, sizeof block)) return false;
  std::uint8_t record[kWtrRecordSize] = {};
  for (std::int32_t i = 0; i < waypointCount; ++i) {
    const WaypointRecord& w = waypoints[i];
    // Ten name bytes padded with spaces. A name that fits is written byte for
    // byte; a longer one is cut after its last whole character, so a two-byte
    // character across bytes 9 and 10 is left out rather than split.
    const auto* name = reinterpret_cast<const std::uint8_t*>(w.name);
    const std::size_t length = strnlen(w.name, sizeof w.name);
    const std::size_t keep = Cp950CutLength(name, length, kWtrNameSize);
    std::memcpy(record, name, keep);
    std::memset(record + keep, ' ', kWtrNameSize - keep);
    // The reader takes a record that starts with the track section marker for
    // the end of the waypoints, and would lose this one and all after it. Only
    // a name whose first byte is 0xFF, which is no part of any character, can
    // start that way; that byte is written as '?'.
    if (std::memcmp(record, kWtrTrackMarker, kWtrMarkerSize) == 0) record[0] = '?';
    StoreI32(record + kWtrLatitudeOffset, w.latitude);
    StoreI32(record + kWtrLongitudeOffset, w.longitude);
    StoreF32(record + kWtrAltitudeOffset, w.altitude);
    StoreU16(record + kWtrSymbolOffset, w.symbol);
    if (!write(record, sizeof record)) return false;
  }
  std::memcpy(block, kWtrTrackMarker, kWtrMarkerSize);
  if (!write(block, sizeof block)) return false;
  std::memcpy(block, kWtrRouteMarker, kWtrMarkerSize);
  return write(block, sizeof block);
}

}  // namespace ridloe
