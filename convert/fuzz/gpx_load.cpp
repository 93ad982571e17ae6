// libFuzzer target: any bytes parsed as a GPX file, with and without sinks;
// whatever loads is written as GPX and as WTR (waypoints and the route
// points not among them) and must read back the same.
#include "convert/symbols.h"
#include "formats/fuzz/load_check.h"
#include "formats/gpx/gpx_format.h"
#include "formats/fuzz/roundtrip_check.h"
#include "formats/gpx/gpx_document.h"
#include "formats/wtr/wtr_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using ridloe::Require;
  Require("gpx_load", ridloe::CheckLoad(ridloe::kGpxFormat, data, size));
  ridloe::GpxDocument document;
  document.Parse(data, size, nullptr, nullptr);
  Require("gpx_load", ridloe::CheckGpxRoundTrip(document));
  const bool wtr = document.waypointCount > 0 || !ridloe::RoutePointsForWtr(document).empty();
  if (wtr && ridloe::MapSymbolsForWtr(document)) {
    Require("gpx_load", ridloe::CheckWtrRoundTrip(document));
  }
  return 0;
}
