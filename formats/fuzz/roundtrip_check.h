// The WTR round trip that the roundtrip fuzzer and the regression test share:
// a document's waypoints written as WTR and read back by the WTR reader.
#pragma once

#include <string>

#include "formats/wtr/wtr_document.h"

namespace ridloe {

// Encodes the waypoints of `document` (which holds at least one) as a WTR
// file in memory, reads the bytes back with the WTR reader and compares every
// waypoint. Empty when they agree; otherwise the first disagreement in words.
std::string CheckWtrRoundTrip(const WtrDocument& document);

}  // namespace ridloe
