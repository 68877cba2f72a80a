#include "actions/withoutball/Positioning.h"

#include "connection/Command.h"
#include "support/PositioningScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace tovren {
namespace {

constexpr float TOLERANCE = 0.01f;
constexpr float INC_MAX = 45.0f;  // stamina_inc_max of the recorded default type
constexpr float ANY = NAN;        // a coordinate the case does not check

unsigned int countLines(const std::string& log, const std::string& start) {
  unsigned int count = 0;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);)
    count += line.rfind("  0000. " + start, 0) == 0;
  return count;
}

void expectPoint(const Point& actual, const Point& expected) {
  if (!std::isnan(expected.x)) {
    EXPECT_NEAR(actual.x, expected.x, TOLERANCE);
  }
  if (!std::isnan(expected.y)) {
    EXPECT_NEAR(actual.y, expected.y, TOLERANCE);
  }
}

using PositioningHome = support::PositioningScene;

// The opponents' line stands at 45 in every case; the ball's x replaces it when greater.
TEST_F(PositioningHome, FollowsTheRowsAndTheRulesOfEachPost) {
  struct Case {
    Point ball;
    bool playOn;
    unsigned int postIndex;
    Point home;
  };
  const Case cases[] = {
      {{0, 0}, false, 5, {0.5f, 6}},         {{0, 0}, false, 6, {0.5f, -6}},
      {{0, 0}, false, 8, {12.3625f, 0}},     {{0, 0}, false, 9, {13.225f, -13.4f}},
      {{0, 0}, false, 10, {13.225f, 13.4f}}, {{0, 0}, false, 1, {-4.7f, -16.15f}},
      {{0, 0}, false, 2, {-4.7f, -5.46f}},   {{0, 0}, false, 7, {-4.125f, 0}},
      {{45, -10}, true, 9, {41.5f, -9.06f}}, {{45, -10}, true, 8, {41.5f, -3.85f}},
      {{45, -10}, true, 5, {29.31f, 0.22f}}, {{45, -10}, true, 1, {-1, -23.21f}},
      {{45, -10}, false, 9, {44, -9.06f}},   {{40, -20}, true, 9, {36, -15.92f}},
      {{40, -20}, true, 5, {27.52f, 0}},     {{40, -20}, true, 10, {40.18f, -0.56f}},
      {{28, 0}, false, 8, {29.25f, 0}},      {{28, 0}, false, 9, {30.75f, -7.83f}},
      {{17, 0}, false, 8, {21.5f, 0}},       {{52.5f, 0}, true, 7, {-1, 0}},
      {{52.5f, 0}, true, 3, {-1, ANY}},      {{60, 0}, false, 9, {50, -5.44f}},
      {{60, 0}, false, 10, {50, ANY}},       {{-60, 0}, false, 8, {-16.31f, 0}},
  };
  placeAgent(6, {-30, 30});
  placePlayer(TID_OPPONENT, 2, {45, 0});
  placePlayer(TID_OPPONENT, 3, {46, 0});
  Positioning positioning(worldModel.get());
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.ball << (c.playOn ? " play_on" : "") << " index " << c.postIndex);
    referee(c.playOn ? "play_on" : "kick_in_l");
    placeBall(c.ball);
    positioning.setHomePoints();
    expectPoint(positioning.getBasicPos(c.postIndex), c.home);
  }

  const Point rowZero[] = {{-49, -9},  {-49, -3}, {-49, 3}, {-49, 9},   {-34, 17},
                           {-34, -17}, {-45, 0},  {-13, 0}, {-10, -20}, {-10, 20}};
  placeBall({-52.5f, 0});
  positioning.setHomePoints();
  for (unsigned int i = 1; i <= 10; ++i) expectPoint(positioning.getBasicPos(i), rowZero[i - 1]);
  expectPoint(positioning.getHomePoint(1), {0, 0});
  expectPoint(positioning.getHomePoint(3), rowZero[7]);  // uniform 3 is post 9
}

