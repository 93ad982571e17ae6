// The GPX reader: real files from other programs, namespaces, text, numbers,
// symbols, names in code page 950, routes, segments, encodings, and hostile
// input; where GDAL reads the same file, what it makes of it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "formats/format_registry.h"
#include "formats/gpx/gpx_document.h"
#include "formats/gpx/gpx_format.h"
#include "testing/gpx_checks.h"
#include "testing/gpx_text.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

using testing::GpxText;

struct Read {
  GpxDocument doc;
  VectorListSink waypointLines;
  VectorListSink trackLines;
  bool ok = false;
};

std::unique_ptr<Read> ReadText(const std::string& text, LoadParts parts = LoadParts::kAll) {
  auto r = std::make_unique<Read>();
  r->doc.parts = parts;
  r->ok = r->doc.Parse(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), &r->waypointLines,
                       &r->trackLines);
  return r;
}

std::string Wpt(const std::string& inner, const std::string& lat = "1", const std::string& lon = "2") {
  return "<wpt lat=\"" + lat + "\" lon=\"" + lon + "\">" + inner + "</wpt>";
}

TEST(GpxReader, RealFilesMatchTheirReadme) {
  struct Expected {
    const char* file;
    int waypoints, tracks, routes;
    const char* firstName;  // of the first waypoint, else of the first track
  };
  const Expected files[] = {
      {"Mojstrovka.gpx", 0, 1, 0, ""},
      {"gpx-with-node-with-comments.gpx", 0, 1, 0, "2014-05-06_132925"},
      {"gpx1.0_with_all_fields.gpx", 2, 2, 2, "example name"},
      {"gpx1.1_with_all_fields.gpx", 2, 2, 2, "example name"},
      {"gpx_with_garmin_extension.gpx", 1, 0, 0, ""},
      {"route.gpx", 0, 0, 1, nullptr},
      {"track-with-empty-segment.gpx", 0, 1, 0, "2013-07-06T14:59:00Z"},
      {"unicode_with_bom.gpx", 1, 0, 0, "test"},
  };
  const std::string folder = std::string(RIDLOE_SHARED_TESTDATA) + "/gpx/";
  if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no shared test files in " << folder;
  for (const Expected& e : files) {
    SCOPED_TRACE(e.file);
    VectorListSink lines;
    const OpenedDocument opened = OpenDocument(folder + e.file, FormatSet::All(), &lines, &lines);
    ASSERT_TRUE(opened.ok) << opened.document->error().Describe();
    const GpsDocument& d = *opened.document;
    EXPECT_EQ(opened.format, &kGpxFormat);
    EXPECT_EQ(d.waypointCount, e.waypoints);
    EXPECT_EQ(d.trackCount, e.tracks);
    EXPECT_EQ(d.routeCount, e.routes);
    EXPECT_EQ(lines.lines.size(), static_cast<std::size_t>(e.waypoints + e.tracks));
    if (e.firstName) {
      EXPECT_EQ(e.waypoints ? d.TextOf(0).name : d.TrackNameOf(0), e.firstName);
    }
  }
}

TEST(GpxReader, NamespacesDecideWhatIsGpx) {
  const std::string body = Wpt("<name>W</name>") + "<trk><trkseg><trkpt lat=\"1\" lon=\"1\"/></trkseg></trk>";
  for (const char* root : {"<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">", "<gpx>",
                           "<g:gpx xmlns:g=\"http://www.topografix.com/GPX/1/1\">"}) {
    const std::string prefix = std::string(root).rfind("<g:", 0) == 0 ? "g:" : "";
    std::string prefixed = body;
    for (const char* tag : {"wpt", "name", "trk", "trkseg", "trkpt"}) {
      for (const std::string& mark : {std::string("<"), std::string("</")}) {
        for (std::size_t at = 0; (at = prefixed.find(mark + tag, at)) != std::string::npos; at += mark.size()) {
          prefixed.insert(at + mark.size(), prefix);
        }
      }
    }
    const auto r = ReadText(GpxText(prefixed, root));
    EXPECT_TRUE(r->ok) << root << ": " << r->doc.error().Describe();
    EXPECT_EQ(r->doc.waypointCount, 1) << root;
    EXPECT_EQ(r->doc.trackCount, 1) << root;
  }
  // Elements of other namespaces are not GPX, whatever their names.
  const auto foreign = ReadText(GpxText(
      "<wpt xmlns=\"urn:other\" lat=\"1\" lon=\"2\"/><o:wpt xmlns:o=\"urn:other\" lat=\"1\" lon=\"2\"/>"
      "<g:wpt xmlns:g=\"http://www.topografix.com/GPX/1/1\" lat=\"3\" lon=\"4\"/>"));
  ASSERT_TRUE(foreign->ok) << foreign->doc.error().Describe();
  EXPECT_EQ(foreign->doc.waypointCount, 1);
  const auto kml = ReadText(GpxText("", "<gpx xmlns=\"http://www.opengis.net/kml/2.2\">"));
  EXPECT_FALSE(kml->ok);
  EXPECT_EQ(kml->doc.error().Describe(), "line 2, column 1: the root element is not a GPX 1.0 or 1.1 gpx element");
}

