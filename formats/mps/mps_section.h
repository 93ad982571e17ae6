// One run of records of one type ('W', 'T' or 'L'), read by one generic run
// reader. The slots view the document's copy of the file's bytes; each entry
// records the layout of its slot's payload, whose fields are read from the
// slot through a cursor.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "core/bytes/zeroed_memory.h"
#include "core/document/gps_document.h"
#include "core/document/records.h"
#include "core/error/error.h"
#include "formats/mps/mps_record.h"

namespace ridloe {

// `Derived` supplies kRecordName and
//   bool ParseEntry(const RecordSlot&, Entry&, Error& why) const
// (static where the payload alone tells its layout), which fails with a
// Fault saying why the payload does not parse; the run adds its step and
// the record's place.
template <typename Derived, typename EntryType, std::uint8_t Letter, Step FailureStep>
class MpsSection {
 public:
  using Entry = EntryType;
  static constexpr std::uint8_t kLetter = Letter;

  MpsSection() = default;
  virtual ~MpsSection() = default;
  MpsSection(const MpsSection&) = delete;
  MpsSection& operator=(const MpsSection&) = delete;

  // Reads the run that starts at the cursor. A record that cannot be framed,
  // or one of another type, ends the run and is left for the next reader; a
  // framed record of this type whose payload does not parse fails the run.
  bool ReadRun(ByteCursor& cursor, Error& error) { return FrameRun(cursor, error) && ParseRun(error); }

  // The first half of ReadRun: frames the run into its slots. Fails only
  // when memory is short.
  bool FrameRun(ByteCursor& cursor, Error& error) {
    count = 0;
    runOffset_ = static_cast<std::int64_t>(cursor.offset());
    // Count the run on a copy of the cursor; nothing is allocated yet.
    ByteCursor scan = cursor;
    count = static_cast<std::int32_t>(std::min<std::size_t>(SkipRun(scan, Letter), INT32_MAX));
    if (count == 0) return true;
    // The count was bounded by the bytes framed above.
    slots = AllocateZeroed<RecordSlot>(static_cast<std::size_t>(count));
    if (!slots) return error.Fail(FailureStep, "out of memory for the records of the run", PlaceOf(-1));
    for (std::int32_t i = 0; i < count; ++i) ReadRecord(cursor, slots[i]);
    return true;
  }

  // The second half of ReadRun: parses every framed record into its entry.
  bool ParseRun(Error& error) {
    if (count == 0) return true;
    entries = AllocateZeroed<Entry>(static_cast<std::size_t>(count));
    if (!entries) return error.Fail(FailureStep, "out of memory for the entries of the run", PlaceOf(-1));
    Error why;
    for (std::int32_t i = 0; i < count; ++i) {
      if (!derived().ParseEntry(slots[i], entries[i], why)) {
        error = why.In(FailureStep, PlaceOf(i));
        return false;
      }
    }
    return true;
  }

  // Where record `index` of the run starts in the file.
  std::int64_t RecordOffset(std::int32_t index) const {
    // The run's records lie back to back from its first frame.
    std::int64_t offset = runOffset_;
    for (std::int32_t i = 0; i < index; ++i) offset += static_cast<std::int64_t>(kMpsFrameSize + slots[i].length);
    return offset;
  }

  // Record `index` of the run; -1 for the run as a whole, at its first record.
  Place PlaceOf(std::int32_t index) const { return Place::Record(Derived::kRecordName, index, RecordOffset(index)); }

  std::int32_t count = 0;
  ZeroedArray<RecordSlot> slots;  // count slots, in file order
  ZeroedArray<Entry> entries;     // entry i is parsed from slot i

 private:
  const Derived& derived() const { return static_cast<const Derived&>(*this); }

