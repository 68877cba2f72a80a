// The objects of the world model: what a see entry or a sense_body sets, and how the
// ball, the players and the agent's body move and are estimated.

#include "connection/Command.h"
#include "foundation/FieldData.h"
#include "foundation/SExpression.h"
#include "geometry/Degree.h"
#include "support/ActionScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/MessageFields.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Object.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>

namespace tovren {
namespace {

using support::parseEntry;
using support::polar;

constexpr float TOLERANCE = 1e-4f;
// The grid places a seen object to about a cell (0.18 m).
constexpr float GRID_TOLERANCE = 0.2f;

// The recorded match: ball_size 0.085, ball_decay 0.94, ball_speed_max 3, ball_accel_max 2.7,
// kick_power_rate 0.027; player_accel_max 1, player_decay 0.4, player_speed_max 1.05,
// stamina_max 8000; type 0: player_size 0.3, kickable_margin 0.7, dash_power_rate 0.006,
// inertia_moment 5, stamina_inc_max 45.
Body bodyAt(float x, float y, float bodyDir = 0.0f, const Vector& vel = Vector()) {
  return support::makeBody(Point(x, y), bodyDir, vel);
}

// ---- Numbers and see entries ----
TEST(MessageFields, DecimalReadersTakeTheWholeAtomInBaseTenOrNothing) {
  for (const char* text : {"0x10", "0x1p3", " 5", "5 ", "\t5", "5\r", "12abc", "--5", "-", "", "1e",
                           ".", "1,5", "nan", "inf", "1e39", "-1e39", "\"1\""}) {
    EXPECT_EQ(MessageFields::decimalInt(text), std::nullopt) << text;
    EXPECT_EQ(MessageFields::decimalFloat(text), std::nullopt) << text;
  }
  const std::optional<int> no;
  // clang-format off
  const std::pair<const char*, std::optional<int>> ints[] = {
      {"010", 10}, {"-0", 0}, {"+7", 7}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
      {"2147483648", no}, {"-2147483649", no}, {"10.9", no}};
  // clang-format on
  for (const auto& [text, value] : ints) EXPECT_EQ(MessageFields::decimalInt(text), value) << text;
  const std::pair<const char*, float> floats[] = {
      {"010", 10.0f}, {"-3", -3.0f},      {"007.5", 7.5f},  {".5", 0.5f},
      {"5.", 5.0f},   {"-3E+2", -300.0f}, {"1e-05", 1e-5f}, {"-2147483649", -2147483648.0f}};
  for (const auto& [text, value] : floats)
    EXPECT_EQ(MessageFields::decimalFloat(text), value) << text;
}

// Every number the server sent reads as the C library reads the whole atom.
void expectNumbersRead(const SExpression& list, int& numbers) {
  for (unsigned int i = 0; i < list.size(); ++i) {
    const SExpression* child = MessageFields::listAt(list, i);
    if (child != nullptr) expectNumbersRead(*child, numbers);
    const std::string text = child != nullptr ? "" : MessageFields::atomAt(list, i)->asString();
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (text.empty() || *end != '\0') continue;
    ++numbers;
    EXPECT_EQ(MessageFields::decimalFloat(text), value) << text;
    if (text.find_first_of(".eE") != std::string::npos) continue;
    EXPECT_EQ(MessageFields::decimalInt(text), std::strtol(text.c_str(), nullptr, 10)) << text;
  }
}

TEST(MessageFields, DecimalReadersReadEveryNumberOfTheRecordedMessages) {
  int numbers = 0;
  for (const char* side : {"left", "right"}) {
    for (const auto& line : support::readRecording(support::fixturePath(side, "Tovren-2.txt"))) {
      if (!line.sent) expectNumbersRead(*support::parseMessage(line.text), numbers);
    }
  }
  EXPECT_GT(numbers, 10000);
}

TEST(ObjectParse, EntriesOfEveryLengthNegateTheirDirections) {
  struct Case {
    const char* text;
    float distance, direction, distChange, dirChange;
    bool velocityStamped;
  };
  const float NM = NOT_MEASURED;
  const Case cases[] = {
      {"((b) 49.4 -5)", 49.4f, 5.0f, NM, NM, false},
      {"((b) 20.1 56 0 0.1)", 20.1f, -56.0f, 0.0f, -0.1f, true},
      {"((b) 5)", 5.0f, NM, NM, NM, false},
      {"((b) 5 3 0.1)", 5.0f, -3.0f, NM, NM, false},  // a lone change is not read
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Ball ball;
    ASSERT_TRUE(ball.parse(*parseEntry(c.text), 12));
    EXPECT_FLOAT_EQ(ball.getSeeDistance(), c.distance);
    EXPECT_FLOAT_EQ(ball.getSeeDirection(), c.direction);
    EXPECT_FLOAT_EQ(ball.getSeeDistChange(), c.distChange);
    EXPECT_FLOAT_EQ(ball.getSeeDirChange(), c.dirChange);
    EXPECT_EQ(ball.getVelSeeTime(), c.velocityStamped ? 12u : 0u);
    EXPECT_EQ(ball.getSeeTime(), 12u);
  }
  FieldGoal goal;
  ASSERT_TRUE(goal.parse(1, *parseEntry("((g r) 13.5 74 0.27 0.2)"), 3));
  EXPECT_EQ(goal.getId(), 1);
  EXPECT_FLOAT_EQ(goal.getSeeDirection(), -74.0f);
}

TEST(ObjectParse, MalformedEntriesAreRefusedAndChangeNothing) {
  Ball ball;
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 20 10)"), 4));
  for (const char* text : {"((b))", "((b) abc 3)", "((b) 5 (x))", "((b) nan 3)", "((b) 5 inf)",
                           "((b) 5 3 0.1 zz)", "((b) t)", "((b) -3 10)"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(ball.parse(*parseEntry(text), 9));
    EXPECT_FLOAT_EQ(ball.getSeeDistance(), 20.0f);
    EXPECT_FLOAT_EQ(ball.getSeeDirection(), -10.0f);
    EXPECT_EQ(ball.getSeeTime(), 4u);
  }
}

TEST(PlayerParse, EveryFixtureShapeSetsModelAndDirections) {
  struct Case {
    const char* text;
    TeamId team;
    unsigned int uniNum;
    bool goalie;
    PlayerModel model;
    float bodyDir, headDir, pointing;
    bool tackling;
  };
  const float NM = NOT_MEASURED;
  const Case cases[] = {
      {"((p) 49.4 -5)", TID_UNKNOWN, 0, false, PLM_QUARTER, NM, NM, NM, false},
      {"((p) 40 5 t)", TID_UNKNOWN, 0, false, PLM_QUARTER, NM, NM, NM, false},
      {"((p \"Rival\") 5)", TID_OPPONENT, 0, false, PLM_HALF, NM, NM, NM, false},
      {"((p \"Rival\") 27.1 26 53)", TID_OPPONENT, 0, false, PLM_HALF, NM, NM, -53.0f, false},
      {"((p \"Rival\") 30 5 -20 t)", TID_OPPONENT, 0, false, PLM_HALF, NM, NM, 20.0f, true},
      {"((p \"Rival\" 2) 9 0 0 0 10 -20)", TID_OPPONENT, 2, false, PLM_FULL, -10.0f, 20.0f, NM,
       false},
      {"((p \"Rival\" 3) 24.5 24 0 0.1 28 28 49)", TID_OPPONENT, 3, false, PLM_FULL, -28.0f, -28.0f,
       -49.0f, false},
      {"((p \"Rival\" 1 goalie) 6 0 0 0 0 0)", TID_OPPONENT, 1, true, PLM_FULL, 0.0f, 0.0f, NM,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Player player(c.model);
    ASSERT_TRUE(player.parse(c.team, c.uniNum, c.goalie, *parseEntry(c.text), 8));
    EXPECT_EQ(player.getTeamId(), c.team);
    EXPECT_EQ(player.getUniNum(), c.uniNum);
    EXPECT_EQ(player.isGoalie(), c.goalie);
    EXPECT_FLOAT_EQ(player.getRelativeBodyDir(), c.bodyDir);
    EXPECT_FLOAT_EQ(player.getRelativeHeadDir(), c.headDir);
    EXPECT_FLOAT_EQ(player.getRelativePointingDir(), c.pointing);
    EXPECT_EQ(player.isTackling(), c.tackling);
  }
}

TEST(PlayerParse, BadPlayerNumbersChangeNothing) {
  Player player(PLM_FULL);
  ASSERT_TRUE(player.parse(TID_OPPONENT, 4, false, *parseEntry("((p \"R\" 4) 9 1 0 0 10 20)"), 3));
  for (const char* text : {"((p \"R\" 5) 9 1 0 0 x 20)", "((p \"R\" 5) 9 1 0 0 1 2 (q))"})
    EXPECT_FALSE(player.parse(TID_OPPONENT, 5, true, *parseEntry(text), 4)) << text;
  EXPECT_EQ(player.getUniNum(), 4u);
  EXPECT_FALSE(player.isGoalie());
  EXPECT_FLOAT_EQ(player.getRelativeBodyDir(), -10.0f);
  EXPECT_EQ(player.getSeeTime(), 3u);
}

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
        const std::string kind = name[0]->toString();
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
          EXPECT_GE(object.getSeeDistance(), 0.0f);
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
  EXPECT_FLOAT_EQ(ball.getPos().getY(), 2.0f);
  EXPECT_FLOAT_EQ(ball.getVel().getY(), -0.25f);
  EXPECT_EQ(ball.getPosDeviation(), 0.0f);
  EXPECT_FALSE(ball.parseFullState(*parseEntry("((b) 1 2 3)"), 7));
  EXPECT_EQ(ball.getSeeTime(), 6u);

  Player player(PLM_FULL);
  const char* text = "((p \"Tovren\" 3) -3.98846 8.14109 0.231972 0.0284484 9 0 31)";
  ASSERT_TRUE(player.parseFullState(TID_TEAMMATE, 3, false, *parseEntry(text), 6));
  EXPECT_NEAR(player.getPos().getY(), -8.14109f, TOLERANCE);
  EXPECT_FLOAT_EQ(player.getBodyDir(), -9.0f);
  EXPECT_FLOAT_EQ(player.getPointingDir(), -31.0f);
  EXPECT_TRUE(player.isAlive());
  Player tackler(PLM_FULL);
  ASSERT_TRUE(tackler.parseFullState(TID_OPPONENT, 2, false,
                                     *parseEntry("((p \"Rival\" 2) 1 2 0 0 9 0 t)"), 6));
  EXPECT_TRUE(tackler.isTackling());
}

TEST(Landmark, UpdateTakesTheTablePositionOfTheSideAndADistanceDeviation) {
  FieldData rightSide;
  rightSide.setRightSideRate(-1);
  FieldFlag flag;
  ASSERT_TRUE(flag.parse(1, *parseEntry("((f l t) 40 -30)"), 2));
  flag.update(rightSide);
  EXPECT_FLOAT_EQ(flag.getPos().getX(), 52.5f);
  EXPECT_FLOAT_EQ(flag.getPos().getY(), -34.0f);
  EXPECT_NEAR(flag.getHeadVec().getDirection(), 30.0f, TOLERANCE);
  EXPECT_FLOAT_EQ(flag.getPosDeviation(), 2.0f);
  FieldLine line;
  ASSERT_TRUE(line.parse(2, *parseEntry("((l t) 10 45)"), 2));
  line.update(rightSide);
  EXPECT_FLOAT_EQ(line.getPrependOrient(), -90.0f);
  FieldGoal goal;
  ASSERT_TRUE(goal.parse(0, *parseEntry("((g l) 10 0)"), 2));
  goal.update(FieldData());
  EXPECT_FLOAT_EQ(goal.getPos().getX(), -52.5f);
}

TEST(Player, ValidityAndAliveDependOnTheModelAndTheStaticType) {
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
}

TEST(Player, PostNumbersFollowTheFormationTable) {
  const unsigned int posts[13] = {0, 1, 11, 9, 10, 8, 5, 4, 3, 2, 6, 7, 12};
  for (unsigned int n = 0; n <= 12; ++n) {
    EXPECT_EQ(Player::uniNumToPostNum(n), posts[n]) << n;
    EXPECT_EQ(Player::postNumToUniNum(posts[n]), n) << n;
  }
}

TEST(Player, BodyIsToldApartByItsRunTimeTypeAndTakesParametersThroughAPlayer) {
  Body body;
  const Player& bodyAsPlayer = body;
  EXPECT_TRUE(bodyAsPlayer.isBody());
  EXPECT_FALSE(Player().isBody());
  Player slicedCopy = body;
  EXPECT_FALSE(slicedCopy.isBody());
  Player& asPlayer = body;
  asPlayer.setServerParamVars(support::RecordedParams::get().getServerParam());
  EXPECT_FLOAT_EQ(body.getVisibleDistance(), 3.0f);
}

// ---- Ball ----

TEST(BallKick, EffectivenessFallsWithGapAndAngleAndTheResultIsCapped) {
  struct Case {
    const char* name;
    float bodyDir, ballDist, ballDir, ballSpeed, power, direction, margin;
    float speed, velDir;
  };
  // Effectiveness 1 - 0.25 gap / margin - 0.25 angle / 180, the gap net of both sizes.
  const Case cases[] = {
      {"ahead", 0.0f, 0.5f, 0.0f, 0.0f, 100.0f, 20.0f, 0.7f, 2.5891071f, 20.0f},
      {"45 degrees off", 0.0f, 0.5f, 45.0f, 0.0f, 100.0f, 0.0f, 0.7f, 2.4203572f, 0.0f},
      {"edge of the area", -30.0f, 1.085f, 0.0f, 0.0f, 100.0f, 0.0f, 0.7f, 2.025f, -30.0f},
      {"edge at the side", -30.0f, 1.085f, -90.0f, 0.0f, 100.0f, 0.0f, 0.7f, 1.6875f, -30.0f},
      {"power capped", 0.0f, 0.5f, 0.0f, 0.0f, 150.0f, 0.0f, 0.7f, 2.5891071f, 0.0f},
      {"speed capped", 0.0f, 0.5f, 0.0f, 2.0f, 100.0f, 0.0f, 0.7f, 3.0f, 0.0f},
      {"no margin, no reach", 0.0f, 0.385f, 0.0f, 0.0f, 100.0f, 0.0f, 0.0f, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Body body = bodyAt(0.0f, 0.0f, c.bodyDir);
    ConfigGroup type = support::RecordedParams::get().getPlayerType(0);
    type.add("kickable_margin", std::to_string(c.margin));
    body.setType(0, type);
    Ball ball = support::makeBallNearBody(body, c.ballDist, c.ballDir, polar(c.ballSpeed, 0.0f));
    KickCommand kick(c.power, c.direction);
    ball.simulateByAction(body, &kick, false);
    EXPECT_NEAR(ball.getVel().getMagnitude(), c.speed, TOLERANCE);
    if (c.speed > 0.0f) {
      EXPECT_NEAR(ball.getVel().getDirection(), c.velDir, TOLERANCE);
    }
  }
}

TEST(BallKickDeathTest, DirectionOutsideTheMomentsStops) {
  Body body = bodyAt(0.0f, 0.0f);
  Ball ball = support::makeBallNearBody(body, 0.5f, 0.0f);
  KickCommand kick(50.0f, 190.0f);
  EXPECT_DEATH(ball.simulateByAction(body, &kick, false), "direction >= body.getMinMoment");
}

TEST(BallMove, OnlyACarryingMoveTakesTheBallAlong) {
  Body body = bodyAt(-40.0f, 5.0f);
  Ball ball = support::makeBall(body, Point(-39.5f, 5.2f), polar(1.0f, 0.0f));
  MoveCommand move(-45.0f, 10.0f);
  Ball kept = ball;
  kept.simulateByAction(body, &move, false);
  EXPECT_FLOAT_EQ(kept.getPos().getX(), -39.5f);
  ball.simulateByAction(body, &move, true);
  EXPECT_NEAR(ball.getPos().getX(), -44.5f, TOLERANCE);
  EXPECT_NEAR(ball.getPos().getY(), 10.2f, TOLERANCE);
  EXPECT_EQ(ball.getVel().getMagnitude(), 0.0f);
}

TEST(BallDynamics, TheStatusAndTheCyclesSinceTheSightingDecideTheStep) {
  struct Case {
    const char* name;
    int status;
    unsigned int curTime;
    float speed, startDeviation;
    float x, vx, deviation;
  };
  // Seen in cycle 10 at x 10 moving along x. NAN: the ball's own deviation, or not checked.
  const Case cases[] = {
      {"look-ahead", BS_NONE, LOOK_AHEAD_TIME, 1.0f, NAN, 11.0f, 0.94f, 1.5f},
      {"tracked: 0.3 * 0.94 is below 0.3", BS_FreeBall, 10, 1.0f, NAN, 11.0f, 0.94f, 0.3f},
      {"tracked fast: 0.3 * 1.88", BS_KICKABLE_BODY, 12, 2.0f, NAN, 12.0f, 1.88f, 0.564f},
      {"held by an opponent", BS_KICKABLE_OPP, 11, 1.0f, NAN, 10.0f, 0.94f, 1.5f},
      {"unseen 5 cycles", BS_KICKABLE_BODY, 15, 1.0f, NAN, 11.0f, NAN, NAN},
      {"unseen 6 cycles", BS_KICKABLE_BODY, 16, 1.0f, NAN, 10.0f, NAN, NAN},
      {"unknown status: capped", 14, 10, 1.0f, 25.0f, 10.0f, 1.0f, 20.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Body body = bodyAt(0.0f, 0.0f);
    Ball ball = support::makeBall(body, Point(10.0f, 0.0f), polar(c.speed, 0.0f));
    ball.setVelDeviation(0.0f);
    ball.setSeePosDeviation(0.0f);
    ball.setSeeTime(10);
    if (!std::isnan(c.startDeviation)) ball.setPosDeviation(c.startDeviation);
    ball.simulateByDynamics(body, BCM_NONE, static_cast<BallStatus>(c.status), c.curTime);
    EXPECT_NEAR(ball.getPos().getX(), c.x, TOLERANCE);
    if (!std::isnan(c.vx)) {
      EXPECT_NEAR(ball.getVel().getX(), c.vx, TOLERANCE);
    }
    if (!std::isnan(c.deviation)) {
      EXPECT_NEAR(ball.getPosDeviation(), c.deviation, TOLERANCE);
    }
    EXPECT_NEAR(ball.getAbsVec().getX(), ball.getPos().getX(), TOLERANCE);
  }
}

TEST(BallDynamics, DeviationsGrowWithTheSpeed) {
  Body body = bodyAt(0.0f, 0.0f);
  Ball ball = support::makeBall(body, Point(10.0f, 0.0f), polar(1.0f, 0.0f));
  ball.setVelDeviation(0.0f);
  ball.setSeePosDeviation(0.0f);
  ball.setSeeTime(10);
  ball.simulateByDynamics(body, BCM_NONE, BS_FreeBall, 10);
  // The seen deviation grows by 0.5 * 0.94 + 0.1, the velocity's by 0.01.
  EXPECT_NEAR(ball.getSeePosDeviation(), 0.57f, TOLERANCE);
  EXPECT_NEAR(ball.getVelDeviation(), 0.01f, TOLERANCE);
}

TEST(BallCollision, ModesDecideWhenTheBallBouncesOffTheBody) {
  struct Case {
    BallCollisionMode mode;
    TriAnswer status;
    float endDistance;
    bool collides;
  };
  // The ball ends endDistance from the body's centre; the sizes sum to 0.385.
  const Case cases[] = {
      {BCM_OVERLAP, TA_DONT_KNOW, 0.3f, true}, {BCM_OVERLAP, TA_DONT_KNOW, 0.32f, false},
      {BCM_SENSED, TA_YES, 0.3f, true},        {BCM_SENSED, TA_DONT_KNOW, 0.3f, true},
      {BCM_SENSED, TA_NO, 0.3f, false},        {BCM_NONE, TA_YES, 0.3f, false},
      {BCM_SENSED, TA_YES, 0.5f, true},        {BCM_SENSED, TA_DONT_KNOW, 0.5f, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " " << c.status << " " << c.endDistance);
    Body body = bodyAt(0.0f, 0.0f);
    body.setCollisionStatus(c.status);
    Ball ball =
        support::makeBall(body, Point(c.endDistance - 0.2f, 0.0f), support::polar(0.2f, 0.0f));
    ball.setSeeTime(3);
    ball.simulateByDynamics(body, c.mode, BS_NONE, 3);
    EXPECT_EQ(ball.isCollision(), c.collides);
    if (!c.collides) {
      EXPECT_NEAR(ball.getPos().getX(), c.endDistance, TOLERANCE);
      continue;
    }
    // The overlap moves the ball against its travel, and it bounces back at a tenth.
    EXPECT_NEAR(ball.getPos().getX(), 2.0f * c.endDistance - 0.385f, TOLERANCE);
    EXPECT_NEAR(ball.getVel().getX(), -0.1f * 0.2f * 0.94f, TOLERANCE);
  }
}

Ball recordedBall() {
  Ball ball;
  ball.setServerParamVars(support::RecordedParams::get().getServerParam());
  return ball;
}

TEST(BallUpdate, ChangeValuesGiveTheVelocityInGlobalAxes) {
  Body body = bodyAt(0.0f, 0.0f, 90.0f, polar(0.1f, 0.0f));
  Ball ball = recordedBall();
  // Straight ahead of the head, moving away at 0.5 per cycle.
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 10 0 0.5 0)"), 1));
  ball.update(body);
  EXPECT_NEAR(ball.getPos().getX(), 0.0f, GRID_TOLERANCE);
  EXPECT_NEAR(ball.getPos().getY(), 10.0f, 0.6f);
  EXPECT_LT(ball.getPosDeviation(), 1.0f);
  EXPECT_NEAR(ball.getVel().getX(), 0.1f, 0.01f);
  EXPECT_NEAR(ball.getVel().getY(), 0.5f, 0.01f);
  EXPECT_FALSE(ball.isAbsoluteUpdate());
}

TEST(BallUpdate, CloseSightingsGiveAVelocityFromTheSecondOnAndAFarOneForgetsThem) {
  Body body = bodyAt(0.0f, 0.0f);
  Ball ball = recordedBall();
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 5 0)"), 1));
  ball.update(body);
  EXPECT_EQ(ball.getVel().getMagnitude(), 0.0f);
  EXPECT_EQ(ball.getVelSeeTime(), 0u);
  ball.simulateByDynamics(body, BCM_NONE, BS_NONE, 1);
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 5.5 0)"), 2));
  ball.update(body);
  EXPECT_EQ(ball.getVelSeeTime(), 2u);
  EXPECT_NEAR(ball.getVel().getX(), 0.94f * (ball.getAbsVec().getX() - 5.0f), 0.25f);
  EXPECT_GT(ball.getVel().getX(), 0.2f);
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 9 0)"), 3));
  ball.update(body);
  EXPECT_EQ(ball.getLastAbsSeeTime(), 0u);
}

