#include "worldmodel/KickCalculate.h"

#include "connection/Command.h"
#include "support/KickScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <utility>
#include <vector>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-4f;
// The first ball's speed follows the kick model in float arithmetic.
constexpr float SPEED_TOLERANCE = 1e-3f;
constexpr unsigned int NONE = KickCalculate::NONE;
constexpr float KICK_POWER_RATE = 0.027f;  // the recorded server's
constexpr float BALL_DIST = 0.5f;          // metres from the agent's centre
// The recorded sizes: the ball 0.085 and the player 0.3 apart from the kickable margin 0.7.
constexpr float KICK_EFFECTIVENESS = 1.0f - 0.25f * (BALL_DIST - 0.3f - 0.085f) / 0.7f;

class KickFan : public ::testing::Test {
 protected:
  void SetUp() override {
    support::setAgentConfig(true);
    log = &support::captureMainLog();
    worldModel = std::make_unique<WorldModel>();
    support::feedRecordedParameters(*worldModel);
    support::placeAgentWithBall(*worldModel, 0.0f, 0.0f, 0.0f, BALL_DIST);
    support::markAllViewPartsSeen(*worldModel);
    worldModel->setCurTime(7);
  }

  const KickCalculate& fan() const { return *worldModel->getCurKickCalculate(); }
  const KickInterceptCalculate& entry(unsigned int i) const { return fan().getSimulate(i); }

  std::ostringstream* log = nullptr;
  std::unique_ptr<WorldModel> worldModel;
};

TEST_F(KickFan, NewWorldModelHoldsTheFanOfInvalidEntries) {
  ASSERT_TRUE(fan().isInited());
  ASSERT_EQ(fan().getSimulatesNum(), 243u);
  for (unsigned int i = 0; i < fan().getSimulatesNum(); ++i) {
    EXPECT_FALSE(entry(i).isValid()) << i;
    EXPECT_EQ(entry(i).getKickCommand(), nullptr) << i;
  }
  unsigned int first = 0, second = 0;
  fan().getNeighboursByDir(0, first, second);
  EXPECT_EQ(first, NONE);
  EXPECT_EQ(second, NONE);
}

TEST_F(KickFan, GridHoldsFivePowersForEachOfFortyEightDirections) {
  worldModel->updateCurKickCalculate();
  EXPECT_EQ(fan().getUpdateTime(), 7u);
  EXPECT_NE(log->str().find("  0000. KickCalculate::update\n"), std::string::npos);
  for (unsigned int i = 0; i < 5; ++i) {
    ASSERT_NE(entry(i).getKickCommand(), nullptr);
    EXPECT_FLOAT_EQ(entry(i).getKickCommand()->getPower(), 20.0f * (i + 1));
    EXPECT_FLOAT_EQ(entry(i).getKickCommand()->getDirection(), 0.0f);
  }
  EXPECT_FLOAT_EQ(entry(120).getKickCommand()->getPower(), 20.0f);
  EXPECT_FLOAT_EQ(entry(120).getKickCommand()->getDirection(), 180.0f);
  EXPECT_FLOAT_EQ(entry(125).getKickCommand()->getPower(), 20.0f);
  EXPECT_FLOAT_EQ(entry(125).getKickCommand()->getDirection(), -172.5f);
  EXPECT_FLOAT_EQ(entry(239).getKickCommand()->getPower(), 100.0f);
  EXPECT_FLOAT_EQ(entry(239).getKickCommand()->getDirection(), -7.5f);
  // Every direction was just looked at: every kick is predicted.
  for (unsigned int i = 0; i < fan().getSimulatesNum(); ++i) {
    EXPECT_TRUE(entry(i).isValid()) << i;
    EXPECT_EQ(entry(i).getKickPlayer(), &worldModel->getBody()) << i;
  }
}

TEST_F(KickFan, FirstBallLeavesTheFootByTheKickModel) {
  worldModel->updateCurKickCalculate();
  for (unsigned int i = 0; i < 5; ++i) {
    const Vector& vel = entry(i).getFirstBall().getVel();
    EXPECT_NEAR(vel.getMagnitude(), 20.0f * (i + 1) * KICK_POWER_RATE * KICK_EFFECTIVENESS,
                SPEED_TOLERANCE);
    EXPECT_NEAR(vel.getDirection(), 0.0f, TOLERANCE);
    EXPECT_NEAR(entry(i).getFirstBall().getPos().getX(), BALL_DIST, TOLERANCE);
  }
  // A kick across the body: the ball leaves at the kick's direction.
  EXPECT_NEAR(entry(5 * 12).getFirstBall().getVel().getDirection(), 90.0f, TOLERANCE);
}

