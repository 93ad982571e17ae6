// A GPX file as a document: waypoints, routes and tracks read by a
// streaming XML parser. Its text is UTF-8; the records' names hold the
// code page 950 form of each name, as a WTR file would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/document/gps_document.h"
#include "formats/format.h"
#include "formats/symbols.h"

namespace ridloe {

class GpxReader;

class GpxDocument : public GpsDocument {
 public:
  GpxDocument();
  ~GpxDocument() override;

  // Reads GPX 1.1, 1.0 or GPX without a namespace. Never expands an entity
  // the document declares and never loads anything: a document that declares
  // entities, or uses one it does not declare, is refused. A failure keeps
  // the waypoints and tracks read before it.
  bool Parse(const std::uint8_t* data, std::size_t size, ListSink* waypointSink, ListSink* trackSink) override;
  // Parses the bytes as they arrive, so that a file wrong at byte N fails
  // once little more than N bytes are read; ParseBuffer then ends the parse.
  bool Watch(ByteSpan soFar, std::size_t most, ListSink* waypointSink, ListSink* trackSink) override;
  bool ParseBuffer(ByteBlock buffer, ListSink* waypointSink, ListSink* trackSink) override;

  WaypointText TextOf(std::int32_t index) const override;
  std::string_view TrackNameOf(std::int32_t index) const override;
  std::string_view RouteNameOf(std::int32_t index) const override;
  WaypointText RoutePointTextOf(std::int32_t route, std::int32_t point) const override;
  bool TextIsUtf8() const override { return true; }
  // Symbols are named; the codes are the MPS codes of those names.
  const SymbolNumbering& symbolNumbering() const override { return kMpsNumbering; }

 private:
  friend class GpxReader;

  // The five fields of the waypoint or route point whose text starts at `at`.
  WaypointText TextAt(std::size_t at) const;

  // The text of every waypoint and route point (its five fields), and every
  // track and route (its name), each field as its length in 7-bit groups
  // followed by its bytes.
  std::string text_;
  std::vector<std::uint64_t> waypointText_;    // where each waypoint's fields start in text_
  std::vector<std::uint64_t> routePointText_;  // where each route point's fields start, in the pool's order
  std::vector<std::uint64_t> trackText_;       // where each track's name starts in text_
  std::vector<std::uint64_t> routeText_;       // where each route's name starts in text_

  // The parse fed by Watch while the file is read, and how far it got.
  std::unique_ptr<GpxReader> feeding_;
  std::size_t fed_ = 0;
};

// Writes the waypoints, then the routes (unless `options.routes` is false),
// then the tracks (a trkseg per segment), of any document as GPX 1.1,
// streamed to `out` a block at a time; stops at the first write that fails.
// Names and comments of documents whose text is 8-bit are decoded from
// `options.codePage` (false, writing nothing, when the system does not know
// it); whatever XML 1.0 cannot hold is written as U+FFFD. The same document
// always gives the same bytes.
bool WriteGpx(const GpsDocument& document, const WriteOptions& options, ByteSink& out);

}  // namespace ridloe
