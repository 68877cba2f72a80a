#include "actions/basic/BasicDash.h"

#include "actions/basic/BasicTurn.h"
#include "connection/Command.h"
#include "support/ActionScene.h"
#include "worldmodel/Body.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace tovren {
namespace {

using support::makeBody;
using support::polar;

constexpr float kTolerance = 1e-3f;
// Far more cycles than any of the walks below needs.
constexpr int kMaxWalkCycles = 60;

std::unique_ptr<Command> take(BasicAction& skill) { return skill.takeCommand(); }

float dashPower(const Command* command) {
  const auto* dash = dynamic_cast<const DashCommand*>(command);
  EXPECT_NE(dash, nullptr);
  return dash != nullptr ? dash->getPower() : 0.0f;
}

float turnMoment(const Command* command) {
  const auto* turn = dynamic_cast<const TurnCommand*>(command);
  EXPECT_NE(turn, nullptr);
  return turn != nullptr ? turn->getDirection() : 0.0f;
}

bool isFiniteText(const Command& command) {
  const std::string text = command.toString();
  return text.find("nan") == std::string::npos && text.find("inf") == std::string::npos;
}

// The recorded parameters with one player-type key changed.
Body withPlayerTypeKey(Body body, const std::string& key, const std::string& value) {
  ConfigGroup type = support::RecordedParams::get().getPlayerType(0);
  type.add(key, value);
  body.setType(0, type);
  return body;
}

// Runs a go-to skill cycle by cycle under the motion model until it reports arrival;
// returns the cycles it took (kMaxWalkCycles when it never did).
template <typename MakeSkill>
int walk(Body& body, MakeSkill makeSkill) {
  for (int cycle = 0; cycle < kMaxWalkCycles; ++cycle) {
    auto skill = makeSkill(body);
    std::unique_ptr<Command> command = skill.takeCommand();
    if (skill.getMode() == GOTO_MODE_ARRIVED) {
      return cycle;
    }
    support::simulateCycle(body, command.get());
  }
  return kMaxWalkCycles;
}

TEST(ExactGotoPoint, ArrivesOnlyStrictlyWithinTheTolerance) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  ExactGotoPoint atTolerance(Point(0.5f, 0.0f), 0.5f, body, false);
  const auto atCommand = take(atTolerance);
  EXPECT_EQ(atTolerance.getMode(), GOTO_MODE_DASH);
  EXPECT_NE(atCommand, nullptr);
  ExactGotoPoint within(Point(0.5f, 0.0f), 0.50001f, body, false);
  EXPECT_EQ(within.getMode(), GOTO_MODE_ARRIVED);
  EXPECT_EQ(within.getCommand(), nullptr);
}

TEST(ExactGotoPoint, DashStopsAtTheTargetAfterCoasting) {
  // Decay 0.4, dash power rate 0.006, effort 1, full stamina.
  const Body body = makeBody(Point(0, 0), 0.0f);
  ExactGotoPoint oneMetre(Point(1.0f, 0.0f), 0.1f, body, false);
  const auto oneCommand = take(oneMetre);
  EXPECT_NEAR(dashPower(oneCommand.get()), 100.0f, kTolerance);
  ExactGotoPoint halfMetre(Point(0.5f, 0.0f), 0.1f, body, false);
  const auto halfCommand = take(halfMetre);
  EXPECT_NEAR(dashPower(halfCommand.get()), 50.0f, kTolerance);

  Body moved = body;
  support::simulateCycle(moved, halfCommand.get());
  for (int i = 0; i < 20; ++i) {
    moved.simulateByDynamics(false);
  }
  EXPECT_NEAR(moved.getPos().getX(), 0.5f, kTolerance);
  EXPECT_NEAR(moved.getPos().getY(), 0.0f, kTolerance);
}

TEST(ExactGotoPoint, PowerAccountsForTheCoastingAlready) {
  // Moving at 0.3 the body coasts 0.4872 until it is slower than 0.01; the dash covers
  // the remaining 0.5128.
  const Body body = makeBody(Point(0, 0), 0.0f, polar(0.3f, 0.0f));
  ExactGotoPoint skill(Point(1.0f, 0.0f), 0.1f, body, false);
  const auto command = take(skill);
  EXPECT_NEAR(dashPower(command.get()), 51.28f, 0.01f);
}

