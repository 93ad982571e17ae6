// The GPX writer: waypoints, then routes, then tracks, written as they are
// formatted into a buffer that goes out a block at a time; the whole file is
// never held. One waypoint, route point or track point a line keeps the file
// short and easy to search.
#include "core/version.h"
#include "formats/gpx/gpx_document.h"
#include "formats/gpx/gpx_format.h"
#include "formats/symbols.h"
#include "formats/xml/xml_out.h"

namespace ridloe {
namespace {

constexpr std::string_view kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<gpx version=\"1.1\" creator=\"" RIDLOE_TITLE "\" xmlns=\"http://www.topografix.com/GPX/1/1\"\n"
    "     xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
    "     xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\"\n"
    "     xmlns:ridloe=\"";

class GpxFormatter {
 public:
  GpxFormatter(const GpsDocument& document, Utf8Text& utf8, XmlOut& out) : doc_(document), utf8_(utf8), out_(out) {}

  // One text element, left out when the text is empty.
  void Element(std::string_view tag, std::string_view raw) {
    if (!raw.empty()) out_.Element(tag, utf8_(raw));
  }

  // "<" is put before, so that "wpt" and "trkpt" name the element alone.
  void Point(std::string_view element, std::int32_t latitude, std::int32_t longitude) {
    out_.Put(element);
    out_.Put(" lat=\"");
    out_.PutDegrees(latitude);
    out_.Put("\" lon=\"");
    out_.PutDegrees(longitude);
    out_.Put("\">");
  }

  // An elevation only where the file gave one that GPX can hold.
  void Elevation(float altitude, bool none) {
    char text[64];
    const std::size_t n = none ? 0 : FormatElevation(altitude, text);
    if (n == 0) return;
    out_.Put("<ele>");
    out_.Put({text, n});
    out_.Put("</ele>");
  }

  // One waypoint a line.
  void Waypoint(std::int32_t i) { WaypointLike("wpt", doc_.waypoints[i], doc_.TextOf(i), doc_.SymbolAsLoaded(i)); }

  // A route, its name on its first line, then one point a line.
  void Route(std::int32_t j) {
    const RouteRecord& r = doc_.routes[j];
    out_.Put("<rte>");
    Element("name", doc_.RouteNameOf(j));
    out_.Put('\n');
    for (std::int32_t k = 0; r.points && k < r.pointCount && out_.ok(); ++k) {
      // A route point's symbol is never translated: it is the code as loaded.
      WaypointLike("rtept", r.points[k], doc_.RoutePointTextOf(j, k), r.points[k].symbol);
    }
    out_.Put("</rte>\n");
  }

  // A wpt or rtept: the same fields, in the order the schema gives them.
  void WaypointLike(std::string_view element, const WaypointRecord& w, const WaypointText& text, std::uint16_t code) {
    out_.Put('<');
    Point(element, w.latitude, w.longitude);
    Elevation(w.altitude, w.noAltitude);
    Element("name", text.name);
    Element("cmt", text.comment);
    Element("desc", text.description);
    if (const NamedSymbol* named = SymbolWithCode(code, doc_.symbolNumbering())) {
      out_.Put("<sym>");
      out_.Put(named->name);
      out_.Put("</sym>");
    }
    // Every code, named or not, as the file numbered it.
    const std::string_view tag = &doc_.symbolNumbering() == &kMpsNumbering ? kMpsSymbolElement : kWtrSymbolElement;
    out_.Put("<extensions><ridloe:");
    out_.Put(tag);
    out_.Put('>');
    out_.PutNumber(code);
    out_.Put("</ridloe:");
    out_.Put(tag);
    out_.Put("></extensions></");
    out_.Put(element);
    out_.Put(">\n");
  }

  // The track's name on its first line, then one point a line, a trkseg
  // for each segment.
  void Track(std::int32_t j) {
    const TrackRecord& t = doc_.tracks[j];
    out_.Put("<trk>");
    Element("name", doc_.TrackNameOf(j));
    out_.Put("<trkseg>\n");
    for (std::int32_t k = 0; t.points && k < t.pointCount; ++k) {
      const TrackPoint& p = t.points[k];
      if (k > 0 && p.newSegment) out_.Put("</trkseg><trkseg>\n");
      out_.Put('<');
      Point("trkpt", p.latitude, p.longitude);
      Elevation(p.altitude, p.noAltitude);
      if (!p.noTime) {
        out_.Put("<time>");
        out_.PutTime(p.time);
        out_.Put("</time>");
      }
      out_.Put("</trkpt>\n");
      if (!out_.ok()) return;
    }
    out_.Put("</trkseg></trk>\n");
  }

 private:
  const GpsDocument& doc_;
  Utf8Text& utf8_;
  XmlOut& out_;
};

}  // namespace

bool WriteGpx(const GpsDocument& document, const WriteOptions& options, ByteSink& sink) {
  Utf8Text utf8(document, options.codePage);
  if (!utf8.CanDecode()) return false;
  XmlOut out(sink);
  GpxFormatter gpx(document, utf8, out);
  out.Put(kHeader);
  out.Put(kRidloeNamespace);
  out.Put("\">\n");
  for (std::int32_t i = 0; document.waypoints && i < document.waypointCount && out.ok(); ++i) gpx.Waypoint(i);
  for (std::int32_t j = 0; options.routes && document.routes && j < document.routeCount && out.ok(); ++j) gpx.Route(j);
  for (std::int32_t j = 0; document.tracks && j < document.trackCount && out.ok(); ++j) gpx.Track(j);
  out.Put("</gpx>\n");
  return out.Flush();
}

}  // namespace ridloe
