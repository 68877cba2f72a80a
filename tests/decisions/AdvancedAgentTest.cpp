#include "decisions/AdvancedAgent.h"

#include "connection/Command.h"
#include "foundation/SayEncoding.h"
#include "support/AgentScene.h"
#include "support/DecisionScene.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tovren {
namespace {

using support::ScratchDirectory;

// A player whose world model is the scene's, copied in before each decision.
class AdvancedAgentScene : public support::DecisionScene {
 protected:
  void SetUp() override {
    agent = support::makeAgent(directory, {"--offline-player", "--number", "9"});
    DecisionScene::SetUp();
  }
  // The scene's world model becomes the player's.
  support::ProbeAgent& load() {
    agent->worldModel->copyFrom(*worldModel, true);
    log->str("");
    return *agent;
  }
  bool logged(const std::string& line) const {
    return log->str().find(line + "\n") != std::string::npos;
  }
  void hear(const std::string& text) { agent->hear(*support::parseMessage(text)); }

  ScratchDirectory directory;
  std::unique_ptr<support::ProbeAgent> agent;
};

TEST_F(AdvancedAgentScene, BodyDecisionFollowsPlayModeGoalieRoleAndBall) {
  enum Decision { LOOK, GOALIE, WITH_BALL, WITHOUT_BALL, PENALTY, NON_PLAY_ON };
  struct Case {
    const char* name;
    unsigned int uniNum;
    Point agentPos;
    float ballAhead;  // metres straight ahead; 0 leaves the ball lost
    const char* referee;
    VirtualPlayMode virtualMode;
    int lastDecideType;
    bool teammateAtBall;
    Decision expected;
  } cases[] = {
      {"lost ball in play_on", 9, {0, 0}, 0, "play_on", VPM_NONE, DT_NONE, false, LOOK},
      {"lost ball at a kick-off",
       9,
       {-10, 0},
       0,
       "before_kick_off",
       VPM_NONE,
       DT_NONE,
       false,
       LOOK},
      {"goalie far from the ball", 1, {-50, 0}, 25, "play_on", VPM_NONE, DT_NONE, false, GOALIE},
      {"goalie with the ball", 1, {-50, 0}, 0.5f, "play_on", VPM_NONE, DT_NONE, false, GOALIE},
      {"kickable ball", 9, {10, 0}, 0.5f, "play_on", VPM_NONE, DT_NONE, false, WITH_BALL},
      {"number 11's ball", 11, {10, 0}, 0.5f, "play_on", VPM_NONE, DT_NONE, false, WITH_BALL},
      {"ball far", 9, {10, 0}, 20, "play_on", VPM_NONE, DT_NONE, false, WITHOUT_BALL},
      {"shared ball after a dribble",
       9,
       {10, 0},
       0.5f,
       "play_on",
       VPM_NONE,
       DT_DRIBBLE,
       true,
       WITH_BALL},
      {"shared ball after a pass", 9, {10, 0}, 0.5f, "play_on", VPM_NONE, DT_PASS, true, WITH_BALL},
      {"shared ball after an intercept",
       9,
       {10, 0},
       0.5f,
       "play_on",
       VPM_NONE,
       DT_INTERCEPT,
       true,
       WITHOUT_BALL},
      {"shared ball in the first cycle",
       9,
       {10, 0},
       0.5f,
       "play_on",
       VPM_NONE,
       DT_NONE,
       true,
       WITHOUT_BALL},
      {"our goal kick taken",
       9,
       {-20, 0},
       10,
       "goal_kick_l",
       VPM_GOAL_KICK_TAKEN,
       DT_NONE,
       false,
       WITHOUT_BALL},
      {"our goal kick", 9, {-20, 0}, 10, "goal_kick_l", VPM_NONE, DT_NONE, false, NON_PLAY_ON},
      {"before kick-off",
       9,
       {-10, 0},
       10,
       "before_kick_off",
       VPM_NONE,
       DT_NONE,
       false,
       NON_PLAY_ON},
      {"their penalty ready",
       9,
       {-10, 0},
       10,
       "penalty_ready_r",
       VPM_NONE,
       DT_NONE,
       false,
       PENALTY},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    scene(c.uniNum, c.agentPos, {c.agentPos.x + std::max(c.ballAhead, 1.0f), c.agentPos.y});
    if (c.teammateAtBall) placePlayer(TID_TEAMMATE, 10, {c.agentPos.x + 0.5f, 0.4f});
    if (c.ballAhead == 0) worldModel->setBall().setValidPosDeviation(1000);
    referee(c.referee);
    worldModel->setVirtualPlayMode(c.virtualMode);
    support::ProbeAgent& player = load();
    player.lastDecideType = c.lastDecideType;
    player.headDecision.setMode(TNM_LOOK_BY_BALL_DISTANCE);

    player.bodyDecide(0);
    ASSERT_NE(player.bodyCycleCommand, nullptr);
    EXPECT_EQ(logged("GroupWorks::decide"),
              c.expected == GOALIE || c.expected == WITH_BALL || c.expected == WITHOUT_BALL ||
                  (c.expected == LOOK && std::string(c.referee) == "play_on"));
    EXPECT_EQ(logged("NonPlayOnDecision"), c.expected == NON_PLAY_ON);
    const int type = player.getDecideType();
    const TurnNeckMode mode = player.headDecision.getMode();
    switch (c.expected) {
      case LOOK:
        EXPECT_EQ(type, DT_LOOKING_FOR_BALL);
        EXPECT_EQ(player.bodyCycleCommand->toString(), "(turn -45.00)");
        EXPECT_EQ(mode, TNM_LOOK_NORMALLY);
        break;
      case GOALIE:
        EXPECT_TRUE(mode == TNM_LOOK_NORMALLY_TO_BALL || mode == TNM_LOOK_CAREFULLY_TO_BALL ||
                    (type == DT_NONE && mode == TNM_LOOK_BY_BALL_DISTANCE))
            << mode;
        break;
      case WITH_BALL:
        EXPECT_EQ(mode, TNM_LOOK_CAREFULLY);
        EXPECT_TRUE(type == DT_PASS || type == DT_SHOOT || type == DT_CLEAR || type == DT_DRIBBLE ||
                    type == DT_SRP_DRIBBLE || type == DT_NONE)
            << type;
        break;
      case WITHOUT_BALL:
        EXPECT_EQ(mode, TNM_LOOK_BY_BALL_DISTANCE);
        EXPECT_TRUE(type == DT_TACKLE || type == DT_BLOCK || type == DT_DEFENSE ||
                    type == DT_INTERCEPT || type == DT_DRIBBLE_INTERCEPT || type == DT_NONE)
            << type;
        break;
      case PENALTY:
      case NON_PLAY_ON:
        break;
    }
    if (type == DT_NONE) EXPECT_EQ(player.bodyCycleCommand->toString(), "");
  }
}

TEST_F(AdvancedAgentScene, ABallNearerThanSevenAndAHalfMetresAsksForASecondDecision) {
  for (const auto& [distance, near] : {std::pair{7.49f, true}, std::pair{7.5f, false}}) {
    SCOPED_TRACE(distance);
    scene(9, {0, 0}, {distance, 0});
    EXPECT_EQ(load().bodyDecide(0), near);
  }
}

// The text of a teammate's message of the kind: the fields after the kind letter.
std::string said(char kind, const std::string& fields) {
  return std::string("\"") + kind + fields + "\"";
}
std::string code(unsigned int number) { return std::string(1, SayEncoding::sayCodeKey[number]); }
std::string ballFields() {
  std::string text;
  SayEncoding::encodeObjectPosition(-30, 5, text);
  SayEncoding::encodeObjectVelocity(1, 0, text);
  return text;
}

TEST_F(AdvancedAgentScene, HeardPassesTakeTheGoalKickAndSetWhomToListenTo) {
  struct Case {
    const char* name;
    const char* referee;
    unsigned int remainCycles;  // of the mode's countdown
    unsigned int sender;
    std::string message;
    bool goalKickTaken;
    unsigned int attention;
  } cases[] = {
      {"goalie's pass to 4 at 198 left", "goal_kick_l", 198, 1, said('A', ballFields() + code(4)),
       true, 0},
      {"goalie's pass to 4 at 199 left", "goal_kick_l", 199, 1, said('A', ballFields() + code(4)),
       false, 0},
      {"goalie names himself", "goal_kick_l", 150, 1, said('A', ballFields() + code(1)), false, 0},
      {"a field player's pass", "goal_kick_l", 150, 3, said('A', ballFields() + code(4)), false, 0},
      {"goalie's pass in play_on", "play_on", 0, 1, said('A', ballFields() + code(4)), false, 0},
      {"kickable mark asks for attention", "play_on", 0, 7, said('Y', code(18) + code(0) + "1"),
       false, 18},
      {"no mark", "play_on", 0, 7, said('Y', code(7) + code(0) + "0"), false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    scene(9, {-20, 0}, {-40, 0});
    referee(c.referee);
    while (worldModel->getPlayModeRemainCycle() > c.remainCycles) {
      worldModel->updatePlayModeRemainCycleAfterSenseBody();
    }
    ASSERT_EQ(worldModel->getPlayModeRemainCycle(), c.remainCycles);
    support::ProbeAgent& player = load();
    player.sayDecision.setSayFlags().reset();
    hear("(hear 0 -30 our " + std::to_string(c.sender) + " " + c.message + ")");
    EXPECT_EQ(player.getWorldModel().getVirtualPlayMode() == VPM_GOAL_KICK_TAKEN, c.goalKickTaken);
    EXPECT_EQ(logged("GOAL_KICK --> GOAL_KICK_TAKEN"), c.goalKickTaken);
    EXPECT_EQ(player.sayDecision.getSayFlags().attentionNum, c.attention);
  }
}

TEST_F(AdvancedAgentScene, AShootOutMirrorsTheFieldForTheSideThatAttacksTheGoalInUse) {
  struct Case {
    const char* referee;
    unsigned int uniNum;
    bool mirrored;
    const char* line;
  } cases[] = {
      {"penalty_onfield_l", 9, true, "Reverse. You are player"},
      {"penalty_onfield_l", 1, false, "NO! Don't Reverse. You are goalie"},
      {"penalty_onfield_r", 1, true, "Reverse. You are goalie"},
      {"penalty_onfield_r", 9, false, "NO! Don't Reverse. You are player"},
      {"play_on", 9, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.referee) + " " + std::to_string(c.uniNum));
    SetUp();
    scene(c.uniNum, {-20, 0}, {-40, 0});
    support::ProbeAgent& player = load();
    const float goalX = player.getWorldModel().getFieldData().getGoalPos(0).x;
    hear(std::string("(hear 0 referee ") + c.referee + ")");
    const float mirroredX = player.getWorldModel().getFieldData().getGoalPos(0).x;
    EXPECT_EQ(mirroredX, c.mirrored ? -goalX : goalX);
    if (*c.line != '\0') EXPECT_TRUE(logged(c.line));
  }
}

// A hear the world model refuses leaves the decision layer as it was: here a shoot-out
// already under way, whose check would mirror the field again.
TEST_F(AdvancedAgentScene, AHearTheWorldModelRefusesChangesNothingAbove) {
  scene(9, {-20, 0}, {-40, 0});
  load();
  hear("(hear 0 referee penalty_onfield_l)");
  ASSERT_TRUE(logged("Reverse. You are player"));
  for (const char* text : {"(hear 0)", "(hear 0 (x) our 7 \"Y790\")", "(hear 0 referee)",
                           "(hear x referee penalty_onfield_l)"}) {
    SCOPED_TRACE(text);
    log->str("");
    hear(text);
    EXPECT_NE(log->str().find("Skipping "), std::string::npos);
    EXPECT_FALSE(logged("AdvancedAgent.PENALTY: Reversing Field"));
  }
  hear("(hear 1 referee penalty_onfield_l)");
  EXPECT_TRUE(logged("AdvancedAgent.PENALTY: Reversing Field"));
}

}  // namespace
}  // namespace tovren
