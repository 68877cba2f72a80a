#include "actions/withball/Shoot.h"

#include "connection/Command.h"
#include "decisions/SayDecisionFlags.h"
#include "support/KickScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace tovren {
namespace {

constexpr float WEIGHT_TOLERANCE = 0.01f;
constexpr float NO_GOALIE = 99.0f;  // a goalie x that places no goalie

class ProbeShoot : public Shoot {
 public:
  using Shoot::chooseShoot;
  using Shoot::Shoot;
  using Shoot::shootCommands;
  using Shoot::shootWeights;
  using Shoot::smoothShootWeights;
};

// The agent 0.5 m behind the ball at ballPos, facing +x, every direction seen seenAgo
// cycles ago but what a look now towards lookNow (degrees) sees, and the opponents' goalie
// where asked.
std::unique_ptr<WorldModel> makeScene(const Point& ballPos, const Point& ballVel = Point(0, 0),
                                      const Point& goalie = Point(NO_GOALIE, 0),
                                      float goalieDeviation = 3.8f, unsigned int seenAgo = 0,
                                      float lookNow = NAN) {
  support::setAgentConfig(true);
  auto wm = std::make_unique<WorldModel>();
  support::feedRecordedParameters(*wm);
  support::placeAgentWithBall(*wm, ballPos.x - 0.5f, ballPos.y, 0.0f, 0.5f);
  wm->setBall().setVel().setAsCartesian(ballVel.x, ballVel.y);
  support::markAllViewPartsSeen(*wm);
  for (unsigned int i = 0; i < seenAgo; ++i) wm->updateSeeDeltaCyclesAfterSenseBody();
  if (!std::isnan(lookNow)) {
    wm->setBody().setHeadDir(lookNow);
    wm->updateSeeDeltaCyclesAfterSee();
    wm->setBody().setHeadDir(0.0f);
  }
  if (goalie.x != NO_GOALIE) {
    Player& p = support::placeFullPlayer(*wm, TID_OPPONENT, 1, goalie.x, goalie.y);
    p.setGoalie(true);
    p.setPosDeviation(goalieDeviation);
  }
  return wm;
}

TEST(Shoot, PartialWeightsReachTheEndsOfTheirRamps) {
  using Measure = float (*)(const Shoot&, int);
  const Measure far = [](const Shoot& s, int i) { return s.getFarToGoalieWeight(i); };
  const Measure deviation = [](const Shoot& s, int) { return s.getGoaliePosDeviationWeight(); };
  const Measure mistake = [](const Shoot& s, int) { return s.getGoalieMistakeWeight(); };
  const Measure fast = [](const Shoot& s, int) { return s.getBallFastMovingWeight(); };
  const Measure noise = [](const Shoot& s, int i) { return s.getNoiseWeight(i); };
  const Measure seen = [](const Shoot& s, int i) { return s.getGoalSeenWeight(i); };
  struct Case {
    const char* name;
    Measure measure;
    int target;
    Point ball;
    Point goalie;
    float deviation;
    unsigned int seenAgo;
    float weight;
    float lookNow = NAN;
  };
  const Point ball(40, 0);
  const Point none(NO_GOALIE, 0);
  const Case cases[] = {
      {"goalie on the target", far, 0, ball, {52.5f, -6.5f}, 3.8f, 0, 0},
      {"goalie 7 m off", far, 0, ball, {45.5f, -6.5f}, 3.8f, 0, 50},
      {"goalie 14 m off", far, 0, ball, {52.5f, 7.5f}, 3.8f, 0, 100},
      {"far without goalie", far, 0, ball, none, 3.8f, 0, 60},
      {"deviation 0.6", deviation, 0, ball, {50, 0}, 0.6f, 0, 100},
      {"deviation 3.8", deviation, 0, ball, {50, 0}, 3.8f, 0, 50},
      {"deviation 7", deviation, 0, ball, {50, 0}, 7, 0, 0},
      {"deviation without goalie", deviation, 0, ball, none, 3.8f, 0, 60},
      {"goalie 1.5 m under the bisector", mistake, 0, ball, {50, -1.5f}, 3.8f, 0, 0},
      {"goalie on the bisector", mistake, 0, ball, {50, 0}, 3.8f, 0, 0},
      {"goalie 4.25 m under", mistake, 0, ball, {50, -4.25f}, 3.8f, 0, 50},
      {"goalie 7 m under", mistake, 0, ball, {50, -7}, 3.8f, 0, 100},
      {"bisector along the goal line", mistake, 0, {52.5f, 10}, {50, 0}, 3.8f, 0, 0},
      {"mistake without goalie", mistake, 0, ball, none, 3.8f, 0, 20},
      {"noise close in the middle", noise, 17, {52.5f, 5.5f}, none, 0, 0, 100},
      {"noise close by the post", noise, 18, {52.5f, 5.5f}, none, 0, 0, 70},
      {"noise close at the end", noise, 20, {52.5f, 5.5f}, none, 0, 0, 50},
      {"noise near on the ramp", noise, 18, {50, 0.5f}, none, 0, 0, 64},
      {"noise near past the cut", noise, 19, {50, 0.5f}, none, 0, 0, 40},
      {"noise far in the middle", noise, 10, ball, none, 0, 0, 100},
      {"noise far on the ramp", noise, 18, ball, none, 0, 0, 50},
      {"noise far at the end", noise, 20, ball, none, 0, 0, 25},
      {"seen now", seen, 10, ball, none, 0, 0, 100},
      {"seen 5 ago", seen, 10, ball, none, 0, 5, 60},
      {"seen 7 ago", seen, 10, ball, none, 0, 7, 40},
      {"seen 8 ago", seen, 10, ball, none, 0, 8, 0},
      {"upper side seen now: its aim (52.5, 5) at 21 degrees", seen, 18, ball, none, 0, 8, 100, 21},
      {"goalie well placed", seen, 10, ball, {50, 0}, 0.6f, 8, 85},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto wm = makeScene(c.ball, Point(0, 0), c.goalie, c.deviation, c.seenAgo, c.lookNow);
    auto shoot = std::make_unique<Shoot>(wm.get());
    EXPECT_NEAR(c.measure(*shoot, c.target), c.weight, WEIGHT_TOLERANCE);
  }

  const struct {
    Point vel;
    DecideType lastDecide;
    float weight;
  } moving[] = {{{0, 0.75f}, DT_INTERCEPT, 0},
                {{4, 0.75f}, DT_INTERCEPT, 50},
                {{0, 2.75f}, DT_INTERCEPT, 100},
                {{0, 2.75f}, DT_NONE, 0}};
  for (const auto& m : moving) {
    SCOPED_TRACE(m.vel);
    auto wm = makeScene(ball, m.vel);
    auto shoot = std::make_unique<Shoot>(wm.get());
    shoot->giveLastDecide(m.lastDecide);
    EXPECT_NEAR(fast(*shoot, 0), m.weight, WEIGHT_TOLERANCE);
  }
}

TEST(Shoot, CatchWeightFollowsWhereTheShotIsFirstReached) {
  const struct {
    const char* name;
    Point opponent;  // x 0: nobody
    float weight;
    Point ball = {40, 0};
    int target = Shoot::MIDDLE_TARGET;
  } cases[] = {{"nobody", {0, 0}, 100},
               {"in front", {46, 0}, 0},
               {"behind", {53.6f, 0}, 80},
               // Kicked along the goal line to the upper post and met on the line.
               {"on the goal line", {52.5f, 3}, 80, {52.5f, 0}, Shoot::TARGETS_NUM - 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto wm = makeScene(c.ball);
    if (c.opponent.x != 0) {
      support::placeFullPlayer(*wm, TID_OPPONENT, 4, c.opponent.x, c.opponent.y);
    }
    auto shoot = std::make_unique<Shoot>(wm.get());
    ASSERT_TRUE(shoot->getFastest(c.target));
    EXPECT_EQ(shoot->getCatchWeight(c.target), c.weight);
  }
}

TEST(Shoot, SmoothingCountsTheSingleNeighbourOfAnEndTwice) {
  auto wm = makeScene({40, 0});
  auto shoot = std::make_unique<ProbeShoot>(wm.get());
  shoot->shootWeights[1] = 1000;
  shoot->shootWeights[10] = 100;
  shoot->shootWeights[19] = 500;
  shoot->smoothShootWeights();
  const float expected[][2] = {{0, 200},  {1, 1000}, {2, 100},  {9, 10},
                               {10, 100}, {18, 50},  {19, 500}, {20, 100}};
  for (const auto& [i, weight] : expected) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(shoot->shootWeights[static_cast<int>(i)], weight, WEIGHT_TOLERANCE);
  }
}

TEST(Shoot, ShootsFromAScoreOf5000AndTheLowerTargetWinsATie) {
  const struct {
    const char* name;
    float best;
    float value;
    float power;  // of the kick published: the target's number, 100 for none
  } cases[] = {{"5000", 5000, AD_IMMEDIATE_VALUE, 3},
               {"just below", 4999.99f, AD_MIN_VALUE, 3},
               {"nothing chosen", NAN, AD_MIN_VALUE, 100}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto wm = makeScene({40, 0});
    auto shoot = std::make_unique<ProbeShoot>(wm.get());
    for (unsigned int i = 0; i < Shoot::TARGETS_NUM; ++i) {
      shoot->shootWeights[i] = std::isnan(c.best) ? NAN : 0.0f;
      shoot->shootCommands[i] = std::make_unique<KickCommand>(static_cast<float>(i), 0.0f);
    }
    shoot->shootWeights[3] = shoot->shootWeights[7] = c.best;
    EXPECT_EQ(shoot->chooseShoot(), c.value);
    SayDecisionFlags flags;
    shoot->execute(flags);
    EXPECT_EQ(commandAs<KickCommand>(shoot->getCommand())->getPower(), c.power);
  }
}

TEST(Shoot, PublishesAFreshCopyEachTimeAndNothingAfterTheGate) {
  auto wm = makeScene({40, 0});
  auto shoot = std::make_unique<Shoot>(wm.get());
  EXPECT_EQ(shoot->getValue(), AD_IMMEDIATE_VALUE) << "an empty goal from 12.5 m";
  SayDecisionFlags flags;
  shoot->execute(flags);
  const std::unique_ptr<Command> first = shoot->takeCommand();
  shoot->execute(flags);
  const std::unique_ptr<Command> second = shoot->takeCommand();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first.get(), second.get());
  EXPECT_EQ(first->toString(), second->toString());

  support::placeAgentWithBall(*wm, 30, 0, 0, 0.5f);
  EXPECT_EQ(shoot->getValue(), AD_MIN_VALUE);
  shoot->execute(flags);
  EXPECT_EQ(shoot->getCommand(), nullptr) << "the kick of before the gate is gone";
}

}  // namespace
}  // namespace tovren
