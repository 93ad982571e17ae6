#include "testing/system.h"

#include <windows.h>

#include <stdexcept>
#include <vector>

#include "core/platform/windows/unicode.h"

namespace ridloe::testing {
namespace {

// The words of a command line written for a POSIX shell: separated by
// spaces, with '...' quoting (the only quoting the tests use).
std::vector<std::string> ShellWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (char c : line) {
    if (quoted) {
      if (c == '\'') {
        quoted = false;
      } else {
        word += c;
      }
    } else if (c == '\'') {
      quoted = inWord = true;
    } else if (c == ' ' || c == '\t' || c == '\n') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

// One argument quoted as the runtime's command-line parser reads it back.
std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
    } else {
      if (c == L'"') out.append(backslashes + 1, L'\\');
      backslashes = 0;
    }
    out += c;
  }
  out.append(backslashes, L'\\');
  return out + L"\"";
}

HANDLE OpenInherited(const std::string& path, bool forWriting) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(WideFromUtf8(path).c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, forWriting ? CREATE_ALWAYS : OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

const char kNullDevice[] = "NUL";

bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

const bool kHasPosixShell = false;

int RunShell(const std::string&) { return -1; }

int ProcessId() { return static_cast<int>(GetCurrentProcessId()); }

std::string MakeUniqueFolder(const std::string& prefix) {
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    const std::string path = prefix + "_" + std::to_string(GetCurrentProcessId()) + "_" +
                             std::to_string((GetTickCount64() + attempt * 7919u) % 1000000u);
    if (CreateDirectoryW(WideFromUtf8(path).c_str(), nullptr)) return path;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("cannot make a folder like " + prefix + "_N");
}

int RunProgram(const std::string& program, const std::string& args, const std::string& folder,
               const std::string& input, const std::string& output, const std::string& error) {
  std::wstring line = Quoted(WideFromUtf8(program));
  for (const std::string& word : ShellWords(args)) line += L" " + Quoted(WideFromUtf8(word));
  HANDLE streams[3] = {OpenInherited(input, false), OpenInherited(output, true), OpenInherited(error, true)};
  int status = -1;
  if (streams[0] != INVALID_HANDLE_VALUE && streams[1] != INVALID_HANDLE_VALUE && streams[2] != INVALID_HANDLE_VALUE) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = streams[0];
    startup.hStdOutput = streams[1];
    startup.hStdError = streams[2];
    PROCESS_INFORMATION process{};
    const std::wstring where = WideFromUtf8(folder);
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       folder.empty() ? nullptr : where.c_str(), &startup, &process)) {
      WaitForSingleObject(process.hProcess, INFINITE);
      DWORD code = 0;
      if (GetExitCodeProcess(process.hProcess, &code)) status = static_cast<int>(code);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }
  for (HANDLE h : streams) {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  return status;
}

}  // namespace ridloe::testing
