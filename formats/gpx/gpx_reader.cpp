// The GPX reader: the XML parser streams the document and calls back for
// each start tag, end tag and run of text; the reader keeps the elements that
// matter by their depth and namespace and skips every other subtree whole.
#include <charconv>
#include <cmath>
#include <memory>
#include <new>
#include <span>
#include <string>

#include "core/document/line_format.h"
#include "core/platform/transcode.h"
#include "core/text/ascii.h"
#include "core/text/cp950.h"
#include "formats/gpx/gpx_document.h"
#include "formats/gpx/gpx_format.h"
#include "formats/gpx/gpx_numbers.h"
#include "formats/gpx/growing_array.h"
#include "formats/gpx/text_store.h"
#include "formats/gpx/xml_events.h"
#include "formats/symbols.h"

namespace ridloe {
namespace {

// GPX nests seven levels deep with extensions; each level costs the parser
// memory, so a file may nest no deeper than this.
constexpr int kMaxDepth = 256;

// What writing a name into a record's field had to replace by '?'.
struct Replaced {
  std::size_t unmapped = 0;  // characters with no code page 950 form
  std::size_t controls = 0;  // control characters, which a device would show as they are
};

// Copies `utf8` into a record's name field as code page 950 text, cut as
// `rule` says; a character with no form there and a control character (a
// line feed, DEL) become '?'.
template <std::size_t N>
Replaced SetRecordName(char (&field)[N], std::string_view utf8, NameCut rule, std::string& scratch) {
  Replaced replaced;
  scratch.clear();
  if (IsAscii(utf8)) {
    scratch.assign(utf8);
  } else {
    TranscodeFromUtf8(utf8, "CP950", scratch, replaced.unmapped);
  }
  // No byte of a two-byte character of code page 950 is below 0x40 or 0x7F.
  for (char& c : scratch) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      c = '?';
      ++replaced.controls;
    }
  }
  FitNameInto(field, scratch, rule);
  return replaced;
}

enum class Ns : std::uint8_t { kNone, kGpx10, kGpx11, kRidloe, kOther };

Ns NamespaceOf(std::string_view uri) {
  if (uri.empty()) return Ns::kNone;
  if (uri == kGpx11Namespace) return Ns::kGpx11;
  if (uri == kGpx10Namespace) return Ns::kGpx10;
  if (uri == kRidloeNamespace) return Ns::kRidloe;
  return Ns::kOther;
}

// Where the reader is: the element it is inside, of those it reads.
enum class In : std::uint8_t { kDocument, kGpx, kWpt, kRte, kRtept, kPointExtensions, kTrk, kTrkseg, kTrkpt, kDone };

// Whether a point of this element has the fields of a waypoint.
bool IsWaypointLike(In in) { return in == In::kWpt || in == In::kRtept; }

// The text elements it reads.
enum class Field : std::uint8_t { kNone, kEle, kName, kCmt, kDesc, kSym, kTime, kSymbolCode };

// The text element `local` is inside a wpt, rtept, rte, trk or trkpt; kNone
// for one not read.
Field FieldOf(std::string_view local, In in) {
  if (in == In::kTrk || in == In::kRte) return local == "name" ? Field::kName : Field::kNone;
  if (local == "ele") return Field::kEle;
  if (local == "time") return Field::kTime;
  if (in == In::kTrkpt) return Field::kNone;
  if (local == "name") return Field::kName;
  if (local == "cmt") return Field::kCmt;
  if (local == "desc") return Field::kDesc;
  if (local == "sym") return Field::kSym;
  return Field::kNone;
}

// The waypoint text fields in the order they are kept.
constexpr Field kWaypointFields[] = {Field::kName, Field::kCmt, Field::kDesc, Field::kSym, Field::kTime};

constexpr std::size_t TextIndex(Field field) {
  std::size_t i = 0;
  while (kWaypointFields[i] != field) ++i;
  return i;
}

// A value from the file for a message: its first bytes, anything but
// printable ASCII as '?'.
std::string Quoted(std::string_view value) {
  constexpr std::size_t kShown = 24;
  std::string out = "\"";
  for (char c : value.substr(0, kShown)) out += c >= 0x20 && c < 0x7F ? c : '?';
  return out + (value.size() > kShown ? "...\"" : "\"");
}

}  // namespace

