#include "actions/withoutball/GoalieIntercept.h"

#include "actions/withoutball/GoaliePositioning.h"
#include "support/ActionScene.h"
#include "support/GoalieScene.h"
#include "support/InterceptScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tovren {
namespace {

using support::GoalieScene;

constexpr float DIR_TOLERANCE = 0.01f;  // degrees
constexpr float POINT_TOLERANCE = 0.05f;

// The catch reaches the recorded catchable area's length, 1.2, along its aim at the ball;
// the area's corner, 1.3 away, is out of reach for it.
TEST_F(GoalieScene, CatchOnlyInsideTheOpenBoxWithinReachAndNotAfterAPass) {
  // Goalie x, y, ball x, y, the last decision was a pass, catches.
  const float cases[][6] = {
      {-45, 0, -45, 0.8f, 0, 1},   {-37, 0, -36.4f, 0, 0, 0},   {-40, 19, -40, 19.6f, 0, 0},
      {-36, 0, -36.5f, 0, 0, 0},   {-36.5f, 0, -35, 0, 0, 0},   {-45, 0, -45, 0.8f, 1, 0},
      {-45, 0, -45, 1.201f, 0, 0}, {-45, 0, -45, 1.199f, 0, 1}, {-45, 0, -45, 1.25f, 0, 0},
      {-40, 19.5f, -40, 19, 0, 1}, {-40, 19.7f, -40, 19, 0, 0}};
  for (const auto& [gx, gy, bx, by, afterPass, catches] : cases) {
    SCOPED_TRACE(::testing::Message() << gx << "," << gy << " " << bx << "," << by << afterPass);
    placeGoalie({gx, gy}, 30);
    placeBall({bx, by});
    GoalieCatch action(worldModel.get());
    action.giveLastDecide(afterPass != 0 ? DT_PASS : DT_NONE);
    EXPECT_EQ(action.getValue(), catches != 0 ? 1000.0f : AD_MIN_VALUE);
    action.execute(flags);
    if (catches == 0) {
      const auto* kick = commandAs<KickCommand>(action.getCommand());
      ASSERT_NE(kick, nullptr);
      EXPECT_TRUE(kick->getPower() == 100.0f && kick->getDirection() == 0.0f);
      continue;
    }
    const auto* grab = commandAs<CatchCommand>(action.getCommand());
    ASSERT_NE(grab, nullptr);
    const float ballDir = Vector(Point(bx - gx, by - gy)).getDirection();
    EXPECT_NEAR(grab->getDirection(), ballDir - 30, DIR_TOLERANCE);
  }
}

// Today's server turns a catch beyond its catch angles (server frame, where directions are
// negated) to the limit: such a ball is caught only where the catch area (1.2 long, 1.0
// wide) aimed at the limit holds it, and the catch is aimed there.
TEST_F(GoalieScene, CatchBeyondTheServersCatchAnglesAimsAtTheLimit) {
  const float none = NAN;
  const struct {
    float minAngle, maxAngle;
    Point ball;     // the goalie at (-45, 0) facing +x
    float catchAt;  // the catch's direction (agent's frame), none when there is no catch
  } cases[] = {
      {-90, 90, {-45, 0.8f}, 90},
      {-90, 90, {-45.01f, 0.8f}, 90},  // 0.7 degrees beyond: still within the area
      {-90, 90, {-45.01f, -0.8f}, -90},
      {-90, 90, {-45.8f, 0}, none},      // straight behind: 0.8 across the aim
      {-90, 90, {-45.25f, 0.32f}, 90},   // 128 degrees: 0.32 along, 0.25 across
      {-90, 90, {-45.5f, 0.32f}, none},  // 148 degrees: 0.5 across
      {-180, 180, {-45.8f, 0}, 180},
      // 70 degrees to the right is -70 in the agent's frame and 70 in the server's; the
      // same ball on the left lies 50 degrees beyond its limit of 20.
      {-20, 90, {-44.7264f, -0.7518f}, -70},
      {-20, 90, {-44.7264f, 0.7518f}, none},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.minAngle << " " << c.ball.x << "," << c.ball.y);
    placeGoalie({-45, 0}, 0);
    placeBall(c.ball);
    worldModel->setBody().setCommandLimits().minCatchAngle = c.minAngle;
    worldModel->setBody().setCommandLimits().maxCatchAngle = c.maxAngle;
    GoalieCatch action(worldModel.get());
    EXPECT_EQ(action.getValue(), std::isnan(c.catchAt) ? AD_MIN_VALUE : 1000.0f);
    action.execute(flags);
    const auto* grab = commandAs<CatchCommand>(action.getCommand());
    ASSERT_EQ(grab != nullptr, !std::isnan(c.catchAt));
    if (grab != nullptr) EXPECT_NEAR(grab->getDirection(), c.catchAt, DIR_TOLERANCE);
  }
}

// A ball resting 5 m ahead: the forward search finds it, and the two run searches fill
// the table to their bounds.
TEST_F(GoalieScene, SearchesStopAtTheirBounds) {
  placeGoalie({-48, 0});
  placeBall({-43, 0});
  GoalieIntercept action(worldModel.get());
  EXPECT_EQ(action.getValue(), 1000.0f);
  ASSERT_EQ(action.getCandidatesNum(), 70);
  // The forward search records in four steps at most, from the first that finds; only its
  // entries wait half cycles.
  const float firstStep = action.getCandidateTime(0);
  for (int i = 0; i < 70; ++i) {
    const float time = action.getCandidateTime(i);
    EXPECT_TRUE(time == std::floor(time) || time <= firstStep + 3.5f) << i;
  }
  // The turn-and-run search ends at entry 29; the delayed run starts afresh and counts on.
  EXPECT_LT(action.getCandidateTime(30), action.getCandidateTime(29));
  for (int i = 31; i < 70; ++i) {
    EXPECT_EQ(action.getCandidateTime(i), action.getCandidateTime(i - 1) + 1.0f) << i;
  }
}

