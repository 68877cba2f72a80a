#include "geometry/Degree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace tovren {
namespace {

constexpr float kTrigTolerance = 1e-5f;
const float kInf = std::numeric_limits<float>::infinity();

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
bool sameFloat(float expected, float actual) {
  return std::memcmp(&expected, &actual, sizeof(float)) == 0;
}

TEST(Degree, ClosedFormsMatchTheSteppingLoopsAtTheEndsAndFarOut) {
  std::vector<float> angles = {
      -180, 180, 181, -181, 720, -720, -540, 540, 360, -360, -0.5f, 0, -1e-30f, -1e-5f,
      // Magnitudes at which every float step rounds, up to where
      // the loops stop ending.
      1.4e8f, 1.3421774e8f, 134217720.0f, 268435456.0f, 268435472.0f, 2.7e8f, 5.4e8f, 1.0e9f,
      3.3e9f, 8589934592.0f,
      // Either side of one turn off the range.
      std::nextafter(540.0f, 1e3f), std::nextafter(540.0f, 0.0f), std::nextafter(360.0f, 1e3f),
      std::nextafter(360.0f, 0.0f), std::nextafter(180.0f, 1e3f)};
  std::mt19937 random(7);
  std::uniform_real_distribution<float> moderate(-1e5f, 1e5f);
  std::uniform_real_distribution<float> small(-800.0f, 800.0f);
  for (int i = 0; i < 20000; ++i) {
    angles.push_back(moderate(random));
    angles.push_back(small(random));
  }
  for (float a : angles) {
    for (float signedA : {a, -a}) {
      ASSERT_TRUE(sameFloat(loopNormalize(signedA), Degree::normalizeAngle(signedA))) << signedA;
      ASSERT_TRUE(sameFloat(loopAbsolute(signedA), Degree::absoluteAngle(signedA))) << signedA;
    }
  }
  EXPECT_EQ(Degree::absoluteAngle(-1e-30f), 0);  // 360 after one step, so 0
}

TEST(Degree, UnboundedAnglesEndInRange) {
  for (float a : {kInf, -kInf, 1e20f, -1e20f, 3e38f, 8589935616.0f}) {
    EXPECT_GE(Degree::normalizeAngle(a), -180.0f) << a;
    EXPECT_LE(Degree::normalizeAngle(a), 180.0f) << a;
    EXPECT_GE(Degree::absoluteAngle(a), 0.0f) << a;
    EXPECT_LT(Degree::absoluteAngle(a), 360.0f) << a;
  }
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(std::isnan(Degree::normalizeAngle(nan)));
  EXPECT_TRUE(std::isnan(Degree::absoluteAngle(nan)));
}

TEST(Degree, DeltaAngleAcrossTheBackOfTheCircle) {
  const struct Case {
    float a, b, delta;
  } cases[] = {{170, -170, -20}, {-170, 170, 20}, {-180, 180, 0},
               {10, -10, 20},    {0, 180, -180},  {540, 0, 180}};
  for (const Case& c : cases) EXPECT_EQ(Degree::getDeltaAngle(c.a, c.b), c.delta) << c.a;
}

TEST(Degree, IsBetweenRunsCounterClockwiseEndsIncluded) {
  const struct Case {
    float from, to, a;
    bool between;
  } cases[] = {{350, 10, 0, true},    {350, 10, 350, true},    {350, 10, 10, true},
               {350, 10, 180, false}, {350, 10, 10.5f, false}, {10, 10, 370, true},
               {10, 10, 11, false},   {-30, 30, 0, true},      {30, -30, 0, false},
               {30, -30, 180, true},  {-90, 90, -90, true},    {-90, 90, 90, true}};
  for (const Case& c : cases) {
    EXPECT_EQ(Degree::isBetween(c.from, c.to, c.a), c.between)
        << c.from << ".." << c.to << " " << c.a;
  }
}

TEST(Degree, TrigonometryInDegrees) {
  EXPECT_NEAR(Degree::sin(30), 0.5f, kTrigTolerance);
  EXPECT_NEAR(Degree::cos(60), 0.5f, kTrigTolerance);
  EXPECT_NEAR(Degree::tan(45), 1.0f, kTrigTolerance);
  EXPECT_NEAR(Degree::arcSin(0.5f), 30.0f, kTrigTolerance);
  EXPECT_NEAR(Degree::arcTan(1), 45.0f, kTrigTolerance);
  EXPECT_NEAR(Degree::arcTan2(-1, 0), -90.0f, kTrigTolerance);
  EXPECT_EQ(Degree::arcTan2(0, -1), 180);
  EXPECT_EQ(Degree::arcTan2(-0.0f, -1), -180);
  EXPECT_TRUE(std::isnan(Degree::arcSin(1.5f)));
}

}  // namespace
}  // namespace tovren
