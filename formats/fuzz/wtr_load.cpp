// libFuzzer target: any bytes parsed as a WTR file, with and without sinks.
#include "formats/fuzz/load_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ridloe::Require("wtr_load", ridloe::CheckLoad(ridloe::Reader::kWtr, data, size));
  return 0;
}
