// Standard output as the destination of a file's bytes.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/platform/file_access.h"

namespace ridloe {

bool StandardOutputWriter::Fail(Step failure, int code) {
  // The C library's errno, in the C library's words on every system.
  if (!failed_) error_ = Error(failure, code ? std::strerror(code) : std::string());
  failed_ = true;
  return false;
}

bool StandardOutputWriter::Open() {
  failed_ = false;
  error_ = {};
  if (!PrepareStandardOutputForBytes(&error_)) failed_ = true;
  return !failed_;
}

bool StandardOutputWriter::Write(const void* data, std::size_t size) {
  if (failed_) return false;
  errno = 0;
  if (std::fwrite(data, 1, size, stdout) != size) return Fail(Step::kWrite, errno);
  return true;
}

bool StandardOutputWriter::Commit() {
  if (failed_) return false;
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) return Fail(Step::kWrite, errno);
  return true;
}

}  // namespace ridloe
