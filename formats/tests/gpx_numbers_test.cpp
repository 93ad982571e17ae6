// The numbers, times and text store the GPX reader is built on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "formats/gpx/gpx_numbers.h"
#include "formats/gpx/text_store.h"

namespace ridloe {
namespace {

TEST(GpxNumbers, TimesInEveryZoneFormAreTheSameInstant) {
  constexpr std::uint32_t kInstant = 1577934245;  // 2020-01-02T03:04:05Z
  for (const char* text : {"2020-01-02T03:04:05Z", "2020-01-02T03:04:05", " 2020-01-02T03:04:05.999Z\n",
                           "2020-01-02T05:34:05+02:30", "2020-01-02T05:34:05+0230", "2020-01-01T23:04:05-04",
                           "2020-01-01T23:34:05-03:30", "2020-01-01T23:34:05-0330"}) {
    std::uint32_t t = 0;
    EXPECT_TRUE(ParseXmlTime(text, t)) << text;
    EXPECT_EQ(t, kInstant) << text;
  }
  std::uint32_t t = 0;
  ASSERT_TRUE(ParseXmlTime("2106-02-07T06:28:15Z", t));
  EXPECT_EQ(t, UINT32_MAX);
  ASSERT_TRUE(ParseXmlTime("1970-01-01T02:00:00+02:00", t));
  EXPECT_EQ(t, 0u);

  t = 7;
  for (const char* text : {"2106-02-07T06:28:16Z", "1969-12-31T23:59:59Z", "1970-01-01T00:00:00+00:01",
                           "2020-02-30T00:00:00Z", "2020-01-02T03:04:05+15:00", "2020-01-02T03:04:05+02:3",
                           "2020-01-02T03:04:05+2", "2020-01-02T03:04:05.Z", "2020-01-02 03:04:05Z",
                           "2020-01-02T03:04:05Zjunk", ""}) {
    EXPECT_FALSE(ParseXmlTime(text, t)) << text;
  }
  EXPECT_EQ(t, 7u);  // a refused time leaves the value alone
}

TEST(GpxNumbers, DecimalsAndDegrees) {
  double d = 0;
  EXPECT_TRUE(ParseDecimal(" +12.5\t", d));
  EXPECT_EQ(d, 12.5);
  EXPECT_TRUE(ParseDecimal("-.5e1", d));
  EXPECT_EQ(d, -5.0);
  for (const char* text : {"", "-", "inf", "nan", "0x10", "1.2.3", "e5", "1e400", "--1", "1 2"}) {
    EXPECT_FALSE(ParseDecimal(text, d)) << text;
  }
  float f = 0;
  EXPECT_TRUE(ParseDecimal("1e39", f));  // beyond a float: the nearest it holds
  EXPECT_TRUE(std::isinf(f));
  EXPECT_TRUE(ParseDecimal("1e-50", f));
  EXPECT_EQ(f, 0.0f);

  EXPECT_EQ(SemicirclesFromDegrees(90, true), 1 << 30);
  EXPECT_EQ(SemicirclesFromDegrees(-100, true), -(1 << 30));  // held to the pole
  EXPECT_EQ(SemicirclesFromDegrees(180, false), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(SemicirclesFromDegrees(-190, false), SemicirclesFromDegrees(170, false));
  // 1.5 and -1.5 semicircles: halves round away from zero.
  EXPECT_EQ(SemicirclesFromDegrees(270.0 / 2147483648.0, false), 2);
  EXPECT_EQ(SemicirclesFromDegrees(-270.0 / 2147483648.0, true), -2);
}

TEST(TextStore, TextsOfEveryLengthComeBackInOrder) {
  const std::string texts[] = {"", "a", std::string(127, 'x'), std::string(128, 'y'), std::string(20000, 'z'),
                               std::string("nul\0inside", 10)};
  std::string store;
  for (const std::string& text : texts) PutText(store, text);
  std::size_t at = 0;
  for (const std::string& text : texts) EXPECT_EQ(TakeText(store, at), text);
  EXPECT_EQ(at, store.size());
}

}  // namespace
}  // namespace ridloe
