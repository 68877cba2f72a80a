#include "actions/withball/Clear.h"

#include "connection/Command.h"
#include "decisions/SayDecisionFlags.h"
#include "support/InterceptScene.h"
#include "support/KickScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace tovren {
namespace {

constexpr float WEIGHT_TOLERANCE = 0.01f;
constexpr float DIR_TOLERANCE = 0.05f;  // degrees
constexpr float NO_GOALIE = 99.0f;

TEST(ClearWeights, ReceiverAndRaceWeightsAtTheirBreakpoints) {
  // Distance, x ahead of the agent, weight: 0.5 × distance part + 1.1 × forward part.
  const float receivers[][3] = {{1, 0, 44.29f},  {19.9f, 0, 89.04f}, {20, 0, 43.79f},
                                {5, -10, 12.5f}, {5, -12, 12.5f},    {5, 18, 122.5f}};
  for (const auto& [distance, ahead, weight] : receivers) {
    SCOPED_TRACE(::testing::Message() << distance << " m, " << ahead << " ahead");
    EXPECT_NEAR(Clear::getReceiverWeight(distance, ahead), weight, WEIGHT_TOLERANCE);
  }
  // Intercept x, weight when a teammate wins the race, when an opponent does.
  const float races[][3] = {{-40, 15, -50},
                            {-36, 15, -50},
                            {-30.5f, 42.5f, -22.5f},
                            {-25.01f, 69.95f, 4.95f},
                            {-25, 70, 5},
                            {10, 95, 25},
                            {20, 95, 25}};
  for (const auto& [x, tmm, opp] : races) {
    SCOPED_TRACE(x);
    EXPECT_NEAR(Clear::getTmmRaceWeight(x), tmm, WEIGHT_TOLERANCE);
    EXPECT_NEAR(Clear::getOppRaceWeight(x), opp, WEIGHT_TOLERANCE);
  }
}

class ClearScene : public ::testing::Test {
 protected:
  void SetUp() override {
    support::setAgentConfig(true);
    worldModel = std::make_unique<WorldModel>();
  }
  // The ball rests 0.5 m in front of the agent, who faces +x.
  void placeAgent(float x, float y, float ballDist = 0.5f) {
    support::placeAgentWithBall(*worldModel, x, y, 0.0f, ballDist);
  }
  Player& placeOpponent(unsigned int uniNum, float x, float y, float kickableMargin = 0.7f) {
    Player& player = support::placeFullPlayer(*worldModel, TID_OPPONENT, uniNum, x, y);
    setKickableMargin(player, kickableMargin);
    return player;
  }
  static void setKickableMargin(Player& player, float margin) {
    ConfigGroup type = support::makeFastType(0.006f, 1.05f);
    type.add("kickable_margin", std::to_string(margin));
    player.setType(0, type);
  }
  void decideBallStatus() {
    worldModel->updateCurInterCalculate();
    worldModel->updateBallStatus();
  }
  // Values, executes and hands over the kick; direction relative to the body.
  float clearAndKick(Clear& clear, SayDecisionFlags& flags, float& kickDir) {
    const float value = clear.getValue();
    clear.execute(flags);
    std::unique_ptr<Command> command = clear.takeCommand();
    const KickCommand* kick = commandAs<KickCommand>(command.get());
    EXPECT_NE(kick, nullptr);
    kickDir = kick != nullptr ? kick->getDirection() : NAN;
    if (kick != nullptr) {
      EXPECT_FLOAT_EQ(kick->getPower(), 100.0f);
    }
    return value;
  }

