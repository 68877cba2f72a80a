#include "actions/withoutball/GoaliePositioning.h"

#include "connection/Command.h"
#include "support/ActionScene.h"
#include "support/GoalieScene.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tovren {
namespace {

using support::GoalieScene;

constexpr float POINT_TOLERANCE = 0.01f;

// How many lines of the captured log start with the text.
unsigned int countLines(const std::ostringstream& log, const std::string& start) {
  std::istringstream in(log.str());
  unsigned int count = 0;
  for (std::string line; std::getline(in, line);) count += line.rfind("  0000. " + start, 0) == 0;
  return count;
}

struct LineCase {
  Point ball;
  Point goalie;
  bool latestTrick;
  Point home;
  float midAngleLineDir;
  int handOver;  // the "GOALIE Change Function" number, 0 for none
  bool keepsOwnX;
};

class LineMode : public GoalieScene, public ::testing::WithParamInterface<LineCase> {};

// A hand-over leaves the result of the angle mode.
TEST_P(LineMode, HomePointOnTheLineOrHandedOver) {
  const LineCase& c = GetParam();
  setLatestTrick(c.latestTrick);
  placeGoalie(c.goalie);
  placeBall(c.ball);
  std::ostringstream& log = support::captureMainLog();
  GoaliePositioning action(worldModel.get());
  action.setGoalieParamsLineMode();
  EXPECT_EQ(countLines(log, "Goalie LOG 5 : "), c.keepsOwnX ? 1u : 0u);
  for (int n = 1; n <= 3; ++n)
    EXPECT_EQ(countLines(log, "GOALIE Change Function " + std::to_string(n)), n == c.handOver) << n;
  GoaliePositioning angleMode(worldModel.get());
  angleMode.setGoalieParams();
  const Point home = c.handOver ? angleMode.getGoalieHomePoint() : c.home;
  EXPECT_NEAR(action.getGoalieHomePoint().getDistance(home), 0, POINT_TOLERANCE);
  EXPECT_EQ(action.getMidAngleLineDir(),
            c.handOver ? angleMode.getMidAngleLineDir() : c.midAngleLineDir);
}

const LineCase lineCases[] = {
    {{0, 0}, {-47, 0}, false, {-47, 0}, 180, 0, true},
    {{0, 0}, {-46.2f, 0}, false, {-46.2f, 0}, 180, 0, true},
    {{0, 0}, {-45.5f, 0}, false, {-47, 0}, 180, 0, false},
    {{0, 0}, {-49, 0}, false, {-47, 0}, 180, 0, false},
    {{-45, 0}, {-48.5f, 0}, false, {-48.5f, 0}, 180, 0, false},
    {{10, 0}, {-47, 0}, true, {-32, 0}, 180, 0, false},
    {{-3, 0}, {-47, 0}, true, {-47, 0}, 180, 0, true},
    {{-2.9f, 0}, {-47, 0}, true, {-32, 0}, 180, 0, false},
    {{-48, 15}, {-47, 0}, false, {}, 0, 1, false},
    {{-48, -15}, {-47, 0}, false, {}, 0, 2, false},
    {{-40, 20}, {-47, 0}, false, {}, 0, 3, false},
    {{-40, 33}, {-47, 0}, false, {-47, 6}, 180, 0, true},
    {{-25, -33}, {-47, 0}, false, {-47, -6}, 0, 0, true},
    // On the goal line wide of the posts the bisector runs along the goalie's line.
    {{-52.5f, 35}, {-47, 0}, false, {-47, 6}, 180, 0, true},
    {{-52.5f, -35}, {-47, 0}, false, {-47, -6}, 0, 0, true},
};
INSTANTIATE_TEST_SUITE_P(GoalieScene, LineMode, ::testing::ValuesIn(lineCases));

TEST_F(GoalieScene, AngleModeWorkedExampleThroughItsLogLines) {
  placeGoalie({-50, 5.5f}, 90);
  placeBall({-45, 25});
  std::ostringstream& log = support::captureMainLog();
  GoaliePositioning action(worldModel.get());
  action.setGoalieParams();
  for (const char* line :
       {"virtualGoalieX = -48.50", "goalieHomePoint 1 : (-48.50,14.17)",
        "goalieHomePoint 2 : (-51.14,6.00)", "goalieHomePoint 4 : (-51.14,5.50)",
        "goalieHomePoint 5 : (-51.14,5.50)", "goalieHomePoint 6 : ", "goalieHomePoint 12 : "}) {
    EXPECT_EQ(countLines(log, line), 1u) << line;
  }
  EXPECT_EQ(countLines(log, "goalieHomePoint 3 : ") + countLines(log, "goalieHomePoint 7 : "), 0u);
  EXPECT_NEAR(action.getMidAngleLineDir(), -107.9f, 0.05f);
  // The scene mirrored in the x axis gives the mirrored point.
  const Point home = action.getGoalieHomePoint();
  placeGoalie({-50, -5.5f}, -90);
  placeBall({-45, -25});
  GoaliePositioning mirrored(worldModel.get());
  mirrored.setGoalieParams();
  EXPECT_NEAR(mirrored.getGoalieHomePoint().getDistance({home.x, -home.y}), 0, POINT_TOLERANCE);
}

TEST_F(GoalieScene, AngleModeDepthByModeSwitchAndDeadZones) {
  const char* modes[] = {"play_on", "penalty_setup_r", "kick_in_l"};
  // Mode, "LatestTrick", goalie x, y, ball x, y, home x, y. A set play snaps the shot at
  // the post to the goalie, whose depth is floored; the bisector from (-30, -30) meets the
  // depth line below -6, and y -6 at x -48.64.
  const float cases[][8] = {
      {1, 0, -47, 0, -40, 0, -47, 0},       {1, 1, -47, 0, 10, 0, -40, 0},
      {0, 1, -47, 0, 10, 0, -32, 0},        {0, 1, -47, 0, -3, 0, -47, 0},
      {0, 0, -46.5f, 0, -30, 0, -46.5f, 0}, {2, 0, -50.8f, 6, -45, 25, -50.5f, 6},
      {0, 0, -47, 0, -30, -30, -48.64f, -6}};
  for (const auto& [mode, trick, gx, gy, bx, by, hx, hy] : cases) {
    SCOPED_TRACE(::testing::Message() << mode << " " << gx << " " << bx);
    referee(modes[int(mode)]);
    setLatestTrick(trick != 0);
    placeGoalie({gx, gy}, 90);
    placeBall({bx, by});
    GoaliePositioning action(worldModel.get());
    action.setGoalieParams();
    EXPECT_NEAR(action.getGoalieHomePoint().getDistance({hx, hy}), 0, POINT_TOLERANCE);
  }
}

TEST_F(GoalieScene, ShotSimulationRunsTowardsLargerXAndSnapsToTheGoalie) {
  placeGoalie({-50, 2}, 90);
  placeBall({-40, 20});
  GoaliePositioning action(worldModel.get());
  const Point post(-52.5f, 7.0f);
  const Point turned = action.shootToTirSimulate(post, 120, 0, 6, 0.3f);
  EXPECT_EQ(turned.getDistance(action.shootToTirSimulate(post, -60, 0, 6, 0.3f)), 0);
  EXPECT_GT(turned.x, post.x);
  const Point down = action.shootToTirSimulate(post, -100, 0, 6, 0.3f);
  EXPECT_EQ(down.getDistance(action.shootToTirSimulate(post, 80, 0, 6, 0.3f)), 0);
  const Point snapped = action.shootToTirSimulate(post, 120, 0, 6, 20.0f);
  EXPECT_TRUE(snapped.x == -50.0f && snapped.y == 2.0f);
}

TEST(GoaliePositioningTolerance, ArrivalToleranceByBallStaminaAndMode) {
  // Ball distance, stamina, play mode, tolerance.
  const float cases[][4] = {{10, 3000, PM_PLAY_ON, 0.08f},
                            {15, 3000, PM_PLAY_ON, 0.08f},
                            {25, 3000, PM_PLAY_ON, 0.79f},
                            {35, 3000, PM_PLAY_ON, 1.5f},
                            {40, 3000, PM_PLAY_ON, 1.5f},
                            {40, 1500, PM_PLAY_ON, 3.36f},
                            {10, 3000, PM_OPP_GOAL_KICK, 1.656f},
                            {10, 1999, PM_OPP_GOAL_KICK, 3.5472f},
                            {40, 1500, PM_OUR_PENALTY_SETUP, 0.2f},
                            {10, 3000, PM_OPP_PENALTY_READY, 0.2f},
                            {40, 2000, PM_PLAY_ON, 1.5f}};
  for (const auto& [ballDist, stamina, mode, tolerance] : cases) {
    EXPECT_NEAR(GoaliePositioning::getArrivalTolerance(ballDist, stamina, PlayMode(mode)),
                tolerance, 1e-4f)
        << ballDist << " m, stamina " << stamina << ", mode " << mode;
  }
}

// Ball at the centre spot: the home point is (-47, 0) and the reference direction 180, so
// on it the goalie turns to face 90, or -90 when one turn does not reach 90 within 15.
TEST_F(GoalieScene, ArrivedGoalieTurnsAcrossItsLineOtherwiseGoes) {
  // Goalie x, body direction, speed, dashes, the turn's moment or the dash's sign, go-to
  // log lines. The last two: 7 m before the point, 12.5 m from the goal it dashes
  // backwards; 16.5 m from the goal it turns round.
  const float cases[][6] = {{-47, 80, 0, 0, 10, 0},      {-47, -80, 0, 0, 170, 0},
                            {-47, -80, 0.4f, 0, -30, 0}, {-40, 0, 0, 1, -1, 1},
                            {-36, 0, 0, 0, 180, 1},      {-47, 100, 0, 0, -10, 0}};
  for (const auto& [x, bodyDir, speed, dashes, value, goToLines] : cases) {
    SCOPED_TRACE(::testing::Message() << x << " " << bodyDir << " " << speed);
    placeGoalie({x, 0}, bodyDir, support::polar(speed, 0));
    placeBall({0, 0});
    std::ostringstream& log = support::captureMainLog();
    GoaliePositioning action(worldModel.get());
    EXPECT_EQ(action.getValue(), 10.0f);
    action.execute(flags);
    EXPECT_EQ(countLines(log, "GOALIE PrecideGTP 1 Stamina : "), goToLines);
    const auto* turn = commandAs<TurnCommand>(action.getCommand());
    const auto* dash = commandAs<DashCommand>(action.getCommand());
    ASSERT_NE(dashes != 0 ? static_cast<const Command*>(dash) : turn, nullptr);
    EXPECT_NEAR(turn != nullptr ? turn->getDirection() : value, value, 0.05f);
    EXPECT_GT(dash != nullptr ? dash->getPower() * value : 1.0f, 0.0f);
  }
}

}  // namespace
}  // namespace tovren
