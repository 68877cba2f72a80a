#include "worldmodel/WorldModel.h"

#include "foundation/SExpression.h"
#include "foundation/Timer.h"
#include "support/KickScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/KickCalculate.h"
#include "worldmodel/Object.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-4f;

class WorldModelCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    support::setAgentConfig(true);
    log = &support::captureMainLog();
    source = std::make_unique<WorldModel>();
    buildMatch(*source);
    log->str("");
  }

  // A world model in play: parameters, side, the agent in its slot, players, a heard
  // pass suggestion, a referee call, aged view parts and this cycle's predictions.
  static void buildMatch(WorldModel& wm) {
    support::feedRecordedParameters(wm);
    wm.setFieldSide(SI_RIGHT);
    wm.setBody().setUniNum(7);
    wm.replaceBodyInPlayersList(7);
    wm.setCurTime(40);
    wm.setCurCycle(38);
    support::placeAgentWithBall(wm, -10.0f, 5.0f, 45.0f, 0.6f);
    support::markAllViewPartsSeen(wm);
    wm.updateSeeDeltaCyclesAfterSenseBody();
    support::placeFullPlayer(wm, TID_TEAMMATE, 3, -20.0f, 0.0f);
    support::placeFullPlayer(wm, TID_OPPONENT, 9, 5.0f, 10.0f);
    wm.setHalfPlayer(TID_OPPONENT, 4).setPos().setAsCartesian(30.0f, -3.0f);
    wm.setQuarterPlayer(12).setPos().setAsCartesian(-1.0f, -1.0f);
    wm.parseHear(*support::parseMessage("(hear 40 referee kick_in_l)"));
    wm.parseHear(*support::parseMessage("(hear 40 -30 our 3 \"F8\")"));
    wm.updateCurInterCalculate();
    wm.updateBallStatus();
    wm.updateCurKickCalculate();
  }

  bool logHas(const std::string& text) const { return log->str().find(text) != std::string::npos; }

  std::ostringstream* log = nullptr;
  std::unique_ptr<WorldModel> source;
};

TEST_F(WorldModelCopy, CopyHoldsTheSourcesPictureInItsOwnObjects) {
  const WorldModel copy(*source);
  EXPECT_EQ(copy.getCurTime(), 40u);
  EXPECT_EQ(copy.getCurCycle(), 38u);
  EXPECT_EQ(copy.getFieldSide(), SI_RIGHT);
  EXPECT_EQ(copy.getPlayMode(), PM_OPP_KICK_IN);
  EXPECT_EQ(copy.getPlayModeRemainCycle(), 200u);
  EXPECT_EQ(copy.getRefereeHearTime(), 40u);
  EXPECT_EQ(copy.getFreeKickAdvicerSayNumber(), 8u);
  EXPECT_EQ(copy.getBallStatus(), source->getBallStatus());
  EXPECT_EQ(copy.getViewPartCycle(3), 1u);
  EXPECT_TRUE(copy.isPlayerTypeReceived(17));
  EXPECT_FLOAT_EQ(copy.getServerParam()["kick_power_rate"].asFloat(), 0.027f);
  EXPECT_TRUE(copy.isBallKickable());
  EXPECT_NE(&copy.getBall(), &source->getBall());
  EXPECT_NEAR(copy.getBall().getPos().getX(), source->getBall().getPos().getX(), TOLERANCE);
  EXPECT_NE(&copy.getBody(), &source->getBody());
  EXPECT_NEAR(copy.getBody().getBodyDir(), 45.0f, TOLERANCE);
  const Player& teammate = copy.getFullPlayer(TID_TEAMMATE, 2);
  EXPECT_NE(&teammate, &source->getFullPlayer(TID_TEAMMATE, 2));
  EXPECT_TRUE(teammate.isValid());
  EXPECT_EQ(teammate.getUniNum(), 3u);
  EXPECT_NEAR(copy.getHalfPlayer(TID_OPPONENT, 4).getPos().getX(), 30.0f, TOLERANCE);
  EXPECT_NEAR(copy.getQuarterPlayer(12).getPos().getX(), -1.0f, TOLERANCE);
  EXPECT_EQ(copy.getQuarterPlayer(12).getModel(), PLM_QUARTER);
  // The landmark table keeps the right side's half turn.
  WorldModel turned(*source);
  WorldModel left;
  EXPECT_FLOAT_EQ(turned.setFieldData().getGoalPos(0).x, -left.setFieldData().getGoalPos(0).x);
  EXPECT_NE(turned.setFieldData().getGoalPos(0).x, 0.0f);
}

TEST_F(WorldModelCopy, AgentsSlotHoldsTheCopysOwnBody) {
  const WorldModel copy(*source);
  EXPECT_TRUE(copy.isBodyReplaced());
  const Player& slot = copy.getFullPlayer(TID_TEAMMATE, 6);
  EXPECT_EQ(&slot, &copy.getBody());
  EXPECT_TRUE(slot.isBody());
  EXPECT_NE(&slot, &source->getBody());
  for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i) {
    if (i != 6) {
      EXPECT_FALSE(copy.getFullPlayer(TID_TEAMMATE, i).isBody()) << i;
    }
  }
}

