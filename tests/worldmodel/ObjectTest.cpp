#include "worldmodel/Object.h"

#include "foundation/FieldData.h"
#include "foundation/SExpression.h"
#include "support/ActionScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace tovren {
namespace {

using support::parseEntry;

constexpr float TOLERANCE = 1e-4f;

// The see entries below are taken from the recorded fixtures, one of each shape.
TEST(ObjectParse, BallWithDistanceAndDirectionNegatesTheDirection) {
  Ball ball;
  auto entry = parseEntry("((b) 49.4 -5)");
  ASSERT_TRUE(ball.parse(*entry, 7));
  EXPECT_FLOAT_EQ(ball.getSeeDistance(), 49.4f);
  EXPECT_FLOAT_EQ(ball.getSeeDirection(), 5.0f);
  EXPECT_EQ(ball.getSeeDistChange(), NOT_MEASURED);
  EXPECT_EQ(ball.getSeeDirChange(), NOT_MEASURED);
  EXPECT_EQ(ball.getSeeTime(), 7u);
  EXPECT_EQ(ball.getVelSeeTime(), 0u);
  EXPECT_TRUE(ball.isReadyToUpdate());
}

TEST(ObjectParse, BallWithChangesStampsTheVelocityTime) {
  Ball ball;
  auto entry = parseEntry("((b) 20.1 56 0 0.1)");
  ASSERT_TRUE(ball.parse(*entry, 12));
  EXPECT_FLOAT_EQ(ball.getSeeDirection(), -56.0f);
  EXPECT_FLOAT_EQ(ball.getSeeDistChange(), 0.0f);
  EXPECT_FLOAT_EQ(ball.getSeeDirChange(), -0.1f);
  EXPECT_EQ(ball.getVelSeeTime(), 12u);
}

TEST(ObjectParse, LandmarksKeepTheirIdAndNumbers) {
  FieldFlag flag;
  ASSERT_TRUE(flag.parse(5, *parseEntry("((f r t) 55.7 3)"), 3));
  EXPECT_EQ(flag.getId(), 5);
  EXPECT_FLOAT_EQ(flag.getSeeDirection(), -3.0f);
  EXPECT_EQ(flag.getSeeDistChange(), NOT_MEASURED);

  FieldFlag moving;
  ASSERT_TRUE(moving.parse(19, *parseEntry("((f t 0) 3.6 -34 0 0)"), 3));
  EXPECT_FLOAT_EQ(moving.getSeeDirection(), 34.0f);
  EXPECT_FLOAT_EQ(moving.getSeeDirChange(), 0.0f);

  FieldGoal goal;
  ASSERT_TRUE(goal.parse(0, *parseEntry("((g l) 13.5 74 0.27 0.2)"), 3));
  EXPECT_EQ(goal.getId(), 0);
  EXPECT_FLOAT_EQ(goal.getSeeDistChange(), 0.27f);
  EXPECT_FLOAT_EQ(goal.getSeeDirChange(), -0.2f);

  FieldLine line;
  ASSERT_TRUE(line.parse(1, *parseEntry("((l r) 102.5 90)"), 3));
  EXPECT_EQ(line.getId(), 1);
  EXPECT_FLOAT_EQ(line.getSeeDirection(), -90.0f);
}

TEST(ObjectParse, SingleNumberLeavesEveryDirectionUnmeasured) {
  Ball ball;
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 5)"), 2));
  EXPECT_FLOAT_EQ(ball.getSeeDistance(), 5.0f);
  EXPECT_EQ(ball.getSeeDirection(), NOT_MEASURED);
  EXPECT_EQ(ball.getSeeDistChange(), NOT_MEASURED);
  EXPECT_EQ(ball.getSeeDirChange(), NOT_MEASURED);

  // A lone distance is an even count, yet it carries no pointing direction.
  Player player(PLM_HALF);
  ASSERT_TRUE(player.parse(TID_OPPONENT, 0, false, *parseEntry("((p \"Rival\") 5)"), 2));
  EXPECT_EQ(player.getRelativePointingDir(), NOT_MEASURED);
  EXPECT_EQ(player.getSeeDirection(), NOT_MEASURED);
}

