#include "formats/mps/mps_header.h"

namespace ridloe {

bool MpsHeader::ReadHeader(ByteCursor& cursor, LoadError& error) {
  if (cursor.remaining() < sizeof kMpsSignature) {
    return error.Set(LoadStep::kSignature, "file is shorter than the 6-byte MsRcd signature", 0);
  }
  if (!cursor.StartsWith(kMpsSignature)) {
    return error.Set(LoadStep::kSignature, "file does not start with the MsRcd signature", 0);
  }
  cursor.Prechecked().Skip(sizeof kMpsSignature);
  const auto firstOffset = static_cast<std::int64_t>(cursor.offset());
  const FrameResult firstFrame = FrameRecord(cursor, firstRecord);
  if (firstFrame != FrameResult::kOk) {
    return error.Set(LoadStep::kFirstRecord, DescribeFrameResult(firstFrame), firstOffset, "first record");
  }
  aOffset_ = static_cast<std::int64_t>(cursor.offset());
  const FrameResult secondFrame = FrameRecord(cursor, aRecord);
  if (secondFrame != FrameResult::kOk) {
    return error.Set(LoadStep::kARecord, DescribeFrameResult(secondFrame), aOffset_, "'A' record");
  }
  return CheckARecord(error);
}

bool MpsHeader::CheckARecord(LoadError& error) const {
  if (aRecord.type != 'A') {
    return error.Set(LoadStep::kARecord, "second record is not an 'A' record", aOffset_, "'A' record");
  }
  ByteCursor payload(aRecord.bytes());
  std::uint16_t value = 0;
  if (!payload.ReadU16(value)) {
    return error.Set(LoadStep::kARecord, "payload is shorter than its 2-byte value", aOffset_, "'A' record");
  }
  if (const char* missing = SkipThreeStrings(payload)) {
    return error.Set(LoadStep::kARecord, missing, aOffset_, "'A' record");
  }
  return true;
}

bool MpsHeader::IsVersion3() const {
  ByteCursor payload(firstRecord.bytes());
  std::uint8_t version = 0;
  return firstRecord.type == 'D' && payload.ReadU8(version) && version == 'd';
}

}  // namespace ridloe
