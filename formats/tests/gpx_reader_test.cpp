// The GPX reader: real files from other programs, namespaces, text, numbers,
// symbols, names in code page 950, and hostile input.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "formats/format_registry.h"
#include "formats/gpx/gpx_document.h"
#include "formats/gpx/gpx_format.h"
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
    EXPECT_EQ(opened.format, FileFormat::kGpx);
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
      Wpt("<ele>1500.5</ele>", "95", "180") + Wpt("<ele> +12 </ele>", "-90", "540") + Wpt("<ele></ele>", half, "-" + half) +
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
  EXPECT_EQ(w[0].latitude, 1 << 30);  // held to 90
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

}  // namespace
}  // namespace ridloe
