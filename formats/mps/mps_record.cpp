#include "formats/mps/mps_record.h"

namespace ridloe {

Error FrameRecord(ByteCursor& cursor, RecordSlot& slot) {
  ByteCursor frame;
  if (!cursor.Sub(kMpsFrameSize, frame)) {
    return Error(Step::kTruncated, "fewer than 5 bytes left for a record frame");
  }
  frame.Prechecked().ReadU32(slot.length);
  frame.Prechecked().ReadU8(slot.type);
  if (slot.length == 0) return Fault("record has a payload length of 0");
  ByteSpan payload;
  if (!cursor.ReadBytes(slot.length, payload)) {
    return Error(Step::kTruncated, "record is longer than the rest of the file");
  }
  slot.payload = payload.data();
  return {};
}

std::size_t SkipRun(ByteCursor& cursor, std::uint8_t letter) {
  std::size_t count = 0;
  for (ByteCursor scan = cursor;; ++count) {
    RecordSlot frame;
    if (FrameRecord(scan, frame).failed() || frame.type != letter) return count;
    cursor = scan;
  }
}

Error FrameToEnd(ByteCursor& cursor, std::size_t recordsBefore) {
  std::size_t index = recordsBefore;
  const auto here = [&] {
    return Place::Record("record", static_cast<std::int64_t>(index), static_cast<std::int64_t>(cursor.offset()));
  };
  for (; !cursor.AtEnd(); ++index) {
    ByteCursor scan = cursor;
    RecordSlot frame;
    if (Error fault = FrameRecord(scan, frame); fault.failed()) {
      if (cursor.remaining() < kMpsFrameSize) {
        fault.reason = "file ends inside the record's 5-byte frame";
      } else if (fault.step == Step::kTruncated) {
        // The frame is whole: its length tells how much is missing.
        fault.reason = "file ends inside the record: it claims " + std::to_string(frame.length) + " bytes, " +
                       std::to_string(cursor.remaining() - kMpsFrameSize) + " remain";
      }
      return fault.In(Step::kTruncated, here());
    }
    cursor = scan;
    if (frame.type == 'V') return {};
  }
  return Error(Step::kTruncated, "file ends without its closing 'V' record", {}, here());
}

bool FrameWatch::MoreIsNeeded(ByteSpan soFar, std::size_t most) {
  constexpr std::size_t kSignatureSize = 6;
  if (next_ == 0) next_ = kSignatureSize;
  while (next_ <= soFar.size()) {
    ByteCursor frame(soFar.subspan(next_));
    std::uint32_t length = 0;
    std::uint8_t type = 0;
    if (!frame.ReadU32(length) || !frame.ReadU8(type)) return true;
    if (length == 0 || length > most - next_ - kMpsFrameSize) return false;
    if (!frame.Skip(length)) return true;  // the payload is still on its way
    next_ += kMpsFrameSize + length;
    // The first record is the header's, whatever its letter.
    if (++records_ > 1 && type == 'V') return false;
  }
  return true;
}

Error SkipThreeStrings(ByteCursor& payload) {
  for (const char* which : {"first", "second", "third"}) {
    ByteSpan text;
    if (!payload.ReadCString(text)) return Fault(std::string(which) + " string has no terminating NUL");
  }
  return {};
}

}  // namespace ridloe
