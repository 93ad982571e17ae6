// The start of an MPS file: the signature, one record of any type and the 'A'
// record. The header exists to validate the file; nothing reads it later.
#pragma once

#include <cstdint>

#include "document/file_io.h"
#include "document/load_error.h"
#include "mps/record.h"

namespace ridloe {

inline constexpr std::uint8_t kMpsSignature[6] = {'M', 's', 'R', 'c', 'd', 0};

class MpsHeader {
 public:
  MpsHeader() = default;
  virtual ~MpsHeader() = default;
  MpsHeader(const MpsHeader&) = delete;
  MpsHeader& operator=(const MpsHeader&) = delete;

  // Reads the signature and both records; on failure `error` says why.
  bool ReadHeader(ByteCursor& cursor, LoadError& error);
  // The 'A' record: its type, a uint16 value and three NUL-terminated strings
  // that all end inside the payload.
  bool CheckARecord(LoadError& error);

  std::uint8_t signature[6] = {};
  RecordSlot firstRecord;
  RecordSlot aRecord;
  std::uint16_t aValue = 0;
  const char* aText1 = nullptr;
  const char* aText2 = nullptr;
  const char* aText3 = nullptr;

 private:
  ByteBlock storage_;  // the copies of both record payloads
  std::int64_t aOffset_ = -1;
};

}  // namespace ridloe
