#include "coach/OppTypes.h"

#include "foundation/Config.h"

#include <gtest/gtest.h>

namespace tovren {
namespace {

// Just inside and just outside a range end.
constexpr float IN = 0.9999f, OUT = 1.001f;

ConfigGroup serverParams() {
  ConfigGroup group;
  const char* const values[][2] = {
      {"maxmoment", "180"},         {"minmoment", "-180"},       {"maxpower", "100"},
      {"minpower", "-100"},         {"player_rand", "0.1"},      {"ball_size", "0.085"},
      {"kick_power_rate", "0.027"}, {"kick_rand_factor_l", "1"}, {"kick_rand_factor_r", "2"}};
  for (const auto& value : values) group.add(value[0], value[1]);
  return group;
}

// The default type: speed 1.05, decay 0.4, inertia 5, dash rate 0.006, size 0.3, margin
// 0.7, kick randomness 0.1.
const TypeInfo info{1.05f, 45.0f, 0.4f, 5.0f, 0.006f, 0.3f, 0.7f, 0.1f, 50.0f, 1.0f, 0.6f};

// dT = 1.12: nominal moments up to 180, widened to 201.6; maximal from 160.71.
TEST(TypeInfo, TurnMomentRangesIncludeTheirEnds) {
  struct Case {
    float speed, turn;
    int able;
    bool max;
  };
  const Case cases[] = {{0.0f, 0.0f, 2, false},          {0.0f, 180.0f, 2, true},
                        {0.0f, 201.6f * IN, 1, true},    {0.0f, 201.6f * OUT, 0, false},
                        {0.0f, 160.714f * OUT, 2, true}, {0.0f, 160.714f * IN, 2, false},
                        {0.2f, 90.0f, 2, true},          {0.2f, 95.0f, 1, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "speed " << c.speed << " turn " << c.turn);
    EXPECT_EQ(info.isAbleToTurn(Point(c.speed, 0.0f), c.turn, serverParams()), c.able);
    EXPECT_EQ(info.isMaxTurn(Point(c.speed, 0.0f), c.turn, serverParams()), c.max);
  }
}

// dD = 1.31. A dash of power P from rest along the body gives P x 0.006 x 0.4.
TEST(TypeInfo, DashPowerRangesAndSidewaysLimit) {
  struct Case {
    const char* name;
    Vector after, before;
    float bodyDir;
    int able;
    bool max;
  };
  const Case cases[] = {
      {"full power", Point(0.24f, 0.0f), Point(0, 0), 0.0f, 2, true},
      {"full power along the body", Point(0.0f, 0.24f), Point(0, 0), 90.0f, 2, true},
      {"widened power", Point(0.24f * 1.3f, 0.0f), Point(0, 0), 0.0f, 1, true},
      {"too strong", Point(0.24f * 1.32f, 0.0f), Point(0, 0), 0.0f, 0, false},
      {"backward maximal", Point(-0.24f, 0.0f), Point(0, 0), 0.0f, 2, true},
      {"sideways left", Point(0.0f, 0.25f * 0.4f), Point(0, 0), 0.0f, 2, false},
      {"sideways right judged by power", Point(0.24f, -0.4f * 0.4f), Point(0, 0), 0.0f, 2, true},
      {"sideways right too strong", Point(0.24f * 1.32f, -0.4f * 0.4f), Point(0, 0), 0.0f, 0,
       false},
      {"faster than the maximum", Point(1.1f, 0.0f), Point(0, 0), 0.0f, 0, true},
      {"started faster than the maximum", Point(0.0f, 0.0f), Point(1.1f, 0), 0.0f, 0, false},
  };
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
    float ballX, kick, minPower;
    Side side;
    int able;
    const char* randFactor = "2";  // kick_rand_factor_r, the opponents' for the left coach
  };
  const Case cases[] = {
      {"full power", 0.385f, 2.69f, -100.0f, SI_LEFT, 2},
      {"within the noise", 0.385f, 2.95f, -100.0f, SI_LEFT, 1},
      {"beyond the smaller noise", 0.385f, 2.95f, -100.0f, SI_RIGHT, 0},
      {"out of reach", 0.385f + 1.5f, 0.5f, -100.0f, SI_LEFT, 0},
      {"no kick", 0.385f, 0.0f, -100.0f, SI_LEFT, 2},
      {"no kick below the least power", 0.385f, 0.0f, 10.0f, SI_LEFT, 0},
      {"noise longer than the kick", 0.385f, 0.01f, 10.0f, SI_LEFT, 0},
      // Noise 2 × sqrt 2 beyond the kick: the kick is taken as it is, power 100.7.
      {"noise longer than a kick just above full power", 0.385f, 2.72f, 10.0f, SI_LEFT, 1, "20"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConfigGroup params = serverParams();
    params.add("minpower", std::to_string(c.minPower));
    params.add("kick_rand_factor_r", c.randFactor);
    EXPECT_EQ(info.isAbleToKick(Point(10, 5), Point(10, 5 + c.ballX), 90.0f, Point(c.kick, 0),
                                c.side, params),
              c.able);
  }
}

}  // namespace
}  // namespace tovren
