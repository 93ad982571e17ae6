// Reads the running ridloe.exe's dialog from outside, as a user sees it:
//   dialog_probe SECONDS   waits that long at most for the dialog and its
//                          listing, then prints the path field, the number
//                          of listed lines and both counts.
//   dialog_probe --escape  presses Escape in the dialog.
// Exit status 0 when the dialog was found, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/platform/standard_streams.h"
#include "core/platform/windows/unicode.h"
#include "core/version.h"
#include "winapp/resource.h"

namespace {

HWND FindDialog() { return FindWindowW(L"#32770", L"" RIDLOE_TITLE); }

std::string Text(HWND dialog, int id) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(dialog, id, text, 1024);
  return ridloe::Utf8FromWide(text);
}

}  // namespace

int main(int argc, char** argv) {
  ridloe::PrepareStandardStreams();
  const auto args = ridloe::CommandLineArguments(argc, argv);
  if (!args.empty() && args[0] == "--escape") {
    HWND dialog = FindDialog();
    if (!dialog) return 1;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    HWND target = info.hwndFocus ? info.hwndFocus : dialog;
    PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    return 0;
  }
  const int seconds = args.empty() ? 30 : std::atoi(args[0].c_str());
  HWND dialog = nullptr;
  for (int waited = 0; waited < seconds * 10; ++waited) {
    dialog = FindDialog();
    if (dialog && !Text(dialog, IDC_WAYPOINT_COUNT).empty()) break;
    Sleep(100);
  }
  if (!dialog) return 1;
  HWND list = GetDlgItem(dialog, IDC_WAYPOINT_LIST);
  const LRESULT lines = SendMessageW(list, LB_GETCOUNT, 0, 0);
  std::printf("path: %s\nlines: %d\nwaypoints: %s\ntracks: %s\n", Text(dialog, IDC_MPS_PATH).c_str(),
              static_cast<int>(lines), Text(dialog, IDC_WAYPOINT_COUNT).c_str(), Text(dialog, IDC_TRACK_COUNT).c_str());
  return 0;
}
