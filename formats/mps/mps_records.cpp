// The payloads of 'W', 'T' and 'L' records and their conversion into the
// document's records.

#include "core/text/cp950.h"
#include "formats/mps/mps_section.h"

namespace ridloe {
namespace {

constexpr std::size_t kExaminedHeader = 29;
constexpr std::uint8_t kVersion3Header = 22;
constexpr std::size_t kPositionBlock = 17;
constexpr std::size_t kTrackBlock = 9;
constexpr std::size_t kSymbolInTail = 17;

std::string_view AsText(ByteSpan bytes) { return {reinterpret_cast<const char*>(bytes.data()), bytes.size()}; }

}  // namespace

const char* MpsWaypointSection::ParseEntry(const RecordSlot& slot, MpsWaypointEntry& entry) const {
  ByteCursor payload(slot.bytes());
  ByteSpan name;
  if (!payload.ReadCString(name)) return "name has no terminating NUL";
  std::uint8_t headerLength = kVersion3Header;
  if (headerForm == MpsWaypointHeader::kByByte4) {
    // Byte 4 of the 29 bytes after the name tells the header's length: a
    // space means 29 bytes, anything else 27 (the position block then starts
    // 2 bytes earlier).
    ByteCursor examined;
    if (!ByteCursor(payload).Sub(kExaminedHeader, examined)) return "fewer than 29 header bytes after the name";
    std::uint8_t byte4 = 0;
    examined.Skip(4);
    examined.ReadU8(byte4);
    headerLength = byte4 == 0x20 ? 29 : 27;
  }
  if (!payload.Skip(headerLength)) return "fewer than 22 header bytes after the name";
  if (!payload.Skip(kPositionBlock)) return "no room for the position block";
  ByteSpan comment;
  if (!payload.ReadCString(comment)) return "comment has no terminating NUL";
  entry.nameLength = static_cast<std::uint32_t>(name.size());
  entry.headerLength = headerLength;
  entry.commentLength = static_cast<std::uint32_t>(comment.size());
  entry.tailLength = static_cast<std::uint32_t>(payload.remaining());
  return nullptr;
}

bool MpsWaypointSection::ConvertWaypoint(std::int32_t index, WaypointRecord& record) const {
  if (index < 0 || index >= count) return false;
  const MpsWaypointEntry& entry = entries[index];
  ByteCursor payload(slots[index].bytes());
  ByteSpan name;
  payload.ReadBytes(entry.nameLength, name);
  // The name field holds 11 bytes and a NUL; a longer name is cut at its last
  // whole character, and never ends in a lone byte of 0x80 or above.
  FitNameInto(record.name, name, NameCut::kNoHighLastByte);
  payload.Skip(1 + entry.headerLength);
  double altitude = 0;
  std::uint8_t altitudeGiven = 0;
  payload.ReadI32(record.latitude);
  payload.ReadI32(record.longitude);
  payload.ReadU8(altitudeGiven);  // 1, or 0 when the waypoint has no altitude
  payload.ReadF64(altitude);
  record.altitude = static_cast<float>(altitude);
  record.noAltitude = altitudeGiven == 0;
  // The symbol sits at tail bytes 17-18; bytes past the tail read as zero.
  payload.Skip(entry.commentLength + 1);
  record.symbol = 0;
  if (payload.Skip(kSymbolInTail) && !payload.ReadU16(record.symbol)) {
    std::uint8_t low = 0;
    payload.ReadU8(low);
    record.symbol = low;
  }
  return true;
}

WaypointText MpsWaypointSection::TextOf(std::int32_t index) const {
  const MpsWaypointEntry& entry = entries[index];
  ByteCursor payload(slots[index].bytes());
  ByteSpan name, comment;
  payload.ReadBytes(entry.nameLength, name);
  payload.Skip(1 + entry.headerLength + kPositionBlock);
  payload.ReadBytes(entry.commentLength, comment);
  return {.name = AsText(name), .comment = AsText(comment)};
}

const char* MpsTrackSection::ParseEntry(const RecordSlot& slot, MpsTrackEntry& entry) {
  ByteCursor payload(slot.bytes());
  ByteSpan name;
  if (!payload.ReadCString(name)) return "track name has no terminating NUL";
  ByteCursor block;
  if (!payload.Sub(kTrackBlock, block)) return "fewer than 9 track block bytes after the name";
  std::uint32_t points = 0;
  block.Skip(5);
  block.ReadU32(points);
  // 64-bit product: a count whose 31-fold exceeds 32 bits can never match.
  if (std::uint64_t{points} * kMpsTrackPointSize != payload.remaining()) {
    return "point count does not match the bytes of the points";
  }
  entry.nameLength = static_cast<std::uint32_t>(name.size());
  entry.pointCount = points;
  return nullptr;
}

std::string_view MpsTrackSection::NameOf(std::int32_t index) const {
  ByteSpan name;
  ByteCursor(slots[index].bytes()).ReadBytes(entries[index].nameLength, name);
  return AsText(name);
}

std::uint64_t MpsTrackSection::TotalPoints() const {
  std::uint64_t total = 0;
  for (std::int32_t j = 0; j < count; ++j) total += entries[j].pointCount;
  return total;
}

bool MpsTrackSection::ConvertTrack(std::int32_t index, TrackRecord& record, TrackPoint* storage) const {
  if (index < 0 || index >= count) return false;
  const MpsTrackEntry& entry = entries[index];
  ByteCursor payload(slots[index].bytes());
  ByteSpan name;
  payload.ReadBytes(entry.nameLength, name);
  // The name field holds 31 bytes and a NUL; a longer name is cut on a whole
  // character, and a name that fits is copied as it is.
  FitNameInto(record.name, name);
  record.pointCount = static_cast<std::int32_t>(entry.pointCount);
  record.points = storage ? BorrowSlice(storage, entry.pointCount) : AllocateZeroed<TrackPoint>(entry.pointCount);
  if (!record.points) return false;
  payload.Skip(1 + kTrackBlock);
  for (std::uint32_t k = 0; k < entry.pointCount; ++k) {
    ByteCursor in;
    payload.Sub(kMpsTrackPointSize, in);
    TrackPoint& point = record.points[k];
    double altitude = 0;
    std::uint32_t time = 0;
    std::uint8_t altitudeGiven = 0;
    std::uint8_t timeGiven = 0;
    in.ReadI32(point.latitude);
    in.ReadI32(point.longitude);
    in.ReadU8(altitudeGiven);  // each 1, or 0 when the point has none
    in.ReadF64(altitude);
    in.ReadU8(timeGiven);
    in.ReadU32(time);
    point.longitudeDegrees = SemicirclesToDegrees(point.longitude);
    point.latitudeDegrees = SemicirclesToDegrees(point.latitude);
    point.altitude = static_cast<float>(altitude);
    point.noAltitude = altitudeGiven == 0;
    point.noTime = timeGiven == 0;
    SetPointTime(point, time);
  }
  return true;
}

const char* MpsLSection::ParseEntry(const RecordSlot& slot, MpsLEntry& entry) {
  ByteCursor payload(slot.bytes());
  if (!payload.ReadU32(entry.value1) || !payload.ReadU32(entry.value2)) {
    return "payload is shorter than its two 32-bit values";
  }
  if (const char* missing = SkipThreeStrings(payload)) return missing;
  entry.tailLength = static_cast<std::uint32_t>(payload.remaining());
  return nullptr;
}

}  // namespace ridloe
