#include "foundation/Basics.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tovren {
namespace {

constexpr float kTolerance = 1e-5f;

TEST(Basics, ReRateMapsAndClampsInBothModes) {
  EXPECT_EQ(Basics::reRate(5, 0, 10, 0, 100, RRM_DIRECT), 50);
  EXPECT_EQ(Basics::reRate(5, 0, 10, 0, 100, RRM_INVERSE), 50);
  EXPECT_NEAR(Basics::reRate(2, 0, 10, 0, 100, RRM_DIRECT), 20.0f, kTolerance);
  EXPECT_NEAR(Basics::reRate(2, 0, 10, 0, 100, RRM_INVERSE), 80.0f, kTolerance);
  EXPECT_EQ(Basics::reRate(-1, 0, 10, 0, 100, RRM_DIRECT), 0);
  EXPECT_EQ(Basics::reRate(11, 0, 10, 0, 100, RRM_DIRECT), 100);
  EXPECT_EQ(Basics::reRate(-1, 0, 10, 0, 100, RRM_INVERSE), 100);
  EXPECT_EQ(Basics::reRate(11, 0, 10, 0, 100, RRM_INVERSE), 0);
  EXPECT_EQ(Basics::reRate(0, 0, 10, 0, 100, RRM_INVERSE), 100);
  EXPECT_EQ(Basics::reRate(10, 0, 10, 0, 100, RRM_INVERSE), 0);
  // outA above outB: a falling map.
  EXPECT_NEAR(Basics::reRate(7.5f, 5, 10, 4, 1, RRM_DIRECT), 2.5f, kTolerance);
}

TEST(Basics, ReRateOfAnEmptyRangeGivesOutA) {
  for (float value : {-100.0f, 3.0f, 100.0f}) {
    EXPECT_EQ(Basics::reRate(value, 3, 3, 7, 9, RRM_DIRECT), 7);
    EXPECT_EQ(Basics::reRate(value, 3, 3, 7, 9, RRM_INVERSE), 7);
  }
}

TEST(Basics, ReRateTakesAnyNonZeroModeAsInverse) {
  EXPECT_EQ(Basics::reRate(-1, 0, 10, 0, 100, static_cast<ReRateMode>(5)), 100);
}

TEST(Basics, ChangeIntBaseAppendsLeastSignificantFirst) {
  std::string digits = "x";
  EXPECT_EQ(Basics::changeIntBase(73, 73, digits), 2);
  EXPECT_EQ(digits, std::string("x\0\1", 3));

  digits.clear();
  EXPECT_EQ(Basics::changeIntBase(72, 73, digits), 1);
  EXPECT_EQ(digits, std::string(1, '\x48'));

  digits.clear();
  EXPECT_EQ(Basics::changeIntBase(0, 73, digits), 1);
  EXPECT_EQ(digits, std::string(1, '\0'));

  digits.clear();
  EXPECT_EQ(Basics::changeIntBase(389016, 73, digits), 3);
  EXPECT_EQ(digits, std::string(3, '\x48'));

  digits.clear();
  EXPECT_EQ(Basics::changeIntBase(6, 2, digits), 3);
  EXPECT_EQ(digits, std::string("\0\1\1", 3));
}

TEST(BasicsDeathTest, ChangeIntBaseRefusesBadBaseAndNegativeValue) {
  std::string digits;
  EXPECT_DEATH(Basics::changeIntBase(5, 1, digits), "base >= 2");
  EXPECT_DEATH(Basics::changeIntBase(5, 0, digits), "base >= 2");
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