class GpxReader final : public XmlEvents {
 public:
  GpxReader(GpxDocument& doc, ListSink* waypointSink, ListSink* trackSink)
      : doc_(doc), waypointSink_(waypointSink), trackSink_(trackSink), keepPoints_(doc.parts == LoadParts::kAll) {}

  // The whole document at once.
  bool Read(const std::uint8_t* data, std::size_t size) {
    if (!Begin()) return false;
    Feed(data, size, true);
    return Done();
  }

  // The document a piece at a time: Begin, Feed each piece as it arrives
  // (false once the load has failed), then Done.
  bool Begin() {
    std::string why;
    parser_ = MakeXmlParser(kMaxDepth, why);
    if (!parser_) {
      return doc_.Fail(Step::kParserStart, "the XML parser could not be started" + (why.empty() ? "" : ": " + why));
    }
    if (waypointSink_) waypointSink_->LinesAreUtf8();
    if (trackSink_) trackSink_->LinesAreUtf8();
    return true;
  }
  bool Feed(const std::uint8_t* data, std::size_t size, bool last) {
    if (!parser_ || failed_) return false;
    std::string why;
    if (!parser_->Feed(data, size, last, *this, why) && !failed_) Fail(Step::kSyntax, why);
    return !failed_;
  }
  // Hands what was read to the document; false when the load failed.
  bool Done() {
    if (!parser_) return false;
    const bool kept = Finish();
    return !failed_ && kept;
  }

 private:
  // Runs one event's work. Nothing may be thrown back through the parser,
  // which may be C: memory running short ends the load like any other
  // failure.
  template <typename Work>
  void Guarded(Work work) {
    if (failed_) return;
    try {
      work();
    } catch (const std::bad_alloc&) {
      Fail(Step::kWaypointAlloc, "out of memory");
    }
  }

  // Records why the load fails, at the parser's position, and stops it.
  bool Fail(Step step, std::string why) {
    if (!failed_) {
      doc_.error_.Fail(step, std::move(why), Place::Line(parser_->Line(), parser_->Column()));
      failed_ = true;
    }
    parser_->Stop();
    return false;
  }

  // Namespace declarations of an element, in scope until it ends.
  void Declare(std::span<const XmlAttribute> attributes) {
    for (const XmlAttribute& a : attributes) {
      const std::string_view name = a.name;
      if (name.substr(0, 5) != "xmlns") continue;
      if (name.size() == 5) {
        bindings_.push_back({std::string(), NamespaceOf(a.value), depth_});
      } else if (name[5] == ':') {
        bindings_.push_back({std::string(name.substr(6)), NamespaceOf(a.value), depth_});
      }
    }
  }

  Ns Resolve(std::string_view prefix) const {
    for (auto b = bindings_.rbegin(); b != bindings_.rend(); ++b) {
      if (b->prefix == prefix) return b->ns;
    }
    return prefix.empty() ? Ns::kNone : Ns::kOther;
  }

  void OnStart(std::string_view qualified, std::span<const XmlAttribute> attributes) override {
    Guarded([&] {
      if (++depth_ > kMaxDepth) {
        Fail(Step::kSyntax, "elements nest deeper than " + std::to_string(kMaxDepth) + " levels");
        return;
      }
      if (!attributes.empty()) Declare(attributes);
      if (skipFrom_) return;
      const std::size_t colon = qualified.find(':');
      const std::string_view local = colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
      const Ns ns = Resolve(colon == std::string_view::npos ? std::string_view() : qualified.substr(0, colon));
      Start(local, ns, attributes);
    });
  }

