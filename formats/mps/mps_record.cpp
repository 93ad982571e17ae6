#include "formats/mps/mps_record.h"

namespace ridloe {

const char* DescribeFrameResult(FrameResult result) {
  switch (result) {
    case FrameResult::kOk: return "record is framed";
    case FrameResult::kTooShort: return "fewer than 5 bytes left for a record frame";
    case FrameResult::kZeroLength: return "record has a payload length of 0";
    case FrameResult::kTooLong: return "record is longer than the rest of the file";
    case FrameResult::kUnclosed: return "file ends without its closing 'V' record";
  }
  return "record cannot be framed";
}

FrameResult FrameRecord(ByteCursor& cursor, RecordSlot& slot) {
  ByteCursor frame;
  if (!cursor.Sub(kMpsFrameSize, frame)) return FrameResult::kTooShort;
  frame.Prechecked().ReadU32(slot.length);
  frame.Prechecked().ReadU8(slot.type);
  if (slot.length == 0) return FrameResult::kZeroLength;
  ByteSpan payload;
  if (!cursor.ReadBytes(slot.length, payload)) return FrameResult::kTooLong;
  slot.payload = payload.data();
  return FrameResult::kOk;
}

std::size_t SkipRun(ByteCursor& cursor, std::uint8_t letter) {
  std::size_t count = 0;
  for (ByteCursor scan = cursor;; ++count) {
    RecordSlot frame;
    if (FrameRecord(scan, frame) != FrameResult::kOk || frame.type != letter) return count;
    cursor = scan;
  }
}

FrameResult FrameToEnd(ByteCursor& cursor, std::size_t& framed) {
  framed = 0;
  while (!cursor.AtEnd()) {
    ByteCursor scan = cursor;
    RecordSlot frame;
    if (const FrameResult result = FrameRecord(scan, frame); result != FrameResult::kOk) return result;
    cursor = scan;
    ++framed;
    if (frame.type == 'V') return FrameResult::kOk;
  }
  return FrameResult::kUnclosed;
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

const char* SkipThreeStrings(ByteCursor& payload) {
  static const char* const kMissingNul[3] = {"first string has no terminating NUL",
                                             "second string has no terminating NUL",
                                             "third string has no terminating NUL"};
  for (const char* missing : kMissingNul) {
    ByteSpan text;
    if (!payload.ReadCString(text)) return missing;
  }
  return nullptr;
}

}  // namespace ridloe