  std::int64_t runOffset_ = -1;
};

// The layout of a 'W' record after its NUL-terminated name: a 22, 27 or
// 29-byte header, the 17-byte position block, the NUL-terminated comment and
// the tail.
struct MpsWaypointEntry {
  std::uint32_t nameLength;     // n, without the NUL
  std::uint32_t commentLength;  // k, without the NUL
  std::uint32_t tailLength;     // t, the full tail
  std::uint8_t headerLength;    // h, 29, 27 or 22
};

// How long the header after a waypoint's name is. Files of versions 4 and 5
// (and files that name no version) tell it by the header's byte 4: a space
// means 29 bytes, anything else 27. Version-3 files always have 22.
enum class MpsWaypointHeader { kByByte4, kVersion3 };

// The layout of a 'T' record: a name, a 9-byte block whose bytes 5-8 hold the
// point count, and the 31-byte points.
struct MpsTrackEntry {
  std::uint32_t nameLength;
  std::uint32_t pointCount;
};

// The layout of an 'R' record: a NUL-terminated name, a byte not read, a
// byte that is 0 when a box of two 17-byte position blocks (the route's
// corners) follows, the point count, and the points. Each point is a
// NUL-terminated name (of a waypoint of the file), the waypoint header that
// follows a name in the file's 'W' records, 19 bytes not read, the count of
// the link's position blocks, the blocks (the road from this point to the
// next; the first is this point's place, the last the next point's), and a
// box as after the route's name. The points fill the record exactly.
struct MpsRouteEntry {
  std::uint32_t nameLength;
  std::uint32_t pointCount;
};

// Where the text of one route point lies: its name in its route record, and
// the waypoint of the same name whose comment and symbol it carries (-1 when
// the file has none).
struct MpsRoutePointRef {
  std::uint32_t nameOffset;
  std::uint32_t nameLength;
  std::int32_t waypoint;
};

// An 'L' record: two 32-bit values, three strings and a tail.
struct MpsLEntry {
  std::uint32_t value1;
  std::uint32_t value2;
  std::uint32_t tailLength;
};

inline constexpr std::size_t kMpsTrackPointSize = 31;

class MpsWaypointSection : public MpsSection<MpsWaypointSection, MpsWaypointEntry, 'W', Step::kWaypointRun> {
 public:
  static constexpr const char* kRecordName = "waypoint record";
  // Set from the file's header before the run is read.
  MpsWaypointHeader headerForm = MpsWaypointHeader::kByByte4;

  bool ParseEntry(const RecordSlot& slot, MpsWaypointEntry& entry, Error& why) const;
  // Fills a zero-filled record from entry `index`; false for an index past the run.
  bool ConvertWaypoint(std::int32_t index, WaypointRecord& record) const;
  // The whole name and the comment of entry `index`, viewing its payload.
  WaypointText TextOf(std::int32_t index) const;
};

class MpsTrackSection : public MpsSection<MpsTrackSection, MpsTrackEntry, 'T', Step::kTrackRun> {
 public:
  static constexpr const char* kRecordName = "track record";
  static bool ParseEntry(const RecordSlot& slot, MpsTrackEntry& entry, Error& why);
  // Fills a zero-filled record, its points included; false for an index past
  // the run or when the points cannot be allocated. With `storage` the points
  // go there (room for the entry's point count) instead of an array of their own.
  bool ConvertTrack(std::int32_t index, TrackRecord& record, TrackPoint* storage = nullptr) const;
  // The whole name of entry `index`, viewing its payload.
  std::string_view NameOf(std::int32_t index) const;
  // The points of every track in the run, for one shared allocation.
  std::uint64_t TotalPoints() const;
};

// The waypoints of a run found by their whole names.
class WaypointsByName {
 public:
  // Sorts the run's names; false when memory is short.
  bool Build(const MpsWaypointSection& section);
  // The first waypoint in file order named `name`, or -1.
  std::int32_t Find(std::string_view name) const;

 private:
  const MpsWaypointSection* section_ = nullptr;
  ZeroedArray<std::int32_t> order_;  // waypoint indices by name, then file order
  std::int32_t count_ = 0;
};

class MpsRouteSection : public MpsSection<MpsRouteSection, MpsRouteEntry, 'R', Step::kRouteRun> {
 public:
  static constexpr const char* kRecordName = "route record";
  // The same as the waypoint section's, set before the run is read.
  MpsWaypointHeader headerForm = MpsWaypointHeader::kByByte4;

  bool ParseEntry(const RecordSlot& slot, MpsRouteEntry& entry, Error& why) const;
  // The points of every route in the run, for one shared allocation.
  std::uint64_t TotalPoints() const;
  // Fills a zero-filled record from entry `index`; its points go to
  // `points` and where their text lies to `refs` (room for the entry's point
  // count each). Each point carries the symbol of the first waypoint of its
  // name, and a point whose record gives no place (in a route of one point)
  // takes that waypoint's. False, with a Fault, when the route cannot be
  // converted.
  bool ConvertRoute(std::int32_t index, RouteRecord& record, WaypointRecord* points, MpsRoutePointRef* refs,
                    const WaypointRecord* waypoints, const WaypointsByName& named, Error& why) const;
  // The whole name of entry `index`, viewing its payload.
  std::string_view NameOf(std::int32_t index) const;
  // The name of the point of route `index` whose text `ref` places.
  std::string_view PointNameOf(std::int32_t index, const MpsRoutePointRef& ref) const;
};

class MpsLSection : public MpsSection<MpsLSection, MpsLEntry, 'L', Step::kCheckedRun> {
 public:
  static constexpr const char* kRecordName = "L record";
  static bool ParseEntry(const RecordSlot& slot, MpsLEntry& entry, Error& why);
};

}  // namespace ridloe