TEST(BallUpdate, ADistanceAloneOrZeroKeepsTheBallInStepWithTheBody) {
  Body body = bodyAt(2.0f, 1.0f);
  Ball ball = support::makeBall(body, Point(6.0f, 1.0f));
  ball.setPosDeviation(1.0f);
  body.setPos().setAsCartesian(3.0f, 1.0f);
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 4)"), 5));
  ball.update(body);
  EXPECT_FLOAT_EQ(ball.getPos().getX(), 7.0f);
  EXPECT_FLOAT_EQ(ball.getPosDeviation(), 1.0f);

  Ball onTop = support::makeBall(body, Point(3.0f, 1.0f), polar(0.3f, 45.0f));
  ASSERT_TRUE(onTop.parse(*parseEntry("((b) 0 0 0.4 3)"), 2));
  onTop.update(body);
  EXPECT_TRUE(std::isfinite(onTop.getPos().getX()));
  EXPECT_NEAR(onTop.getVel().getMagnitude(), 0.3f, TOLERANCE);
}

TEST(BallHear, HeardBallIsExactAndKeptAbsoluteUntilToldOtherwise) {
  Body body = bodyAt(1.0f, 1.0f, 90.0f);
  Ball ball;
  ball.updateByHear(4.0f, 5.0f, 1.2f, 180.0f, body);
  EXPECT_FLOAT_EQ(ball.getPos().getX(), 4.0f);
  EXPECT_NEAR(ball.getVel().getX(), -1.2f, TOLERANCE);
  EXPECT_EQ(ball.getPosDeviation(), 0.0f);
  EXPECT_EQ(ball.getVelDeviation(), 0.0f);
  // In the body's frame (facing +y) the ball is 4 ahead and 3 to the right.
  EXPECT_NEAR(ball.getBodyVec().getX(), 4.0f, TOLERANCE);
  EXPECT_NEAR(ball.getBodyVec().getY(), -3.0f, TOLERANCE);
  body.setPos().setAsCartesian(2.0f, 1.0f);
  ball.virtualUpdate(body);
  EXPECT_FLOAT_EQ(ball.getPos().getX(), 4.0f);
  ball.setAbsoluteUpdate(false);
  body.setPos().setAsCartesian(3.0f, 1.0f);
  ball.virtualUpdate(body);
  EXPECT_NEAR(ball.getPos().getX(), 5.0f, TOLERANCE);
}