TEST_F(PositioningHome, DeepBallChangesTheDefendersMargins) {
  placeAgent(9, {-30, 0});
  placePlayer(TID_TEAMMATE, 1, {-50, 0}, true);
  placePlayer(TID_TEAMMATE, 2, {-45, 0});
  Positioning positioning(worldModel.get());
  // Ball x, home x of post indexes 2 and 7, "maxXFor7" lines.
  const float cases[][4] = {{-38, -39.66f, -37.63f, 0}, {-37.9f, -43, -41.4f, 1}};
  for (const auto& [ballX, x2, x7, for7Lines] : cases) {
    SCOPED_TRACE(ballX);
    placeBall({ballX, 0});
    std::ostringstream& log = support::captureMainLog();
    positioning.setHomePoints();
    EXPECT_NEAR(positioning.getBasicPos(2).x, x2, TOLERANCE);
    EXPECT_NEAR(positioning.getBasicPos(7).x, x7, TOLERANCE);
    EXPECT_EQ(countLines(log.str(), "oppOffsideLine : "), 10u);
    EXPECT_EQ(countLines(log.str(), "maxXFor3&4 : -45.00"), 2u);
    EXPECT_EQ(countLines(log.str(), "maxXFor7 : -45.00"), for7Lines);
  }
}

