#include "testing/mps_builder.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>

#include "core/platform/transcode.h"

namespace ridloe::testing {
namespace {

void PutU16(Bytes& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutU32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutF64(Bytes& out, double v) {
  const auto bits = std::bit_cast<std::uint64_t>(v);
  PutU32(out, static_cast<std::uint32_t>(bits));
  PutU32(out, static_cast<std::uint32_t>(bits >> 32));
}

void PutString(Bytes& out, const std::string& s) {
  out.insert(out.end(), s.begin(), s.end());
  out.push_back(0);
}

// The header after a waypoint's name: byte 4 decides its length (a space:
// 29 bytes, else 27), except in version-3 files, where it is 22 bytes.
void PutWaypointHeader(Bytes& out, bool longHeader, bool version3Header) {
  Bytes header(longHeader ? 29 : 27, 0);
  header[4] = longHeader ? 0x20 : 0x00;
  if (version3Header) {
    header.assign(22, 0);
    std::fill(header.begin() + 13, header.begin() + 21, 0xFF);
  }
  out.insert(out.end(), header.begin(), header.end());
}

void PutPosition(Bytes& out, std::int32_t latitude, std::int32_t longitude, double altitude, bool noAltitude) {
  PutU32(out, static_cast<std::uint32_t>(latitude));
  PutU32(out, static_cast<std::uint32_t>(longitude));
  out.push_back(noAltitude ? 0 : 1);
  PutF64(out, altitude);
}

// A box: 0 and the two corners (largest, then smallest) of the points.
void PutBox(Bytes& out, const std::vector<RoutePointFields>& points) {
  std::int32_t north = INT32_MIN, east = INT32_MIN, south = INT32_MAX, west = INT32_MAX;
  for (const RoutePointFields& p : points) {
    north = std::max(north, p.latitude);
    south = std::min(south, p.latitude);
    east = std::max(east, p.longitude);
    west = std::min(west, p.longitude);
  }
  out.push_back(0);
  PutPosition(out, north, east, 0, false);
  PutPosition(out, south, west, 0, false);
}

}  // namespace

Bytes WaypointPayload(const WaypointFields& w) {
  Bytes out;
  PutString(out, w.name);
  PutWaypointHeader(out, w.longHeader, w.version3Header);
  PutPosition(out, w.latitude, w.longitude, w.altitude, w.noAltitude);
  PutString(out, w.comment);
  Bytes tail(w.tailLength, 0);
  if (w.tailLength > 17) tail[17] = static_cast<std::uint8_t>(w.symbol);
  if (w.tailLength > 18) tail[18] = static_cast<std::uint8_t>(w.symbol >> 8);
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

Bytes TrackPayload(const TrackFields& t) {
  Bytes out;
  PutString(out, t.name);
  const std::uint8_t block[5] = {1, 0, 0, 0, 0};
  out.insert(out.end(), block, block + 5);
  PutU32(out, static_cast<std::uint32_t>(t.points.size()));
  for (const TrackPointFields& p : t.points) {
    PutU32(out, static_cast<std::uint32_t>(p.latitude));
    PutU32(out, static_cast<std::uint32_t>(p.longitude));
    out.push_back(p.noAltitude ? 0 : 1);
    PutF64(out, p.altitude);
    out.push_back(p.noTime ? 0 : 1);
    PutU32(out, p.time);
    out.insert(out.end(), 9, 0);
  }
  return out;
}

Bytes RoutePayload(const RouteFields& r) {
  Bytes out;
  PutString(out, r.name);
  out.push_back(0);
  if (r.points.empty()) {
    out.push_back(1);
  } else {
    PutBox(out, r.points);
  }
  PutU32(out, static_cast<std::uint32_t>(r.points.size()));
  for (std::size_t k = 0; k < r.points.size(); ++k) {
    const RoutePointFields& p = r.points[k];
    PutString(out, p.name);
    PutWaypointHeader(out, r.longHeader, r.version3Header);
    out.insert(out.end(), {0, 3});
    out.insert(out.end(), 17, 0);
    if (k + 1 == r.points.size()) {
      PutU32(out, 0);
      out.push_back(1);  // no link, no box
      continue;
    }
    const RoutePointFields& next = r.points[k + 1];
    PutU32(out, static_cast<std::uint32_t>(2 + p.shapeBlocks));
    PutPosition(out, p.latitude, p.longitude, p.altitude, p.noAltitude);
    for (int s = 0; s < p.shapeBlocks; ++s) PutPosition(out, p.latitude + s + 1, p.longitude - s - 1, 0, true);
    PutPosition(out, next.latitude, next.longitude, next.altitude, next.noAltitude);
    PutBox(out, {p, next});
  }
  return out;
}

Bytes LPayload(const LFields& l) {
  Bytes out;
  PutU32(out, l.value1);
  PutU32(out, l.value2);
  PutString(out, l.text1);
  PutString(out, l.text2);
  PutString(out, l.text3);
  out.insert(out.end(), l.tail.begin(), l.tail.end());
  return out;
}

Bytes APayload(std::uint16_t value, const std::string& a, const std::string& b, const std::string& c) {
  Bytes out;
  PutU16(out, value);
  PutString(out, a);
  PutString(out, b);
  PutString(out, c);
  return out;
}

MpsBuilder& MpsBuilder::Signature() {
  const char sig[6] = {'M', 's', 'R', 'c', 'd', 0};
  bytes_.insert(bytes_.end(), sig, sig + 6);
  return *this;
}

MpsBuilder& MpsBuilder::Record(char type, const Bytes& payload) {
  Frame(static_cast<std::uint32_t>(payload.size()), type);
  bytes_.insert(bytes_.end(), payload.begin(), payload.end());
  return *this;
}

MpsBuilder& MpsBuilder::Frame(std::uint32_t length, char type) {
  PutU32(bytes_, length);
  bytes_.push_back(static_cast<std::uint8_t>(type));
  return *this;
}

MpsBuilder& MpsBuilder::Raw(const Bytes& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

MpsBuilder& MpsBuilder::Header(char version) {
  Signature();
  Record('D', Bytes{static_cast<std::uint8_t>(version), 0});
  return Record('A', APayload(130, "SQA", "Oct 20 1999", "12:50:33"));
}

MpsBuilder& MpsBuilder::End() { return Record('V', Bytes{0, 1}); }

bool WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

Bytes ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Cp950FromUtf8(const std::string& utf8) {
  std::string out;
  std::size_t replaced = 0;
  if (!TranscodeFromUtf8(utf8, "CP950", out, replaced) || replaced) return {};
  return out;
}

}  // namespace ridloe::testing