// ---- Players ----

Player recordedPlayer(PlayerModel model) {
  const auto& params = support::RecordedParams::get();
  Player player(model);
  player.setServerParamVars(params.getServerParam());
  player.setType(0, params.getPlayerType(0));
  return player;
}

void see(Player& player, const Body& body, const std::string& text, unsigned int time,
         PlayMode playMode = PM_PLAY_ON) {
  const bool half = text.find("\" ") == std::string::npos;
  ASSERT_TRUE(player.parse(TID_OPPONENT, half ? 0 : 3, false, *parseEntry(text), time)) << text;
  player.update(body, playMode);
}

TEST(PlayerUpdate, SeenDirectionsTurnIntoGlobalOnes) {
  Body body = bodyAt(0.0f, 0.0f, 40.0f);
  Player player = recordedPlayer(PLM_FULL);
  see(player, body, "((p \"Rival\" 3) 10 0 0 0 -30 -20)", 4);
  EXPECT_NEAR(player.getBodyDir(), 70.0f, TOLERANCE);
  EXPECT_NEAR(player.getHeadDir(), 60.0f, TOLERANCE);
  EXPECT_EQ(player.getPointingDir(), NOT_MEASURED);
  EXPECT_FLOAT_EQ(player.getStamina(), 8000.0f);
  EXPECT_NEAR(player.getPos().getDirection(), 40.0f, 1.0f);
  EXPECT_TRUE(player.isValid());
}

