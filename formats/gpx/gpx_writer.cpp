// The GPX writer: waypoints, then routes, then tracks, written as they are
// formatted into a buffer that goes out a block at a time; the whole file is
// never held. One waypoint, route point or track point a line keeps the file
// short and easy to search.
#include <charconv>
#include <chrono>
#include <cmath>

#include "core/platform/transcode.h"
#include "core/text/ascii.h"
#include "core/version.h"
#include "formats/gpx/gpx_document.h"
#include "formats/gpx/gpx_format.h"

namespace ridloe {
namespace {

constexpr std::size_t kBlock = std::size_t{256} << 10;
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

constexpr std::string_view kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<gpx version=\"1.1\" creator=\"" RIDLOE_TITLE "\" xmlns=\"http://www.topografix.com/GPX/1/1\"\n"
    "     xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
    "     xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\"\n"
    "     xmlns:ridloe=\"";

// Whether `c` needs more than a copy in XML character data: markup, the C0
// controls and every byte of a character beyond ASCII, which is checked.
bool NeedsLook(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b < 0x20 || b >= 0x80 || c == '&' || c == '<' || c == '>';
}

// The length of the UTF-8 character at `text[i]` when it is one XML 1.0
// allows (U+FFFE and U+FFFF are not; neither are surrogates, overlong forms
// or bytes that start no character); 0 otherwise.
std::size_t XmlCharacterLength(std::string_view text, std::size_t i) {
  const auto at = [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
  const unsigned lead = at(i);
  const auto trail = [&](std::size_t k, unsigned low, unsigned high) { return at(k) >= low && at(k) <= high; };
  if (lead >= 0xC2 && lead <= 0xDF) return trail(i + 1, 0x80, 0xBF) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
    const unsigned high = lead == 0xED ? 0x9F : 0xBF;
    if (!trail(i + 1, low, high) || !trail(i + 2, 0x80, 0xBF)) return 0;
    return lead == 0xEF && at(i + 1) == 0xBF && at(i + 2) >= 0xBE ? 0 : 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
    const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
    return trail(i + 1, low, high) && trail(i + 2, 0x80, 0xBF) && trail(i + 3, 0x80, 0xBF) ? 4 : 0;
  }
  return 0;
}

// The shortest decimal that reads back as the same 32-bit float, without an
// exponent (GPX elevations are plain decimals); its length, or 0 when it is
// not finite or takes more than the 18 digits every reader of decimals must
// take (schema validators take no more than 24). No altitude on Earth comes near.
std::size_t FormatElevation(float metres, char (&text)[64]) {
  if (!std::isfinite(metres)) return 0;
  const char* end = std::to_chars(text, text + sizeof text, metres, std::chars_format::fixed).ptr;
  std::size_t digits = 0;
  bool leading = true;  // zeros before the first other digit of the integer part
  for (const char* c = text; c != end; ++c) {
    if (*c == '.') leading = false;
    if (*c < '0' || *c > '9' || (leading && *c == '0')) continue;
    leading = false;
    ++digits;
  }
  return digits > 18 ? 0 : static_cast<std::size_t>(end - text);
}

class GpxOut {
 public:
  GpxOut(GpxWrite write, void* context) : write_(write), context_(context) {}

  void Put(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= kBlock) Flush();
  }
  void Put(char c) { buffer_.push_back(c); }

  // UTF-8 text as character data: markup characters escaped, a carriage
  // return kept as a reference (a reader would take a raw one for a line
  // feed), and what XML 1.0 cannot hold at all (C0 controls, U+FFFE, U+FFFF,
  // bytes that are no UTF-8) as U+FFFD, whatever the text was decoded from.
  void PutText(std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (!NeedsLook(c) || c == '\t' || c == '\n') continue;
      if (static_cast<unsigned char>(c) >= 0x80) {
        if (const std::size_t n = XmlCharacterLength(text, i)) {
          i += n - 1;
          continue;
        }
        // A character XML cannot hold goes whole; a byte that starts none, alone.
        buffer_.append(text.substr(start, i - start));
        buffer_.append(kReplacement);
        i += Utf8Length(text.substr(i)) - 1;
        start = i + 1;
        continue;
      }
      buffer_.append(text.substr(start, i - start));
      start = i + 1;
      switch (c) {
        case '&': buffer_.append("&amp;"); break;
        case '<': buffer_.append("&lt;"); break;
        case '>': buffer_.append("&gt;"); break;
        case '\r': buffer_.append("&#13;"); break;
        default: buffer_.append(kReplacement); break;
      }
    }
    Put(text.substr(start));
  }

