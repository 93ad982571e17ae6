// Builds MPS files from field values, for tests, seed corpora, samples and
// benchmarks; also the file reads, writes and name encoding they share.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ridloe::testing {

using Bytes = std::vector<std::uint8_t>;

struct WaypointFields {
  std::string name;
  std::int32_t latitude = 0;   // semicircles
  std::int32_t longitude = 0;  // semicircles
  double altitude = 0.0;
  std::uint16_t symbol = 0;
  std::string comment;
  bool longHeader = false;  // a 29-byte header (byte 4 a space) instead of 27
  // The 22-byte header of version-3 files (00 x 13, FF x 8, 00) instead of
  // either; such files start with Header('d').
  bool version3Header = false;
  std::size_t tailLength = 24;  // the symbol sits at tail bytes 17-18 when they exist
  bool noAltitude = false;      // the position block says no altitude was given
};

struct TrackPointFields {
  std::int32_t latitude = 0;
  std::int32_t longitude = 0;
  double altitude = 0.0;
  std::uint32_t time = 0;
  bool noAltitude = false;
  bool noTime = false;
};

struct TrackFields {
  std::string name;
  std::vector<TrackPointFields> points;
};

// A point of a route record: a waypoint's name and place. The builder links
// each point to the next with their two position blocks (and `shapeBlocks`
// more between them, the road's shape), as the real files do; the last
// point has no link.
struct RoutePointFields {
  std::string name;
  std::int32_t latitude = 0;
  std::int32_t longitude = 0;
  double altitude = 0.0;
  bool noAltitude = false;
  int shapeBlocks = 0;
};

struct RouteFields {
  std::string name;
  std::vector<RoutePointFields> points;
  // The header after each point's name, as WaypointFields has it.
  bool longHeader = false;
  bool version3Header = false;
};

struct LFields {
  std::uint32_t value1 = 0;
  std::uint32_t value2 = 0;
  std::string text1, text2, text3;
  Bytes tail;
};

Bytes WaypointPayload(const WaypointFields& w);
Bytes TrackPayload(const TrackFields& t);
Bytes RoutePayload(const RouteFields& r);
Bytes LPayload(const LFields& l);
// A value and three strings; the smallest is 5 bytes.
Bytes APayload(std::uint16_t value = 0, const std::string& a = "", const std::string& b = "",
               const std::string& c = "");

class MpsBuilder {
 public:
  // Appends the signature "MsRcd\0".
  MpsBuilder& Signature();
  // Appends a frame: the payload's length, the type letter and the payload.
  MpsBuilder& Record(char type, const Bytes& payload);
  // Appends a frame whose length field says `length`, whatever follows.
  MpsBuilder& Frame(std::uint32_t length, char type);
  MpsBuilder& Raw(const Bytes& bytes);
  // Signature, a 'D' record naming the format version ('d', 'g' or 'i') and an 'A' record.
  MpsBuilder& Header(char version = 'i');
  MpsBuilder& Waypoint(const WaypointFields& w) { return Record('W', WaypointPayload(w)); }
  MpsBuilder& Route(const RouteFields& r) { return Record('R', RoutePayload(r)); }
  MpsBuilder& Track(const TrackFields& t) { return Record('T', TrackPayload(t)); }
  MpsBuilder& L(const LFields& l) { return Record('L', LPayload(l)); }
  // The closing 'V' record.
  MpsBuilder& End();

  const Bytes& bytes() const { return bytes_; }
  std::size_t size() const { return bytes_.size(); }

 private:
  Bytes bytes_;
};

// Writes bytes to a file; true when every byte was written.
bool WriteBytes(const std::filesystem::path& path, const Bytes& bytes);
// The whole file, as bytes or as text; empty when it cannot be read.
Bytes ReadBytes(const std::filesystem::path& path);
std::string ReadText(const std::filesystem::path& path);

// Names are stored in code page 950; sources spell them in UTF-8. Empty when
// the text cannot be converted.
std::string Cp950FromUtf8(const std::string& utf8);

}  // namespace ridloe::testing