TEST(PlayerUpdate, PointingArmTellsTheStaminaOnTheScaleOfThePlayMode) {
  struct Case {
    const char* pointing;
    PlayMode playMode;
    float stamina;
  };
  // The server's 90 is -90 here, which is 270: the top of the scale.
  const Case cases[] = {{"90", PM_PLAY_ON, 2500.0f},
                        {"90", PM_OUR_KICK_IN, 3850.0f},
                        {"-135", PM_PLAY_ON, 1750.0f},
                        {"0", PM_PLAY_ON, 1000.0f},
                        {"45", PM_PLAY_ON, 2500.0f}};  // 315 is above the scale
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pointing);
    Player player = recordedPlayer(PLM_FULL);
    see(player, bodyAt(0.0f, 0.0f), std::string("((p \"Rival\" 3) 10 0 ") + c.pointing + ")", 2,
        c.playMode);
    EXPECT_NEAR(player.getStamina(), c.stamina, TOLERANCE);
  }
}

TEST(PlayerUpdate, OnlyAFastPlayerIsAssumedToKeepDashing) {
  Body body = bodyAt(0.0f, 0.0f);
  Player fast = recordedPlayer(PLM_FULL);
  see(fast, body, "((p \"Rival\" 3) 10 0 0.5 0 0 0)", 3);
  EXPECT_NEAR(fast.getVel().getX(), 0.5f, 0.01f);
  EXPECT_EQ(fast.getDashExpires(), 2u);
  Player slow = recordedPlayer(PLM_FULL);
  see(slow, body, "((p \"Rival\" 3) 10 0 0.1 0 0 0)", 3);
  EXPECT_EQ(slow.getDashExpires(), 0u);
}

