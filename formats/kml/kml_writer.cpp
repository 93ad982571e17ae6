// The KML writer: formatted into a buffer that goes out a block at a time,
// one placemark a line, as the GPX writer does.
#include <algorithm>
#include <string>
#include <vector>

#include "formats/symbols.h"
#include "formats/kml/kml_format.h"
#include "formats/xml/xml_out.h"
#include "formats/xml/xml_prefix.h"

namespace ridloe {
namespace {

// Each symbol a style of its own, its icon a colour of its own (aabbggrr);
// a code with no name shares the plain waypoint's.
struct SymbolStyle {
  std::string_view symbol;
  std::string_view id;
  std::string_view colour;
};
constexpr SymbolStyle kStyles[] = {
    {"Summit", "summit", "ff1c5ae6"},
    {"Scenic Area", "scenic-area", "ff2fa82f"},
    {"Waypoint", "waypoint", "ffffffff"},
    {"Residence", "residence", "ff0fb4f5"},
};
constexpr std::string_view kLineStyle = "line";

const SymbolStyle& StyleOf(std::uint16_t code, const SymbolNumbering& codes) {
  const NamedSymbol* named = SymbolWithCode(code, codes);
  for (const SymbolStyle& s : kStyles) {
    if (named && s.symbol == named->name) return s;
  }
  return kStyles[2];
}

class KmlFormatter {
 public:
  KmlFormatter(const GpsDocument& document, Utf8Text& utf8, XmlOut& out) : doc_(document), utf8_(utf8), out_(out) {}

  // The styles of the symbols the waypoints use, and the lines'.
  void Styles() {
    std::vector<const SymbolStyle*> used;
    for (std::int32_t i = 0; doc_.waypoints && i < doc_.waypointCount; ++i) {
      const SymbolStyle* s = &StyleOf(doc_.SymbolAsLoaded(i), doc_.symbolNumbering());
      if (std::find(used.begin(), used.end(), s) == used.end()) used.push_back(s);
    }
    for (const SymbolStyle& s : kStyles) {
      if (std::find(used.begin(), used.end(), &s) == used.end()) continue;
      out_.Put("<Style id=\"");
      out_.Put(s.id);
      out_.Put("\"><IconStyle><color>");
      out_.Put(s.colour);
      out_.Put("</color></IconStyle></Style>\n");
    }
    out_.Put("<Style id=\"");
    out_.Put(kLineStyle);
    out_.Put("\"><LineStyle><color>ff0000ff</color><width>3</width></LineStyle></Style>\n");
  }

  void Waypoint(std::int32_t i) {
    const WaypointRecord& w = doc_.waypoints[i];
    const WaypointText text = doc_.TextOf(i);
    out_.Put("<Placemark>");
    Element("name", text.name);
    Description(text);
    out_.Put("<styleUrl>#");
    out_.Put(StyleOf(doc_.SymbolAsLoaded(i), doc_.symbolNumbering()).id);
    out_.Put("</styleUrl><Point><coordinates>");
    Coordinates(w.latitude, w.longitude, w.altitude, w.noAltitude);
    out_.Put("</coordinates></Point></Placemark>\n");
  }

  void Route(std::int32_t j) {
    const RouteRecord& r = doc_.routes[j];
    Line(doc_.RouteNameOf(j), [&](auto&& point) {
      out_.Put("<LineString><coordinates>\n");
      for (std::int32_t k = 0; r.points && k < r.pointCount && out_.ok(); ++k) {
        point(r.points[k].latitude, r.points[k].longitude, r.points[k].altitude, r.points[k].noAltitude);
      }
      out_.Put("</coordinates></LineString>");
    });
  }

