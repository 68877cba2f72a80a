#include "decisions/SayDecision.h"

#include "connection/Command.h"
#include "geometry/Degree.h"
#include "support/PositioningScene.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tovren {
namespace {

using support::polar;

// One packing step: 0.2 m of position (and the float rounding of a value on the grid's
// edge), 0.01 of speed, 0.25 degrees of direction.
constexpr float POS_STEP = 0.2f + 1e-4f;
constexpr float SPEED_STEP = 0.01f;
constexpr float DIR_STEP = 0.25f;
// Body and ball touch: player size 0.3 plus ball size 0.085.
constexpr float TOUCHING = 0.385f;

// Agent 7 at (-1, 0) facing +x in play_on at cycle 20, and teammate 3, who hears it, far
// from its own ball at cycle 5.
class SayDecisionTest : public support::PositioningScene {
 protected:
  void SetUp() override {
    PositioningScene::SetUp();
    referee("play_on");
    placeAgent(7, Point(-1, 0));
    worldModel->setCurTime(20);
    decision = std::make_unique<SayDecision>(worldModel.get());
    hearer = std::make_unique<WorldModel>();
    support::feedRecordedParameters(*hearer);
    hearer->setBody().setUniNum(3);
    hearer->replaceBodyInPlayersList(3);
    support::placeAgentWithBall(*hearer, -40, 30, 0, 40);
    hearer->setCurTime(5);
  }
  // The text said, "" when nothing is.
  std::string said() const {
    const auto* say = commandAs<SayCommand>(decision->getSayCommand());
    return say != nullptr ? say->getMessage() : "";
  }
  void hearSaid() {
    hearer->parseHear(*support::parseMessage("(hear 5 -30 our 7 \"" + said() + "\")"));
  }
  SayDecisionFlags& flags() { return decision->setSayFlags(); }

  std::unique_ptr<SayDecision> decision;
  std::unique_ptr<WorldModel> hearer;
};

TEST_F(SayDecisionTest, BallMessagesAreReadBackByATeammateWithinOnePackingStep) {
  KickCommand fullKick(100, 0);
  struct Case {
    const char* name;
    char kind;
    Point ball;
    Vector vel;
    const Command* body;
    unsigned int interceptNum, requestPassNum;
    Point heardBall;  // where the ball starts the next cycle
    float speed, dir;
  } cases[] = {
      // clang-format off
      {"A, no body command", 'A', {10.3f, -5.7f}, polar(1.2f, 30), nullptr, 9, 0,
       {11.339f, -5.1f}, 1.128f, 30},
      {"A, kicked at full power", 'A', {-1 + TOUCHING, 0}, {}, &fullKick, 0, 0,
       {2.7f - 1 + TOUCHING, 0}, 2.538f, 0},
      {"A, outside the field", 'A', {60, -40}, {}, nullptr, 4, 0, {52.8f, -35}, 0, 0},
      {"Z, a block code", 'Z', {20.1f, 10.1f}, polar(0.5f, -90), nullptr, 18, 10,
       {20.1f, 9.63f}, 0.47f, 270},
      {"B, relative to receiver 9 blocking", 'B', {25, 12}, polar(1, 0), nullptr, 20, 0,
       {26, 12}, 0.94f, 0},
      // clang-format on
  };
  placePlayer(TID_TEAMMATE, 9, Point(20, 10));
  support::placeFullPlayer(*hearer, TID_TEAMMATE, 9, 20, 10);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    placeBall(c.ball);
    worldModel->setBall().setVel() = c.vel;
    flags().sayInterceptNum = c.interceptNum;
    flags().requestPassNum = c.requestPassNum;
    if (c.kind == 'A') decision->sayBeforePass(c.body);
    if (c.kind == 'Z') decision->sayRoutinBall(c.body);
    if (c.kind == 'B') decision->sayBeforePassRelated(c.body);
    hearSaid();
    EXPECT_EQ(hearer->getHearedHeader(), c.kind);
    EXPECT_EQ(hearer->getHearedInterceptNum(), c.interceptNum);
    EXPECT_EQ(hearer->getHearedRequestPassNum(), c.requestPassNum);
    const Ball& heard = hearer->getBall();
    EXPECT_NEAR(heard.getPos().getX(), c.heardBall.x, POS_STEP);
    EXPECT_NEAR(heard.getPos().getY(), c.heardBall.y, POS_STEP);
    EXPECT_NEAR(heard.getVel().getMagnitude(), c.speed, SPEED_STEP);
    EXPECT_NEAR(Degree::getDeltaAngle(heard.getVel().getDirection(), c.dir), 0, DIR_STEP);
  }
  for (unsigned int number : {0u, 23u}) {
    flags().sayInterceptNum = number;
    decision->sayBeforePassRelated(nullptr);
    EXPECT_EQ(decision->getSayCommand()->getKind(), CK_EMPTY) << "no receiver " << number;
  }
}