TEST(PlayerUpdate, ASlowerSecondSightingMeansFacingAgainstTheMotion) {
  Body body = bodyAt(0.0f, 0.0f);
  Player player = recordedPlayer(PLM_FULL);
  see(player, body, "((p \"Rival\" 3) 5 0 1 0 45 45)", 1);
  // Nothing was known before, so there is no acceleration to read.
  EXPECT_NEAR(player.getBodyDir(), -45.0f, TOLERANCE);
  EXPECT_EQ(player.getLastVelSeeTime(), 1u);
  see(player, body, "((p \"Rival\" 3) 6 0 0.2 0)", 2);
  EXPECT_NEAR(std::abs(player.getBodyDir()), 180.0f, 2.0f);
  see(player, body, "((p \"Rival\" 3) 9 0)", 3);  // far, no velocity: forgotten
  EXPECT_EQ(player.getLastVelSeeTime(), 0u);
}

TEST(PlayerUpdate, CloseSightingsGiveAVelocityOnlyForFullPlayers) {
  Body body = bodyAt(0.0f, 0.0f);
  Player full = recordedPlayer(PLM_FULL);
  see(full, body, "((p \"Rival\" 3) 4 0)", 1);
  EXPECT_EQ(full.getVelSeeTime(), 0u);
  full.simulateByDynamics(body);
  see(full, body, "((p \"Rival\" 3) 4.5 0)", 2);
  EXPECT_EQ(full.getVelSeeTime(), 2u);
  EXPECT_GT(full.getVel().getX(), 0.1f);

  Player half = recordedPlayer(PLM_HALF);
  see(half, body, "((p \"Rival\") 4 0)", 1);
  see(half, body, "((p \"Rival\") 4.5 0)", 2);
  EXPECT_EQ(half.getVelSeeTime(), 0u);
  EXPECT_EQ(half.getLastAbsSeeTime(), 2u);
}

Player placedPlayer(const Body& body, PlayerModel model, const Point& pos, float deviation) {
  Player player(model);
  player.setPos().setAsCartesian(pos.x, pos.y);
  player.setPosDeviation(deviation);
  player.updateRelativeVecs(body);
  return player;
}

TEST(PlayerUpdate, ADistanceAloneKeepsThePlayerInStepWithTheBody) {
  Body body = bodyAt(0.0f, 0.0f);
  Player player = recordedPlayer(PLM_HALF);
  player.setPos().setAsCartesian(10.0f, 0.0f);
  player.setPosDeviation(3.0f);
  player.updateRelativeVecs(body);
  body.setPos().setAsCartesian(1.0f, 1.0f);
  see(player, body, "((p \"Rival\") 10)", 6);
  EXPECT_FLOAT_EQ(player.getPos().getX(), 11.0f);
  EXPECT_FLOAT_EQ(player.getPos().getY(), 1.0f);
  EXPECT_FLOAT_EQ(player.getPosDeviation(), 3.0f);

  body.setPos().setAsCartesian(-1.0f, 2.0f);  // and so does a virtual update
  player.virtualUpdate(body);
  EXPECT_FLOAT_EQ(player.getPos().getX(), 9.0f);
  EXPECT_FLOAT_EQ(player.getPos().getY(), 2.0f);
}

TEST(PlayerCanBodySee, SensedAreaViewConeAndIdentificationRange) {
  struct Case {
    PlayerModel model;
    float distance, direction, deviation;
    bool seen;
  };
  // A normal view (45) and a visible distance of 3.
  const Case cases[] = {
      {PLM_FULL, 2.0f, 180.0f, 0.0f, true},
      {PLM_FULL, 2.0f, 180.0f, 2.0f, false},
      {PLM_FULL, 10.0f, 0.0f, 0.0f, true},
      {PLM_FULL, 25.0f, 0.0f, 0.0f, false},
      {PLM_HALF, 25.0f, 0.0f, 0.0f, true},
      {PLM_QUARTER, 80.0f, 0.0f, 0.0f, true},
      {PLM_FULL, 10.0f, 40.0f, 0.0f, true},
      {PLM_FULL, 10.0f, 40.0f, 2.0f, false},  // plus arcTan(1.5 / 10): beyond 45
      {PLM_FULL, 10.0f, -40.0f, 2.0f, false},
      {PLM_FULL, 0.0f, 0.0f, 8.0f, false},
  };
  Body body = bodyAt(0.0f, 0.0f);
  for (const Case& c : cases) {
    Point at(polar(c.distance, c.direction));
    EXPECT_EQ(placedPlayer(body, c.model, at, c.deviation).canBodySee(Vector(), 45, 3), c.seen)
        << c.model << " " << c.distance << " " << c.direction << " " << c.deviation;
  }
}

TEST(PlayerMerge, TakesTheSeeAndKeepsWhatTheOtherDoesNotKnow) {
  Body body = bodyAt(0.0f, 0.0f);
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
  EXPECT_EQ(half.getModel(), PLM_HALF);

  Player full(PLM_FULL);
  Player other = recordedPlayer(PLM_FULL);
  other.setType(1, support::RecordedParams::get().getPlayerType(1));
  other.setUniNum(9);
  other.setTeamId(TID_OPPONENT);
  full.setByAnotherPlayer(other, body);
  EXPECT_EQ(full.getUniNum(), 9u);
  EXPECT_EQ(full.getType(), 1u);
  EXPECT_FLOAT_EQ(full.getKickableMargin(), other.getKickableMargin());
  EXPECT_EQ(full.getTeamId(), TID_OPPONENT);
  EXPECT_FALSE(full.isGoalie());
}

