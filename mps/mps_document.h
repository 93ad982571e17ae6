// The document of an MPS file: the header and the three runs it reads, and the
// waypoints and tracks converted from them.
#pragma once

#include "document/wtr_document.h"
#include "mps/mps_header.h"
#include "mps/mps_section.h"

namespace ridloe {

class MpsDocument : public WtrDocument {
 public:
  MpsDocument() = default;
  ~MpsDocument() override = default;

  // Reads the signature, the header, the waypoint run (converting and listing
  // every waypoint), the track run (converting and listing every track) and
  // the 'L' run, in this order. A failure keeps what was filled before it.
  bool Parse(const std::uint8_t* data, std::size_t size, ListSink* waypointSink, ListSink* trackSink) override;
  // The same; the file's bytes are released once every run is copied.
  bool ParseBuffer(ByteBlock buffer, ListSink* waypointSink, ListSink* trackSink) override;

  // A document holds at most this many tracks.
  static constexpr std::int32_t kMaxTracks = 9999;

  MpsHeader header;
  MpsWaypointSection waypointSection;
  MpsTrackSection trackSection;
  MpsLSection lSection;

 private:
  bool ParseRuns(const std::uint8_t* data, std::size_t size, ByteBlock* owned, ListSink* waypointSink,
                 ListSink* trackSink);
  bool ConvertTracks(ListSink* trackSink);
};

}  // namespace ridloe