TEST(ExactGotoPoint, StaminaGuardsLimitTheDash) {
  const Point far(5.0f, 0.0f);
  for (float stamina : {1349.0f, 1350.0f}) {
    const Body body = makeBody(Point(0, 0), 0.0f, Vector(), stamina);
    ExactGotoPoint skill(far, 0.1f, body, false);
    const auto command = take(skill);
    EXPECT_NEAR(dashPower(command.get()), stamina < 1350.0f ? 45.0f : 100.0f, kTolerance);
  }
  const Point behind(-5.0f, 0.0f);
  for (float stamina : {1399.0f, 1400.0f}) {
    const Body body = makeBody(Point(0, 0), 0.0f, Vector(), stamina);
    ExactGotoPoint skill(behind, 0.1f, body, true);
    const auto command = take(skill);
    EXPECT_EQ(skill.getMode(), GOTO_MODE_DASH);
    EXPECT_NEAR(dashPower(command.get()), stamina < 1400.0f ? -22.5f : -100.0f, kTolerance);
  }
}

TEST(ExactGotoPoint, TargetBehindTurnsUnlessBackwardDashingIsAllowed) {
  const Body body = makeBody(Point(0, 0), 90.0f);
  ExactGotoPoint forwardOnly(Point(0.0f, -3.0f), 0.2f, body, false);
  const auto turn = take(forwardOnly);
  EXPECT_EQ(forwardOnly.getMode(), GOTO_MODE_TURN);
  EXPECT_NE(dynamic_cast<const TurnCommand*>(turn.get()), nullptr);
  ExactGotoPoint backward(Point(0.0f, -3.0f), 0.2f, body, true);
  const auto dash = take(backward);
  EXPECT_EQ(backward.getMode(), GOTO_MODE_DASH);
  EXPECT_LT(dashPower(dash.get()), 0.0f);
}

TEST(ExactGotoPoint, TurnChoiceIsMirrorSymmetric) {
  for (bool canBackward : {false, true}) {
    for (float angle : {35.0f, 100.0f, 150.0f}) {
      const Body body = makeBody(Point(0, 0), 0.0f, polar(0.4f, 0.0f));
      ExactGotoPoint left(Point(4.0f * Degree::cos(angle), 4.0f * Degree::sin(angle)), 0.2f, body,
                          canBackward);
      ExactGotoPoint right(Point(4.0f * Degree::cos(angle), -4.0f * Degree::sin(angle)), 0.2f, body,
                           canBackward);
      const auto leftCommand = take(left);
      const auto rightCommand = take(right);
      ASSERT_EQ(left.getMode(), right.getMode());
      if (left.getMode() == GOTO_MODE_TURN) {
        EXPECT_NEAR(turnMoment(leftCommand.get()), -turnMoment(rightCommand.get()), kTolerance);
      }
    }
  }
}

TEST(ExactGotoPoint, BackwardTurnWhenOnlyItFitsOneTurn) {
  // At speed 1.0 one turn of moment 179 covers 29.8 degrees. The target 150 degrees to
  // the left lies 30 degrees off the reverse direction.
  const Body body = makeBody(Point(0, 0), 0.0f, polar(1.0f, 0.0f));
  const Point target(4.0f * Degree::cos(150.0f), 4.0f * Degree::sin(150.0f));
  ExactGotoPoint backward(target, 0.2f, body, true);
  const auto backwardCommand = take(backward);
  EXPECT_EQ(backward.getMode(), GOTO_MODE_TURN);
  EXPECT_LT(turnMoment(backwardCommand.get()), 0.0f);
  ExactGotoPoint forward(target, 0.2f, body, false);
  const auto forwardCommand = take(forward);
  EXPECT_GT(turnMoment(forwardCommand.get()), 0.0f);
}

TEST(ExactGotoPoint, NarrowMomentRangeDoesNotStop) {
  ConfigGroup serverParam = support::RecordedParams::get().getServerParam();
  serverParam.add("maxmoment", "90");
  serverParam.add("minmoment", "-90");
  Body body = makeBody(Point(0, 0), 0.0f);
  body.setServerParamVars(serverParam);
  ExactGotoPoint skill(Point(-3.0f, 1.0f), 0.2f, body, true);
  const auto command = take(skill);
  EXPECT_NE(command, nullptr);
}

TEST(ExactGotoPoint, NoDashEffectOrEndlessCoastingStaysFinite) {
  const Body noRate = withPlayerTypeKey(makeBody(Point(0, 0), 0.0f), "dash_power_rate", "0");
  ExactGotoPoint still(Point(3.0f, 0.0f), 0.2f, noRate, false);
  const auto stillCommand = take(still);
  EXPECT_TRUE(isFiniteText(*stillCommand));
  EXPECT_NEAR(dashPower(stillCommand.get()), 100.0f, kTolerance);

  Body endless = makeBody(Point(0, 0), 0.0f, polar(0.5f, 0.0f));
  endless.setDecay(1.0f);
  ExactGotoPoint coasting(Point(3.0f, 0.0f), 0.2f, endless, false);
  const auto coastingCommand = take(coasting);
  EXPECT_TRUE(isFiniteText(*coastingCommand));
}