TEST_F(PositioningHome, TeammateLimitsCountTheDeepestFieldPlayers) {
  struct Mate {
    unsigned int uniNum;
    float x;
    bool goalie;
  };
  struct Case {
    const char* name;
    unsigned int agentUniNum;  // the agent stands at x -30
    std::vector<Mate> mates;
    float halfX;  // 0: no teammate seen without number
    float for7;
    float for34;
  };
  const Case cases[] = {
      {"one value without goalie", 9, {}, 0, 0, 0},
      {"second smallest without goalie", 9, {{2, -20, false}}, 0, -20, -20},
      {"smallest with goalie", 9, {{1, -50, true}, {2, -20, false}}, 0, -30, -30},
      {"equal values count twice", 9, {{2, -30, false}}, 0, -30, -30},
      {"central post never counts for itself", 9, {{5, -40, false}, {2, -20, false}}, 0, -20, -30},
      {"post 3 counts post 4 ahead",
       8,
       {{1, -50, true}, {7, -40, false}, {2, -10, false}},
       0,
       -40,
       -25},
      {"post 4 counts post 3 ahead", 7, {{1, -50, true}, {8, -40, false}}, 0, -40, -25},
      {"teammates seen without number", 9, {}, -35, -30, -30},
      {"never above 0", 9, {{2, 20, false}}, 25, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    placeAgent(c.agentUniNum, {-30, 0});
    for (const Mate& mate : c.mates)
      placePlayer(TID_TEAMMATE, mate.uniNum, {mate.x, 0}, mate.goalie);
    if (c.halfX != 0) {
      Player& half = worldModel->setHalfPlayer(TID_TEAMMATE, 3);
      half.setPos().setAsCartesian(c.halfX, 0);
      half.setValidPosDeviation(1.0f);
    }
    Positioning positioning(worldModel.get());
    EXPECT_FLOAT_EQ(positioning.getMaxXFor7(), c.for7);
    EXPECT_FLOAT_EQ(positioning.getMaxXFor34(), c.for34);
  }
}

// play_on: the power shows in the dash (body facing a far target); the final direction in
// the turn once the body stands 0.5 m from the target, facing it along 30 degrees.
struct CommandCase {
  const char* name;
  unsigned int uniNum;
  Point body;
  float bodyDir;
  float stamina;
  Point ball;
  Point target;
  bool dash;
  float value;  // dash power or turn moment
};

class PositioningCommand : public support::PositioningScene,
                           public ::testing::WithParamInterface<CommandCase> {};

TEST_P(PositioningCommand, DashPowerAndFinalDirectionByPost) {
  const CommandCase& c = GetParam();
  referee("play_on");
  placeAgent(c.uniNum, c.body, c.bodyDir, c.stamina);
  placeBall(c.ball);
  std::unique_ptr<Command> command = Positioning(worldModel.get()).getPositioningCommand(c.target);
  if (c.dash) {
    ASSERT_NE(commandAs<DashCommand>(command.get()), nullptr);
    EXPECT_NEAR(commandAs<DashCommand>(command.get())->getPower(), c.value, TOLERANCE);
  } else {
    ASSERT_NE(commandAs<TurnCommand>(command.get()), nullptr);
    EXPECT_NEAR(commandAs<TurnCommand>(command.get())->getDirection(), c.value, 0.1f);
  }
}

const Point NEAR_30(0.433f, 0.25f);  // 0.5 m from the origin along 30 degrees
const CommandCase COMMAND_CASES[] = {
    {"back target ahead with the ball behind", 9, {-20, 0}, 0, 8000, {-5, 0}, {-10, 0}, true, 60},
    {"back tired", 9, {-20, 0}, 0, 2200, {-5, 0}, {-10, 0}, true, INC_MAX},
    {"back ball at 0", 8, {-20, 0}, 0, 8000, {0, 0}, {-10, 0}, true, 100},
    {"back target level", 7, {-20, 0}, 90, 8000, {-5, 0}, {-20, 10}, true, 100},
    {"back ball ahead", 6, {0, 0}, 180, 2700, {10, 0}, {-4, 0}, true, INC_MAX * 0.5f},
    {"back ball far ahead", 6, {0, 0}, 180, 2700, {20, 0}, {-6, 0}, true, INC_MAX / 3},
    {"post 7 tired", 11, {0, 0}, 0, 2100, {0, 0}, {10, 0}, true, INC_MAX},
    {"post 8", 5, {0, 0}, 0, 8000, {0, 0}, {10, 0}, true, 85},
    {"post 8 exhausted", 5, {0, 0}, 0, 1900, {0, 0}, {10, 0}, true, INC_MAX * 0.5f},
    {"wide target ahead", 10, {0, 0}, 0, 8000, {0, 0}, {4, 0}, true, 80},
    {"wide target near", 10, {0, 0}, 0, 8000, {0, 0}, {2.9f, 0}, true, 50},
    {"wide target behind", 10, {0, 0}, 180, 8000, {0, 0}, {-2, 0}, true, 0},
    {"forward target level", 4, {0, 0}, 90, 8000, {0, 0}, {0, 4}, true, 80},
    {"forward behind, ball 15", 3, {0, 0}, 180, 8000, {15, 0}, {-10, 0}, true, 80},
    {"forward behind, tired", 3, {0, 0}, 180, 1650, {15, 0}, {-10, 0}, true, INC_MAX},
    {"forward behind, ball 0", 3, {0, 0}, 180, 8000, {0, 0}, {-10, 0}, true, 65},
    {"forward behind, ball -20", 3, {0, 0}, 180, 8000, {-20, 0}, {-10, 0}, true, 40},
    {"forward behind, ball -20, tired", 3, {0, 0}, 180, 2500, {-20, 0}, {-10, 0}, true, INC_MAX},
    {"forward behind, near", 3, {0, 0}, 180, 8000, {0, 0}, {-5, 0}, true, INC_MAX * 0.5f},
    {"forward at rest faces +x", 2, {0, 0}, 150, 8000, {0, 0}, {-1.732f, 1}, false, -150},
    {"forward arrived", 4, {0, 0}, 30, 8000, {0, 0}, NEAR_30, false, -30},
    {"goalie", 1, {0, 0}, 0, 8000, {0, 0}, {10, 0}, true, 100},
    {"goalie arrived, ball above", 1, {0, 0}, 30, 8000, {0, 5}, NEAR_30, false, 60},
    {"post 2 ball above -12", 9, {0, 0}, 30, 8000, {0, -10}, NEAR_30, false, 150},
    {"post 2 ball below", 9, {0, 0}, 30, 8000, {0, -13}, NEAR_30, false, -120},
    {"post 2 deep ball", 9, {0, 0}, 30, 8000, {-32, -10}, NEAR_30, false, 0},
    {"post 3 ball y 0", 8, {0, 0}, 30, 8000, {0, 0}, NEAR_30, false, -120},
    {"post 3 ball far -y", 8, {0, 0}, 30, 8000, {0, -16}, NEAR_30, false, -165},
    {"post 4 ball -y", 7, {0, 0}, 30, 8000, {0, -1}, NEAR_30, false, 150},
    {"post 4 ball far +y", 7, {0, 0}, 30, 8000, {0, 16}, NEAR_30, false, 105},
    {"post 5 ball below 12", 6, {0, 0}, 30, 8000, {0, 11}, NEAR_30, false, 150},
    {"post 5 ball above 12", 6, {0, 0}, 30, 8000, {0, 13}, NEAR_30, false, 60},
    {"post 8 ball wide", 5, {0, 0}, 30, 8000, {0, 13}, NEAR_30, false, 150},
    {"post 8 ball central", 5, {0, 0}, 30, 8000, {0, 5}, NEAR_30, false, 60},
    {"post 8 ball ahead of 10", 5, {0, 0}, 30, 8000, {10, 13}, NEAR_30, false, 0},
    {"wide never turns to a direction", 10, {0, 0}, 30, 8000, {0, 13}, NEAR_30, false, 0},
};
INSTANTIATE_TEST_SUITE_P(Posts, PositioningCommand, ::testing::ValuesIn(COMMAND_CASES));

TEST_F(PositioningHome, SetPlaysAvoidTheAreaAndTurnToTheBallOnArrival) {
  struct Case {
    const char* name;
    const char* referee;
    VirtualPlayMode virtualPlayMode;
    unsigned int uniNum;
    Point target;
    std::vector<std::string> lines;  // the lines that start with "Positioning"
    std::string targetLine;          // how the go-to logs the target it was given
  };
  const std::string npo = "Positioning NPO ";
  const Case cases[] = {
      {"offside",
       "offside_l",
       VPM_NONE,
       3,
       {20, 0},
       {npo, "Positioning  NPO Offside NPOX"},
       "FAGotoPoint forbiddenTargetX = true"},
      {"goal kick",
       "goal_kick_r",
       VPM_NONE,
       4,
       {20, 0},
       {npo, "Positioning  NPO GoalKickOpp NPOX", "Positioning GoalieCatchOppHome model=goalkick"},
       "FAGotoPoint Point 1st=(35.00,-21.50)"},
      {"goalie catch",
       "free_kick_r",
       VPM_OPP_GOALIE_CATCH_BALL,
       10,
       {20, 0},
       {npo, "Positioning  NPO GoalieCatchOpp NPOX", "Positioning GoalieCatchOppHome model=catch"},
       "FAGotoPoint Point = (18.00,8.50)"},
      {"free kick",
       "free_kick_r",
       VPM_NONE,
       10,
       {20, 0},
       {npo, "Positioning  NPO Other  NPOX"},
       "FAGotoPoint Point = (20.00,0.00)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    referee(c.referee);
    worldModel->setVirtualPlayMode(c.virtualPlayMode);
    placeAgent(c.uniNum, {0, 0});
    placeBall({10, -10});
    std::ostringstream& log = support::captureMainLog();
    std::unique_ptr<Command> command =
        Positioning(worldModel.get()).getPositioningCommand(c.target);
    ASSERT_NE(command, nullptr);
    std::vector<std::string> lines;
    std::istringstream in(log.str());
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("  0000. Positioning", 0) == 0) lines.push_back(line.substr(8));
    }
    EXPECT_EQ(lines, c.lines);
    EXPECT_NE(log.str().find(c.targetLine), std::string::npos) << log.str();
  }
  // Standing on the target, facing it: the turn goes to the ball (90 degrees left).
  placeAgent(10, {0, 0}, 0);
  placeBall({0, 20});
  std::unique_ptr<Command> command = Positioning(worldModel.get()).getPositioningCommand({0.3f, 0});
  ASSERT_NE(commandAs<TurnCommand>(command.get()), nullptr);
  EXPECT_NEAR(commandAs<TurnCommand>(command.get())->getDirection(), 90, 0.1f);
}

