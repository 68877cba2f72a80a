#include "coach/OppTypes.h"

#include "foundation/Config.h"

#include <gtest/gtest.h>

namespace tovren {
namespace {

// Just inside and just outside a range end.
constexpr float IN = 0.9999f;
constexpr float OUT = 1.001f;

ConfigGroup serverParams() {
  ConfigGroup group;
  const char* const values[][2] = {
      {"maxmoment", "180"},         {"minmoment", "-180"},       {"maxpower", "100"},
      {"minpower", "-100"},         {"player_rand", "0.1"},      {"ball_size", "0.085"},
      {"kick_power_rate", "0.027"}, {"kick_rand_factor_l", "1"}, {"kick_rand_factor_r", "2"}};
  for (const auto& value : values) group.add(value[0], value[1]);
  return group;
}

TypeInfo defaultType() {
  TypeInfo info;
  info.playerSpeedMax = 1.05f;
  info.playerDecay = 0.4f;
  info.inertiaMoment = 5.0f;
  info.dashPowerRate = 0.006f;
  info.playerSize = 0.3f;
  info.kickableMargin = 0.7f;
  info.kickRand = 0.1f;
  return info;
}

Vector xy(float x, float y) {
  Vector v;
  v.setAsCartesian(x, y);
  return v;
}

// dT = 1.12: nominal moments up to 180, widened to 201.6; maximal from 160.71.
TEST(TypeInfo, TurnMomentRangesIncludeTheirEnds) {
  struct Case {
    float speed;
    float turn;
    int able;
    bool max;
  };
  const Case cases[] = {{0.0f, 0.0f, 2, false},          {0.0f, 180.0f, 2, true},
                        {0.0f, 201.6f * IN, 1, true},    {0.0f, 201.6f * OUT, 0, false},
                        {0.0f, 160.714f * OUT, 2, true}, {0.0f, 160.714f * IN, 2, false},
                        {0.2f, 90.0f, 2, true},          {0.2f, 95.0f, 1, true}};
  const TypeInfo info = defaultType();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "speed " << c.speed << " turn " << c.turn);
    EXPECT_EQ(info.isAbleToTurn(xy(c.speed, 0.0f), c.turn, serverParams()), c.able);
    EXPECT_EQ(info.isMaxTurn(xy(c.speed, 0.0f), c.turn, serverParams()), c.max);
  }
}

// dD = 1.31. A dash of power P from rest along the body gives P x 0.006 x 0.4.
TEST(TypeInfo, DashPowerRangesAndSidewaysLimit) {
  struct Case {
    const char* name;
    Vector after;
    Vector before;
    float bodyDir;
    int able;
    bool max;
  };
  const Case cases[] = {
      {"full power", xy(0.24f, 0.0f), xy(0, 0), 0.0f, 2, true},
      {"full power along the body", xy(0.0f, 0.24f), xy(0, 0), 90.0f, 2, true},
      {"power 76 is not maximal", xy(0.24f * 0.76f, 0.0f), xy(0, 0), 0.0f, 2, false},
      {"widened power", xy(0.24f * 1.3f, 0.0f), xy(0, 0), 0.0f, 1, true},
      {"too strong", xy(0.24f * 1.32f, 0.0f), xy(0, 0), 0.0f, 0, false},
      {"backward maximal", xy(-0.24f, 0.0f), xy(0, 0), 0.0f, 2, true},
      {"sideways left", xy(0.0f, 0.25f * 0.4f), xy(0, 0), 0.0f, 2, false},
      {"sideways right judged by power", xy(0.24f, -0.4f * 0.4f), xy(0, 0), 0.0f, 2, true},
      {"faster than the maximum", xy(1.1f, 0.0f), xy(0, 0), 0.0f, 0, true},
      {"started faster than the maximum", xy(0.0f, 0.0f), xy(1.1f, 0), 0.0f, 0, false},
  };
  const TypeInfo info = defaultType();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(info.isAbleToDash(c.after, c.before, c.bodyDir, serverParams()), c.able);
    EXPECT_EQ(info.isMaxDash(c.after, c.before, c.bodyDir, serverParams()), c.max);
  }
}

// Ball right ahead, touching the player: the whole power reaches it, so a kick of 2.7
// is power 100. Noise is 0.2 x sqrt 2 for the left coach, 0.1 x sqrt 2 for
// the right one.
TEST(TypeInfo, KickNeedsReachAndPowerWithinTheOpponentsNoise) {
  struct Case {
    const char* name;
    float ballX;
    float kick;
    Side side;
    float minPower;
    int able;
  };
  const Case cases[] = {
      {"full power", 0.385f, 2.69f, SI_LEFT, -100.0f, 2},
      {"within the noise", 0.385f, 2.95f, SI_LEFT, -100.0f, 1},
      {"beyond the smaller noise", 0.385f, 2.95f, SI_RIGHT, -100.0f, 0},
      {"out of reach", 0.385f + 1.5f, 0.5f, SI_LEFT, -100.0f, 0},
      {"no kick", 0.385f, 0.0f, SI_LEFT, -100.0f, 2},
      {"no kick below the least power", 0.385f, 0.0f, SI_LEFT, 10.0f, 0},
      {"noise longer than the kick", 0.385f, 0.01f, SI_LEFT, 10.0f, 0},
  };
  const TypeInfo info = defaultType();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConfigGroup params = serverParams();
    params.add("minpower", std::to_string(c.minPower));
    EXPECT_EQ(
        info.isAbleToKick(xy(10, 5), xy(10, 5 + c.ballX), 90.0f, xy(c.kick, 0), c.side, params),
        c.able);
  }
}

}  // namespace
}  // namespace tovren
