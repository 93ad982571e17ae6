// Text conversion through the system's code page tables.
#include "core/platform/transcode.h"

#include <windows.h>

#include <algorithm>
#include <new>

#include "core/platform/windows/unicode.h"
#include "core/text/ascii.h"

namespace ridloe {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool StartsWithName(std::string_view name, std::string_view prefix) {
  return name.size() > prefix.size() && EqualsNoCase(name.substr(0, prefix.size()), prefix);
}

// A decimal number that makes up all of `digits`, or 0.
UINT Number(std::string_view digits) {
  UINT n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9' || n > 100000) return 0;
    n = n * 10 + static_cast<UINT>(c - '0');
  }
  return n;
}

// US-ASCII, whose table reads the bytes 80-FF as ASCII characters, their
// high bit dropped (E9 as 'i'): names would show letters they do not hold.
constexpr UINT kAscii = 20127;

// The code page that an encoding name (as iconv spells it) stands for, or 0
// when the system has no table for it.
UINT CodePageOf(std::string_view name) {
  static const struct {
    const char* name;
    UINT codePage;
  } kNames[] = {
      {"BIG5", 950},        {"BIG-5", 950},     {"BIGFIVE", 950},    {"BIG-FIVE", 950}, {"CSBIG5", 950},
      {"UTF-8", CP_UTF8},   {"UTF8", CP_UTF8},  {"GBK", 936},        {"GB2312", 936},   {"EUC-CN", 936},
      {"GB18030", 54936},   {"SHIFT_JIS", 932}, {"SHIFT-JIS", 932},  {"SJIS", 932},     {"EUC-KR", 949},
      {"UHC", 949},         {"ASCII", kAscii},  {"US-ASCII", kAscii}, {"LATIN1", 28591}, {"KOI8-R", 20866},
      {"EUC-JP", 20932},
  };
  UINT codePage = 0;
  for (const auto& n : kNames) {
    if (EqualsNoCase(name, n.name)) codePage = n.codePage;
  }
  for (std::string_view prefix : {"CP", "WINDOWS-", "IBM", "MS"}) {
    if (!codePage && StartsWithName(name, prefix)) codePage = Number(name.substr(prefix.size()));
  }
  if (!codePage && StartsWithName(name, "ISO-8859-")) {
    const UINT part = Number(name.substr(9));
    if (part >= 1 && part <= 16) codePage = 28590 + part;
  }
  return codePage && IsValidCodePage(codePage) ? codePage : 0;
}

// Converts all of `bytes`, or nothing when any of them does not decode.
bool DecodeStrictly(UINT codePage, std::string_view bytes, std::wstring& wide) {
  if (codePage == kAscii && std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; })) return false;
  const int size = static_cast<int>(bytes.size());
  DWORD flags = MB_ERR_INVALID_CHARS;
  int n = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  if (n == 0 && GetLastError() == ERROR_INVALID_FLAGS) {
    flags = 0;  // the few code pages that take no flags
    n = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  }
  if (n <= 0) return false;
  wide.resize(static_cast<std::size_t>(n));
  return MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), n) == n;
}

// How many bytes the character at `bytes[at]` may take in `codePage`.
std::size_t CharacterLength(UINT codePage, const CPINFO& info, std::string_view bytes, std::size_t at) {
  const auto b = static_cast<unsigned char>(bytes[at]);
  std::size_t length = 1;
  if (codePage == CP_UTF8) {
    length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
  } else if (info.MaxCharSize == 2 && IsDBCSLeadByteEx(codePage, b)) {
    length = 2;
  } else if (info.MaxCharSize > 2) {
    length = info.MaxCharSize;  // GB18030: try the longest first
  }
  return std::min(length, bytes.size() - at);
}

// Four box-drawing characters have two forms in code page 950; Windows'
// table writes the extension's (F9F9, F9E9, F9EA, F9EB), where standard Big5
// and other systems write A2A4 to A2A7. The standard ones are written here,
// so that names are the same bytes on every system.
bool StandardBig5(wchar_t c, std::string& out) {
  static const struct {
    wchar_t character;
    char bytes[3];
  } kForms[] = {{L'\u2550', "\xA2\xA4"}, {L'\u255E', "\xA2\xA5"}, {L'\u256A', "\xA2\xA6"}, {L'\u2561', "\xA2\xA7"}};
  for (const auto& form : kForms) {
    if (form.character == c) {
      out += form.bytes;
      return true;
    }
  }
  return false;
}

// Appends `wide` in `codePage`; false when some character has no form there
// (and then nothing is appended), and for a text that holds one of the four
// above, which is then written character by character. Nothing is written as a look-alike: the
// system's best fit (an 'a' for an 'ä') is refused too.
bool EncodeStrictly(UINT codePage, std::wstring_view wide, std::string& out) {
  if (codePage == 950 && wide.size() == 1 && StandardBig5(wide[0], out)) return true;
  if (codePage == 950 && wide.find_first_of(L"\u2550\u255E\u256A\u2561") != std::wstring_view::npos) return false;
  const int size = static_cast<int>(wide.size());
  BOOL lossy = FALSE;
  const bool utf8 = codePage == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int n = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, utf8 ? nullptr : &lossy);
  if (n <= 0 || lossy) return false;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(n));
  WideCharToMultiByte(codePage, flags, wide.data(), size, out.data() + at, n, nullptr, nullptr);
  return true;
}

}  // namespace

