#include "formats/mps/mps_header.h"

#include <utility>

namespace ridloe {

Place MpsHeader::APlace() const { return Place::Record("'A' record", -1, aOffset_); }

bool MpsHeader::ReadHeader(ByteCursor& cursor, Error& error) {
  if (cursor.remaining() < sizeof kMpsSignature) {
    return error.Fail(Step::kSignature, "file is shorter than the 6-byte MsRcd signature", Place::Byte(0));
  }
  if (!cursor.StartsWith(kMpsSignature)) {
    return error.Fail(Step::kSignature, "file does not start with the MsRcd signature", Place::Byte(0));
  }
  cursor.Prechecked().Skip(sizeof kMpsSignature);
  const auto firstOffset = static_cast<std::int64_t>(cursor.offset());
  if (Error why; !FrameRecord(cursor, firstRecord, &why)) {
    error = why.In(Step::kHeader, Place::Record("first record", -1, firstOffset));
    return false;
  }
  aOffset_ = static_cast<std::int64_t>(cursor.offset());
  if (Error why; !FrameRecord(cursor, aRecord, &why)) {
    error = why.In(Step::kHeader, APlace());
    return false;
  }
  return CheckARecord(error);
}

bool MpsHeader::CheckARecord(Error& error) const {
  if (aRecord.type != 'A') {
    return error.Fail(Step::kHeader, "second record is not an 'A' record", APlace());
  }
  ByteCursor payload(aRecord.bytes());
  std::uint16_t value = 0;
  if (!payload.ReadU16(value)) {
    return error.Fail(Step::kHeader, "payload is shorter than its 2-byte value", APlace());
  }
  if (Error missing; !SkipThreeStrings(payload, missing)) {
    error = missing.In(Step::kHeader, APlace());
    return false;
  }
  return true;
}

bool MpsHeader::IsVersion3() const {
  ByteCursor payload(firstRecord.bytes());
  std::uint8_t version = 0;
  return firstRecord.type == 'D' && payload.ReadU8(version) && version == 'd';
}

}  // namespace ridloe
