// ridloe-cli: lists, counts and converts GPS waypoint files from the shell.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "document/cp950.h"
#include "document/list_sink.h"
#include "document/open_document.h"
#include "document/path_split.h"
#include "document/symbols.h"
#include "mps/mps_document.h"

namespace {

using ridloe::WtrDocument;

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char kUsageText[] =
    "usage: ridloe-cli list [--raw] [--tracks] [--json] [--encoding NAME] FILE\n"
    "       ridloe-cli info FILE\n"
    "       ridloe-cli convert [--force] IN [OUT]\n"
    "       ridloe-cli convert [--force] -o DIR IN...\n"
    "FILE may be an MPS or a WTR file, or - for standard input.\n";

int Usage(const char* complaint = nullptr) {
  if (complaint) std::fprintf(stderr, "ridloe-cli: %s\n", complaint);
  std::fputs(kUsageText, stderr);
  return kUsage;
}

void ReportFailure(const std::string& file, const WtrDocument& document) {
  std::fprintf(stderr, "%s: %s\n", file.c_str(), document.error().Describe().c_str());
}

// Prints each line as it arrives, so the lines of a load that fails later are
// already out when its error is reported.
class PrintingSink final : public ridloe::ListSink {
 public:
  PrintingSink(bool raw, const char* encoding) : raw_(raw), encoding_(encoding) {}
  void AddLine(std::string_view line) override {
    if (raw_) {
      std::fwrite(line.data(), 1, line.size(), stdout);
    } else {
      ridloe::DecodeToUtf8(line, encoding_, decoded_);
      std::fwrite(decoded_.data(), 1, decoded_.size(), stdout);
    }
    std::fputc('\n', stdout);
  }