TEST(GpxReader, DetectsGpxByItsRootElement) {
  const auto looks = [](const std::string& text) { return LooksLikeGpx(testing::AsBytes(text)); };
  EXPECT_TRUE(looks("\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- a > b -->\n<?pi x?><!DOCTYPE gpx [<!ELEMENT gpx ANY>]>\n"
                    "<gpx version=\"1.1\">"));
  EXPECT_TRUE(looks("<g:gpx/>"));
  EXPECT_FALSE(looks("<gpxx>"));
  EXPECT_FALSE(looks("<?xml version=\"1.0\"?><kml>"));
  EXPECT_FALSE(looks("<!-- <gpx> never closed"));
}

TEST(GpxReader, TextIsTrimmedAndDecoded) {
  const auto r = ReadText(GpxText(
      Wpt("<name>\n  A &amp; B <![CDATA[<C>]]> &#x7389;<!-- note --> </name><cmt>c</cmt><desc>d</desc>"
          "<time> 2013-01-02T02:03:00Z </time><link href=\"x\"><text>skipped</text></link>") +
      "<trk><name> T </name><trkseg/><trkseg><trkpt lat=\"0\" lon=\"0\"/></trkseg>"
      "<trkseg><trkpt lat=\"1\" lon=\"1\"/></trkseg></trk>"));
  ASSERT_TRUE(r->ok) << r->doc.error().Describe();
  const WaypointText text = r->doc.TextOf(0);
  EXPECT_EQ(text.name, "A & B <C> 玉");
  EXPECT_EQ(text.comment, "c");
  EXPECT_EQ(text.description, "d");
  EXPECT_EQ(text.time, "2013-01-02T02:03:00Z");
  EXPECT_EQ(r->doc.TrackNameOf(0), "T");
  ASSERT_EQ(r->doc.trackCount, 1);
  EXPECT_EQ(r->doc.tracks[0].pointCount, 2);  // the points of every segment
  EXPECT_EQ(r->waypointLines.lines, std::vector<std::string>{"A & B <C> 玉   0"});
  EXPECT_EQ(r->trackLines.lines, std::vector<std::string>{"T (2)"});
}

