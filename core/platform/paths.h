// Paths split the way this system splits them.
#pragma once

#include <string>
#include <string_view>

namespace ridloe {

struct PathParts {
  std::string drive;      // "C:" where the system has drives, else empty
  std::string directory;  // up to and including the last separator
  std::string baseName;   // the file name without its extension
  std::string extension;  // from the last dot of the file name, dot included, or empty
};

// Fills the base name and the extension of `parts` from a file name that
// holds no separator: the extension begins at its last dot.
inline void SplitFileName(std::string_view name, PathParts& parts) {
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) {
    parts.extension = std::string(name.substr(dot));
    name = name.substr(0, dot);
  }
  parts.baseName = std::string(name);
}

// Splits at this system's own separators: '/' on POSIX systems; '\' and '/'
// after an optional drive letter and colon on Windows.
PathParts SplitPath(std::string_view path);

// `path` made absolute against the current folder, as the system resolves
// it; the path as given when the system cannot.
std::string AbsolutePath(const std::string& path);

}  // namespace ridloe
