#include "mps/record.h"

#include <cstring>

namespace ridloe {

const char* DescribeFrameResult(FrameResult result) {
  switch (result) {
    case FrameResult::kOk: return "record is framed";
    case FrameResult::kTooShort: return "fewer than 5 bytes left for a record frame";
    case FrameResult::kZeroLength: return "record has a payload length of 0";
    case FrameResult::kTooLong: return "record is longer than the rest of the file";
  }
  return "record cannot be framed";
}

FrameResult FrameRecord(ByteCursor& cursor, RecordSlot& slot) {
  const std::uint8_t* frame = nullptr;
  if (!cursor.Take(5, frame)) return FrameResult::kTooShort;
  slot.length = LoadU32(frame);
  slot.type = frame[4];
  if (slot.length == 0) return FrameResult::kZeroLength;
  const std::uint8_t* payload = nullptr;
  if (!cursor.Take(slot.length, payload)) return FrameResult::kTooLong;
  slot.payload = payload;
  return FrameResult::kOk;
}

bool ReadRecord(ByteCursor& cursor, RecordSlot& slot, std::uint8_t* storage) {
  RecordSlot framed;
  if (FrameRecord(cursor, framed) != FrameResult::kOk) return false;
  std::memcpy(storage, framed.payload, framed.length);
  slot.length = framed.length;
  slot.type = framed.type;
  slot.payload = storage;
  return true;
}

}  // namespace ridloe
