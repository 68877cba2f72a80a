#include "foundation/Basics.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tovren {
namespace {

constexpr float kTolerance = 1e-5f;

TEST(Basics, ReRateMapsAndClampsInBothModes) {
  const struct Case {
    float value, inA, inB, outA, outB;
    ReRateMode mode;
    float expected;
  } cases[] = {
      {2, 0, 10, 0, 100, RRM_DIRECT, 20},
      {2, 0, 10, 0, 100, RRM_INVERSE, 80},
      {-1, 0, 10, 0, 100, RRM_DIRECT, 0},
      {11, 0, 10, 0, 100, RRM_DIRECT, 100},
      {-1, 0, 10, 0, 100, RRM_INVERSE, 100},
      {11, 0, 10, 0, 100, RRM_INVERSE, 0},
      {0, 0, 10, 0, 100, RRM_INVERSE, 100},
      {10, 0, 10, 0, 100, RRM_INVERSE, 0},
      {7.5f, 5, 10, 4, 1, RRM_DIRECT, 2.5f},                 // outA above outB: a falling map
      {-1, 0, 10, 0, 100, static_cast<ReRateMode>(5), 100},  // any other mode is inverse
      {-100, 3, 3, 7, 9, RRM_DIRECT, 7},
      {100, 3, 3, 7, 9, RRM_INVERSE, 7},  // empty range
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(Basics::reRate(c.value, c.inA, c.inB, c.outA, c.outB, c.mode), c.expected,
                kTolerance)
        << c.value << " in " << c.inA << ".." << c.inB << " mode " << c.mode;
  }
}

TEST(Basics, ChangeIntBaseAppendsLeastSignificantFirst) {
  const struct Case {
    int value, base;
    std::string digits;
  } cases[] = {{73, 73, std::string("\0\1", 2)},
               {72, 73, "\x48"},
               {0, 73, std::string(1, '\0')},
               {389016, 73, "\x48\x48\x48"},
               {6, 2, std::string("\0\1\1", 3)}};
  for (const Case& c : cases) {
    std::string digits = "x";
    EXPECT_EQ(Basics::changeIntBase(c.value, c.base, digits), int(c.digits.size())) << c.value;
    EXPECT_EQ(digits, "x" + c.digits) << c.value;
  }
}

TEST(BasicsDeathTest, ChangeIntBaseRefusesBadBaseAndNegativeValue) {
  std::string digits;
  EXPECT_DEATH(Basics::changeIntBase(5, 1, digits), "base >= 2");
  EXPECT_DEATH(Basics::changeIntBase(-1, 73, digits), "value >= 0");
}

TEST(Basics, BallStatusPrintsItsName) {
  std::ostringstream out;
  out << BS_NONE << " " << BS_KICKABLE_BODY_OPP << " " << BS_FreeBall << " "
      << BS_FREE_BALL_BODY_OPP << "|" << static_cast<BallStatus>(14) << "|";
  EXPECT_EQ(out.str(), "BS_NONE BS_KICKABLE_BODY_OPP BS_FreeBall BS_FREE_BALL_BODY_OPP||");
}

}  // namespace
}  // namespace tovren
