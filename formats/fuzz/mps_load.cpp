// libFuzzer target: any bytes parsed as an MPS file, with and without sinks.
#include "formats/fuzz/load_check.h"
#include "formats/mps/mps_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ridloe::Require("mps_load", ridloe::CheckLoad(ridloe::kMpsFormat, data, size));
  return 0;
}
