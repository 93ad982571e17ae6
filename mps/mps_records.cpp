// The payloads of 'W', 'T' and 'L' records and their conversion into the
// document's records.
#include <cstring>

#include "document/cp950.h"
#include "mps/mps_section.h"

namespace ridloe {
namespace {

constexpr std::size_t kExaminedHeader = 29;
constexpr std::size_t kPositionBlock = 17;
constexpr std::size_t kTrackBlock = 9;

}  // namespace

const char* MpsWaypointSection::ParseEntry(const RecordSlot& slot, MpsWaypointEntry& entry) {
  const std::uint8_t* p = slot.payload;
  const std::size_t size = slot.length;
  const std::ptrdiff_t n = BoundedStringLength(p, size);
  if (n < 0) return "name has no terminating NUL";
  std::size_t rest = size - static_cast<std::size_t>(n) - 1;
  if (rest < kExaminedHeader) return "fewer than 29 header bytes after the name";
  const std::uint8_t* header = p + n + 1;
  // Byte 4 of the header tells its length: a space means 29 bytes, anything
  // else 27 (the position block then starts 2 bytes earlier).
  const std::uint8_t headerLength = header[4] == 0x20 ? 29 : 27;
  rest -= headerLength;
  if (rest < kPositionBlock) return "no room for the position block";
  rest -= kPositionBlock;
  const std::uint8_t* comment = header + headerLength + kPositionBlock;
  const std::ptrdiff_t k = BoundedStringLength(comment, rest);
  if (k < 0) return "comment has no terminating NUL";
  entry.name = p;
  entry.nameLength = static_cast<std::uint32_t>(n);
  entry.headerLength = headerLength;
  entry.commentLength = static_cast<std::uint32_t>(k);
  entry.tailLength = static_cast<std::uint32_t>(rest - static_cast<std::size_t>(k) - 1);
  return nullptr;
}

bool MpsWaypointSection::ConvertWaypoint(std::int32_t index, WaypointRecord& record) const {
  if (index < 0 || index >= count) return false;
  const MpsWaypointEntry& entry = entries[index];
  // The name field holds 11 bytes and a NUL. A longer name is cut at the
  // last whole character; a lone byte of 0x80 or above that would end the cut
  // name is dropped too, so no name ends in what may be half a character.
  std::size_t keep = entry.nameLength;
  if (keep >= sizeof record.name) {
    keep = Cp950CutLength(entry.name, entry.nameLength, 11);
    if (keep == 11 && Cp950CutLength(entry.name, entry.nameLength, 10) == 10 && entry.name[10] >= 0x80) keep = 10;
  }
  std::memcpy(record.name, entry.name, keep);
  record.name[keep] = '\0';
  const std::uint8_t* position = entry.position();
  record.latitude = LoadI32(position);
  record.longitude = LoadI32(position + 4);
  record.altitude = static_cast<float>(LoadF64(position + 9));
  record.symbol = entry.symbol();
  return true;
}

const char* MpsTrackSection::ParseEntry(const RecordSlot& slot, MpsTrackEntry& entry) {
  const std::uint8_t* p = slot.payload;
  const std::size_t size = slot.length;
  const std::ptrdiff_t n = BoundedStringLength(p, size);
  if (n < 0) return "track name has no terminating NUL";
  const std::size_t rest = size - static_cast<std::size_t>(n) - 1;
  if (rest < kTrackBlock) return "fewer than 9 track block bytes after the name";
  const std::uint32_t points = LoadU32(p + n + 1 + 5);
  // 64-bit product: a count whose 31-fold exceeds 32 bits can never match.
  if (std::uint64_t{points} * kMpsTrackPointSize != rest - kTrackBlock) {
    return "point count does not match the bytes of the points";
  }
  entry.name = p;
  entry.nameLength = static_cast<std::uint32_t>(n);
  entry.pointCount = points;
  return nullptr;
}

std::uint64_t MpsTrackSection::TotalPoints() const {
  std::uint64_t total = 0;
  for (std::int32_t j = 0; j < count; ++j) total += entries[j].pointCount;
  return total;
}

bool MpsTrackSection::ConvertTrack(std::int32_t index, TrackRecord& record, TrackPoint* storage) const {
  if (index < 0 || index >= count) return false;
  const MpsTrackEntry& entry = entries[index];
  // The name field holds 31 bytes and a NUL; a longer name is cut on a whole
  // character, and a name that fits is copied as it is.
  const std::size_t keep = Cp950CutLength(entry.name, entry.nameLength, sizeof record.name - 1);
  std::memcpy(record.name, entry.name, keep);
  record.name[keep] = '\0';
  record.pointCount = static_cast<std::int32_t>(entry.pointCount);
  record.points = storage ? BorrowSlice(storage, entry.pointCount) : AllocateZeroed<TrackPoint>(entry.pointCount);
  if (!record.points) return false;
  const std::uint8_t* in = entry.firstPoint();
  for (std::uint32_t k = 0; k < entry.pointCount; ++k, in += kMpsTrackPointSize) {
    TrackPoint& point = record.points[k];
    point.latitude = LoadI32(in);
    point.longitude = LoadI32(in + 4);
    point.longitudeDegrees = SemicirclesToDegrees(point.longitude);
    point.latitudeDegrees = SemicirclesToDegrees(point.latitude);
    point.altitude = static_cast<float>(LoadF64(in + 9));
    SetPointTime(point, LoadU32(in + 18));
  }
  return true;
}

const char* MpsLSection::ParseEntry(const RecordSlot& slot, MpsLEntry& entry) {
  const std::uint8_t* p = slot.payload;
  const std::size_t size = slot.length;
  if (size < 8) return "payload is shorter than its two 32-bit values";
  entry.value1 = LoadU32(p);
  entry.value2 = LoadU32(p + 4);
  const char** texts[3] = {&entry.text1, &entry.text2, &entry.text3};
  static const char* const kMissingNul[3] = {"first string has no terminating NUL",
                                             "second string has no terminating NUL",
                                             "third string has no terminating NUL"};
  std::size_t at = 8;
  for (int i = 0; i < 3; ++i) {
    const std::ptrdiff_t len = BoundedStringLength(p + at, size - at);
    if (len < 0) return kMissingNul[i];
    *texts[i] = reinterpret_cast<const char*>(p + at);
    at += static_cast<std::size_t>(len) + 1;
  }
  entry.tail = p + at;
  entry.tailLength = static_cast<std::uint32_t>(size - at);
  return nullptr;
}

}  // namespace ridloe
