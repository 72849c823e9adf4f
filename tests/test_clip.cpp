#include <gtest/gtest.h>

#include "util/Clip.h"

using namespace util;

TEST(Clip, OutcodeCountsEdgesAsOutside) {
  EXPECT_EQ(ClipOutcode(5, 5, 0, 0, 10, 10), 0);
  EXPECT_EQ(ClipOutcode(0, 5, 0, 0, 10, 10), kClipLeft);
  EXPECT_EQ(ClipOutcode(10, 10, 0, 0, 10, 10), kClipRight | kClipAbove);
  EXPECT_EQ(ClipOutcode(5, -1, 0, 0, 10, 10), kClipBelow);
  EXPECT_EQ(ClipOutcode(5e-13, 5, 0, 0, 10, 10), kClipLeft);  // within 1e-12 inside
  EXPECT_EQ(IsOutside(0, 5, 0, 0, 10, 10), 2);
  EXPECT_EQ(IsOutside(1, 5, 0, 0, 10, 10), 0);
}

TEST(Clip, SegmentCases) {
  double x1 = -5, y1 = 5, x2 = 15, y2 = 5;
  EXPECT_EQ(ClipSegment(x1, y1, x2, y2, 0, 0, 10, 10), 1);
  EXPECT_DOUBLE_EQ(x1, 0);
  EXPECT_DOUBLE_EQ(y1, 5);
  EXPECT_DOUBLE_EQ(x2, 10);
  EXPECT_DOUBLE_EQ(y2, 5);

  x1 = 0, y1 = 0, x2 = 10, y2 = 0;  // on the bottom edge
  EXPECT_EQ(ClipSegment(x1, y1, x2, y2, 0, 0, 10, 10), 2);

  x1 = -10, y1 = 5, x2 = 5, y2 = -10;  // passes outside the corner
  EXPECT_EQ(ClipSegment(x1, y1, x2, y2, 0, 0, 10, 10), 2);

  x1 = 2, y1 = 2, x2 = 8, y2 = 3;  // wholly inside: unchanged
  EXPECT_EQ(ClipSegment(x1, y1, x2, y2, 0, 0, 10, 10), 0);
  EXPECT_DOUBLE_EQ(x2, 8);

  // A diagonal through two edges is cut on the line through the given first point.
  x1 = -5, y1 = -5, x2 = 15, y2 = 15;
  EXPECT_EQ(ClipSegment(x1, y1, x2, y2, 0, 0, 10, 10), 1);
  EXPECT_DOUBLE_EQ(x1, 0);
  EXPECT_DOUBLE_EQ(y1, 0);
  EXPECT_DOUBLE_EQ(x2, 10);
  EXPECT_DOUBLE_EQ(y2, 10);

  // A vertical segment (dx = 0) is clipped in y only.
  x1 = 5, y1 = -5, x2 = 5, y2 = 20;
  EXPECT_EQ(ClipSegment(x1, y1, x2, y2, 0, 0, 10, 10), 1);
  EXPECT_DOUBLE_EQ(y1, 0);
  EXPECT_DOUBLE_EQ(y2, 10);
}

TEST(Clip, TestLeavesPointsAlone) {
  const double x1 = -5, y1 = 5, x2 = 15, y2 = 5;
  EXPECT_EQ(ClipTest(x1, y1, x2, y2, 0, 0, 10, 10), 1);
}
