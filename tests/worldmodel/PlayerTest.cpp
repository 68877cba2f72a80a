#include "worldmodel/Player.h"

#include "foundation/SExpression.h"
#include "support/ActionScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Body.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>

namespace tovren {
namespace {

using support::parseEntry;

constexpr float TOLERANCE = 1e-4f;
// Directions estimated through the grid are good to about half a degree.
constexpr float ANGLE_TOLERANCE = 1.0f;

Player recordedPlayer(PlayerModel model) {
  const auto& params = support::RecordedParams::get();
  Player player(model);
  player.setServerParamVars(params.getServerParam());
  player.setType(0, params.getPlayerType(0));
  return player;
}

Player seenOpponent(const Body& body, const std::string& text, unsigned int time,
                    PlayMode playMode = PM_PLAY_ON) {
  Player player = recordedPlayer(PLM_FULL);
  EXPECT_TRUE(player.parse(TID_OPPONENT, 3, false, *parseEntry(text), time));
  player.update(body, playMode);
  return player;
}

TEST(PlayerUpdate, SeenDirectionsTurnIntoGlobalOnes) {
  Body body = support::makeBody(Point(0.0f, 0.0f), 40.0f);
  Player player = seenOpponent(body, "((p \"Rival\" 3) 10 0 0 0 -30 -20)", 4);
  EXPECT_NEAR(player.getBodyDir(), 70.0f, TOLERANCE);
  EXPECT_NEAR(player.getHeadDir(), 60.0f, TOLERANCE);
  EXPECT_EQ(player.getPointingDir(), NOT_MEASURED);
  EXPECT_FLOAT_EQ(player.getStamina(), 8000.0f);
  EXPECT_NEAR(player.getPos().getDirection(), 40.0f, ANGLE_TOLERANCE);
  EXPECT_EQ(player.getValidPosDeviation(), player.getPosDeviation());
  EXPECT_TRUE(player.isValid());
}

TEST(PlayerUpdate, PointingArmTellsTheStamina) {
  Body body = support::makeBody(Point(0.0f, 0.0f), 0.0f);
  // The server's 90 is -90 here, which is 270: the top of the scale.
  Player tired = seenOpponent(body, "((p \"Rival\" 3) 10 0 90)", 2, PM_PLAY_ON);
  EXPECT_NEAR(tired.getPointingDir(), -90.0f, TOLERANCE);
  EXPECT_NEAR(tired.getStamina(), 2500.0f, TOLERANCE);
  Player setPlay = seenOpponent(body, "((p \"Rival\" 3) 10 0 90)", 2, PM_OUR_KICK_IN);
  EXPECT_NEAR(setPlay.getStamina(), 3850.0f, TOLERANCE);
  Player half = seenOpponent(body, "((p \"Rival\" 3) 10 0 -135)", 2, PM_PLAY_ON);
  EXPECT_NEAR(half.getStamina(), 1750.0f, TOLERANCE);
  Player beyond = seenOpponent(body, "((p \"Rival\" 3) 10 0 45)", 2, PM_PLAY_ON);
  EXPECT_NEAR(beyond.getStamina(), 2500.0f, TOLERANCE);  // 315 is above the scale
}

TEST(PlayerUpdate, FastPlayerIsAssumedToKeepDashing) {
  Body body = support::makeBody(Point(0.0f, 0.0f), 0.0f);
  Player player = seenOpponent(body, "((p \"Rival\" 3) 10 0 0.5 0 0 0)", 3);
  EXPECT_NEAR(player.getVel().getX(), 0.5f, 0.01f);
  EXPECT_EQ(player.getDashExpires(), 2u);

  Player slow = seenOpponent(body, "((p \"Rival\" 3) 10 0 0.1 0 0 0)", 3);
  EXPECT_EQ(slow.getDashExpires(), 0u);
}

TEST(PlayerUpdate, FirstVelocityDoesNotOverrideTheSeenBodyDirection) {
  Body body = support::makeBody(Point(0.0f, 0.0f), 0.0f);
  Player player = recordedPlayer(PLM_FULL);
  ASSERT_TRUE(
      player.parse(TID_OPPONENT, 3, false, *parseEntry("((p \"Rival\" 3) 5 0 1 0 45 45)"), 1));
  player.update(body, PM_PLAY_ON);
  // Nothing was known before this sighting, so there is no acceleration to read.
  EXPECT_NEAR(player.getBodyDir(), -45.0f, TOLERANCE);
  EXPECT_EQ(player.getLastVelSeeTime(), 1u);

  // Next cycle it is slower: decelerating means facing against the motion.
  ASSERT_TRUE(player.parse(TID_OPPONENT, 3, false, *parseEntry("((p \"Rival\" 3) 6 0 0.2 0)"), 2));
  player.update(body, PM_PLAY_ON);
  EXPECT_NEAR(std::abs(player.getBodyDir()), 180.0f, 2.0f);
  EXPECT_EQ(player.getLastVelSeeTime(), 2u);

  // A far see without velocity (none from close sightings either) forgets it.
  ASSERT_TRUE(player.parse(TID_OPPONENT, 3, false, *parseEntry("((p \"Rival\" 3) 9 0)"), 3));
  player.update(body, PM_PLAY_ON);
  EXPECT_EQ(player.getLastVelSeeTime(), 0u);
}

TEST(PlayerUpdate, CloseSightingsGiveAVelocityOnlyFromTheSecondOnAndOnlyForFullPlayers) {
  Body body = support::makeBody(Point(0.0f, 0.0f), 0.0f);
  Player full = recordedPlayer(PLM_FULL);
  ASSERT_TRUE(full.parse(TID_OPPONENT, 3, false, *parseEntry("((p \"Rival\" 3) 4 0)"), 1));
  full.update(body, PM_PLAY_ON);
  EXPECT_EQ(full.getVelSeeTime(), 0u);
  EXPECT_EQ(full.getVel().getMagnitude(), 0.0f);
  full.simulateByDynamics(body);
  ASSERT_TRUE(full.parse(TID_OPPONENT, 3, false, *parseEntry("((p \"Rival\" 3) 4.5 0)"), 2));
  full.update(body, PM_PLAY_ON);
  EXPECT_EQ(full.getVelSeeTime(), 2u);
  EXPECT_GT(full.getVel().getX(), 0.1f);

  Player half = recordedPlayer(PLM_HALF);
  ASSERT_TRUE(half.parse(TID_OPPONENT, 0, false, *parseEntry("((p \"Rival\") 4 0)"), 1));
  half.update(body, PM_PLAY_ON);
  ASSERT_TRUE(half.parse(TID_OPPONENT, 0, false, *parseEntry("((p \"Rival\") 4.5 0)"), 2));
  half.update(body, PM_PLAY_ON);
  EXPECT_EQ(half.getVelSeeTime(), 0u);
  EXPECT_EQ(half.getLastAbsSeeTime(), 2u);
}

TEST(PlayerUpdate, ADistanceAloneKeepsThePlayerInStepWithTheBody) {
  Body body = support::makeBody(Point(0.0f, 0.0f), 0.0f);
  Player player = recordedPlayer(PLM_HALF);
  player.setPos().setAsCartesian(10.0f, 0.0f);
  player.setPosDeviation(3.0f);
  player.updateRelativeVecs(body);
  body.setPos().setAsCartesian(1.0f, 1.0f);
  ASSERT_TRUE(player.parse(TID_OPPONENT, 0, false, *parseEntry("((p \"Rival\") 10)"), 6));
  player.update(body, PM_PLAY_ON);
  EXPECT_FLOAT_EQ(player.getPos().getX(), 11.0f);
  EXPECT_FLOAT_EQ(player.getPos().getY(), 1.0f);
  EXPECT_FLOAT_EQ(player.getPosDeviation(), 3.0f);
}

Player placedPlayer(const Body& body, PlayerModel model, const Point& pos, float deviation) {
  Player player(model);
  player.setPos().setAsCartesian(pos.x, pos.y);
  player.setPosDeviation(deviation);
  player.updateRelativeVecs(body);
  return player;
}

TEST(PlayerCanBodySee, SensedAreaViewConeAndIdentificationRange) {
  Body body = support::makeBody(Point(0.0f, 0.0f), 0.0f);
  const Vector unused;
  EXPECT_TRUE(placedPlayer(body, PLM_FULL, Point(-2.0f, 0.0f), 0.0f).canBodySee(unused, 45, 3));
  // Behind, but the deviation reaches past the sensed area.
  EXPECT_FALSE(placedPlayer(body, PLM_FULL, Point(-2.0f, 0.0f), 2.0f).canBodySee(unused, 45, 3));
  EXPECT_TRUE(placedPlayer(body, PLM_FULL, Point(10.0f, 0.0f), 0.0f).canBodySee(unused, 45, 3));
  EXPECT_FALSE(placedPlayer(body, PLM_FULL, Point(25.0f, 0.0f), 0.0f).canBodySee(unused, 45, 3));
  EXPECT_TRUE(placedPlayer(body, PLM_HALF, Point(25.0f, 0.0f), 0.0f).canBodySee(unused, 45, 3));
  EXPECT_TRUE(placedPlayer(body, PLM_QUARTER, Point(80.0f, 0.0f), 0.0f).canBodySee(unused, 45, 3));
  // 40 degrees off plus the deviation's angle arcTan(1.5 / 10) = 8.5 is beyond 45.
  Point offAxis(10.0f * std::cos(40.0f * 3.14159265f / 180.0f),
                10.0f * std::sin(40.0f * 3.14159265f / 180.0f));
  EXPECT_TRUE(placedPlayer(body, PLM_FULL, offAxis, 0.0f).canBodySee(unused, 45, 3));
  EXPECT_FALSE(placedPlayer(body, PLM_FULL, offAxis, 2.0f).canBodySee(unused, 45, 3));
  // On top of the agent with a large deviation: no division by the zero distance.
  EXPECT_FALSE(placedPlayer(body, PLM_FULL, Point(0.0f, 0.0f), 8.0f).canBodySee(unused, 45, 3));
}

TEST(PlayerMerge, TakesTheSeeAndKeepsWhatTheOtherDoesNotKnow) {
  Body body = support::makeBody(Point(0.0f, 0.0f), 0.0f);
  const auto& params = support::RecordedParams::get();
  Player half = recordedPlayer(PLM_HALF);
  half.setTeamId(TID_OPPONENT);
  half.setGoalie(true);
  Player quarter = recordedPlayer(PLM_QUARTER);
  ASSERT_TRUE(quarter.parse(TID_UNKNOWN, 0, false, *parseEntry("((p) 12 10)"), 5));
  quarter.update(body, PM_PLAY_ON);
  half.setByAnotherPlayer(quarter, body);
  EXPECT_EQ(half.getTeamId(), TID_OPPONENT);
  EXPECT_TRUE(half.isGoalie());
  EXPECT_EQ(half.getSeeTime(), 5u);
  EXPECT_FLOAT_EQ(half.getPos().getX(), quarter.getPos().getX());
  EXPECT_FLOAT_EQ(half.getPosDeviation(), quarter.getPosDeviation());
  EXPECT_EQ(half.getModel(), PLM_HALF);

  Player full(PLM_FULL);
  Player other = recordedPlayer(PLM_FULL);
  other.setType(1, params.getPlayerType(1));
  other.setUniNum(9);
  other.setTeamId(TID_OPPONENT);
  full.setByAnotherPlayer(other, body);
  EXPECT_EQ(full.getUniNum(), 9u);
  EXPECT_EQ(full.getPostNum(), 2u);
  EXPECT_EQ(full.getType(), 1u);
  EXPECT_FLOAT_EQ(full.getKickableMargin(), other.getKickableMargin());
  EXPECT_EQ(full.getTeamId(), TID_OPPONENT);
  EXPECT_FALSE(full.isGoalie());
}

TEST(PlayerDynamics, AssumedDashRunsOutAndDeviationsGrow) {
  Body body = support::makeBody(Point(0.0f, 0.0f), 0.0f);
  Player player = recordedPlayer(PLM_FULL);
  player.setPos().setAsCartesian(5.0f, 0.0f);
  player.setPosDeviation(0.0f);
  player.setValidPosDeviation(19.5f);
  player.setVelDeviation(0.0f);
  player.setVel() = support::polar(0.5f, 0.0f);
  player.setBodyDir(90.0f);
  player.setDashExpires(2);
  player.simulateByDynamics(body);
  // 0.5 along x plus 0.6 along the body (y); 0.78 stays below 1.05.
  EXPECT_NEAR(player.getPos().getX(), 5.5f, TOLERANCE);
  EXPECT_NEAR(player.getPos().getY(), 0.6f, TOLERANCE);
  EXPECT_NEAR(player.getVel().getX(), 0.2f, TOLERANCE);
  EXPECT_NEAR(player.getVel().getY(), 0.24f, TOLERANCE);
  EXPECT_FLOAT_EQ(player.getPosDeviation(), 1.0f);
  EXPECT_FLOAT_EQ(player.getValidPosDeviation(), 20.0f);
  EXPECT_NEAR(player.getVelDeviation(), 0.02f, TOLERANCE);
  EXPECT_EQ(player.getDashExpires(), 1u);
  EXPECT_NEAR(player.getAbsVec().getX(), 5.5f, TOLERANCE);

  player.setBodyDir(NOT_MEASURED);
  player.simulateByDynamics(body);
  EXPECT_NEAR(player.getVel().getY(), 0.096f, TOLERANCE);
  EXPECT_EQ(player.getDashExpires(), 0u);

  player.setBodyDir(0.0f);
  player.setVel() = support::polar(1.0f, 0.0f);
  player.setDashExpires(1);
  player.simulateByDynamics(body);
  EXPECT_NEAR(player.getVel().getX(), 1.05f * 0.4f, TOLERANCE);
}

TEST(PlayerVirtualUpdate, KeepsTheOffsetFromTheBody) {
  Body body = support::makeBody(Point(0.0f, 0.0f), 0.0f);
  Player player = placedPlayer(body, PLM_FULL, Point(3.0f, 4.0f), 1.0f);
  body.setPos().setAsCartesian(-1.0f, 2.0f);
  player.virtualUpdate(body);
  EXPECT_FLOAT_EQ(player.getPos().getX(), 2.0f);
  EXPECT_FLOAT_EQ(player.getPos().getY(), 6.0f);
}

TEST(PlayerLog, EstimatesNameTheTeamAndTheNumber) {
  std::ostringstream& mainLog = support::captureMainLog();
  Body body = support::makeBody(Point(0.0f, 0.0f), 0.0f);
  Player player = recordedPlayer(PLM_FULL);
  ASSERT_TRUE(player.parse(TID_OPPONENT, 7, false, *parseEntry("((p \"Rival\" 7) 4 0)"), 1));
  player.update(body, PM_PLAY_ON);
  ASSERT_TRUE(player.parse(TID_OPPONENT, 7, false, *parseEntry("((p \"Rival\" 7) 5 0)"), 2));
  player.update(body, PM_PLAY_ON);
  ASSERT_TRUE(player.parse(TID_OPPONENT, 7, false, *parseEntry("((p \"Rival\" 7) 5 0 1 0)"), 3));
  player.update(body, PM_PLAY_ON);
  player.simulateByDynamics(body);
  EXPECT_EQ(mainLog.str(),
            "  0000. APVR: executed for player 1 7.\n"
            "  0000. APMR: started for player 1 7.\n"
            "  0000. APDR: executed for player 1 7.\n"
            "  0000. APMR: started for player 1 7.\n"
            "  0000. APMR: accelerated for player 1 7.\n");
}

}  // namespace
}  // namespace tovren
