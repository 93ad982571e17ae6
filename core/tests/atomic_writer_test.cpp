// The writer never costs a file: what it keeps stays kept even when made
// while writing, only regular files are replaced (through links, in place),
// and no temporary file outlives a failure or a signal.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/platform/file_access.h"
#include "core/platform/posix/temporary_files.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;

// Every test runs with unnamed temporary files and with named ones.
class AtomicWriterTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { UseUnnamedTemporaryFiles(GetParam()); }
  void TearDown() override { UseUnnamedTemporaryFiles(true); }

  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.path())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static bool Write(AtomicFileWriter& out, const std::string& text) {
    return out.Open() && out.Write(text.data(), text.size()) && out.Commit();
  }

  testing::TempFolder dir_{"atomic_writer"};
};

TEST_P(AtomicWriterTest, AFileMadeWhileWritingIsKept) {
  const std::string target = dir_.Path("out.wtr");
  AtomicFileWriter out(target, ExistingTarget::kKeep);
  ASSERT_TRUE(out.Open());
  ASSERT_TRUE(out.Write("new", 3));
  ASSERT_TRUE(testing::WriteBytes(target, {'t', 'h', 'e', 'i', 'r', 's'}));
  EXPECT_FALSE(out.Commit());
  EXPECT_EQ(out.error().step, Step::kExists);
  EXPECT_EQ(ReadText(target), "theirs");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.wtr"});

  AtomicFileWriter again(target, ExistingTarget::kKeep);
  EXPECT_FALSE(again.Open());  // refused before anything is written
  EXPECT_EQ(again.error().step, Step::kExists);
  AtomicFileWriter fresh(dir_.Path("fresh.wtr"), ExistingTarget::kKeep);
  EXPECT_TRUE(Write(fresh, "made"));
  EXPECT_EQ(ReadText(dir_.Path("fresh.wtr")), "made");
}

TEST_P(AtomicWriterTest, ReplacesOnlyRegularFilesAndWritesThroughLinks) {
  ASSERT_EQ(::mkfifo(dir_.Path("fifo").c_str(), 0600), 0);
  fs::create_directory(dir_.Path("folder"));
  fs::create_symlink("nowhere", dir_.Path("dangling"));
  fs::create_symlink("/dev/null", dir_.Path("device"));
  for (const auto& [name, kind] : std::vector<std::pair<std::string, std::string>>{
           {"fifo", "a FIFO"}, {"folder", "a folder"}, {"dangling", "a link to nothing"}, {"device", "a device"}}) {
    AtomicFileWriter out(dir_.Path(name));
    EXPECT_FALSE(Write(out, "x")) << name;
    EXPECT_EQ(out.error().step, Step::kNotRegular) << name;
    EXPECT_EQ(out.error().subject, kind);
  }
  EXPECT_TRUE(fs::is_fifo(dir_.Path("fifo")));

  // Through a link to a regular file: the file is replaced, the link stays.
  fs::create_directory(dir_.Path("real"));
  ASSERT_TRUE(testing::WriteBytes(dir_.Path("real/trip.wtr"), {'o', 'l', 'd'}));
  ::chmod(dir_.Path("real/trip.wtr").c_str(), 0640);
  fs::create_symlink("real/trip.wtr", dir_.Path("link.wtr"));
  AtomicFileWriter through(dir_.Path("link.wtr"));
  EXPECT_TRUE(Write(through, "new"));
  EXPECT_TRUE(fs::is_symlink(dir_.Path("link.wtr")));
  EXPECT_EQ(ReadText(dir_.Path("real/trip.wtr")), "new");
  EXPECT_EQ(fs::status(dir_.Path("real/trip.wtr")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(fs::directory_iterator(dir_.Path("real"))->path().filename(), "trip.wtr");

  // The caller's check sees the first bytes and may keep the file.
  AtomicFileWriter checked(dir_.Path("link.wtr"), ExistingTarget::kReplace,
                           [](ByteSpan first) { return !(first.size() == 3 && first[0] == 'n'); });
  EXPECT_FALSE(Write(checked, "other"));
  EXPECT_EQ(checked.error().step, Step::kKept);
  EXPECT_EQ(ReadText(dir_.Path("real/trip.wtr")), "new");
}

// Source data put at the target between the last look and the rename (by a
// racing program) is not replaced: the file goes in by a swap, and what came
// out is looked at and swapped back. The check here plays the racer: once
// it has passed the file it sees at Commit, it puts an MPS file in its place.
TEST_P(AtomicWriterTest, SourceDataThatTakesThePlaceOfTheTargetAtTheLastMomentIsKept) {
  const std::string target = dir_.Path("out.wtr"), mps = dir_.Path("racer.mps");
  ASSERT_TRUE(testing::WriteBytes(target, {'o', 'l', 'd'}));
  ASSERT_TRUE(testing::WriteBytes(mps, {'M', 's', 'R', 'c', 'd', 0}));
  int looks = 0;
  AtomicFileWriter out(target, ExistingTarget::kReplace, [&](ByteSpan first) {
    if (first.size() >= 5 && std::memcmp(first.data(), "MsRcd", 5) == 0) return false;
    if (++looks == 2) fs::rename(mps, target);
    return true;
  });
  EXPECT_FALSE(Write(out, "new"));
  EXPECT_EQ(out.error().step, Step::kKept);
  EXPECT_EQ(ReadText(target), std::string("MsRcd\0", 6));
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.wtr"});
}

// A child process writes and is ended part-way; nothing it made is left.
TEST_P(AtomicWriterTest, NoTemporaryFileOutlivesASignalOrAFailure) {
  const std::string target = dir_.Path("out.wtr");
  for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGXFSZ}) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      AtomicFileWriter out(target);
      if (!out.Open() || !out.Write("part", 4)) ::_exit(3);
      if (signal != SIGXFSZ) ::raise(signal);
      // Past the file size limit the write fails and is reported.
      const rlimit limit{4096, 4096};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      const std::string big(1 << 20, 'x');
      const bool written = out.Write(big.data(), big.size()) && out.Commit();
      ::_exit(!written && out.error().reason == SystemErrorText(EFBIG) ? 0 : 4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (signal == SIGXFSZ) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    } else {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    }
    EXPECT_TRUE(Entries().empty()) << "signal " << signal << " left " << Entries().front();
  }
}

INSTANTIATE_TEST_SUITE_P(Unnamed, AtomicWriterTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Unnamed" : "Named"; });

}  // namespace
}  // namespace ridloe