TEST(ObjectParse, MalformedEntriesAreRefusedAndChangeNothing) {
  Ball ball;
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 20 10)"), 4));
  const char* bad[] = {"((b))",       "((b) abc 3)",      "((b) 5 (x))", "((b) nan 3)",
                       "((b) 5 inf)", "((b) 5 3 0.1 zz)", "((b) t)",     "((b) -3 10)"};
  for (const char* text : bad) {
    auto entry = parseEntry(text);
    EXPECT_FALSE(ball.parse(*entry, 9)) << text;
    EXPECT_FLOAT_EQ(ball.getSeeDistance(), 20.0f) << text;
    EXPECT_FLOAT_EQ(ball.getSeeDirection(), -10.0f) << text;
    EXPECT_EQ(ball.getSeeTime(), 4u) << text;
  }
  // "((b) 5 3 0.1)" has four elements: the changes are not promised, so it is good.
  EXPECT_TRUE(ball.parse(*parseEntry("((b) 5 3 0.1)"), 5));
}

TEST(PlayerParse, EveryFixtureShapeSetsModelAndDirections) {
  struct Case {
    const char* text;
    TeamId team;
    unsigned int uniNum;
    bool goalie;
    PlayerModel model;
    float bodyDir;
    float headDir;
    float pointing;
  };
  const Case cases[] = {
      {"((p) 49.4 -5)", TID_UNKNOWN, 0, false, PLM_QUARTER, NOT_MEASURED, NOT_MEASURED,
       NOT_MEASURED},
      {"((P) 3 180)", TID_UNKNOWN, 0, false, PLM_QUARTER, NOT_MEASURED, NOT_MEASURED, NOT_MEASURED},
      {"((p \"Rival\") 24.5 0)", TID_OPPONENT, 0, false, PLM_HALF, NOT_MEASURED, NOT_MEASURED,
       NOT_MEASURED},
      // Three numbers: distance, direction and the pointing direction.
      {"((p \"Rival\") 27.1 26 53)", TID_OPPONENT, 0, false, PLM_HALF, NOT_MEASURED, NOT_MEASURED,
       -53.0f},
      {"((p \"Rival\" 2) 9 0 0 0 10 -20)", TID_OPPONENT, 2, false, PLM_FULL, -10.0f, 20.0f,
       NOT_MEASURED},
      {"((p \"Rival\" 3) 24.5 24 0 0.1 28 28 49)", TID_OPPONENT, 3, false, PLM_FULL, -28.0f, -28.0f,
       -49.0f},
      {"((p \"Rival\" 1 goalie) 6 0 0 0 0 0)", TID_OPPONENT, 1, true, PLM_FULL, 0.0f, 0.0f,
       NOT_MEASURED},
  };
  for (const Case& c : cases) {
    Player player(c.model);
    ASSERT_TRUE(player.parse(c.team, c.uniNum, c.goalie, *parseEntry(c.text), 8)) << c.text;
    EXPECT_EQ(player.getModel(), c.model) << c.text;
    EXPECT_EQ(player.getTeamId(), c.team) << c.text;
    EXPECT_EQ(player.getUniNum(), c.uniNum) << c.text;
    EXPECT_EQ(player.getPostNum(), Player::uniNumToPostNum(c.uniNum)) << c.text;
    EXPECT_EQ(player.isGoalie(), c.goalie) << c.text;
    EXPECT_FLOAT_EQ(player.getRelativeBodyDir(), c.bodyDir) << c.text;
    EXPECT_FLOAT_EQ(player.getRelativeHeadDir(), c.headDir) << c.text;
    EXPECT_FLOAT_EQ(player.getRelativePointingDir(), c.pointing) << c.text;
    EXPECT_FALSE(player.isTackling()) << c.text;
    EXPECT_EQ(player.getSeeTime(), 8u) << c.text;
  }
}