TEST_F(KickFan, SoftKicksGiveTheirSpeedsAlongTheBody) {
  worldModel->setBody().setBodyDir(30.0f);
  support::placeAgentWithBall(*worldModel, 0.0f, 0.0f, 30.0f, BALL_DIST);
  worldModel->updateCurKickCalculate();
  for (unsigned int j = 0; j < 3; ++j) {
    const KickInterceptCalculate& soft = entry(240 + j);
    ASSERT_TRUE(soft.isValid()) << j;
    EXPECT_NEAR(soft.getFirstBall().getVel().getMagnitude(), 0.75f + 0.25f * j, SPEED_TOLERANCE);
    EXPECT_NEAR(soft.getFirstBall().getVel().getDirection(), 30.0f, 0.01f);
    EXPECT_NEAR(soft.getKickCommand()->getPower(),
                (0.75f + 0.25f * j) / (KICK_POWER_RATE * KICK_EFFECTIVENESS), 0.01f);
    EXPECT_NEAR(soft.getKickCommand()->getDirection(), 0.0f, 0.01f);
  }
}

TEST_F(KickFan, SoftKickNeedingMoreThanFullPowerIsInvalidAndKeepsItsLastPrediction) {
  worldModel->updateCurKickCalculate();
  const float lastPower = entry(242).getKickCommand()->getPower();
  // Rolling back at 1.5: the changes 2.25 and 2.5 need less than power 100, 2.75 more.
  worldModel->setBall().setVel().setAsCartesian(-1.5f, 0.0f);
  worldModel->updateCurKickCalculate();
  EXPECT_TRUE(entry(240).isValid());
  EXPECT_TRUE(entry(241).isValid());
  EXPECT_FALSE(entry(242).isValid());
  EXPECT_FLOAT_EQ(entry(242).getKickCommand()->getPower(), lastPower);
}

TEST_F(KickFan, KickIsPredictedOnlyWhereTheAgentLookedWithinFiveCycles) {
  for (int i = 0; i < 5; ++i) worldModel->updateSeeDeltaCyclesAfterSenseBody();
  worldModel->updateCurKickCalculate();
  EXPECT_TRUE(entry(4).isValid());  // straight along part 0, looked at 5 cycles ago
  worldModel->updateSeeDeltaCyclesAfterSenseBody();
  worldModel->updateCurKickCalculate();
  EXPECT_FALSE(entry(4).isValid());
  // Looking ahead again: only the kicks near part 0 come back.
  worldModel->setBody().setHeadDir(0.0f);
  worldModel->updateSeeDeltaCyclesAfterSee();
  worldModel->updateCurKickCalculate();
  EXPECT_TRUE(entry(4).isValid());
  EXPECT_FALSE(entry(120).isValid());
}

TEST_F(KickFan, BallThatNobodyReachesLeavesAnEmptyValidEntry) {
  // From x 40 a full kick straight ahead leaves the field long before the agent arrives.
  support::placeAgentWithBall(*worldModel, 40.0f, 0.0f, 0.0f, BALL_DIST);
  worldModel->updateCurKickCalculate();
  const KickInterceptCalculate& kick = entry(4);
  ASSERT_TRUE(kick.isValid());
  EXPECT_EQ(kick.getCheckedPlayersNum(), 0u);
  EXPECT_FALSE(kick.existFastestPlayer());
  EXPECT_EQ(kick.getFastestPlayerNum(), NONE);
  EXPECT_EQ(kick.getFastestTmmPlayerNum(), NONE);
  EXPECT_EQ(kick.getFastestOppPlayerNum(), NONE);
  EXPECT_EQ(kick.getPassedOppPlayers(), 0u);
  EXPECT_FLOAT_EQ(kick.getNearestOppToFastestDist(), 65535.0f);
  EXPECT_FLOAT_EQ(kick.getNearestOppToFastestDir(), 180.0f);
  EXPECT_EQ(kick.getPlayMode(), 5u);
  EXPECT_GT(kick.getVirtualBall().getPos().getX(), 54.5f);
  EXPECT_FALSE(kick.isFastestPlayer(worldModel->getBody()));
}

TEST_F(KickFan, CatchersAreToldApartByTeamAndCountTheOpponentsPassed) {
  const Player& opponent = support::placeFullPlayer(*worldModel, TID_OPPONENT, 5, 8.0f, 0.0f);
  support::placeFullPlayer(*worldModel, TID_OPPONENT, 6, 2.0f, 30.0f);
  const Player& teammate = support::placeFullPlayer(*worldModel, TID_TEAMMATE, 5, -30.0f, 30.0f);
  worldModel->updateCurKickCalculate();

  const KickInterceptCalculate& forward = entry(2);  // power 60 straight at the opponent
  ASSERT_TRUE(forward.isValid());
  ASSERT_TRUE(forward.existFastestOppPlayer());
  EXPECT_EQ(forward.getFastestOppInterPlayer().getPlayer(), &opponent);
  EXPECT_EQ(forward.getCheckedListNum(opponent), forward.getFastestOppPlayerNum());
  EXPECT_EQ(forward.getCheckedListNum(teammate), NONE);
  EXPECT_EQ(forward.getOppCheckedPlayersNum() + forward.getTmmCheckedPlayersNum(),
            forward.getCheckedPlayersNum());
  EXPECT_TRUE(forward.isFastestPlayer(*forward.getFastestPlayer()));
  const float interX = forward.getFastestInterPlayer().getInterPoint().x;
  ASSERT_GT(interX, BALL_DIST);
  // The opponent at x 2 lies between the ball and the catch, the catcher beyond x 2.
  EXPECT_EQ(forward.getPassedOppPlayers(), interX >= 8.0f ? 2u : 1u);
  if (forward.getFastestOppPlayerNum() == forward.getFastestPlayerNum()) {
    EXPECT_FLOAT_EQ(forward.getNearestOppToFastestDist(), 0.0f);
    EXPECT_FLOAT_EQ(forward.getNearestOppToFastestDir(), 0.0f);
  }

  const KickInterceptCalculate& backward = entry(120);  // power 20 behind the agent
  ASSERT_TRUE(backward.isValid());
  ASSERT_TRUE(backward.existFastestPlayer());
  EXPECT_LE(backward.getFastestInterPlayer().getInterPoint().x, BALL_DIST);
  EXPECT_EQ(backward.getPassedOppPlayers(), 0u);
}

