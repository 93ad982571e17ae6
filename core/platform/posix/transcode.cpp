#include "core/platform/transcode.h"

#include <iconv.h>

#include <cerrno>

namespace ridloe {

bool TranscodeToUtf8(std::string_view bytes, const char* encoding, std::string& out) {
  iconv_t cd = iconv_open("UTF-8", encoding);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.reserve(out.size() + bytes.size() * 3 / 2 + 4);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char chunk[256];
  while (inLeft > 0) {
    char* dst = chunk;
    std::size_t dstLeft = sizeof chunk;
    const std::size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.append(chunk, static_cast<std::size_t>(dst - chunk));
    if (r != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: one byte that does not decode (or a lead byte cut
    // off at the end). Show a replacement and resume after it.
    out += "\xEF\xBF\xBD";
    ++in;
    --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return true;
}

}  // namespace ridloe
