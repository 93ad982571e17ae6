#include "formats/gpx/text_store.h"

namespace ridloe {

void PutText(std::string& store, std::string_view text) {
  std::size_t n = text.size();
  do {
    const auto group = static_cast<char>(n & 0x7F);
    n >>= 7;
    store.push_back(n ? static_cast<char>(group | 0x80) : group);
  } while (n);
  store.append(text);
}

std::string_view TakeText(std::string_view store, std::size_t& at) {
  std::size_t n = 0;
  for (int shift = 0;; shift += 7) {
    const auto group = static_cast<unsigned char>(store[at++]);
    n |= static_cast<std::size_t>(group & 0x7F) << shift;
    if (!(group & 0x80)) break;
  }
  const std::string_view text = store.substr(at, n);
  at += n;
  return text;
}

}  // namespace ridloe
