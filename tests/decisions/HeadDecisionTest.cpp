#include "decisions/HeadDecision.h"

#include "connection/Command.h"
#include "support/AgentScene.h"
#include "support/Scene.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tovren {
namespace {

using support::linesWith;

constexpr TurnNeckMode BY_DISTANCE = TNM_LOOK_BY_BALL_DISTANCE;
constexpr TurnNeckMode NORMALLY = TNM_LOOK_NORMALLY;
constexpr TurnNeckMode CAREFULLY = TNM_LOOK_CAREFULLY;
constexpr TurnNeckMode TO_BALL = TNM_LOOK_NORMALLY_TO_BALL;
constexpr TurnNeckMode AT_BALL = TNM_LOOK_CAREFULLY_TO_BALL;
constexpr TurnNeckMode AT_GOALIE = TNM_LOOK_CAREFULLY_TO_OPP_GOALIE;

class HeadDecisionTest : public ::testing::Test {
 protected:
  void SetUp() override { build(); }
  // A new agent facing along +x at the centre, every view part seen 5 cycles ago.
  void build() {
    agent = support::makeAgent(directory, {"--offline-player"});
    worldModel = agent->worldModel.get();
    support::feedRecordedParameters(*worldModel);
    // Number 9: the agent stands among its teammates, but is no object of its own view.
    worldModel->setBody().setUniNum(9);
    worldModel->replaceBodyInPlayersList(9);
    // The last see 60 ms into the cycle: a normal look stays normal, a careful one narrow.
    agent->setSeeReceiveMS(60 + 150);
    placeAgent(Point(0, 0));
    support::markAllViewPartsSeen(*worldModel);
    for (int cycle = 0; cycle < 5; ++cycle) worldModel->updateSeeDeltaCyclesAfterSenseBody();
    decision = std::make_unique<HeadDecision>(agent.get());
  }
  // The agent facing along +x, its neck at the angle, and the ball somewhere.
  void placeAgent(const Point& pos, float neck = 0) {
    support::placeAgentWithBall(*worldModel, pos.x, pos.y, 0, 20);
    worldModel->setBody().setRelativeHeadDir(neck);
    worldModel->setBody().setHeadDir(neck);
  }
  void placeBall(const Point& pos) {
    worldModel->setBall().setPos().setAsCartesian(pos.x, pos.y);
    worldModel->setBall().updateRelativeVecs(worldModel->getBody());
  }
  // A see with the head at the direction (normal width) covers the parts near it.
  void lookAt(float headDir) {
    Body& body = worldModel->setBody();
    const float before = body.getHeadDir();
    body.setHeadDir(headDir);
    worldModel->updateSeeDeltaCyclesAfterSee();
    body.setHeadDir(before);
  }
  // The turn_neck and change_view texts of a decision in the mode.
  std::string decide(TurnNeckMode mode, const Command* bodyCommand = nullptr) {
    decision->setMode(mode);
    decision->decide(bodyCommand);
    return decision->getTurnNeckCommand()->toString() +
           decision->getChangeViewCommand()->toString();
  }

