// KML 2.2, for globe viewers and the map sites that take it: waypoints as
// placemarks, routes and tracks as line strings. Only written.
#pragma once

#include "core/bytes/byte_sink.h"
#include "core/document/gps_document.h"
#include "formats/format.h"

namespace ridloe {

inline constexpr const char* kKmlNamespace = "http://www.opengis.net/kml/2.2";

// Writes the document as KML 2.2, streamed to `out` a block at a time: a
// style for each symbol its waypoints use, then a folder of waypoints (name,
// comment and description, the symbol's style, a point with its altitude
// where the file gave one), one of routes (unless `options.routes` is
// false) and one of tracks, each a line string (a track of several segments,
// one line string each). Names of documents whose text is 8-bit are decoded
// from `options.codePage` (false, writing nothing, when the system does not
// know it). False at the first write that fails.
bool WriteKml(const GpsDocument& document, const WriteOptions& options, ByteSink& out);

// KML as the registry knows it.
extern const Format kKmlFormat;

}  // namespace ridloe
