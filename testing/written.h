// A format's bytes of a document as the tests and fuzzers keep them.
#pragma once

#include <string>

#include "formats/format_registry.h"
#include "testing/mps_builder.h"

namespace ridloe::testing {

// What `format`'s writer writes of `document`; false as the writer returns.
inline bool WrittenBytes(const Format& format, const GpsDocument& document, const WriteOptions& options, Bytes& out) {
  std::string bytes;
  const bool ok = Encode(format, document, options, bytes);
  out.assign(bytes.begin(), bytes.end());
  return ok;
}

}  // namespace ridloe::testing