  // Semicircles as degrees, s * 180 / 2^31 exactly, to 9 decimals (halves to
  // even, as printf rounds): enough that reading them back gives s again.
  void PutDegrees(std::int32_t s) {
    const bool negative = s < 0;
    const std::uint64_t scaled = static_cast<std::uint64_t>(negative ? -static_cast<std::int64_t>(s) : s) * 180u;
    std::uint64_t whole = scaled >> 31;
    const std::uint64_t product = (scaled & 0x7FFFFFFFu) * 1000000000u;
    std::uint64_t nanos = product >> 31;
    const std::uint64_t rest = product & 0x7FFFFFFFu;
    if (rest > 0x40000000u || (rest == 0x40000000u && (nanos & 1))) ++nanos;
    if (nanos == 1000000000u) {
      nanos = 0;
      ++whole;
    }
    char digits[24];
    char* p = std::to_chars(digits, digits + sizeof digits, whole).ptr;
    *p++ = '.';
    for (int i = 8; i >= 0; --i) {
      p[i] = static_cast<char>('0' + nanos % 10);
      nanos /= 10;
    }
    if (negative) Put('-');
    buffer_.append(digits, static_cast<std::size_t>(p + 9 - digits));
  }

  // Seconds since 1970-01-01 as "2007-03-04T15:59:55Z".
  void PutTime(std::uint32_t t) {
    using namespace std::chrono;
    const year_month_day date{sys_days{days{t / 86400}}};
    const unsigned second = t % 86400;
    const unsigned fields[] = {static_cast<unsigned>(static_cast<int>(date.year())),
                               static_cast<unsigned>(date.month()),
                               static_cast<unsigned>(date.day()),
                               second / 3600,
                               second / 60 % 60,
                               second % 60};
    const char separators[] = {'-', '-', 'T', ':', ':', 'Z'};
    for (int i = 0; i < 6; ++i) {
      const int width = i == 0 ? 4 : 2;
      char digits[4];
      unsigned v = fields[i];
      for (int k = width - 1; k >= 0; --k) {
        digits[k] = static_cast<char>('0' + v % 10);
        v /= 10;
      }
      buffer_.append(digits, static_cast<std::size_t>(width));
      Put(separators[i]);
    }
  }

  void PutNumber(std::uint64_t n) {
    char digits[24];
    buffer_.append(digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, n).ptr - digits));
  }

  bool Flush() {
    if (ok_ && !buffer_.empty()) ok_ = write_(context_, buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok_;
  }
  bool ok() const { return ok_; }

 private:
  GpxWrite write_;
  void* context_;
  std::string buffer_;
  bool ok_ = true;
};

class GpxFormatter {
 public:
  GpxFormatter(const GpsDocument& document, const char* codePage, GpxOut& out)
      : doc_(document), codePage_(codePage), out_(out) {}

  // One text element, left out when the text is empty.
  void Element(std::string_view tag, std::string_view raw) {
    if (raw.empty()) return;
    const std::string_view text = Utf8(raw);
    out_.Put('<');
    out_.Put(tag);
    out_.Put('>');
    out_.PutText(text);
    out_.Put("</");
    out_.Put(tag);
    out_.Put('>');
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
    if (const NamedSymbol* named = SymbolWithCode(code, doc_.symbolCodes())) {
      out_.Put("<sym>");
      out_.Put(named->name);
      out_.Put("</sym>");
    }
    // Every code, named or not, as the file numbered it.
    const std::string_view tag = doc_.symbolCodes() == SymbolCodes::kMps ? kMpsSymbolElement : kWtrSymbolElement;
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
  // Text as UTF-8: as it is when the document's text is, else decoded.
  std::string_view Utf8(std::string_view raw) {
    if (doc_.TextIsUtf8() || IsAscii(raw)) return raw;
    decoded_.clear();
    TranscodeToUtf8(raw, codePage_, decoded_);
    return decoded_;
  }

  const GpsDocument& doc_;
  const char* codePage_;
  GpxOut& out_;
  std::string decoded_;
};

}  // namespace

bool WriteGpx(const GpsDocument& document, const char* codePage, bool routes, GpxWrite write, void* context) {
  std::string probe;
  if (!document.TextIsUtf8() && !TranscodeToUtf8("", codePage, probe)) return false;  // a code page nobody knows
  GpxOut out(write, context);
  GpxFormatter gpx(document, codePage, out);
  out.Put(kHeader);
  out.Put(kRidloeNamespace);
  out.Put("\">\n");
  for (std::int32_t i = 0; document.waypoints && i < document.waypointCount && out.ok(); ++i) gpx.Waypoint(i);
  for (std::int32_t j = 0; routes && document.routes && j < document.routeCount && out.ok(); ++j) gpx.Route(j);
  for (std::int32_t j = 0; document.tracks && j < document.trackCount && out.ok(); ++j) gpx.Track(j);
  out.Put("</gpx>\n");
  return out.Flush();
}

bool EncodeGpx(const GpsDocument& document, const char* codePage, std::string& out, bool routes) {
  return WriteGpx(
      document, codePage, routes,
      [](void* context, const char* bytes, std::size_t size) {
        static_cast<std::string*>(context)->append(bytes, size);
        return true;
      },
      &out);
}

}  // namespace ridloe
