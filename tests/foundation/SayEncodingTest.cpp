#include "foundation/SayEncoding.h"

#include "geometry/Degree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

namespace tovren {
namespace {

constexpr float kPositionStep = 0.2f;
constexpr float kSpeedStep = 0.01f;
constexpr float kDirectionStep = 0.25f;
// Room for float rounding on top of one grid step.
constexpr float kSlack = 1e-4f;

int packedNumber(const std::string& text) {
  return SayEncoding::getCharNum(text[0]) + 73 * SayEncoding::getCharNum(text[1]) +
         5329 * SayEncoding::getCharNum(text[2]);
}

TEST(SayEncoding, AlphabetNumbersEachCharacterByItsPlace) {
  ASSERT_EQ(SayEncoding::sayCodeKey.size(), 73u);
  for (int i = 0; i < 73; ++i) EXPECT_EQ(SayEncoding::getCharNum(SayEncoding::sayCodeKey[i]), i);
  EXPECT_EQ(SayEncoding::getCharNum('a'), 10);
  EXPECT_EQ(SayEncoding::getCharNum('_'), 72);
  for (char c : {' ', '"', '\0'}) EXPECT_EQ(SayEncoding::getCharNum(c), -1) << int(c);
}

TEST(SayEncoding, PackedNumbersForEachKindOfValue) {
  const struct Case {
    const char* name;
    std::function<void(std::string&)> encode;
    int packed;
  } cases[] = {
      {"weight at the bottom", [](std::string& o) { SayEncoding::encodeWeight(0, 0, 1, o); }, 0},
      {"weight below", [](std::string& o) { SayEncoding::encodeWeight(-5, 0, 1, o); }, 0},
      {"weight at the top", [](std::string& o) { SayEncoding::encodeWeight(1, 0, 1, o); }, 389016},
      {"weight above", [](std::string& o) { SayEncoding::encodeWeight(7, 0, 1, o); }, 389016},
      {"empty weight range", [](std::string& o) { SayEncoding::encodeWeight(3, 2, 2, o); }, 0},
      {"weight 73", [](std::string& o) { SayEncoding::encodeWeight(73, 0, 389016, o); }, 73},
      {"left bottom corner", [](std::string& o) { SayEncoding::encodeObjectPosition(-53, -35, o); },
       0},
      {"centre", [](std::string& o) { SayEncoding::encodeObjectPosition(0, 0, o); }, 93015},
      {"right end", [](std::string& o) { SayEncoding::encodeObjectPosition(53, 10, o); }, 119778},
      {"last right cell", [](std::string& o) { SayEncoding::encodeObjectPosition(52.8f, 10, o); },
       119778},
      {"left of the field, top",
       [](std::string& o) { SayEncoding::encodeObjectPosition(-60, 35, o); }, 185500},
      {"beyond the top", [](std::string& o) { SayEncoding::encodeObjectPosition(0, 80, o); },
       184705},
      {"velocity", [](std::string& o) { SayEncoding::encodeObjectVelocity(1.0f, -90, o); }, 145080},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string out;
    c.encode(out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(packedNumber(out), c.packed);
  }
  float x = 1, y = 1, weight = 0;
  ASSERT_TRUE(SayEncoding::decodeObjectPosition("x000", 1, x, y));
  EXPECT_EQ(x, -53);
  EXPECT_EQ(y, -35);
  ASSERT_TRUE(SayEncoding::decodeWeight("___", 0, weight, -20, 60));
  EXPECT_EQ(weight, 60);
}

TEST(SayEncoding, WeightRoundTripWithinOneStep) {
  const float min = -3.5f;
  const float max = 120.0f;
  const float step = (max - min) / 389016;
  for (float value = min; value <= max; value += 0.0173f) {
    std::string out;
    SayEncoding::encodeWeight(value, min, max, out);
    ASSERT_EQ(out.size(), 3u);
    float weight = 0;
    ASSERT_TRUE(SayEncoding::decodeWeight(out, 0, weight, min, max));
    ASSERT_NEAR(weight, value, step + kSlack) << value;
  }
}

TEST(SayEncoding, PositionRoundTripOverTheWholeField) {
  for (float x = -53.0f; x < 53.0f; x += 0.0731f) {
    for (float y = -35.0f; y <= 35.0f; y += 0.0917f) {
      std::string out;
      SayEncoding::encodeObjectPosition(x, y, out);
      float dx = 0;
      float dy = 0;
      ASSERT_TRUE(SayEncoding::decodeObjectPosition(out, 0, dx, dy));
      const float expectX = x < 52.8f ? x : 52.8f;
      ASSERT_NEAR(dx, expectX - kPositionStep / 2, kPositionStep / 2 + kSlack) << x;
      ASSERT_NEAR(dy, y - kPositionStep / 2, kPositionStep / 2 + kSlack) << y;
    }
  }
}

TEST(SayEncoding, VelocityRoundTripOverTheWholeRange) {
  for (float speed = 0.0f; speed <= 2.7f; speed += 0.0037f) {
    for (float direction = -180.0f; direction < 540.0f; direction += 0.61f) {
      std::string out;
      SayEncoding::encodeObjectVelocity(speed, direction, out);
      ASSERT_EQ(out.size(), 3u);
      float decodedSpeed = -1;
      float decodedDirection = -1;
      ASSERT_TRUE(SayEncoding::decodeObjectVelocity(out, 0, decodedSpeed, decodedDirection));
      ASSERT_NEAR(decodedSpeed, speed - kSpeedStep / 2, kSpeedStep / 2 + kSlack) << speed;
      const float absolute = Degree::absoluteAngle(direction);
      ASSERT_NEAR(decodedDirection, absolute - kDirectionStep / 2, kDirectionStep / 2 + kSlack)
          << direction;
    }
  }
}

TEST(SayEncoding, SpeedAtTheCapNeverWrapsToZero) {
  for (float direction = 0.0f; direction < 360.0f; direction += 0.25f) {
    for (float speed : {2.7f, 3.5f, std::numeric_limits<float>::infinity()}) {
      std::string out;
      SayEncoding::encodeObjectVelocity(speed, direction, out);
      ASSERT_EQ(out.size(), 3u);
      float decodedSpeed = 0;
      float decodedDirection = 0;
      ASSERT_TRUE(SayEncoding::decodeObjectVelocity(out, 0, decodedSpeed, decodedDirection));
      ASSERT_FLOAT_EQ(decodedSpeed, direction < 54.25f ? 2.7f : 2.69f) << direction;
      ASSERT_EQ(decodedDirection, direction);
    }
  }
}

TEST(SayEncoding, OutOfDomainInputsStayInTheAlphabet) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  std::string out;
  SayEncoding::encodeObjectVelocity(-1.5f, 10, out);
  SayEncoding::encodeObjectVelocity(nan, nan, out);
  SayEncoding::encodeObjectVelocity(1, inf, out);
  SayEncoding::encodeObjectPosition(nan, nan, out);
  SayEncoding::encodeObjectPosition(-inf, inf, out);
  SayEncoding::encodeWeight(nan, 0, 1, out);
  SayEncoding::encodeWeight(-inf, 0, 1, out);
  SayEncoding::encodeWeight(1, nan, nan, out);
  ASSERT_EQ(out.size(), 24u);
  for (char c : out) EXPECT_GE(SayEncoding::getCharNum(c), 0) << out;

  float speed = -1;
  float direction = -1;
  ASSERT_TRUE(SayEncoding::decodeObjectVelocity(out, 0, speed, direction));
  EXPECT_EQ(speed, 0);
  EXPECT_EQ(direction, 10);
}

TEST(SayEncoding, DecodersRefuseShortAndForeignTexts) {
  float a = 7;
  float b = 8;
  EXPECT_FALSE(SayEncoding::decodeObjectPosition("", 0, a, b));
  EXPECT_FALSE(SayEncoding::decodeObjectPosition("ab", 0, a, b));
  EXPECT_FALSE(SayEncoding::decodeObjectPosition("abcd", 2, a, b));
  EXPECT_FALSE(SayEncoding::decodeObjectPosition("abc", 3, a, b));
  EXPECT_FALSE(SayEncoding::decodeObjectPosition("abc", 4000000000u, a, b));
  EXPECT_FALSE(SayEncoding::decodeObjectVelocity("a c", 0, a, b));
  EXPECT_FALSE(SayEncoding::decodeObjectVelocity("\"ab", 0, a, b));
  EXPECT_FALSE(SayEncoding::decodeWeight("ab]", 0, a, 0, 1));
  EXPECT_FALSE(SayEncoding::decodeWeight(std::string("a\0b", 3), 0, a, 0, 1));
  EXPECT_EQ(a, 7);
  EXPECT_EQ(b, 8);
  EXPECT_TRUE(SayEncoding::decodeObjectPosition("\"Aabc\"", 2, a, b));
}

}  // namespace
}  // namespace tovren
