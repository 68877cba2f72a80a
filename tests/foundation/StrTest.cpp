#include "foundation/Str.h"

#include "foundation/SExpression.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace tovren {
namespace {

constexpr float kFloatTolerance = 1e-6f;

TEST(Str, NumbersTakeTheLongestPrefixAndIntegersSaturate) {
  const struct {
    const char* text;
    int value;
  } integers[] = {{"0x10", 16},
                  {"010", 8},
                  {"-3", -3},
                  {"12abc", 12},
                  {" \t+7", 7},
                  {"09", 0},  // 9 is no octal digit
                  {"10.9", 10},
                  {"5\r", 5},
                  {"2147483647", INT_MAX},
                  {"2147483648", INT_MAX},
                  {"99999999999999999999", INT_MAX},
                  {"-2147483649", INT_MIN}};
  for (const auto& c : integers) EXPECT_EQ(Str(c.text).asInt(), c.value) << c.text;
  const struct {
    const char* text;
    float value;
  } floats[] = {{"10.5", 10.5f}, {"-3e2", -300}, {"0.027)", 0.027f}, {".5x", 0.5f}};
  for (const auto& c : floats) EXPECT_NEAR(Str(c.text).asFloat(), c.value, kFloatTolerance);
  for (const char* text : {"TRUE", "True", "1"}) EXPECT_TRUE(Str(text).asBool()) << text;
  for (const char* text : {"fAlSe", "0"}) EXPECT_FALSE(Str(text).asBool()) << text;
}

TEST(StrDeathTest, UnreadableTextsStopNamingTheCondition) {
  EXPECT_DEATH(Str("abc").asInt(), "end != value.c_str\\(\\)");
  EXPECT_DEATH(Str("x1.5").asFloat(), "end != value.c_str\\(\\)");
  EXPECT_DEATH(Str("ab").asChar(), "value.length\\(\\) == 1");
  EXPECT_DEATH(Str("yes").asBool(), "lower == \"true\" \\|\\| lower == \"1\"");
  // Atoms of a message convert exactly as Str.
  unsigned int pos = 0;
  const SExpression list("(x abc r)", pos);
  EXPECT_EQ(dynamic_cast<const SExpAtomic&>(*list[2]).asChar(), 'r');
  EXPECT_DEATH(dynamic_cast<const SExpAtomic&>(*list[1]).asInt(), "end != value.c_str\\(\\)");
}

}  // namespace
}  // namespace tovren