// A ball resting 2.56 m along the body's direction, 110 degrees: the dash line crosses the
// ball's line there, 110 degrees across its way (0 at rest), which narrows the reach of
// 1.2 + 0.3 + 0.12 × 2.56 by only 0.2 × cos 110, to 1.739. After a dash of 0.6 and a cycle's
// coasting of 0.24 the goalie is 1.72 from the ball: its first candidate, at 2.5 cycles.
TEST_F(GoalieScene, AcrossTheBallsWayTheReachNarrowsALittle) {
  placeGoalie({-48, 0}, 110);
  const Vector ahead = support::polar(2.56f, 110);
  placeBall({-48 + ahead.getX(), ahead.getY()});
  GoalieIntercept action(worldModel.get());
  action.getValue();
  EXPECT_EQ(action.getCandidateTime(0), 2.5f);
}

TEST_F(GoalieScene, NoCandidateGivesNoValueAndNoCommand) {
  // A goalie that cannot accelerate never reaches a ball 20 m away.
  placeGoalie({-48, 0});
  worldModel->setBody().setType(0, support::makeFastType(0.0f, 1.05f));
  placeBall({-28, 0});
  GoalieIntercept action(worldModel.get());
  EXPECT_EQ(action.getValue(), AD_MIN_VALUE);
  action.execute(flags);
  EXPECT_EQ(action.getCommand(), nullptr);
}

// With the ball resting at its feet the goalie's own place is the chosen point.
TEST_F(GoalieScene, ValueIsTheBoxOfTheChosenPoint) {
  const float cases[][3] = {
      {-35.5f, 0, 1000}, {-35.4f, 0, -65535}, {-40, 19.5f, 1000}, {-40, -19.6f, -65535}};
  for (const auto& [x, y, value] : cases) {
    placeGoalie({x, y});
    placeBall({x + 0.5f, y});
    EXPECT_EQ(GoalieIntercept(worldModel.get()).getValue(), value) << x << "," << y;
  }
}

// A shot from (-40, 5) that crosses x = -50 at y = 0.3 and enters the goal.
TEST_F(GoalieScene, ChosenDashAgainstAShotGoesToTheCutPointUnlessAlongTheBody) {
  const float shotDir = -154.83f;
  // Body direction; whether the dash goes to the cut point (the other two are 180 and 8
  // degrees off the shot's line).
  const float cases[][2] = {{90, 1}, {25.17f, 0}, {shotDir + 8, 0}};
  for (const auto& [bodyDir, cuts] : cases) {
    SCOPED_TRACE(bodyDir);
    placeGoalie({-50, 0}, bodyDir);
    placeBall({-40, 5}, support::polar(2.5f, shotDir));
    GoalieIntercept action(worldModel.get());
    action.getValue();
    action.execute(flags);
    const auto* dash = commandAs<DashCommand>(action.getCommand());
    ASSERT_NE(dash, nullptr);
    Body body = worldModel->getBody();
    support::simulateCycle(body, dash);
    // Cut: the step ends on the cut point; not cut: the search's full dash.
    const float miss = Point(body.getPos()).getDistance({-50, 0.3f});
    EXPECT_NEAR(cuts != 0 ? miss : std::fabs(dash->getPower()), cuts != 0 ? 0 : 100,
                POINT_TOLERANCE);
  }
}

// Balls around the goal, at rest and shot at it, for all three goalie actions: no command
// carries a non-finite number, and the chosen intercept is the first of the best score.
TEST_F(GoalieScene, NoNonFiniteNumberInAnyCommandAroundTheGoal) {
  std::ostringstream& log = support::captureMainLog();
  GoalieCatch goalieCatch(worldModel.get());
  GoalieIntercept intercept(worldModel.get());
  GoaliePositioning positioning(worldModel.get());
  AdvancedAction* actions[] = {&goalieCatch, &intercept, &positioning};
  for (const char* mode : {"play_on", "free_kick_r", "penalty_setup_r"}) {
    referee(mode);
    for (float x = -52.5f; x <= -25.0f; x += 2.5f) {
      for (float y = -35.0f; y <= 35.0f; y += 5.0f) {
        for (float speed : {0.0f, 2.5f}) {
          SCOPED_TRACE(::testing::Message() << mode << " " << x << "," << y << " " << speed);
          placeGoalie({-50, 0}, y);
          placeBall({x, y}, support::polar(speed, Vector(Point(-52.5f - x, -y)).getDirection()));
          for (AdvancedAction* action : actions) {
            action->getValue();
            action->execute(flags);
            const Command* command = action->getCommand();
            EXPECT_EQ((command != nullptr ? command->toString() : "").find("nan"),
                      std::string::npos);
          }
          const int best = intercept.getBestCandidate();
          for (int i = 0; i < intercept.getCandidatesNum(); ++i) {
            const float score = intercept.getCandidateScore(i);
            EXPECT_TRUE(score < intercept.getCandidateScore(best) ||
                        (score == intercept.getCandidateScore(best) && i >= best));
          }
        }
      }
    }
  }
  EXPECT_EQ(log.str().find("Non-finite"), std::string::npos);
}

}  // namespace
}  // namespace tovren
