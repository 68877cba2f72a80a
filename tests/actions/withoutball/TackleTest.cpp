#include "actions/withoutball/Tackle.h"

#include "connection/Command.h"
#include "decisions/SayDecisionFlags.h"
#include "support/ActionScene.h"
#include "support/PositioningScene.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

namespace tovren {
namespace {

class TackleScene : public support::PositioningScene {
 protected:
  // The ball status made by a scene of its own (the agent far away), then the agent at the
  // centre facing bodyDir with the ball at a distance and a direction relative to his body.
  void scene(BallStatus status, float ballDist, float ballDir, float bodyDir = 0) {
    referee("play_on");
    placeAgent(6, {-30, 0});
    placeBall({0, 0});
    if (status != BS_FREE_BALL_OPP) placePlayer(TID_OPPONENT, 5, {0.5f, 0});
    if (status == BS_KICKABLE_TMM_OPP) placePlayer(TID_TEAMMATE, 5, {-0.5f, 0});
    if (status == BS_FREE_BALL_OPP) placePlayer(TID_OPPONENT, 5, {0, 5});
    worldModel->updateCurInterCalculate();
    worldModel->updateBallStatus();
    EXPECT_EQ(worldModel->getBallStatus(), status);
    placeAgent(6, {0, 0}, bodyDir);
    const Vector offset = support::polar(ballDist, bodyDir + ballDir);
    placeBall({offset.getX(), offset.getY()});
  }
};

TEST_F(TackleScene, RefusesInLadderOrderAndTacklesBackwardsFacingItsOwnHalfOrWithoutTackleDist) {
  const char* const OTHER = "TACKLE : AD_MIN_VALUE";
  const char* const DRIBBLED =
      "bayad 1 tackle zamime mikardam vali chon hooshmad shodam, nakardam.";
  const BallStatus HELD = BS_KICKABLE_OPP, FREE = BS_FREE_BALL_OPP;
  // Status, last decide type, ball distance and direction, body direction, a line of the
  // log, power (0 when refused). tackle_dist 2, tackle_width 1.25; the first in a penalty mode.
  const std::tuple<BallStatus, DecideType, float, float, float, const char*, float> cases[] = {
      {HELD, DT_NONE, 0.5f, 0, 0, "TACKLE : penalty AD_MIN_VALUE", 0},
      {BS_KICKABLE_TMM_OPP, DT_NONE, 0.5f, 0, 0, OTHER, 0},
      {HELD, DT_NONE, 0.5f, 84.9f, 180, "Prob : 0.00", -100},
      {HELD, DT_NONE, 0.5f, 85, 180, "Prob : 0.00", -100},
      {HELD, DT_NONE, 0.5f, 85.1f, 0, OTHER, 0},
      {HELD, DT_NONE, 0.1f, 180, 0, OTHER, 0},
      {FREE, DT_DRIBBLE_INTERCEPT, 0.5f, 0, 0, DRIBBLED, 0},
      {FREE, DT_SRP_DRIBBLE, 0.5f, 0, 0, DRIBBLED, 0},
      {HELD, DT_DRIBBLE_INTERCEPT, 0.5f, 0, 90, "Prob : 0.00", -100},
      {FREE, DT_DRIBBLE, 0.5f, 0, -90, "Prob : 0.00", -100},
      {HELD, DT_NONE, 1.78f, 0, 89.9f, "Prob : 0.50", 100},  // 0.89 tackle_dist
      {HELD, DT_NONE, 1.8f, 0, 0, "Prob : 0.53", 0},         // 0.9 tackle_dist
      {HELD, DT_NONE, 1.6f, 60, 0, "Prob : 1.00", 0},        // |y| beyond tackle_width
  };
  for (const auto& [status, lastDecide, ballDist, ballDir, bodyDir, line, power] : cases) {
    SCOPED_TRACE(::testing::Message() << line << " " << ballDir << " " << lastDecide);
    SetUp();
    scene(status, ballDist, ballDir, bodyDir);
    if (line == std::get<5>(cases[0])) referee("penalty_setup_l");
    Tackle tackle(worldModel.get());
    tackle.giveLastDecide(lastDecide);
    std::ostringstream& log = support::captureMainLog();
    EXPECT_EQ(tackle.getValue(), power != 0 ? 1000.0f : AD_MIN_VALUE);
    EXPECT_EQ(log.str().rfind("  0000. Tackle getValue()\n", 0), 0u);
    EXPECT_NE(log.str().find(line), std::string::npos) << log.str();
    SayDecisionFlags flags;
    tackle.execute(flags);
    const auto* tackleCommand = commandAs<TackleCommand>(tackle.getCommand());
    EXPECT_EQ(tackleCommand != nullptr ? tackleCommand->getPower() : 0.0f, power);
  }
  // Without the server's tackle_dist there is no tackle to judge.
  worldModel = std::make_unique<WorldModel>();
  const std::string cut = "(tackle_dist 2)";
  for (const auto& line : support::readRecording(support::fixturePath("left", "Tovren-2.txt"))) {
    if (line.sent || line.text.rfind("(server_param ", 0) != 0) continue;
    std::string text = line.text;
    worldModel->initServerParam(*support::parseMessage(text.erase(text.find(cut), cut.size())));
  }
  scene(BS_KICKABLE_OPP, 0.5f, 0);
  Tackle tackle(worldModel.get());
  const std::ostringstream& log = support::captureMainLog();
  EXPECT_EQ(tackle.getValue(), AD_MIN_VALUE);
  EXPECT_NE(log.str().find("TACKLE : no tackle_dist or tackle_width"), std::string::npos);
}

// Today's server ignores a tackle of negative power yet holds the tackler: facing its own
// half the agent offers none, and never a forward one towards its own goal instead.
TEST_F(TackleScene, WithoutBackwardTacklesNoneIsOfferedFacingTheOwnHalf) {
  const struct {
    float maxBackTacklePower, bodyDir, power;  // power 0: refused
  } cases[] = {
      {0, 89.9f, 100}, {0, 90, 0}, {0, -90, 0}, {0, 180, 0}, {0.01f, 90, -100}, {100, -90, -100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.maxBackTacklePower << " " << c.bodyDir);
    SetUp();
    scene(BS_KICKABLE_OPP, 0.5f, 0, c.bodyDir);
    worldModel->setBody().setCommandLimits().maxBackTacklePower = c.maxBackTacklePower;
    Tackle tackle(worldModel.get());
    std::ostringstream& log = support::captureMainLog();
    EXPECT_EQ(tackle.getValue(), c.power != 0 ? 1000.0f : AD_MIN_VALUE);
    EXPECT_EQ(log.str().find("TACKLE : no backward tackle") != std::string::npos, c.power == 0);
    SayDecisionFlags flags;
    tackle.execute(flags);
    const auto* tackleCommand = commandAs<TackleCommand>(tackle.getCommand());
    EXPECT_EQ(tackleCommand != nullptr ? tackleCommand->getPower() : 0.0f, c.power);
  }
}

}  // namespace
}  // namespace tovren
