// The WTR writer: whole files byte for byte, name cuts, replacing files, and
// a write that fails part-way.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "formats/wtr/wtr_document.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::ReadBytes;

struct Point {
  std::string name;
  std::int32_t latitude = 0;
  std::int32_t longitude = 0;
  float altitude = 0;
  std::uint16_t symbol = 0;
};

void Fill(WtrDocument& doc, const std::vector<Point>& points) {
  doc.waypointCount = static_cast<std::int32_t>(points.size());
  doc.waypoints = AllocateZeroed<WaypointRecord>(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    WaypointRecord& w = doc.waypoints[i];
    std::memcpy(w.name, points[i].name.data(), std::min(points[i].name.size(), sizeof w.name - 1));
    w.latitude = points[i].latitude;
    w.longitude = points[i].longitude;
    w.altitude = points[i].altitude;
    w.symbol = points[i].symbol;
  }
}

// The expected bytes, spelled out field by field.
void PutLe(Bytes& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutBlock(Bytes& out, const char (&marker)[6]) {
  out.insert(out.end(), marker, marker + 5);
  out.insert(out.end(), 11, 0);
}
void PutRecord(Bytes& out, const std::string& tenNameBytes, const Point& p) {
  ASSERT_EQ(tenNameBytes.size(), 10u);
  out.insert(out.end(), tenNameBytes.begin(), tenNameBytes.end());
  out.insert(out.end(), 10, 0);
  PutLe(out, static_cast<std::uint32_t>(p.latitude), 4);
  PutLe(out, static_cast<std::uint32_t>(p.longitude), 4);
  PutLe(out, std::bit_cast<std::uint32_t>(p.altitude), 4);
  out.insert(out.end(), 8, 0);
  PutLe(out, p.symbol, 2);
  out.insert(out.end(), 22, 0);
}

class WtrWriterTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_.Path(name); }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.path())) names.push_back(e.path().filename().string());
    return names;
  }
  Bytes SaveAndRead(const std::vector<Point>& points) {
    WtrDocument doc;
    Fill(doc, points);
    EXPECT_TRUE(doc.SaveWtr(Path("out.wtr")));
    return ReadBytes(Path("out.wtr"));
  }

  testing::TempFolder dir_{"wtr_writer"};
};

TEST_F(WtrWriterTest, WholeFilesByteForByte) {
  const Point ab{.name = "AB", .latitude = 0x01020304, .longitude = 0x0A0B0C0D, .altitude = 1234.5f, .symbol = 8246};
  Bytes expected;
  PutBlock(expected, "\xFFWpt\xFF");
  PutRecord(expected, "AB        ", ab);
  PutBlock(expected, "\xFFTrk\xFF");
  PutBlock(expected, "\xFFRte\xFF");
  ASSERT_EQ(expected.size(), 112u);
  EXPECT_EQ(SaveAndRead({ab}), expected);

  // Negative coordinates are two's complement; records keep their order.
  const Point south{.name = "S", .latitude = -1, .longitude = INT32_MIN, .altitude = -12.25f, .symbol = 18};
  const Point east{.name = "E", .latitude = INT32_MAX, .longitude = -536870912, .symbol = 161};
  const Bytes file = SaveAndRead({south, east});
  expected.clear();
  PutBlock(expected, "\xFFWpt\xFF");
  PutRecord(expected, "S         ", south);
  PutRecord(expected, "E         ", east);
  PutBlock(expected, "\xFFTrk\xFF");
  PutBlock(expected, "\xFFRte\xFF");
  EXPECT_EQ(file, expected);
  EXPECT_EQ(Bytes(file.begin() + 36, file.begin() + 44), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80}));
}