  void Start(std::string_view local, Ns ns, std::span<const XmlAttribute> attributes) {
    if (in_ == In::kDocument) {
      if (local != "gpx" || (ns != Ns::kNone && ns != Ns::kGpx10 && ns != Ns::kGpx11)) {
        Fail(Step::kSyntax, "the root element is not a GPX 1.0 or 1.1 gpx element");
        return;
      }
      gpx_ = ns;
      in_ = In::kGpx;
      doc_.reachedRecords_ = true;
      return;
    }
    // Text elements hold text alone; anything inside one is skipped.
    if (field_ != Field::kNone) return Skip();
    if (in_ == In::kPointExtensions) {
      if (ns == Ns::kRidloe && local == kMpsSymbolElement) {
        field_ = Field::kSymbolCode;
        text_.clear();
        return;
      }
      return Skip();
    }
    if (ns != gpx_) return Skip();
    switch (in_) {
      case In::kGpx:
        if (local == "wpt") return BeginPoint(attributes, In::kWpt);
        if (local == "rte") return BeginRoute();
        if (local == "trk") return BeginTrack();
        return Skip();
      case In::kWpt:
      case In::kRtept:
        if (local == "extensions") {
          pointIn_ = in_;
          in_ = In::kPointExtensions;
          return;
        }
        break;
      case In::kRte:
        if (local == "rtept") return BeginPoint(attributes, In::kRtept);
        break;
      case In::kTrk:
        if (local == "trkseg") {
          in_ = In::kTrkseg;
          // A new segment: the next point begins it, if the track has points before it.
          segmentBreak_ = true;
          return;
        }
        break;
      case In::kTrkseg:
        if (local == "trkpt") return BeginPoint(attributes, In::kTrkpt);
        return Skip();
      default:
        break;
    }
    field_ = FieldOf(local, in_);
    if (field_ == Field::kNone) return Skip();
    text_.clear();
  }

  void Skip() { skipFrom_ = depth_; }

  void OnEnd() override {
    Guarded([&] {
      if (skipFrom_) {
        if (depth_ == skipFrom_) skipFrom_ = 0;
      } else if (field_ != Field::kNone) {
        EndField();
      } else {
        End();
      }
      while (!bindings_.empty() && bindings_.back().depth == depth_) bindings_.pop_back();
      --depth_;
    });
  }

  void OnText(std::string_view text) override {
    Guarded([&] {
      if (field_ != Field::kNone && !skipFrom_) text_.append(text);
    });
  }

  void End() {
    switch (in_) {
      case In::kGpx: in_ = In::kDone; break;
      case In::kWpt: EndWaypoint(); break;
      case In::kRte: EndRoute(); break;
      case In::kRtept: EndRoutePoint(); break;
      case In::kPointExtensions: in_ = pointIn_; break;
      case In::kTrk: EndTrack(); break;
      case In::kTrkseg: in_ = In::kTrk; break;
      case In::kTrkpt: EndTrackPoint(); break;
      default: break;
    }
  }

  // A wpt, rtept or trkpt: its lat and lon must be finite numbers. A
  // latitude beyond ±90° is no place: the point is read, then left out.
  void BeginPoint(std::span<const XmlAttribute> attributes, In point) {
    const char* element = point == In::kWpt ? "wpt" : point == In::kRtept ? "rtept" : "trkpt";
    const std::string_view* lat = nullptr;
    const std::string_view* lon = nullptr;
    for (const XmlAttribute& a : attributes) {
      if (a.name == "lat") lat = &a.value;
      if (a.name == "lon") lon = &a.value;
    }
    double degrees[2] = {0, 0};
    const char* names[2] = {"lat", "lon"};
    const std::string_view* values[2] = {lat, lon};
    for (int i = 0; i < 2; ++i) {
      if (!values[i]) {
        Fail(Step::kSyntax, std::string(element) + " has no " + names[i]);
        return;
      }
      if (!ParseDecimal(*values[i], degrees[i]) || !std::isfinite(degrees[i])) {
        Fail(Step::kSyntax,
             std::string(element) + " has a " + names[i] + " that is not a number: " + Quoted(*values[i]));
        return;
      }
    }
    beyondPoles_ = std::fabs(degrees[0]) > 90.0;
    latitude_ = SemicirclesFromDegrees(degrees[0], true);
    longitude_ = SemicirclesFromDegrees(degrees[1], false);
    altitude_ = 0;
    noAltitude_ = true;
    time_ = 0;
    noTime_ = true;
    if (IsWaypointLike(point)) {
      for (std::string& field : waypointText_) field.clear();
      symbolCode_ = -1;
    }
    in_ = point;
  }

