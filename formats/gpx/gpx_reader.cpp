// The GPX reader: the XML parser streams the document and calls back for
// each start tag, end tag and run of text; the reader keeps the elements that
// matter by their depth and namespace and skips every other subtree whole.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
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
#include "formats/gpx/xml_events.h"

namespace ridloe {
namespace {

// GPX nests seven levels deep with extensions; each level costs the parser
// memory, so a file may nest no deeper than this.
constexpr int kMaxDepth = 256;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsXmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsXmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

// A decimal number such as "-12.5" (an exponent is accepted, as some programs
// write one); false for anything else, "inf" and "nan" included.
template <typename Number>
bool ParseDecimal(std::string_view text, Number& out) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const std::string_view digits = !text.empty() && text.front() == '-' ? text.substr(1) : text;
  if (digits.empty() || !(std::isdigit(static_cast<unsigned char>(digits.front())) || digits.front() == '.')) {
    return false;
  }
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, out);
  if (stop != end) return false;
  if (error == std::errc::result_out_of_range) {
    // Beyond the type's range: as the nearest value it holds, 0 or infinite.
    double wide = 0;
    if (std::from_chars(text.data(), end, wide).ec != std::errc{}) return false;
    out = static_cast<Number>(wide);
    return true;
  }
  return error == std::errc{};
}

// Degrees to semicircles (2^31 of them to 180 degrees), to the nearest, halves
// away from zero; a latitude is first held to [-90, 90] and a longitude
// brought into [-180, 180).
std::int32_t SemicirclesFromDegrees(double degrees, bool latitude) {
  if (latitude) {
    degrees = std::clamp(degrees, -90.0, 90.0);
  } else {
    degrees = std::fmod(degrees + 180.0, 360.0);
    if (degrees < 0) degrees += 360.0;
    degrees -= 180.0;
  }
  long long s = std::llround(degrees * 2147483648.0 / 180.0);
  if (s >= 2147483648LL) s -= 4294967296LL;  // a longitude that rounds up to 180 is -180
  return static_cast<std::int32_t>(s);
}

// Reads `count` digits as a number.
bool Digits(std::string_view& text, std::size_t count, unsigned& out) {
  if (text.size() < count) return false;
  out = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    out = out * 10 + static_cast<unsigned>(text[i] - '0');
  }
  text.remove_prefix(count);
  return true;
}

bool Expect(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

// An XML Schema date and time, "2007-03-04T15:59:55Z" (fractions of a second
// are dropped; a time without a zone is taken as UTC), as seconds since
// 1970-01-01 UTC; false when it is not one or lies outside what 32 bits hold.
bool ParseTime(std::string_view text, std::uint32_t& out) {
  text = Trim(text);
  unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
  if (!Digits(text, 4, y) || !Expect(text, '-') || !Digits(text, 2, mo) || !Expect(text, '-') ||
      !Digits(text, 2, d) || !Expect(text, 'T') || !Digits(text, 2, h) || !Expect(text, ':') ||
      !Digits(text, 2, mi) || !Expect(text, ':') || !Digits(text, 2, sec)) {
    return false;
  }
  const std::chrono::year_month_day date{std::chrono::year{static_cast<int>(y)}, std::chrono::month{mo},
                                         std::chrono::day{d}};
  if (!date.ok() || h > 24 || mi > 59 || sec > 60) return false;
  if (Expect(text, '.')) {  // fractions of a second, dropped
    unsigned digit = 0;
    if (!Digits(text, 1, digit)) return false;
    while (Digits(text, 1, digit)) {
    }
  }
  std::int64_t zone = 0;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    const bool east = text.front() == '+';
    text.remove_prefix(1);
    unsigned zh = 0, zm = 0;
    if (!Digits(text, 2, zh) || !Expect(text, ':') || !Digits(text, 2, zm) || zh > 14 || zm > 59) return false;
    zone = (east ? 1 : -1) * static_cast<std::int64_t>(zh * 3600 + zm * 60);
  } else {
    Expect(text, 'Z');
  }
  if (!text.empty()) return false;
  const std::int64_t day = std::chrono::sys_days{date}.time_since_epoch().count();
  const std::int64_t t = day * 86400 + h * 3600 + mi * 60 + sec - zone;
  if (t < 0 || t > static_cast<std::int64_t>(UINT32_MAX)) return false;
  out = static_cast<std::uint32_t>(t);
  return true;
}

// The text of `field` as a number of 7-bit groups, lowest first, each but
// the last with its top bit set, followed by the bytes.
void PutText(std::string& store, std::string_view field) {
  std::size_t n = field.size();
  do {
    const auto group = static_cast<char>(n & 0x7F);
    n >>= 7;
    store.push_back(n ? static_cast<char>(group | 0x80) : group);
  } while (n);
  store.append(field);
}

std::string_view TakeText(std::string_view store, std::size_t& at) {
  std::size_t n = 0;
  for (int shift = 0;; shift += 7) {
    const auto group = static_cast<unsigned char>(store[at++]);
    n |= static_cast<std::size_t>(group & 0x7F) << shift;
    if (!(group & 0x80)) break;
  }
  const std::string_view text = store.substr(at, n);
  at += n;
  return text;
}

