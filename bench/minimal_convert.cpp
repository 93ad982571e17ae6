// The least a conversion has to do, for comparison with ridloe-cli: map the
// MPS file, walk its waypoint run, and write the WTR bytes through a 1 MiB
// buffer. It trusts its input (no checks beyond the record lengths), reads no
// tracks and translates no names. By default it writes as safely as
// ridloe-cli does (a temporary file, flushed to disk, renamed into place);
// with --no-sync it writes the target directly and never flushes.
// Usage: minimal_convert [--no-sync] IN.mps OUT.wtr
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

class Output {
 public:
  explicit Output(int fd) : fd_(fd) {}
  bool Put(const void* bytes, std::size_t n) {
    if (used_ + n > sizeof buffer_ && !Flush()) return false;
    std::memcpy(buffer_ + used_, bytes, n);
    used_ += n;
    return true;
  }
  bool Flush() {
    for (std::size_t done = 0; done < used_;) {
      const ssize_t n = ::write(fd_, buffer_ + done, used_ - done);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    used_ = 0;
    return true;
  }

 private:
  int fd_;
  std::size_t used_ = 0;
  std::uint8_t buffer_[1 << 20];
};

Output* output = nullptr;

bool Block(const char* marker) {
  std::uint8_t block[16] = {};
  std::memcpy(block, marker, 5);
  return output->Put(block, sizeof block);
}

}  // namespace

int main(int argc, char** argv) {
  const bool sync = !(argc == 4 && std::strcmp(argv[1], "--no-sync") == 0);
  if (argc != (sync ? 3 : 4)) {
    std::fprintf(stderr, "usage: minimal_convert [--no-sync] IN.mps OUT.wtr\n");
    return 2;
  }
  const std::string in = argv[argc - 2], out = argv[argc - 1];
  const int fd = ::open(in.c_str(), O_RDONLY);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) return 1;
  const auto size = static_cast<std::size_t>(st.st_size);
  void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
  ::close(fd);
  if (mapped == MAP_FAILED) return 1;
  const auto* data = static_cast<const std::uint8_t*>(mapped);

  const std::string target = sync ? out + ".minimal-tmp" : out;
  const int ofd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (ofd < 0) return 1;
  static Output sink(ofd);
  output = &sink;
  if (!Block("\xFFWpt\xFF")) return 1;

  std::size_t at = 6;
  for (int header = 0; header < 2; ++header) at += 5 + U32(data + at);
  while (at + 5 <= size && data[at + 4] == 'W') {
    const std::uint8_t* p = data + at + 5;
    const std::uint32_t length = U32(data + at);
    at += 5 + length;
    const std::size_t name = ::strnlen(reinterpret_cast<const char*>(p), length);
    const std::uint8_t* position = p + name + 1 + (p[name + 1 + 4] == 0x20 ? 29 : 27);
    const std::uint8_t* comment = position + 17;
    const std::uint8_t* tail = comment + std::strlen(reinterpret_cast<const char*>(comment)) + 1;
    std::uint8_t record[64] = {};
    const std::size_t keep = name < 10 ? name : 10;
    std::memcpy(record, p, keep);
    std::memset(record + keep, ' ', 10 - keep);
    std::memcpy(record + 20, position, 8);
    double altitude;
    std::memcpy(&altitude, position + 9, 8);
    const float narrow = static_cast<float>(altitude);
    std::memcpy(record + 28, &narrow, 4);
    const unsigned symbol = tail[17] | (tail[18] << 8);
    const std::uint16_t wtr = symbol == 106 ? 8246 : symbol == 48 ? 161 : 18;
    std::memcpy(record + 40, &wtr, 2);
    if (!output->Put(record, sizeof record)) return 1;
  }
  if (!Block("\xFFTrk\xFF") || !Block("\xFFRte\xFF") || !output->Flush()) return 1;
  if (sync && (::fsync(ofd) != 0 || ::rename(target.c_str(), out.c_str()) != 0)) return 1;
  return ::close(ofd) == 0 ? 0 : 1;
}
