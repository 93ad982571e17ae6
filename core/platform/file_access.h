// Platform file access: whole-file and stream reads into one owned buffer,
// and writes that replace a file only once every byte is safely on disk.
// Each platform implements this header in its own folder; what a file's
// identity tells (same_file.cpp) and the buffering half of the writer
// (atomic_file_writer.cpp) are shared, and a failure is an Error
// (core/error/error.h), which says it in words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/bytes/byte_block.h"
#include "core/bytes/byte_sink.h"
#include "core/error/error.h"

namespace ridloe {

// A read that fails says why with one of the read steps of Step (kOpen to
// kUnrecognised), the system's words in `reason`, and for kTooLong the
// stream limit in `limit`.

// The most bytes read from a stream (standard input, a pipe, a FIFO, a
// device), whose size nobody knows before its end: 2 GiB.
inline constexpr std::size_t kStreamLimit = std::size_t{2} << 30;

struct ReadOptions {
  // A stream longer than this fails with kTooLong once it is passed.
  std::size_t streamLimit = kStreamLimit;
  // When set, it sees the first `prefixSize` bytes as soon as they are in
  // (a file shorter than that is read whole without it). When it refuses
  // them, the read stops there and fails with kUnrecognised, and `buffer`
  // holds just those bytes, for the caller to say what they are.
  std::size_t prefixSize = 0;
  std::function<bool(ByteSpan prefix)> acceptsPrefix;
  // When set, it sees the bytes read so far each time more are in (a file
  // of known size: every `watchStep` bytes; a stream: every read), with the
  // most the read will take (the file's size, or the stream limit). When it
  // returns false the read stops there and succeeds with the bytes read so
  // far: they already tell what the file is, or what is wrong with it.
  std::function<bool(ByteSpan soFar, std::size_t most)> watch;
  std::size_t watchStep = std::size_t{4} << 20;
};

// Reads one whole file. A regular file is read at the size it has; pipes,
// FIFOs and devices are read as streams up to their end (a FIFO waits for
// its writer, as any reader of one does). Fails for a missing, unreadable
// or empty file, a folder or socket, one that another writer holds locked,
// and one whose bytes cannot all be read (a file that shrinks while being
// read included). "-" reads standard input as a stream.
bool ReadWholeFile(const std::string& path, ByteBlock& buffer, Error* error = nullptr,
                   const ReadOptions& options = {});

// Whether anything exists at `path` (a dangling link counts).
bool PathExists(const std::string& path);
// Whether `path` names a folder (through links).
bool IsFolder(const std::string& path);
// What tells one file from another on its system: the device and inode
// numbers on POSIX systems, the volume serial number and file index on
// Windows. Every name of one file (a link, another spelling of its folder,
// another case on a file system blind to case) gives the same identity.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
// The identity of the file `path` names, through links; false when nothing
// is there to tell.
bool IdentityOf(const std::string& path, FileIdentity& out);
// Whether both paths name one existing file.
bool SameFile(const std::string& a, const std::string& b);
// Whether `path` is read as a stream: standard input ("-"), a pipe, a FIFO
// or a device. A stream has no folder to write an output beside.
bool IsStream(const std::string& path);

// The system's words for one of its error codes.
std::string SystemErrorText(int code);

// A write that fails says why with one of the write steps of Step (kExists
// to kTerminal), the system's words in `reason`, and for kNotRegular and
// kOwnStream what the target is in `subject` ("a folder", "standard output").

// A destination for a file's bytes: a file written whole or not at all, or
// standard output. Open, then Write any number of times, then Commit.
class OutputFile : public ByteSink {
 public:
  virtual bool Open() = 0;
  virtual bool Commit() = 0;
  // Why the first failure happened.
  virtual const Error& error() const = 0;
  // After a Commit that succeeded: the identity of the file written; false
  // where the destination is no file of its own (standard output).
  virtual bool WrittenIdentity(FileIdentity&) const { return false; }
};

// What an AtomicFileWriter does with a file already at its path.
enum class ExistingTarget {
  // A regular file is replaced, unless it is read-only; through a link to
  // one, the file it names is replaced in its own folder and the link stays.
  // Anything else (a folder, a device, a FIFO, a socket, a link to nothing)
  // is refused at Open.
  kReplace,
  // Whatever is there is kept: Open fails when anything exists, and Commit
  // puts the new file in place only when the name is still free, in one step
  // that fails if the target exists (where the file system offers no such
  // step, Commit fails with kNoSafeKeep rather than risk replacing a file).
  kKeep,
};

// Whether an existing target whose first bytes (up to 64) are `firstBytes`
// may be replaced.
using ReplaceCheck = std::function<bool(ByteSpan firstBytes)>;

// Writes a file through a temporary file in the target's folder, which takes
// the target's name only after every byte is written and flushed. Until
// Commit succeeds an existing target keeps its old bytes. The temporary file
// has no name where the system offers that; a named one is removed by a
// writer destroyed without a successful Commit, after every failure, and
// (where the system has signals) when the process is ended by a signal it
// can catch.
class AtomicFileWriter final : public OutputFile {
 public:
  explicit AtomicFileWriter(std::string path, ExistingTarget existing = ExistingTarget::kReplace,
                            ReplaceCheck mayReplace = {});
  ~AtomicFileWriter() override;
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Checks the target as above, then makes the temporary file.
  bool Open() override;
  // Buffers and writes; false once any write has come up short.
  bool Write(const void* data, std::size_t size) override;
  // Flushes, checks the target again, and puts the file in place.
  bool Commit() override;
  const Error& error() const override { return error_; }
  bool WrittenIdentity(FileIdentity& out) const override {
    out = written_;
    return committed_;
  }

  struct Handle;

 private:
  bool Fail(Step failure, int code, std::string kind = {});
  bool Flush();
  void Discard();

  std::string path_;
  ExistingTarget existing_;
  ReplaceCheck mayReplace_;
  std::unique_ptr<Handle> handle_;
  bool failed_ = false;
  std::unique_ptr<std::uint8_t[]> pending_;
  std::size_t pendingSize_ = 0;
  Error error_;
  FileIdentity written_;
  bool committed_ = false;
};

// Standard output as a destination for a file's bytes (written as they are,
// in binary mode where the system has another). Open refuses a terminal.
class StandardOutputWriter final : public OutputFile {
 public:
  bool Open() override;
  bool Write(const void* data, std::size_t size) override;
  bool Commit() override;
  const Error& error() const override { return error_; }

 private:
  bool Fail(Step failure, int code);
  Error error_;
  bool failed_ = false;
};

// False, with `why` set, when standard output is a terminal; otherwise puts
// it in binary mode where the system distinguishes one.
bool PrepareStandardOutputForBytes(Error* why);

}  // namespace ridloe
