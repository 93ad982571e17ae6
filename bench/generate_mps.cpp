// Writes a large MPS file for benchmarks.
// Usage: generate_mps [--waypoints N] [--tracks N] [--points N] [--name-length N]
//                     [--big5-share F] [--seed N] OUTPUT
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "testing/mps_builder.h"

namespace {

struct Options {
  long waypoints = 1000000;
  long tracks = 9000;
  long points = 140;
  long nameLength = 10;
  double big5Share = 0.3;
  unsigned seed = 1;
  std::string output;
};

bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&](const char* what) -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "%s needs a value\n", what);
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--waypoints") o.waypoints = std::atol(next("--waypoints"));
    else if (a == "--tracks") o.tracks = std::atol(next("--tracks"));
    else if (a == "--points") o.points = std::atol(next("--points"));
    else if (a == "--name-length") o.nameLength = std::atol(next("--name-length"));
    else if (a == "--big5-share") o.big5Share = std::atof(next("--big5-share"));
    else if (a == "--seed") o.seed = static_cast<unsigned>(std::atol(next("--seed")));
    else if (!a.empty() && a[0] != '-' && o.output.empty()) o.output = a;
    else return false;
  }
  return !o.output.empty() && o.waypoints >= 0 && o.tracks >= 0 && o.points >= 0 && o.nameLength >= 0;
}

// A name of about `length` bytes: ASCII, or two-byte Big5 characters from the
// common range (lead A4-C6, trail 40-7E or A1-FE).
std::string Name(std::mt19937& rng, long length, bool big5) {
  std::string name;
  if (big5) {
    std::uniform_int_distribution<int> lead(0xA4, 0xC6), trail(0, 156);
    while (static_cast<long>(name.size()) + 2 <= length) {
      const int t = trail(rng);
      name += static_cast<char>(lead(rng));
      name += static_cast<char>(t < 63 ? 0x40 + t : 0xA1 + (t - 63));
    }
  } else {
    std::uniform_int_distribution<int> letter(0, 35);
    while (static_cast<long>(name.size()) < length) {
      const int c = letter(rng);
      name += static_cast<char>(c < 26 ? 'A' + c : '0' + (c - 26));
    }
  }
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!Parse(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: generate_mps [--waypoints N] [--tracks N] [--points N] [--name-length N] "
                 "[--big5-share F] [--seed N] OUTPUT\n");
    return 2;
  }
  std::mt19937 rng(o.seed);
  std::uniform_int_distribution<std::int32_t> lat(-1073741824, 1073741823), lon(INT32_MIN, INT32_MAX);
  std::uniform_real_distribution<double> alt(-100.0, 4000.0), share(0.0, 1.0);
  const std::uint16_t symbols[] = {106, 48, 18, 8, 151, 0};
  ridloe::testing::MpsBuilder b;
  b.Header('i');
  for (long i = 0; i < o.waypoints; ++i) {
    b.Waypoint({.name = Name(rng, o.nameLength, share(rng) < o.big5Share),
                .latitude = lat(rng),
                .longitude = lon(rng),
                .altitude = alt(rng),
                .symbol = symbols[i % 6],
                .comment = i % 4 == 0 ? "generated" : ""});
  }
  for (long t = 0; t < o.tracks; ++t) {
    ridloe::testing::TrackFields track{.name = "TRACK " + std::to_string(t)};
    track.points.resize(static_cast<std::size_t>(o.points));
    std::uint32_t time = 1700000000u + static_cast<std::uint32_t>(t) * 3600u;
    for (auto& p : track.points) p = {.latitude = lat(rng), .longitude = lon(rng), .altitude = alt(rng), .time = time += 5};
    b.Track(track);
  }
  b.End();
  if (!ridloe::testing::WriteBytes(o.output, b.bytes())) {
    std::fprintf(stderr, "cannot write %s\n", o.output.c_str());
    return 1;
  }
  std::printf("%s: %zu bytes, %ld waypoints, %ld tracks of %ld points\n", o.output.c_str(), b.size(), o.waypoints,
              o.tracks, o.points);
  return 0;
}
