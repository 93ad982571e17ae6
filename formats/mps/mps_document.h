// The document of an MPS file: the header and the four runs it reads, and the
// waypoints, routes and tracks converted from them.
#pragma once

#include "core/bytes/byte_block.h"
#include "formats/mps/mps_header.h"
#include "formats/mps/mps_section.h"
#include "formats/symbols.h"
#include "formats/wtr/wtr_document.h"

namespace ridloe {

class MpsDocument : public WtrDocument {
 public:
  MpsDocument() = default;
  ~MpsDocument() override = default;

  // Reads the signature, the header, the waypoint run (converting and listing
  // every waypoint), the route run (converting every route), the track run
  // (converting and listing every track) and the 'L' run, in this order, and then frames
  // the records up to a 'V' record or the end of the file: a file cut short
  // fails once everything before the cut is listed. A failure keeps what was
  // filled before it.
  bool Parse(const std::uint8_t* data, std::size_t size, ListSink* waypointSink, ListSink* trackSink) override;
  // The same on a buffer handed over: its bytes up to the end of the last run
  // become the records' storage, and the rest is released before the
  // document grows.
  bool ParseBuffer(ByteBlock buffer, ListSink* waypointSink, ListSink* trackSink) override;
  // Follows the records' frames as the bytes arrive: reading stops at a
  // frame that cannot be (no payload, or more than the read will take) and
  // after the closing 'V' record.
  bool Watch(ByteSpan soFar, std::size_t most, ListSink*, ListSink*) override {
    return frames_.MoreIsNeeded(soFar, most);
  }

  WaypointText TextOf(std::int32_t index) const override { return waypointSection.TextOf(index); }
  std::string_view TrackNameOf(std::int32_t index) const override { return trackSection.NameOf(index); }
  std::string_view RouteNameOf(std::int32_t index) const override { return routeSection.NameOf(index); }
  // The point's whole name, and the comment of the waypoint it names.
  WaypointText RoutePointTextOf(std::int32_t route, std::int32_t point) const override;
  // Route points are stored as 'W' records too.
  bool RoutePointsAreWaypoints() const override { return true; }
  const SymbolNumbering& symbolNumbering() const override { return kMpsNumbering; }

  // A document holds at most this many tracks.
  static constexpr std::int32_t kMaxTracks = 9999;

 private:
  bool ConvertRoutes();
  bool ConvertTracks(ListSink* trackSink);

  // The file's bytes that the header and the sections' slots view.
  ByteBlock records_;
  FrameWatch frames_;
  // Where the text of each point of the route point pool lies.
  ZeroedArray<MpsRoutePointRef> routePointRefs_;

 public:
  MpsHeader header;
  MpsWaypointSection waypointSection;
  MpsRouteSection routeSection;
  MpsTrackSection trackSection;
  MpsLSection lSection;
};

// MPS as the registry knows it.
extern const Format kMpsFormat;

}  // namespace ridloe
