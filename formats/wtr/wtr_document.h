// A WTR file as a document: the reader is this class's parse, and SaveWtr
// writes any document's waypoints in the WTR layout. MpsDocument derives from
// it, so every document the dialog holds can be written as WTR.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/document/gps_document.h"
#include "core/platform/file_access.h"

namespace ridloe {

class WtrDocument : public GpsDocument {
 public:
  // Reads the waypoint records and at most one track.
  bool Parse(const std::uint8_t* data, std::size_t size, ListSink* waypointSink, ListSink* trackSink) override;
  SymbolCodes symbolCodes() const override { return SymbolCodes::kWtr; }

  // Writes the waypoints as a WTR file. False without touching the file
  // system when there are none; an existing file is replaced only when every
  // byte of the new one has been written. `why` says what failed.
  bool SaveWtr(const std::string& path, WriteError* why = nullptr) const;
};

// The bytes of a WTR file with the document's waypoints, in file order,
// handed to `write` one block or record at a time; stops at the first write
// that returns false. False without calling `write` when there are none.
using WtrWrite = std::function<bool(const std::uint8_t* bytes, std::size_t size)>;
bool WriteWtr(const GpsDocument& document, const WtrWrite& write);
// The same bytes appended to `out`, for callers that keep the file in memory.
bool EncodeWtr(const GpsDocument& document, std::vector<std::uint8_t>& out);
// The same bytes written to `path` as SaveWtr writes them.
bool SaveWtr(const GpsDocument& document, const std::string& path, WriteError* why = nullptr);

}  // namespace ridloe
