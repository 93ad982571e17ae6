#include "formats/mps/mps_record.h"

namespace ridloe {

bool FrameRecord(ByteCursor& cursor, RecordSlot& slot, Error* why) {
  // Records are framed by the million: the words are made only on failure.
  const auto fail = [why](Step step, const char* what) {
    if (why) *why = Error(step, what);
    return false;
  };
  ByteCursor frame;
  if (!cursor.Sub(kMpsFrameSize, frame)) return fail(Step::kTruncated, "fewer than 5 bytes left for a record frame");
  frame.Prechecked().ReadU32(slot.length);
  frame.Prechecked().ReadU8(slot.type);
  if (slot.length == 0) return fail(Step::kRecord, "record has a payload length of 0");
  ByteSpan payload;
  if (!cursor.ReadBytes(slot.length, payload)) return fail(Step::kTruncated, "record is longer than the rest of the file");
  slot.payload = payload.data();
  return true;
}

std::size_t SkipRun(ByteCursor& cursor, std::uint8_t letter) {
  std::size_t count = 0;
  for (ByteCursor scan = cursor;; ++count) {
    RecordSlot frame;
    if (!FrameRecord(scan, frame) || frame.type != letter) return count;
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
    if (Error fault; !FrameRecord(scan, frame, &fault)) {
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

bool SkipThreeStrings(ByteCursor& payload, Error& why) {
  for (const char* which : {"first", "second", "third"}) {
    ByteSpan text;
    if (!payload.ReadCString(text)) return Fault(why, std::string(which) + " string has no terminating NUL");
  }
  return true;
}

}  // namespace ridloe