TEST(PlayerParse, TackleMarkCountsOnlyForAKnownTeamAndIsNotANumber) {
  Player half(PLM_HALF);
  ASSERT_TRUE(half.parse(TID_OPPONENT, 0, false, *parseEntry("((p \"Rival\") 30 5 -20 t)"), 1));
  EXPECT_TRUE(half.isTackling());
  // n is 4 without the mark: the pointing direction is the element before it.
  EXPECT_FLOAT_EQ(half.getRelativePointingDir(), 20.0f);
  EXPECT_FLOAT_EQ(half.getSeeDirection(), -5.0f);

  Player quarter(PLM_QUARTER);
  ASSERT_TRUE(quarter.parse(TID_UNKNOWN, 0, false, *parseEntry("((p) 40 5 t)"), 1));
  EXPECT_FALSE(quarter.isTackling());
  EXPECT_EQ(quarter.getRelativePointingDir(), NOT_MEASURED);
}

TEST(PlayerParse, BadPlayerNumbersChangeNothing) {
  Player player(PLM_FULL);
  ASSERT_TRUE(player.parse(TID_OPPONENT, 4, false, *parseEntry("((p \"R\" 4) 9 1 0 0 10 20)"), 3));
  EXPECT_FALSE(player.parse(TID_OPPONENT, 5, true, *parseEntry("((p \"R\" 5) 9 1 0 0 x 20)"), 4));
  EXPECT_FALSE(
      player.parse(TID_OPPONENT, 5, true, *parseEntry("((p \"R\" 5) 9 1 0 0 1 2 (q))"), 4));
  EXPECT_EQ(player.getUniNum(), 4u);
  EXPECT_FALSE(player.isGoalie());
  EXPECT_FLOAT_EQ(player.getRelativeBodyDir(), -10.0f);
  EXPECT_EQ(player.getSeeTime(), 3u);
}

// Every see entry of every recorded player's view parses.
TEST(ObjectParse, EveryRecordedSeeEntryIsRead) {
  const std::pair<const char*, const char*> files[] = {
      {"left", "Tovren-1-goalie.txt"}, {"left", "Tovren-2.txt"}, {"left", "Tovren-3.txt"},
      {"left", "Tovren-7.txt"},        {"left", "Rival-2.txt"},  {"right", "Tovren-2.txt"},
      {"right", "Tovren-7.txt"},       {"right", "Rival-2.txt"}};
  int entries = 0;
  for (const auto& file : files) {
    for (const support::RecordedLine& line :
         support::readRecording(support::fixturePath(file.first, file.second))) {
      if (line.sent || line.text.compare(0, 5, "(see ") != 0) continue;
      auto see = parseEntry(line.text);
      for (unsigned int i = 2; i < see->size(); ++i) {
        ASSERT_EQ((*see)[i]->type(), SExpType::List);
        const auto& entry = static_cast<const SExpression&>(*(*see)[i]);
        const auto& name = static_cast<const SExpression&>(*entry[0]);
        std::string kind = name[0]->toString();
        bool ok = false;
        if (kind == "p" || kind == "P") {
          TeamId team = name.size() >= 2 ? TID_OPPONENT : TID_UNKNOWN;
          unsigned int uniNum = name.size() >= 3 ? std::stoul(name[2]->toString()) : 0u;
          Player player(PLM_QUARTER);
          ok = player.parse(team, uniNum, name.size() >= 4, entry, 1);
          EXPECT_TRUE(std::isfinite(player.getRelativePointingDir()));
        } else {
          Ball object;
          ok = object.parse(entry, 1);
          EXPECT_TRUE(object.getSeeDistance() >= 0.0f);
        }
        EXPECT_TRUE(ok) << entry.toString();
        ++entries;
      }
    }
  }
  EXPECT_GT(entries, 10000);
}

