#include "actions/withball/VirtualPass.h"

#include "support/ChildProcess.h"
#include "support/KickScene.h"
#include "support/PassScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Body.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <memory>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-3f;

class VirtualPassScene : public ::testing::Test {
 protected:
  void SetUp() override {
    support::setAgentConfig(true);
    wm = std::make_unique<WorldModel>();
    support::feedRecordedParameters(*wm);
    support::placeAgentWithBall(*wm, 0.0f, 10.0f, 0.0f, 0.6f);
    wm->setBody().setUniNum(6);
    wm->replaceBodyInPlayersList(6);
    support::markAllViewPartsSeen(*wm);
    kicker = &support::placeFullPlayer(*wm, TID_TEAMMATE, 7, -0.5f, 0.0f);
    Ball& ball = wm->setBall();
    ball.setPos().setAsCartesian(0.0f, 0.0f);
    ball.updateRelativeVecs(wm->getBody());
    support::placeFullPlayer(*wm, TID_TEAMMATE, 10, 12.0f, -2.0f).setStamina(8000.0f);
    support::placeFullPlayer(*wm, TID_OPPONENT, 3, 20.0f, 20.0f);
    wm->setBody().setStamina(8000.0f);
    directory.write("Configs/PassFactors.conf", support::passFactorsText());
  }

  support::ScratchDirectory directory;
  std::unique_ptr<WorldModel> wm;
  const Player* kicker = nullptr;
};

TEST_F(VirtualPassScene, FansKickTheKickersBallAtTheirSpeedsAndDirectionsAndAlwaysCount) {
  VirtualKickCalculate fan;
  fan.init();
  VirtualCrossCalculate crosses;
  crosses.init();
  fan.update(wm.get(), *kicker);
  crosses.update(wm.get(), *kicker);
  ASSERT_EQ(fan.getSimulatesNum(), 192u);
  ASSERT_EQ(crosses.getSimulatesNum(), 12u);
  // Fan, entry, speed, direction; from (-0.5, 0) the crosses' point lies straight ahead.
  const float cases[][4] = {{0, 0, 1.0f, 0},       {0, 3, 2.5f, 0},   {0, 4, 1.0f, 7.5f},
                            {0, 191, 2.5f, -7.5f}, {1, 0, 2.6f, -30}, {1, 11, 2.6f, 25}};
  for (const auto& [isCross, i, speed, dir] : cases) {
    SCOPED_TRACE(::testing::Message() << isCross << " " << i);
    const KickCalculate& kicks = isCross != 0 ? static_cast<const KickCalculate&>(crosses) : fan;
    const Ball& ball = kicks.getSimulate(static_cast<unsigned int>(i)).getFirstBall();
    EXPECT_TRUE(kicks.getSimulate(static_cast<unsigned int>(i)).isValid());
    EXPECT_NEAR(ball.getVel().getMagnitude(), speed, TOLERANCE);
    EXPECT_NEAR(ball.getVel().getDirection(), dir, TOLERANCE);
    EXPECT_NEAR(ball.getPos().getX(), 0.0f, TOLERANCE) << "no kick model";
  }
}

TEST_F(VirtualPassScene, ChoosesAnotherReceiverThanTheKickerAndForgetsHimWhenHeIsGone) {
  support::WorkingDirectory inside(directory.path());
  VirtualKickCalculate fan;
  fan.init();
  VirtualPass pass(wm.get());
  pass.setCurKickCalculate(&fan);
  fan.update(wm.get(), *kicker);
  const float value = pass.getValue(*kicker);
  ASSERT_GT(value, AD_MIN_VALUE);
  ASSERT_NE(pass.getPassPlayer(), nullptr);
  EXPECT_NE(pass.getPassPlayer(), kicker);
  EXPECT_EQ(pass.getCommand(), nullptr);
  const PassModel model = pass.getPassModel();

  // Nobody but the kicker is left to receive.
  wm->setFullPlayer(TID_TEAMMATE, 9).setStamina(0.0f);
  wm->setBody().setStamina(0.0f);
  fan.update(wm.get(), *kicker);
  EXPECT_EQ(pass.getValue(*kicker), AD_MIN_VALUE);
  EXPECT_EQ(pass.getPassPlayer(), nullptr);
  EXPECT_EQ(pass.getPassInterCalc(), nullptr);
  EXPECT_EQ(pass.getPassModel(), model);
}

}  // namespace
}  // namespace tovren
