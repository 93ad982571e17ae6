// The whole-file read that every load starts with.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <utility>

#include "core/platform/file_access.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

using testing::Bytes;
using testing::TempPath;

Bytes Pattern(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  return bytes;
}

Step FailureOf(const std::string& path) {
  ByteBlock buffer;
  Error why;
  EXPECT_FALSE(ReadWholeFile(path, buffer, &why)) << path;
  EXPECT_EQ(buffer.size(), 0u);
  return why.step;
}

TEST(ReadWholeFile, MissingEmptyAndDirectoryFail) {
  EXPECT_EQ(FailureOf(TempPath("missing")), Step::kOpen);
  const std::string empty = TempPath("empty"), dir = TempPath("dir");
  ASSERT_TRUE(testing::WriteBytes(empty, {}));
  EXPECT_EQ(FailureOf(empty), Step::kEmpty);
  std::remove(empty.c_str());
  ASSERT_TRUE(std::filesystem::create_directory(dir));
  EXPECT_EQ(FailureOf(dir), Step::kFolder);
  std::filesystem::remove(dir);
}

TEST(ReadWholeFile, ReadsEveryByte) {
  // One small file and one large enough for the huge-page block.
  for (std::size_t size : {std::size_t{1}, std::size_t{4099}, (std::size_t{2} << 20) + 12345}) {
    const Bytes bytes = Pattern(size);
    const std::string path = TempPath("whole");
    ASSERT_TRUE(testing::WriteBytes(path, bytes));
    ByteBlock buffer;
    ASSERT_TRUE(ReadWholeFile(path, buffer));
    ASSERT_EQ(buffer.size(), size);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), buffer.data())) << size;
    std::remove(path.c_str());
  }
}

TEST(ReadWholeFile, FailsWhenFewerBytesArriveThanTheSizeSays) {
  // Kernel attribute files report a size of a page but hold a few bytes.
  const char* candidates[] = {"/sys/kernel/mm/transparent_hugepage/enabled", "/sys/devices/system/cpu/online",
                              "/sys/kernel/mm/transparent_hugepage/defrag"};
  for (const char* path : candidates) {
    struct stat st {};
    if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != 4096) continue;
    EXPECT_EQ(FailureOf(path), Step::kShortRead);
    return;
  }
  GTEST_SKIP() << "no file here whose size overstates its contents";
}

TEST(ReadWholeFile, DashReadsStandardInput) {
  const Bytes bytes = Pattern(200000);  // more than one read step
  const std::string path = TempPath("stdin");
  ASSERT_TRUE(testing::WriteBytes(path, bytes));
  const int saved = ::dup(STDIN_FILENO);
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ::dup2(fd, STDIN_FILENO);
  ::close(fd);
  ByteBlock buffer;
  const bool ok = ReadWholeFile("-", buffer);
  ::dup2(saved, STDIN_FILENO);
  ::close(saved);
  std::remove(path.c_str());
  ASSERT_TRUE(ok);
  ASSERT_EQ(buffer.size(), bytes.size());
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), buffer.data()));
}

// The message names the limit the stream passed, in the largest unit it is a
// whole number of.
TEST(Error, TooLongNamesTheLimitPassed) {
  const auto said = [](std::size_t limit) {
    Error error;
    error.step = Step::kTooLong;
    error.limit = limit;
    return error.Describe();
  };
  EXPECT_EQ(said(kStreamLimit), "file is a stream longer than 2 GiB, the most that is read from one");
  EXPECT_EQ(said(std::size_t{3} << 20), "file is a stream longer than 3 MiB, the most that is read from one");
  EXPECT_EQ(said(std::size_t{1536} << 10), "file is a stream longer than 1536 KiB, the most that is read from one");
  EXPECT_EQ(said(300000), "file is a stream longer than 300000 bytes, the most that is read from one");
  EXPECT_EQ(said(1), "file is a stream longer than 1 byte, the most that is read from one");
}

// Every failure, whichever layer it comes from, is said of the file it
// concerns: the system's words for a read or a write, the place for a load,
// what the step names for a refusal.
TEST(Error, EachStageIsSaidOfTheFileItConcerns) {
  EXPECT_EQ(Error(Step::kOpen, "Permission denied").Describe("a.mps"), "cannot open a.mps: Permission denied");
  EXPECT_EQ(Error(Step::kEmpty).Describe(), "file is empty");
  const Error record(Step::kWaypointRun, "comment has no terminating NUL", {},
                     Place::Record("waypoint record", 4, 1234));
  EXPECT_EQ(record.Describe("a.mps"), "a.mps: waypoint record 4 at byte 1234: comment has no terminating NUL");
  EXPECT_EQ(Error(Step::kSyntax, "no element found", {}, Place::Line(3, 7)).Describe(),
            "line 3, column 7: no element found");
  Error fault;
  EXPECT_FALSE(Fault(fault, "bad"));
  EXPECT_EQ(fault.In(Step::kHeader, Place::Byte(6)).Describe(), "at byte 6: bad");
  EXPECT_EQ(Error(Step::kNotRegular, {}, "a folder").Describe("out.wtr"),
            "out.wtr is a folder, not a regular file; it is never replaced");
  EXPECT_EQ(Error(Step::kNoFolder).Describe("out/x.wtr"), "folder out/ does not exist");
  EXPECT_EQ(Error(Step::kKept, {}, "an MPS file").Describe("x.wtr"), "x.wtr is an MPS file; it is never replaced");
  EXPECT_EQ(Error(Step::kKept, "Permission denied").Describe("x.wtr"),
            "x.wtr cannot be read to see what it holds (Permission denied); it is not replaced");
  EXPECT_EQ(Error(Step::kWrittenThisRun, {}, "a.mps").Describe("a.wtr"),
            "would replace a.wtr, written from a.mps in this run");
  // The stages follow the work, first step to last.
  const std::pair<Step, Stage> ends[] = {
      {Step::kNone, Stage::kNone},         {Step::kOpen, Stage::kRead},         {Step::kUnrecognised, Stage::kRead},
      {Step::kSignature, Stage::kLoad},    {Step::kParserStart, Stage::kLoad},  {Step::kExists, Stage::kWrite},
      {Step::kTerminal, Stage::kWrite},    {Step::kWrittenThisRun, Stage::kConvert},
      {Step::kNoWaypoints, Stage::kConvert}};
  for (const auto& [step, stage] : ends) EXPECT_EQ(StageOf(step), stage) << static_cast<int>(step);
}

}  // namespace
}  // namespace ridloe