 private:
  bool raw_;
  const char* encoding_;
  std::string decoded_;
};

std::string Hex(std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

nlohmann::json Coordinate(std::int32_t semicircles) {
  return {{"semicircles", semicircles}, {"degrees", ridloe::SemicirclesToDegrees(semicircles)}};
}

nlohmann::json ToJson(const WtrDocument& document, const char* encoding, bool ok) {
  auto decode = [encoding](std::string_view raw) {
    std::string text;
    ridloe::DecodeToUtf8(raw, encoding, text);
    return text;
  };
  nlohmann::json waypoints = nlohmann::json::array();
  if (document.waypoints) {
    for (std::int32_t i = 0; i < document.waypointCount; ++i) {
      const ridloe::WaypointRecord& w = document.waypoints[i];
      const std::string_view name(w.name, strnlen(w.name, sizeof w.name));
      waypoints.push_back({{"name", decode(name)},
                           {"name_hex", Hex(name)},
                           {"latitude", Coordinate(w.latitude)},
                           {"longitude", Coordinate(w.longitude)},
                           {"altitude", w.altitude},
                           {"symbol", w.symbol}});
    }
  }
  nlohmann::json tracks = nlohmann::json::array();
  if (document.tracks) {
    for (std::int32_t j = 0; j < document.trackCount; ++j) {
      const ridloe::TrackRecord& t = document.tracks[j];
      const std::string_view name(t.name, strnlen(t.name, sizeof t.name));
      nlohmann::json points = nlohmann::json::array();
      for (std::int32_t k = 0; t.points && k < t.pointCount; ++k) {
        const ridloe::TrackPoint& p = t.points[k];
        char clock[16];
        std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", p.hour, p.minute, p.second);
        points.push_back({{"latitude", {{"semicircles", p.latitude}, {"degrees", p.latitudeDegrees}}},
                          {"longitude", {{"semicircles", p.longitude}, {"degrees", p.longitudeDegrees}}},
                          {"altitude", p.altitude},
                          {"time", p.time},
                          {"time_of_day", clock}});
      }
      tracks.push_back({{"name", decode(name)}, {"name_hex", Hex(name)}, {"point_count", t.pointCount},
                        {"points", std::move(points)}});
    }
  }
  nlohmann::json out = {{"loaded", ok},
                        {"waypoint_count", document.waypointCount},
                        {"track_count", document.trackCount},
                        {"waypoints", std::move(waypoints)},
                        {"tracks", std::move(tracks)}};
  if (!ok) out["error"] = document.error().Describe();
  return out;
}

int List(const std::vector<std::string>& args) {
  bool raw = false, withTracks = false, json = false;
  const char* encoding = "CP950";
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--raw") {
      raw = true;
    } else if (a == "--tracks") {
      withTracks = true;
    } else if (a == "--json") {
      json = true;
    } else if (a == "--encoding") {
      if (++i == args.size()) return Usage("--encoding needs a name");
      encoding = args[i].c_str();
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage(("unknown option " + a).c_str());
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 1) return Usage("list takes one file");
  std::string probe;
  if (!ridloe::DecodeToUtf8("", encoding, probe)) return Usage(("unknown encoding " + std::string(encoding)).c_str());

  bool ok = false;
  if (json) {
    auto document = ridloe::LoadAnyDocument(files[0], nullptr, nullptr, ok);
    std::puts(ToJson(*document, encoding, ok).dump(2).c_str());
    if (!ok) ReportFailure(files[0], *document);
    return ok ? kOk : kFailed;
  }
  PrintingSink waypointLines(raw, encoding);
  ridloe::VectorListSink trackLines;
  auto document = ridloe::LoadAnyDocument(files[0], &waypointLines, withTracks ? &trackLines : nullptr, ok);
  if (withTracks && !trackLines.lines.empty()) {
    std::fputc('\n', stdout);
    for (const std::string& line : trackLines.lines) waypointLines.AddLine(line);
  }
  std::fflush(stdout);
  if (!ok) ReportFailure(files[0], *document);
  return ok ? kOk : kFailed;
}

int Info(const std::vector<std::string>& args) {
  if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-')) return Usage("info takes one file");
  bool ok = false;
  auto document = ridloe::LoadAnyDocument(args[0], nullptr, nullptr, ok);
  std::printf("waypoints: %d\ntracks: %d\n", document->waypointCount, document->trackCount);
  std::fflush(stdout);
  if (!ok) ReportFailure(args[0], *document);
  return ok ? kOk : kFailed;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// The output name the dialog's save prompt proposes: the input's base name
// with the extension .wtr, in `folder` or else in the input's own folder.
// Folders are split at '/' only; the base name is taken from the last path
// element the way the dialog takes it.
std::string WtrNameFor(const std::string& input, const std::string* folder) {
  const std::size_t slash = input.rfind('/');
  const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
  const ridloe::PathParts parts = ridloe::SplitPath(std::string_view(input).substr(nameAt));
  std::string dir = folder ? *folder : input.substr(0, nameAt);
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir + parts.baseName + ".wtr";
}

bool ConvertOne(const std::string& input, const std::string& output, bool force) {
  if (Exists(output)) {
    if (SameFile(input, output)) {
      std::fprintf(stderr, "%s: the output %s is the input itself\n", input.c_str(), output.c_str());
      return false;
    }
    if (!force) {
      std::fprintf(stderr, "%s: %s exists; use --force to replace it\n", input.c_str(), output.c_str());
      return false;
    }
  }
  // The input is read as an MPS file only: translating the symbols of a WTR
  // file would turn its codes 8246 and 161 into 18.
  ridloe::MpsDocument document;
  const bool ok = document.Load(input, nullptr, nullptr);
  if (!ok) ReportFailure(input, document);
  if (document.waypointCount <= 0 || !document.waypoints) {
    std::fprintf(stderr, "%s: no waypoints to convert\n", input.c_str());
    return false;
  }
  if (!ok) {
    std::fprintf(stderr, "%s: converting the %d waypoints read before the failure\n", input.c_str(),
                 document.waypointCount);
  }
  if (!ridloe::MapSymbolsForWtr(document) || !document.SaveWtr(output)) {
    std::fprintf(stderr, "%s: cannot write %s\n", input.c_str(), output.c_str());
    return false;
  }
  std::fprintf(stderr, "%s -> %s: %d waypoints\n", input.c_str(), output.c_str(), document.waypointCount);
  return ok;
}

int Convert(const std::vector<std::string>& args) {
  bool force = false;
  const std::string* folder = nullptr;
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--force" || a == "-f") {
      force = true;
    } else if (a == "-o" || a == "--output-dir") {
      if (++i == args.size()) return Usage("-o needs a folder");
      folder = &args[i];
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage(("unknown option " + a).c_str());
    } else {
      paths.push_back(a);
    }
  }
  if (paths.empty()) return Usage("convert needs an input file");
  if (folder) {
    struct stat st {};
    if (::stat(folder->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      std::fprintf(stderr, "ridloe-cli: %s is not a folder\n", folder->c_str());
      return kFailed;
    }
    // Two inputs with the same base name would name the same output; the
    // second is refused rather than replacing what the first just wrote.
    std::set<std::string> outputs;
    bool all = true;
    for (const std::string& input : paths) {
      const std::string output = WtrNameFor(input, folder);
      if (input == "-") {
        std::fprintf(stderr, "ridloe-cli: standard input needs an output name, not -o\n");
        all = false;
      } else if (!outputs.insert(output).second) {
        std::fprintf(stderr, "%s: %s is the output of an earlier input too\n", input.c_str(), output.c_str());
        all = false;
      } else {
        all = ConvertOne(input, output, force) && all;
      }
    }
    return all ? kOk : kFailed;
  }
  if (paths.size() > 2) return Usage("several inputs need -o DIR");
  if (paths[0] == "-" && paths.size() == 1) return Usage("standard input needs an output name");
  const std::string output = paths.size() == 2 ? paths[1] : WtrNameFor(paths[0], nullptr);
  return ConvertOne(paths[0], output, force) ? kOk : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "list" || command == "info") {
    const int status = command == "list" ? List(args) : Info(args);
    // Lines that never reached their destination (a full disk, a closed
    // pipe) are no success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
      std::fprintf(stderr, "ridloe-cli: cannot write the output: %s\n", std::strerror(errno));
      return status == kOk ? kFailed : status;
    }
    return status;
  }
  if (command == "convert") return Convert(args);
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsageText, stdout);
    return kOk;
  }
  if (command == "--version") {
    std::puts("ridloe-cli 1.0");
    return kOk;
  }
  return Usage(("unknown command " + command).c_str());
}
