// File access through the Windows API: names outside any ANSI code page,
// paths past the classic length limit, files another program is writing,
// what is replaced and what is kept, no temporary file outliving its
// process, and pipes and devices read as streams.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

bool Write(const std::string& path, const Bytes& bytes, Error* why = nullptr,
           ExistingTarget existing = ExistingTarget::kReplace, ReplaceCheck check = {}) {
  AtomicFileWriter writer(path, existing, std::move(check));
  const bool ok = writer.Open() && writer.Write(bytes.data(), bytes.size()) && writer.Commit();
  if (why) *why = writer.error();
  return ok;
}

Bytes Read(const std::string& path, Step* failure = nullptr) {
  ByteBlock buffer;
  Error why;
  ReadWholeFile(path, buffer, &why);
  if (failure) *failure = why.step;
  return Bytes(buffer.data(), buffer.data() + buffer.size());
}

// Everything in a folder, by UTF-8 name, in order.
std::vector<std::string> EntriesOf(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(Utf8FromWide(entry.path().filename().wstring()));
  std::sort(names.begin(), names.end());
  return names;
}

class WindowsFileAccess : public ::testing::Test {
 protected:
  std::vector<std::string> Entries() const { return EntriesOf(dir_.path()); }
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

  Step failure{};
  Read(std::string("bad \xFF utf-8"), &failure);
  EXPECT_EQ(failure, Step::kOpen);
}

TEST_F(WindowsFileAccess, ReplacesOnlyFilesAndKeepsWhatIsToBeKept) {
  const std::string target = dir_.Path("out.wtr");
  ASSERT_TRUE(Write(target, {'o', 'l', 'd'}));
  ASSERT_TRUE(Write(target, {'n', 'e', 'w', '!'}));
  EXPECT_EQ(Read(target), (Bytes{'n', 'e', 'w', '!'}));

  // Folders, devices and pipes are never replaced.
  const std::string folder = dir_.Path("folder");
  ASSERT_TRUE(fs::create_directory(folder));
  for (const auto& [path, kind] : std::vector<std::pair<std::string, std::string>>{
           {folder, "a folder"}, {"NUL", "a device"}, {"CON", "a device"}, {dir_.Path("nul"), "a device"},
           {"\\\\.\\pipe\\ridloe-test", "a pipe"}}) {
    Error why;
    EXPECT_FALSE(Write(path, {1}, &why)) << path;
    EXPECT_EQ(why.step, Step::kNotRegular) << path;
    EXPECT_EQ(why.subject, kind) << path;
  }
  EXPECT_TRUE(IsFolder(folder));

  // A file made while writing is kept: the rename that keeps fails.
  const std::string kept = dir_.Path("kept.wtr");
  AtomicFileWriter writer(kept, ExistingTarget::kKeep);
  ASSERT_TRUE(writer.Open());
  ASSERT_TRUE(writer.Write("new", 3));
  ASSERT_TRUE(testing::WriteBytes(fs::path(WideFromUtf8(kept)), {'t', 'h', 'e', 'i', 'r', 's'}));
  EXPECT_FALSE(writer.Commit());
  EXPECT_EQ(writer.error().step, Step::kExists);
  EXPECT_EQ(Read(kept), (Bytes{'t', 'h', 'e', 'i', 'r', 's'}));
  Error why;
  EXPECT_FALSE(Write(kept, {1}, &why, ExistingTarget::kKeep));
  EXPECT_EQ(why.step, Step::kExists);
  // The caller's check sees the first bytes and may keep the file.
  EXPECT_FALSE(Write(kept, {1}, &why, ExistingTarget::kReplace, [](ByteSpan first) { return first[0] != 't'; }));
  EXPECT_EQ(why.step, Step::kKept);
  EXPECT_EQ(Read(kept), (Bytes{'t', 'h', 'e', 'i', 'r', 's'}));

  // A folder that is not there is said so, in the system's words.
  EXPECT_FALSE(Write(dir_.Path("missing\\out.wtr"), {1}, &why));
  EXPECT_EQ(why.step, Step::kNoFolder);
  EXPECT_FALSE(why.reason.empty());
  EXPECT_NE(why.reason.back(), '.');
  EXPECT_EQ(Entries(), (std::vector<std::string>{"folder", "kept.wtr", "out.wtr"}));  // no temporary file left
}