  std::unique_ptr<WorldModel> worldModel;
};

TEST_F(ClearScene, WithAnOpponentAtTheBallItShootsBesideTheGoalOrKicksAhead) {
  struct Case {
    const char* name;
    float agentX, goalieY, kickDir;
  };
  const Case cases[] = {
      {"15.9 m, no goalie, ball at y 0: the lower side", 36.1f, NO_GOALIE, -18.54f},
      {"goalie at y 0: the upper side", 36.1f, 0.0f, 18.54f},
      {"goalie above: the lower side", 36.1f, 2.0f, -18.54f},
      {"16 m, nobody to receive: the goal's centre", 36.0f, NO_GOALIE, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    placeAgent(c.agentX, 0.0f);
    placeOpponent(4, c.agentX + 0.9f, 0.4f);
    if (c.goalieY != NO_GOALIE) placeOpponent(1, 51.0f, c.goalieY).setGoalie(true);
    decideBallStatus();
    Clear clear(worldModel.get());
    SayDecisionFlags flags;
    float kickDir = 0.0f;
    EXPECT_FLOAT_EQ(clearAndKick(clear, flags, kickDir), 1000.0f);
    EXPECT_NEAR(kickDir, c.kickDir, DIR_TOLERANCE);
    EXPECT_EQ(flags.sayInterceptNum, 0u);
  }
}

TEST_F(ClearScene, ReceiverLeadShrinksWhenNoOpponentHoldsTheBall) {
  struct Case {
    const char* name;
    float oppX, oppMargin, kickDir;  // lead 8 m: (18, 5); 4 m: (14, 5); 0.8 m: (10.8, 5)
  };
  const Case cases[] = {
      {"opponent touching the ball", 0.885f, 0.7f, 15.52f},
      {"opponent with the ball halfway into his reach", 1.235f, 0.7f, 19.65f},
      {"opponent without margin overlapping the ball", 0.8f, 0.0f, 15.52f},
      {"opponent beyond his own reach", 1.58f, 0.5f, 24.84f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    placeAgent(0.0f, 0.0f);
    placeOpponent(9, c.oppX, 0.0f, c.oppMargin);
    // Equal weights: the lower number receives.
    support::placeFullPlayer(*worldModel, TID_TEAMMATE, 8, 10.0f, -5.0f);
    support::placeFullPlayer(*worldModel, TID_TEAMMATE, 7, 10.0f, 5.0f);
    decideBallStatus();
    Clear clear(worldModel.get());
    SayDecisionFlags flags;
    float kickDir = 0.0f;
    for (int round = 0; round < 2; ++round) {
      EXPECT_FLOAT_EQ(clearAndKick(clear, flags, kickDir), 1000.0f);
      EXPECT_NEAR(kickDir, c.kickDir, DIR_TOLERANCE);
      EXPECT_EQ(flags.sayInterceptNum, 7u);
      EXPECT_TRUE(flags.beforePass);
    }
  }
}

TEST_F(ClearScene, DefenceAppliesNearTheOwnGoalOrToTheGoalie) {
  Clear clear(worldModel.get());
  SayDecisionFlags flags;
  float kickDir = 0.0f;
  placeAgent(40.0f, 0.0f);
  worldModel->setBody().setGoalie(true);
  EXPECT_FLOAT_EQ(clearAndKick(clear, flags, kickDir), 1000.0f) << "the goalie anywhere";

  worldModel->setBody().setGoalie(false);
  const float outside[][3] = {{-28.5f, 0, 0.5f}, {-40, 21.0f, 0.5f}, {-40, 0, 2.0f}};
  for (const auto& [agentX, agentY, ballDist] : outside) {
    SCOPED_TRACE(::testing::Message() << agentX << "," << agentY << " ball " << ballDist);
    placeAgent(agentX, agentY, ballDist);
    EXPECT_FLOAT_EQ(clear.getValue(), -65535.0f);
    clear.execute(flags);
    EXPECT_EQ(clear.getCommand(), nullptr) << "nothing left to publish";
  }
}

TEST_F(ClearScene, WithoutAPossibleKickTheDefenceKicksBlindToTheAgentsSide) {
  const float yAndDir[][2] = {{0.0f, 50.0f}, {-1.0f, -50.0f}};
  for (const auto& [y, dir] : yAndDir) {
    SCOPED_TRACE(y);
    // A body without kickable margin cannot accelerate the ball it touches.
    placeAgent(-40.0f, y, 0.38f);
    setKickableMargin(worldModel->setBody(), 0.0f);
    Clear clear(worldModel.get());
    SayDecisionFlags flags;
    flags.suggestPass = true;
    float kickDir = 0.0f;
    EXPECT_FLOAT_EQ(clearAndKick(clear, flags, kickDir), -60.0f);
    EXPECT_FLOAT_EQ(kickDir, dir);
    EXPECT_TRUE(flags.beforePass);
    EXPECT_FALSE(flags.suggestPass);
  }
}

// Opponents 6 to 8 m up every way of the nine kicks but the sideways one, which teammate 7
// meets: every race ends before x -36, where a teammate's weighs 15 and an opponent's -50.
// The teammate's, less 15 for a ball he would get anyway, plus 11.95 for a ball at -44.5.
TEST_F(ClearScene, DefenceValueDiscountsAKickATeammateWins) {
  placeAgent(-45.0f, 0.0f);
  const float opponents[][2] = {{-39.03f, 2.46f},  {-39.03f, -2.46f}, {-38.65f, 1.32f},
                                {-38.65f, -1.32f}, {-38.5f, 0},       {-38.8f, 5.61f},
                                {-38.8f, -5.61f}};
  unsigned int uniNum = 2;
  for (const auto& [x, y] : opponents) placeOpponent(uniNum++, x, y);
  support::placeFullPlayer(*worldModel, TID_TEAMMATE, 7, -44.5f, -3.0f);
  Clear clear(worldModel.get());
  EXPECT_NEAR(clear.getValue(), 11.95f, WEIGHT_TOLERANCE);
}

// The race's tuning holds for every player it gathers: against the session's defaults for a
// kick, reactions are slower, teammates run slower and a doubtful place widens the reach.
TEST_F(ClearScene, DefenceRaceTunesThePlayersItGathers) {
  struct Case {
    const char* name;
    TeamId team;
    float posDeviation;  // metres
    bool tunedLater;     // the tuned race ends later than the default one, else earlier
  };
  const Case cases[] = {
      {"opponent reacting a cycle later", TID_OPPONENT, 0.0f, true},
      {"teammate at 80 power", TID_TEAMMATE, 0.0f, true},
      {"teammate of doubtful place", TID_TEAMMATE, 3.0f, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    placeAgent(-40.0f, 0.0f);
    support::placeFullPlayer(*worldModel, c.team, 6, -20.0f, 8.0f).setPosDeviation(c.posDeviation);
    const Ball kicked = support::makeSceneBall(Point(-39.5f, 0.0f), Vector(Point(2.5f, 0.0f)));
    unsigned int cycles[2] = {};
    for (int tuned = 0; tuned < 2; ++tuned) {
      std::unique_ptr<InterceptCalculate> race = std::make_unique<InterceptCalculate>();
      if (tuned) {
        race = Clear::startDefenseRace(worldModel.get());
      } else {
        race->startSession(1, nullptr, nullptr);
        race->updateByWorldModel(worldModel.get(), false, false, false);
      }
      race->setVirtualBall(kicked);
      race->setKickCycles(1);
      race->run();
      ASSERT_TRUE(race->existFastestPlayer());
      EXPECT_EQ(race->getFastestPlayer().getUniNum(), 6u);
      cycles[tuned] = race->getFastestInterPlayer().getInterTime();
    }
    if (c.tunedLater) {
      EXPECT_GT(cycles[1], cycles[0]);
    } else {
      EXPECT_LT(cycles[1], cycles[0]);
    }
  }
}

}  // namespace
}  // namespace tovren
