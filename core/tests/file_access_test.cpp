// The whole-file read that every load starts with.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

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

ReadFailure FailureOf(const std::string& path) {
  ByteBlock buffer;
  ReadError why;
  EXPECT_FALSE(ReadWholeFile(path, buffer, &why)) << path;
  EXPECT_EQ(buffer.size(), 0u);
  return why.failure;
}

TEST(ReadWholeFile, MissingEmptyAndDirectoryFail) {
  EXPECT_EQ(FailureOf(TempPath("missing")), ReadFailure::kOpen);
  const std::string empty = TempPath("empty"), dir = TempPath("dir");
  ASSERT_TRUE(testing::WriteBytes(empty, {}));
  EXPECT_EQ(FailureOf(empty), ReadFailure::kEmpty);
  std::remove(empty.c_str());
  ASSERT_TRUE(std::filesystem::create_directory(dir));
  EXPECT_EQ(FailureOf(dir), ReadFailure::kFolder);
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
    EXPECT_EQ(FailureOf(path), ReadFailure::kShortRead);
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
TEST(ReadError, TooLongNamesTheLimitPassed) {
  const auto said = [](std::size_t limit) {
    ReadError error;
    error.failure = ReadFailure::kTooLong;
    error.limit = limit;
    return DescribeReadFailure(error);
  };
  EXPECT_EQ(said(kStreamLimit), "is a stream longer than 2 GiB, the most that is read from one");
  EXPECT_EQ(said(std::size_t{3} << 20), "is a stream longer than 3 MiB, the most that is read from one");
  EXPECT_EQ(said(std::size_t{1536} << 10), "is a stream longer than 1536 KiB, the most that is read from one");
  EXPECT_EQ(said(300000), "is a stream longer than 300000 bytes, the most that is read from one");
  EXPECT_EQ(said(1), "is a stream longer than 1 byte, the most that is read from one");
}

}  // namespace
}  // namespace ridloe
