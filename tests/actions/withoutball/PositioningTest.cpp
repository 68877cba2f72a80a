#include "actions/withoutball/Positioning.h"

#include "connection/Command.h"
#include "support/PositioningScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tovren {
namespace {

constexpr float TOLERANCE = 0.01f;
constexpr float TURN_TOLERANCE = 0.1f;  // degrees
constexpr float INC_MAX = 45.0f;        // stamina_inc_max of the recorded default type

// The lines of the captured log that start with the text, without the line prefix.
std::vector<std::string> linesStarting(const std::string& log, const std::string& start) {
  std::vector<std::string> lines;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("  0000. " + start, 0) == 0) lines.push_back(line.substr(8));
  }
  return lines;
}

using PositioningScene = support::PositioningScene;

// The opponents' line stands at 45; the real query gives the ball's x when it is greater.
TEST_F(PositioningScene, HomePointsFollowTheRowsAndTheRulesOfEachPost) {
  // Ball x, y, play_on, post index, home x, y.
  const float cases[][6] = {
      {0, 0, 0, 5, 0.5f, 6},          {0, 0, 0, 6, 0.5f, -6},
      {0, 0, 0, 8, 12.3625f, 0},      {0, 0, 0, 9, 13.225f, -13.4f},
      {0, 0, 0, 10, 13.225f, 13.4f},  {0, 0, 0, 1, -4.7f, -16.15f},
      {0, 0, 0, 2, -4.7f, -5.46f},    {0, 0, 0, 7, -4.125f, 0},
      {45, -10, 1, 9, 41.5f, -9.06f}, {45, -10, 1, 8, 41.5f, -3.85f},
      {45, -10, 1, 5, 29.31f, 0.22f}, {45, -10, 1, 1, -1, -23.21f},
      {45, -10, 0, 9, 44, -9.06f},    {40, -20, 1, 9, 36, -15.92f},
      {40, -20, 1, 5, 27.52f, 0},     {40, -20, 1, 10, 40.18f, -0.56f},
      {28, 0, 0, 8, 29.25f, 0},       {28, 0, 0, 9, 30.75f, -7.83f},
      {17, 0, 0, 8, 21.5f, 0},        {52.5f, 0, 1, 7, -1, 0},
      {60, 0, 0, 9, 50, -5.44f},      {-60, 0, 0, 8, -16.31f, 0},
      {-52.5f, 0, 0, 1, -49, -9},     {-52.5f, 0, 0, 4, -49, 9},
      {-52.5f, 0, 0, 3, -49, 3},      {-52.5f, 0, 0, 7, -45, 0},
  };
  placeAgent(6, {-30, 30});
  placePlayer(TID_OPPONENT, 2, {45, 0});
  placePlayer(TID_OPPONENT, 3, {46, 0});
  Positioning positioning(worldModel.get());
  for (const auto& [ballX, ballY, playOn, index, x, y] : cases) {
    SCOPED_TRACE(::testing::Message() << ballX << "," << ballY << " " << playOn << " " << index);
    referee(playOn != 0 ? "play_on" : "kick_in_l");
    placeBall({ballX, ballY});
    positioning.setHomePoints();
    EXPECT_NEAR(positioning.getBasicPos(unsigned(index)).x, x, TOLERANCE);
    EXPECT_NEAR(positioning.getBasicPos(unsigned(index)).y, y, TOLERANCE);
  }
  EXPECT_EQ(positioning.getHomePoint(1).getDistance(Point()), 0.0f);
  EXPECT_EQ(positioning.getHomePoint(3).x, -13.0f) << "uniform 3 is post 9";
}

TEST_F(PositioningScene, DeepBallChangesTheDefendersMargins) {
  placeAgent(9, {-30, 0});
  placePlayer(TID_TEAMMATE, 1, {-50, 0});
  placePlayer(TID_TEAMMATE, 2, {-45, 0});
  Positioning positioning(worldModel.get());
  // Ball x, home x of post indexes 2 and 7, "maxXFor7" lines.
  const float cases[][4] = {{-38, -39.66f, -37.63f, 0}, {-37.9f, -43, -41.4f, 1}};
  for (const auto& [ballX, x2, x7, for7Lines] : cases) {
    placeBall({ballX, 0});
    std::ostringstream& log = support::captureMainLog();
    positioning.setHomePoints();
    EXPECT_NEAR(positioning.getBasicPos(2).x, x2, TOLERANCE) << ballX;
    EXPECT_NEAR(positioning.getBasicPos(7).x, x7, TOLERANCE) << ballX;
    EXPECT_EQ(linesStarting(log.str(), "oppOffsideLine : ").size(), 10u);
    EXPECT_EQ(linesStarting(log.str(), "maxXFor3&4 : -45.00").size(), 2u);
    EXPECT_EQ(linesStarting(log.str(), "maxXFor7 : -45.00").size(), for7Lines);
  }
}

