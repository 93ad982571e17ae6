// Framing of MPS records: a uint32 payload length, a one-letter type and the
// payload, back to back after the 6-byte signature.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/bytes/byte_cursor.h"
#include "core/error/error.h"

namespace ridloe {

// The length and the type letter in front of every payload.
inline constexpr std::size_t kMpsFrameSize = 5;

// One framed record. The payload views bytes owned by the document that read
// the record; absent when not read.
struct RecordSlot {
  std::uint32_t length = 0;
  std::uint8_t type = 0;
  const std::uint8_t* payload = nullptr;

  ByteSpan bytes() const { return {payload, payload ? length : 0u}; }
};

// Frames the record at the cursor: on success `slot.payload` views the bytes
// in the cursor's buffer and the cursor has moved past the record. Once the
// 5 frame bytes exist they stay consumed whatever follows (`slot.length`
// holds the length they claim); a caller that gets a failure abandons the
// cursor. On failure `why` (when given) is kTruncated when the data ends
// inside the frame or the payload, a Fault when the frame claims no
// payload; its caller names the step and the place.
bool FrameRecord(ByteCursor& cursor, RecordSlot& slot, Error* why = nullptr);

// FrameRecord for a record already known to frame: true when it did.
inline bool ReadRecord(ByteCursor& cursor, RecordSlot& slot) { return FrameRecord(cursor, slot); }

// Moves past the run of records of type `letter` at the cursor without
// reading them; the record that ends the run stays unread. How many it passed.
std::size_t SkipRun(ByteCursor& cursor, std::uint8_t letter);

// Frames the records at the cursor one by one, without reading them, up to
// and including the 'V' record that closes the file. No failure when every
// one frames and the 'V' record is there; otherwise a kTruncated failure at
// the first that does not frame (record `recordsBefore` + the records passed,
// with the cursor left at its frame), or, when the records end with the data
// and no 'V' record closed them, at the end: every writer of these files
// ends them with a 'V' record, so records that end without one were cut
// short.
Error FrameToEnd(ByteCursor& cursor, std::size_t recordsBefore);

// Follows the frames of a file's records while its bytes arrive, to tell as
// early as can be told that reading on is of no use: a frame that claims no
// payload, or more than the read will ever take, is damage, and after the
// closing 'V' record nothing is read.
class FrameWatch {
 public:
  // `soFar`: the file's bytes read yet, signature included; `most`: the most
  // the read will take. False once reading on cannot change the outcome.
  bool MoreIsNeeded(ByteSpan soFar, std::size_t most);

 private:
  std::size_t next_ = 0;  // where the next frame starts; 0 before the signature is passed
  std::size_t records_ = 0;
};

// The 'A' and 'L' records carry three NUL-terminated strings in a row. Moves
// past them; false, with a Fault naming the first that does not end inside
// the payload.
bool SkipThreeStrings(ByteCursor& payload, Error& why);

// Marks the slot's payload absent; the memory belongs to the slot's owner.
inline void FreeSlot(RecordSlot& slot) { slot.payload = nullptr; }

}  // namespace ridloe