TEST(GpxReader, CoordinatesElevationsAndTimes) {
  // 0.5 semicircles exactly: halves round away from zero.
  const std::string half = "0.000000041909515857696533203125";
  const auto r = ReadText(GpxText(
      Wpt("<ele>1500.5</ele>", "90", "180") + Wpt("<ele> +12 </ele>", "-90", "540") + Wpt("<ele></ele>", half, "-" + half) +
      Wpt("", "24.07", "-190") +
      "<trk><trkseg>"
      "<trkpt lat=\"0\" lon=\"0\"><time>2007-03-04T15:59:55Z</time></trkpt>"
      "<trkpt lat=\"0\" lon=\"0\"><time>2007-03-04T23:59:55.75+08:00</time></trkpt>"
      "<trkpt lat=\"0\" lon=\"0\"><time>2007-03-04T15:59:55</time></trkpt>"
      "<trkpt lat=\"0\" lon=\"0\"><time>1969-12-31T23:59:59Z</time></trkpt>"
      "<trkpt lat=\"0\" lon=\"0\"><time>yesterday</time><ele>-5</ele></trkpt>"
      "</trkseg></trk>"));
  ASSERT_TRUE(r->ok) << r->doc.error().Describe();
  const WaypointRecord* w = r->doc.waypoints.get();
  EXPECT_EQ(w[0].latitude, 1 << 30);
  EXPECT_EQ(w[0].longitude, INT32_MIN);  // 180 is -180
  EXPECT_EQ(w[0].altitude, 1500.5f);
  EXPECT_FALSE(w[0].noAltitude);
  EXPECT_EQ(w[1].latitude, -(1 << 30));
  EXPECT_EQ(w[1].longitude, INT32_MIN);
  EXPECT_EQ(w[1].altitude, 12.0f);
  EXPECT_EQ(w[2].latitude, 1);
  EXPECT_EQ(w[2].longitude, -1);
  EXPECT_TRUE(w[2].noAltitude);
  EXPECT_EQ(w[2].altitude, 0.0f);
  EXPECT_EQ(w[3].latitude, 287166286);  // 24.07 degrees: 287166285.65
  EXPECT_EQ(w[3].longitude, 2028179001);  // -190 is 170: 2028179000.89
  const TrackPoint* p = r->doc.tracks[0].points.get();
  for (int k = 0; k < 3; ++k) {
    EXPECT_FALSE(p[k].noTime) << k;
    EXPECT_EQ(p[k].time, 1173023995u) << k;
  }
  EXPECT_EQ(p[0].hour, 23);  // shown at +8 hours, as every reader does
  EXPECT_TRUE(p[3].noTime);  // before 1970: no time a point can hold
  EXPECT_TRUE(p[4].noTime);
  EXPECT_TRUE(p[0].noAltitude);
  EXPECT_EQ(p[4].altitude, -5.0f);
}