  support::ScratchDirectory directory;
  std::unique_ptr<support::ProbeAgent> agent;
  WorldModel* worldModel = nullptr;
  std::unique_ptr<HeadDecision> decision;
};

TEST_F(HeadDecisionTest, ResolvesTheModeAndAsksForItsSyncedWidth) {
  struct Case {
    const char* name;
    TurnNeckMode mode;
    Point ball;
    bool goalie;
    TurnNeckMode expected;
    const char* width;
  } cases[] = {
      {"by distance, ball at 7.5", BY_DISTANCE, {7.5f, 0}, false, CAREFULLY, "narrow"},
      {"by distance, ball at 7.51", BY_DISTANCE, {7.51f, 0}, false, NORMALLY, "normal"},
      {"to ball, at the visible distance", TO_BALL, {3, 0}, false, TO_BALL, "normal"},
      {"to ball, just inside", TO_BALL, {2.99f, 0}, false, CAREFULLY, "narrow"},
      {"at ball, at the visible distance", AT_BALL, {0, 3}, false, AT_BALL, "narrow"},
      {"at ball, just inside", AT_BALL, {0, 2.99f}, false, CAREFULLY, "narrow"},
      {"to ball, behind the agent", TO_BALL, {-20, 0}, false, NORMALLY, "normal"},
      {"goalie unknown", AT_GOALIE, {20, 0}, false, CAREFULLY, "narrow"},
      {"goalie known", AT_GOALIE, {20, 0}, true, AT_GOALIE, "narrow"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    placeBall(c.ball);
    worldModel->setFullPlayer(TID_OPPONENT, 0).kill();
    if (c.goalie) support::placeFullPlayer(*worldModel, TID_OPPONENT, 1, 20, 5).setGoalie(true);
    const std::string texts = decide(c.mode);
    EXPECT_EQ(decision->getMode(), c.expected);
    EXPECT_NE(texts.find(std::string("(change_view ") + c.width + " high)"), std::string::npos);
  }
  decision->setMode(TNM_NONE);
  EXPECT_DEATH(decision->decide(nullptr), "mode != TNM_NONE");
}

TEST_F(HeadDecisionTest, AimsTheHeadFromThePredictedBodyAtTheBallOrTheGoalie) {
  TurnCommand turnLeft(90);
  struct Case {
    const char* name;
    TurnNeckMode mode;
    Point ball;
    float lookedAt;  // the part seen last cycle, 0 for none
    const Command* body;
    const char* expected;
  } cases[] = {
      {"at the ball after a turn", AT_BALL, {10, 10}, 0, &turnLeft, "(turn_neck 45.00)"},
      {"at the goalie", AT_GOALIE, {10, 10}, 0, nullptr, "(turn_neck 45.00)"},
      {"to the ball, equally old sides", TO_BALL, {10, 0}, 0, nullptr, "(turn_neck 30.00)"},
      {"to the ball, the side seen longer ago",
       TO_BALL,
       {10, 0},
       320,
       nullptr,
       "(turn_neck -30.00)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    build();
    support::placeFullPlayer(*worldModel, TID_OPPONENT, 1, 10, -10).setGoalie(true);
    placeBall(c.ball);
    if (c.lookedAt != 0) lookAt(c.lookedAt);
    decide(c.mode, c.body);
    EXPECT_EQ(decision->getTurnNeckCommand()->toString(), c.expected);
  }

  // A ball no longer known: the neck goes back to straight ahead.
  placeAgent(Point(0, 0), 20);
  worldModel->setBall().kill();
  EXPECT_EQ(decide(TO_BALL), "(turn_neck 20.00)(change_view normal high)");
}

TEST_F(HeadDecisionTest, SearchesTheViewPartsThatMostNeedALook) {
  struct Case {
    const char* name;
    Point agent, ball;
    float neck;
    bool opponent, lookedAhead;
    std::vector<std::string> parts;  // log lines
    const char* expected;
  } cases[] = {
      // clang-format off
      {"an opponent, the ball behind", {0, 0}, {-20, 0}, 0, true, true,
       {"0: Cycles 0 Objects 0 Weight 1.00", "2: Cycles 5 Objects 1 Weight 42.15",
        "4: Cycles 5 Objects 1 Weight 294.15"},
       "(turn_neck -50.00)"},
      {"a tie keeps the neck angle nearest -90", {0, 0}, {-20, 0}, 20, false, true,
       {"7: Cycles 5 Objects 0 Weight 6.00"},
       "(turn_neck 110.00)"},
      {"the ball within the visible distance weighs every part", {0, 0}, {2, 0}, 0, false, true,
       {"0: Cycles 0 Objects 1 Weight 49.15", "3: Cycles 5 Objects 0 Weight 42.00"},
       "(turn_neck 30.00)"},
      {"in the shoot area the goal mouth weighs double", {40, 0}, {20, 0}, 0, false, false,
       {"0: Cycles 5 Objects 0 Weight 12.00", "1: Cycles 5 Objects 0 Weight 6.00"},
       "(turn_neck 30.00)"},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    build();
    placeAgent(c.agent, c.neck);
    placeBall(c.ball);
    if (c.opponent) support::placeFullPlayer(*worldModel, TID_OPPONENT, 9, 1.7365f, 9.8481f);
    if (c.lookedAhead) lookAt(0);
    std::ostringstream& log = support::captureMainLog();
    EXPECT_EQ(decide(NORMALLY), std::string(c.expected) + "(change_view normal high)");
    for (const std::string& part : c.parts) {
      EXPECT_EQ(linesWith(log.str(), "\t" + part.substr(0, 2)),
                std::vector<std::string>{"  0000. \t" + part});
    }
  }
}

}  // namespace
}  // namespace tovren
