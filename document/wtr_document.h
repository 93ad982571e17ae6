// The in-memory document: waypoints and tracks of one loaded file. The base
// class reads and writes the WTR format; MpsDocument reads MPS files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "document/file_io.h"
#include "document/list_sink.h"
#include "document/load_error.h"
#include "document/records.h"

namespace ridloe {

class WtrDocument {
 public:
  WtrDocument() = default;
  virtual ~WtrDocument() = default;
  WtrDocument(const WtrDocument&) = delete;
  WtrDocument& operator=(const WtrDocument&) = delete;

  // Reads the whole file and parses it. Called once on a fresh document; on
  // failure the document keeps what it had filled and error() says why.
  virtual bool Load(const std::string& path, ListSink* waypointSink, ListSink* trackSink);

  // The parse on its own, for bytes already in memory.
  virtual bool Parse(const std::uint8_t* data, std::size_t size, ListSink* waypointSink, ListSink* trackSink);

  // The parse of a buffer handed over whole. A reader may release the buffer
  // as soon as it has copied what it keeps; it is released on return.
  virtual bool ParseBuffer(ByteBlock buffer, ListSink* waypointSink, ListSink* trackSink);

  // Writes the waypoints as a WTR file. False without touching the file
  // system when there are none; an existing file is replaced only when every
  // byte of the new one has been written.
  bool SaveWtr(const std::string& path) const;

  // The bytes SaveWtr writes, in file order, handed to `write` one block or
  // record at a time; stops at the first write that returns false. False
  // without calling `write` when there are no waypoints.
  using WtrWrite = std::function<bool(const std::uint8_t* bytes, std::size_t size)>;
  bool WriteWtr(const WtrWrite& write) const;
  // The same bytes appended to `out`, for callers that keep the file in memory.
  bool EncodeWtr(std::vector<std::uint8_t>& out) const;

  const LoadError& error() const { return error_; }
  // Records a failed whole-file read as the reason the load failed; false.
  bool FailRead(ReadFailure why);

  // Declared before the tracks, which may view it, so that it outlives them.
 protected:
  ZeroedArray<TrackPoint> pointPool_;  // the points of every track, when kept together

 public:
  std::int32_t waypointCount = 0;
  ZeroedArray<WaypointRecord> waypoints;  // absent when not allocated
  std::int32_t trackCount = 0;
  ZeroedArray<TrackRecord> tracks;      // absent when not allocated

  // The waypoints' symbol codes as loaded, kept by the first symbol
  // translation (MapSymbolsForWtr) so that every later one starts from them.
  ZeroedArray<std::uint16_t> symbolsAsLoaded;
  std::int32_t symbolsAsLoadedCount = 0;

 protected:
  bool Fail(LoadStep step, std::string reason, std::int64_t offset = -1, std::string record = {},
            std::int64_t index = -1);

  LoadError error_;
};

}  // namespace ridloe
