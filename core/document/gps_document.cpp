#include "core/document/gps_document.h"

#include <utility>

#include "core/platform/file_access.h"

namespace ridloe {

bool GpsDocument::Load(const std::string& path, ListSink* waypointSink, ListSink* trackSink) {
  error_ = LoadError{};
  ByteBlock buffer;
  ReadError why;
  ReadOptions options;
  options.watch = [&](ByteSpan soFar, std::size_t most) { return Watch(soFar, most, waypointSink, trackSink); };
  if (!ReadWholeFile(path, buffer, &why, options)) return FailRead(why);
  return ParseBuffer(std::move(buffer), waypointSink, trackSink);
}

bool GpsDocument::Watch(ByteSpan, std::size_t, ListSink*, ListSink*) { return true; }

bool GpsDocument::ParseBuffer(ByteBlock buffer, ListSink* waypointSink, ListSink* trackSink) {
  return Parse(buffer.data(), buffer.size(), waypointSink, trackSink);
  // The buffer is released here, on every path.
}

WaypointText GpsDocument::TextOf(std::int32_t index) const {
  const WaypointRecord& w = waypoints[index];
  return {.name = FieldText(w.name)};
}

std::string_view GpsDocument::TrackNameOf(std::int32_t index) const {
  return FieldText(tracks[index].name);
}

bool GpsDocument::FailRead(const ReadError& why) {
  std::string reason = std::string("file ") + DescribeReadFailure(why.failure);
  if (!why.reason.empty()) reason += ": " + why.reason;
  return Fail(LoadStep::kFileRead, std::move(reason));
}

}  // namespace ridloe
