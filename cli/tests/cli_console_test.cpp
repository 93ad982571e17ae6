// ridloe-cli writing to a console, read back from the console's screen as
// the user sees it: names and file names in Chinese show whole, on standard
// output and standard error alike. (Under Wine a console needs a display:
// CTest runs this test on one.)
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/platform/windows/unicode.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

namespace fs = std::filesystem;

// Runs the tool with `args` on this process's console, in `folder`.
bool RunOnConsole(const std::wstring& args, const fs::path& folder) {
  std::wstring line = L"\"" + WideFromUtf8(RIDLOE_CLI) + L"\" " + args;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.wstring().c_str(), &startup,
                      &process)) {
    return false;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

// The screen's lines up to the cursor, as UTF-8 without the spaces that
// pad them; a character two cells wide is read once.
std::vector<std::string> ScreenLines(HANDLE screen) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(screen, &info)) return {};
  const SHORT width = info.dwSize.X;
  std::vector<CHAR_INFO> cells(static_cast<std::size_t>(width));
  std::vector<std::string> lines;
  for (SHORT y = 0; y < info.dwCursorPosition.Y; ++y) {
    SMALL_RECT row{0, y, static_cast<SHORT>(width - 1), y};
    if (!ReadConsoleOutputW(screen, cells.data(), COORD{width, 1}, COORD{0, 0}, &row)) return {};
    std::wstring text;
    for (const CHAR_INFO& cell : cells) {
      if (!(cell.Attributes & COMMON_LVB_TRAILING_BYTE)) text += cell.Char.UnicodeChar;
    }
    while (!text.empty() && text.back() == L' ') text.pop_back();
    lines.push_back(Utf8FromWide(text));
  }
  return lines;
}

TEST(CliOnAConsole, NamesShowWhole) {
  testing::TempFolder dir("ridloe_console");
  const fs::path input = dir.path() / fs::path(L"\u6a23\u672c.mps");  // 樣本.mps
  fs::copy_file(fs::path(RIDLOE_SOURCE_DIR) / "samples/sample.mps", input);

  // What the tool writes into files: the lines the console must show.
  const testing::CliRun list = testing::RunCli("list --tracks '樣本.mps'", {.folder = dir.path().string()});
  const testing::CliRun convert = testing::RunCli("convert '樣本.mps'", {.folder = dir.path().string()});
  ASSERT_EQ(list.status, 0) << list.err;
  ASSERT_EQ(convert.status, 0) << convert.err;
  ASSERT_NE(list.out.find("玉山主峰"), std::string::npos);
  std::vector<std::string> expected;
  for (const std::string& text : {list.out, convert.err}) {
    for (std::string line : testing::Lines(text)) {
      while (!line.empty() && line.back() == ' ') line.pop_back();
      expected.push_back(line);
    }
  }
  fs::remove(dir.path() / fs::path(L"\u6a23\u672c.wtr"));

  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  const HANDLE screen = GetStdHandle(STD_OUTPUT_HANDLE);
  ASSERT_TRUE(RunOnConsole(L"list --tracks \u6a23\u672c.mps", dir.path()));
  ASSERT_TRUE(RunOnConsole(L"convert \u6a23\u672c.mps", dir.path()));
  EXPECT_EQ(ScreenLines(screen), expected);
  FreeConsole();
}

}  // namespace
}  // namespace ridloe