TEST_F(WtrWriterTest, NamesAreCutToTenBytesOnWholeCharacters) {
  const std::string big5 = "\xA4\xA4";  // one two-byte character
  struct Case {
    std::string name;
    std::string written;
  } cases[] = {
      {"ABCDEFGHIJ", "ABCDEFGHIJ"},                   // exactly 10: no space, no NUL
      {"ABCDEFGHIJK", "ABCDEFGHIJ"},                  // 11: loses its last byte
      {"ABCDEFGHI" + big5, "ABCDEFGHI "},             // straddles bytes 9-10: cut to 9 and a space
      {"ABCDEFGH" + big5 + "X", "ABCDEFGH" + big5},   // the cut falls between characters
      {"A" + big5 + big5 + big5 + big5 + big5, "A" + big5 + big5 + big5 + big5 + " "},
      // Byte 9 is the second half of a character, not the start of one.
      {big5 + big5 + big5 + big5 + big5 + "A", big5 + big5 + big5 + big5 + big5},
      {"ABCDEFGHI\x81", "ABCDEFGHI\x81"},             // 10 bytes fit as they are, lone lead byte included
      {"", "          "},
  };
  std::vector<Point> points;
  for (const Case& c : cases) points.push_back({.name = c.name});
  const Bytes file = SaveAndRead(points);
  ASSERT_EQ(file.size(), 48u + 64u * std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto* record = file.data() + 16 + 64 * i;
    EXPECT_EQ(std::string(record, record + 10), cases[i].written) << "case " << i;
    EXPECT_EQ(Bytes(record + 10, record + 20), Bytes(10, 0)) << "case " << i;
  }
}

TEST_F(WtrWriterTest, ReplacesALongerFileAndLeavesNoTemporaryFile) {
  ASSERT_TRUE(testing::WriteBytes(Path("out.wtr"), Bytes(5000, 0x55)));
  EXPECT_EQ(SaveAndRead({{.name = "ONE"}, {.name = "TWO"}}).size(), 48u + 2 * 64u);
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.wtr"});

  // The temporary file's name does not grow with the target's: a name at the
  // file system's 255-byte limit is written too.
  const std::string longName = std::string(251, 'n') + ".wtr";
  WtrDocument doc;
  Fill(doc, {{.name = "ONE"}});
  ASSERT_TRUE(doc.SaveWtr(Path(longName)));
  EXPECT_EQ(ReadBytes(Path(longName)).size(), 48u + 64u);
}

TEST_F(WtrWriterTest, NothingToWriteOrNowhereToWriteLeavesNoFile) {
  WtrDocument doc;
  EXPECT_FALSE(doc.SaveWtr(Path("empty.wtr")));
  doc.waypointCount = 3;  // a count without its array
  EXPECT_FALSE(doc.SaveWtr(Path("empty.wtr")));
  Fill(doc, {{.name = "X"}});
  Error why;
  EXPECT_FALSE(doc.SaveWtr(Path("missing/out.wtr"), &why));
  EXPECT_EQ(why.reason, "No such file or directory");
  fs::create_directory(Path("folder"));
  EXPECT_FALSE(doc.SaveWtr(Path("folder"), &why));  // a folder is not replaced
  EXPECT_EQ(why.step, Step::kNotRegular);
  EXPECT_EQ(why.subject, "a folder");
  EXPECT_TRUE(fs::is_directory(Path("folder")));
  EXPECT_EQ(Entries(), std::vector<std::string>{"folder"});
}

// A child process with a small file-size limit runs out of room part-way
// through a large file; SIGXFSZ is ignored so the write fails instead.
TEST_F(WtrWriterTest, WriteFailingPartWayKeepsTheOldFile) {
  const std::string target = Path("big.wtr");
  const Bytes old = {'o', 'l', 'd', ' ', 'b', 'y', 't', 'e', 's'};
  ASSERT_TRUE(testing::WriteBytes(target, old));
  WtrDocument doc;
  Fill(doc, std::vector<Point>(30000, Point{.name = "FILLER", .latitude = 7}));  // about 1.9 MB

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 * 1024, 64 * 1024};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(3);
    Error why;
    if (doc.SaveWtr(target, &why)) ::_exit(1);
    ::_exit(why.reason == std::strerror(EFBIG) ? 0 : 2);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_NE(WEXITSTATUS(status), 1) << "SaveWtr reported success although the file could not be written";
  EXPECT_NE(WEXITSTATUS(status), 2) << "SaveWtr did not give the system's reason";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadBytes(target), old);
  EXPECT_EQ(Entries(), std::vector<std::string>{"big.wtr"});

  // Without the limit the same document writes whole.
  EXPECT_TRUE(doc.SaveWtr(target));
  EXPECT_EQ(fs::file_size(target), 48u + 64u * 30000u);
}

}  // namespace
}  // namespace ridloe
