// File access on Windows. Paths are UTF-8 inside the program and UTF-16 at
// the system's API; a path too long for the classic limit is passed in its
// extended form (\\?\), so deep folders work too.
#include "core/platform/file_access.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#include "core/platform/windows/unicode.h"
#include "core/platform/writer_handle.h"

namespace ridloe {
namespace {

// Paths at least this long are given to the system in the extended form.
constexpr std::size_t kClassicPathLimit = 240;

// The system's form of a UTF-8 path; false when the bytes are not UTF-8.
bool SystemPath(const std::string& path, std::wstring& wide) {
  if (path.empty() || !WideFromUtf8(path, wide)) return false;
  if (wide.size() < kClassicPathLimit || wide.starts_with(L"\\\\?\\")) return true;
  const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return true;
  std::wstring full(n, L'\0');
  const DWORD used = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  if (used == 0 || used >= n) return true;
  full.resize(used);
  wide = full.starts_with(L"\\\\") ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
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

bool Fail(ReadError* out, ReadFailure why, DWORD code = 0) {
  if (out) {
    out->failure = why;
    out->reason = code ? SystemErrorText(static_cast<int>(code)) : std::string();
  }
  return false;
}

// One ReadFile call takes at most this many bytes.
constexpr DWORD kReadStep = DWORD{1} << 30;

// Reads until `size` bytes are in; false at an early end.
bool ReadFully(HANDLE h, std::uint8_t* out, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, kReadStep));
    if (!ReadFile(h, out + done, want, &n, nullptr) || n == 0) return false;
    done += n;
  }
  return true;
}

// Standard input has no size up front: read it in growing steps. A pipe
// whose writer has gone ends the stream as an end of file does.
bool ReadStream(HANDLE h, ByteBlock& buffer, ReadError* error) {
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return Fail(error, ReadFailure::kEmpty);
  ByteBlock block;
  std::size_t used = 0;
  for (;;) {
    if (used == block.size()) {
      ByteBlock bigger;
      if (!bigger.Allocate(block.size() < 65536 ? 65536 : block.size() * 2)) return Fail(error, ReadFailure::kNoMemory);
      if (used) std::memcpy(bigger.data(), block.data(), used);
      block = std::move(bigger);
    }
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(block.size() - used, kReadStep));
    if (!ReadFile(h, block.data() + used, want, &n, nullptr)) {
      const DWORD code = GetLastError();
      if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF) break;
      return Fail(error, ReadFailure::kRead, code);
    }
    if (n == 0) break;
    used += n;
  }
  if (used == 0) return Fail(error, ReadFailure::kEmpty);
  ByteBlock exact;
  if (!exact.Allocate(used)) return Fail(error, ReadFailure::kNoMemory);
  std::memcpy(exact.data(), block.data(), used);
  buffer = std::move(exact);
  return true;
}

bool Attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  std::wstring wide;
  return SystemPath(path, wide) && GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data);
}

// The folder part of a path, with its separator, or empty for a bare name.
std::string FolderPrefixOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/:");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// A name no other writer picks: the process, a counter and the clock.
std::string TemporaryName() {
  static std::atomic<unsigned> counter{0};
  const unsigned long long mix = (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^
                                 (static_cast<unsigned long long>(counter.fetch_add(1)) << 20) ^ GetTickCount64();
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuv";
  std::string name = ".ridloe-";
  for (int i = 0; i < 10; ++i) name += kDigits[(mix >> (5 * i)) & 31];
  return name + ".tmp";
}

}  // namespace

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

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION info[2];
  const std::string* paths[2] = {&a, &b};
  for (int i = 0; i < 2; ++i) {
    std::wstring wide;
    if (!SystemPath(*paths[i], wide)) return false;
    const HANDLE h = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    HandleCloser closer(h);
    if (!GetFileInformationByHandle(h, &info[i])) return false;
  }
  return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

