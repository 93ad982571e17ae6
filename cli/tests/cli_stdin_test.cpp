// ridloe-cli reads standard input when a file is named "-": the same lines,
// counts and conversions as from the file itself.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "formats/mps/mps_document.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

namespace fs = std::filesystem;
using testing::MpsBuilder;

// A shell command line rather than RunCli: input comes through pipes here,
// and standard output and error are read together.
struct ShellResult {
  int status = -1;
  std::string out;  // standard output and standard error together
};

ShellResult Shell(const std::string& command) {
  ShellResult run;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) run.out.append(chunk, n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class CliStdin : public ::testing::Test {
 protected:
  void SetUp() override {
    MpsBuilder b;
    b.Header()
        .Waypoint({.name = "AB", .altitude = 12.4, .symbol = 106})
        .Waypoint({.name = "CD", .altitude = -3.6})
        .Track({.name = "T1", .points = {{.latitude = 1}, {.latitude = 2}}})
        .End();
    mps_ = dir_.Path("in.mps");
    ASSERT_TRUE(testing::WriteBytes(mps_, b.bytes()));
  }

  std::string Cli(const std::string& args) const { return std::string("'") + RIDLOE_CLI + "' " + args; }

  testing::TempFolder dir_{"ridloe_cli_stdin"};
  std::string mps_;
};

TEST_F(CliStdin, ListsWhatTheFileLists) {
  const ShellResult fromFile = Shell(Cli("list --tracks '" + mps_ + "'"));
  const ShellResult fromStdin = Shell(Cli("list --tracks - < '" + mps_ + "'"));
  EXPECT_EQ(fromStdin.status, 0) << fromStdin.out;
  EXPECT_EQ(fromStdin.out, "AB  12\nCD  -4\n\nT1 (2)\n");
  EXPECT_EQ(fromStdin.out, fromFile.out);
  const ShellResult piped = Shell("cat '" + mps_ + "' | " + Cli("info -"));
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.out, "waypoints: 2\ntracks: 1\n");
}

TEST_F(CliStdin, ConvertsAndTellsWtrByItsBytes) {
  const std::string wtr = dir_.Path("out.wtr");
  const ShellResult convert = Shell(Cli("convert -o '" + wtr + "' - < '" + mps_ + "'"));
  ASSERT_EQ(convert.status, 0) << convert.out;
  EXPECT_EQ(fs::file_size(wtr), 48u + 2 * 64u);
  // The WTR file on standard input is read by the WTR reader.
  const ShellResult listed = Shell(Cli("list - < '" + wtr + "'"));
  EXPECT_EQ(listed.status, 0) << listed.out;
  // Names come back padded to 10 bytes; then a space and the altitude in 3.
  EXPECT_EQ(listed.out, "AB         " " 12\n" "CD         " " -4\n");
}

TEST_F(CliStdin, EmptyOrDamagedInputFails) {
  const ShellResult empty = Shell(Cli("info - < /dev/null"));
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.out, "ridloe-cli: standard input is empty\n");
  const ShellResult damaged = Shell("printf 'MsRcd' | " + Cli("list -"));
  EXPECT_EQ(damaged.status, 1);
  EXPECT_NE(damaged.out.find("signature"), std::string::npos) << damaged.out;
}

// A file wrong at byte N fails having read little more than N bytes: a
// stream that never ends, and a 3 GB file, both wrong at their first record,
// fail at once and in little memory; GPX fails at its first fault, fed to
// the parser as it arrives.
TEST_F(CliStdin, FilesWrongEarlyAreNotReadOn) {
  const ShellResult zeros = Shell("(printf 'MsRcd\\0'; cat /dev/zero) | timeout 10 " + Cli("info -"));
  EXPECT_EQ(zeros.status, 1);
  EXPECT_EQ(zeros.out, "standard input: first record at byte 6: record has a payload length of 0\n");
  const ShellResult gpx = Shell("(printf '<?xml version=\"1.0\"?>\\n<gpx><wpt lat=\"1\" lon=\"2\"></wpx>'; "
                                "cat /dev/zero) | timeout 10 " + Cli("list -"));
  EXPECT_EQ(gpx.status, 1);
  EXPECT_EQ(gpx.out, "standard input: line 2, column 29: mismatched tag\n");
  const std::string sparse = dir_.Path("sparse.mps");
  ASSERT_EQ(Shell("truncate -s 3G '" + sparse + "' && printf 'MsRcd\\0\\1\\0\\0\\0D' | dd of='" + sparse +
                  "' conv=notrunc 2>/dev/null").status,
            0);
#ifdef __SANITIZE_ADDRESS__
  const std::string limit;  // the address sanitizer reserves more than any limit
#else
  const std::string limit = "ulimit -v 1000000; ";  // far less than the file: it is never read whole
#endif
  const ShellResult big = Shell(limit + Cli("info '" + sparse + "'"));
  EXPECT_EQ(big.status, 1);
  EXPECT_EQ(big.out, sparse + ": 'A' record at byte 12: record has a payload length of 0\n");
}

// Limits the shell sets are failures the tool reports, never a signal that
// ends it: past a file size limit every output fails with "File too large",
// and short of memory every command says what happened, exits 1, and calls
// nothing written that is not there.
TEST_F(CliStdin, LimitsAreReportedNeverFatal) {
  MpsBuilder b;
  b.Header();
  for (int i = 0; i < 20000; ++i) b.Waypoint({.name = "W" + std::to_string(i), .comment = "a comment"});
  for (int j = 0; j < 200; ++j) b.Track({.name = "T", .points = std::vector<testing::TrackPointFields>(100)});
  const std::string big = dir_.Path("big.mps"), gpx = dir_.Path("out.gpx");
  ASSERT_TRUE(testing::WriteBytes(big, b.End().bytes()));
  for (const char* command : {"list", "list --json", "convert -o -"}) {
    const ShellResult r = Shell("(ulimit -f 20; " + Cli(std::string(command) + " '" + big + "' > '" + dir_.Path("o") + "')"));
    EXPECT_EQ(r.status, 1) << command;
    EXPECT_NE(r.out.find("File too large"), std::string::npos) << command << ": " << r.out;
  }
#ifndef __SANITIZE_ADDRESS__  // the address sanitizer reserves more than these limits
  // From the least the tool starts in (below that the loader or the C++
  // runtime fails before the tool runs) to enough for the whole file.
  int least = 2000;
  while (least < 60000 && Shell("ulimit -v " + std::to_string(least) + "; " + Cli("--version")).status != 0) {
    least += 100;
  }
  for (int kib = least; kib <= least + 10000; kib += 100) {
    for (const std::string& command : {"convert --force -o '" + gpx + "' '" + big + "'"}) {
      std::remove(gpx.c_str());
      const ShellResult r = Shell("ulimit -v " + std::to_string(kib) + "; " + Cli(command));
      EXPECT_TRUE(r.status == 0 || r.status == 1) << kib << " KiB, " << command << ": " << r.out;
      if (r.out.find(" -> ") != std::string::npos) {
        EXPECT_TRUE(fs::exists(gpx)) << kib << " KiB: " << r.out;
      }
      EXPECT_EQ(r.out.find("was written"), std::string::npos) << kib << " KiB: " << r.out;
    }
  }
#endif
}

}  // namespace
}  // namespace ridloe