// What is written is seen, as any new file is: neither hidden (dir and
// Explorer would not show it) nor read-only, when made and when replacing.
// A read-only file is never replaced, and stays read-only.
TEST_F(WindowsFileAccess, WrittenFilesAreVisibleAndReadOnlyOnesKept) {
  const std::string target = dir_.Path("trip.wtr");
  const std::wstring wide = WideFromUtf8(target);
  for (const Bytes& bytes : {Bytes{1, 2}, Bytes{3}}) {
    ASSERT_TRUE(Write(target, bytes));
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY), 0u) << attributes;
  }
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
  Error why;
  EXPECT_FALSE(Write(target, {4}, &why));
  EXPECT_EQ(why.step, Step::kReadOnly);
  EXPECT_EQ(Read(target), Bytes{3});
  EXPECT_EQ(GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The temporary file goes with its last handle until it is put in place, so
// a process ended in the middle of a write (here by TerminateProcess, which
// no handler sees) leaves nothing behind.
TEST(WindowsWriter, NoTemporaryFileOutlivesItsProcess) {
  if (const char* target = std::getenv("RIDLOE_WRITE_AND_WAIT")) {
    AtomicFileWriter writer(target);
    if (!writer.Open() || !writer.Write("part", 4)) std::exit(3);
    std::FILE* ready = std::fopen((std::string(target) + ".ready").c_str(), "wb");
    std::fclose(ready);
    Sleep(INFINITE);
  }
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  testing::TempFolder dir("ridloe_windows_ended");
  const std::string target = dir.Path("out.wtr");
  SetEnvironmentVariableW(L"RIDLOE_WRITE_AND_WAIT", WideFromUtf8(target).c_str());
  std::wstring line = L"\"" + std::wstring(self) + L"\" --gtest_filter=WindowsWriter.NoTemporaryFileOutlivesItsProcess";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  const bool started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child);
  SetEnvironmentVariableW(L"RIDLOE_WRITE_AND_WAIT", nullptr);
  ASSERT_TRUE(started);
  for (int i = 0; i < 600 && !PathExists(target + ".ready"); ++i) Sleep(50);
  EXPECT_EQ(EntriesOf(dir.path()).size(), 2u);  // the ready mark and the temporary file
  TerminateProcess(child.hProcess, 9);
  WaitForSingleObject(child.hProcess, INFINITE);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  EXPECT_EQ(EntriesOf(dir.path()), std::vector<std::string>{"out.wtr.ready"});
}

TEST_F(WindowsFileAccess, AFileBeingWrittenIsNotRead) {
  const std::string path = dir_.Path("busy.mps");
  ASSERT_TRUE(Write(path, {7, 7}));
  HANDLE writer = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  Step failure{};
  EXPECT_TRUE(Read(path, &failure).empty());
  EXPECT_EQ(failure, Step::kBusy);
  CloseHandle(writer);

  HANDLE reader = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  EXPECT_EQ(Read(path), (Bytes{7, 7}));  // another reader is welcome
  CloseHandle(reader);
}

// Feeds `bytes` into a pipe's write end from a thread of its own, then
// closes it.
std::thread Feed(HANDLE writeEnd, const Bytes& bytes) {
  return std::thread([writeEnd, &bytes] {
    if (!ConnectNamedPipe(writeEnd, nullptr)) GetLastError();  // a named pipe waits for its reader
    DWORD written = 0;
    for (std::size_t at = 0; at < bytes.size(); at += 4096) {
      if (!WriteFile(writeEnd, bytes.data() + at, static_cast<DWORD>(std::min<std::size_t>(4096, bytes.size() - at)),
                     &written, nullptr)) {
        break;  // the reader stopped early
      }
    }
    CloseHandle(writeEnd);
  });
}

// Standard input from a pipe and named pipes are streams: read to their end,
// looked at as soon as their first bytes are in, and never past the limit.
TEST_F(WindowsFileAccess, PipesAndDevicesAreReadAsStreams) {
  Bytes bytes(200000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + 1);
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
  std::thread feeder = Feed(writeEnd, bytes);
  const HANDLE saved = GetStdHandle(STD_INPUT_HANDLE);
  SetStdHandle(STD_INPUT_HANDLE, readEnd);
  const Bytes got = Read("-");
  SetStdHandle(STD_INPUT_HANDLE, saved);
  feeder.join();
  CloseHandle(readEnd);
  EXPECT_EQ(got, bytes);

  const std::string name = "\\\\.\\pipe\\ridloe-" + std::to_string(GetCurrentProcessId());
  const auto server = [&name] {
    return CreateNamedPipeW(WideFromUtf8(name).c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 65536, 0,
                            0, nullptr);
  };
  HANDLE pipe = server();
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  feeder = Feed(pipe, bytes);
  ReadOptions options;
  options.prefixSize = 6;
  options.acceptsPrefix = [](ByteSpan prefix) { return prefix[0] == 1; };
  ByteBlock buffer;
  EXPECT_TRUE(ReadWholeFile(name, buffer, nullptr, options));
  feeder.join();
  EXPECT_EQ(Bytes(buffer.data(), buffer.data() + buffer.size()), bytes);

  // Refused after its first bytes, which are kept; or at the limit.
  options.acceptsPrefix = [](ByteSpan prefix) { return prefix[0] == 0; };
  for (std::size_t limit : {kStreamLimit, std::size_t{100000}}) {
    pipe = server();
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    feeder = Feed(pipe, bytes);
    options.streamLimit = limit;
    Error why;
    EXPECT_FALSE(ReadWholeFile(name, buffer, &why, options));
    feeder.join();
    EXPECT_EQ(why.step, limit == kStreamLimit ? Step::kUnrecognised : Step::kTooLong);
    if (limit == kStreamLimit) {
      EXPECT_EQ(buffer.size(), 6u);
    } else {
      EXPECT_EQ(why.Describe(), "file is a stream longer than 100000 bytes, the most that is read from one");
    }
    options.acceptsPrefix = nullptr;
  }

  // NUL is a device with nothing in it.
  Step failure{};
  Read("NUL", &failure);
  EXPECT_EQ(failure, Step::kEmpty);
}

}  // namespace
}  // namespace ridloe
