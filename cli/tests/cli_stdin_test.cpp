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

}  // namespace
}  // namespace ridloe
