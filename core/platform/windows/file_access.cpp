// File access on Windows. Paths are UTF-8 inside the program and UTF-16 at
// the system's API; a path too long for the classic limit is passed in its
// extended form (\\?\), so deep folders work too.
#include "core/platform/file_access.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "core/platform/read_source.h"
#include "core/platform/replace_rule.h"
#include "core/platform/windows/unicode.h"
#include "core/platform/writer_handle.h"

namespace ridloe {
namespace {

// Paths at least this long are given to the system in the extended form.
constexpr std::size_t kClassicPathLimit = 240;

// A path too long for the classic limit in its extended form.
std::wstring Extended(std::wstring wide) {
  if (wide.size() < kClassicPathLimit || wide.starts_with(L"\\\\?\\") || wide.starts_with(L"\\\\.\\")) return wide;
  const std::wstring full = FullPath(wide);
  return full.starts_with(L"\\\\") ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
}

// The system's form of a UTF-8 path; false when the bytes are not UTF-8.
bool SystemPath(const std::string& path, std::wstring& wide) {
  if (path.empty() || !WideFromUtf8(path, wide)) return false;
  wide = Extended(std::move(wide));
  return true;
}

class HandleCloser {
 public:
  explicit HandleCloser(HANDLE h) : h_(h) {}
  ~HandleCloser() { CloseHandle(h_); }
  HandleCloser(const HandleCloser&) = delete;
  HandleCloser& operator=(const HandleCloser&) = delete;

