// The round trips that the fuzzers and the regression test share: a
// document written as WTR or GPX and read back by the reader of that format.
#pragma once

#include <string>

#include "formats/wtr/wtr_document.h"

namespace ridloe {

// Encodes the waypoints of `document` (which holds at least one) and the
// route points a WTR file adds to them as a WTR file in memory, reads the
// bytes back with the WTR reader and compares every record. Empty when they
// agree; otherwise the first disagreement in words.
std::string CheckWtrRoundTrip(const GpsDocument& document);

// Encodes `document` as GPX (8-bit names decoded from `codePage`), reads it
// back with the GPX reader and compares every waypoint, route, track and
// point: coordinates exactly, altitudes bit for bit where GPX holds them,
// times, segments, the symbol codes, and the text as XML can carry it. Points
// with a latitude beyond ±90° are written, and the reader leaves them out.
// Empty when they agree.
std::string CheckGpxRoundTrip(const GpsDocument& document, const char* codePage = "CP950");

}  // namespace ridloe