TEST(PlayerDynamics, AssumedDashRunsOutAndDeviationsGrow) {
  Body body = bodyAt(0.0f, 0.0f);
  Player player = recordedPlayer(PLM_FULL);
  player.setPos().setAsCartesian(5.0f, 0.0f);
  player.setPosDeviation(0.0f);
  player.setValidPosDeviation(19.5f);
  player.setVelDeviation(0.0f);
  player.setVel() = polar(0.5f, 0.0f);
  player.setBodyDir(90.0f);
  player.setDashExpires(2);
  player.simulateByDynamics(body);
  // 0.5 along x plus 0.6 along the body (y); 0.78 stays below 1.05.
  EXPECT_NEAR(player.getPos().getX(), 5.5f, TOLERANCE);
  EXPECT_NEAR(player.getPos().getY(), 0.6f, TOLERANCE);
  EXPECT_NEAR(player.getVel().getY(), 0.24f, TOLERANCE);
  EXPECT_FLOAT_EQ(player.getPosDeviation(), 1.0f);
  EXPECT_FLOAT_EQ(player.getValidPosDeviation(), 20.0f);
  EXPECT_NEAR(player.getVelDeviation(), 0.02f, TOLERANCE);
  EXPECT_EQ(player.getDashExpires(), 1u);

  player.setBodyDir(NOT_MEASURED);  // no direction: no dash, but the count runs out
  player.simulateByDynamics(body);
  EXPECT_NEAR(player.getVel().getY(), 0.096f, TOLERANCE);
  EXPECT_EQ(player.getDashExpires(), 0u);

  player.setBodyDir(0.0f);
  player.setVel() = polar(1.0f, 0.0f);
  player.setDashExpires(1);
  player.simulateByDynamics(body);
  EXPECT_NEAR(player.getVel().getX(), 1.05f * 0.4f, TOLERANCE);
}

// ---- The agent's body ----