  void EndField() {
    const Field field = field_;
    field_ = Field::kNone;
    const std::string_view text = TrimXmlSpace(text_);
    switch (field) {
      case Field::kEle:
        if (text.empty()) break;  // an empty ele gives no altitude
        if (!ParseDecimal(text, altitude_)) {
          Fail(Step::kSyntax, "ele is not a number: " + Quoted(text));
          return;
        }
        noAltitude_ = false;
        break;
      case Field::kSymbolCode: {
        std::uint16_t code = 0;
        const char* end = text.data() + text.size();
        if (std::from_chars(text.data(), end, code).ptr == end && !text.empty()) symbolCode_ = code;
        break;
      }
      case Field::kTime:
        // Points keep what they can use; a time in another form is none.
        if (in_ == In::kTrkpt) noTime_ = !ParseXmlTime(text, time_);
        if (IsWaypointLike(in_)) waypointText_[TextIndex(Field::kTime)] = text;
        break;
      case Field::kName:
        if (in_ == In::kTrk || in_ == In::kRte) {
          (in_ == In::kTrk ? trackName_ : routeName_) = text;
          break;
        }
        [[fallthrough]];
      default:
        waypointText_[TextIndex(field)] = text;
        break;
    }
  }

  // The code a waypoint's symbol is kept as: our own element's code when the
  // file has no sym or its sym names that code's symbol; otherwise the code
  // of the symbol named, and the plain waypoint's for names we do not know.
  std::uint16_t SymbolCode() const {
    const std::string_view sym = waypointText_[TextIndex(Field::kSym)];
    if (symbolCode_ >= 0) {
      const NamedSymbol* coded = SymbolWithCode(static_cast<std::uint16_t>(symbolCode_), kMpsNumbering);
      if (sym.empty() || (coded && EqualsNoCase(sym, coded->name))) return static_cast<std::uint16_t>(symbolCode_);
    }
    const NamedSymbol* named = SymbolNamed(sym);
    return named ? named->mps : kPlainSymbol;
  }

  // Fills a record with the waypoint just read and keeps its text after
  // the document's text, its place in `places`.
  void KeepWaypoint(WaypointRecord& w, std::vector<std::uint64_t>& places) {
    const std::string_view name = waypointText_[TextIndex(Field::kName)];
    const Replaced replaced = SetRecordName(w.name, name, NameCut::kNoHighLastByte, scratch_);
    doc_.unmappedCharacters += static_cast<std::int64_t>(replaced.unmapped);
    doc_.controlCharacters += static_cast<std::int64_t>(replaced.controls);
    w.latitude = latitude_;
    w.longitude = longitude_;
    w.altitude = altitude_;
    w.noAltitude = noAltitude_;
    w.symbol = SymbolCode();
    places.push_back(doc_.text_.size());
    for (const std::string& field : waypointText_) PutText(doc_.text_, field);
  }

  void EndWaypoint() {
    in_ = In::kGpx;
    if (beyondPoles_) {
      ++doc_.beyondPoles.waypoints;
      return;
    }
    WaypointRecord* w = waypoints_.Add();
    if (!w) {
      Fail(Step::kWaypointAlloc, "out of memory for the waypoints");
      return;
    }
    KeepWaypoint(*w, doc_.waypointText_);
    if (waypointSink_) {
      char rest[kLineBufferSize];
      AddLine(*waypointSink_, waypointText_[TextIndex(Field::kName)],
              {rest, FormatWaypointLine(rest, "", AltitudeShown(w->altitude))});
    }
  }

  void BeginRoute() {
    in_ = In::kRte;
    routeName_.clear();
    firstRoutePoint_ = routePoints_.size();
  }

  void EndRoutePoint() {
    in_ = In::kRte;
    if (beyondPoles_) {
      ++doc_.beyondPoles.routePoints;
      return;
    }
    WaypointRecord* w = routePoints_.Add();
    if (!w) {
      Fail(Step::kRouteAlloc, "out of memory for the route points");
      return;
    }
    KeepWaypoint(*w, doc_.routePointText_);
  }

  void EndRoute() {
    in_ = In::kGpx;
    const std::size_t points = routePoints_.size() - firstRoutePoint_;
    if (points > static_cast<std::size_t>(INT32_MAX) || routeStarts_.size() >= static_cast<std::size_t>(INT32_MAX)) {
      Fail(Step::kRouteAlloc, "more routes or route points than a document holds");
      return;
    }
    routeStarts_.push_back({firstRoutePoint_, static_cast<std::int32_t>(points)});
    doc_.routeText_.push_back(doc_.text_.size());
    PutText(doc_.text_, routeName_);
  }

  // A line of the list: the whole name, then what the line's format writes
  // after an empty name (" 123" or " (45)").
  void AddLine(ListSink& sink, std::string_view name, std::string_view rest) {
    line_.assign(name);
    line_.append(rest);
    sink.AddLine(line_);
  }

