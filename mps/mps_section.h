// One run of records of one type ('W', 'T' or 'L'), read by one generic run
// reader. Each section owns a single copy of its run's payloads; the parsed
// entries view that copy and stay valid as long as the section lives.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "document/file_io.h"
#include "document/load_error.h"
#include "document/wtr_document.h"
#include "mps/record.h"

namespace ridloe {

// `Derived` supplies kLetter, kRecordName, kFailureStep, the Entry type and
//   static const char* ParseEntry(const RecordSlot&, Entry&)
// which returns null on success or the reason the payload does not parse.
template <typename Derived, typename EntryType>
class MpsSection {
 public:
  using Entry = EntryType;

  MpsSection() = default;
  virtual ~MpsSection() = default;
  MpsSection(const MpsSection&) = delete;
  MpsSection& operator=(const MpsSection&) = delete;

  // Reads the run that starts at the cursor. A record that cannot be framed,
  // or one of another type, ends the run and is left for the next reader; a
  // framed record of this type whose payload does not parse fails the run.
  bool ReadRun(ByteCursor& cursor, LoadError& error) { return CopyRun(cursor, error) && ParseRun(error); }

  // The first half of ReadRun: frames the run and copies its records, so that
  // the bytes they came from may be released. Fails only when memory is short.
  bool CopyRun(ByteCursor& cursor, LoadError& error) {
    count = 0;
    runOffset_ = static_cast<std::int64_t>(cursor.offset());
    // Count the run on a copy of the cursor; nothing is allocated yet.
    std::size_t payloadBytes = 0;
    ByteCursor scan = cursor;
    RecordSlot frame;
    while (count < INT32_MAX && FrameRecord(scan, frame) == FrameResult::kOk && frame.type == Derived::kLetter) {
      payloadBytes += frame.length;
      ++count;
    }
    if (count == 0) return true;

    // Every count and size below was bounded by the bytes framed above.
    slots = AllocateZeroed<RecordSlot>(static_cast<std::size_t>(count));
    if (!slots || !payloads_.Allocate(payloadBytes)) {
      return Failure(error, "out of memory for the records of the run", -1);
    }
    std::uint8_t* storage = payloads_.data();
    for (std::int32_t i = 0; i < count; ++i) {
      ReadRecord(cursor, slots[i], storage);
      storage += slots[i].length;
    }
    return true;
  }

  // The second half of ReadRun: parses every copied record into its entry.
  bool ParseRun(LoadError& error) {
    if (count == 0) return true;
    entries = AllocateZeroed<Entry>(static_cast<std::size_t>(count));
    if (!entries) return Failure(error, "out of memory for the entries of the run", -1);
    for (std::int32_t i = 0; i < count; ++i) {
      if (const char* why = Derived::ParseEntry(slots[i], entries[i])) return Failure(error, why, i);
    }
    return true;
  }

  std::int32_t count = 0;
  ZeroedArray<RecordSlot> slots;  // count slots, in file order
  ZeroedArray<Entry> entries;    // entry i is parsed from slot i

 private:
  bool Failure(LoadError& error, const char* why, std::int32_t index) {
    // The run's records lie back to back from its first frame.
    std::int64_t offset = runOffset_;
    for (std::int32_t i = 0; i < index; ++i) offset += 5 + std::int64_t{slots[i].length};
    return error.Set(Derived::kFailureStep, why, offset, Derived::kRecordName, index);
  }

  ByteBlock payloads_;  // every payload of the run, back to back
  std::int64_t runOffset_ = -1;
};

// The parsed view of a 'W' record. The layout after the name is found from
// the lengths kept here: a 27 or 29-byte header, the 17-byte position block,
// the comment and the tail.
struct MpsWaypointEntry {
  const std::uint8_t* name;     // NUL-terminated, inside the payload
  std::uint32_t nameLength;     // n, without the NUL
  std::uint32_t commentLength;  // k, without the NUL
  std::uint32_t tailLength;     // t, the full tail
  std::uint8_t headerLength;    // h, 29 or 27

  const std::uint8_t* headerBlock() const { return name + nameLength + 1; }  // 29 bytes
  const std::uint8_t* position() const { return headerBlock() + headerLength; }  // 17 bytes
  const std::uint8_t* comment() const { return position() + 17; }
  const std::uint8_t* tail() const { return comment() + commentLength + 1; }
  // The symbol code at tail bytes 17-18; bytes past the tail read as zero.
  std::uint16_t symbol() const {
    if (tailLength >= 19) return LoadU16(tail() + 17);
    return tailLength == 18 ? tail()[17] : 0;
  }
};

// The parsed view of a 'T' record: a name, a 9-byte block whose bytes 5-8
// hold the point count, and the 31-byte points.
struct MpsTrackEntry {
  const std::uint8_t* name;
  std::uint32_t nameLength;
  std::uint32_t pointCount;

  const std::uint8_t* trackBlock() const { return name + nameLength + 1; }
  const std::uint8_t* firstPoint() const { return trackBlock() + 9; }
};

// The parsed view of an 'L' record: two 32-bit values, three strings and a tail.
struct MpsLEntry {
  std::uint32_t value1;
  std::uint32_t value2;
  const char* text1;
  const char* text2;
  const char* text3;
  const std::uint8_t* tail;
  std::uint32_t tailLength;
};

inline constexpr std::size_t kMpsTrackPointSize = 31;

class MpsWaypointSection : public MpsSection<MpsWaypointSection, MpsWaypointEntry> {
 public:
  static constexpr std::uint8_t kLetter = 'W';
  static constexpr const char* kRecordName = "waypoint record";
  static constexpr LoadStep kFailureStep = LoadStep::kWaypointRun;
  static const char* ParseEntry(const RecordSlot& slot, MpsWaypointEntry& entry);
  // Fills a zero-filled record from entry `index`; false for an index past the run.
  bool ConvertWaypoint(std::int32_t index, WaypointRecord& record) const;
};

class MpsTrackSection : public MpsSection<MpsTrackSection, MpsTrackEntry> {
 public:
  static constexpr std::uint8_t kLetter = 'T';
  static constexpr const char* kRecordName = "track record";
  static constexpr LoadStep kFailureStep = LoadStep::kTrackRun;
  static const char* ParseEntry(const RecordSlot& slot, MpsTrackEntry& entry);
  // Fills a zero-filled record, its points included; false for an index past
  // the run or when the points cannot be allocated. With `storage` the points
  // go there (room for the entry's point count) instead of an array of their own.
  bool ConvertTrack(std::int32_t index, TrackRecord& record, TrackPoint* storage = nullptr) const;
  // The points of every track in the run, for one shared allocation.
  std::uint64_t TotalPoints() const;
};

class MpsLSection : public MpsSection<MpsLSection, MpsLEntry> {
 public:
  static constexpr std::uint8_t kLetter = 'L';
  static constexpr const char* kRecordName = "L record";
  static constexpr LoadStep kFailureStep = LoadStep::kLRun;
  static const char* ParseEntry(const RecordSlot& slot, MpsLEntry& entry);
};

}  // namespace ridloe
