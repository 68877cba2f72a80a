#include "foundation/SayEncoding.h"

#include "geometry/Degree.h"

#include <gtest/gtest.h>

#include <cmath>
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

TEST(SayEncoding, AlphabetEnds) {
  EXPECT_EQ(SayEncoding::sayCodeKey.size(), 73u);
  EXPECT_EQ(SayEncoding::getCharNum('0'), 0);
  EXPECT_EQ(SayEncoding::getCharNum('9'), 9);
  EXPECT_EQ(SayEncoding::getCharNum('a'), 10);
  EXPECT_EQ(SayEncoding::getCharNum('z'), 35);
  EXPECT_EQ(SayEncoding::getCharNum('A'), 36);
  EXPECT_EQ(SayEncoding::getCharNum('Z'), 61);
  EXPECT_EQ(SayEncoding::getCharNum('-'), 62);
  EXPECT_EQ(SayEncoding::getCharNum('('), 63);
  EXPECT_EQ(SayEncoding::getCharNum(')'), 64);
  EXPECT_EQ(SayEncoding::getCharNum('_'), 72);
  EXPECT_EQ(SayEncoding::getCharNum(' '), -1);
  EXPECT_EQ(SayEncoding::getCharNum('"'), -1);
  EXPECT_EQ(SayEncoding::getCharNum('\0'), -1);
  for (int i = 0; i < 73; ++i) EXPECT_EQ(SayEncoding::getCharNum(SayEncoding::sayCodeKey[i]), i);
}

TEST(SayEncoding, WeightsFillTheWholeRange) {
  std::string out = "A";
  SayEncoding::encodeWeight(0, 0, 1, out);
  SayEncoding::encodeWeight(-5, 0, 1, out);
  SayEncoding::encodeWeight(1, 0, 1, out);
  SayEncoding::encodeWeight(7, 0, 1, out);
  SayEncoding::encodeWeight(3, 2, 2, out);
  EXPECT_EQ(out, "A000000______000");

  float weight = 0;
  ASSERT_TRUE(SayEncoding::decodeWeight("___", 0, weight, -20, 60));
  EXPECT_EQ(weight, 60);
  ASSERT_TRUE(SayEncoding::decodeWeight("x000", 1, weight, -20, 60));
  EXPECT_EQ(weight, -20);
}

TEST(SayEncoding, ThreeCharactersLeastSignificantFirst) {
  // 73 is written 0, 1, 0: a weight whose grid number is exactly 73.
  std::string out;
  SayEncoding::encodeWeight(73, 0, 389016, out);
  EXPECT_EQ(out, "010");
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

TEST(SayEncoding, PositionExamples) {
  std::string out;
  SayEncoding::encodeObjectPosition(-53, -35, out);
  EXPECT_EQ(out, "000");
  out.clear();
  SayEncoding::encodeObjectPosition(0, 0, out);
  EXPECT_EQ(packedNumber(out), 265 + 530 * 175);
  EXPECT_EQ(packedNumber(out), 93015);
  float x = 1;
  float y = 1;
  ASSERT_TRUE(SayEncoding::decodeObjectPosition(out, 0, x, y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);

  std::string at53;
  std::string at528;
  SayEncoding::encodeObjectPosition(53, 10, at53);
  SayEncoding::encodeObjectPosition(52.8f, 10, at528);
  EXPECT_EQ(at53, at528);
  EXPECT_EQ(packedNumber(at53) % 530, 528);

  out.clear();
  SayEncoding::encodeObjectPosition(-60, 35, out);
  EXPECT_EQ(packedNumber(out), 530 * 350);
  ASSERT_TRUE(SayEncoding::decodeObjectPosition(out, 0, x, y));
  EXPECT_EQ(x, -53);
  EXPECT_EQ(y, 35);

  // Beyond the top: 34.8, the last full cell.
  out.clear();
  SayEncoding::encodeObjectPosition(0, 80, out);
  EXPECT_EQ(packedNumber(out) / 530, 348);
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

TEST(SayEncoding, VelocityExample) {
  std::string out;
  SayEncoding::encodeObjectVelocity(1.0f, -90, out);
  EXPECT_EQ(packedNumber(out), 145080);
  float speed = 0;
  float direction = 0;
  ASSERT_TRUE(SayEncoding::decodeObjectVelocity(out, 0, speed, direction));
  EXPECT_EQ(speed, 1.0f);
  EXPECT_EQ(direction, 270);
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
