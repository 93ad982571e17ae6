// Loads a file as the format its first bytes name: an MPS file starts with
// "MsRcd\0", a WTR file with its waypoint section marker.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "document/wtr_document.h"

namespace ridloe {

enum class FileFormat { kMps, kWtr, kUnknown };

FileFormat DetectFormat(const std::uint8_t* data, std::size_t size);

// Reads `path` ("-" for standard input) and parses it with the reader its
// bytes call for (the MPS reader when they name neither). The document is
// returned also when the load fails; `ok` says whether it succeeded and the
// document's error() says why not.
std::unique_ptr<WtrDocument> LoadAnyDocument(const std::string& path, ListSink* waypointSink, ListSink* trackSink,
                                             bool& ok);

}  // namespace ridloe
