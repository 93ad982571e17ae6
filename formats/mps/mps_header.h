// The start of an MPS file: the signature, one record of any type and the 'A'
// record. The header validates the file and tells its waypoints' layout.
#pragma once

#include <cstdint>

#include "core/error/error.h"
#include "formats/mps/mps_record.h"

namespace ridloe {

inline constexpr std::uint8_t kMpsSignature[6] = {'M', 's', 'R', 'c', 'd', 0};

class MpsHeader {
 public:
  MpsHeader() = default;
  virtual ~MpsHeader() = default;
  MpsHeader(const MpsHeader&) = delete;
  MpsHeader& operator=(const MpsHeader&) = delete;

  // Reads the signature and both records; on failure `error` says why.
  bool ReadHeader(ByteCursor& cursor, Error& error);
  // The 'A' record: its type, a uint16 value and three NUL-terminated strings
  // that all end inside the payload.
  bool CheckARecord(Error& error) const;
  // The first record names the format version when it is a 'D' record: its
  // payload starts with 'd' (version 3), 'g' (4) or 'i' (5).
  bool IsVersion3() const;

  RecordSlot firstRecord;
  RecordSlot aRecord;

 private:
  Place APlace() const;  // where the 'A' record is
  std::int64_t aOffset_ = -1;
};

}  // namespace ridloe
