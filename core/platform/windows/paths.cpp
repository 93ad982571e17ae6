#include "core/platform/paths.h"

#include "core/platform/windows/unicode.h"

namespace ridloe {

// As the runtime's _splitpath divides a path: an optional drive letter and
// colon, then folders up to the last '\' or '/'.
PathParts SplitPath(std::string_view path) {
  PathParts parts;
  if (path.size() >= 2 && path[1] == ':' &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
    parts.drive = std::string(path.substr(0, 2));
    path.remove_prefix(2);
  }
  const std::size_t separator = path.find_last_of("\\/");
  if (separator != std::string_view::npos) {
    parts.directory = std::string(path.substr(0, separator + 1));
    path.remove_prefix(separator + 1);
  }
  SplitFileName(path, parts);
  return parts;
}

std::string AbsolutePath(const std::string& path) { return Utf8FromWide(FullPath(WideFromUtf8(path))); }

}  // namespace ridloe
