// The WTR reader: every waypoint record up to the track section block, and
// at most one track after it.
#include <algorithm>
#include <climits>

#include "core/document/line_format.h"
#include "core/text/cp950.h"
#include "formats/wtr/wtr_document.h"
#include "formats/wtr/wtr_format.h"

namespace ridloe {
namespace {

// Counts the fixed-size items from the cursor up to the closing marker. Only
// whole items are counted; `closed` says whether the marker was found.
std::size_t CountUntilMarker(ByteCursor cursor, std::size_t itemSize, ByteSpan marker, bool& closed) {
  std::size_t count = 0;
  closed = false;
  while (!cursor.AtEnd()) {
    if (cursor.StartsWith(marker)) {
      closed = true;
      break;
    }
    if (!cursor.Skip(itemSize)) break;
    ++count;
  }
  return count;
}

// Why the sections after the track section block's start are not whole:
// every file a writer finishes ends its track section (a track, or nothing)
// with a whole route section block, so data that ends before that was cut.
// The failure is placed where the data ends short. Bytes after the route
// block are not looked at.
Error SectionsCutShort(ByteCursor cursor) {
  const Place end = Place::Byte(static_cast<std::int64_t>(cursor.offset() + cursor.remaining()));
  const auto cut = [&end](const char* why) { return Error(Step::kTruncated, why, {}, end); };
  if (!cursor.Skip(kWtrBlockSize)) return cut("data ends inside the track section block");
  if (cursor.StartsWith(kWtrTrackHeaderMarker)) {
    if (!cursor.Skip(kWtrFirstPointOffset)) return cut("data ends inside the track header");
    bool closed = false;
    const std::size_t points = CountUntilMarker(cursor, kWtrPointSize, kWtrRouteMarker, closed);
    if (!closed) return cut("data ends before the route section marker");
    cursor.Prechecked().Skip(points * kWtrPointSize);  // counted above, so within the data
  }
  if (cursor.remaining() < kWtrBlockSize) return cut("data ends before the route section block is whole");
  return {};
}

}  // namespace

bool WtrDocument::Parse(const std::uint8_t* data, std::size_t size, ListSink* waypointSink, ListSink* trackSink) {
  error_ = Error{};
  ByteCursor cursor(data, size);
  if (!cursor.StartsWith(kWtrWaypointMarker)) {
    return Fail(Step::kSignature, "file does not start with the waypoint section marker", Place::Byte(0));
  }
  reachedRecords_ = true;
  // A file that ends inside its first block holds no records.
  if (!cursor.Skip(kWtrBlockSize)) cursor.Prechecked().Skip(cursor.remaining());
  bool closed = false;
  const std::size_t count = CountUntilMarker(cursor, kWtrRecordSize, kWtrTrackMarker, closed);
  if (count > static_cast<std::size_t>(INT32_MAX)) return Fail(Step::kWaypointAlloc, "too many waypoint records");
  if (count > 0) {
    waypointCount = static_cast<std::int32_t>(count);
    waypoints = AllocateZeroed<WaypointRecord>(count);
    if (!waypoints) return Fail(Step::kWaypointAlloc, "out of memory for the waypoints");
    char line[kLineBufferSize];
    for (std::size_t i = 0; i < count; ++i) {
      // The records were counted whole above, and their fields lie within one.
      ByteCursor in;
      cursor.Prechecked().Sub(kWtrRecordSize, in);
      ByteCursor::PrecheckedReads field = in.Prechecked();
      WaypointRecord& w = waypoints[i];
      float altitude = 0;
      field.CopyBytes(w.name, kWtrNameSize);  // a NUL among the 10 bytes ends the name early
      field.Skip(kWtrLatitudeOffset - kWtrNameSize);
      field.ReadI32(w.latitude);
      field.ReadI32(w.longitude);
      field.ReadF32(altitude);
      field.Skip(kWtrSymbolOffset - kWtrAltitudeOffset - 4);
      field.ReadU16(w.symbol);
      w.altitude = static_cast<float>(AltitudeShown(altitude));
      if (waypointSink) waypointSink->AddLine({line, FormatWaypointLine(line, w.name, w.altitude)});
    }
  }
  if (!closed) {
    return Fail(Step::kTruncated, "data ends before the track section marker",
                Place::Byte(static_cast<std::int64_t>(kWtrBlockSize + count * kWtrRecordSize)));
  }
  // The sections that follow must be whole; a cut is reported once
  // everything before it has been read and listed.
  const Error cut = SectionsCutShort(cursor);
  const auto finish = [&] { return cut.failed() ? FailWith(cut) : true; };
  // An empty waypoint section ends the load; track contents are not looked at.
  if (count == 0) return finish();

  ByteCursor header = cursor;
  if (!header.Skip(kWtrBlockSize) || !header.StartsWith(kWtrTrackHeaderMarker)) return finish();
  const auto headerOffset = static_cast<std::int64_t>(header.offset());
  trackCount = 1;
  tracks = AllocateZeroed<TrackRecord>(1);
  if (!tracks) return Fail(Step::kTrackAlloc, "out of memory for the track");
  TrackRecord& track = tracks[0];
  ByteCursor nameField = header;
  if (nameField.Skip(kWtrTrackNameOffset)) {
    // At most the field's 32 bytes, up to a NUL among them.
    ByteCursor field;
    nameField.Prechecked().Sub(std::min<std::size_t>(nameField.remaining(), sizeof track.name), field);
    ByteSpan name;
    if (!ByteCursor(field).ReadCString(name)) name = field.Rest();
    // A name that fits is kept byte for byte; a longer one is cut on a whole
    // character so that the field keeps its terminator.
    FitNameInto(track.name, name);
  }
  ByteCursor points = header;
  std::size_t pointCount = 0;
  closed = false;
  if (points.Skip(kWtrFirstPointOffset)) pointCount = CountUntilMarker(points, kWtrPointSize, kWtrRouteMarker, closed);
  track.pointCount = static_cast<std::int32_t>(std::min<std::size_t>(pointCount, INT32_MAX));
  track.points = AllocateZeroed<TrackPoint>(pointCount);
  if (!track.points) {
    return Fail(Step::kTrackConversion, "out of memory for the track's points", Place::Byte(headerOffset));
  }
  for (std::size_t k = 0; k < pointCount; ++k) {
    // The points were counted whole above, and their fields lie within one.
    ByteCursor in;
    points.Prechecked().Sub(kWtrPointSize, in);
    ByteCursor::PrecheckedReads field = in.Prechecked();
    TrackPoint& p = track.points[k];
    std::uint32_t time = 0;
    field.ReadI32(p.latitude);
    field.ReadI32(p.longitude);
    field.ReadU32(time);
    field.ReadF32(p.altitude);
    p.longitudeDegrees = SemicirclesToDegrees(p.longitude);
    p.latitudeDegrees = SemicirclesToDegrees(p.latitude);
    SetPointTime(p, time);
    // A point has no place for "no time"; a device leaves it 0, 1970-01-01.
    p.noTime = time == 0;
  }
  if (trackSink) {
    char line[kLineBufferSize];
    trackSink->AddLine({line, FormatTrackLine(line, track.name, track.pointCount)});
  }
  return finish();
}

}  // namespace ridloe
