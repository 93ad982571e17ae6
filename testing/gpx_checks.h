// What real readers make of a GPX file we wrote, for the tests: the schema's
// verdict (xmllint) and the features GDAL reads (ogrinfo). Each skips with a
// note where its tool or the shared schema is missing.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/gpx_text.h"

namespace ridloe::testing {

inline std::string GpxSchema() { return std::string(RIDLOE_SHARED_TESTDATA) + "/gpx/gpx-1.1.xsd"; }

inline bool HasTool(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command; its standard output and error together, or nothing
// when it did not exit with 0.
inline std::optional<std::string> Capture(const std::string& command) {
  const std::string out = ::testing::TempDir() + "ridloe_capture_" + std::to_string(::getpid());
  const int status = std::system((command + " >'" + out + "' 2>&1").c_str());
  std::string text = ReadText(out);
  std::remove(out.c_str());
  if (status != 0) {
    ADD_FAILURE() << command << "\n" << text;
    return std::nullopt;
  }
  return text;
}

// Whether the file validates against the GPX 1.1 schema; true (after a
// note) when the schema or xmllint is missing.
inline bool ValidatesAsGpx11(const std::string& path) {
  if (!std::filesystem::exists(GpxSchema()) || !HasTool("xmllint")) {
    std::printf("note: no GPX schema in %s or no xmllint; %s not validated\n", GpxSchema().c_str(), path.c_str());
    return true;
  }
  return Capture("xmllint --noout --schema '" + GpxSchema() + "' '" + path + "'").has_value();
}

// One feature as ogrinfo prints it: its string fields, its elevation and
// the coordinates of its geometry (longitude, latitude, elevation where given).
struct OgrFeature {
  std::string name;
  std::optional<double> ele;
  std::vector<std::vector<double>> points;
  // Every field that has a value, by its name: "time" -> "2007/03/04 15:59:55+00".
  std::map<std::string, std::string> fields;

  std::string Field(const std::string& key) const {
    const auto found = fields.find(key);
    return found == fields.end() ? std::string() : found->second;
  }
};

// The features of one layer (of GPX: "waypoints", "routes", "route_points",
// "tracks", "track_points"; of KML, its folders), elevations read as
// the third coordinate; nothing when GDAL is missing (after a note).
inline std::optional<std::vector<OgrFeature>> OgrLayer(const std::string& path, const std::string& layer) {
  if (!HasTool("ogrinfo")) {
    std::printf("note: no ogrinfo; %s not read by GDAL\n", path.c_str());
    return std::nullopt;
  }
  const std::optional<std::string> text =
      Capture("ogrinfo --config GPX_ELE_AS_25D YES -ro -al -q '" + path + "' " + layer);
  if (!text) return std::vector<OgrFeature>{};
  std::vector<OgrFeature> features;
  std::istringstream in(*text);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("OGRFeature(", 0) == 0) features.emplace_back();
    if (features.empty()) continue;
    OgrFeature& f = features.back();
    // GPX layers name it "name", KML's "Name".
    if (line.rfind("  name (String) = ", 0) == 0 || line.rfind("  Name (String) = ", 0) == 0) f.name = line.substr(18);
    if (line.rfind("  ele (Real) = ", 0) == 0) f.ele = std::strtod(line.c_str() + 15, nullptr);
    const std::size_t type = line.find(" ("), equals = line.find(") = ");
    if (line.rfind("  ", 0) == 0 && type != std::string::npos && equals != std::string::npos && type < equals &&
        line.compare(equals + 4, std::string::npos, "(null)") != 0) {
      f.fields[line.substr(2, type - 2)] = line.substr(equals + 4);
    }
    const std::size_t open = line.find('(');  // none in "MULTILINESTRING EMPTY"
    if (open != std::string::npos && (line.rfind("  POINT", 0) == 0 || line.rfind("  LINESTRING", 0) == 0 ||
                                     line.rfind("  MULTILINESTRING", 0) == 0)) {
      std::string coordinates = line.substr(open);
      for (char& c : coordinates) {
        if (c == '(' || c == ')') c = ' ';
      }
      std::istringstream tuples(coordinates);
      for (std::string tuple; std::getline(tuples, tuple, ',');) {
        std::istringstream numbers(tuple);
        std::vector<double> point;
        for (double v; numbers >> v;) point.push_back(v);
        if (!point.empty()) f.points.push_back(point);
      }
    }
  }
  return features;
}

}  // namespace ridloe::testing
