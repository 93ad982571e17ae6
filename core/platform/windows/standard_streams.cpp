#include "core/platform/standard_streams.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string_view>

#include "core/platform/file_access.h"
#include "core/platform/windows/unicode.h"

namespace ridloe {
namespace {

UINT originalOutputCodePage = 0;

void RestoreConsoleCodePage() { SetConsoleOutputCP(originalOutputCodePage); }

bool IsConsole(DWORD which) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

// The first part of a path that holds its folders ("C:", "x\\", "C:x/"), as
// typed; empty for a bare name.
std::size_t FolderLength(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator != std::string_view::npos) return separator + 1;
  return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

// Whether the last part of `path` holds a wildcard. The "\\?\" that starts
// a path in its extended form is no wildcard, and a device path (\\.\) is
// never expanded.
bool HasWildcard(std::string_view path) {
  if (path.starts_with("\\\\.\\")) return false;
  return path.substr(FolderLength(path)).find_first_of("*?") != std::string_view::npos;
}

// The files that `pattern` matches, by name, case aside, as dir lists them.
std::vector<std::string> Matches(const std::string& pattern) {
  std::vector<std::wstring> names;
  std::wstring wide;
  if (!WideFromUtf8(pattern, wide)) return {};
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileExW(wide.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return {};
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    const int order = CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE);
    return order != CSTR_EQUAL ? order == CSTR_LESS_THAN : a < b;
  });
  const std::string folder = pattern.substr(0, FolderLength(pattern));
  std::vector<std::string> paths;
  for (const std::wstring& name : names) paths.push_back(folder + Utf8FromWide(name));
  return paths;
}

}  // namespace

// The runtime's narrow arguments are in the ANSI code page and lose every
// character outside it; the wide command line has them all.
std::vector<std::string> CommandLineArguments(int, char**) {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8FromWide(wide[i]));
  LocalFree(wide);
  return args;
}

// As programs built with Microsoft's runtime do, which cmd.exe users expect:
// the system's own search over the operand's folder (which also matches the
// short names of files).
bool ExpandWildcards(std::vector<std::string>& operands, std::string& unmatched) {
  std::vector<std::string> expanded;
  for (const std::string& operand : operands) {
    if (!HasWildcard(operand) || PathExists(operand)) {
      expanded.push_back(operand);
      continue;
    }
    std::vector<std::string> matches = Matches(operand);
    if (matches.empty()) {
      unmatched = operand;
      return false;
    }
    expanded.insert(expanded.end(), std::make_move_iterator(matches.begin()), std::make_move_iterator(matches.end()));
  }
  operands = std::move(expanded);
  return true;
}

// Output is UTF-8 with "\n" line ends, the same bytes as on other systems.
// A console is switched to UTF-8 for the program's run and back at its end.
void PrepareStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  if ((IsConsole(STD_OUTPUT_HANDLE) || IsConsole(STD_ERROR_HANDLE)) && GetConsoleOutputCP() != CP_UTF8) {
    originalOutputCodePage = GetConsoleOutputCP();
    if (SetConsoleOutputCP(CP_UTF8)) std::atexit(RestoreConsoleCodePage);
  }
}

}  // namespace ridloe
