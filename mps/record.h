// Framing of MPS records: a uint32 payload length, a one-letter type and the
// payload, back to back after the 6-byte signature.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document/bytes.h"

namespace ridloe {

// One framed record. The payload views a copy owned by whoever read the
// record (the header or the section that holds the run); absent when not read.
struct RecordSlot {
  std::uint32_t length = 0;
  std::uint8_t type = 0;
  const std::uint8_t* payload = nullptr;
};

enum class FrameResult {
  kOk,
  kTooShort,    // fewer than 5 bytes remain: nothing is consumed
  kZeroLength,  // a record must carry at least one payload byte
  kTooLong,     // the payload runs past the end of the data
};

const char* DescribeFrameResult(FrameResult result);

// Frames the record at the cursor without copying: on success `slot.payload`
// views the bytes in the cursor's buffer and the cursor has moved past the
// record. Once the 5 frame bytes exist they stay consumed whatever follows;
// a caller that gets a failure abandons the cursor.
FrameResult FrameRecord(ByteCursor& cursor, RecordSlot& slot);

// Frames the record at the cursor and copies its payload to `storage`, which
// has room for it (the caller learnt its length by framing it before). On
// success the slot views the copy.
bool ReadRecord(ByteCursor& cursor, RecordSlot& slot, std::uint8_t* storage);

// Marks the slot's payload absent; the memory belongs to the slot's owner.
inline void FreeSlot(RecordSlot& slot) { slot.payload = nullptr; }

}  // namespace ridloe