  // A track of one segment is one line string; of several, one each.
  void Track(std::int32_t j) {
    const TrackRecord& t = doc_.tracks[j];
    std::int32_t segments = 0;
    for (std::int32_t k = 0; t.points && k < t.pointCount; ++k) segments += k == 0 || t.points[k].newSegment;
    Line(doc_.TrackNameOf(j), [&](auto&& point) {
      if (segments > 1) out_.Put("<MultiGeometry>");
      for (std::int32_t k = 0; t.points && k < t.pointCount && out_.ok(); ++k) {
        const TrackPoint& p = t.points[k];
        if (k > 0 && p.newSegment) out_.Put("</coordinates></LineString>");
        if (k == 0 || p.newSegment) out_.Put("<LineString><coordinates>\n");
        point(p.latitude, p.longitude, p.altitude, p.noAltitude);
      }
      if (segments > 0) out_.Put("</coordinates></LineString>");
      if (segments > 1) out_.Put("</MultiGeometry>");
    });
  }

 private:
  void Element(std::string_view tag, std::string_view raw) {
    if (!raw.empty()) out_.Element(tag, utf8_(raw));
  }

  // The comment, and the description where the file gave one of its own.
  void Description(const WaypointText& text) {
    std::string both(utf8_(text.comment));
    const std::string_view description = utf8_(text.description);
    if (!description.empty() && description != both) both += both.empty() ? "" : "\n", both += description;
    out_.Element("description", both);
  }

  // Longitude, latitude and, where the file gave one, altitude.
  void Coordinates(std::int32_t latitude, std::int32_t longitude, float altitude, bool noAltitude) {
    out_.PutDegrees(longitude);
    out_.Put(',');
    out_.PutDegrees(latitude);
    char text[64];
    if (const std::size_t n = noAltitude ? 0 : FormatElevation(altitude, text)) {
      out_.Put(',');
      out_.Put({text, n});
    }
  }

  // A placemark of lines: its name, the lines' style, then what `geometry`
  // writes, given a function that writes one point a line.
  template <typename Geometry>
  void Line(std::string_view name, Geometry geometry) {
    out_.Put("<Placemark>");
    Element("name", name);
    out_.Put("<styleUrl>#");
    out_.Put(kLineStyle);
    out_.Put("</styleUrl>");
    geometry([this](std::int32_t latitude, std::int32_t longitude, float altitude, bool noAltitude) {
      Coordinates(latitude, longitude, altitude, noAltitude);
      out_.Put('\n');
    });
    out_.Put("</Placemark>\n");
  }

  const GpsDocument& doc_;
  Utf8Text& utf8_;
  XmlOut& out_;
};

}  // namespace

bool WriteKml(const GpsDocument& document, const WriteOptions& options, ByteSink& sink) {
  Utf8Text utf8(document, options.codePage);
  if (!utf8.CanDecode()) return false;
  XmlOut out(sink);
  KmlFormatter kml(document, utf8, out);
  out.Put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"");
  out.Put(kKmlNamespace);
  out.Put("\">\n<Document>\n");
  kml.Styles();
  const auto folder = [&out](std::string_view name, std::int32_t count, auto&& each) {
    if (count <= 0) return;
    out.Put("<Folder><name>");
    out.Put(name);
    out.Put("</name>\n");
    for (std::int32_t i = 0; i < count && out.ok(); ++i) each(i);
    out.Put("</Folder>\n");
  };
  folder("Waypoints", document.waypoints ? document.waypointCount : 0, [&](std::int32_t i) { kml.Waypoint(i); });
  folder("Routes", options.routes && document.routes ? document.routeCount : 0, [&](std::int32_t j) { kml.Route(j); });
  folder("Tracks", document.tracks ? document.trackCount : 0, [&](std::int32_t j) { kml.Track(j); });
  out.Put("</Document>\n</kml>\n");
  return out.Flush();
}

const Format kKmlFormat = {
    .name = "KML",
    .option = "kml",
    .extension = ".kml",
    .recognise = [](ByteSpan firstBytes) { return RootElementIs(firstBytes, "kml"); },
    .mayBegin = nullptr,
    .makeReader = nullptr,
    .write = &WriteKml,
    .writerReads = LoadParts::kAll,
    .writesTracks = true,
    .deviceCodes = false,
    .routePoints = nullptr,
};

}  // namespace ridloe
