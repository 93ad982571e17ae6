// libFuzzer target: any bytes parsed as a WTR file, with and without sinks.
#include "formats/fuzz/load_check.h"
#include "formats/wtr/wtr_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ridloe::Require("wtr_load", ridloe::CheckLoad(ridloe::kWtrFormat, data, size));
  return 0;
}
