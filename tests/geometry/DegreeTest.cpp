#include "geometry/Degree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace tovren {
namespace {

constexpr float kTrigTolerance = 1e-5f;

// The stepping loops the closed forms must reproduce exactly (where they end).
float loopNormalize(float a) {
  while (a < -180) a += 360;
  while (a > 180) a -= 360;
  return a;
}

float loopAbsolute(float a) {
  while (a < 0) a += 360;
  while (a >= 360) a -= 360;
  return a;
}

// Same float, sign of zero included.
::testing::AssertionResult sameFloat(float expected, float actual) {
  if (std::memcmp(&expected, &actual, sizeof(float)) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "expected " << expected << " (signbit " << std::signbit(expected) << "), got " << actual
         << " (signbit " << std::signbit(actual) << ")";
}

TEST(Degree, NormalizeAngleKeepsBothEndsOfTheRange) {
  EXPECT_EQ(Degree::normalizeAngle(-180), -180);
  EXPECT_EQ(Degree::normalizeAngle(180), 180);
  EXPECT_EQ(Degree::normalizeAngle(181), -179);
  EXPECT_EQ(Degree::normalizeAngle(-181), 179);
  EXPECT_EQ(Degree::normalizeAngle(720), 0);
  EXPECT_EQ(Degree::normalizeAngle(-540), -180);
  EXPECT_EQ(Degree::normalizeAngle(540), 180);
  EXPECT_TRUE(sameFloat(0.0f, Degree::normalizeAngle(-720)));
}

TEST(Degree, AbsoluteAngleExcludesThreeSixty) {
  EXPECT_EQ(Degree::absoluteAngle(360), 0);
  EXPECT_EQ(Degree::absoluteAngle(-0.5f), 359.5f);
  EXPECT_EQ(Degree::absoluteAngle(-180), 180);
  EXPECT_EQ(Degree::absoluteAngle(0), 0);
  EXPECT_TRUE(sameFloat(0.0f, Degree::absoluteAngle(-360)));
  // A tiny negative angle plus a turn rounds to 360, which the second loop takes to 0.
  EXPECT_EQ(Degree::absoluteAngle(-1e-30f), 0);
  EXPECT_LT(Degree::absoluteAngle(-1e-5f), 360.0f);
}

TEST(Degree, ClosedFormsMatchTheSteppingLoops) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> moderate(-1e5f, 1e5f);
  std::uniform_real_distribution<float> small(-800.0f, 800.0f);
  for (int i = 0; i < 20000; ++i) {
    for (float a : {moderate(random), small(random)}) {
      ASSERT_TRUE(sameFloat(loopNormalize(a), Degree::normalizeAngle(a))) << a;
      ASSERT_TRUE(sameFloat(loopAbsolute(a), Degree::absoluteAngle(a))) << a;
    }
  }
  // Magnitudes at which every float step rounds, up to where the loops stop ending.
  for (float a : {1.4e8f, 1.3421774e8f, 134217720.0f, 268435456.0f, 268435472.0f, 2.0e8f, 2.7e8f,
                  5.4e8f, 1.0e9f, 3.3e9f, 8.0e9f, 8589934592.0f}) {
    for (float signedA : {a, -a}) {
      ASSERT_TRUE(sameFloat(loopNormalize(signedA), Degree::normalizeAngle(signedA))) << signedA;
      ASSERT_TRUE(sameFloat(loopAbsolute(signedA), Degree::absoluteAngle(signedA))) << signedA;
    }
  }
}

TEST(Degree, UnboundedAnglesEndInRange) {
  const float inf = std::numeric_limits<float>::infinity();
  for (float a : {inf, -inf, 1e20f, -1e20f, 3e38f, 8589935616.0f}) {
    const float normalized = Degree::normalizeAngle(a);
    EXPECT_GE(normalized, -180.0f) << a;
    EXPECT_LE(normalized, 180.0f) << a;
    const float absolute = Degree::absoluteAngle(a);
    EXPECT_GE(absolute, 0.0f) << a;
    EXPECT_LT(absolute, 360.0f) << a;
  }
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(std::isnan(Degree::normalizeAngle(nan)));
  EXPECT_TRUE(std::isnan(Degree::absoluteAngle(nan)));
}

TEST(Degree, DeltaAngleAcrossTheBackOfTheCircle) {
  EXPECT_EQ(Degree::getDeltaAngle(170, -170), -20);
  EXPECT_EQ(Degree::getDeltaAngle(-170, 170), 20);
  EXPECT_EQ(Degree::getDeltaAngle(-180, 180), 0);
  EXPECT_EQ(Degree::getDeltaAngle(10, -10), 20);
  EXPECT_EQ(Degree::getDeltaAngle(0, 180), -180);
  EXPECT_EQ(Degree::getDeltaAngle(540, 0), 180);
}

TEST(Degree, IsBetweenRunsCounterClockwise) {
  EXPECT_TRUE(Degree::isBetween(350, 10, 0));
  EXPECT_TRUE(Degree::isBetween(350, 10, 350));
  EXPECT_TRUE(Degree::isBetween(350, 10, 10));
  EXPECT_FALSE(Degree::isBetween(350, 10, 180));
  EXPECT_TRUE(Degree::isBetween(10, 10, 370));
  EXPECT_FALSE(Degree::isBetween(10, 10, 11));
  EXPECT_TRUE(Degree::isBetween(-30, 30, 0));
  EXPECT_FALSE(Degree::isBetween(30, -30, 0));
  EXPECT_TRUE(Degree::isBetween(30, -30, 180));
  EXPECT_TRUE(Degree::isBetween(-90, 90, -90));
}

TEST(Degree, TrigonometryInDegrees) {
  EXPECT_NEAR(Degree::sin(30), 0.5f, kTrigTolerance);
  EXPECT_NEAR(Degree::cos(60), 0.5f, kTrigTolerance);
  EXPECT_NEAR(Degree::tan(45), 1.0f, kTrigTolerance);
  EXPECT_NEAR(Degree::arcSin(0.5f), 30.0f, kTrigTolerance);
  EXPECT_NEAR(Degree::arcTan(1), 45.0f, kTrigTolerance);
  EXPECT_EQ(Degree::arcTan2(0, -1), 180);
  EXPECT_EQ(Degree::arcTan2(-0.0f, -1), -180);
  EXPECT_EQ(Degree::arcTan2(0, 0), 0);
  EXPECT_NEAR(Degree::arcTan2(-1, 0), -90.0f, kTrigTolerance);
  EXPECT_TRUE(std::isnan(Degree::arcSin(1.5f)));
}

}  // namespace
}  // namespace tovren
