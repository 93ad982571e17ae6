// Platform file access: whole-file and stream reads into one owned buffer,
// and writes that replace a file only once every byte is safely on disk.
// Each platform implements this header in one source file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/bytes/byte_block.h"

namespace ridloe {

// Why a whole-file read failed.
enum class ReadFailure { kNone, kOpen, kBusy, kNotAFile, kEmpty, kNoMemory, kRead, kShortRead };
const char* DescribeReadFailure(ReadFailure failure);

struct ReadError {
  ReadFailure failure = ReadFailure::kNone;
  std::string reason;  // the system's words ("Permission denied"), when it gave any
};

// Reads one whole file. Fails for a missing, unreadable or empty file, one that
// another writer holds locked, and one whose bytes cannot all be read (a file
// that shrinks while being read included). "-" reads standard input.
bool ReadWholeFile(const std::string& path, ByteBlock& buffer, ReadError* error = nullptr);

// Whether anything exists at `path` (a dangling link counts).
bool PathExists(const std::string& path);
// Whether `path` names a folder (through links).
bool IsFolder(const std::string& path);
// Whether both paths name one existing file.
bool SameFile(const std::string& a, const std::string& b);

// The system's words for one of its error codes.
std::string SystemErrorText(int code);

// Why a write failed: the step ("cannot write") and the system's reason
// ("No space left on device"), when it gave one.
struct WriteError {
  std::string step;
  std::string reason;
  // The system's reason where there is one, else the step.
  const std::string& Describe() const { return reason.empty() ? step : reason; }
};

// Writes a file through a temporary file in the same folder, which replaces
// the target only after every byte is written and flushed. Until Commit
// succeeds an existing target keeps its old bytes; a writer that is destroyed
// without a successful Commit removes its temporary file.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::string path);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  bool Open();
  // Buffers and writes; false once any write has come up short.
  bool Write(const void* data, std::size_t size);
  bool Commit();

  // Why the first failure happened.
  const WriteError& error() const { return error_; }

  struct Handle;

 private:
  bool Fail(const char* step, int code);
  bool Flush();
  void Discard();

  std::string path_;
  std::unique_ptr<Handle> handle_;
  bool failed_ = false;
  std::unique_ptr<std::uint8_t[]> pending_;
  std::size_t pendingSize_ = 0;
  WriteError error_;
};

}  // namespace ridloe
