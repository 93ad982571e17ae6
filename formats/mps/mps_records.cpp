// The payloads of 'W', 'T' and 'L' records and their conversion into the
// document's records.

#include "core/text/cp950.h"
#include "formats/mps/mps_section.h"
#include "formats/symbols.h"

namespace ridloe {
namespace {

constexpr std::size_t kExaminedHeader = 29;
constexpr std::uint8_t kVersion3Header = 22;
constexpr std::size_t kPositionBlock = 17;
constexpr std::size_t kTrackBlock = 9;
constexpr std::size_t kSymbolInTail = 17;

constexpr std::size_t kRoutePointGap = 19;  // after a route point's header, not read
constexpr std::size_t kRouteBox = 2 * kPositionBlock;

std::string_view AsText(ByteSpan bytes) { return {reinterpret_cast<const char*>(bytes.data()), bytes.size()}; }

// The length of the header after a waypoint's name at the cursor. Files of
// versions 4 and 5 tell it by byte 4 of the 29 bytes after the name: a space
// means 29 bytes, anything else 27 (the position block then starts 2 bytes
// earlier). Version-3 files always have 22.
bool WaypointHeaderLength(ByteCursor payload, MpsWaypointHeader form, std::uint8_t& length, Error& why) {
  length = kVersion3Header;
  if (form == MpsWaypointHeader::kVersion3) return true;
  ByteCursor examined;
  if (!payload.Sub(kExaminedHeader, examined)) return Fault(why, "fewer than 29 header bytes after the name");
  std::uint8_t byte4 = 0;
  examined.Prechecked().Skip(4);
  examined.Prechecked().ReadU8(byte4);
  length = byte4 == 0x20 ? 29 : 27;
  return true;
}

// A position block: latitude, longitude, a byte that is 0 when no altitude
// was given, and the altitude as a double. `block` holds the whole block.
void ReadPosition(ByteCursor block, WaypointRecord& record) {
  double altitude = 0;
  std::uint8_t altitudeGiven = 0;
  ByteCursor::PrecheckedReads field = block.Prechecked();
  field.ReadI32(record.latitude);
  field.ReadI32(record.longitude);
  field.ReadU8(altitudeGiven);
  field.ReadF64(altitude);
  record.altitude = static_cast<float>(altitude);
  record.noAltitude = altitudeGiven == 0;
}

// A byte that says whether a box of two position blocks follows (0) or not,
// and the box.
bool SkipBox(ByteCursor& payload) {
  std::uint8_t none = 0;
  return payload.ReadU8(none) && (none != 0 || payload.Skip(kRouteBox));
}

// One point of a route record, as its bytes lie.
struct RoutePointView {
  ByteSpan name;
  std::size_t nameOffset = 0;  // in the payload
  std::uint32_t linkBlocks = 0;
  ByteSpan firstLink;  // the first and last position blocks of the link; empty without one
  ByteSpan lastLink;
};

bool ReadRoutePoint(ByteCursor& payload, std::size_t payloadStart, MpsWaypointHeader form, RoutePointView& point,
                    Error& why) {
  point.nameOffset = payload.offset() - payloadStart;
  if (!payload.ReadCString(point.name)) return Fault(why, "a route point's name has no terminating NUL");
  std::uint8_t header = 0;
  if (!WaypointHeaderLength(payload, form, header, why)) return false;
  if (!payload.Skip(header) || !payload.Skip(kRoutePointGap) || !payload.ReadU32(point.linkBlocks)) {
    return Fault(why, "a route point ends before its link");
  }
  // 64-bit product: a count whose 17-fold exceeds the bytes can never fit.
  ByteSpan link;
  if (std::uint64_t{point.linkBlocks} * kPositionBlock > payload.remaining() ||
      !payload.ReadBytes(point.linkBlocks * kPositionBlock, link)) {
    return Fault(why, "a route point's link claims more position blocks than the record holds");
  }
  point.firstLink = link.first(point.linkBlocks ? kPositionBlock : 0);
  point.lastLink = link.last(point.linkBlocks ? kPositionBlock : 0);
  if (!SkipBox(payload)) return Fault(why, "a route point's link ends before its box");
  return true;
}

// The route's name and the bytes before its first point; the cursor is left
// at the first point.
bool ReadRouteHeader(ByteCursor& payload, ByteSpan& name, std::uint32_t& points, Error& why) {
  if (!payload.ReadCString(name)) return Fault(why, "route name has no terminating NUL");
  if (!payload.Skip(1) || !SkipBox(payload) || !payload.ReadU32(points)) {
    return Fault(why, "route record ends before its point count");
  }
  return true;
}

}  // namespace

bool MpsWaypointSection::ParseEntry(const RecordSlot& slot, MpsWaypointEntry& entry, Error& why) const {
  ByteCursor payload(slot.bytes());
  ByteSpan name;
  if (!payload.ReadCString(name)) return Fault(why, "name has no terminating NUL");
  std::uint8_t headerLength = 0;
  if (!WaypointHeaderLength(payload, headerForm, headerLength, why)) return false;
  if (!payload.Skip(headerLength)) return Fault(why, "fewer than 22 header bytes after the name");
  if (!payload.Skip(kPositionBlock)) return Fault(why, "no room for the position block");
  ByteSpan comment;
  if (!payload.ReadCString(comment)) return Fault(why, "comment has no terminating NUL");
  entry.nameLength = static_cast<std::uint32_t>(name.size());
  entry.headerLength = headerLength;
  entry.commentLength = static_cast<std::uint32_t>(comment.size());
  entry.tailLength = static_cast<std::uint32_t>(payload.remaining());
  return true;
}

bool MpsWaypointSection::ConvertWaypoint(std::int32_t index, WaypointRecord& record) const {
  if (index < 0 || index >= count) return false;
  const MpsWaypointEntry& entry = entries[index];
  // ParseEntry measured the name, header, position block and comment within
  // the payload.
  ByteCursor payload(slots[index].bytes());
  ByteSpan name;
  payload.Prechecked().ReadBytes(entry.nameLength, name);
  // The name field holds 11 bytes and a NUL; a longer name is cut at its last
  // whole character, and never ends in a lone byte of 0x80 or above.
  FitNameInto(record.name, name, NameCut::kNoHighLastByte);
  payload.Prechecked().Skip(1 + entry.headerLength);
  ByteCursor position;
  payload.Prechecked().Sub(kPositionBlock, position);
  ReadPosition(position, record);
  // The symbol sits at tail bytes 17-18; bytes past the tail read as zero.
  payload.Prechecked().Skip(entry.commentLength + 1);
  record.symbol = 0;
  if (payload.Skip(kSymbolInTail) && !payload.ReadU16(record.symbol)) {
    std::uint8_t low = 0;
    if (payload.ReadU8(low)) record.symbol = low;
  }
  return true;
}

WaypointText MpsWaypointSection::TextOf(std::int32_t index) const {
  const MpsWaypointEntry& entry = entries[index];
  ByteCursor payload(slots[index].bytes());
  ByteSpan name, comment;
  // ParseEntry measured these within the payload.
  payload.Prechecked().ReadBytes(entry.nameLength, name);
  payload.Prechecked().Skip(1 + entry.headerLength + kPositionBlock);
  payload.Prechecked().ReadBytes(entry.commentLength, comment);
  return {.name = AsText(name), .comment = AsText(comment)};
}

bool MpsTrackSection::ParseEntry(const RecordSlot& slot, MpsTrackEntry& entry, Error& why) {
  ByteCursor payload(slot.bytes());
  ByteSpan name;
  if (!payload.ReadCString(name)) return Fault(why, "track name has no terminating NUL");
  ByteCursor block;
  if (!payload.Sub(kTrackBlock, block)) return Fault(why, "fewer than 9 track block bytes after the name");
  std::uint32_t points = 0;
  block.Prechecked().Skip(5);
  block.Prechecked().ReadU32(points);
  // 64-bit product: a count whose 31-fold exceeds 32 bits can never match.
  if (std::uint64_t{points} * kMpsTrackPointSize != payload.remaining()) {
    return Fault(why, "point count does not match the bytes of the points");
  }
  entry.nameLength = static_cast<std::uint32_t>(name.size());
  entry.pointCount = points;
  return true;
}

std::string_view MpsTrackSection::NameOf(std::int32_t index) const {
  ByteSpan name;
  ByteCursor(slots[index].bytes()).Prechecked().ReadBytes(entries[index].nameLength, name);  // measured by ParseEntry
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
  // ParseEntry measured the name and block, and matched the points to the
  // bytes after them.
  ByteCursor payload(slots[index].bytes());
  ByteSpan name;
  payload.Prechecked().ReadBytes(entry.nameLength, name);
  // The name field holds 31 bytes and a NUL; a longer name is cut on a whole
  // character, and a name that fits is copied as it is.
  FitNameInto(record.name, name);
  record.pointCount = static_cast<std::int32_t>(entry.pointCount);
  record.points = storage ? BorrowSlice(storage, entry.pointCount) : AllocateZeroed<TrackPoint>(entry.pointCount);
  if (!record.points) return false;
  payload.Prechecked().Skip(1 + kTrackBlock);
  for (std::uint32_t k = 0; k < entry.pointCount; ++k) {
    ByteCursor in;
    payload.Prechecked().Sub(kMpsTrackPointSize, in);
    ByteCursor::PrecheckedReads field = in.Prechecked();
    TrackPoint& point = record.points[k];
    double altitude = 0;
    std::uint32_t time = 0;
    std::uint8_t altitudeGiven = 0;
    std::uint8_t timeGiven = 0;
    field.ReadI32(point.latitude);
    field.ReadI32(point.longitude);
    field.ReadU8(altitudeGiven);  // each 1, or 0 when the point has none
    field.ReadF64(altitude);
    field.ReadU8(timeGiven);
    field.ReadU32(time);
    point.longitudeDegrees = SemicirclesToDegrees(point.longitude);
    point.latitudeDegrees = SemicirclesToDegrees(point.latitude);
    point.altitude = static_cast<float>(altitude);
    point.noAltitude = altitudeGiven == 0;
    point.noTime = timeGiven == 0;
    SetPointTime(point, time);
  }
  return true;
}

bool MpsRouteSection::ParseEntry(const RecordSlot& slot, MpsRouteEntry& entry, Error& why) const {
  ByteCursor payload(slot.bytes());
  const std::size_t start = payload.offset();
  ByteSpan name;
  std::uint32_t points = 0;
  if (!ReadRouteHeader(payload, name, points, why)) return false;
  // Every point takes at least one byte, so the walk ends with the bytes
  // whatever the count claims; nothing is allocated here.
  for (std::uint32_t k = 0; k < points; ++k) {
    if (payload.AtEnd()) return Fault(why, "the route record ends before its last point");
    RoutePointView point;
    if (!ReadRoutePoint(payload, start, headerForm, point, why)) return false;
  }
  if (!payload.AtEnd()) return Fault(why, "bytes remain after the route's last point");
  entry.nameLength = static_cast<std::uint32_t>(name.size());
  entry.pointCount = points;
  return true;
}

std::uint64_t MpsRouteSection::TotalPoints() const {
  std::uint64_t total = 0;
  for (std::int32_t j = 0; j < count; ++j) total += entries[j].pointCount;
  return total;
}

std::string_view MpsRouteSection::NameOf(std::int32_t index) const {
  ByteSpan name;
  ByteCursor(slots[index].bytes()).Prechecked().ReadBytes(entries[index].nameLength, name);  // measured by ParseEntry
  return AsText(name);
}

std::string_view MpsRouteSection::PointNameOf(std::int32_t index, const MpsRoutePointRef& ref) const {
  return AsText(slots[index].bytes().subspan(ref.nameOffset, ref.nameLength));
}

bool MpsRouteSection::ConvertRoute(std::int32_t index, RouteRecord& record, WaypointRecord* points,
                                   MpsRoutePointRef* refs, const WaypointRecord* waypoints, const WaypointsByName& named,
                                   Error& why) const {
  const MpsRouteEntry& entry = entries[index];
  ByteCursor payload(slots[index].bytes());
  const std::size_t start = payload.offset();
  ByteSpan name;
  std::uint32_t count = 0;
  (void)ReadRouteHeader(payload, name, count, why);  // parsed whole by ParseEntry
  // The name field holds 31 bytes and a NUL, as a track's does.
  FitNameInto(record.name, name);
  record.pointCount = static_cast<std::int32_t>(entry.pointCount);
  record.points = BorrowSlice(points, entry.pointCount);
  ByteSpan previousLink;  // the last block of the previous point's link: this point's place
  for (std::uint32_t k = 0; k < entry.pointCount; ++k) {
    RoutePointView view;
    (void)ReadRoutePoint(payload, start, headerForm, view, why);  // parsed whole by ParseEntry
    WaypointRecord& point = points[k];
    MpsRoutePointRef& ref = refs[k];
    ref.nameOffset = static_cast<std::uint32_t>(view.nameOffset);
    ref.nameLength = static_cast<std::uint32_t>(view.name.size());
    ref.waypoint = named.Find(AsText(view.name));
    // Cut as a waypoint's name is.
    FitNameInto(point.name, view.name, NameCut::kNoHighLastByte);
    const ByteSpan place = !view.firstLink.empty() ? view.firstLink : previousLink;
    if (!place.empty()) {
      ReadPosition(ByteCursor(place), point);
    } else if (ref.waypoint >= 0) {
      const WaypointRecord& w = waypoints[ref.waypoint];
      point.latitude = w.latitude;
      point.longitude = w.longitude;
      point.altitude = w.altitude;
      point.noAltitude = w.noAltitude;
    } else {
      return Fault(why, "a route point gives no place and names no waypoint of the file");
    }
    point.symbol = ref.waypoint >= 0 ? waypoints[ref.waypoint].symbol : kPlainSymbol;
    previousLink = view.lastLink;
  }
  return true;
}

bool WaypointsByName::Build(const MpsWaypointSection& section) {
  section_ = &section;
  count_ = section.count;
  order_ = AllocateZeroed<std::int32_t>(static_cast<std::size_t>(count_));
  if (!order_) return false;
  for (std::int32_t i = 0; i < count_; ++i) order_[i] = i;
  std::stable_sort(order_.get(), order_.get() + count_,
                   [&section](std::int32_t a, std::int32_t b) { return section.TextOf(a).name < section.TextOf(b).name; });
  return true;
}

std::int32_t WaypointsByName::Find(std::string_view name) const {
  const std::int32_t* begin = order_.get();
  const std::int32_t* end = begin + count_;
  const std::int32_t* at = std::lower_bound(begin, end, name, [this](std::int32_t i, std::string_view n) {
    return section_->TextOf(i).name < n;
  });
  return at != end && section_->TextOf(*at).name == name ? *at : -1;
}

bool MpsLSection::ParseEntry(const RecordSlot& slot, MpsLEntry& entry, Error& why) {
  ByteCursor payload(slot.bytes());
  if (!payload.ReadU32(entry.value1) || !payload.ReadU32(entry.value2)) {
    return Fault(why, "payload is shorter than its two 32-bit values");
  }
  if (!SkipThreeStrings(payload, why)) return false;
  entry.tailLength = static_cast<std::uint32_t>(payload.remaining());
  return true;
}

}  // namespace ridloe
