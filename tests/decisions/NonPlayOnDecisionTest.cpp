#include "decisions/NonPlayOnDecision.h"

#include "actions/withoutball/Defense.h"
#include "actions/withoutball/NonPlayOn.h"
#include "actions/withoutball/Positioning.h"
#include "connection/Command.h"
#include "foundation/SayEncoding.h"
#include "support/PositioningScene.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

namespace tovren {
namespace {

using HomePoints = NonPlayOnDecision::HomePoints;
constexpr int K = NonPlayOnDecision::KICKER, N = NonPlayOnDecision::NOT_KICKER;
constexpr int NOW = NonPlayOnDecision::KICK_NOW, WAIT = NonPlayOnDecision::KEEP_WAITING;
constexpr VirtualPlayMode V0 = VPM_NONE, CATCH = VPM_OUR_GOALIE_CATCH_BALL;
constexpr VirtualPlayMode TAKEN = VPM_GOAL_KICK_TAKEN, INDIRECT = VPM_OUR_INDIRECT_FREE_KICK;
constexpr unsigned int CALL_TIME = 300;    // the agent's cycle of every referee call
constexpr unsigned int NO = 0;             // no advice heard; no attention asked
constexpr float POINT_TOLERANCE = 0.001f;  // metres

// Uniform u's home point at (10 u - 60, 30), away from every ball of the tests.
HomePoints farHomePoints() {
  HomePoints points;
  for (unsigned int u = 1; u <= NonPlayOnDecision::PLAYERS_NUM; ++u)
    points[u - 1] = Point(10.0f * static_cast<float>(u) - 60.0f, 30.0f);
  return points;
}

class NonPlayOnDecisionScene : public support::PositioningScene {
 protected:
  void SetUp() override {
    PositioningScene::SetUp();
    config["Agent"]["Public"].add("LatestTrick", "False");
    positioning = std::make_unique<Positioning>(worldModel.get());
    decision = std::make_unique<NonPlayOnDecision>(worldModel.get(), *positioning, flags, mode);
  }
  // The server's drop_ball_time (the recorded one is 100).
  void dropBallTime(unsigned int cycles) {
    std::string text = support::receivedMessages(support::recordedParamsPath(), "server_param")[0];
    const std::string key = "(drop_ball_time 100)";
    text.replace(text.find(key), key.size(), "(drop_ball_time " + std::to_string(cycles) + ")");
    worldModel->initServerParam(*support::parseMessage(text));
  }
  // The referee's call at CALL_TIME, then so many sense_body messages; the advice of a
  // teammate heard two cycles after the call.
  void setPlay(const char* call, unsigned int past, VirtualPlayMode virtualMode = V0,
               unsigned int advice = NO) {
    worldModel->setCurTime(CALL_TIME);
    referee(call);
    if (virtualMode != V0) worldModel->setVirtualPlayMode(virtualMode);
    if (advice != NO) hearAdvice(advice, CALL_TIME + 2);
    for (unsigned int i = 0; i < past; ++i) worldModel->updatePlayModeRemainCycleAfterSenseBody();
    worldModel->setCurTime(CALL_TIME + past);
  }
  void hearAdvice(unsigned int number, unsigned int cycle) {
    const unsigned int now = worldModel->getCurTime();
    worldModel->setCurTime(cycle);
    worldModel->teammateHear(0, 5, std::string("\"F") + SayEncoding::sayCodeKey[number] + "\"");
    worldModel->setCurTime(now);
  }
  // Uniform 1 is the goalie.
  void agent(unsigned int uniNum, const Point& pos) {
    placeAgent(uniNum, pos);
    worldModel->setBody().setGoalie(uniNum == 1);
  }
  // The agent's decision from a cleared say request and another neck mode.
  int decide() {
    worldModel->setBall().setSeeTime(worldModel->getCurTime());
    support::markAllViewPartsSeen(*worldModel);
    worldModel->updateCurInterCalculate();
    if (worldModel->isBallKickable()) worldModel->updateCurKickCalculate();
    positioning->setHomePoints();
    mode = TNM_LOOK_BY_BALL_DISTANCE;
    flags.beforePass = true;
    flags.attentionNum = 11;
    return decision->decide(0);
  }