TEST_F(WorldModelCopy, ChangingTheSourceLeavesTheCopy) {
  const WorldModel copy(*source);
  source->setBall().setPos().setAsCartesian(33.0f, 22.0f);
  source->setBody().setBodyDir(-90.0f);
  source->setFullPlayer(TID_OPPONENT, 8).kill();
  source->parseHear(*support::parseMessage("(hear 41 referee play_on)"));
  source->setCurTime(41);
  source->updateSeeDeltaCyclesAfterSenseBody();
  EXPECT_NEAR(copy.getBall().getPos().getX(), -10.0f + 0.6f * 0.70710678f, TOLERANCE);
  EXPECT_NEAR(copy.getBody().getBodyDir(), 45.0f, TOLERANCE);
  EXPECT_TRUE(copy.getFullPlayer(TID_OPPONENT, 8).isValid());
  EXPECT_EQ(copy.getPlayMode(), PM_OPP_KICK_IN);
  EXPECT_EQ(copy.getCurTime(), 40u);
  EXPECT_EQ(copy.getViewPartCycle(3), 1u);
}

TEST_F(WorldModelCopy, CopySharesTheKickFanAndTheSessionsPlayers) {
  const WorldModel copy(*source);
  const KickCalculate& fan = *copy.getCurKickCalculate();
  ASSERT_EQ(fan.getSimulatesNum(), 243u);
  EXPECT_EQ(fan.getUpdateTime(), 40u);
  EXPECT_TRUE(fan.isInited());
  for (unsigned int i = 0; i < fan.getSimulatesNum(); ++i) {
    ASSERT_EQ(&fan.getSimulate(i), &source->getCurKickCalculate()->getSimulate(i)) << i;
  }
  // The copy shows the source's latest predictions.
  source->setCurTime(41);
  source->updateCurKickCalculate();
  EXPECT_EQ(fan.getUpdateTime(), 40u);
  EXPECT_TRUE(fan.getSimulate(0).isValid());

  const InterceptCalculate& session = copy.getCurInterCalculate();
  ASSERT_TRUE(session.existFastestPlayer());
  EXPECT_EQ(session.getPlayersNum(), source->getCurInterCalculate().getPlayersNum());
  EXPECT_EQ(&session.getFastestPlayer(), &source->getCurInterCalculate().getFastestPlayer());
}

TEST_F(WorldModelCopy, CopyConstructorLogsItsTwoLines) {
  const WorldModel copy(*source);
  EXPECT_EQ(log->str(), "  0000. WorldModel copying 2\n  0000. WorldModel copied.\n");
}

TEST_F(WorldModelCopy, OverwritingASnapshotReplacesItsPictureAndKeepsItsIdentity) {
  WorldModel snapshot(*source);
  const WorldModel* identity = &snapshot;
  WorldModel later;  // a fresh world model with a fan of its own
  support::feedRecordedParameters(later);
  later.setBody().setUniNum(2);
  later.replaceBodyInPlayersList(2);
  later.setCurTime(99);
  log->str("");
  snapshot.copyFrom(later, true);
  EXPECT_EQ(log->str(), "  0000. WorldModel copying 1\n  0000. WorldModel copying 2\n");
  EXPECT_EQ(&snapshot, identity);
  EXPECT_EQ(snapshot.getCurTime(), 99u);
  EXPECT_EQ(&snapshot.getFullPlayer(TID_TEAMMATE, 1), &snapshot.getBody());
  EXPECT_FALSE(snapshot.getFullPlayer(TID_TEAMMATE, 6).isBody());
  EXPECT_EQ(&snapshot.getCurKickCalculate()->getSimulate(0),
            &later.getCurKickCalculate()->getSimulate(0));

  // A world model that owns its fan gives its entries up to borrow the source's.
  later.copyFrom(*source, true);
  EXPECT_EQ(&later.getCurKickCalculate()->getSimulate(0),
            &source->getCurKickCalculate()->getSimulate(0));
  EXPECT_EQ(&later.getFullPlayer(TID_TEAMMATE, 6), &later.getBody());

  // From a source whose body is in no slot, the snapshot's body leaves its slot too.
  snapshot.copyFrom(WorldModel(), true);
  EXPECT_FALSE(snapshot.isBodyReplaced());
  EXPECT_FALSE(snapshot.getFullPlayer(TID_TEAMMATE, 1).isBody());
}

TEST_F(WorldModelCopy, CopyingFromItselfChangesNothing) {
  const Ball* ball = &source->getBall();
  source->copyFrom(*source, true);
  EXPECT_EQ(&source->getBall(), ball);
  EXPECT_EQ(source->getCurTime(), 40u);
  EXPECT_TRUE(source->isBallKickable());
}

TEST_F(WorldModelCopy, SourceDestroyedBeforeTheCopy) {
  auto copy = std::make_unique<WorldModel>(*source);
  auto second = std::make_unique<WorldModel>(*copy);
  source.reset();
  EXPECT_TRUE(copy->isBallKickable());
  EXPECT_EQ(copy->getFullPlayer(TID_TEAMMATE, 6).getUniNum(), 7u);
  copy.reset();
  EXPECT_EQ(second->getCurTime(), 40u);
}

TEST_F(WorldModelCopy, TimerKeepsItsKindAndState) {
  auto& replayed = dynamic_cast<VirtualTimer&>(source->setTimer());
  replayed.resetCycle(38);
  replayed.setCurMS(61);
  const WorldModel copy(*source);
  const auto* copied = dynamic_cast<const VirtualTimer*>(&copy.getTimer());
  ASSERT_NE(copied, nullptr);
  EXPECT_NE(copied, &replayed);
  EXPECT_EQ(copied->getCycle(), 38);
  EXPECT_EQ(copied->now(), 61);

  support::setAgentConfig(false);
  WorldModel online;
  online.setTimer().resetCycle(12);
  const WorldModel onlineCopy(online);
  ASSERT_NE(dynamic_cast<const OnlineTimer*>(&onlineCopy.getTimer()), nullptr);
  EXPECT_EQ(onlineCopy.getTimer().getCycle(), 12);
  EXPECT_LT(onlineCopy.getTimer().now(), 1000);
  support::setAgentConfig(true);
}

}  // namespace
}  // namespace tovren