TEST(GpxReader, SymbolsByNameOrByOurOwnCode) {
  const auto sym = [](const std::string& name, const std::string& code) {
    const std::string ext =
        code.empty() ? "" : "<extensions><r:mpsSymbol xmlns:r=\"urn:x-ridloe:gpx-extensions:1\">" + code +
                                "</r:mpsSymbol></extensions>";
    return Wpt((name.empty() ? "" : "<sym>" + name + "</sym>") + ext);
  };
  const auto r = ReadText(GpxText(sym("Summit", "") + sym("scenic area", "") + sym("Flag, Blue", "") + sym("", "8") +
                                  sym("Summit", "106") + sym("Flag", "106") + sym("Residence", "150") + sym("", "")));
  ASSERT_TRUE(r->ok) << r->doc.error().Describe();
  const std::uint16_t expected[] = {106, 48, 18, 8, 106, 18, 10, 18};
  ASSERT_EQ(r->doc.waypointCount, 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(r->doc.waypoints[i].symbol, expected[i]) << i;
}

TEST(GpxReader, RecordsHoldNamesInCodePage950) {
  const auto r = ReadText(GpxText(Wpt("<name>玉山</name>") + Wpt("<name>😀 Ω Mont</name>") +
                                  Wpt("<name>排雲山莊登山口</name>") +
                                  "<trk><name>雪山主峰線步道，從登山口到三六九山莊</name></trk>"));
  ASSERT_TRUE(r->ok);
  EXPECT_STREQ(r->doc.waypoints[0].name, testing::Cp950FromUtf8("玉山").c_str());
  EXPECT_EQ(r->doc.waypoints[1].name, "? " + testing::Cp950FromUtf8("Ω") + " Mont");  // the emoji has no form
  // Cut on a whole character: five of the seven.
  EXPECT_STREQ(r->doc.waypoints[2].name, testing::Cp950FromUtf8("排雲山莊登").c_str());
  EXPECT_EQ(r->doc.unmappedCharacters, 1);
  EXPECT_STREQ(r->doc.tracks[0].name, testing::Cp950FromUtf8("雪山主峰線步道，從登山口到三六").c_str());
  EXPECT_EQ(r->doc.TrackNameOf(0), "雪山主峰線步道，從登山口到三六九山莊");
}

TEST(GpxReader, CountsWithoutKeepingPointsWhenAskedForWaypointsOnly) {
  const auto r = ReadText(GpxText(Wpt("") + "<trk><trkseg><trkpt lat=\"1\" lon=\"1\"/></trkseg></trk><trk/>"),
                          LoadParts::kWaypointsAndCounts);
  ASSERT_TRUE(r->ok);
  EXPECT_EQ(r->doc.waypointCount, 1);
  EXPECT_EQ(r->doc.trackCount, 2);
  EXPECT_EQ(r->doc.tracks, nullptr);
  EXPECT_EQ(r->trackLines.lines, (std::vector<std::string>{" (1)", " (0)"}));
}

// Malformed XML and points without a place fail with the line and column;
// what was read before stays, listed.
TEST(GpxReader, FailuresSayWhereAndKeepWhatWasRead) {
  const std::pair<std::string, std::string> cases[] = {
      {Wpt("") + Wpt("") + "<wpt lat=\"1\" lon=\"2\"></gpx>",
       "line 3, column 78: mismatched tag"},
      {Wpt("") + Wpt("") + "\n<wpt lon=\"2\"/>", "line 4, column 1: wpt has no lat"},
      {Wpt("") + Wpt("") + "<trk><trkseg><trkpt lat=\"1\" lon=\"inf\"/></trkseg></trk>",
       "line 3, column 68: trkpt has a lon that is not a number: \"inf\""},
      {Wpt("") + Wpt("") + Wpt("", "1e999"), "line 3, column 55: wpt has a lat that is not a number: \"1e999\""},
      {Wpt("") + Wpt("") + Wpt("<ele>1,5</ele>"), "line 3, column 84: ele is not a number: \"1,5\""},
  };
  for (const auto& [body, why] : cases) {
    const auto r = ReadText(GpxText(body));
    EXPECT_FALSE(r->ok) << body;
    EXPECT_EQ(r->doc.error().Describe(), why);
    EXPECT_EQ(r->doc.waypointCount, 2) << body;
    EXPECT_EQ(r->waypointLines.lines.size(), 2u) << body;
  }
  EXPECT_EQ(ReadText("")->doc.error().Describe(), "line 1, column 1: no element found");
}

// A document cut anywhere fails, saying where, and the parse ends (a read
// that makes no progress is a failure, never a loop); only the line end
// after the root element may go.
TEST(GpxReader, EveryCutDocumentFailsAndTheReadEnds) {
  const std::string whole = GpxText(Wpt("<name>玉山</name>") + "<trk><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg></trk>");
  for (std::size_t size = 0; size + 1 < whole.size(); ++size) {
    const auto r = ReadText(whole.substr(0, size));
    EXPECT_FALSE(r->ok) << size;
    EXPECT_TRUE(r->doc.error().Describe().starts_with("line ")) << size << ": " << r->doc.error().Describe();
  }
  EXPECT_TRUE(ReadText(whole.substr(0, whole.size() - 1))->ok);
  const std::string afterRoot = whole.substr(0, whole.find("<wpt"));
  EXPECT_EQ(ReadText(afterRoot)->doc.error().Describe(), "line 3, column 1: no element found");
  EXPECT_EQ(ReadText(afterRoot + "<wpt lat=\"1\" lon=\"2\">x")->doc.error().Describe(),
            "line 3, column 23: no element found");
}

// The encoding a document declares is the one it is read in: ISO-8859-1 is
// read, and a document declared UTF-8 (or declaring none) that holds other
// bytes is not well-formed, whatever they were meant as.
TEST(GpxReader, DocumentsAreReadInTheEncodingTheyDeclare) {
  const auto latin1 = ReadText("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<gpx>" +
                               Wpt("<name>Caf\xE9 \xA9</name>") + "</gpx>");
  ASSERT_TRUE(latin1->ok) << latin1->doc.error().Describe();
  EXPECT_EQ(latin1->doc.TextOf(0).name, "Café ©");
  for (const char* declaration : {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", "<?xml version=\"1.0\"?>\n", ""}) {
    for (const char* bytes : {"Caf\xE9", "\xA5\x78\xA5\x5F"}) {  // Latin-1, Big5
      const auto r = ReadText(declaration + std::string("<gpx>") + Wpt("<name>" + std::string(bytes) + "</name>") +
                              "</gpx>");
      EXPECT_FALSE(r->ok) << declaration << bytes;
      EXPECT_TRUE(r->doc.error().Describe().ends_with(": not well-formed (invalid token)")) << r->doc.error().Describe();
    }
  }
}

// Names of every length in characters of one to four bytes, in a document
// of over a megabyte that reaches the parser in many pieces: each name is
// read whole, wherever a piece ends.
TEST(GpxReader, LongNamesAreReadWholeInALargeDocument) {
  const std::string characters[] = {"玉", "山", "é", "𠀀", "A", "😀", "臺", " ", "&amp;"};
  std::vector<std::string> names;
  std::string body;
  while (body.size() < (std::size_t{1} << 20) + 4096) {
    std::string name = "W";
    for (std::size_t k = 0; k < names.size() % 101; ++k) name += characters[(names.size() + k * 5) % 9];
    body += Wpt("<name>" + name + "</name><cmt>" + name + "</cmt>", std::to_string(names.size() % 90)) + "\n";
    names.push_back(name);
  }
  const auto r = ReadText(GpxText(body));
  ASSERT_TRUE(r->ok) << r->doc.error().Describe();
  ASSERT_EQ(r->doc.waypointCount, static_cast<std::int32_t>(names.size()));
  std::size_t wrong = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::string expected = names[i];
    for (std::size_t at; (at = expected.find("&amp;")) != std::string::npos;) expected.replace(at, 5, "&");
    while (expected.ends_with(' ')) expected.pop_back();
    const WaypointText text = r->doc.TextOf(static_cast<std::int32_t>(i));
    if (text.name != expected || text.comment != expected) {
      if (++wrong <= 3) ADD_FAILURE() << "waypoint " << i << ": " << text.name << " / " << text.comment;
    }
  }
  EXPECT_EQ(wrong, 0u);
}