  std::unique_ptr<Positioning> positioning;
  SayDecisionFlags flags;
  TurnNeckMode mode = TNM_LOOK_BY_BALL_DISTANCE;
  std::unique_ptr<NonPlayOnDecision> decision;
};

TEST_F(NonPlayOnDecisionScene, FixedKickerRulesAndTheNearestHomePointsAtKickOffs) {
  // The ball at (0, y): 4 and 6 stand 3 m away, 7 within the tie margin, 8 beyond it.
  HomePoints points = farHomePoints();
  points[0] = Point(0, 0);
  points[3] = Point(3, 0);
  points[5] = Point(0, 3);
  points[6] = Point(3.00005f, 0);
  points[7] = Point(3.0002f, 0);
  // Call, virtual play mode, uniform, ball y, answer.
  const std::tuple<const char*, VirtualPlayMode, unsigned int, float, int> cases[] = {
      {"free_kick_l", CATCH, 1, 0, K},    {"free_kick_l", CATCH, 4, 0, N},
      {"goal_kick_l", V0, 1, 0, K},       {"goal_kick_l", V0, 4, 0, N},
      {"goal_kick_l", TAKEN, 1, 0, N},    {"before_kick_off", V0, 1, 0, N},
      {"corner_kick_l", V0, 11, 0, K},    {"corner_kick_l", V0, 10, 0, N},
      {"corner_kick_l", V0, 10, 0.1f, K}, {"before_kick_off", V0, 4, 0, K},
      {"kick_off_r", V0, 6, 0, K},        {"goal_l_1", V0, 7, 0, K},
      {"kick_off_l", V0, 8, 0, N}};
  for (const auto& [call, virtualMode, uniNum, ballY, expected] : cases) {
    setPlay(call, 10, virtualMode);
    agent(uniNum, {-20, 0});
    placeBall({0, ballY});
    EXPECT_EQ(decision->selectBallKicker(points), expected) << call << " " << uniNum;
  }
}

TEST_F(NonPlayOnDecisionScene, AdviceNamesTheKickerFromTheSixthCycleWhateverTheDropBallTime) {
  // The ball at (0, 0); uniform 9's home point 25 m from it, 7's 5 m.
  HomePoints points = farHomePoints();
  points[6] = Point(5, 0);
  // Call, drop_ball_time, cycles since the call, advice heard so many cycles after the
  // call, 9's home point's x, answer of 9.
  const std::tuple<const char*, unsigned int, unsigned int, unsigned int, int, float, int> cases[] =
      {{"free_kick_l", 100, 5, 9, 2, 25, N},     {"free_kick_l", 100, 6, 9, 2, 25, K},
       {"kick_in_l", 200, 5, 9, 2, 25, N},       {"kick_in_l", 200, 6, 9, 2, 25, K},
       {"free_kick_l", 100, 6, 9, 0, 25, N},     {"free_kick_l", 100, 6, 7, 2, 25, N},
       {"free_kick_l", 100, 6, 9, 2, 25.01f, N}, {"offside_r", 100, 20, 9, 2, 25, N},
       {"back_pass_r", 100, 0, 9, -99, 25, K},   {"back_pass_r", 100, 0, 9, -100, 25, N},
       {"back_pass_r", 200, 0, 9, -100, 25, K}};
  for (const auto& [call, drop, past, advice, heardAfterCall, nineX, expected] : cases) {
    dropBallTime(drop);
    setPlay(call, past);
    hearAdvice(advice, unsigned(int(CALL_TIME) + heardAfterCall));
    agent(9, {-20, 0});
    placeBall({0, 0});
    points[8] = Point(nineX, 0);
    EXPECT_EQ(decision->selectBallKicker(points), expected)
        << call << " " << drop << " " << past << " " << advice << " " << heardAfterCall;
  }
  // Early in the match the set play began at cycle 0 at the latest.
  worldModel->setCurTime(50);
  referee("back_pass_r");
  hearAdvice(9, 1);
  EXPECT_EQ(decision->selectBallKicker(points), K);
}

TEST_F(NonPlayOnDecisionScene, TheAdviserNamesTheKickerAndListenersRepeatFreshAdvice) {
  // Home points 3 and 6 lie 3 m from the ball at (20, 5). Without advice (NO) the last
  // heard named 6 in the cycle of the call, which is stale.
  HomePoints points = farHomePoints();
  points[2] = Point(20, 8);
  points[5] = Point(20, 2);
  // Call, drop_ball_time, cycles since the call, uniform, ball, ball seen since the call,
  // advice; then the F request, the number it says and the attention (11: untouched).
  const std::tuple<const char*, unsigned int, unsigned int, unsigned int, Point, bool, unsigned int,
                   bool, unsigned int, unsigned int>
      cases[] = {{"free_kick_l", 100, 2, 5, {20, 5}, true, NO, true, 3, 3},
                 {"free_kick_l", 200, 2, 5, {20, 5}, true, NO, true, 3, 3},
                 {"free_kick_l", 100, 1, 5, {20, 5}, true, NO, false, 0, 11},
                 {"free_kick_l", 100, 2, 5, {20, 5}, false, NO, false, 0, 11},
                 {"corner_kick_l", 100, 2, 5, {52, 0}, true, NO, true, 11, 11},
                 {"kick_in_l", 100, 2, 5, {35, -34}, true, NO, true, 11, 11},
                 {"kick_in_l", 100, 2, 5, {34.9f, -34}, true, NO, true, 6, 6},
                 {"free_kick_l", 100, 4, 8, {20, 5}, true, 6, true, 6, 6},
                 {"free_kick_l", 200, 4, 8, {20, 5}, true, 6, true, 6, 6},
                 {"free_kick_l", 100, 4, 8, {20, 5}, true, NO, false, 0, 5},
                 {"free_kick_l", 100, 4, 8, {20, 5}, true, 12, false, 0, 5},
                 {"free_kick_l", 100, 4, 8, {20, 5}, false, 6, false, 0, 11},
                 {"offside_r", 100, 4, 8, {20, 5}, true, 6, true, 0, 11}};
  for (const auto& [call, drop, past, uniNum, ball, seen, advice, freeKick, said, attention] :
       cases) {
    SCOPED_TRACE(::testing::Message() << call << " " << drop << " " << past << " " << uniNum << " "
                                      << ball << " " << seen << " " << advice);
    decision = std::make_unique<NonPlayOnDecision>(worldModel.get(), *positioning, flags, mode);
    dropBallTime(drop);
    setPlay(call, past, V0, advice);
    if (advice == NO) hearAdvice(6, CALL_TIME);
    agent(uniNum, {-20, 0});
    placeBall(ball);
    worldModel->setBall().setSeeTime(CALL_TIME + (seen ? 1 : 0));
    flags.freeKick = true;  // left as it was only where the selection returns at once
    flags.freeKickAdviceNum = 0;
    flags.attentionNum = 11;
    decision->selectBallKickerSay(points);
    EXPECT_EQ(flags.freeKick, freeKick);
    EXPECT_EQ(flags.freeKickAdviceNum, said);
    EXPECT_EQ(flags.attentionNum, attention);
  }
}

TEST_F(NonPlayOnDecisionScene, TheAdviserKeepsItsChoiceUntilTheNextSetPlayAndNamesTheGoalie) {
  HomePoints points = farHomePoints();
  points[6] = Point(20, 1);
  agent(5, {-20, 0});
  placeBall({20, 0});
  // Call, cycles since the call, uniform 9's home point's y, the number said (0 none).
  const std::tuple<const char*, unsigned int, float, unsigned int> steps[] = {
      {"free_kick_l", 2, 3, 7},
      {"kick_in_l", 3, 0, 7},
      {"kick_in_l", 1, 0, 0},
      {"kick_in_l", 2, 0, 9}};
  for (const auto& [call, past, nineY, said] : steps) {
    setPlay(call, past);
    worldModel->setBall().setSeeTime(CALL_TIME + 1);
    points[8] = Point(20, nineY);
    flags.reset();
    decision->selectBallKickerSay(points);
    EXPECT_EQ(flags.freeKick ? flags.freeKickAdviceNum : 0, said) << call << " " << past;
  }
  for (unsigned int past : {1u, 2u}) {
    setPlay("free_kick_l", past, CATCH);
    decision->selectBallKickerSay(points);
  }
  EXPECT_EQ(flags.freeKickAdviceNum, 1u) << "the goalie plays the ball out after its catch";
}

TEST_F(NonPlayOnDecisionScene, HomePointsOfTheKickOffTheCatchTheFormationOrTheOwnDefence) {
  agent(7, {-10, -10});
  placeBall({-30, 10});
  positioning->setHomePoints();
  GoalieCatchOffense catchOffense(worldModel.get());
  Defense defense(worldModel.get(), *positioning);
  enum Source { KICK_OFF, AFTER_CATCH, FORMATION, OWN_DEFENCE };
  const std::tuple<const char*, VirtualPlayMode, Source> cases[] = {
      {"before_kick_off", V0, KICK_OFF},   {"kick_off_l", V0, KICK_OFF},
      {"free_kick_l", CATCH, AFTER_CATCH}, {"goal_r_1", V0, FORMATION},
      {"corner_kick_l", V0, FORMATION},    {"goal_l_1", V0, OWN_DEFENCE},
      {"free_kick_r", V0, OWN_DEFENCE}};
  for (const auto& [call, virtualMode, source] : cases) {
    setPlay(call, 3, virtualMode);
    placeBall({-30, 10});
    defense.getValue();
    HomePoints points;
    decision->getCurrentHomePoints(points);
    for (unsigned int u = 1; u <= NonPlayOnDecision::PLAYERS_NUM; ++u) {
      const Point expected[] = {NonPlayOnBeforeKickOff::getMovePoint(u),
                                catchOffense.getHomePoint(u), positioning->getHomePoint(u),
                                defense.getHomePoint(0)};
      EXPECT_LT(points[u - 1].getDistance(expected[source]), POINT_TOLERANCE) << call << " " << u;
    }
  }
}

TEST_F(NonPlayOnDecisionScene,
       TheTakerWaitsThirtyTwoCyclesAndForTiredTeammatesTillTheCountOrTheDropEnds) {
  // Call, drop_ball_time, cycles since the call, own stamina, the tired teammate (7 valid,
  // 8 not; 7000 of 8000), the argument, the answer.
  const std::tuple<const char*, unsigned int, unsigned int, float, unsigned int, int, int> cases[] =
      {{"free_kick_l", 100, 31, 8000, 0, 0, WAIT},   {"free_kick_l", 100, 32, 8000, 0, 0, NOW},
       {"corner_kick_l", 200, 31, 8000, 0, 0, WAIT}, {"goal_kick_l", 200, 32, 8000, 0, 0, NOW},
       {"kick_in_l", 100, 40, 8000, 0, 1, WAIT},     {"kick_in_l", 100, 40, 7998.9f, 0, 0, WAIT},
       {"kick_in_l", 100, 40, 7999, 8, 0, NOW},      {"kick_in_l", 100, 40, 8000, 7, 0, WAIT},
       {"kick_in_l", 200, 197, 0, 7, 0, WAIT},       {"kick_off_l", 200, 198, 0, 7, 1, NOW},
       {"kick_off_l", 0, 198, 0, 7, 1, NOW},         {"kick_in_l", 100, 97, 0, 7, 0, WAIT},
       {"corner_kick_l", 100, 98, 0, 7, 1, NOW},     {"offside_r", 100, 30, 8000, 0, 0, WAIT},
       {"back_pass_r", 100, 0, 0, 7, 1, NOW}};
  placePlayer(TID_TEAMMATE, 7, {5, 5});
  placePlayer(TID_TEAMMATE, 8, {5, -5});
  worldModel->setFullPlayer(TID_TEAMMATE, 7).setValidPosDeviation(8);
  for (const auto& [call, drop, past, ownStamina, tired, wait, expected] : cases) {
    SCOPED_TRACE(::testing::Message() << call << " " << drop << " " << past << " " << ownStamina
                                      << " " << tired << " " << wait);
    dropBallTime(drop);
    setPlay(call, past);
    agent(9, {0, 0});
    worldModel->setBody().setStamina(ownStamina);
    worldModel->setFullPlayer(TID_TEAMMATE, 6).setStamina(tired == 7 ? 7000 : 8000);
    worldModel->setFullPlayer(TID_TEAMMATE, 7).setStamina(tired == 8 ? 7000 : 8000);
    std::ostringstream& log = support::captureMainLog();
    EXPECT_EQ(decision->backBallChoice(wait), expected);
    const bool copsSeven = log.str().find("backBallChoice : COPS player 7") != std::string::npos;
    EXPECT_EQ(copsSeven, past == 40 && tired == 7);
  }
  agent(9, {0, 0});
  worldModel->setFullPlayer(TID_TEAMMATE, 6).setStamina(8000);
  dropBallTime(200);
  setPlay("free_kick_l", 99, CATCH);
  EXPECT_EQ(decision->backBallChoice(0), WAIT) << "after the catch the taker waits 100 cycles";
  setPlay("free_kick_l", 100, CATCH);
  EXPECT_EQ(decision->backBallChoice(0), NOW);
  // Unless the server drops the ball before that.
  dropBallTime(100);
  setPlay("free_kick_l", 97, CATCH);
  EXPECT_EQ(decision->backBallChoice(0), WAIT);
  setPlay("free_kick_l", 98, CATCH);
  EXPECT_EQ(decision->backBallChoice(0), NOW);
}

TEST_F(NonPlayOnDecisionScene, DefenceOrOffenceByWhoTakesTheNextKick) {
  const char* const ended[] = {"time_up", "time_up_without_a_team"};
  const char* const defence[] = {"play_on",   "before_kick_off", "kick_off_r",  "goal_l_1",
                                 "offside_l", "back_pass_l",     "goal_kick_r", "penalty_setup_l"};
  const char* const offence[] = {
      "kick_off_l",  "free_kick_l",   "kick_in_l",   "offside_r",     "goal_r_1",
      "goal_kick_l", "corner_kick_l", "back_pass_r", "catch_fault_r", "free_kick_fault_r"};
  for (const char* call : ended) EXPECT_EQ((referee(call), decision->DefenseOffenseChoice()), 0);
  for (const char* call : defence) EXPECT_EQ((referee(call), decision->DefenseOffenseChoice()), 1);
  for (const char* call : offence) EXPECT_EQ((referee(call), decision->DefenseOffenseChoice()), 2);
}

TEST_F(NonPlayOnDecisionScene, EveryPlayerButTheTakerRunsTheActionOfThePlayMode) {
  const DecideType BEFORE_KICK_OFF = DT_NON_PLAY_ON_BEFORE_KICK_OFF, GOALIE = DT_GOALIE_POSITIONING,
                   CATCH_OFFENSE = DT_GOALIE_CATCH_OFFENSE;
  // Call, virtual play mode, uniform (1 the goalie), decide type, attention asked.
  const std::tuple<const char*, VirtualPlayMode, unsigned int, DecideType, unsigned int> cases[] = {
      {"time_up", V0, 7, DT_NONE, NO},
      {"play_on", V0, 7, DT_NONE, NO},
      {"before_kick_off", V0, 7, BEFORE_KICK_OFF, NO},
      {"kick_off_r", V0, 7, BEFORE_KICK_OFF, NO},
      {"kick_off_l", V0, 7, BEFORE_KICK_OFF, NO},
      {"goal_l_1", V0, 7, BEFORE_KICK_OFF, NO},
      {"free_kick_l", V0, 7, DT_OFFENSE, 5},
      {"free_kick_l", V0, 1, GOALIE, 5},
      {"free_kick_l", CATCH, 7, CATCH_OFFENSE, 5},
      {"kick_in_r", V0, 7, DT_DEFENSE, NO},
      {"corner_kick_r", V0, 1, GOALIE, NO},
      {"offside_l", V0, 7, DT_DEFENSE, NO},
      {"offside_r", V0, 7, DT_OFFENSE, NO},
      {"catch_fault_r", V0, 1, GOALIE, NO},
      {"goal_kick_l", V0, 7, CATCH_OFFENSE, 1},
      {"goal_kick_l", TAKEN, 7, CATCH_OFFENSE, NO},
      {"goal_kick_r", V0, 7, DT_DEFENSE, NO},
      {"goal_kick_r", V0, 1, GOALIE, NO}};
  for (const auto& [call, virtualMode, uniNum, type, attention] : cases) {
    SCOPED_TRACE(::testing::Message() << call << " " << virtualMode << " " << uniNum);
    setPlay(call, 10, virtualMode);
    agent(uniNum, {uniNum == 1 ? -50.0f : -10.0f, 0});
    placeBall({0, 0});
    EXPECT_EQ(decide(), type);
    EXPECT_TRUE(type != DT_NONE || support::textOf(decision->getCommand()).empty());
    EXPECT_EQ(mode, TNM_LOOK_NORMALLY);
    EXPECT_EQ(flags.attentionNum, attention);
  }
}

TEST_F(NonPlayOnDecisionScene, TheTakerWalksBehindTheBallWaitsAndKicks) {
  constexpr int NONE = -1;  // no command
  // Call, virtual play mode, cycles since the call, uniform (also the advice heard),
  // agent, ball, decide type, command kind, attention asked.
  const std::tuple<const char*, VirtualPlayMode, unsigned int, unsigned int, Point, Point,
                   DecideType, int, unsigned int>
      cases[] = {
          {"kick_off_l", V0, 10, 3, {-10, 0}, {0, 0}, DT_NON_PLAY_ON_GOTO_KICK, CK_DASH, NO},
          {"kick_off_l", V0, 10, 3, {-0.48f, 0}, {0, 0}, DT_NON_PLAY_ON_BACK_BALL, CK_TURN, NO},
          {"kick_off_l", V0, 40, 3, {-0.48f, 0}, {0, 0}, DT_PASS, CK_KICK, NO},
          {"free_kick_l",
           CATCH,
           50,
           1,
           {-45, 0},
           {-45, 0.5f},
           DT_NON_PLAY_ON_BACK_BALL,
           CK_TURN,
           1},
          {"free_kick_l",
           CATCH,
           100,
           1,
           {-45, 0},
           {-45, 0.5f},
           DT_GOALIE_CATCH_OFFENSE,
           CK_MOVE,
           1},
          {"free_kick_l", CATCH, 100, 1, {-40, 18}, {-39.5f, 18}, DT_PASS, CK_KICK, 1},
          {"free_kick_l", V0, 40, 3, {39.52f, 0}, {40, 0}, DT_SHOOT, CK_KICK, NO},
          {"free_kick_l", INDIRECT, 40, 3, {39.52f, 0}, {40, 0}, DT_NONE, NONE, NO},
          {"back_pass_r", V0, 5, 3, {39.52f, 0}, {40, 0}, DT_NONE, CK_EMPTY, 3},
          {"goal_kick_l", V0, 10, 1, {-50, 0}, {-47, 0.1f}, DT_NON_PLAY_ON_GOTO_KICK, CK_DASH, 7},
          {"goal_kick_l", V0, 10, 1, {-50, 0}, {-47, 0}, DT_NON_PLAY_ON_GOTO_KICK, CK_DASH, 8},
          {"goal_kick_l", TAKEN, 10, 1, {-50, 0}, {-30, 5}, DT_GOALIE_POSITIONING, CK_TURN, 7}};
  for (const auto& [call, virtualMode, past, uniNum, agentPos, ballPos, type, kind, attention] :
       cases) {
    SCOPED_TRACE(::testing::Message() << call << " " << virtualMode << " " << past << " " << uniNum
                                      << " " << agentPos << " " << ballPos);
    SetUp();
    setPlay(call, past, virtualMode, uniNum);
    agent(uniNum, agentPos);
    placeBall(ballPos);
    EXPECT_EQ(decide(), type);
    const Command* command = decision->getCommand();
    EXPECT_EQ(command ? int(command->getKind()) : NONE, kind);
    EXPECT_EQ(mode, TNM_LOOK_CAREFULLY);
    EXPECT_EQ(flags.attentionNum, attention);
    // Only the goalie's kick out after its catch names its receiver, 6.
    const bool kickOut = uniNum == 1 && type == DT_PASS;
    EXPECT_EQ(flags.beforePass && flags.sayInterceptNum == 6 && !flags.freeKick, kickOut);
  }
}

TEST_F(NonPlayOnDecisionScene, OnlyTheFastestMeetsTheirGoalKickOnceTheBallMoves) {
  // The ball rolls from (45, 0) past teammate 10 at (38, 0.5), or far from him at (10, 0);
  // the agent at (25, 0).
  for (const auto& [tenX, tenY, type] :
       {std::tuple(10.0f, 0.0f, DT_INTERCEPT), {38.0f, 0.5f, DT_NONE}}) {
    SetUp();
    setPlay("goal_kick_r", 10);
    agent(9, {25, 0});
    placeBall({45, 0});
    worldModel->setBall().setVel().setAsCartesian(-1.5f, 0);
    placePlayer(TID_TEAMMATE, 10, {tenX, tenY});
    EXPECT_EQ(decide(), type) << tenX;
    EXPECT_EQ(decision->getCommand() != nullptr, type == DT_INTERCEPT) << tenX;
  }
}

TEST(NonPlayOnDecision, TheirGoalKickTargetOnTheAreaFrontOrItsSidesWithinTheField) {
  // Ball, velocity, target.
  const std::tuple<Point, Point, Point> cases[] = {
      {{40, 3}, {0, -1}, {40, -20}},         {{40, 3}, {0.0001f, 0.5f}, {40, 20}},
      {{45, 3}, {-1, 0.0001f}, {35.5f, 3}},  {{25.5f, 10.5f}, {1, 1}, {35.5f, 20.5f}},
      {{25.5f, 11}, {1, 1}, {35, 20.5f}},    {{25.5f, -11}, {1, -1}, {35, -20.5f}},
      {{45, -21}, {1, 0.001f}, {52, 20.5f}}, {{45, 21}, {-1, -0.001f}, {-52, -20.5f}}};
  for (const auto& [ball, vel, expected] : cases) {
    const Point target = NonPlayOnDecision::getOppGoalKickTarget(ball, Vector(vel));
    EXPECT_LT(target.getDistance(expected), POINT_TOLERANCE) << ball << " " << vel;
  }
}

}  // namespace
}  // namespace tovren
