// Writes the files cli_same_as_linux runs both tools on besides the seeds:
// GPX of over a megabyte with long Chinese and other UTF-8 names, an MPS file
// of long Big5 names that converts to such GPX, GPX cut short, GPX in
// ISO-8859-1 and GPX declared UTF-8 that holds other bytes, and an MPS file
// whose names hold bytes that --encoding ASCII and GB18030 read differently.
// Usage: make_parity_files DIR
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "testing/gpx_text.h"
#include "testing/mps_builder.h"

namespace {

namespace fs = std::filesystem;
using ridloe::testing::AsBytes;
using ridloe::testing::Cp950FromUtf8;
using ridloe::testing::GpxText;
using ridloe::testing::MpsBuilder;

bool failed = false;

void Put(const fs::path& dir, const std::string& name, const ridloe::testing::Bytes& bytes) {
  if (!ridloe::testing::WriteBytes(dir / name, bytes)) {
    std::fprintf(stderr, "make_parity_files: cannot write %s\n", (dir / name).string().c_str());
    failed = true;
  }
}
void Put(const fs::path& dir, const std::string& name, const std::string& text) { Put(dir, name, AsBytes(text)); }

// The `i`th name: 1 to 150 characters taken from `characters` (UTF-8, one
// character a line), so that pieces of every length end inside characters.
std::string NameOf(const std::string& characters, std::size_t i) {
  std::vector<std::string> pool;
  std::size_t at = 0;
  for (std::size_t end; (end = characters.find('\n', at)) != std::string::npos; at = end + 1) {
    pool.push_back(characters.substr(at, end - at));
  }
  pool.push_back(characters.substr(at));
  std::string name;
  for (std::size_t k = 0; k < 1 + i % 150; ++k) name += pool[(i * 7 + k * 3) % pool.size()];
  return name;
}

std::string Waypoint(std::size_t i, const std::string& name) {
  return "<wpt lat=\"" + std::to_string(static_cast<double>(i % 170) / 2 - 42.25) + "\" lon=\"" +
         std::to_string(static_cast<double>(i % 350) - 174.5) + "\"><ele>" + std::to_string(i % 4000) +
         "</ele><name>" + name + "</name><cmt>" + name + "</cmt></wpt>\n";
}

constexpr char kChinese[] = "玉\n山\n主\n峰\n臺\n灣\n雪\n霸\n步\n道\n，\n（\n）\n１\n、\n嘉\n明\n湖";
constexpr char kOthers[] = "A\né\nß\n€\n𠀀\n😀\nЖ\nא\n&amp;\n&lt;\n \nİ\n\u3000\n~";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_parity_files DIR\n");
    return 2;
  }
  const fs::path dir = argv[1];
  fs::create_directories(dir);

  // Over a megabyte of waypoints with long names, then tracks.
  std::string chinese, others;
  for (std::size_t i = 0; chinese.size() < (std::size_t{1} << 20) + 4096; ++i) {
    chinese += Waypoint(i, NameOf(kChinese, i));
  }
  for (std::size_t i = 0; others.size() < (std::size_t{1} << 20) + 4096; ++i) others += Waypoint(i, NameOf(kOthers, i));
  const std::string track = "<trk><name>" + NameOf(kChinese, 149) +
                            "</name><trkseg><trkpt lat=\"23.47\" lon=\"120.95\"/></trkseg></trk>\n";
  Put(dir, "long-chinese-names.gpx", GpxText(chinese + track));
  Put(dir, "long-utf8-names.gpx", GpxText(others + track));

  // The same Chinese names in Big5, in an MPS file whose GPX is over a megabyte.
  MpsBuilder big5;
  big5.Header();
  for (std::size_t i = 0; big5.size() < (std::size_t{1} << 20) / 2; ++i) {
    const std::string name = Cp950FromUtf8(NameOf(kChinese, i));
    if (name.empty()) failed = true;
    big5.Waypoint({.name = name, .latitude = static_cast<std::int32_t>(i * 99991), .altitude = double(i % 4000),
                   .symbol = 106, .comment = name});
  }
  Put(dir, "long-big5-names.mps", big5.End().bytes());

  // Cut short: after the root's start tag, after a start tag and one more
  // character, and inside a character of a long name.
  const std::string head = GpxText("").substr(0, GpxText("").find("</gpx>"));
  Put(dir, "cut-after-root.gpx", head);
  Put(dir, "cut-after-start-tag.gpx", head + "<wpt lat=\"1\" lon=\"2\">x");
  const std::string whole = GpxText(chinese);
  Put(dir, "cut-in-a-name.gpx", whole.substr(0, whole.find("主", whole.size() / 2) + 1));

  // What encoding a document is in is what it declares.
  const std::string name = "<name>Caf\xE9 \xA5\x78\xA5\x5F</name>";
  Put(dir, "iso-8859-1.gpx", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<gpx version=\"1.1\">\n"
                             "<wpt lat=\"1\" lon=\"2\">" + name + "</wpt>\n</gpx>\n");
  Put(dir, "utf-8-holding-latin-1.gpx", GpxText("<wpt lat=\"1\" lon=\"2\"><name>Caf\xE9</name></wpt>"));
  Put(dir, "utf-8-holding-big5.gpx", GpxText("<wpt lat=\"1\" lon=\"2\"><name>\xA5\x78\xA5\x5F</name></wpt>"));

  // Names whose bytes are no ASCII, and GB18030's one-, two- and four-byte forms.
  MpsBuilder encodings;
  encodings.Header();
  for (const char* bytes : {"Caf\xE9", "\x80\xFF\x7F", "\xC4\xE3\xBA\xC3", "\x81\x30\x81\x30", "\x95\x32\x82\x36",
                            "\xA1\xA4\xA8\xBF", "\xFE\x51\xFE\x52"}) {
    encodings.Waypoint({.name = bytes, .comment = std::string(bytes) + " " + bytes});
  }
  Put(dir, "encodings.mps", encodings.End().bytes());
  return failed ? 1 : 0;
}
