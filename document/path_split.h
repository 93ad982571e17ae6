// Splits a path into drive, folder, base name and extension the way the
// Windows runtime does: both '\' and '/' separate folders, a drive is a letter
// and a colon at the start, and the extension begins at the last dot of the
// last path element.
#pragma once

#include <string>
#include <string_view>

namespace ridloe {

struct PathParts {
  std::string drive;      // "C:" or empty
  std::string directory;  // up to and including the last separator
  std::string baseName;   // the file name without its extension
  std::string extension;  // from the last dot, dot included, or empty
};

inline PathParts SplitPath(std::string_view path) {
  PathParts parts;
  if (path.size() >= 2 && path[1] == ':') {
    parts.drive = std::string(path.substr(0, 2));
    path.remove_prefix(2);
  }
  const std::size_t slash = path.find_last_of("\\/");
  if (slash != std::string_view::npos) {
    parts.directory = std::string(path.substr(0, slash + 1));
    path.remove_prefix(slash + 1);
  }
  const std::size_t dot = path.rfind('.');
  if (dot != std::string_view::npos) {
    parts.extension = std::string(path.substr(dot));
    path = path.substr(0, dot);
  }
  parts.baseName = std::string(path);
  return parts;
}

}  // namespace ridloe
