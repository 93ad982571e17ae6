// A receiver of the text lines a load reports, one per waypoint or track.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ridloe {

class ListSink {
 public:
  virtual ~ListSink() = default;
  // Lines arrive in file order; each is appended at the end.
  virtual void AddLine(std::string_view line) = 0;
  // Called before the first line when the lines are UTF-8, not 8-bit text in
  // the code page of the file's names (see GpsDocument::TextIsUtf8).
  virtual void LinesAreUtf8() {}
};

// Keeps the lines in memory; used by the command-line tool and the tests.
class VectorListSink final : public ListSink {
 public:
  void AddLine(std::string_view line) override { lines.emplace_back(line); }
  std::vector<std::string> lines;
};

}  // namespace ridloe