TEST_F(SayDecisionTest, SaysOneMessageByPriorityThatATeammateReadsAndNothingWhenSilent) {
  struct Case {
    const char* name;
    bool freeKick, beforePass, suggestPass;
    unsigned int requestPassNum;
    bool posSeen, velSeen;
    const char* expected;  // the ball rests at the centre, in the agent's reach
  } cases[] = {
      {"nothing to say", false, false, false, 0, false, false, ""},
      {"a pass request", false, false, false, 9, false, false, "Yf91"},
      {"only the ball's position seen", false, false, false, 9, true, false, "Yf91"},
      {"only the position and no request", false, false, false, 0, true, false, ""},
      {"the ball seen", false, false, false, 9, true, true, "Zdxh000f91"},
      {"a suggestion before the ball", false, false, true, 9, true, true, "CZ*_v/vb"},
      {"a pass before a suggestion", false, true, true, 9, true, true, "Adxh0004"},
      {"advice before a pass", true, true, true, 9, true, true, "Fa"},
  };
  placeBall(Point(0, 0));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    flags() = SayDecisionFlags();
    flags().freeKick = c.freeKick;
    flags().freeKickAdviceNum = 10;
    flags().beforePass = c.beforePass;
    flags().sayInterceptNum = 4;  // the pass's receiver
    flags().suggestPass = c.suggestPass;
    flags().passSpeed = 2.7f;
    flags().passDir = -40;
    flags().passWeight = 37.5f;
    flags().suggestedReceiver = 11;
    flags().requestPassNum = c.requestPassNum;
    worldModel->setBall().setSeeTime(c.posSeen ? 20 : 19);
    worldModel->setBall().setVelSeeTime(c.velSeen ? 20 : 19);
    decision->decide(nullptr, 15);
    EXPECT_EQ(said(), c.expected);
    if (said().empty()) continue;
    hearSaid();
    EXPECT_EQ(hearer->getHearedHeader(), c.expected[0]);
  }
  // The last two heard: the suggestion (at the speed cap from 54.25 degrees on, one step
  // slower) and the advice.
  EXPECT_EQ(hearer->getHearedSuggestPassNum(), 11u);
  EXPECT_NEAR(hearer->getHearedSuggestPassSpeed(), 2.69f, 1e-4f);
  EXPECT_NEAR(hearer->getHearedSuggestPassDir(), 320, DIR_STEP);
  EXPECT_NEAR(hearer->getHearedSuggestPassWeight(), 37.5f, 1e-3f);
  EXPECT_EQ(hearer->getFreeKickAdvicerSayNumber(), 10u);
}

TEST_F(SayDecisionTest, ListensToOneTeammateNumberedOneToEleven) {
  struct Case {
    const char* name;
    unsigned int attentionNum, interceptNum;
    bool teammates;
    int expected;
  } cases[] = {
      {"asked", 4, 2, true, 4},
      {"asked by a block code", 15, 2, true, 4},
      {"asked by number 11's block code", 22, 2, true, 11},
      {"asked beyond the codes: ignored", 23, 0, true, 3},
      {"the interceptor", 0, 2, true, 2},
      {"the blocker", 0, 15, true, 4},
      {"the agent intercepts: nearest, lower on a tie", 0, 7, true, 3},
      {"the agent blocks", 0, 18, true, 3},
      {"beyond the codes", 0, 40, true, 3},
      {"nobody known", 0, 0, false, 9},
      // The server ignores an attention to oneself: none is sent (0).
      {"asked for the agent itself", 7, 2, true, 0},
      {"asked by the agent's own block code", 18, 2, true, 0},
  };
  placeBall(Point(0, 0));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (unsigned int number : {2, 3, 5})
      worldModel->setFullPlayer(TID_TEAMMATE, number - 1).kill();
    if (c.teammates) {
      placePlayer(TID_TEAMMATE, 3, Point(0, 5));
      placePlayer(TID_TEAMMATE, 5, Point(0, -5));
      placePlayer(TID_TEAMMATE, 2, Point(0, 8));
    }
    flags().attentionNum = c.attentionNum;
    decision->decide(nullptr, c.interceptNum);
    EXPECT_EQ(decision->getAttentionCommand()->toString(),
              c.expected == 0 ? "" : "(attentionto our " + std::to_string(c.expected) + ")");
  }
}

}  // namespace
}  // namespace tovren
