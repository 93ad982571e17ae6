// The document of an MPS file: the header and the three runs it reads, and the
// waypoints and tracks converted from them.
#pragma once

#include "core/bytes/byte_block.h"
#include "formats/mps/mps_header.h"
#include "formats/mps/mps_section.h"
#include "formats/wtr/wtr_document.h"

namespace ridloe {

class MpsDocument : public WtrDocument {
 public:
  MpsDocument() = default;
  ~MpsDocument() override = default;

  // Reads the signature, the header, the waypoint run (converting and listing
  // every waypoint), passes the route run, reads the track run (converting
  // and listing every track) and the 'L' run, in this order, and then frames
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
  SymbolCodes symbolCodes() const override { return SymbolCodes::kMps; }

  // A document holds at most this many tracks.
  static constexpr std::int32_t kMaxTracks = 9999;

 private:
  bool ConvertTracks(ListSink* trackSink);
  // Sets `error` when a record after the runs cannot be framed;
  // `recordsBefore` counts the records from the first one to the cursor.
  static void CheckRest(ByteCursor cursor, std::size_t recordsBefore, LoadError& error);

  // The file's bytes that the header and the sections' slots view.
  ByteBlock records_;
  FrameWatch frames_;

 public:
  MpsHeader header;
  MpsWaypointSection waypointSection;
  MpsTrackSection trackSection;
  MpsLSection lSection;
};

}  // namespace ridloe