 private:
  HANDLE h_;
};

FileIdentity IdentityFrom(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// One ReadFile or WriteFile call takes at most this many bytes.
constexpr DWORD kStep = DWORD{1} << 30;

// A handle's bytes. A pipe whose writer has gone ends as an end of file does.
class HandleSource final : public ReadSource {
 public:
  explicit HandleSource(HANDLE h) : h_(h) {}
  long long ReadSome(std::uint8_t* into, std::size_t most, int& code) override {
    DWORD n = 0;
    if (ReadFile(h_, into, static_cast<DWORD>(std::min<std::size_t>(most, kStep)), &n, nullptr)) return n;
    const DWORD why = GetLastError();
    if (why == ERROR_BROKEN_PIPE || why == ERROR_HANDLE_EOF) return 0;
    code = static_cast<int>(why);
    return -1;
  }

 private:
  HANDLE h_;
};

// A stream: a pipe, a console, a device.
bool ReadStream(HANDLE h, ByteBlock& buffer, Error* error, const ReadOptions& options) {
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return FailRead(error, Step::kEmpty);
  HandleSource source(h);
  return ReadStreamFrom(source, buffer, error, options);
}

bool Attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  std::wstring wide;
  return SystemPath(path, wide) && GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data);
}

// The folder part of a path, with its separator, or empty for a bare name.
std::wstring FolderPrefixOf(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/:");
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

// A name no other writer picks: the process, a counter and the clock.
std::wstring TemporaryName() {
  static std::atomic<unsigned> counter{0};
  const unsigned long long mix = (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^
                                 (static_cast<unsigned long long>(counter.fetch_add(1)) << 20) ^ GetTickCount64();
  static const wchar_t kDigits[] = L"0123456789abcdefghijklmnopqrstuv";
  std::wstring name = L".ridloe-";
  for (int i = 0; i < 10; ++i) name += kDigits[(mix >> (5 * i)) & 31];
  return name + L".tmp";
}

bool StartsWithNoCase(const std::wstring& text, std::wstring_view prefix) {
  return text.size() >= prefix.size() &&
         CompareStringOrdinal(text.data(), static_cast<int>(prefix.size()), prefix.data(),
                              static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

// What is at a path the writer is to write.
struct Target {
  TargetState state = TargetState::kMissing;
  std::wstring file;  // the regular file to replace: the path, or the file a link at it names
  std::string kind;   // for kOther: "a folder", "a device", ...
  bool readOnly = false;  // a regular file with the read-only attribute
};

// A link (a reparse point) at `path` itself, whatever it names.
bool IsLink(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The path of an open file as the system names it, links resolved; empty
// when it cannot say.
std::wstring FinalPathOf(HANDLE h) {
  const DWORD n = GetFinalPathNameByHandleW(h, nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0) return {};
  std::wstring path(n, L'\0');
  const DWORD used = GetFinalPathNameByHandleW(h, path.data(), n, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (used == 0 || used >= n) return {};
  path.resize(used);
  return path;
}

// Which of this process's standard streams is the file `identity`, or null
// (standard output appended to a log, say).
const char* OwnStreamOf(const FileIdentity& identity) {
  static const DWORD kStreams[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  static const char* const kNames[] = {"standard input", "standard output", "standard error"};
  for (int i = 0; i < 3; ++i) {
    const HANDLE h = GetStdHandle(kStreams[i]);
    BY_HANDLE_FILE_INFORMATION info;
    if (h && h != INVALID_HANDLE_VALUE && GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
        IdentityFrom(info) == identity) {
      return kNames[i];
    }
  }
  return nullptr;
}

// What is at `path`, looked at through links. Opening asks for no access to
// the contents, so a file others have open is still seen. Devices and pipes
// are told by the name the system gives them (\\.\CON, \\.\pipe\x) and
// not opened: opening a pipe takes an instance of it.
Target InspectTarget(const std::wstring& path) {
  Target target;
  const std::wstring full = FullPath(path);
  if (full.starts_with(L"\\\\.\\")) {
    const std::wstring_view device = std::wstring_view(full).substr(4);
    if (StartsWithNoCase(full, L"\\\\.\\pipe\\")) {
      target.state = TargetState::kOther;
      target.kind = "a pipe";
      return target;
    }
    if (device.find_first_of(L"\\:") == std::wstring_view::npos) {
      target.state = TargetState::kOther;
      target.kind = "a device";
      return target;
    }
  }
  const HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
      if (IsLink(path)) {
        target.state = TargetState::kOther;
        target.kind = "a link to nothing";
      }
      return target;
    }
    // Something is there that cannot be looked at; replacing it is left to
    // the system, which refuses what it must.
    target.state = TargetState::kRegular;
    target.file = path;
    return target;
  }
  HandleCloser closer(h);
  const DWORD type = GetFileType(h);
  BY_HANDLE_FILE_INFORMATION info{};
  if (type == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (const char* stream = OwnStreamOf(IdentityFrom(info))) {
      target.state = TargetState::kOwnStream;
      target.kind = stream;
      return target;
    }
    target.state = TargetState::kRegular;
    target.readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    const std::wstring final = FinalPathOf(h);
    target.file = final.empty() ? path : final;
    return target;
  }
  target.state = TargetState::kOther;
  target.kind = type == FILE_TYPE_DISK   ? "a folder"
                : type == FILE_TYPE_PIPE ? "a pipe"
                : type == FILE_TYPE_CHAR ? "a device"
                                         : "a special file";
  return target;
}

// The first bytes of a file, for a check before it is replaced; false with
// the system's code when it cannot be read.
bool FirstBytes(const std::wstring& path, std::uint8_t* out, std::size_t& size, DWORD& code) {
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    code = GetLastError();
    return false;
  }
  HandleCloser closer(h);
  std::size_t done = 0;
  while (done < size) {
    DWORD n = 0;
    if (!ReadFile(h, out + done, static_cast<DWORD>(size - done), &n, nullptr)) {
      code = GetLastError();
      return false;
    }
    if (n == 0) break;
    done += n;
  }
  size = done;
  return true;
}

// Why what is at `path` may not be written over, as `existing` says; fills
// `target` with what is there.
Refusal<DWORD> CheckTarget(const std::wstring& path, ExistingTarget existing, const ReplaceCheck& mayReplace,
                           Target& target) {
  target = InspectTarget(path);
  return RefusalFor<DWORD>(target.state, target.readOnly, existing, mayReplace,
                           [&](std::uint8_t* first, std::size_t& size, DWORD& code) {
                             return FirstBytes(target.file, first, size, code);
                           });
}

// Marks an open file to go when its last handle closes, or takes the mark
// back; false where the file system cannot.
bool MarkForDeletion(HANDLE h, bool remove) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = remove ? TRUE : FALSE;
  return SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// Named temporary files that a closed console or Ctrl+C must not leave
// behind. The system runs the handler on a thread of its own, then ends the
// process.
std::mutex g_cleanupLock;
std::vector<std::wstring>* g_cleanupPaths = nullptr;

BOOL WINAPI RemoveTemporaryFiles(DWORD) {
  const std::lock_guard<std::mutex> hold(g_cleanupLock);
  if (g_cleanupPaths) {
    for (const std::wstring& path : *g_cleanupPaths) DeleteFileW(path.c_str());
  }
  return FALSE;  // the process then ends as it would have
}

void RegisterForCleanup(const std::wstring& path) {
  const std::lock_guard<std::mutex> hold(g_cleanupLock);
  if (!g_cleanupPaths) {
    g_cleanupPaths = new std::vector<std::wstring>;
    SetConsoleCtrlHandler(RemoveTemporaryFiles, TRUE);
  }
  g_cleanupPaths->push_back(path);
}

void ForgetForCleanup(const std::wstring& path) {
  const std::lock_guard<std::mutex> hold(g_cleanupLock);
  if (!g_cleanupPaths) return;
  const auto found = std::find(g_cleanupPaths->begin(), g_cleanupPaths->end(), path);
  if (found != g_cleanupPaths->end()) g_cleanupPaths->erase(found);
}

}  // namespace

std::wstring FullPath(const std::wstring& wide) {
  const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return wide;
  std::wstring full(n, L'\0');
  const DWORD used = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  if (used == 0 || used >= n) return wide;
  full.resize(used);
  return full;
}

std::string SystemErrorText(int code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out = n && text ? Utf8FromWide(std::wstring_view(text, n)) : std::string();
  LocalFree(text);
  // The system's words end in a full stop and a line end; a reason in a
  // message reads better without them.
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ' || out.back() == '.')) {
    out.pop_back();
  }
  return out.empty() ? "system error " + std::to_string(static_cast<unsigned>(code)) : out;
}

bool PathExists(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return Attributes(path, data);
}

bool IsFolder(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return Attributes(path, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// A handle that only looks at what `path` names (a folder too), sharing
// everything, never following it into a read; INVALID_HANDLE_VALUE when
// nothing can be looked at there.
HANDLE OpenToLookAt(const std::string& path) {
  std::wstring wide;
  if (!SystemPath(path, wide)) return INVALID_HANDLE_VALUE;
  return CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

bool IdentityOf(const std::string& path, FileIdentity& out) {
  const HANDLE h = OpenToLookAt(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  HandleCloser closer(h);
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info)) return false;
  out = IdentityFrom(info);
  return true;
}

bool IsStream(const std::string& path) {
  if (path == "-") return true;
  const HANDLE h = OpenToLookAt(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  HandleCloser closer(h);
  const DWORD type = GetFileType(h);
  return type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR;
}

bool ReadWholeFile(const std::string& path, ByteBlock& buffer, Error* error, const ReadOptions& options) {
  if (error) *error = Error{};
  if (path == "-") return ReadStream(GetStdHandle(STD_INPUT_HANDLE), buffer, error, options);
  std::wstring wide;
  if (!SystemPath(path, wide)) return FailRead(error, Step::kOpen, ERROR_NO_UNICODE_TRANSLATION);
  // A folder holds no bytes: say so at once.
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return FailRead(error, Step::kFolder);
  }
  // Others may read the file while we do, but not write it: a file that
  // another program holds open for writing is not read halfway through.
  const HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    return FailRead(error, code == ERROR_SHARING_VIOLATION ? Step::kBusy : Step::kOpen, code);
  }
  HandleCloser closer(h);
  // Pipes, consoles and devices (NUL, CON, COM1) are streams.
  const DWORD type = GetFileType(h);
  if (type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR) return ReadStream(h, buffer, error, options);
  BY_HANDLE_FILE_INFORMATION info;
  if (type != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info)) return FailRead(error, Step::kNotAFile);
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return FailRead(error, Step::kFolder);
  const unsigned long long size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (size == 0) return FailRead(error, Step::kEmpty);
  if (size > SIZE_MAX) return FailRead(error, Step::kNoMemory);
  HandleSource source(h);
  return ReadSizedFrom(source, static_cast<std::size_t>(size), buffer, error, options);
}

// A console shows text, not a file's bytes; anything else (a file, a pipe,
// NUL) takes them in binary mode, with no line ends added.
bool PrepareStandardOutputForBytes(Error* why) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetFileType(out) == FILE_TYPE_CHAR && GetConsoleMode(out, &mode)) {
    if (why) *why = Error(Step::kTerminal);
    return false;
  }
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
  return true;
}

struct AtomicFileWriter::Handle {
  HANDLE file = INVALID_HANDLE_VALUE;
  std::wstring target;    // the file written: the path, or the file a link at the path names
  std::wstring tempPath;  // the temporary file, beside the target
  bool markedForDeletion = false;
};

bool WriteToHandle(AtomicFileWriter::Handle& handle, const std::uint8_t* data, std::size_t size, int& code) {
  std::size_t done = 0;
  while (done < size) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, kStep));
    if (!WriteFile(handle.file, data + done, want, &n, nullptr) || n == 0) {
      const DWORD why = GetLastError();
      code = static_cast<int>(why ? why : ERROR_DISK_FULL);
      return false;
    }
    done += n;
  }
  return true;
}

