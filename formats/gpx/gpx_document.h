// A GPX file as a document: waypoints and tracks read by a streaming XML
// parser, routes counted. Its text is UTF-8; the records' names hold the
// code page 950 form of each name, as a WTR file would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/document/gps_document.h"

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
  bool TextIsUtf8() const override { return true; }
  // Symbols are named; the codes are the MPS codes of those names.
  SymbolCodes symbolCodes() const override { return SymbolCodes::kMps; }

 private:
  friend class GpxReader;

  // The text of every waypoint (its five fields) and every track (its name),
  // each field as its length in 7-bit groups followed by its bytes.
  std::string text_;
  std::vector<std::uint64_t> waypointText_;  // where each waypoint's fields start in text_
  std::vector<std::uint64_t> trackText_;     // where each track's name starts in text_

  // The parse fed by Watch while the file is read, and how far it got.
  std::unique_ptr<GpxReader> feeding_;
  std::size_t fed_ = 0;
};

// Writes the waypoints, then the tracks (one segment each), of any document
// as GPX 1.1, streamed to `write` a block at a time; stops at the first write
// that returns false. Names and comments of documents whose text is 8-bit are
// decoded from `codePage` (false, writing nothing, when the system does not
// know it). The same document always gives the same bytes.
using GpxWrite = bool (*)(void* context, const char* bytes, std::size_t size);
bool WriteGpx(const GpsDocument& document, const char* codePage, GpxWrite write, void* context);
// The same bytes as a string, for callers that keep the file in memory.
bool EncodeGpx(const GpsDocument& document, const char* codePage, std::string& out);

}  // namespace ridloe
