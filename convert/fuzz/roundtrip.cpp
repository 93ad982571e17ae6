// libFuzzer target: whatever any MPS input loads (whether or not the load
// then fails) is written as GPX, its names decoded from code page 950, UTF-8
// and GB18030 in turn, and read back by the GPX reader, and its
// waypoints are written as WTR and read back by the WTR reader; everything
// must come back as the writers wrote it. The WTR trip is checked once with
// the symbol codes as loaded and once translated, as the convert command
// writes them.
#include "convert/symbols.h"
#include "formats/fuzz/load_check.h"
#include "formats/fuzz/roundtrip_check.h"
#include "formats/mps/mps_document.h"

namespace {

void Require(const std::string& why) { ridloe::Require("roundtrip", why); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ridloe::MpsDocument document;
  document.Parse(data, size, nullptr, nullptr);
  for (const char* codePage : {"CP950", "UTF-8", "GB18030"}) Require(ridloe::CheckGpxRoundTrip(document, codePage));
  if (document.waypointCount <= 0 || !document.waypoints) return 0;
  Require(ridloe::CheckWtrRoundTrip(document));
  if (ridloe::MapSymbolsForWtr(document)) Require(ridloe::CheckWtrRoundTrip(document));
  return 0;
}
