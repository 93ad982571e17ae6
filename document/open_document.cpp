#include "document/open_document.h"

#include <cstring>

#include "document/file_io.h"
#include "document/wtr_format.h"
#include "mps/mps_document.h"
#include "mps/mps_header.h"

namespace ridloe {

FileFormat DetectFormat(const std::uint8_t* data, std::size_t size) {
  if (size >= sizeof kMpsSignature && std::memcmp(data, kMpsSignature, sizeof kMpsSignature) == 0) {
    return FileFormat::kMps;
  }
  if (size >= kWtrMarkerSize && std::memcmp(data, kWtrWaypointMarker, kWtrMarkerSize) == 0) return FileFormat::kWtr;
  return FileFormat::kUnknown;
}

std::unique_ptr<WtrDocument> LoadAnyDocument(const std::string& path, ListSink* waypointSink, ListSink* trackSink,
                                             bool& ok) {
  ByteBlock buffer;
  ReadFailure why = ReadFailure::kNone;
  if (!ReadWholeFile(path, buffer, &why)) {
    auto document = std::make_unique<MpsDocument>();
    ok = document->FailRead(why);
    return document;
  }
  std::unique_ptr<WtrDocument> document;
  if (DetectFormat(buffer.data(), buffer.size()) == FileFormat::kWtr) {
    document = std::make_unique<WtrDocument>();
  } else {
    document = std::make_unique<MpsDocument>();
  }
  ok = document->ParseBuffer(std::move(buffer), waypointSink, trackSink);
  return document;
}

}  // namespace ridloe