// Entities a document declares are never expanded and nothing is ever
// loaded: the billion laughs and external entities are refused; a document
// type declaration without entities is only data.
TEST(GpxReader, EntitiesAreRefusedNeverExpandedOrFetched) {
  std::string laughs = "<!DOCTYPE gpx [<!ENTITY lol0 \"lol\">";
  for (int i = 1; i < 10; ++i) {
    laughs += "<!ENTITY lol" + std::to_string(i) + " \"" ;
    for (int k = 0; k < 10; ++k) laughs += "&lol" + std::to_string(i - 1) + ";";
    laughs += "\">";
  }
  laughs += "]>\n<gpx>" + Wpt("<name>&lol9;</name>") + "</gpx>";
  const auto r = ReadText(laughs);
  EXPECT_FALSE(r->ok);
  EXPECT_EQ(r->doc.error().Describe(), "line 1, column 30: the document declares the entity lol0, and entities are refused");
  EXPECT_EQ(r->doc.waypointCount, 0);

  const auto external = ReadText("<!DOCTYPE gpx [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><gpx>&x;</gpx>");
  EXPECT_FALSE(external->ok);
  const auto undeclared = ReadText("<!DOCTYPE gpx SYSTEM \"http://127.0.0.1:9/gpx.dtd\"><gpx>" + Wpt("<name>&x;</name>") + "</gpx>");
  EXPECT_FALSE(undeclared->ok);
  EXPECT_EQ(undeclared->doc.error().Describe(), "line 1, column 83: the entity x is not declared");
  const auto plain = ReadText("<!DOCTYPE gpx><gpx>" + Wpt("<name>&lt;&#65;&gt;</name>") + "</gpx>");
  ASSERT_TRUE(plain->ok) << plain->doc.error().Describe();
  EXPECT_EQ(plain->doc.TextOf(0).name, "<A>");
}

// A file written for a test, and what GDAL reads in one of its layers
// (nothing, after a note, where GDAL is missing).
class GdalReads {
 public:
  explicit GdalReads(const std::string& text) : path_(folder_.Path("t.gpx")) {
    EXPECT_TRUE(testing::WriteBytes(path_, testing::AsBytes(text)));
  }
  std::optional<std::vector<testing::OgrFeature>> Layer(const char* layer) const { return testing::OgrLayer(path_, layer); }