bool WideFromUtf8(std::string_view text, std::wstring& out) {
  out.clear();
  if (text.empty()) return true;
  if (!DecodeStrictly(CP_UTF8, text, out)) {
    out.clear();
    return false;
  }
  return true;
}

std::wstring WideFromUtf8(std::string_view text) {
  std::wstring wide;
  if (text.empty()) return wide;
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  if (n <= 0) return wide;
  wide.resize(static_cast<std::size_t>(n));
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), n);
  return wide;
}

std::string Utf8FromWide(std::wstring_view text) {
  std::string out;
  if (text.empty()) return out;
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return out;
  out.resize(static_cast<std::size_t>(n));
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

namespace {

struct DecoderState {
  UINT codePage;
  CPINFO info;
};

// Whether `bytes` begin a character of `codePage` that goes on past them.
bool BeginsCharacter(UINT codePage, const CPINFO& info, std::string_view bytes) {
  const auto at = [&bytes](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  const std::size_t n = bytes.size();
  if (codePage == CP_UTF8) {
    const std::size_t length = at(0) >= 0xF0 && at(0) <= 0xF4 ? 4 : at(0) >= 0xE0 ? 3 : at(0) >= 0xC2 ? 2 : 1;
    if (n >= length) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((at(k) & 0xC0) != 0x80) return false;
    }
    return true;
  }
  if (codePage == 54936) {  // GB18030: 2 or 4 bytes after a lead byte, digits second and fourth
    const auto lead = [&](std::size_t k) { return at(k) >= 0x81 && at(k) <= 0xFE; };
    const auto digit = [&](std::size_t k) { return at(k) >= 0x30 && at(k) <= 0x39; };
    return lead(0) && (n == 1 || (digit(1) && (n == 2 || (n == 3 && lead(2)))));
  }
  return info.MaxCharSize == 2 && n == 1 && IsDBCSLeadByteEx(codePage, at(0));
}

}  // namespace

CharacterDecoder::CharacterDecoder(const char* encoding) {
  const UINT codePage = CodePageOf(encoding);
  if (!codePage) return;
  auto* state = new (std::nothrow) DecoderState{codePage, {}};
  if (!state) return;
  GetCPInfo(codePage, &state->info);
  state_ = state;
}

CharacterDecoder::~CharacterDecoder() { delete static_cast<DecoderState*>(state_); }

bool CharacterDecoder::known() const { return state_ != nullptr; }

CharacterDecoder::Read CharacterDecoder::Decode(std::string_view bytes, char32_t& character) {
  const auto* state = static_cast<const DecoderState*>(state_);
  if (!state || bytes.empty()) return Read::kNone;
  std::wstring wide;
  if (DecodeStrictly(state->codePage, bytes, wide)) {
    if (wide.size() == 1 && (wide[0] < 0xD800 || wide[0] > 0xDFFF)) {
      character = wide[0];
      return Read::kCharacter;
    }
    if (wide.size() == 2 && wide[0] >= 0xD800 && wide[0] <= 0xDBFF && wide[1] >= 0xDC00 && wide[1] <= 0xDFFF) {
      character = 0x10000 + ((static_cast<char32_t>(wide[0]) - 0xD800) << 10) + (wide[1] - 0xDC00);
      return Read::kCharacter;
    }
    return Read::kNone;
  }
  return BeginsCharacter(state->codePage, state->info, bytes) ? Read::kCutShort : Read::kNone;
}

bool TranscodeToUtf8(std::string_view bytes, const char* encoding, std::string& out) {
  const UINT codePage = CodePageOf(encoding);
  if (!codePage) return false;
  std::wstring wide;
  if (bytes.empty()) return true;
  if (DecodeStrictly(codePage, bytes, wide)) {
    out += Utf8FromWide(wide);
    return true;
  }
  // Some byte does not decode: go character by character, as iconv does. A
  // character that does not decode shows as U+FFFD, and decoding resumes at
  // its second byte, which may start a character of its own.
  CPINFO info{};
  GetCPInfo(codePage, &info);
  std::wstring run;
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t length = CharacterLength(codePage, info, bytes, at);
    while (length > 1 && !DecodeStrictly(codePage, bytes.substr(at, length), wide)) --length;
    if (length == 1 && !DecodeStrictly(codePage, bytes.substr(at, 1), wide)) {
      out += Utf8FromWide(run);
      run.clear();
      out += kReplacement;
      ++at;
      continue;
    }
    run += wide;
    at += length;
  }
  out += Utf8FromWide(run);
  return true;
}

bool TranscodeFromUtf8(std::string_view utf8, const char* encoding, std::string& out, std::size_t& replaced) {
  const UINT codePage = CodePageOf(encoding);
  if (!codePage) return false;
  std::wstring wide;
  if (utf8.empty() || (DecodeStrictly(CP_UTF8, utf8, wide) && EncodeStrictly(codePage, wide, out))) return true;
  // Character by character: one that is not UTF-8 or has no form in the code
  // page becomes '?', as iconv is told to do on other systems.
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t length = Utf8Length(utf8.substr(at));
    if (!DecodeStrictly(CP_UTF8, utf8.substr(at, length), wide) || !EncodeStrictly(codePage, wide, out)) {
      out += '?';
      ++replaced;
    }
    at += length;
  }
  return true;
}

// The system's code page tables need nothing opened.
bool PrepareTranscoding(const char* encoding) { return CodePageOf(encoding) != 0; }

}  // namespace ridloe