// Copies `utf8` into a record's name field as code page 950 text, cut as
// `rule` says; returns the characters that had no form there.
template <std::size_t N>
std::size_t SetRecordName(char (&field)[N], std::string_view utf8, NameCut rule, std::string& scratch) {
  std::size_t replaced = 0;
  std::string_view bytes = utf8;
  if (!IsAscii(utf8)) {
    scratch.clear();
    TranscodeFromUtf8(utf8, "CP950", scratch, replaced);
    bytes = scratch;
  }
  FitNameInto(field, bytes, rule);
  return replaced;
}

// A zero-filled array that doubles as it fills, handed to the document whole.
template <typename T>
class GrowingArray {
 public:
  // A zeroed element at the end, or null when memory is short.
  T* Add() {
    if (size_ == capacity_) {
      const std::size_t bigger = std::max<std::size_t>(64, capacity_ * 2);
      ZeroedArray<T> grown = AllocateZeroed<T>(bigger);
      if (!grown) return nullptr;
      if (size_) std::memcpy(static_cast<void*>(grown.get()), data_.get(), size_ * sizeof(T));
      data_ = std::move(grown);
      capacity_ = bigger;
    }
    return &data_[size_++];
  }
  std::size_t size() const { return size_; }
  ZeroedArray<T> Release() {
    size_ = capacity_ = 0;
    return std::move(data_);
  }