bool ReadWholeFile(const std::string& path, ByteBlock& buffer, ReadError* error) {
  if (error) *error = ReadError{};
  if (path == "-") return ReadStream(GetStdHandle(STD_INPUT_HANDLE), buffer, error);
  std::wstring wide;
  if (!SystemPath(path, wide)) return Fail(error, ReadFailure::kOpen, ERROR_NO_UNICODE_TRANSLATION);
  // Others may read the file while we do, but not write it: a file that
  // another program holds open for writing is not read halfway through.
  const HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    return Fail(error, code == ERROR_SHARING_VIOLATION ? ReadFailure::kBusy : ReadFailure::kOpen, code);
  }
  HandleCloser closer(h);
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return Fail(error, ReadFailure::kNotAFile);
  }
  const unsigned long long size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (size == 0) return Fail(error, ReadFailure::kEmpty);
  if (size > SIZE_MAX) return Fail(error, ReadFailure::kNoMemory);
  ByteBlock block;
  if (!block.Allocate(static_cast<std::size_t>(size))) return Fail(error, ReadFailure::kNoMemory);
  if (!ReadFully(h, block.data(), block.size())) return Fail(error, ReadFailure::kShortRead, GetLastError());
  buffer = std::move(block);
  return true;
}

struct AtomicFileWriter::Handle {
  HANDLE file = INVALID_HANDLE_VALUE;
  std::wstring tempPath;
};

bool WriteToHandle(AtomicFileWriter::Handle& handle, const std::uint8_t* data, std::size_t size, int& code) {
  std::size_t done = 0;
  while (done < size) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, kReadStep));
    if (!WriteFile(handle.file, data + done, want, &n, nullptr) || n == 0) {
      const DWORD why = GetLastError();
      code = static_cast<int>(why ? why : ERROR_DISK_FULL);
      return false;
    }
    done += n;
  }
  return true;
}

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)) {}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Open() {
  Discard();
  failed_ = false;
  error_ = {};
  std::wstring target;
  if (!SystemPath(path_, target)) return Fail("cannot create a file in the folder", ERROR_NO_UNICODE_TRANSLATION);
  handle_ = std::make_unique<Handle>();
  // A short name in the target's folder, so that a target whose name is near
  // the length limit can still be written and the rename stays on one volume.
  // Nobody else may open it while it is being written.
  for (int attempt = 0; attempt < 100; ++attempt) {
    SystemPath(FolderPrefixOf(path_) + TemporaryName(), handle_->tempPath);
    handle_->file = CreateFileW(handle_->tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_->file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (handle_->file == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    handle_.reset();
    return Fail("cannot create a file in the folder", static_cast<int>(code));
  }
  pendingSize_ = 0;
  return true;
}

bool AtomicFileWriter::Commit() {
  if (!Flush()) {
    Discard();
    return false;
  }
  if (!FlushFileBuffers(handle_->file)) {
    Fail("cannot flush", static_cast<int>(GetLastError()));
    Discard();
    return false;
  }
  if (!CloseHandle(std::exchange(handle_->file, INVALID_HANDLE_VALUE))) {
    Fail("cannot write", static_cast<int>(GetLastError()));
    Discard();
    return false;
  }
  // The rename replaces the target in one step, and returns only once it is
  // on disk.
  std::wstring target;
  SystemPath(path_, target);
  if (!MoveFileExW(handle_->tempPath.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Fail("cannot replace", static_cast<int>(GetLastError()));
    Discard();
    return false;
  }
  handle_->tempPath.clear();
  Discard();
  return true;
}

void AtomicFileWriter::Discard() {
  if (handle_) {
    if (handle_->file != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(handle_->file, INVALID_HANDLE_VALUE));
    if (!handle_->tempPath.empty()) DeleteFileW(handle_->tempPath.c_str());
    handle_.reset();
  }
  pending_.reset();
  pendingSize_ = 0;
}

}  // namespace ridloe
