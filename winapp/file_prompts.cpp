#include "winapp/file_prompts.h"

#include "winapp/windows_api.h"
// After windows.h, which it needs.
#include <commdlg.h>

#include "core/platform/file_access.h"
#include "core/platform/paths.h"
#include "core/platform/windows/unicode.h"

namespace ridloe {
namespace {

// Room for the longest path the system takes.
constexpr DWORD kPathRoom = 32768;

bool RunPrompt(bool save, const std::string& initial, const std::string& proposedName, std::string& chosen) {
  std::wstring file = WideFromUtf8(proposedName);
  file.resize(kPathRoom, L'\0');
  const std::wstring folder = WideFromUtf8(InitialFolder(initial));
  OPENFILENAMEW prompt{};
  prompt.lStructSize = sizeof prompt;
  prompt.hwndOwner = GetActiveWindow();
  prompt.lpstrFilter = save ? kWtrFilter : kMpsFilter;
  prompt.lpstrFile = file.data();
  prompt.nMaxFile = kPathRoom;
  prompt.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  prompt.lpstrDefExt = save ? kWtrExtension : nullptr;
  prompt.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  if (!(save ? GetSaveFileNameW(&prompt) : GetOpenFileNameW(&prompt))) return false;
  file.resize(wcsnlen(file.c_str(), file.size()));
  if (file.empty()) return false;
  chosen = Utf8FromWide(file);
  return true;
}

}  // namespace

std::string InitialFolder(const std::string& initial) {
  if (initial.empty() || IsFolder(initial)) return initial;
  const PathParts parts = SplitPath(initial);
  return parts.drive + parts.directory;
}

bool Win32FilePrompts::OpenMps(const std::string& initial, std::string& chosen) {
  return RunPrompt(false, initial, {}, chosen);
}

bool Win32FilePrompts::SaveWtr(const std::string& initial, const std::string& proposedName, std::string& chosen) {
  return RunPrompt(true, initial, proposedName, chosen);
}

}  // namespace ridloe