 private:
  ZeroedArray<T> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

enum class Ns : std::uint8_t { kNone, kGpx10, kGpx11, kRidloe, kOther };

Ns NamespaceOf(std::string_view uri) {
  if (uri.empty()) return Ns::kNone;
  if (uri == kGpx11Namespace) return Ns::kGpx11;
  if (uri == kGpx10Namespace) return Ns::kGpx10;
  if (uri == kRidloeNamespace) return Ns::kRidloe;
  return Ns::kOther;
}

// Where the reader is: the element it is inside, of those it reads.
enum class In : std::uint8_t { kDocument, kGpx, kWpt, kWptExtensions, kTrk, kTrkseg, kTrkpt, kDone };

// The text elements it reads.
enum class Field : std::uint8_t { kNone, kEle, kName, kCmt, kDesc, kSym, kTime, kSymbolCode };

// The text element `local` is inside a wpt, trk or trkpt; kNone for one not read.
Field FieldOf(std::string_view local, In in) {
  if (in == In::kTrk) return local == "name" ? Field::kName : Field::kNone;
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
    if (!parser_) return doc_.Fail(LoadStep::kWaypointAlloc, why);
    if (waypointSink_) waypointSink_->LinesAreUtf8();
    if (trackSink_) trackSink_->LinesAreUtf8();
    return true;
  }
  bool Feed(const std::uint8_t* data, std::size_t size, bool last) {
    if (!parser_ || failed_) return false;
    std::string why;
    if (!parser_->Feed(data, size, last, *this, why) && !failed_) Fail(LoadStep::kSyntax, why);
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
      Fail(LoadStep::kWaypointAlloc, "out of memory");
    }
  }

  // Records why the load fails, at the parser's position, and stops it.
  bool Fail(LoadStep step, std::string why) {
    if (!failed_) {
      doc_.error_.SetAt(step, std::move(why), parser_->Line(), parser_->Column());
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
        Fail(LoadStep::kSyntax, "elements nest deeper than " + std::to_string(kMaxDepth) + " levels");
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
        Fail(LoadStep::kSyntax, "the root element is not a GPX 1.0 or 1.1 gpx element");
        return;
      }
      gpx_ = ns;
      in_ = In::kGpx;
      doc_.reachedRecords_ = true;
      return;
    }
    // Text elements hold text alone; anything inside one is skipped.
    if (field_ != Field::kNone) return Skip();
    if (in_ == In::kWptExtensions) {
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
        if (local == "trk") return BeginTrack();
        if (local == "rte" && routes_ < INT32_MAX) ++routes_;
        return Skip();
      case In::kWpt:
        if (local == "extensions") {
          in_ = In::kWptExtensions;
          return;
        }
        break;
      case In::kTrk:
        if (local == "trkseg") {
          in_ = In::kTrkseg;
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
      case In::kWptExtensions: in_ = In::kWpt; break;
      case In::kTrk: EndTrack(); break;
      case In::kTrkseg: in_ = In::kTrk; break;
      case In::kTrkpt: EndTrackPoint(); break;
      default: break;
    }
  }

  // A wpt or trkpt: its lat and lon must be finite numbers.
  void BeginPoint(std::span<const XmlAttribute> attributes, In point) {
    const char* element = point == In::kWpt ? "wpt" : "trkpt";
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
        Fail(LoadStep::kSyntax, std::string(element) + " has no " + names[i]);
        return;
      }
      if (!ParseDecimal(*values[i], degrees[i]) || !std::isfinite(degrees[i])) {
        Fail(LoadStep::kSyntax,
             std::string(element) + " has a " + names[i] + " that is not a number: " + Quoted(*values[i]));
        return;
      }
    }
    latitude_ = SemicirclesFromDegrees(degrees[0], true);
    longitude_ = SemicirclesFromDegrees(degrees[1], false);
    altitude_ = 0;
    noAltitude_ = true;
    time_ = 0;
    noTime_ = true;
    if (point == In::kWpt) {
      for (std::string& field : waypointText_) field.clear();
      symbolCode_ = -1;
    }
    in_ = point;
  }

  void EndField() {
    const Field field = field_;
    field_ = Field::kNone;
    const std::string_view text = Trim(text_);
    switch (field) {
      case Field::kEle:
        if (text.empty()) break;  // an empty ele gives no altitude
        if (!ParseDecimal(text, altitude_)) {
          Fail(LoadStep::kSyntax, "ele is not a number: " + Quoted(text));
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
        if (in_ == In::kTrkpt) noTime_ = !ParseTime(text, time_);
        if (in_ == In::kWpt) waypointText_[TextIndex(Field::kTime)] = text;
        break;
      case Field::kName:
        if (in_ == In::kTrk) {
          trackName_ = text;
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
      const NamedSymbol* coded = SymbolWithCode(static_cast<std::uint16_t>(symbolCode_), SymbolCodes::kMps);
      if (sym.empty() || (coded && EqualsNoCase(sym, coded->name))) return static_cast<std::uint16_t>(symbolCode_);
    }
    const NamedSymbol* named = SymbolNamed(sym);
    return named ? named->mps : kPlainSymbol;
  }

  void EndWaypoint() {
    in_ = In::kGpx;
    WaypointRecord* w = waypoints_.Add();
    if (!w) {
      Fail(LoadStep::kWaypointAlloc, "out of memory for the waypoints");
      return;
    }
    const std::string_view name = waypointText_[TextIndex(Field::kName)];
    const std::size_t replaced = SetRecordName(w->name, name, NameCut::kNoHighLastByte, scratch_);
    doc_.unmappedCharacters += static_cast<std::int64_t>(replaced);
    w->latitude = latitude_;
    w->longitude = longitude_;
    w->altitude = altitude_;
    w->noAltitude = noAltitude_;
    w->symbol = SymbolCode();
    doc_.waypointText_.push_back(doc_.text_.size());
    for (const std::string& field : waypointText_) PutText(doc_.text_, field);
    if (waypointSink_) {
      char rest[kLineBufferSize];
      AddLine(*waypointSink_, name, {rest, FormatWaypointLine(rest, "", AltitudeShown(w->altitude))});
    }
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
    ++trackPoints_;
    if (!keepPoints_) return;
    TrackPoint* p = points_.Add();
    if (!p) {
      Fail(LoadStep::kTrackConversion, "out of memory for the track points");
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
  }

  void EndTrack() {
    in_ = In::kGpx;
    if (trackPoints_ > static_cast<std::uint64_t>(INT32_MAX)) {
      Fail(LoadStep::kTrackCount, "a track holds more points than a document can");
      return;
    }
    if (tracks_ == INT32_MAX) {
      Fail(LoadStep::kTrackCount, "more tracks than a document holds");
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
    doc_.routeCount = routes_;
    if (waypoints_.size() > static_cast<std::size_t>(INT32_MAX)) {
      return doc_.Fail(LoadStep::kWaypointAlloc, "more waypoints than a document holds");
    }
    doc_.waypointCount = static_cast<std::int32_t>(waypoints_.size());
    if (doc_.waypointCount) doc_.waypoints = waypoints_.Release();
    doc_.trackCount = tracks_;
    if (trackStarts_.empty()) return true;
    doc_.tracks = AllocateZeroed<TrackRecord>(trackStarts_.size());
    if (!doc_.tracks) return doc_.Fail(LoadStep::kTrackAlloc, "out of memory for the tracks");
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
  std::string waypointText_[std::size(kWaypointFields)];
  int symbolCode_ = -1;

  // The track being read.
  std::string trackName_;
  std::size_t firstPoint_ = 0;
  std::uint64_t trackPoints_ = 0;

  GrowingArray<WaypointRecord> waypoints_;
  GrowingArray<TrackPoint> points_;
  std::int32_t tracks_ = 0;
  // Where each track's points start in points_, and how many it has.
  std::vector<std::pair<std::size_t, std::int32_t>> trackStarts_;
  std::int32_t routes_ = 0;
  std::string scratch_;
  std::string line_;
};

GpxDocument::GpxDocument() = default;
GpxDocument::~GpxDocument() = default;

bool GpxDocument::Parse(const std::uint8_t* data, std::size_t size, ListSink* waypointSink, ListSink* trackSink) {
  error_ = LoadError{};
  GpxReader reader(*this, waypointSink, trackSink);
  return reader.Read(data, size);
}

bool GpxDocument::Watch(ByteSpan soFar, std::size_t, ListSink* waypointSink, ListSink* trackSink) {
  if (!feeding_) {
    error_ = LoadError{};
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

WaypointText GpxDocument::TextOf(std::int32_t index) const {
  std::size_t at = waypointText_[static_cast<std::size_t>(index)];
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

}  // namespace ridloe
