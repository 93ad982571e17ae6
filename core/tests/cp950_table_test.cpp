// Code page 950 as each system's own table decodes it (iconv on Linux,
// MultiByteToWideChar on Windows). The two tables agree on every byte and
// byte pair but the user-defined areas, so that names show alike everywhere.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/platform/transcode.h"

namespace ridloe {
namespace {

// RIDLOE_PLATFORM names the system whose table this build uses.
const bool kWindowsTable = std::string(RIDLOE_PLATFORM) == "windows";

std::string Utf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

std::string Decode(const std::string& bytes) {
  std::string out;
  EXPECT_TRUE(TranscodeToUtf8(bytes, "CP950", out));
  return out;
}

// The user-defined areas (EUDC): lead bytes 81-A0 and FA-FE with the trail
// bytes 40-7E and A1-FE. Windows gives them Private Use code points, in three
// blocks; glibc leaves them undecoded.
bool IsUserDefined(unsigned lead, unsigned trail) {
  return ((lead >= 0x81 && lead <= 0xA0) || (lead >= 0xFA && lead <= 0xFE)) &&
         ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE));
}

char32_t PrivateUseOf(unsigned lead, unsigned trail) {
  const unsigned column = trail <= 0x7E ? trail - 0x40 : trail - 0xA1 + 63;
  const char32_t base = lead >= 0xFA ? 0xE000 - 0xFA * 157 : lead >= 0x8E ? 0xE311 - 0x8E * 157 : 0xEEB8 - 0x81 * 157;
  return base + lead * 157 + column;
}

TEST(Cp950Table, SystemsAgreeOutsideTheUserDefinedAreas) {
  // FNV-1a over every byte and byte pair with what it decodes to.
  std::uint64_t hash = 14695981039346656037ull;
  const auto mix = [&hash](const std::string& text) {
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  };
  int userDefined = 0;
  for (unsigned lead = 0; lead < 0x100; ++lead) {
    const std::string single(1, static_cast<char>(lead));
    mix(single + "=" + Decode(single) + ";");
    if (lead < 0x81 || lead == 0xFF) continue;
    for (unsigned trail = 0; trail < 0x100; ++trail) {
      const std::string pair = single + static_cast<char>(trail);
      const std::string decoded = Decode(pair);
      if (!IsUserDefined(lead, trail)) {
        mix(pair + "=" + decoded + ";");
        continue;
      }
      ++userDefined;
      // glibc: the lead byte does not decode, and the trail byte is read on
      // its own (an ASCII letter, or another byte that does not decode).
      const std::string expected = kWindowsTable ? Utf8(PrivateUseOf(lead, trail)) : "\uFFFD" + Decode(pair.substr(1));
      ASSERT_EQ(decoded, expected) << std::hex << lead << " " << trail;
    }
  }
  EXPECT_EQ(userDefined, 5809);
  // The same on both systems: every character of the standard set, the
  // single bytes and the pairs that do not decode.
  EXPECT_EQ(hash, 0x795cc05873a1888bull) << std::hex << hash;
}

// Back to code page 950: every character of the standard set gives the
// bytes it was read from (or, for the few the set holds twice, the same one
// of the two on both systems); nothing is written as a look-alike.
TEST(Cp950Table, SystemsEncodeAlike) {
  std::uint64_t hash = 14695981039346656037ull;
  int roundTrips = 0;
  for (unsigned lead = 0x81; lead < 0xFF; ++lead) {
    for (unsigned trail = 0x40; trail < 0xFF; ++trail) {
      if (IsUserDefined(lead, trail)) continue;
      const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      const std::string decoded = Decode(pair);
      if (decoded.find("\uFFFD") != std::string::npos) continue;
      std::string encoded;
      std::size_t replaced = 0;
      ASSERT_TRUE(TranscodeFromUtf8(decoded, "CP950", encoded, replaced));
      ASSERT_EQ(replaced, 0u) << std::hex << lead << " " << trail;
      roundTrips += encoded == pair;
      for (unsigned char c : encoded) hash = (hash ^ c) * 1099511628211ull;
    }
  }
  EXPECT_EQ(roundTrips, 13901);
  EXPECT_EQ(hash, 0xb503e6eef460d040ull) << std::hex << hash;
  // What has no form here, and each byte that starts no UTF-8 character
  // (a cut-off one: both its bytes), becomes "?".
  std::string out;
  std::size_t replaced = 0;
  ASSERT_TRUE(TranscodeFromUtf8("A\u00E9\U0001F600\xFF\xE7\x8E" "B\u7389", "CP950", out, replaced));
  EXPECT_EQ(out, "A?????B\xA5\xC9");
  EXPECT_EQ(replaced, 5u);
}

// Other encodings that --encoding names decode alike too: US-ASCII has no
// character above 7F, so those bytes do not decode (Windows' table would
// read E9 as 'i').
TEST(EncodingTables, AsciiHoldsNothingAbove7F) {
  std::string out;
  ASSERT_TRUE(TranscodeToUtf8("Caf\xE9 \x80\xFF!", "ASCII", out));
  EXPECT_EQ(out, "Caf\uFFFD \uFFFD\uFFFD!");
  out.clear();
  std::size_t replaced = 0;
  ASSERT_TRUE(TranscodeFromUtf8("Café", "US-ASCII", out, replaced));
  EXPECT_EQ(out, "Caf?");
  EXPECT_EQ(replaced, 1u);
}

TEST(Cp950Table, UserDefinedBlocksOnWindows) {
  if (!kWindowsTable) GTEST_SKIP() << "glibc does not decode the user-defined areas";
  EXPECT_EQ(Decode("\xFA\x40"), "\uE000");
  EXPECT_EQ(Decode("\xFE\xFE"), "\uE310");
  EXPECT_EQ(Decode("\x8E\x40"), "\uE311");
  EXPECT_EQ(Decode("\xA0\xFE"), "\uEEB7");
  EXPECT_EQ(Decode("\x81\x40"), "\uEEB8");
  EXPECT_EQ(Decode("\x8D\xFE"), "\uF6B0");
  EXPECT_EQ(Decode("\xC6\xA1"), "\uF6B1");  // the next block, which glibc decodes the same way
}

}  // namespace
}  // namespace ridloe
