// libFuzzer target: any bytes parsed as an MPS file, with and without sinks.
#include "formats/fuzz/load_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ridloe::Require("mps_load", ridloe::CheckLoad(ridloe::Reader::kMps, data, size));
  return 0;
}
