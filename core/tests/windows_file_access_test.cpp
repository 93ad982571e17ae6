// File access through the Windows API: names outside any ANSI code page,
// paths past the classic length limit, files another program is writing,
// replacing a file, and standard input from a pipe.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

#include "core/platform/file_access.h"
#include "core/platform/windows/unicode.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;

bool Write(const std::string& path, const Bytes& bytes, WriteError* why = nullptr) {
  AtomicFileWriter writer(path);
  const bool ok = writer.Open() && writer.Write(bytes.data(), bytes.size()) && writer.Commit();
  if (why) *why = writer.error();
  return ok;
}

Bytes Read(const std::string& path, ReadFailure* failure = nullptr) {
  ByteBlock buffer;
  ReadError why;
  ReadWholeFile(path, buffer, &why);
  if (failure) *failure = why.failure;
  return Bytes(buffer.data(), buffer.data() + buffer.size());
}

class WindowsFileAccess : public ::testing::Test {
 protected:
  // Everything in the folder, by UTF-8 name.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
      names.push_back(Utf8FromWide(entry.path().filename().wstring()));
    }
    return names;
  }
  testing::TempFolder dir_{"ridloe_windows_files"};
};

TEST_F(WindowsFileAccess, NamesOutsideTheAnsiCodePageAndLongPaths) {
  // Joined by hand: std::filesystem reads a narrow name in the ANSI code page.
  const std::string name = dir_.path().string() + "\\玉山 Ñ ☃.wtr";
  ASSERT_TRUE(Write(name, {1, 2, 3}));
  EXPECT_EQ(Read(name), (Bytes{1, 2, 3}));
  EXPECT_TRUE(PathExists(name));
  EXPECT_EQ(Entries(), std::vector<std::string>{"玉山 Ñ ☃.wtr"});

  std::string deep = dir_.path().string();
  while (deep.size() < 300) {
    deep += "\\folder-of-some-length";
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + WideFromUtf8(deep)).c_str(), nullptr)) << deep;
  }
  EXPECT_TRUE(IsFolder(deep));
  ASSERT_TRUE(Write(deep + "\\deep.wtr", {4, 5}));
  EXPECT_EQ(Read(deep + "\\deep.wtr"), (Bytes{4, 5}));
  EXPECT_TRUE(SameFile(deep + "\\deep.wtr", deep + "/deep.wtr"));

  ReadFailure failure{};
  Read(std::string("bad \xFF utf-8"), &failure);
  EXPECT_EQ(failure, ReadFailure::kOpen);
}

TEST_F(WindowsFileAccess, ReplacesWholeOrKeepsTheOldFile) {
  const std::string target = dir_.Path("out.wtr");
  ASSERT_TRUE(Write(target, {'o', 'l', 'd'}));
  ASSERT_TRUE(Write(target, {'n', 'e', 'w', '!'}));
  EXPECT_EQ(Read(target), (Bytes{'n', 'e', 'w', '!'}));

  // A folder is not replaced; the reason is the system's, without its full stop.
  const std::string folder = dir_.Path("folder");
  ASSERT_TRUE(fs::create_directory(folder));
  WriteError why;
  EXPECT_FALSE(Write(folder, {1}, &why));
  EXPECT_EQ(why.step, "cannot replace");
  EXPECT_FALSE(why.reason.empty());
  EXPECT_NE(why.reason.back(), '.');
  EXPECT_TRUE(IsFolder(folder));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"folder", "out.wtr"}));  // no temporary file left
}

TEST_F(WindowsFileAccess, AFileBeingWrittenIsNotRead) {
  const std::string path = dir_.Path("busy.mps");
  ASSERT_TRUE(Write(path, {7, 7}));
  HANDLE writer = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  ReadFailure failure{};
  EXPECT_TRUE(Read(path, &failure).empty());
  EXPECT_EQ(failure, ReadFailure::kBusy);
  CloseHandle(writer);

  HANDLE reader = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  EXPECT_EQ(Read(path), (Bytes{7, 7}));  // another reader is welcome
  CloseHandle(reader);
}

TEST_F(WindowsFileAccess, DashReadsAPipeToItsEnd) {
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
  Bytes bytes(200000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 31);
  std::thread feeder([&] {
    DWORD written = 0;
    for (std::size_t at = 0; at < bytes.size(); at += 4096) {
      WriteFile(writeEnd, bytes.data() + at, static_cast<DWORD>(std::min<std::size_t>(4096, bytes.size() - at)),
                &written, nullptr);
    }
    CloseHandle(writeEnd);
  });
  const HANDLE saved = GetStdHandle(STD_INPUT_HANDLE);
  SetStdHandle(STD_INPUT_HANDLE, readEnd);
  const Bytes got = Read("-");
  SetStdHandle(STD_INPUT_HANDLE, saved);
  feeder.join();
  CloseHandle(readEnd);
  EXPECT_EQ(got, bytes);
}

}  // namespace
}  // namespace ridloe
