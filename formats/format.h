// What a file format is to the rest of the program: a name, an extension,
// how its first bytes are told, a reader, a writer (either may be missing).
// Each format describes itself once, in its own folder; the registry holds
// them all in one table.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "core/bytes/byte_cursor.h"
#include "core/bytes/byte_sink.h"
#include "core/document/gps_document.h"

namespace ridloe {

// What every writer is told besides the document.
struct WriteOptions {
  // The code page of names a document holds as 8-bit text (MPS and WTR
  // files), for a format of Unicode text.
  std::string codePage = "CP950";
  // Whether the routes are written (as the format keeps them).
  bool routes = true;
};

// Writes `document` to `out` a block at a time; false at the first write
// that fails, or when the document holds nothing the format keeps, or when
// its names cannot be decoded from `options.codePage`.
using WriteFunction = bool (*)(const GpsDocument& document, const WriteOptions& options, ByteSink& out);

struct Format {
  const char* name;       // "GPX": how messages name it
  const char* option;     // "gpx": its name on the command line
  const char* extension;  // ".gpx", lower case; a file name ends in it in any case
  // Whether a file's first bytes (up to 64, or the whole file when shorter)
  // are of this format.
  bool (*recognise)(ByteSpan firstBytes);
  // Whether first bytes that do not name it yet may still begin a file of
  // this format (XML before its root element); null when they cannot.
  bool (*mayBegin)(ByteSpan prefix);
  // An empty document of this format's reader; null for a format that is
  // only written.
  std::unique_ptr<GpsDocument> (*makeReader)();
  // The writer; null for a format that is only read.
  WriteFunction write;
  // What the writer needs of a document.
  LoadParts writerReads;
  // Whether the writer keeps tracks, and routes as routes.
  bool writesTracks;
  // Whether names and symbols are written as a device numbers them: names
  // as 8-bit text (a character without a form becomes '?'), symbols in the
  // device's codes, which a conversion translates first, and route points
  // as waypoints (`routePoints` of them after the waypoints).
  bool deviceCodes;
  std::size_t (*routePoints)(const GpsDocument& document);
};

}  // namespace ridloe
