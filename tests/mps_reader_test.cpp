#include <gtest/gtest.h>

#include "mps/mps_document.h"
#include "tests/mps_builder.h"

namespace ridloe {
namespace {

using testing::MpsBuilder;
using testing::WaypointFields;

TEST(MpsLoadSmoke, TwoWaypointsListInOrder) {
  MpsBuilder b;
  b.Header().Waypoint({.name = "AB", .altitude = 12.4}).Waypoint({.name = "CD", .altitude = -3.6}).End();
  MpsDocument doc;
  VectorListSink sink;
  ASSERT_TRUE(doc.Parse(b.bytes().data(), b.size(), &sink, nullptr)) << doc.error().Describe();
  EXPECT_EQ(doc.waypointCount, 2);
  EXPECT_EQ(sink.lines, (std::vector<std::string>{"AB  12", "CD  -4"}));
}

}  // namespace
}  // namespace ridloe
