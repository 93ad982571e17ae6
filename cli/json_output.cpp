#include "cli/json_output.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "core/platform/transcode.h"
#include "core/text/ascii.h"
#include "core/platform/standard_streams.h"
#include "core/text/cp950.h"

namespace ridloe::cli {
namespace {

// JSON text built in a small buffer that goes out whenever it fills.
class JsonStream {
 public:
  explicit JsonStream(std::FILE* out) : out_(out) {}
  ~JsonStream() { Flush(); }
  JsonStream(const JsonStream&) = delete;
  JsonStream& operator=(const JsonStream&) = delete;

  JsonStream& Raw(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= kFlushAt) Flush();
    return *this;
  }
  // `"key":`, after a comma unless it opens its object.
  JsonStream& Key(std::string_view key, bool first = false) {
    if (!first) Raw(",");
    return String(key).Raw(":");
  }
  // The text as it is: the JSON library escapes quotes, backslashes and the
  // C0 controls, and bytes that are no UTF-8 become U+FFFD. DEL, the C1
  // controls and the bidirectional embeddings, overrides and isolates
  // (U+202A-202E, U+2066-2069), which JSON may carry raw, are escaped as
  // \uXXXX too, so that the output never drives a terminal.
  JsonStream& String(std::string_view text) {
    const std::string json = nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    std::size_t start = 0;
    for (std::size_t i = 0; i < json.size(); ++i) {
      char32_t c = 0;
      const std::size_t n = ActingCharacter(json, i, c);
      if (n == 0) continue;
      buffer_.append(json, start, i - start);
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
      buffer_.append(escape);
      i += n - 1;
      start = i + 1;
    }
    buffer_.append(json, start, std::string::npos);
    return Raw({});
  }
  JsonStream& Integer(long long value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return Raw(std::string_view(digits, static_cast<std::size_t>(end - digits)));
  }
  // As the JSON library writes a number: the shortest text that reads back
  // the same, and null for what JSON has no number for.
  JsonStream& Float(double value) { return Raw(nlohmann::json(value).dump()); }
  JsonStream& Bool(bool value) { return Raw(value ? "true" : "false"); }
  JsonStream& Null() { return Raw("null"); }

  // "name":"decoded","name_hex":"...": text as decoded and as its bytes.
  JsonStream& Text(std::string_view key, std::string_view bytes, const char* encoding, bool first = false) {
    std::string_view text = bytes;
    if (std::string_view(encoding) != "UTF-8" || !IsAscii(bytes)) {
      decoded_.clear();
      TranscodeToUtf8(bytes, encoding, decoded_);
      text = decoded_;
    }
    Key(key, first).String(text);
    hex_.clear();
    for (unsigned char c : bytes) {
      hex_ += kDigits[c >> 4];
      hex_ += kDigits[c & 15];
    }
    return Key(std::string(key) + "_hex").String(hex_);
  }
  JsonStream& Coordinate(std::string_view key, std::int32_t semicircles, double degrees, bool first = false) {
    Key(key, first).Raw("{").Key("semicircles", true).Integer(semicircles);
    return Key("degrees").Float(degrees).Raw("}");
  }

  void Flush() {
    WriteText(out_, buffer_);
    buffer_.clear();
  }