 private:
  testing::TempFolder folder_;
  std::string path_;
};

// Routes are read as waypoints are, in their own records; GDAL's routes and
// route_points layers hold the same. The shared route.gpx: one route of 55.
TEST(GpxReader, RoutesAsGdalReadsThem) {
  const std::string text = GpxText(
      Wpt("<name>W</name>") +
      "<rte><name> Ridge </name><cmt>skipped</cmt><rtept lat=\"23.47\" lon=\"120.95\"><ele>3952</ele><name>玉山</name>"
      "<cmt>top</cmt><sym>Summit</sym><time>2020-01-02T03:04:05Z</time></rtept>"
      "<rtept lat=\"23.48\" lon=\"120.9\"><extensions><r:mpsSymbol xmlns:r=\"urn:x-ridloe:gpx-extensions:1\">48"
      "</r:mpsSymbol></extensions></rtept></rte><rte/>");
  for (const LoadParts parts : {LoadParts::kAll, LoadParts::kWaypointsAndCounts}) {
    const auto r = ReadText(text, parts);
    ASSERT_TRUE(r->ok) << r->doc.error().Describe();
    ASSERT_EQ(r->doc.routeCount, 2);
    EXPECT_EQ(r->doc.RouteNameOf(0), "Ridge");
    ASSERT_EQ(r->doc.routes[0].pointCount, 2);
    EXPECT_EQ(r->doc.routes[1].pointCount, 0);
    const WaypointRecord* p = r->doc.routes[0].points.get();
    EXPECT_EQ(std::vector<int>({p[0].latitude, p[0].symbol, p[1].symbol}), std::vector<int>({280008007, 106, 48}));
    EXPECT_EQ(p[0].altitude, 3952.0f);
    EXPECT_TRUE(p[1].noAltitude);
    EXPECT_STREQ(p[0].name, testing::Cp950FromUtf8("玉山").c_str());
    const WaypointText first = r->doc.RoutePointTextOf(0, 0);
    EXPECT_EQ(std::vector<std::string_view>({first.name, first.comment, first.symbol, first.time}),
              std::vector<std::string_view>({"玉山", "top", "Summit", "2020-01-02T03:04:05Z"}));
    EXPECT_EQ(r->waypointLines.lines.size(), 1u);  // routes are not waypoints
  }
  const GdalReads gdal(text);
  const auto points = gdal.Layer("route_points");
  if (points) {
    ASSERT_EQ(points->size(), 2u);
    EXPECT_EQ((*points)[0].name, "玉山");
    EXPECT_EQ(gdal.Layer("routes")->size(), 2u);
  }

  const std::string shared = testing::SharedTestData("gpx");
  if (shared.empty()) GTEST_SKIP() << testing::kNoSharedTestData;
  const OpenedDocument opened = OpenDocument(shared + "/route.gpx", FormatSet::All(), nullptr, nullptr);
  ASSERT_TRUE(opened.ok) << opened.document->error().Describe();
  const GpsDocument& d = *opened.document;
  ASSERT_EQ(d.routeCount, 1);
  ASSERT_EQ(d.routes[0].pointCount, 55);
  const auto real = testing::OgrLayer(shared + "/route.gpx", "route_points");
  if (!real) return;
  ASSERT_EQ(real->size(), 55u);
  for (std::int32_t k = 0; k < 55; ++k) {
    const testing::OgrFeature& f = (*real)[static_cast<std::size_t>(k)];
    EXPECT_EQ(f.name, d.RoutePointTextOf(0, k).name) << k;
    EXPECT_NEAR(f.points[0][1], d.routes[0].points[k].latitude * 180.0 / 2147483648.0, 1e-7) << k;
  }
}

