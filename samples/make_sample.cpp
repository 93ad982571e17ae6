// Regenerates samples/sample.mps: a dozen waypoints with ASCII and Big5 names
// and two tracks. Usage: make_sample OUTPUT
#include <cmath>
#include <cstdio>
#include <string>

#include "testing/mps_builder.h"

namespace {

using ridloe::testing::Cp950FromUtf8;

std::int32_t Semicircles(double degrees) { return static_cast<std::int32_t>(std::lround(degrees / 180.0 * 2147483648.0)); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample OUTPUT\n");
    return 2;
  }
  struct Place {
    const char* name;
    double lat, lon, alt;
    std::uint16_t symbol;
  };
  const Place places[] = {
      {"玉山主峰", 23.4700, 120.9572, 3952, 106}, {"排雲山莊", 23.4719, 120.9337, 3402, 48},
      {"塔塔加", 23.4883, 120.8883, 2610, 18},    {"阿里山", 23.5106, 120.8025, 2216, 106},
      {"日月潭", 23.8667, 120.9167, 748, 8},      {"台北101", 25.0340, 121.5645, 508, 48},
      {"CAMP01", 24.3833, 121.2330, 2890, 151},   {"WATER", 24.3902, 121.2401, 3105, 48},
      {"SUMMIT", 24.3834, 121.2317, 3886, 106},   {"雪山東峰", 24.3955, 121.2497, 3201, 106},
      {"七卡山莊", 24.3946, 121.2735, 2463, 48},  {"TRAILHEAD", 24.3900, 121.3080, 2140, 18},
  };
  ridloe::testing::MpsBuilder b;
  b.Header('i');
  for (const Place& p : places) {
    b.Waypoint({.name = Cp950FromUtf8(p.name),
                .latitude = Semicircles(p.lat),
                .longitude = Semicircles(p.lon),
                .altitude = p.alt,
                .symbol = p.symbol,
                .comment = "sample"});
  }
  for (int t = 0; t < 2; ++t) {
    ridloe::testing::TrackFields track{.name = Cp950FromUtf8(t == 0 ? "雪山步道" : "Jade Mountain trail")};
    for (int k = 0; k < 20; ++k) {
      const double lat = t == 0 ? 24.39 - 0.0004 * k : 23.48 - 0.0005 * k;
      const double lon = t == 0 ? 121.30 - 0.003 * k : 120.89 + 0.003 * k;
      track.points.push_back({.latitude = Semicircles(lat),
                              .longitude = Semicircles(lon),
                              .altitude = 2140.0 + 40.0 * k,
                              .time = 1700000000u + 90u * static_cast<std::uint32_t>(k)});
    }
    b.Track(track);
  }
  b.End();
  return ridloe::testing::WriteBytes(argv[1], b.bytes()) ? 0 : 1;
}