TEST(ObjectParse, GlobalViewEntriesAreInTheServerFrameMirrored) {
  Ball ball;
  ASSERT_TRUE(ball.parseFullState(*parseEntry("((b) 3.5 -2 0.5 0.25)"), 6));
  EXPECT_FLOAT_EQ(ball.getPos().getX(), 3.5f);
  EXPECT_FLOAT_EQ(ball.getPos().getY(), 2.0f);
  EXPECT_FLOAT_EQ(ball.getVel().getY(), -0.25f);
  EXPECT_EQ(ball.getPosDeviation(), 0.0f);
  EXPECT_EQ(ball.getSeeTime(), 6u);
  EXPECT_EQ(ball.getSeeDirection(), -NOT_MEASURED);

  Player player(PLM_FULL);
  const char* text = "((p \"Tovren\" 3) -3.98846 8.14109 0.231972 0.0284484 9 0 31)";
  ASSERT_TRUE(player.parseFullState(TID_TEAMMATE, 3, false, *parseEntry(text), 6));
  EXPECT_NEAR(player.getPos().getY(), -8.14109f, TOLERANCE);
  EXPECT_FLOAT_EQ(player.getBodyDir(), -9.0f);
  EXPECT_FLOAT_EQ(player.getHeadDir(), 0.0f);
  EXPECT_FLOAT_EQ(player.getPointingDir(), -31.0f);
  EXPECT_FALSE(player.isTackling());
  EXPECT_TRUE(player.isAlive());

  Player tackler(PLM_FULL);
  ASSERT_TRUE(tackler.parseFullState(TID_OPPONENT, 2, false,
                                     *parseEntry("((p \"Rival\" 2) 1 2 0 0 9 0 t)"), 6));
  EXPECT_TRUE(tackler.isTackling());
  EXPECT_FLOAT_EQ(tackler.getPointingDir(), 0.0f);

  FieldGoal goal;
  ASSERT_TRUE(goal.parseFullState(1, *parseEntry("((g r) 52.5 0)"), 6));
  EXPECT_FLOAT_EQ(goal.getPos().getX(), 52.5f);
  EXPECT_EQ(goal.getId(), 1);

  EXPECT_FALSE(ball.parseFullState(*parseEntry("((b) 1 2 3)"), 7));
  EXPECT_EQ(ball.getSeeTime(), 6u);
}

TEST(Landmark, UpdateTakesTheTablePositionAndADistanceDeviation) {
  FieldData fieldData;
  fieldData.setRightSideRate(-1);
  FieldFlag flag;
  ASSERT_TRUE(flag.parse(1, *parseEntry("((f l t) 40 -30)"), 2));
  flag.update(fieldData);
  EXPECT_FLOAT_EQ(flag.getPos().getX(), 52.5f);
  EXPECT_FLOAT_EQ(flag.getPos().getY(), -34.0f);
  EXPECT_NEAR(flag.getHeadVec().getDirection(), 30.0f, TOLERANCE);
  EXPECT_NEAR(flag.getHeadVec().getMagnitude(), 40.0f, TOLERANCE);
  EXPECT_FLOAT_EQ(flag.getPosDeviation(), 2.0f);
  EXPECT_FLOAT_EQ(flag.getValidPosDeviation(), 2.0f);

  FieldLine line;
  ASSERT_TRUE(line.parse(2, *parseEntry("((l t) 10 45)"), 2));
  line.update(fieldData);
  EXPECT_FLOAT_EQ(line.getPrependOrient(), -90.0f);
  FieldGoal goal;
  ASSERT_TRUE(goal.parse(0, *parseEntry("((g l) 10 0)"), 2));
  goal.update(FieldData());
  EXPECT_FLOAT_EQ(goal.getPos().getX(), -52.5f);
}

TEST(Object, NewObjectsStartForgottenWithDefinedState) {
  Ball ball;
  Player player(PLM_HALF);
  Body body;
  for (const Object* object :
       {static_cast<const Object*>(&ball), static_cast<const Object*>(&player),
        static_cast<const Object*>(&body)}) {
    EXPECT_FALSE(object->isValid());
    EXPECT_EQ(object->getPosDeviation(), MAX_POS_DEVIATION);
    EXPECT_EQ(object->getVelDeviation(), MAX_VEL_DEVIATION);
    EXPECT_EQ(object->getSeeTime(), 0u);
    EXPECT_EQ(object->getVelSeeTime(), 0u);
    EXPECT_EQ(object->getPos().getMagnitude(), 0.0f);
    EXPECT_EQ(object->getVel().getMagnitude(), 0.0f);
    EXPECT_FALSE(object->isReadyToUpdate());
  }
  EXPECT_EQ(player.getModel(), PLM_HALF);
  EXPECT_EQ(body.getModel(), PLM_FULL);
  EXPECT_EQ(body.getCollisionStatus(), TA_DONT_KNOW);
  EXPECT_EQ(body.getVMWidth(), VMW_NORMAL);
  EXPECT_FLOAT_EQ(body.getViewAngle(), 45.0f);
  EXPECT_TRUE(ball.isUpdateByHearPermitted());
  EXPECT_EQ(ball.getLastAbsSeeTime(), 0u);
  EXPECT_EQ(player.getLastVelSeeTime(), 0u);
}