TEST_F(KickFan, NeighboursByDirectionSkipTheEntrysOwnPower) {
  worldModel->updateCurKickCalculate();
  unsigned int first = 0, second = 0;
  fan().getNeighboursByDir(0, first, second);    // power 20 at 0
  EXPECT_EQ(first, 6u);                          // power 40 at 7.5
  EXPECT_EQ(second, 236u);                       // power 40 at -7.5
  fan().getNeighboursByDir(120, first, second);  // power 20 at 180
  EXPECT_EQ(first, 126u);                        // power 40 at -172.5
  EXPECT_EQ(second, 116u);                       // power 40 at 172.5
  fan().getNeighboursByDir(6, first, second);    // power 40 at 7.5
  EXPECT_EQ(first, 10u);                         // power 20 at 15
  EXPECT_EQ(second, 0u);                         // power 20 at 0
}

// An entry of a derived kind, counting its destructions.
class CountedEntry : public KickInterceptCalculate {
 public:
  explicit CountedEntry(int& destroyed) : destroyed(destroyed) {}
  ~CountedEntry() override { ++destroyed; }

 private:
  int& destroyed;
};

// A fan of a derived kind with its own number of entries.
class SmallFan : public KickCalculate {
 public:
  void initWith(unsigned int count, int& destroyed) {
    std::vector<std::unique_ptr<KickInterceptCalculate>> entries;
    for (unsigned int i = 0; i < count; ++i)
      entries.push_back(std::make_unique<CountedEntry>(destroyed));
    setSimulates(std::move(entries));
    setInited(true);
  }
};

TEST_F(KickFan, FanOfFewerThanThreeEntriesDoesNothing) {
  int destroyed = 0;
  SmallFan small;
  small.initWith(2, destroyed);
  log->str("");
  small.update(worldModel.get());
  EXPECT_EQ(small.getUpdateTime(), 0u);
  EXPECT_EQ(log->str().find("KickCalculate::update"), std::string::npos);
  EXPECT_FALSE(small.getSimulate(0).isValid());
  SmallFan empty;
  empty.update(worldModel.get());
  EXPECT_EQ(empty.getSimulatesNum(), 0u);
}

TEST_F(KickFan, EntriesOfADerivedKindAreFreedThroughTheirDestructor) {
  int destroyed = 0;
  {
    SmallFan small;
    small.initWith(12, destroyed);
    EXPECT_EQ(small.getSimulatesNum(), 12u);
    small.initWith(4, destroyed);  // a second set frees the first
    EXPECT_EQ(destroyed, 12);
  }
  EXPECT_EQ(destroyed, 16);
}

TEST_F(KickFan, SecondInitReplacesTheEntries) {
  KickCalculate own;
  own.init();
  own.init();
  EXPECT_EQ(own.getSimulatesNum(), 243u);
  own.update(worldModel.get());
  EXPECT_TRUE(own.getSimulate(0).isValid());
}

TEST_F(KickFan, SharedFanShowsTheSourceEntriesAndPredictsIntoItsOwn) {
  worldModel->updateCurKickCalculate();
  KickCalculate shared;
  shared.shareSimulates(fan());
  EXPECT_EQ(&shared.getSimulate(17), &entry(17));
  EXPECT_EQ(shared.getUpdateTime(), 7u);
  EXPECT_TRUE(shared.isInited());
  worldModel->setCurTime(8);
  shared.update(worldModel.get());
  EXPECT_NE(&shared.getSimulate(17), &entry(17));
  EXPECT_EQ(fan().getUpdateTime(), 7u);
}

TEST(KickFanDeathTest, EntryOutsideTheFanStops) {
  KickCalculate empty;
  EXPECT_DEATH(empty.getSimulate(0), "i < simulatesNum");
  KickInterceptCalculate kick;
  EXPECT_DEATH(kick.getCheckedInterPlayer(0), "i < checkedPlayersNum");
}

}  // namespace
}  // namespace tovren