TEST(BodyAction, DashAddsPowerTimesRateAlongTheBodyWithinTheCaps) {
  struct Case {
    const char* name;
    float bodyDir, speed, stamina, power;
    bool noStamina;
    float vx, vy, staminaAfter;
  };
  const Case cases[] = {
      {"forward", 30.0f, 0.0f, 8000.0f, 100.0f, false, 0.5196152f, 0.3f, 7900.0f},
      {"acceleration capped", 0.0f, 0.0f, 8000.0f, 200.0f, true, 1.0f, 0.0f, 8000.0f},
      {"speed capped", 0.0f, 0.8f, 8000.0f, 100.0f, true, 1.05f, 0.0f, 8000.0f},
      {"backward costs twice", 0.0f, 0.0f, 8000.0f, -50.0f, false, -0.3f, 0.0f, 7900.0f},
      {"backward, speed capped", 0.0f, 0.0f, 8000.0f, -200.0f, false, -1.05f, 0.0f, 7600.0f},
      {"stamina stops at zero", 0.0f, 0.0f, 20.0f, 30.0f, false, NAN, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Body body = support::makeBody(Point(0.0f, 0.0f), c.bodyDir, polar(c.speed, 0.0f), c.stamina);
    DashCommand dash(c.power);
    body.simulateByAction(&dash, c.noStamina);
    if (!std::isnan(c.vx)) {
      EXPECT_NEAR(body.getVel().getX(), c.vx, TOLERANCE);
    }
    EXPECT_NEAR(body.getVel().getY(), c.vy, TOLERANCE);
    EXPECT_NEAR(body.getStamina(), c.staminaAfter, TOLERANCE);
    EXPECT_EQ(body.getPos().getMagnitude(), 0.0f);
  }
}

// Today's server clamps negative dash powers to 0: the player runs backward only by a
// dash at 180 degrees, at the back dash rate and for its power's stamina alone.
TEST(BodyAction, BackwardDashFollowsTheServersLimits) {
  struct Case {
    const char* name;
    float minDashPower, bodyDir, power;
    float vx, vy, staminaAfter;
  };
  const Case cases[] = {
      {"at 180 degrees", 0.0f, 0.0f, -100.0f, -0.42f, 0.0f, 7900.0f},
      {"at 180 degrees, sideways body", 0.0f, 90.0f, -50.0f, 0.0f, -0.21f, 7950.0f},
      {"at 180 degrees, acceleration capped", 0.0f, 0.0f, -300.0f, -1.0f, 0.0f, 7700.0f},
      {"minus zero does nothing", 0.0f, 0.0f, -0.0f, 0.0f, 0.0f, 8000.0f},
      {"negative minimum: negative power", -0.01f, 0.0f, -100.0f, -0.6f, 0.0f, 7800.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Body body = support::makeBody(Point(0.0f, 0.0f), c.bodyDir, Vector(), 8000.0f);
    body.setCommandLimits().minDashPower = c.minDashPower;
    body.setCommandLimits().backDashRate = 0.7f;
    DashCommand dash(c.power);
    body.simulateByAction(&dash, false);
    EXPECT_NEAR(body.getVel().getX(), c.vx, TOLERANCE);
    EXPECT_NEAR(body.getVel().getY(), c.vy, TOLERANCE);
    EXPECT_NEAR(body.getStamina(), c.staminaAfter, TOLERANCE);
  }
}

TEST(BodyAction, OneBackwardDashFromRestLeavesTheServersSpeed) {
  // The server's sense_body after one (dash 100 180) from rest: speed 0.17 at 178 degrees.
  Body body = support::makeBody(Point(0.0f, 0.0f), 0.0f, Vector(), 8000.0f);
  body.setCommandLimits().minDashPower = 0.0f;
  body.setCommandLimits().backDashRate = 0.7f;
  DashCommand dash(-100.0f);
  body.simulateByAction(&dash, false);
  body.simulateByDynamics(true);
  EXPECT_NEAR(body.getVel().getX(), -0.168f, TOLERANCE);
  EXPECT_NEAR(body.getPos().getX(), -0.42f, TOLERANCE);
}

TEST(BodyAction, TurnIsShrunkByInertiaAndClampedToTheMomentsAndTheHeadFollows) {
  struct Case {
    float bodyDir, speed, moment, after;
  };
  const Case cases[] = {{10.0f, 0.5f, 60.0f, 10.0f + 60.0f / 3.5f},  // 1 + 5 * 0.5
                        {0.0f, 0.0f, 250.0f, 180.0f},
                        {10.0f, 0.0f, -400.0f, -170.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.moment);
    Body body = bodyAt(0.0f, 0.0f, c.bodyDir, polar(c.speed, c.bodyDir));
    body.setRelativeHeadDir(30.0f);
    TurnCommand turn(c.moment);
    body.simulateByAction(&turn, false);
    EXPECT_NEAR(Degree::getDeltaAngle(body.getBodyDir(), c.after), 0.0f, TOLERANCE);
    EXPECT_NEAR(Degree::getDeltaAngle(body.getHeadDir(), c.after + 30.0f), 0.0f, TOLERANCE);
    EXPECT_NEAR(body.getVel().getMagnitude(), c.speed, TOLERANCE);
  }
}

TEST(BodyActionDeathTest, TurnAngleOutsideAnIllegalRangeStops) {
  // A server whose smallest moment is positive cannot turn by a small angle.
  ConfigGroup params = support::RecordedParams::get().getServerParam();
  params.add("minmoment", "10");
  Body body = bodyAt(0.0f, 0.0f);
  body.setServerParamVars(params);
  body.setVel() = polar(0.5f, 0.0f);
  TurnCommand turn(20.0f);
  EXPECT_DEATH(body.simulateByAction(&turn, false), "turnAngle >= minMoment");
}

TEST(BodyAction, MovePlacesTheBodyAndOtherCommandsLeaveIt) {
  Body body = bodyAt(0.0f, 0.0f, 0.0f, polar(0.3f, 90.0f));
  MoveCommand move(-10.0f, 20.0f);
  body.simulateByAction(&move, false);
  EXPECT_FLOAT_EQ(body.getPos().getX(), -10.0f);
  EXPECT_FLOAT_EQ(body.getPos().getY(), 20.0f);
  EXPECT_NEAR(body.getVel().getY(), 0.3f, TOLERANCE);
  KickCommand kick(100.0f, 0.0f);
  body.simulateByAction(&kick, false);
  body.simulateByAction(nullptr, false);
  EXPECT_FLOAT_EQ(body.getPos().getX(), -10.0f);
  EXPECT_FLOAT_EQ(body.getStamina(), 8000.0f);
}

TEST(BodyDynamics, MovesDecaysRecoversAndForgetsTheCollision) {
  Body body = support::makeBody(Point(1.0f, 2.0f), 0.0f, polar(1.0f, 0.0f), 7000.0f);
  body.setPosDeviation(19.8f);
  body.setValidPosDeviation(1.0f);
  body.setVelDeviation(0.0f);
  body.setCollisionStatus(TA_YES);
  body.simulateByDynamics(false);
  EXPECT_NEAR(body.getPos().getX(), 2.0f, TOLERANCE);
  EXPECT_NEAR(body.getVel().getX(), 0.4f, TOLERANCE);
  EXPECT_FLOAT_EQ(body.getPosDeviation(), 20.0f);
  EXPECT_FLOAT_EQ(body.getValidPosDeviation(), 1.5f);
  EXPECT_NEAR(body.getVelDeviation(), 0.02f, TOLERANCE);
  EXPECT_NEAR(body.getStamina(), 7045.0f, TOLERANCE);
  EXPECT_EQ(body.getCollisionStatus(), TA_DONT_KNOW);

  for (float stamina : {7990.0f, 7955.0f}) {  // at and near the top
    Body full = support::makeBody(Point(0.0f, 0.0f), 0.0f, Vector(), stamina);
    full.simulateByDynamics(false);
    EXPECT_FLOAT_EQ(full.getStamina(), 8000.0f) << stamina;
  }
  Body kept = support::makeBody(Point(0.0f, 0.0f), 0.0f, Vector(), 7000.0f);
  kept.simulateByDynamics(true);
  EXPECT_FLOAT_EQ(kept.getStamina(), 7000.0f);
}

TEST(BodyUpdate, TheFarthestLineGivesTheHeadAndBodyDirections) {
  FieldData fieldData;
  FieldLine near;
  FieldLine far;
  // (l r) stands at x = 52.5 with its outward normal at 0 degrees.
  ASSERT_TRUE(near.parse(1, *parseEntry("((l r) 20 80)"), 1));
  ASSERT_TRUE(far.parse(1, *parseEntry("((l r) 40 -60)"), 1));
  near.update(fieldData);
  far.update(fieldData);
  const FieldLine* lines[2] = {&near, &far};
  Body body = bodyAt(0.0f, 0.0f);
  body.setRelativeHeadDir(20.0f);
  body.update(nullptr, nullptr, lines, 0, 0, 2);
  // The line at +60 relative to the head: head = 0 + (90 - 60).
  EXPECT_NEAR(body.getHeadDir(), 30.0f, TOLERANCE);
  EXPECT_NEAR(body.getBodyDir(), 10.0f, TOLERANCE);
  body.update(nullptr, nullptr, lines, 0, 0, 1);
  // At -80: head = 0 - (-80 + 90).
  EXPECT_NEAR(body.getHeadDir(), -10.0f, TOLERANCE);
}

TEST(BodyUpdate, LandmarksWithoutADirectionNeitherTurnNorPlaceTheAgent) {
  FieldData fieldData;
  FieldLine line;
  FieldFlag flag;
  ASSERT_TRUE(line.parse(1, *parseEntry("((l r) 40)"), 1));
  ASSERT_TRUE(flag.parse(0, *parseEntry("((f c) 12)"), 1));
  line.update(fieldData);
  flag.update(fieldData);
  const FieldLine* lines[1] = {&line};
  const FieldFlag* flags[1] = {&flag};
  Body body = bodyAt(-5.0f, 3.0f, 25.0f);
  body.setPosDeviation(2.0f);
  body.update(flags, nullptr, lines, 1, 0, 1);
  EXPECT_FLOAT_EQ(body.getBodyDir(), 25.0f);
  EXPECT_FLOAT_EQ(body.getPos().getX(), -5.0f);
  EXPECT_FLOAT_EQ(body.getPos().getY(), 3.0f);
  EXPECT_FLOAT_EQ(body.getValidPosDeviation(), 2.0f);
}

// ---- sense_body ----

// A sense_body as the server sends it (the first of the recorded ones), with the fields
// the tests vary.
std::string senseBody(const std::string& viewMode = "high normal", const std::string& speed = "0 0",
                      const std::string& headAngle = "0", int dash = 0,
                      const std::string& focusTarget = "none") {
  return "(sense_body 12 (view_mode " + viewMode + ") (stamina 7500.5 0.9) (speed " + speed +
         ") (head_angle " + headAngle + ") (kick 1) (dash " + std::to_string(dash) +
         ") (turn 3) (say 4) (turn_neck 5) (catch 6) (move 7) (change_view 8) (arm (movable 9) "
         "(expires 10) (target 11.5 20) (count 12)) (focus (target " +
         focusTarget + ") (count 13)) (tackle (expires 14) (count 15)))";
}

bool parse(Body& body, const std::string& text, Side side = SI_LEFT) {
  return body.parseSenseBody(*support::parseMessage(text), side);
}

TEST(BodySenseBody, ReadsEveryFieldOfARecordedMessage) {
  Body body;
  ASSERT_TRUE(parse(body, senseBody()));
  EXPECT_EQ(body.getSenseBodyCycle(), 12u);
  EXPECT_FLOAT_EQ(body.getStamina(), 7500.5f);
  EXPECT_FLOAT_EQ(body.getEffort(), 0.9f);
  const unsigned int counts[] = {
      body.getKickCount(),  body.getTurnCount(), body.getSayCount(),        body.getTurnNeckCount(),
      body.getCatchCount(), body.getMoveCount(), body.getChangeViewCount(), body.getArmMovable(),
      body.getArmExpires(), body.getArmCount(),  body.getFocusCount(),      body.getTackleExpires(),
      body.getTackleCount()};
  const unsigned int expected[] = {1, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15};
  for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(counts[i], expected[i]) << i;
  EXPECT_FLOAT_EQ(body.getArmTargetDist(), 11.5f);
  EXPECT_FLOAT_EQ(body.getArmTargetDir(), -20.0f);
}

TEST(BodySenseBody, ViewModeWordsGiveQualityWidthAndAngle) {
  struct Case {
    const char* words;
    ViewModeQuality quality;
    ViewModeWidth width;
    float angle;
  };
  const Case cases[] = {{"high normal", VMQ_HIGH, VMW_NORMAL, 45.0f},
                        {"low wide", VMQ_LOW, VMW_WIDE, 90.0f},
                        {"high narrow", VMQ_HIGH, VMW_NARROW, 22.5f}};
  Body body;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words);
    ASSERT_TRUE(parse(body, senseBody(c.words)));
    EXPECT_EQ(body.getVMQuality(), c.quality);
    EXPECT_EQ(body.getVMWidth(), c.width);
    EXPECT_FLOAT_EQ(body.getViewAngle(), c.angle);
  }
}

