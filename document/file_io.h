// The file layer: whole-file reads into one owned buffer, and writes that
// replace a file only once every byte is safely on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace ridloe {

// An owned, zero-filled byte block. Large blocks come straight from the
// kernel on 2 MiB pages where it offers them, since touching fresh 4 KiB pages
// one by one costs far more than reading the file.
class ByteBlock {
 public:
  ByteBlock() = default;
  ByteBlock(ByteBlock&& other) noexcept;
  ByteBlock& operator=(ByteBlock&& other) noexcept;
  ByteBlock(const ByteBlock&) = delete;
  ByteBlock& operator=(const ByteBlock&) = delete;
  ~ByteBlock();

  // Replaces the contents by `size` zero bytes; false when memory is short.
  bool Allocate(std::size_t size);
  void Release();

  std::uint8_t* data() { return data_; }
  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t mapped_ = 0;  // non-zero when the block is a private mapping
};


// Why a whole-file read failed, for messages.
enum class ReadFailure { kNone, kOpen, kBusy, kNotAFile, kEmpty, kNoMemory, kRead, kShortRead };
const char* DescribeReadFailure(ReadFailure failure);

// Reads one whole file. Fails for a missing, unreadable or empty file, one that
// another writer holds locked, and one whose bytes cannot all be read (a file
// that shrinks while being read included). "-" reads standard input.
bool ReadWholeFile(const std::string& path, ByteBlock& buffer, ReadFailure* failure = nullptr);

// Writes a file through a temporary file in the same folder, renamed over the
// target only after every byte is written and flushed. Until Commit succeeds
// an existing target keeps its old bytes; a writer that is destroyed without
// a successful Commit removes its temporary file.
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

 private:
  bool Flush();
  void Discard();

  std::string path_;
  std::string tempPath_;
  int fd_ = -1;
  bool failed_ = false;
  std::unique_ptr<std::uint8_t[]> pending_;
  std::size_t pendingSize_ = 0;
};

}  // namespace ridloe