TEST(Object, ValidityRulesDifferByTheStaticType) {
  Player player(PLM_FULL);
  player.setValidPosDeviation(10.0f);
  const Object& asObject = player;
  EXPECT_TRUE(asObject.isValid());
  EXPECT_FALSE(player.isValid());
  EXPECT_TRUE(player.isAlive());
  player.setModel(PLM_HALF);
  EXPECT_FALSE(player.isAlive());
  player.kill();
  EXPECT_FALSE(asObject.isValid());
  EXPECT_EQ(player.getVelDeviation(), MAX_VEL_DEVIATION);
}

TEST(Player, PostNumbersFollowTheFormationTable) {
  const unsigned int posts[12] = {0, 1, 11, 9, 10, 8, 5, 4, 3, 2, 6, 7};
  for (unsigned int n = 0; n <= 11; ++n) EXPECT_EQ(Player::uniNumToPostNum(n), posts[n]);
  EXPECT_EQ(Player::uniNumToPostNum(12), 12u);
  for (unsigned int n = 0; n <= 13; ++n)
    EXPECT_EQ(Player::postNumToUniNum(Player::uniNumToPostNum(n)), n);
  Player player;
  player.setUniNum(7);
  EXPECT_EQ(player.getPostNum(), 4u);
}

TEST(Player, BodyIsToldApartByItsRunTimeType) {
  Body body;
  Player player;
  const Player& bodyAsPlayer = body;
  EXPECT_TRUE(bodyAsPlayer.isBody());
  EXPECT_FALSE(player.isBody());
  Player slicedCopy = body;
  EXPECT_FALSE(slicedCopy.isBody());
}

TEST(ServerParams, ObjectsCacheTheRecordedParameters) {
  const auto& params = support::RecordedParams::get();
  Ball ball;
  ball.setServerParamVars(params.getServerParam());
  EXPECT_FLOAT_EQ(ball.getDecay(), 0.94f);
  EXPECT_FLOAT_EQ(ball.getSize(), 0.085f);
  EXPECT_FLOAT_EQ(ball.getSpeedMax(), 3.0f);
  EXPECT_FLOAT_EQ(ball.getKickPowerRate(), 0.027f);
  EXPECT_FLOAT_EQ(ball.getMaxMoment(), 180.0f);
  EXPECT_FLOAT_EQ(ball.getQuantizeStepL(), 0.01f);

  Body body;
  body.setServerParamVars(params.getServerParam());
  EXPECT_FLOAT_EQ(body.getVisibleDistance(), 3.0f);
  EXPECT_FLOAT_EQ(body.getStaminaMax(), 8000.0f);
  EXPECT_FLOAT_EQ(body.getCatchableAreaL(), 1.2f);
  // The virtual call through a Player reference reaches the body's version.
  Body other;
  Player& asPlayer = other;
  asPlayer.setServerParamVars(params.getServerParam());
  EXPECT_FLOAT_EQ(other.getVisibleDistance(), 3.0f);

  ASSERT_GT(params.getPlayerTypesNum(), 1u);
  body.setType(1, params.getPlayerType(1));
  EXPECT_EQ(body.getType(), 1u);
  EXPECT_FLOAT_EQ(body.getSize(), params.getPlayerType(1)["player_size"].asFloat());
  EXPECT_FLOAT_EQ(body.getInertiaMoment(), params.getPlayerType(1)["inertia_moment"].asFloat());
  EXPECT_FLOAT_EQ(body.getKickableMargin(), params.getPlayerType(1)["kickable_margin"].asFloat());
}

}  // namespace
}  // namespace tovren