 private:
  // The length of the character at `text[i]` (UTF-8) when it is one escaped
  // here, with the character in `c`; 0 otherwise.
  static std::size_t ActingCharacter(std::string_view text, std::size_t i, char32_t& c) {
    const auto at = [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
    if (at(i) == 0x7F) {
      c = 0x7F;
      return 1;
    }
    if (at(i) == 0xC2 && at(i + 1) >= 0x80 && at(i + 1) <= 0x9F) {
      c = at(i + 1);
      return 2;
    }
    if (at(i) == 0xE2 && ((at(i + 1) == 0x80 && at(i + 2) >= 0xAA && at(i + 2) <= 0xAE) ||
                          (at(i + 1) == 0x81 && at(i + 2) >= 0xA6 && at(i + 2) <= 0xA9))) {
      c = 0x2000 + ((at(i + 1) & 0x3F) << 6) + (at(i + 2) & 0x3F);
      return 3;
    }
    return 0;
  }

  static constexpr std::size_t kFlushAt = 64 * 1024;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::FILE* out_;
  std::string buffer_, decoded_, hex_;
};


}  // namespace

namespace {

// One waypoint or route point as a JSON object.
void WaypointJson(JsonStream& json, const WaypointRecord& w, const WaypointText& text, const char* textEncoding,
                  const char* recordEncoding) {
  json.Text("name", text.name, textEncoding, true);
  json.Text("comment", text.comment, textEncoding);
  // What only some formats hold (GPX), where a waypoint has it.
  if (!text.description.empty()) json.Text("description", text.description, textEncoding);
  if (!text.symbol.empty()) json.Text("symbol_name", text.symbol, textEncoding);
  if (!text.time.empty()) json.Text("time", text.time, textEncoding);
  json.Text("record_name", FieldText(w.name), recordEncoding);
  json.Coordinate("latitude", w.latitude, SemicirclesToDegrees(w.latitude));
  json.Coordinate("longitude", w.longitude, SemicirclesToDegrees(w.longitude));
  json.Key("altitude");
  w.noAltitude ? json.Null() : json.Float(w.altitude);
  json.Key("symbol").Integer(w.symbol).Raw("}");
}

}  // namespace

void WriteDocumentJson(const GpsDocument& document, const char* encoding, bool ok, std::FILE* out) {
  // The records' names are 8-bit text in the code page; the whole text may be UTF-8.
  const char* textEncoding = document.TextIsUtf8() ? "UTF-8" : encoding;
  const char* recordEncoding = document.TextIsUtf8() ? "CP950" : encoding;
  const std::int32_t routes = document.routes ? document.routeCount : 0;
  JsonStream json(out);
  json.Raw("{").Key("loaded", true).Bool(ok);
  if (!ok) json.Key("error").String(document.error().Describe());
  json.Key("waypoint_count").Integer(document.waypointCount);
  json.Key("track_count").Integer(document.trackCount);
  if (document.routeCount >= 0) json.Key("route_count").Integer(document.routeCount);
  json.Raw(",\n").Key("waypoints", true).Raw("[");
  for (std::int32_t i = 0; document.waypoints && i < document.waypointCount; ++i) {
    json.Raw(i ? ",\n{" : "\n{");
    WaypointJson(json, document.waypoints[i], document.TextOf(i), textEncoding, recordEncoding);
  }
  json.Raw("],\n").Key("routes", true).Raw("[");
  for (std::int32_t j = 0; j < routes; ++j) {
    const RouteRecord& r = document.routes[j];
    json.Raw(j ? ",\n{" : "\n{").Text("name", document.RouteNameOf(j), textEncoding, true);
    json.Key("point_count").Integer(r.pointCount).Key("points").Raw("[");
    for (std::int32_t k = 0; r.points && k < r.pointCount; ++k) {
      json.Raw(k ? ",\n{" : "\n{");
      WaypointJson(json, r.points[k], document.RoutePointTextOf(j, k), textEncoding, recordEncoding);
    }
    json.Raw("]}");
  }
  json.Raw("],\n").Key("tracks", true).Raw("[");
  for (std::int32_t j = 0; document.tracks && j < document.trackCount; ++j) {
    const TrackRecord& t = document.tracks[j];
    json.Raw(j ? ",\n{" : "\n{").Text("name", document.TrackNameOf(j), textEncoding, true);
    json.Key("point_count").Integer(t.pointCount);
    // Where each segment begins, by point index: [0] for a track of one segment.
    json.Key("segment_starts").Raw("[0");
    for (std::int32_t k = 1; t.points && k < t.pointCount; ++k) {
      if (t.points[k].newSegment) json.Raw(",").Integer(k);
    }
    json.Raw("]").Key("points").Raw("[");
    for (std::int32_t k = 0; t.points && k < t.pointCount; ++k) {
      const TrackPoint& p = t.points[k];
      char clock[16];
      std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", p.hour, p.minute, p.second);
      json.Raw(k ? ",\n{" : "\n{").Coordinate("latitude", p.latitude, p.latitudeDegrees, true);
      json.Coordinate("longitude", p.longitude, p.longitudeDegrees).Key("altitude");
      p.noAltitude ? json.Null() : json.Float(p.altitude);
      json.Key("time");
      p.noTime ? json.Null() : json.Integer(p.time);
      json.Key("time_of_day");
      p.noTime ? json.Null() : json.String(clock);
      json.Raw("}");
    }
    json.Raw("]}");
  }
  json.Raw("]}\n");
}

}  // namespace ridloe::cli
