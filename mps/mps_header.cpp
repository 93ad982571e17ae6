#include "mps/mps_header.h"

#include <cstring>

namespace ridloe {
namespace {

bool HeaderFailure(LoadError& error, LoadStep step, std::string reason, std::int64_t offset, std::string record = {}) {
  return error.Set(step, std::move(reason), offset, std::move(record));
}

}  // namespace

bool MpsHeader::ReadHeader(ByteCursor& cursor, LoadError& error) {
  if (cursor.remaining() < sizeof signature) {
    return HeaderFailure(error, LoadStep::kSignature, "file is shorter than the 6-byte MsRcd signature", 0);
  }
  const std::uint8_t* bytes = nullptr;
  cursor.Take(sizeof signature, bytes);
  std::memcpy(signature, bytes, sizeof signature);
  if (std::memcmp(signature, kMpsSignature, sizeof signature) != 0) {
    return HeaderFailure(error, LoadStep::kSignature, "file does not start with the MsRcd signature", 0);
  }

  // Frame both records on a copy of the cursor first, so that one block can
  // hold both payload copies.
  ByteCursor scan = cursor;
  RecordSlot first;
  RecordSlot second;
  const std::int64_t firstOffset = static_cast<std::int64_t>(scan.offset());
  const FrameResult firstFrame = FrameRecord(scan, first);
  if (firstFrame != FrameResult::kOk) {
    return HeaderFailure(error, LoadStep::kFirstRecord, DescribeFrameResult(firstFrame), firstOffset, "first record");
  }
  aOffset_ = static_cast<std::int64_t>(scan.offset());
  const FrameResult secondFrame = FrameRecord(scan, second);
  if (secondFrame != FrameResult::kOk) {
    return HeaderFailure(error, LoadStep::kARecord, DescribeFrameResult(secondFrame), aOffset_, "'A' record");
  }
  if (!storage_.Allocate(std::size_t{first.length} + second.length)) {
    return HeaderFailure(error, LoadStep::kARecord, "out of memory for the header records", firstOffset);
  }
  ReadRecord(cursor, firstRecord, storage_.data());
  ReadRecord(cursor, aRecord, storage_.data() + first.length);
  return CheckARecord(error);
}

bool MpsHeader::CheckARecord(LoadError& error) {
  if (aRecord.type != 'A') {
    return HeaderFailure(error, LoadStep::kARecord, "second record is not an 'A' record", aOffset_, "'A' record");
  }
  if (aRecord.length < 2) {
    return HeaderFailure(error, LoadStep::kARecord, "payload is shorter than its 2-byte value", aOffset_, "'A' record");
  }
  aValue = LoadU16(aRecord.payload);
  const char** texts[3] = {&aText1, &aText2, &aText3};
  std::size_t at = 2;
  for (int i = 0; i < 3; ++i) {
    const std::ptrdiff_t len = BoundedStringLength(aRecord.payload + at, aRecord.length - at);
    if (len < 0) {
      static const char* const kWhich[3] = {"first", "second", "third"};
      return HeaderFailure(error, LoadStep::kARecord, std::string(kWhich[i]) + " string has no terminating NUL",
                           aOffset_, "'A' record");
    }
    *texts[i] = reinterpret_cast<const char*>(aRecord.payload + at);
    at += static_cast<std::size_t>(len) + 1;
  }
  return true;
}

}  // namespace ridloe
