#include "formats/gpx/xml_encoding.h"

#include <new>

#include "core/text/ascii.h"

namespace ridloe {
namespace {

// Names files give to code pages whose system tables go by other names, or
// whose own tables on some systems are older subsets of what files hold.
struct Alias {
  const char* name;
  const char* system;
};

constexpr Alias kAliases[] = {
    {"BIG5", "CP950"},        {"BIG-5", "CP950"},          {"CSBIG5", "CP950"},       {"X-X-BIG5", "CP950"},
    {"SHIFT_JIS", "CP932"},   {"SHIFT-JIS", "CP932"},      {"SJIS", "CP932"},         {"X-SJIS", "CP932"},
    {"MS_KANJI", "CP932"},    {"CSSHIFTJIS", "CP932"},     {"WINDOWS-31J", "CP932"},  {"GB2312", "CP936"},
    {"GBK", "CP936"},         {"CSGB2312", "CP936"},       {"EUC-CN", "CP936"},       {"X-GBK", "CP936"},
    {"EUC-KR", "CP949"},      {"KS_C_5601-1987", "CP949"}, {"CSEUCKR", "CP949"},
};

// The ASCII characters XML's markup is made of (all but $@\^`{}~ of the
// printable ones, and the white space): the parser needs every encoding to
// write each as the one byte ASCII gives it.
bool IsMarkupAscii(int c) {
  if (c == '\t' || c == '\n' || c == '\r') return true;
  if (c < 0x20 || c > 0x7E) return false;
  return std::string_view("$@\\^`{}~").find(static_cast<char>(c)) == std::string_view::npos;
}

// Whether a character of a multi-byte sequence is read: the parser takes
// none above U+FFFF from a table, and the Private Use Area is where one
// system's tables put the user-defined characters of a code page that
// another's do not decode at all (code page 950's, for one).
bool Taken(char32_t c) { return c <= 0xFFFF && !(c >= 0xE000 && c <= 0xF8FF); }

}  // namespace

std::unique_ptr<XmlEncoding> XmlEncoding::Make(std::string_view declared, std::string& why) {
  const char* system = nullptr;
  for (const Alias& alias : kAliases) {
    if (EqualsNoCase(declared, alias.name)) system = alias.system;
  }
  const std::string name(declared);
  std::unique_ptr<XmlEncoding> encoding(new (std::nothrow) XmlEncoding(name, system ? system : name));
  if (!encoding) {
    why = "out of memory";
    return nullptr;
  }
  if (!encoding->decoder_.known()) {
    why = "the document's encoding \"" + name + "\" is not one this system converts";
    return nullptr;
  }
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    char32_t c = 0;
    switch (encoding->decoder_.Decode(byte, c)) {
      case CharacterDecoder::Read::kCharacter:
        encoding->map[b] = (c >= 0x80 && c <= 0x9F) || c > 0xFFFF ? -1 : static_cast<int>(c);
        break;
      case CharacterDecoder::Read::kCutShort: {
        const int length = encoding->SequenceLength(static_cast<unsigned char>(b));
        encoding->map[b] = length ? -length : -1;
        break;
      }
      case CharacterDecoder::Read::kNone:
        encoding->map[b] = -1;
        break;
    }
  }
  for (int c = 0; c < 0x80; ++c) {
    if (IsMarkupAscii(c) && encoding->map[c] != c) {
      why = "the document's encoding \"" + name + "\" does not write ASCII as ASCII, as XML needs";
      return nullptr;
    }
  }
  return encoding;
}

int XmlEncoding::SequenceLength(unsigned char lead) {
  std::string prefix(1, static_cast<char>(lead));
  for (int length = 2; length <= 4; ++length) {
    // The shortest length at which some sequence is a whole character; a
    // longer one is tried after a second byte that leaves a character open.
    int open = -1;
    prefix.push_back('\0');
    for (int x = 0; x < 256; ++x) {
      prefix.back() = static_cast<char>(x);
      char32_t c = 0;
      const CharacterDecoder::Read read = decoder_.Decode(prefix, c);
      if (read == CharacterDecoder::Read::kCharacter && Taken(c)) return length;
      if (read == CharacterDecoder::Read::kCutShort && open < 0) open = x;
    }
    if (open < 0) return 0;
    prefix.back() = static_cast<char>(open);
  }
  return 0;
}

int XmlEncoding::Character(const char* bytes) {
  const int length = -map[static_cast<unsigned char>(bytes[0])];
  if (length < 2) return -1;
  char32_t c = 0;
  switch (decoder_.Decode(std::string_view(bytes, static_cast<std::size_t>(length)), c)) {
    case CharacterDecoder::Read::kCharacter:
      return Taken(c) ? static_cast<int>(c) : -1;
    case CharacterDecoder::Read::kCutShort:
      longer_ = static_cast<std::size_t>(length);
      return -1;
    case CharacterDecoder::Read::kNone:
      break;
  }
  return -1;
}

std::string XmlEncoding::Note() const {
  if (!longer_) return {};
  return "characters of " + name_ + " longer than " + std::to_string(longer_) + " bytes are not read";
}

}  // namespace ridloe