TEST_F(PositioningScene, TeammateLimitsCountTheDeepestFieldPlayers) {
  // Agent's uniform (at x -30), up to three teammates' uniform and x (uniform 1 is the goalie,
  // 0 none), then the limits for post index 7 and for 2 and 3.
  const float cases[][9] = {
      {9, 0, 0, 0, 0, 0, 0, 0, 0},         {9, 2, -20, 0, 0, 0, 0, -20, -20},
      {9, 1, -50, 2, -20, 0, 0, -30, -30}, {9, 2, -30, 0, 0, 0, 0, -30, -30},
      {9, 5, -40, 2, -20, 0, 0, -20, -30}, {8, 1, -50, 7, -40, 2, -10, -40, -25},
      {7, 1, -50, 8, -40, 0, 0, -40, -25}, {9, 2, 20, 3, 25, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    SetUp();
    placeAgent(unsigned(c[0]), {-30, 0});
    for (int k = 1; k < 7 && c[k] != 0; k += 2)
      placePlayer(TID_TEAMMATE, unsigned(c[k]), {c[k + 1], 0});
    Positioning positioning(worldModel.get());
    EXPECT_FLOAT_EQ(positioning.getMaxXFor7(), c[7]);
    EXPECT_FLOAT_EQ(positioning.getMaxXFor34(), c[8]);
  }
  Player& half = worldModel->setHalfPlayer(TID_TEAMMATE, 3);
  half.setPos().setAsCartesian(-35, 0);
  half.setValidPosDeviation(1.0f);
  EXPECT_FLOAT_EQ(Positioning(worldModel.get()).getMaxXFor7(), -30.0f);
}

// play_on, the body at (0, 0). The power shows in the dash towards a far target faced; the
// final direction in the turn of a body facing a target 0.5 m ahead, (0.5, 0) or (0, 0.5).
TEST_F(PositioningScene, DashPowerAndFinalDirectionByPostBallTargetAndStamina) {
  // Uniform, body direction, stamina, ball x, y, target x, y, 1 dash or 0 turn, power or moment.
  const float cases[][9] = {
      {9, 0, 8000, -5, 0, 10, 0, 1, 60},      {9, 0, 2200, -5, 0, 10, 0, 1, INC_MAX},
      {8, 0, 8000, 0, 0, 10, 0, 1, 100},      {7, 90, 8000, -5, 0, 0, 10, 1, 100},
      {6, 180, 2700, 10, 0, -4, 0, 1, 22.5f}, {6, 180, 2700, 20, 0, -6, 0, 1, 15},
      {11, 0, 2100, 0, 0, 10, 0, 1, INC_MAX}, {5, 0, 8000, 0, 0, 10, 0, 1, 85},
      {5, 0, 1900, 0, 0, 10, 0, 1, 22.5f},    {10, 0, 8000, 0, 0, 2.9f, 0, 1, 50},
      {10, 180, 8000, 0, 0, -2, 0, 1, 0},     {4, 90, 8000, 0, 0, 0, 4, 1, 80},
      {3, 180, 8000, 15, 0, -10, 0, 1, 80},   {3, 180, 1650, 15, 0, -10, 0, 1, INC_MAX},
      {3, 180, 8000, 0, 0, -10, 0, 1, 65},    {3, 180, 2500, -20, 0, -10, 0, 1, INC_MAX},
      {3, 180, 8000, 0, 0, -5, 0, 1, 22.5f},  {2, 150, 8000, 0, 0, -2, 1.15f, 0, -150},
      {1, 0, 8000, 0, 0, 10, 0, 1, 100},      {1, 0, 8000, 0, 5, 0.5f, 0, 0, 90},
      {9, 0, 8000, 0, -10, 0.5f, 0, 0, 180},  {9, 0, 8000, -32, -10, 0.5f, 0, 0, 0},
      {8, 0, 8000, 0, 0, 0.5f, 0, 0, -90},    {8, 0, 8000, 0, -16, 0.5f, 0, 0, -135},
      {7, 0, 8000, 0, -1, 0.5f, 0, 0, 180},   {7, 0, 8000, 0, 16, 0.5f, 0, 0, 135},
      {6, 0, 8000, 0, 13, 0.5f, 0, 0, 90},    {5, 0, 8000, 0, 13, 0.5f, 0, 0, 180},
      {5, 0, 8000, 10, 13, 0.5f, 0, 0, 0},    {10, 0, 8000, 0, 13, 0.5f, 0, 0, 0},
      {3, 90, 8000, 0, 13, 0, 0.5f, 0, -90},
  };
  referee("play_on");
  for (const auto& [uniNum, bodyDir, stamina, ballX, ballY, x, y, dash, value] : cases) {
    SCOPED_TRACE(::testing::Message() << &uniNum - cases[0]);
    placeAgent(unsigned(uniNum), {0, 0}, bodyDir, stamina);
    placeBall({ballX, ballY});
    std::unique_ptr<Command> command = Positioning(worldModel.get()).getPositioningCommand({x, y});
    const DashCommand* dashCommand = commandAs<DashCommand>(command.get());
    const TurnCommand* turn = commandAs<TurnCommand>(command.get());
    ASSERT_TRUE(dash != 0 ? dashCommand != nullptr : turn != nullptr);
    EXPECT_NEAR(dash != 0 ? dashCommand->getPower() : turn->getDirection(), value, TURN_TOLERANCE);
  }
}

TEST_F(PositioningScene, SetPlaysAvoidTheirAreaAndTurnToTheBallOnArrival) {
  struct Case {
    const char* referee;
    VirtualPlayMode virtualPlayMode;
    unsigned int uniNum;
    std::vector<std::string> lines;  // "Positioning" lines after "Positioning NPO "
    std::string targetLine;          // how the go-to logs the target it was given
  };
  const std::string kick = "Positioning  NPO GoalKickOpp NPOX";
  const std::string kickHome = "Positioning GoalieCatchOppHome model=goalkick";
  const std::string catchOpp = "Positioning  NPO GoalieCatchOpp NPOX";
  const std::string catchHome = "Positioning GoalieCatchOppHome model=catch";
  const Case cases[] = {
      {"offside_l", VPM_NONE, 3, {"Positioning  NPO Offside NPOX"}, "forbiddenTargetX = true"},
      {"goal_kick_r", VPM_NONE, 4, {kick, kickHome}, "Point 1st=(35.00,-21.50)"},
      {"goal_kick_r", VPM_NONE, 5, {kick, kickHome}, "Point 1st=(20.00,-1.50)"},
      {"free_kick_r", VPM_OPP_GOALIE_CATCH_BALL, 10, {catchOpp, catchHome}, "Point = (18.00,8.50)"},
      {"free_kick_r", VPM_NONE, 10, {"Positioning  NPO Other  NPOX"}, "Point = (20.00,0.00)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.targetLine);
    referee(c.referee);
    worldModel->setVirtualPlayMode(c.virtualPlayMode);
    placeAgent(c.uniNum, {0, 0});
    placeBall({10, -10});
    std::ostringstream& log = support::captureMainLog();
    ASSERT_NE(Positioning(worldModel.get()).getPositioningCommand({20, 0}), nullptr);
    std::vector<std::string> lines = c.lines;
    lines.insert(lines.begin(), "Positioning NPO ");
    EXPECT_EQ(linesStarting(log.str(), "Positioning"), lines);
    EXPECT_EQ(linesStarting(log.str(), "FAGotoPoint " + c.targetLine).size(), 1u) << log.str();
  }
  placeAgent(10, {0, 0});
  placeBall({0, 20});
  std::unique_ptr<Command> command = Positioning(worldModel.get()).getPositioningCommand({0.3f, 0});
  ASSERT_NE(commandAs<TurnCommand>(command.get()), nullptr);
  EXPECT_NEAR(commandAs<TurnCommand>(command.get())->getDirection(), 90, TURN_TOLERANCE);
}

}  // namespace
}  // namespace tovren