TEST(ExactGotoPoint, WalkArrivesAndThenReportsArrival) {
  Body body = makeBody(Point(-10.0f, 5.0f), 120.0f, Vector(), 8000.0f);
  const Point target(-4.0f, 2.0f);
  const int cycles =
      walk(body, [&](const Body& b) { return ExactGotoPoint(target, 0.2f, b, false); });
  EXPECT_LT(cycles, kMaxWalkCycles);
  EXPECT_LT(Point(body.getPos()).getDistance(target), 0.2f);
  ExactGotoPoint again(target, 0.2f, body, false);
  EXPECT_EQ(again.getMode(), GOTO_MODE_ARRIVED);
  EXPECT_EQ(again.getCommand(), nullptr);
}

TEST(PreciseGotoPoint, PicksThePowerThatLandsNearest) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  PreciseGotoPoint skill(Point(0.5f, 0.0f), 0.2f, body, false, 20.0f);
  const auto command = take(skill);
  EXPECT_EQ(skill.getMode(), GOTO_MODE_DASH);
  EXPECT_NEAR(dashPower(command.get()), 85.0f, kTolerance);

  PreciseGotoPoint far(Point(8.0f, 0.0f), 0.2f, body, false, 20.0f);
  const auto farCommand = take(far);
  EXPECT_NEAR(dashPower(farCommand.get()), 100.0f, kTolerance);
  PreciseGotoPoint behind(Point(-8.0f, 0.0f), 0.2f, body, true, 20.0f);
  const auto behindCommand = take(behind);
  EXPECT_NEAR(dashPower(behindCommand.get()), -100.0f, kTolerance);
}

TEST(PreciseGotoPoint, TieKeepsTheSmallerPower) {
  // A dash that accelerates nothing lands every power on the same spot.
  const Body body = withPlayerTypeKey(makeBody(Point(0, 0), 0.0f), "dash_power_rate", "0");
  float power = -1.0f;
  PreciseGotoPoint::setDashPower(body, Point(5.0f, 0.0f), 100.0f, power);
  EXPECT_EQ(power, 0.0f);
  PreciseGotoPoint::setDashPower(body, Point(-5.0f, 0.0f), -100.0f, power);
  EXPECT_EQ(power, 0.0f);
}

TEST(PreciseGotoPoint, AngleToleranceIsTheDashCone) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  const Point target(5.0f * Degree::cos(15.0f), 5.0f * Degree::sin(15.0f));
  PreciseGotoPoint wide(target, 0.2f, body, false, 20.0f);
  const auto wideCommand = take(wide);
  EXPECT_EQ(wide.getMode(), GOTO_MODE_DASH);
  PreciseGotoPoint narrow(target, 0.2f, body, false, 10.0f);
  const auto narrowCommand = take(narrow);
  EXPECT_EQ(narrow.getMode(), GOTO_MODE_TURN);
}

TEST(PreciseGotoPoint, WalkArrivesAndThenReportsArrival) {
  Body body = makeBody(Point(3.0f, -3.0f), -90.0f, polar(0.5f, 0.0f));
  const Point target(-1.0f, 4.0f);
  const int cycles =
      walk(body, [&](const Body& b) { return PreciseGotoPoint(target, 0.2f, b, true, 20.0f); });
  EXPECT_LT(cycles, kMaxWalkCycles);
  EXPECT_LT(Point(body.getPos()).getDistance(target), 0.2f);
}

TEST(DashNormalGotoPoint, PowerFollowsTheStaminaLadderAndTheCeiling) {
  const Point target(10.0f, 0.0f);
  const struct {
    float stamina;
    float maxPower;
    float power;
  } cases[] = {{8000.0f, 100.0f, 100.0f}, {2499.0f, 100.0f, 80.0f}, {1999.0f, 100.0f, 60.0f},
               {1499.0f, 100.0f, 45.0f},  {3000.0f, 50.0f, 50.0f},  {2500.0f, 100.0f, 100.0f}};
  for (const auto& c : cases) {
    const Body body = makeBody(Point(0, 0), 0.0f, Vector(), c.stamina);
    DashNormalGotoPoint skill(target, 1.0f, body, c.maxPower);
    const auto command = take(skill);
    EXPECT_EQ(skill.getMode(), GOTO_MODE_DASH);
    EXPECT_NEAR(dashPower(command.get()), c.power, kTolerance) << c.stamina;
  }
}

