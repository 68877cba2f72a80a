#include "foundation/Str.h"

#include "foundation/SExpression.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace tovren {
namespace {

constexpr float kFloatTolerance = 1e-6f;

TEST(Str, IntegersTakeTheLongestPrefixInAutomaticBase) {
  EXPECT_EQ(Str("0x10").asInt(), 16);
  EXPECT_EQ(Str("010").asInt(), 8);
  EXPECT_EQ(Str("-3").asInt(), -3);
  EXPECT_EQ(Str("12abc").asInt(), 12);
  EXPECT_EQ(Str(" \t+7").asInt(), 7);
  EXPECT_EQ(Str("09").asInt(), 0);  // 9 is no octal digit
  EXPECT_EQ(Str("10.9").asInt(), 10);
  EXPECT_EQ(Str("5\r").asInt(), 5);
}

TEST(Str, IntegersOutsideTheRangeOfIntSaturate) {
  EXPECT_EQ(Str("99999999999999999999").asInt(), INT_MAX);
  EXPECT_EQ(Str("-4294967296").asInt(), INT_MIN);
  EXPECT_EQ(Str("2147483647").asInt(), INT_MAX);
}

TEST(Str, FloatsTakeTheLongestPrefix) {
  EXPECT_NEAR(Str("10.5").asFloat(), 10.5f, kFloatTolerance);
  EXPECT_NEAR(Str("-3e2").asFloat(), -300.0f, kFloatTolerance);
  EXPECT_NEAR(Str("0.027)").asFloat(), 0.027f, kFloatTolerance);
  EXPECT_NEAR(Str(".5x").asFloat(), 0.5f, kFloatTolerance);
}

TEST(Str, BooleansIgnoreLetterCase) {
  EXPECT_TRUE(Str("TRUE").asBool());
  EXPECT_TRUE(Str("True").asBool());
  EXPECT_TRUE(Str("1").asBool());
  EXPECT_FALSE(Str("fAlSe").asBool());
  EXPECT_FALSE(Str("0").asBool());
}

TEST(Str, AtomsConvertExactlyAsStr) {
  const std::string text = "(x 0x10 010 -3 12abc TRUE 0 r 2.5e1 \"q\")";
  unsigned int pos = 0;
  const SExpression list(text, pos);
  const auto atom = [&list](unsigned int index) -> const SExpAtomic& {
    return dynamic_cast<const SExpAtomic&>(*list[index]);
  };
  EXPECT_EQ(atom(1).asInt(), 16);
  EXPECT_EQ(atom(2).asInt(), 8);
  EXPECT_EQ(atom(3).asInt(), -3);
  EXPECT_EQ(atom(4).asInt(), 12);
  EXPECT_TRUE(atom(5).asBool());
  EXPECT_FALSE(atom(6).asBool());
  EXPECT_EQ(atom(7).asChar(), 'r');
  EXPECT_NEAR(atom(8).asFloat(), 25.0f, kFloatTolerance);
  EXPECT_EQ(atom(9).asString(), "\"q\"");
  EXPECT_EQ(atom(9).toString(), "\"q\"");
}

TEST(StrDeathTest, UnreadableTextsStopNamingTheCondition) {
  EXPECT_DEATH(Str("abc").asInt(), "end != value.c_str\\(\\)");
  EXPECT_DEATH(Str("").asInt(), "end != value.c_str\\(\\)");
  EXPECT_DEATH(Str("x1.5").asFloat(), "end != value.c_str\\(\\)");
  EXPECT_DEATH(Str("ab").asChar(), "value.length\\(\\) == 1");
  EXPECT_DEATH(Str("").asChar(), "value.length\\(\\) == 1");
  EXPECT_DEATH(Str("yes").asBool(),
               "lower == \"true\" \\|\\| lower == \"1\" \\|\\| lower == \"false\" \\|\\| "
               "lower == \"0\"");
  const std::string text = "(x abc)";
  unsigned int pos = 0;
  const SExpression list(text, pos);
  const auto& atom = dynamic_cast<const SExpAtomic&>(*list[1]);
  EXPECT_DEATH(atom.asInt(), "end != value.c_str\\(\\)");
  EXPECT_DEATH(atom.asBool(), "lower == \"true\"");
}

}  // namespace
}  // namespace tovren