// Zones written "+hhmm" and "+hh" and fractions of any length, as GDAL reads
// them: the same clock time (GDAL keeps a zone only in the "+hh:mm" form and
// keeps the clock of the others as they are written, where we take the zone
// off); what neither reads is no time.
TEST(GpxReader, TimesInTheFormsProgramsWrite) {
  const char* times[] = {"2020-01-02T03:04:05+0000", "2020-01-02T03:04:05.123456789Z", "2020-01-02T05:34:05+02:30",
                         "2020-01-02T01:04:05-02",   "2020-01-02T03:04:05.5+0100",     "2020-01-02T03:04:05+5"};
  std::string body = "<trk><trkseg>";
  for (const char* t : times) body += std::string("<trkpt lat=\"1\" lon=\"2\"><time>") + t + "</time></trkpt>";
  const std::string text = GpxText(body + "</trkseg></trk>");
  const auto r = ReadText(text);
  ASSERT_TRUE(r->ok) << r->doc.error().Describe();
  const TrackPoint* p = r->doc.tracks[0].points.get();
  const std::uint32_t t = 1577934245;  // 2020-01-02T03:04:05Z
  EXPECT_EQ(std::vector<std::uint32_t>({p[0].time, p[1].time, p[2].time, p[3].time, p[4].time}),
            std::vector<std::uint32_t>({t, t, t, t, t - 3600}));
  EXPECT_TRUE(p[5].noTime);
  const auto gdal = GdalReads(text).Layer("track_points");
  if (!gdal) return;
  ASSERT_EQ(gdal->size(), 6u);
  const auto clock = [&gdal](std::size_t k) { return (*gdal)[k].Field("time").substr(0, 19); };
  EXPECT_EQ(clock(0), "2020/01/02 03:04:05");
  EXPECT_EQ(clock(1), "2020/01/02 03:04:05");
  EXPECT_EQ((*gdal)[2].Field("time"), "2020/01/02 05:34:05+0230");
  EXPECT_EQ(clock(3), "2020/01/02 01:04:05");  // our 03:04:05Z, as written at -02
  EXPECT_EQ(clock(4), "2020/01/02 03:04:05");  // our 02:04:05Z, as written at +01
}

// A latitude beyond ±90° is no place: the point is left out and counted
// (GDAL keeps it, so its counts are ours and those), and a track's segment
// ends there.
TEST(GpxReader, LatitudesBeyondThePolesAreLeftOut) {
  const std::string text = GpxText(
      Wpt("", "100") + Wpt("", "-90.0000001") + Wpt("", "90") +
      "<rte><rtept lat=\"200\" lon=\"1\"/><rtept lat=\"1\" lon=\"1\"/></rte>"
      "<trk><trkseg><trkpt lat=\"1\" lon=\"1\"/><trkpt lat=\"100\" lon=\"1\"/><trkpt lat=\"2\" lon=\"1\"/>"
      "<trkpt lat=\"200\" lon=\"1\"/></trkseg><trkseg><trkpt lat=\"3\" lon=\"1\"/></trkseg></trk>");
  const auto r = ReadText(text);
  ASSERT_TRUE(r->ok) << r->doc.error().Describe();
  EXPECT_EQ(r->doc.waypointCount, 1);
  EXPECT_EQ(r->doc.routes[0].pointCount, 1);
  ASSERT_EQ(r->doc.tracks[0].pointCount, 3);
  const TrackPoint* p = r->doc.tracks[0].points.get();
  EXPECT_EQ(std::vector<bool>({p[0].newSegment, p[1].newSegment, p[2].newSegment}), std::vector<bool>({false, true, true}));
  const PointCounts& out = r->doc.beyondPoles;
  EXPECT_EQ(std::vector<std::int64_t>({out.waypoints, out.routePoints, out.trackPoints}), std::vector<std::int64_t>({2, 1, 2}));
  EXPECT_EQ(r->trackLines.lines, std::vector<std::string>{" (3)"});
  const GdalReads gdal(text);
  const auto waypoints = gdal.Layer("waypoints");
  if (!waypoints) return;
  EXPECT_EQ(waypoints->size(), 3u);
  EXPECT_EQ(gdal.Layer("route_points")->size(), 2u);
  EXPECT_EQ(gdal.Layer("track_points")->size(), 5u);
}

