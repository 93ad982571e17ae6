#include "core/platform/standard_streams.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "core/platform/windows/unicode.h"

namespace ridloe {
namespace {

UINT originalOutputCodePage = 0;

void RestoreConsoleCodePage() { SetConsoleOutputCP(originalOutputCodePage); }

bool IsConsole(DWORD which) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(which), &mode) != 0;
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
