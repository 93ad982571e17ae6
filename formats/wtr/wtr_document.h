// A WTR file as a document: the reader is this class's parse, and SaveWtr
// writes any document's waypoints in the WTR layout. MpsDocument derives from
// it, so every document the dialog holds can be written as WTR.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <string>
#include <vector>

#include "core/document/gps_document.h"
#include "core/platform/file_access.h"
#include "formats/format.h"
#include "formats/symbols.h"

namespace ridloe {

class WtrDocument : public GpsDocument {
 public:
  // Reads the waypoint records and at most one track.
  bool Parse(const std::uint8_t* data, std::size_t size, ListSink* waypointSink, ListSink* trackSink) override;
  const SymbolNumbering& symbolNumbering() const override { return kWtrNumbering; }
  // The name as the record holds it, without the spaces that pad a WTR
  // name field to its 10 bytes (the record keeps them).
  WaypointText TextOf(std::int32_t index) const override;

  // Writes the waypoints as a WTR file. False without touching the file
  // system when there are none; an existing file is replaced only when every
  // byte of the new one has been written. `why` says what failed.
  bool SaveWtr(const std::string& path, Error* why = nullptr) const;
};

// The route points a WTR file written with routes holds after the waypoints:
// each route's points, in route order, that are not already among the
// waypoints or the route points before them (the same whole name and the
// same place). None for a document that stores its route points among its
// waypoints.
std::vector<const WaypointRecord*> RoutePointsForWtr(const GpsDocument& document);

// Writes a WTR file with the document's waypoints, in file order, and with
// `options.routes` the route points RoutePointsForWtr gives (their symbols
// translated to WTR codes), to `out` one block or record at a time; stops at
// the first write that fails. False without writing when there is nothing
// to write.
bool WriteWtr(const GpsDocument& document, const WriteOptions& options, ByteSink& out);

// WTR as the registry knows it.
extern const Format kWtrFormat;

}  // namespace ridloe
