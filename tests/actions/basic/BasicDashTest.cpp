#include "actions/basic/BasicDash.h"

#include "connection/Command.h"
#include "geometry/Degree.h"
#include "support/Scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace tovren {
namespace {

using support::dashPower;
using support::makeBallNearBody;
using support::makeBody;
using support::polar;
using support::textOf;
using support::turnMoment;

constexpr float kTolerance = 1e-2f;
// Far more cycles than any of the walks below needs.
constexpr int kMaxWalkCycles = 80;

// The recorded parameters with one player-type key changed.
Body withPlayerTypeKey(Body body, const std::string& key, const std::string& value) {
  ConfigGroup type = support::RecordedParams::get().getPlayerType(0);
  type.add(key, value);
  body.setType(0, type);
  return body;
}

enum Skill { EXACT, PRECISE, NORMAL };

// The recorded player: decay 0.4, dash power rate 0.006, effort 1, stamina_inc_max 45.
TEST(GotoPoint, ModeAndCommandByTheScene) {
  const float none = NAN;
  const struct {
    const char* name;
    Skill skill;
    float bodyDir;
    float speed;  // along +x
    float stamina;
    Point target;
    float tolerance;
    bool backward;
    float extra;  // angle tolerance (precise), maximum power (normal)
    float finalDir;
    int mode;
    // The command's text or its start (turn moments are negated in the text).
    const char* command;
  } cases[] = {
      {"exact: at the tolerance is not arrived", EXACT, 0, 0, 8000, Point(0.5f, 0), 0.5f, false, 0,
       none, GOTO_MODE_DASH, "(dash 50.00)"},
      {"exact: strictly within arrives", EXACT, 0, 0, 8000, Point(0.5f, 0), 0.50001f, false, 0,
       none, GOTO_MODE_ARRIVED, "null"},
      {"exact: 1 m takes a full dash", EXACT, 0, 0, 8000, Point(1, 0), 0.1f, false, 0, none,
       GOTO_MODE_DASH, "(dash 100.00)"},
      // Moving at 0.3 the body coasts 0.4872; the dash covers the remaining 0.5128.
      {"exact: coasting counted", EXACT, 0, 0.3f, 8000, Point(1, 0), 0.1f, false, 0, none,
       GOTO_MODE_DASH, "(dash 51.28)"},
      {"exact: forward guard below", EXACT, 0, 0, 1349, Point(5, 0), 0.1f, false, 0, none,
       GOTO_MODE_DASH, "(dash 45.00)"},
      {"exact: forward guard at", EXACT, 0, 0, 1350, Point(5, 0), 0.1f, false, 0, none,
       GOTO_MODE_DASH, "(dash 100.00)"},
      {"exact: backward guard below", EXACT, 0, 0, 1399, Point(-5, 0), 0.1f, true, 0, none,
       GOTO_MODE_DASH, "(dash -22.50)"},
      {"exact: backward guard at", EXACT, 0, 0, 1400, Point(-5, 0), 0.1f, true, 0, none,
       GOTO_MODE_DASH, "(dash -100.00)"},
      {"exact: behind, forward only", EXACT, 90, 0, 8000, Point(0, -3), 0.2f, false, 0, none,
       GOTO_MODE_TURN, "(turn"},
      {"exact: behind, backward", EXACT, 90, 0, 8000, Point(0, -3), 0.2f, true, 0, none,
       GOTO_MODE_DASH, "(dash -100.00)"},
      // At speed 1.0 one turn covers 29.8 degrees; the target 150 degrees to the left lies
      // 30 off the reverse direction.
      {"exact: backward turn fits one turn", EXACT, 0, 1, 8000, Point(-3.4641f, 2), 0.2f, true, 0,
       none, GOTO_MODE_TURN, "(turn 180.00)"},
      {"exact: forward turn", EXACT, 0, 1, 8000, Point(-3.4641f, 2), 0.2f, false, 0, none,
       GOTO_MODE_TURN, "(turn -180.00)"},
      {"precise: the power that lands nearest", PRECISE, 0, 0, 8000, Point(0.5f, 0), 0.2f, false,
       20, none, GOTO_MODE_DASH, "(dash 85.00)"},
      {"precise: far", PRECISE, 0, 0, 8000, Point(8, 0), 0.2f, false, 20, none, GOTO_MODE_DASH,
       "(dash 100.00)"},
      {"precise: far behind", PRECISE, 0, 0, 8000, Point(-8, 0), 0.2f, true, 20, none,
       GOTO_MODE_DASH, "(dash -100.00)"},
      {"precise: 15 degrees off, cone 20", PRECISE, 0, 0, 8000, Point(4.8296f, 1.2941f), 0.2f,
       false, 20, none, GOTO_MODE_DASH, "(dash"},
      {"precise: 15 degrees off, cone 10", PRECISE, 0, 0, 8000, Point(4.8296f, 1.2941f), 0.2f,
       false, 10, none, GOTO_MODE_TURN, "(turn"},
      {"normal: full stamina", NORMAL, 0, 0, 8000, Point(10, 0), 1, false, 100, none,
       GOTO_MODE_DASH, "(dash 100.00)"},
      {"normal: stamina 2500", NORMAL, 0, 0, 2500, Point(10, 0), 1, false, 100, none,
       GOTO_MODE_DASH, "(dash 100.00)"},
      {"normal: stamina 2499", NORMAL, 0, 0, 2499, Point(10, 0), 1, false, 100, none,
       GOTO_MODE_DASH, "(dash 80.00)"},
      {"normal: stamina 2000", NORMAL, 0, 0, 2000, Point(10, 0), 1, false, 100, none,
       GOTO_MODE_DASH, "(dash 80.00)"},
      {"normal: stamina 1999", NORMAL, 0, 0, 1999, Point(10, 0), 1, false, 100, none,
       GOTO_MODE_DASH, "(dash 60.00)"},
      {"normal: stamina 1500", NORMAL, 0, 0, 1500, Point(10, 0), 1, false, 100, none,
       GOTO_MODE_DASH, "(dash 60.00)"},
      {"normal: stamina 1499", NORMAL, 0, 0, 1499, Point(10, 0), 1, false, 100, none,
       GOTO_MODE_DASH, "(dash 45.00)"},
      {"normal: ceiling", NORMAL, 0, 0, 3000, Point(10, 0), 1, false, 50, none, GOTO_MODE_DASH,
       "(dash 50.00)"},
      {"normal: off by six", NORMAL, -6, 0, 8000, Point(10, 0), 0.5f, false, 100, none,
       GOTO_MODE_DASH, "(dash 100.00)"},
      {"normal: off by six, to the right", NORMAL, 6, 0, 8000, Point(10, 0), 0.5f, false, 100, none,
       GOTO_MODE_DASH, "(dash 100.00)"},
      // Off by 20 at distance 1 with tolerance 0.5: the cone is 26.57 degrees.
      {"normal: within the tolerance cone", NORMAL, -20, 0, 8000, Point(1, 0), 0.5f, false, 100,
       none, GOTO_MODE_DASH, "(dash 100.00)"},
      {"normal: outside the cone", NORMAL, -20, 0, 8000, Point(10, 0), 0.5f, false, 100, none,
       GOTO_MODE_TURN, "(turn -20.00)"},
      {"normal: zero tolerance is the smallest", NORMAL, 0, 0, 8000, Point(0.00005f, 0), 0, false,
       100, none, GOTO_MODE_ARRIVED, "(turn"},
      {"normal: arrived still turns", NORMAL, 0, 0, 8000, Point(0.5f, 0.8f), 1.5f, false, 100, none,
       GOTO_MODE_ARRIVED, "(turn"},
      {"normal: arrived turns to the final direction", NORMAL, 0, 0, 8000, Point(0.5f, 0), 1.5f,
       false, 100, 90, GOTO_MODE_ARRIVED, "(turn -90.00)"},
      {"normal: far dashes despite a final direction", NORMAL, 0, 0, 8000, Point(8, 0), 1.5f, false,
       100, 90, GOTO_MODE_DASH, "(dash 100.00)"},
      {"normal: maximum power 0 turns to the final direction", NORMAL, 30, 0, 8000, Point(8, 4.6f),
       1.5f, false, 0, -60, GOTO_MODE_DASH, "(turn 90.00)"},
      {"normal: maximum power 0, behind", NORMAL, 30, 0, 8000, Point(-5, 2), 1.5f, false, 0, -60,
       GOTO_MODE_TURN, "(turn 90.00)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Body body = makeBody(Point(0, 0), c.bodyDir, polar(c.speed, 0.0f), c.stamina);
    int mode = -1;
    std::unique_ptr<Command> command;
    if (c.skill == EXACT) {
      ExactGotoPoint skill(c.target, c.tolerance, body, c.backward);
      mode = skill.getMode();
      command = skill.takeCommand();
    } else if (c.skill == PRECISE) {
      PreciseGotoPoint skill(c.target, c.tolerance, body, c.backward, c.extra);
      mode = skill.getMode();
      command = skill.takeCommand();
    } else {
      auto skill = std::isnan(c.finalDir)
                       ? DashNormalGotoPoint(c.target, c.tolerance, body, c.extra)
                       : DashNormalGotoPoint(c.target, c.tolerance, body, c.extra, c.finalDir);
      mode = skill.getMode();
      command = skill.takeCommand();
    }
    EXPECT_EQ(mode, c.mode);
    const std::string text = textOf(command.get());
    EXPECT_EQ(text.substr(0, std::string(c.command).size()), c.command) << text;
  }
}

// Where the server takes a backward dash only at 180 degrees, it accelerates by the back
// dash rate (0.7): the same way back needs more power. The command keeps its sign.
TEST(GotoPoint, BackwardPowerFollowsTheServersBackDashRate) {
  const struct {
    const char* name;
    bool precise;
    float minDashPower, stamina, targetX;
    const char* command;
  } cases[] = {
      {"exact, negative powers obeyed", false, -100, 8000, -0.5f, "(dash -50.00)"},
      {"exact, by direction", false, 0, 8000, -0.5f, "(dash -71.43)"},
      {"exact, by direction, capped", false, 0, 8000, -0.8f, "(dash -100.00)"},
      {"exact, by direction, tired", false, 0, 1399, -0.5f, "(dash -22.50)"},
      {"precise, negative powers obeyed", true, -100, 8000, -0.3f, "(dash -50.00)"},
      {"precise, by direction", true, 0, 8000, -0.3f, "(dash -70.00)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Body body = makeBody(Point(0, 0), 0.0f, polar(0.0f, 0.0f), c.stamina);
    body.setCommandLimits().minDashPower = c.minDashPower;
    body.setCommandLimits().backDashRate = 0.7f;
    std::unique_ptr<Command> command;
    if (c.precise) {
      PreciseGotoPoint skill(Point(c.targetX, 0), 0.1f, body, true, 20.0f);
      command = skill.takeCommand();
    } else {
      ExactGotoPoint skill(Point(c.targetX, 0), 0.1f, body, true);
      command = skill.takeCommand();
    }
    EXPECT_EQ(textOf(command.get()), c.command);
  }
}

TEST(ExactGotoPoint, TurnChoiceIsMirrorSymmetric) {
  const Body body = makeBody(Point(0, 0), 0.0f, polar(0.4f, 0.0f));
  for (bool canBackward : {false, true}) {
    for (float angle : {35.0f, 100.0f, 150.0f}) {
      SCOPED_TRACE(angle);
      ExactGotoPoint left(Point(4.0f * Degree::cos(angle), 4.0f * Degree::sin(angle)), 0.2f, body,
                          canBackward);
      ExactGotoPoint right(Point(4.0f * Degree::cos(angle), -4.0f * Degree::sin(angle)), 0.2f, body,
                           canBackward);
      ASSERT_EQ(left.getMode(), right.getMode());
      if (left.getMode() == GOTO_MODE_TURN) {
        EXPECT_NEAR(turnMoment(left.getCommand()), -turnMoment(right.getCommand()), kTolerance);
      }
    }
  }
}

TEST(GotoPoint, DegenerateParametersGiveFiniteCommands) {
  const Body noRate = withPlayerTypeKey(makeBody(Point(0, 0), 0.0f), "dash_power_rate", "0");
  ExactGotoPoint still(Point(3, 0), 0.2f, noRate, false);
  EXPECT_NEAR(dashPower(still.getCommand()), 100.0f, kTolerance);
  // With no dash effect every power lands on the same spot: the smaller power is kept.
  float power = -1.0f;
  PreciseGotoPoint::setDashPower(noRate, Point(5, 0), 100.0f, power);
  EXPECT_EQ(power, 0.0f);
  PreciseGotoPoint::setDashPower(noRate, Point(-5, 0), -100.0f, power);
  EXPECT_EQ(power, 0.0f);

  Body endless = makeBody(Point(0, 0), 0.0f, polar(0.5f, 0.0f));
  endless.setDecay(1.0f);
  ExactGotoPoint coasting(Point(3, 0), 0.2f, endless, false);
  EXPECT_TRUE(support::hasFiniteText(*coasting.getCommand()));

  Body narrowBody = makeBody(Point(0, 0), 0.0f);
  narrowBody.setServerParamVars(
      support::recordedServerParamWith({{"maxmoment", "90"}, {"minmoment", "-90"}}));
  EXPECT_NE(ExactGotoPoint(Point(-3, 1), 0.2f, narrowBody, true).getCommand(), nullptr);
}

TEST(DashDribbleGotoBall, DashesOnlyWhenTheRunCatchesTheBall) {
  // Reach 1.1 × (0.7 + 0.3 + 0.085); stamina threshold 8000 × 0.3 + 150.
  constexpr float kReach = 1.1935f;
  constexpr float kStaminaThreshold = 2550.0f;
  const struct {
    const char* name;
    float distance;
    float relativeDir;
    Vector vel;
    float stamina;
    float power;  // -1: no dash
  } cases[] = {
      // Behind the body any dash carries it away: only the reach at the start counts.
      {"within reach behind", kReach - 0.01f, 180, Vector(), 8000, 100},
      {"beyond reach behind", kReach + 0.05f, 180, Vector(), 8000, -1},
      {"resting ahead", 5, 0, Vector(), 8000, 100},
      {"rolling towards the body", 8, 0, polar(1.0f, 180.0f), 8000, 100},
      {"running away at top speed", 2, 0, polar(3.0f, 0.0f), 8000, -1},
      {"off to the side", 5, 53.13f, Vector(), 8000, -1},
      {"at the stamina threshold", 3, 0, Vector(), kStaminaThreshold, 100},
      {"below the stamina threshold", 3, 0, Vector(), kStaminaThreshold - 1, 45},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Body body = makeBody(Point(0, 0), 0.0f, Vector(), c.stamina);
    DashDribbleGotoBall skill(makeBallNearBody(body, c.distance, c.relativeDir, c.vel), body);
    const float power = skill.getCommand() != nullptr ? dashPower(skill.getCommand()) : -1.0f;
    EXPECT_NEAR(power, c.power, kTolerance);
  }
}

TEST(DashDribbleGotoBall, ThresholdFollowsTheStaminaMaximumAndTheHigherDecThreshold) {
  // stamina_max 4000: both thresholds 0.3 give 1350; the higher of 0.3 and 0.5 gives 2150.
  const struct {
    const char* effortDecThr;
    const char* recoverDecThr;
    float stamina;
    float power;
  } cases[] = {{"0.3", "0.3", 1350, 100}, {"0.3", "0.3", 1349, 45},  {"0.5", "0.3", 2150, 100},
               {"0.5", "0.3", 2149, 45},  {"0.3", "0.5", 2150, 100}, {"0.3", "0.5", 2149, 45}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.effortDecThr) + " " + c.recoverDecThr + " " +
                 std::to_string(c.stamina));
    Body body = makeBody(Point(0, 0), 0.0f, Vector(), c.stamina);
    body.setServerParamVars(
        support::recordedServerParamWith({{"stamina_max", "4000"},
                                          {"effort_dec_thr", c.effortDecThr},
                                          {"recover_dec_thr", c.recoverDecThr}}));
    DashDribbleGotoBall skill(makeBallNearBody(body, 1.0f, 0.0f), body);
    EXPECT_NEAR(dashPower(skill.getCommand()), c.power, kTolerance);
  }
}

// The command the set-play approach must give when it heads for the point.
std::string exactTowards(const Point& point, const Body& body) {
  return textOf(ExactGotoPoint(point, 0.2f, body, false).getCommand());
}

TEST(FreeKickGotoPoint, HeadsBehindTheBallOrHalfwayRoundIt) {
  // Ball at the origin kicked towards +x: the point behind lies 0.3 + 0.5 + 0.1 on the -x
  // axis. The way round lies 0.3 + 0.5 + 2.0 from the ball, halfway between the
  // ball-to-kicker direction (2.29 degrees from +x) and the direction behind the ball.
  const Point behind(-0.9f, 0.0f);
  const struct {
    const char* name;
    Point kicker;
    float bodyDir;
    Point aim;
    int status;
  } cases[] = {
      {"from behind", Point(-10, 0), 0, behind, GOTO_STATUS_MOVING},
      {"on the kick side above the line", Point(5, 0.2f), 180, Point(-0.0560f, 2.7994f),
       GOTO_STATUS_MOVING},
      {"on the kick side below the line", Point(5, -0.2f), 180, Point(-0.0560f, -2.7994f),
       GOTO_STATUS_MOVING},
      // The line to the point behind passes 0.886 from the ball, beyond 0.81.
      {"ball clear of the way", Point(0, 5), -90, behind, GOTO_STATUS_MOVING},
      // The ball is nearer than the point behind, which lies within the offset's length.
      {"between ball and point behind", Point(-0.3f, 0.05f), 180, behind, GOTO_STATUS_MOVING},
      {"within the tolerance", Point(-0.71f, 0), 0, behind, GOTO_STATUS_ARRIVED},
      {"beyond the tolerance", Point(-1.11f, 0), 0, behind, GOTO_STATUS_MOVING},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Body body = makeBody(c.kicker, c.bodyDir);
    FreeKickGotoPoint skill(Point(0, 0), 0.0f, 0.5f, body);
    EXPECT_EQ(skill.getStatus(), c.status);
    EXPECT_EQ(textOf(skill.getCommand()), exactTowards(c.aim, body));
  }
}

TEST(FreeKickGotoPoint, WalksAroundTheBallAndArrivesBehindIt) {
  // From every side of a ball kicked at 30 degrees the kicker reaches the point behind
  // the ball and never runs into the ball on the way.
  const Point ball(10.0f, -5.0f);
  const Point behind(ball.x - 0.9f * Degree::cos(30.0f), ball.y - 0.9f * Degree::sin(30.0f));
  for (int side = 0; side < 8; ++side) {
    SCOPED_TRACE(side);
    const float around = 45.0f * static_cast<float>(side) + 10.0f;
    Body body = makeBody(Point(Vector(ball) + polar(6.0f, around)), around);
    int cycle = 0;
    for (; cycle < kMaxWalkCycles; ++cycle) {
      FreeKickGotoPoint skill(ball, 30.0f, 0.5f, body);
      if (skill.getStatus() == GOTO_STATUS_ARRIVED) break;
      support::simulateCycle(body, skill.getCommand());
      EXPECT_GT(body.getDistance(ball), 0.3f);
    }
    EXPECT_LT(cycle, kMaxWalkCycles);
    EXPECT_LT(body.getDistance(behind), 0.2f);
  }
}

}  // namespace
}  // namespace tovren
