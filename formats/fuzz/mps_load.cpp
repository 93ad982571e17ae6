// libFuzzer target: any bytes parsed as an MPS file, with and without sinks.
#include <cstdio>
#include <cstdlib>

#include "formats/fuzz/load_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string why = ridloe::CheckLoad(ridloe::Reader::kMps, data, size);
  if (!why.empty()) {
    std::fprintf(stderr, "mps_load: %s\n", why.c_str());
    std::abort();
  }
  return 0;
}