  void BeginTrack() {
    in_ = In::kTrk;
    trackName_.clear();
    firstPoint_ = points_.size();
    trackPoints_ = 0;
  }

  void EndTrackPoint() {
    in_ = In::kTrkseg;
    if (beyondPoles_) {
      // No place: the segment ends here.
      ++doc_.beyondPoles.trackPoints;
      segmentBreak_ = true;
      return;
    }
    const bool newSegment = segmentBreak_ && trackPoints_ > 0;
    segmentBreak_ = false;
    ++trackPoints_;
    if (!keepPoints_) return;
    TrackPoint* p = points_.Add();
    if (!p) {
      Fail(Step::kTrackConversion, "out of memory for the track points");
      return;
    }
    p->latitude = latitude_;
    p->longitude = longitude_;
    p->latitudeDegrees = SemicirclesToDegrees(latitude_);
    p->longitudeDegrees = SemicirclesToDegrees(longitude_);
    p->altitude = altitude_;
    p->noAltitude = noAltitude_;
    SetPointTime(*p, time_);
    p->noTime = noTime_;
    p->newSegment = newSegment;
  }

  void EndTrack() {
    in_ = In::kGpx;
    if (trackPoints_ > static_cast<std::uint64_t>(INT32_MAX)) {
      Fail(Step::kTrackCount, "a track holds more points than a document can");
      return;
    }
    if (tracks_ == INT32_MAX) {
      Fail(Step::kTrackCount, "more tracks than a document holds");
      return;
    }
    ++tracks_;
    const auto pointCount = static_cast<std::int32_t>(trackPoints_);
    // A load for the waypoints and counts keeps no tracks, as it keeps no points.
    if (keepPoints_) {
      trackStarts_.push_back({firstPoint_, pointCount});
      doc_.trackText_.push_back(doc_.text_.size());
      PutText(doc_.text_, trackName_);
    }
    if (trackSink_) {
      char rest[kLineBufferSize];
      AddLine(*trackSink_, trackName_, {rest, FormatTrackLine(rest, "", pointCount)});
    }
  }

  // Hands what was read whole to the document; false when memory was short.
  bool Finish() {
    if (waypoints_.size() > static_cast<std::size_t>(INT32_MAX)) {
      return doc_.Fail(Step::kWaypointAlloc, "more waypoints than a document holds");
    }
    doc_.waypointCount = static_cast<std::int32_t>(waypoints_.size());
    if (doc_.waypointCount) doc_.waypoints = waypoints_.Release();
    doc_.routeCount = static_cast<std::int32_t>(routeStarts_.size());
    if (!routeStarts_.empty()) {
      doc_.routes = AllocateZeroed<RouteRecord>(routeStarts_.size());
      if (!doc_.routes) return doc_.Fail(Step::kRouteAlloc, "out of memory for the routes");
      doc_.routePointPool_ = routePoints_.Release();
      for (std::size_t j = 0; j < routeStarts_.size(); ++j) {
        const auto [first, count] = routeStarts_[j];
        RouteRecord& r = doc_.routes[j];
        SetRecordName(r.name, doc_.RouteNameOf(static_cast<std::int32_t>(j)), NameCut::kWholeCharacters, scratch_);
        r.pointCount = count;
        r.points = BorrowSlice(doc_.routePointPool_.get() + first, static_cast<std::size_t>(count));
      }
    }
    doc_.trackCount = tracks_;
    if (trackStarts_.empty()) return true;
    doc_.tracks = AllocateZeroed<TrackRecord>(trackStarts_.size());
    if (!doc_.tracks) return doc_.Fail(Step::kTrackAlloc, "out of memory for the tracks");
    doc_.pointPool_ = points_.Release();
    for (std::size_t j = 0; j < trackStarts_.size(); ++j) {
      const auto [first, count] = trackStarts_[j];
      TrackRecord& t = doc_.tracks[j];
      SetRecordName(t.name, doc_.TrackNameOf(static_cast<std::int32_t>(j)), NameCut::kWholeCharacters, scratch_);
      t.pointCount = count;
      t.points = BorrowSlice(doc_.pointPool_.get() + first, static_cast<std::size_t>(count));
    }
    return true;
  }

  GpxDocument& doc_;
  ListSink* waypointSink_;
  ListSink* trackSink_;
  const bool keepPoints_;
  std::unique_ptr<XmlParser> parser_;
  bool failed_ = false;