// Puts the finished file at the target only while the name is free, in one
// step that fails if anything is there: a hard link, which a link to nothing
// stops too (Wine's rename without the replace flag does not see one; the
// temporary name then goes as the writer is discarded), or, where the file
// system has no hard links (FAT), that rename. 0, or the system's code.
static DWORD AddWithoutReplacing(AtomicFileWriter::Handle& handle) {
  if (CreateHardLinkW(handle.target.c_str(), handle.tempPath.c_str(), nullptr)) return 0;
  const DWORD code = GetLastError();
  if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) return code;
  if (!MoveFileExW(handle.tempPath.c_str(), handle.target.c_str(), MOVEFILE_WRITE_THROUGH)) return GetLastError();
  ForgetForCleanup(handle.tempPath);
  handle.tempPath.clear();
  return 0;
}

AtomicFileWriter::AtomicFileWriter(std::string path, ExistingTarget existing, ReplaceCheck mayReplace)
    : path_(std::move(path)), existing_(existing), mayReplace_(std::move(mayReplace)) {}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Open() {
  Discard();
  committed_ = false;
  failed_ = false;
  error_ = {};
  std::wstring path;
  if (!SystemPath(path_, path)) return Fail(Step::kCreate, ERROR_NO_UNICODE_TRANSLATION);
  Target target;
  if (const Refusal<DWORD> no = CheckTarget(path, existing_, mayReplace_, target); no.step != Step::kNone) {
    return Fail(no.step, static_cast<int>(no.code), target.kind);
  }
  handle_ = std::make_unique<Handle>();
  handle_->target = target.state == TargetState::kRegular ? target.file : path;
  // A short name in the target's folder, so that a target whose name is near
  // the length limit can still be written and the rename stays on one
  // volume. Nobody else may open it while it is written, but it may be
  // renamed (by the rename that puts it in place). It has the attributes of
  // any new file: the rename keeps them, and the output must not be hidden.
  const std::wstring folder = FolderPrefixOf(handle_->target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    handle_->tempPath = Extended(folder + TemporaryName());
    handle_->file = CreateFileW(handle_->tempPath.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_->file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (handle_->file == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    handle_->tempPath.clear();
    return Fail(code == ERROR_PATH_NOT_FOUND ? Step::kNoFolder : Step::kCreate,
                static_cast<int>(code));
  }
  // Until Commit the file goes with its last handle, however the process
  // ends; where the file system cannot do that, a closed console or Ctrl+C
  // still removes it.
  handle_->markedForDeletion = MarkForDeletion(handle_->file, true);
  if (!handle_->markedForDeletion) RegisterForCleanup(handle_->tempPath);
  pendingSize_ = 0;
  return true;
}

bool AtomicFileWriter::Commit() {
  if (!Flush()) return false;
  if (!FlushFileBuffers(handle_->file)) return Fail(Step::kWrite, static_cast<int>(GetLastError()));
  // Whatever took the target's place since Open is looked at again; where
  // nothing is seen, the file is added only if the name is still free.
  bool replace = false;
  if (existing_ == ExistingTarget::kReplace) {
    Target now;
    if (const Refusal<DWORD> no = CheckTarget(handle_->target, existing_, mayReplace_, now);
        no.step != Step::kNone) {
      return Fail(no.step, static_cast<int>(no.code), now.kind);
    }
    replace = now.state == TargetState::kRegular;
  }
  // From here to the rename, a closed console or Ctrl+C removes the file by
  // its name.
  if (handle_->markedForDeletion) {
    RegisterForCleanup(handle_->tempPath);
    if (!MarkForDeletion(handle_->file, false)) return Fail(Step::kReplace, static_cast<int>(GetLastError()));
    handle_->markedForDeletion = false;
  }
  // The file's identity is taken before it is put in place, which keeps the
  // file and its volume: Wine cannot tell the volume of a handle whose file
  // was renamed since it was opened.
  BY_HANDLE_FILE_INFORMATION info;
  const bool identified = GetFileInformationByHandle(handle_->file, &info) != 0;
  if (replace) {
    // The rename returns only once it is on disk.
    if (!MoveFileExW(handle_->tempPath.c_str(), handle_->target.c_str(),
                     MOVEFILE_WRITE_THROUGH | MOVEFILE_REPLACE_EXISTING)) {
      return Fail(Step::kReplace, static_cast<int>(GetLastError()));
    }
    ForgetForCleanup(handle_->tempPath);
    handle_->tempPath.clear();
  } else if (const DWORD code = AddWithoutReplacing(*handle_); code != 0) {
    if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) return Fail(Step::kReplace, static_cast<int>(code));
    // The name is taken. By what cannot be looked at at all, it is a link to
    // nothing (which Wine shows as no file); anything else is refused as what
    // it is, and a file made meanwhile is kept, even with --force: it was not
    // there to be checked.
    Target now;
    const Refusal<DWORD> no = CheckTarget(handle_->target, ExistingTarget::kKeep, mayReplace_, now);
    if (now.state == TargetState::kMissing) return Fail(Step::kNotRegular, 0, "a link to nothing");
    return Fail(no.step, static_cast<int>(no.code), now.kind);
  }
  if (identified) written_ = IdentityFrom(info);
  const HANDLE file = std::exchange(handle_->file, INVALID_HANDLE_VALUE);
  if (!CloseHandle(file)) return Fail(Step::kWrite, static_cast<int>(GetLastError()));
  Discard();  // a temporary name left beside a hard link goes
  committed_ = true;
  return true;
}

void AtomicFileWriter::Discard() {
  if (handle_) {
    // A file still marked goes as its handle closes; one no longer marked
    // is removed by name.
    if (handle_->file != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(handle_->file, INVALID_HANDLE_VALUE));
    if (!handle_->tempPath.empty()) {
      if (!handle_->markedForDeletion) DeleteFileW(handle_->tempPath.c_str());
      ForgetForCleanup(handle_->tempPath);
    }
    handle_.reset();
  }
  pending_.reset();
  pendingSize_ = 0;
}

}  // namespace ridloe