TEST(DashNormalGotoPoint, DashesWithinSixDegreesOrTheToleranceCone) {
  const Body offBySix = makeBody(Point(0, 0), -6.0f);
  DashNormalGotoPoint six(Point(10.0f, 0.0f), 0.5f, offBySix, 100.0f);
  const auto sixCommand = take(six);
  EXPECT_EQ(six.getMode(), GOTO_MODE_DASH);

  // Off by 20 at distance 1 with tolerance 0.5: the cone is about 26.57 degrees.
  const Body offByTwenty = makeBody(Point(0, 0), -20.0f);
  DashNormalGotoPoint cone(Point(1.0f, 0.0f), 0.5f, offByTwenty, 100.0f);
  const auto coneCommand = take(cone);
  EXPECT_EQ(cone.getMode(), GOTO_MODE_DASH);
  DashNormalGotoPoint farther(Point(10.0f, 0.0f), 0.5f, offByTwenty, 100.0f);
  const auto fartherCommand = take(farther);
  EXPECT_EQ(farther.getMode(), GOTO_MODE_TURN);
  EXPECT_NEAR(turnMoment(fartherCommand.get()), 20.0f, kTolerance);
}

TEST(DashNormalGotoPoint, ZeroToleranceBehavesAsTheSmallestOne) {
  const Body body = makeBody(Point(0, 0), 10.0f, polar(0.2f, 30.0f));
  for (const Point& target : {Point(0.00005f, 0.0f), Point(3.0f, 1.0f), Point(-2.0f, 0.5f)}) {
    DashNormalGotoPoint zero(target, 0.0f, body, 100.0f);
    DashNormalGotoPoint smallest(target, 0.0001f, body, 100.0f);
    const auto zeroCommand = take(zero);
    const auto smallestCommand = take(smallest);
    EXPECT_EQ(zero.getMode(), smallest.getMode());
    EXPECT_EQ(zeroCommand->toString(), smallestCommand->toString());
  }
}

TEST(DashNormalGotoPoint, WithinToleranceReportsArrivalWithATurn) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  DashNormalGotoPoint skill(Point(0.5f, 0.8f), 1.5f, body, 100.0f);
  const auto command = take(skill);
  EXPECT_EQ(skill.getMode(), GOTO_MODE_ARRIVED);
  ASSERT_NE(command, nullptr);
  EXPECT_NE(dynamic_cast<const TurnCommand*>(command.get()), nullptr);
}

TEST(DashNormalGotoPoint, FinalDirectionFormTurnsToItOnArrival) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  // Facing the target within the tolerance: turn to the final direction.
  DashNormalGotoPoint arrived(Point(0.5f, 0.0f), 1.5f, body, 100.0f, 90.0f);
  const auto arrivedCommand = take(arrived);
  EXPECT_EQ(arrived.getMode(), GOTO_MODE_ARRIVED);
  EXPECT_NEAR(turnMoment(arrivedCommand.get()), 90.0f, kTolerance);
  // Far and aligned: dash as the four-argument form does.
  DashNormalGotoPoint far(Point(8.0f, 0.0f), 1.5f, body, 100.0f, 90.0f);
  const auto farCommand = take(far);
  EXPECT_EQ(far.getMode(), GOTO_MODE_DASH);
  EXPECT_NEAR(dashPower(farCommand.get()), 100.0f, kTolerance);
}

TEST(DashNormalGotoPoint, MaximumPowerZeroAlwaysTurnsToTheFinalDirection) {
  const Body body = makeBody(Point(0, 0), 30.0f);
  for (const Point& target : {Point(8.0f, 4.6f), Point(-5.0f, 2.0f), Point(0.2f, 0.1f)}) {
    DashNormalGotoPoint skill(target, 1.5f, body, 0.0f, -60.0f);
    const auto command = take(skill);
    EXPECT_NEAR(turnMoment(command.get()), -90.0f, kTolerance);
  }
}

TEST(DashNormalGotoPoint, WalkArrivesAndThenReportsArrival) {
  Body body = makeBody(Point(-20.0f, -10.0f), 170.0f);
  const Point target(-8.0f, -2.0f);
  const int cycles =
      walk(body, [&](const Body& b) { return DashNormalGotoPoint(target, 1.0f, b, 100.0f); });
  EXPECT_LT(cycles, kMaxWalkCycles);
  EXPECT_LE(Point(body.getPos()).getDistance(target), 1.0f);
  DashNormalGotoPoint again(target, 1.0f, body, 100.0f);
  const auto command = take(again);
  EXPECT_EQ(again.getMode(), GOTO_MODE_ARRIVED);
  EXPECT_NE(command, nullptr);
}

}  // namespace
}  // namespace tovren