  struct Binding {
    std::string prefix;
    Ns ns;
    int depth;
  };
  std::vector<Binding> bindings_;  // namespace declarations in scope, innermost last
  int depth_ = 0;
  int skipFrom_ = 0;  // the depth of the element whose subtree is being skipped, or 0
  In in_ = In::kDocument;
  Ns gpx_ = Ns::kNone;  // the root's namespace, which every GPX element shares
  Field field_ = Field::kNone;
  std::string text_;  // the text of the current field so far

  // The point being read.
  std::int32_t latitude_ = 0;
  std::int32_t longitude_ = 0;
  float altitude_ = 0;
  bool noAltitude_ = true;
  std::uint32_t time_ = 0;
  bool noTime_ = true;
  bool beyondPoles_ = false;  // its latitude lies beyond ±90°
  std::string waypointText_[std::size(kWaypointFields)];
  int symbolCode_ = -1;
  In pointIn_ = In::kWpt;  // the point whose extensions are being read

  // The route being read.
  std::string routeName_;
  std::size_t firstRoutePoint_ = 0;

  // The track being read.
  std::string trackName_;
  std::size_t firstPoint_ = 0;
  std::uint64_t trackPoints_ = 0;
  bool segmentBreak_ = false;  // the next point kept begins a new segment

  GrowingArray<WaypointRecord> waypoints_;
  GrowingArray<TrackPoint> points_;
  std::int32_t tracks_ = 0;
  // Where each track's points start in points_, and how many it has.
  std::vector<std::pair<std::size_t, std::int32_t>> trackStarts_;
  GrowingArray<WaypointRecord> routePoints_;
  // Where each route's points start in routePoints_, and how many it has.
  std::vector<std::pair<std::size_t, std::int32_t>> routeStarts_;
  std::string scratch_;
  std::string line_;
};

GpxDocument::GpxDocument() = default;
GpxDocument::~GpxDocument() = default;

bool GpxDocument::Parse(const std::uint8_t* data, std::size_t size, ListSink* waypointSink, ListSink* trackSink) {
  error_ = Error{};
  GpxReader reader(*this, waypointSink, trackSink);
  return reader.Read(data, size);
}

bool GpxDocument::Watch(ByteSpan soFar, std::size_t, ListSink* waypointSink, ListSink* trackSink) {
  if (!feeding_) {
    error_ = Error{};
    feeding_ = std::make_unique<GpxReader>(*this, waypointSink, trackSink);
    if (!feeding_->Begin()) return false;
  }
  const bool going = feeding_->Feed(soFar.data() + fed_, soFar.size() - fed_, false);
  fed_ = soFar.size();
  return going;
}

bool GpxDocument::ParseBuffer(ByteBlock buffer, ListSink* waypointSink, ListSink* trackSink) {
  if (!feeding_) return GpsDocument::ParseBuffer(std::move(buffer), waypointSink, trackSink);
  // The bytes watched were parsed as they came; the rest ends the document.
  const std::unique_ptr<GpxReader> reader = std::move(feeding_);
  const std::size_t rest = buffer.size() > fed_ ? buffer.size() - fed_ : 0;
  reader->Feed(buffer.data() + fed_, rest, true);
  return reader->Done();
}

WaypointText GpxDocument::TextOf(std::int32_t index) const { return TextAt(waypointText_[static_cast<std::size_t>(index)]); }

WaypointText GpxDocument::TextAt(std::size_t at) const {
  WaypointText text;
  text.name = TakeText(text_, at);
  text.comment = TakeText(text_, at);
  text.description = TakeText(text_, at);
  text.symbol = TakeText(text_, at);
  text.time = TakeText(text_, at);
  return text;
}

std::string_view GpxDocument::TrackNameOf(std::int32_t index) const {
  std::size_t at = trackText_[static_cast<std::size_t>(index)];
  return TakeText(text_, at);
}

std::string_view GpxDocument::RouteNameOf(std::int32_t index) const {
  std::size_t at = routeText_[static_cast<std::size_t>(index)];
  return TakeText(text_, at);
}

WaypointText GpxDocument::RoutePointTextOf(std::int32_t route, std::int32_t point) const {
  const auto flat = static_cast<std::size_t>(&routes[route].points[point] - routePointPool_.get());
  return TextAt(routePointText_[flat]);
}

}  // namespace ridloe
