#include "core/platform/paths.h"

#include <filesystem>
#include <system_error>

namespace ridloe {

// A backslash and a colon are ordinary characters in a POSIX file name.
PathParts SplitPath(std::string_view path) {
  PathParts parts;
  const std::size_t slash = path.rfind('/');
  if (slash != std::string_view::npos) {
    parts.directory = std::string(path.substr(0, slash + 1));
    path.remove_prefix(slash + 1);
  }
  SplitFileName(path, parts);
  return parts;
}

std::string AbsolutePath(const std::string& path) {
  std::error_code failed;
  const std::filesystem::path absolute = std::filesystem::absolute(path, failed);
  return failed ? path : absolute.string();
}

}  // namespace ridloe