TEST_F(PositioningHome, OppGoalieKickHomeReplacesTheFrontPostsTargets) {
  struct Case {
    const char* referee;
    VirtualPlayMode virtualPlayMode;
    unsigned int uniNum;
    Point home;
  };
  // Target (5, 5), ball y 10.
  const Case cases[] = {
      {"free_kick_r", VPM_OPP_GOALIE_CATCH_BALL, 10, {18, 11.5f}},
      {"free_kick_r", VPM_OPP_GOALIE_CATCH_BALL, 2, {30, 21.5f}},
      {"goal_kick_r", VPM_NONE, 11, {28, -8.5f}},
      {"goal_kick_r", VPM_NONE, 3, {35, 1.5f}},
      {"goal_kick_r", VPM_NONE, 5, {5, 6.5f}},
      {"free_kick_r", VPM_NONE, 3, {5, 5}},
      {"play_on", VPM_OPP_GOALIE_CATCH_BALL, 3, {5, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.referee << " " << c.uniNum);
    referee(c.referee);
    worldModel->setVirtualPlayMode(c.virtualPlayMode);
    placeAgent(c.uniNum, {0, 0});
    placeBall({0, 10});
    expectPoint(Positioning(worldModel.get()).getOppGoalieKickHome({5, 5}), c.home);
  }
}

}  // namespace
}  // namespace tovren
