#include "core/platform/standard_streams.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>

#include "core/platform/file_access.h"
#include "core/platform/windows/unicode.h"

namespace ridloe {
namespace {

// A console on standard output or error is written with WriteConsoleW: the
// C runtime writes UTF-8 to it in pieces, a byte at a time when it is not
// buffered, and the console shows each piece of a character as U+FFFD. So
// text for a console is kept until its line ends (or the buffer fills, cut
// between characters), then written whole, as UTF-16.
struct ConsoleStream {
  HANDLE handle = nullptr;  // null: not a console
  char pending[std::size_t{1} << 16];
  std::size_t size = 0;
  bool failed = false;
};
ConsoleStream g_consoleOutput;
ConsoleStream g_consoleError;

ConsoleStream* ConsoleOf(std::FILE* stream) {
  ConsoleStream* console = stream == stdout ? &g_consoleOutput : stream == stderr ? &g_consoleError : nullptr;
  return console && console->handle ? console : nullptr;
}

HANDLE ConsoleHandle(DWORD which) {
  const HANDLE h = GetStdHandle(which);
  DWORD mode = 0;
  return h && h != INVALID_HANDLE_VALUE && GetFileType(h) == FILE_TYPE_CHAR && GetConsoleMode(h, &mode) ? h : nullptr;
}

// How many of the first `size` bytes of `text` end between two UTF-8
// characters: all, or all but the start of a character cut off.
std::size_t WholeCharacters(const char* text, std::size_t size) {
  std::size_t start = size;
  while (start > 0 && size - start < 3 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) --start;
  if (start == 0) return size;
  const auto lead = static_cast<unsigned char>(text[start - 1]);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return size - (start - 1) < length ? start - 1 : size;
}

// Writes the first `size` pending bytes to the console as UTF-16 (a byte
// that is no UTF-8 shows as U+FFFD), a piece at a time, each cut between
// characters; the rest moves to the front.
void WritePending(ConsoleStream& console, std::size_t size) {
  constexpr std::size_t kPiece = 1024;
  wchar_t wide[kPiece];
  for (std::size_t at = 0; at < size && !console.failed;) {
    std::size_t n = std::min(size - at, kPiece);
    if (at + n < size && WholeCharacters(console.pending + at, n) > 0) n = WholeCharacters(console.pending + at, n);
    const int length = MultiByteToWideChar(CP_UTF8, 0, console.pending + at, static_cast<int>(n), wide, kPiece);
    for (int done = 0; done < length;) {
      DWORD written = 0;
      if (!WriteConsoleW(console.handle, wide + done, static_cast<DWORD>(length - done), &written, nullptr) ||
          written == 0) {
        console.failed = true;
        break;
      }
      done += static_cast<int>(written);
    }
    at += n;
  }
  std::memmove(console.pending, console.pending + size, console.size - size);
  console.size -= size;
}

void FlushConsoles() {
  for (ConsoleStream* console : {&g_consoleOutput, &g_consoleError}) {
    if (console->handle) WritePending(*console, console->size);
  }
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

// Output is UTF-8 with "\n" line ends, the same bytes as on other systems;
// a console gets the same text as characters.
void PrepareStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  g_consoleOutput.handle = ConsoleHandle(STD_OUTPUT_HANDLE);
  g_consoleError.handle = ConsoleHandle(STD_ERROR_HANDLE);
  if (g_consoleOutput.handle || g_consoleError.handle) std::atexit(FlushConsoles);
}

bool WriteText(std::FILE* stream, std::string_view text) {
  ConsoleStream* console = ConsoleOf(stream);
  if (!console) return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
  while (!text.empty() && !console->failed) {
    const std::size_t n = std::min(text.size(), sizeof console->pending - console->size);
    std::memcpy(console->pending + console->size, text.data(), n);
    console->size += n;
    text.remove_prefix(n);
    // Every whole line goes; a line that fills the buffer goes up to its
    // last whole character.
    std::string_view pending(console->pending, console->size);
    std::size_t end = pending.rfind('\n');
    if (end != std::string_view::npos) {
      WritePending(*console, end + 1);
    } else if (console->size == sizeof console->pending) {
      WritePending(*console, WholeCharacters(console->pending, console->size));
    }
  }
  return !console->failed;
}

bool FlushText(std::FILE* stream) {
  if (ConsoleStream* console = ConsoleOf(stream)) {
    WritePending(*console, console->size);
    return !console->failed;
  }
  return std::fflush(stream) == 0 && !std::ferror(stream);
}

}  // namespace ridloe
