#include "core/platform/transcode.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace ridloe {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Opening a converter reads the system's tables, which costs far more than
// converting one name; a load converts a million. So each thread keeps the
// converter it used last in each direction open.
class CachedConverter {
 public:
  CachedConverter() = default;
  CachedConverter(const CachedConverter&) = delete;
  CachedConverter& operator=(const CachedConverter&) = delete;
  ~CachedConverter() { Close(); }

  // A converter from `from` to `to` in its initial state, or kNoConverter.
  iconv_t Get(const char* to, const char* from) {
    if (cd_ != kNoConverter && to_ == to && from_ == from) {
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      return cd_;
    }
    Close();
    cd_ = iconv_open(to, from);
    if (cd_ != kNoConverter) {
      to_ = to;
      from_ = from;
    }
    return cd_;
  }

 private:
  void Close() {
    if (cd_ != kNoConverter) iconv_close(cd_);
    cd_ = kNoConverter;
  }

  iconv_t cd_ = kNoConverter;
  std::string to_, from_;
};

thread_local CachedConverter toUtf8;
thread_local CachedConverter fromUtf8;

// Converts `text` through `cd` into `out`; at a sequence that does not
// convert, appends `replacement`, skips what `skip` says and goes on.
template <typename Skip>
std::size_t Convert(iconv_t cd, std::string_view text, std::string& out, std::string_view replacement, Skip skip) {
  std::size_t replaced = 0;
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char chunk[256];
  while (inLeft > 0) {
    char* dst = chunk;
    std::size_t dstLeft = sizeof chunk;
    const std::size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.append(chunk, static_cast<std::size_t>(dst - chunk));
    if (r != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: a sequence that does not convert, or one cut off at
    // the end.
    out += replacement;
    ++replaced;
    const std::size_t n = skip(in, inLeft);
    in += n;
    inLeft -= n;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  // A stateful encoding returns to its initial state at the end.
  char* dst = chunk;
  std::size_t dstLeft = sizeof chunk;
  iconv(cd, nullptr, nullptr, &dst, &dstLeft);
  out.append(chunk, static_cast<std::size_t>(dst - chunk));
  return replaced;
}

}  // namespace

// The decoder keeps a converter of its own: the cached ones serve the
// conversions of whole texts that run meanwhile.
CharacterDecoder::CharacterDecoder(const char* encoding) {
  const iconv_t cd = iconv_open("UTF-32LE", encoding);
  if (cd != kNoConverter) state_ = cd;
}

CharacterDecoder::~CharacterDecoder() {
  if (state_) iconv_close(static_cast<iconv_t>(state_));
}

bool CharacterDecoder::known() const { return state_ != nullptr; }

CharacterDecoder::Read CharacterDecoder::Decode(std::string_view bytes, char32_t& character) {
  if (!state_ || bytes.empty()) return Read::kNone;
  const auto cd = static_cast<iconv_t>(state_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  unsigned char out[16];
  char* dst = reinterpret_cast<char*>(out);
  std::size_t dstLeft = sizeof out;
  const std::size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
  if (r == static_cast<std::size_t>(-1)) return errno == EINVAL ? Read::kCutShort : Read::kNone;
  // One character, and not a shift of state that makes none (or two).
  if (sizeof out - dstLeft != 4) return Read::kNone;
  character = static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | static_cast<std::uint32_t>(out[3]) << 24);
  return Read::kCharacter;
}

bool TranscodeToUtf8(std::string_view bytes, const char* encoding, std::string& out) {
  const iconv_t cd = toUtf8.Get("UTF-8", encoding);
  if (cd == kNoConverter) return false;
  out.reserve(out.size() + bytes.size() * 3 / 2 + 4);
  // One byte at a time: the next may start a character that decodes.
  Convert(cd, bytes, out, "\xEF\xBF\xBD", [](const char*, std::size_t) { return std::size_t{1}; });
  return true;
}

bool TranscodeFromUtf8(std::string_view utf8, const char* encoding, std::string& out, std::size_t& replaced) {
  const iconv_t cd = fromUtf8.Get(encoding, "UTF-8");
  if (cd == kNoConverter) return false;
  out.reserve(out.size() + utf8.size());
  // A character without a form here is skipped whole.
  replaced += Convert(cd, utf8, out, "?", [](const char* text, std::size_t left) { return Utf8Length({text, left}); });
  return true;
}

}  // namespace ridloe
