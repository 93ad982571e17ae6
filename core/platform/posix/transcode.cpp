#include "core/platform/transcode.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

namespace ridloe {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Whether there is memory to map an encoding's table (some hundred KiB).
bool MemoryToOpenATable() {
  void* room = std::malloc(std::size_t{512} << 10);
  std::free(room);
  return room != nullptr;
}

// Opening a converter reads the system's tables, which costs far more than
// converting one name; a load converts a million. So each thread keeps the
// converters it used last in each direction open: a few, since messages
// (UTF-8) and names (a code page) take turns. The cache has no destructor:
// a thread-local object with one is registered for destruction when a
// thread first uses it, and where that registration finds no memory the C
// library ends the process. A thread that ends leaves its converters to the
// process's end.
class CachedConverters {
 public:
  // A converter from `from` to `to` in its initial state, or kNoConverter.
  // Encodings with longer names than the cache holds are converted by a
  // converter of their own each time, which `Release` closes.
  iconv_t Get(const char* to, const char* from) {
    for (Slot& slot : slots_) {
      if (slot.cd != kNoConverter && std::strcmp(slot.to, to) == 0 && std::strcmp(slot.from, from) == 0) {
        iconv(slot.cd, nullptr, nullptr, nullptr, nullptr);
        return slot.cd;
      }
    }
    const iconv_t cd = iconv_open(to, from);
    // Out of memory is not an encoding the system does not know, though the
    // C library says EINVAL for both when the encoding's table cannot be
    // mapped: a little memory for that table tells them apart.
    if (cd == kNoConverter && (errno == ENOMEM || !MemoryToOpenATable())) throw std::bad_alloc();
    if (cd == kNoConverter || std::strlen(to) >= sizeof Slot::to || std::strlen(from) >= sizeof Slot::from) return cd;
    Slot& slot = slots_[next_];
    next_ = (next_ + 1) % std::size(slots_);
    if (slot.cd != kNoConverter) iconv_close(slot.cd);
    slot.cd = cd;
    std::strcpy(slot.to, to);
    std::strcpy(slot.from, from);
    return cd;
  }
  // Closes `cd` unless the cache keeps it.
  void Release(iconv_t cd) {
    if (cd == kNoConverter) return;
    for (const Slot& slot : slots_) {
      if (slot.cd == cd) return;
    }
    iconv_close(cd);
  }
  // Gives back what Get gave when it goes, also when a conversion throws.
  struct Lease {
    CachedConverters& cache;
    iconv_t cd;
    ~Lease() { cache.Release(cd); }
  };

 private:
  struct Slot {
    iconv_t cd = kNoConverter;
    char to[64] = {};
    char from[64] = {};
  };
  Slot slots_[4];
  std::size_t next_ = 0;
};
static_assert(std::is_trivially_destructible_v<CachedConverters>);

thread_local CachedConverters toUtf8;
thread_local CachedConverters fromUtf8;

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

bool TranscodeToUtf8(std::string_view bytes, const char* encoding, std::string& out) {
  const iconv_t cd = toUtf8.Get("UTF-8", encoding);
  if (cd == kNoConverter) return false;
  const CachedConverters::Lease lease{toUtf8, cd};
  out.reserve(out.size() + bytes.size() * 3 / 2 + 4);
  // One byte at a time: the next may start a character that decodes.
  Convert(cd, bytes, out, "\xEF\xBF\xBD", [](const char*, std::size_t) { return std::size_t{1}; });
  return true;
}

bool TranscodeFromUtf8(std::string_view utf8, const char* encoding, std::string& out, std::size_t& replaced) {
  const iconv_t cd = fromUtf8.Get(encoding, "UTF-8");
  if (cd == kNoConverter) return false;
  const CachedConverters::Lease lease{fromUtf8, cd};
  out.reserve(out.size() + utf8.size());
  // A character without a form here is skipped whole.
  replaced += Convert(cd, utf8, out, "?", [](const char* text, std::size_t left) { return Utf8Length({text, left}); });
  return true;
}

bool PrepareTranscoding(const char* encoding) {
  const iconv_t to = toUtf8.Get("UTF-8", encoding);
  const iconv_t from = fromUtf8.Get(encoding, "UTF-8");
  toUtf8.Release(to);
  fromUtf8.Release(from);
  return to != kNoConverter && from != kNoConverter;
}

}  // namespace ridloe