// Each trkseg begins a segment, as GDAL's track_seg_id counts them (an empty
// one begins none that holds a point).
TEST(GpxReader, SegmentsAreKept) {
  const std::string text = GpxText(
      "<trk><trkseg/><trkseg><trkpt lat=\"1\" lon=\"1\"/><trkpt lat=\"1\" lon=\"2\"/></trkseg><trkseg/>"
      "<trkseg><trkpt lat=\"1\" lon=\"3\"/></trkseg></trk>");
  const auto r = ReadText(text);
  ASSERT_TRUE(r->ok);
  const TrackPoint* p = r->doc.tracks[0].points.get();
  EXPECT_EQ(std::vector<bool>({p[0].newSegment, p[1].newSegment, p[2].newSegment}), std::vector<bool>({false, false, true}));
  const auto gdal = GdalReads(text).Layer("track_points");
  if (!gdal) return;
  ASSERT_EQ(gdal->size(), 3u);
  EXPECT_EQ((*gdal)[1].Field("track_seg_id"), (*gdal)[0].Field("track_seg_id"));
  EXPECT_NE((*gdal)[2].Field("track_seg_id"), (*gdal)[1].Field("track_seg_id"));
}

// Encodings the declaration names are read through the system's tables:
// windows-1252 as GDAL reads it, Big5 (code page 950) and Shift_JIS as they
// were written; one the system does not know is refused by its name.
TEST(GpxReader, EncodingsTheDeclarationNames) {
  const auto declared = [](const std::string& encoding, const std::string& name) {
    return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n<gpx version=\"1.1\" creator=\"t\" "
           "xmlns=\"http://www.topografix.com/GPX/1/1\">" + Wpt("<name>" + name + "</name><cmt>a &amp; b</cmt>") + "</gpx>";
  };
  const std::string latin = declared("windows-1252", "Caf\xE9 \x80 \x93Gipfel\x94");
  const auto r1252 = ReadText(latin);
  ASSERT_TRUE(r1252->ok) << r1252->doc.error().Describe();
  EXPECT_EQ(r1252->doc.TextOf(0).name, "Café € “Gipfel”");
  EXPECT_EQ(r1252->doc.TextOf(0).comment, "a & b");
  if (const auto gdal = GdalReads(latin).Layer("waypoints")) {
    EXPECT_EQ((*gdal)[0].name, "Café € “Gipfel”");
  }

  const std::string big5 = declared("Big5", testing::Cp950FromUtf8("排雲山莊"));
  const auto rBig5 = ReadText(big5);
  ASSERT_TRUE(rBig5->ok) << rBig5->doc.error().Describe();
  EXPECT_EQ(rBig5->doc.TextOf(0).name, "排雲山莊");
  EXPECT_STREQ(rBig5->doc.waypoints[0].name, testing::Cp950FromUtf8("排雲山莊").c_str());
  const auto rJis = ReadText(declared("Shift_JIS", "\x95\x78\x8E\x6D\x8E\x52 \\"));  // 富士山, a backslash
  ASSERT_TRUE(rJis->ok) << rJis->doc.error().Describe();
  EXPECT_EQ(rJis->doc.TextOf(0).name, "富士山 \\");

  const auto unknown = ReadText(declared("x-unheard-of", "A"));
  EXPECT_EQ(unknown->doc.error().Describe(),
            "line 1, column 1: the document's encoding \"x-unheard-of\" is not one this system converts");
  // A byte the code page leaves empty is no character: the file is not well-formed.
  const auto stray = ReadText(declared("windows-1252", "\x81"));
  EXPECT_FALSE(stray->ok);
  EXPECT_EQ(stray->doc.waypointCount, 0);
}

// Control characters of a name (a line feed, DEL) go into its record as
// '?', counted; the text keeps them.
TEST(GpxReader, ControlCharactersOfNamesAreQuestionMarksInRecords) {
  const auto r = ReadText(GpxText(Wpt("<name>A&#10;B&#127;C&#9;</name>") +
                                  "<rte><rtept lat=\"1\" lon=\"2\"><name>X&#13;Y</name></rtept></rte>"));
  ASSERT_TRUE(r->ok) << r->doc.error().Describe();
  EXPECT_STREQ(r->doc.waypoints[0].name, "A?B?C");  // the tab trimmed as white space
  EXPECT_EQ(r->doc.TextOf(0).name, "A\nB\x7F" "C");
  EXPECT_STREQ(r->doc.routes[0].points[0].name, "X?Y");
  EXPECT_EQ(r->doc.controlCharacters, 3);
}

}  // namespace
}  // namespace ridloe
