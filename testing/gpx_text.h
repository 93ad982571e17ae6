// GPX documents around a few elements, for tests and fuzz seeds.
#pragma once

#include <string>

#include "testing/mps_builder.h"

namespace ridloe::testing {

// A GPX 1.1 document holding `body`.
inline std::string GpxText(const std::string& body,
                           const std::string& root = "<gpx version=\"1.1\" creator=\"test\" "
                                                     "xmlns=\"http://www.topografix.com/GPX/1/1\">") {
  const std::size_t space = root.find_first_of(" >");
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + root + "\n" + body + "\n</" + root.substr(1, space - 1) + ">\n";
}

inline Bytes AsBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

}  // namespace ridloe::testing