TEST(BodySenseBody, HeadAngleAndSpeedAreNegatedAndTurnedIntoGlobalAxes) {
  Body body;
  body.setBodyDir(10.0f);
  ASSERT_TRUE(parse(body, senseBody("high normal", "0.5 20", "30")));
  EXPECT_FLOAT_EQ(body.getRelativeHeadDir(), -30.0f);
  EXPECT_FLOAT_EQ(body.getHeadDir(), -20.0f);
  body.completeParseSenseBody();
  EXPECT_NEAR(body.getVel().getMagnitude(), 0.5f, TOLERANCE);
  EXPECT_NEAR(body.getVel().getDirection(), -40.0f, TOLERANCE);
  // The arm's target direction 20 (negated) plus the head direction.
  EXPECT_NEAR(body.getPointingDir(), -40.0f, TOLERANCE);
}

TEST(BodySenseBody, FocusSideIsTeamRelative) {
  struct Case {
    Side side;
    const char* target;
    TeamId team;
  };
  const Case cases[] = {{SI_LEFT, "l 7", TID_TEAMMATE},
                        {SI_LEFT, "r 7", TID_OPPONENT},
                        {SI_RIGHT, "l 7", TID_OPPONENT},
                        {SI_RIGHT, "r 7", TID_TEAMMATE}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.side << " " << c.target);
    Body body;
    ASSERT_TRUE(parse(body, senseBody("high normal", "0 0", "0", 0, c.target), c.side));
    EXPECT_EQ(body.getFocusTargetTeamId(), c.team);
    EXPECT_EQ(body.getFocusTargetUniNum(), 7u);
    // "none" clears the number and leaves the team.
    ASSERT_TRUE(parse(body, senseBody(), c.side));
    EXPECT_EQ(body.getFocusTargetUniNum(), 0u);
    EXPECT_EQ(body.getFocusTargetTeamId(), c.team);
  }
}

TEST(BodySenseBody, CountersShiftByOneMessage) {
  Body body;
  ASSERT_TRUE(parse(body, senseBody("high normal", "0 0", "0", 12)));
  ASSERT_TRUE(parse(body, senseBody("high normal", "0 0", "0", 13)));
  EXPECT_TRUE(body.isDashCountChanged());
  EXPECT_FALSE(body.isKickCountChanged());
  EXPECT_FALSE(body.isTackleCountChanged());
  ASSERT_TRUE(parse(body, senseBody("high normal", "0 0", "0", 13)));
  EXPECT_FALSE(body.isDashCountChanged());
}

TEST(BodySenseBody, MalformedMessagesAreLoggedAndChangeNothing) {
  std::ostringstream& log = support::captureMainLog();
  Body body;
  ASSERT_TRUE(parse(body, senseBody("high normal", "0 0", "0", 12)));
  const std::string good = senseBody("high normal", "0.5 10", "0", 13);
  const std::string bad[] = {
      // A dash where the kick belongs.
      "(sense_body 12 (view_mode high normal) (stamina 1 1) (speed 0 0) (head_angle 0) "
      "(dash 3) (dash 13) (turn 3) (say 4) (turn_neck 5) (catch 6) (move 7) (change_view 8) "
      "(arm (movable 9) (expires 10) (target 11.5 20) (count 12)) (focus (target none) "
      "(count 13)) (tackle (expires 14) (count 15)))",
      senseBody("medium normal"),
      senseBody("high nice"),
      senseBody("high normal", "nan 0"),
      senseBody("high normal", "0 0", "0", 13, "x 7"),
      senseBody("high normal", "0 0", "0", -1),
      "(sense_body 12)",
      "(see 12 (view_mode high normal))",
      good.substr(0, good.find("(tackle")) + ")"};
  for (const std::string& text : bad) {
    SCOPED_TRACE(text);
    log.str("");
    EXPECT_FALSE(parse(body, text));
    EXPECT_EQ(body.getDashCount(), 12u);
    EXPECT_FLOAT_EQ(body.getSpeedAmount(), 0.0f);
    EXPECT_NE(log.str().find("Skipping"), std::string::npos);
  }
  EXPECT_TRUE(parse(body, good));
  EXPECT_EQ(body.getDashCount(), 13u);
}

TEST(BodySenseBody, CollisionIsJudgedFromPredictedAndSensedVelocity) {
  struct Case {
    const char* name;
    float predictedX, predictedY, sensedX, sensedY;
    TriAnswer collision;
  };
  const Case cases[] = {{"too slow to tell", 0.01f, 0.0f, 0.015f, 0.0f, TA_DONT_KNOW},
                        {"as predicted", 1.0f, 0.0f, 0.9f, 0.05f, TA_NO},
                        {"stopped short", 1.0f, 0.0f, 0.2f, 0.0f, TA_YES},
                        {"turned aside", 0.3f, 0.0f, 0.0f, 0.3f, TA_YES}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Vector sensed(Point(c.sensedX, c.sensedY));
    Body body;
    ASSERT_TRUE(parse(body, senseBody("high normal", std::to_string(sensed.getMagnitude()) + " " +
                                                         std::to_string(-sensed.getDirection()))));
    body.setVel() = Vector(Point(c.predictedX, c.predictedY));
    body.completeParseSenseBody();
    EXPECT_EQ(body.getCollisionStatus(), c.collision);
    // The sensed velocity replaces the prediction.
    EXPECT_NEAR(body.getVel().getX(), c.sensedX, 1e-3f);
  }
}

}  // namespace
}  // namespace tovren
