// The round trips that the fuzzers and the regression test share: a
// document written as WTR or GPX and read back by the reader of that format.
#pragma once

#include <string>

#include "formats/wtr/wtr_document.h"

namespace ridloe {

// Encodes the waypoints of `document` (which holds at least one) as a WTR
// file in memory, reads the bytes back with the WTR reader and compares every
// waypoint. Empty when they agree; otherwise the first disagreement in words.
std::string CheckWtrRoundTrip(const GpsDocument& document);

// Encodes `document` as GPX (8-bit names decoded from code page 950), reads
// it back with the GPX reader and compares every waypoint, track and point:
// coordinates exactly, altitudes bit for bit where GPX holds them, times,
// the symbol codes, and the text as XML can carry it. Empty when they agree.
std::string CheckGpxRoundTrip(const GpsDocument& document);

}  // namespace ridloe
