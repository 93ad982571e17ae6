// The tables of encodings the XML parser reads through the system's
// conversion: what each byte begins, and the characters of sequences. The
// same verdicts on every system (this test runs on Linux and under Wine).
#include <gtest/gtest.h>

#include <string>

#include "formats/gpx/xml_encoding.h"

namespace ridloe {
namespace {

std::unique_ptr<XmlEncoding> Make(const char* name) {
  std::string why;
  auto encoding = XmlEncoding::Make(name, why);
  EXPECT_TRUE(encoding) << name << ": " << why;
  return encoding;
}

TEST(XmlEncoding, SingleBytesAndSequences) {
  const auto cp1252 = Make("windows-1252");
  ASSERT_TRUE(cp1252);
  EXPECT_EQ(cp1252->map[0x80], 0x20AC);
  EXPECT_EQ(cp1252->map[0xE9], 0xE9);
  EXPECT_EQ(cp1252->map['<'], '<');
  for (int empty : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(cp1252->map[empty], -1) << empty;  // none, or a C1 control

  for (const char* name : {"Big5", "big5", "CP950"}) {
    const auto big5 = Make(name);
    ASSERT_TRUE(big5);
    EXPECT_EQ(big5->map[0xA4], -2);
    EXPECT_EQ(big5->map[0x80], -1);
    EXPECT_EQ(big5->Character("\xA4\x40"), 0x4E00);
    EXPECT_EQ(big5->Character("\xA5\xC9"), 0x7389);  // 玉
    EXPECT_EQ(big5->Character("\xA4\x20"), -1);
    EXPECT_EQ(big5->Character("\xFA\x40"), -1);  // user-defined: the Private Use Area, or nothing
  }
  const auto sjis = Make("Shift_JIS");
  ASSERT_TRUE(sjis);
  EXPECT_EQ(sjis->map['\\'], '\\');  // as files that name it are written, not a yen sign
  EXPECT_EQ(sjis->map[0xB1], 0xFF71);  // half-width katakana
  EXPECT_EQ(sjis->Character("\x95\x78"), 0x5BCC);  // 富
}

// GB18030's first bytes begin characters of 2 bytes or of 4: those of 2 are
// read, and one of 4 is no character, which the note says.
TEST(XmlEncoding, FourByteCharactersOfGb18030AreNotRead) {
  std::string why;
  const auto gb = XmlEncoding::Make("GB18030", why);
  // Windows has code page 54936; Wine does not.
  if (!gb) GTEST_SKIP() << why;
  EXPECT_EQ(gb->map[0x81], -2);
  EXPECT_EQ(gb->Character("\x81\x40"), 0x4E02);
  EXPECT_EQ(gb->Note(), "");
  EXPECT_EQ(gb->Character("\x81\x30"), -1);
  EXPECT_EQ(gb->Note(), "characters of GB18030 longer than 2 bytes are not read");
}

TEST(XmlEncoding, EncodingsNotReadAreRefusedByName) {
  std::string why;
  EXPECT_FALSE(XmlEncoding::Make("x-unheard-of", why));
  EXPECT_EQ(why, "the document's encoding \"x-unheard-of\" is not one this system converts");
  // Unknown to Windows' tables; iconv knows it, but not as XML can read it.
  EXPECT_FALSE(XmlEncoding::Make("UTF-32", why));
  EXPECT_EQ(why.rfind("the document's encoding \"UTF-32\" ", 0), 0u) << why;
}

}  // namespace
}  // namespace ridloe
