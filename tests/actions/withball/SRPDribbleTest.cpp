#include "actions/withball/SRPDribble.h"

#include "connection/Command.h"
#include "decisions/SayDecisionFlags.h"
#include "support/InterceptScene.h"
#include "support/KickScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Body.h"
#include "worldmodel/KickCalculate.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tovren {
namespace {

constexpr float VALUE_TOLERANCE = 0.01f;

// A kick whose catchers a test names: the agent, then an opponent unless he comes first.
class ControlledKick : public KickInterceptCalculate {
 public:
  ControlledKick(const Player& agent, unsigned int agentTime, const Point& target,
                 const Player* opp, unsigned int oppTime, float power) {
    valid = true;
    kickCommand = std::make_unique<KickCommand>(power, 0.0f);
    const bool oppFirst = opp != nullptr && oppTime < agentTime;
    if (oppFirst) add(*opp, oppTime, target);
    add(agent, agentTime, target);
    if (opp != nullptr && !oppFirst) add(*opp, oppTime, target);
    fastestPlayerNum = 0;
    fastestOppPlayerNum = opp == nullptr ? NONE : oppFirst ? 0 : 1;
  }

 private:
  void add(const Player& player, unsigned int time, const Point& target) {
    InterceptPlayer record;
    record.init(player, Ball(), InterceptPlayerParams());
    record.finalizeIntercept(support::makeSceneBall(target), time);
    checkedInterPlayers[checkedPlayersNum++].init(record);
  }
};

class ControlledFan : public KickCalculate {
 public:
  void fill(std::vector<std::unique_ptr<KickInterceptCalculate>> kicks) {
    setSimulates(std::move(kicks));
  }
};

class ProbeDribble : public SRPDribble {
 public:
  ProbeDribble(const WorldModel* wm, const KickCalculate* controlled) : SRPDribble(wm) {
    fan = controlled;
  }
};

// The agent at body facing +x with the ball 0.5 m ahead, every direction just seen, two
// opponents making the offside line at lineX, and opponent 5 (the catcher) far away.
struct DribbleScene {
  DribbleScene(const Point& body, unsigned int uniNum, float stamina, float lineX, bool goalie) {
    support::setAgentConfig(true);
    wm = std::make_unique<WorldModel>();
    wm->setBody().setUniNum(uniNum);
    wm->setBody().setStamina(stamina);
    support::placeAgentWithBall(*wm, body.x, body.y, 0.0f, 0.5f);
    support::markAllViewPartsSeen(*wm);
    support::placeFullPlayer(*wm, TID_OPPONENT, 2, lineX, 30.0f);
    support::placeFullPlayer(*wm, TID_OPPONENT, 3, lineX, -30.0f);
    support::placeFullPlayer(*wm, TID_OPPONENT, 5, -50.0f, 0.0f).setGoalie(goalie);
  }
  const Player* opp() const { return &wm->getFullPlayer(TID_OPPONENT, 4); }

  std::unique_ptr<WorldModel> wm;
  ControlledFan fan;
};

TEST(SRPDribble, KicksPayThePenaltiesOfDangerReachStaminaAndTheDefenceLine) {
  // Baseline: the agent reaches (body x + 10, body y) alone in 5 cycles with the line at
  // 25: 3×2 + 4×10 + 0.8×12 + 4×6 + 4×5 = 99.6, then 2×5 for the broken line.
  struct Case {
    const char* name;
    Point body;
    unsigned int uniNum;
    float stamina;
    float lineX;
    unsigned int agentTime;
    int oppTime;  // -1: no opponent reaches the ball
    bool goalie;
    float value;
    float targetDy = 0;  // the target (body x + 10, body y + targetDy)
  };
  const Case cases[] = {
      {"alone", {20, 0}, 9, 8000, 25, 5, -1, false, 109.6f},
      {"reach 10 is free", {20, 0}, 9, 8000, 25, 10, -1, false, 109.6f},
      {"reach 11 costs 1", {20, 0}, 9, 8000, 25, 11, -1, false, 108.6f},
      {"reach 13 costs 27", {20, 0}, 9, 8000, 25, 13, -1, false, 82.6f},
      {"stamina left 1400 passes", {20, 0}, 9, 1575, 25, 5, -1, false, 109.6f},
      {"stamina left 1399 fails", {20, 0}, 9, 1574, 25, 5, -1, false, -10000},
      {"tie in cycle 5 costs 35", {20, 0}, 9, 8000, 25, 5, 5, false, 68.6f},
      {"tie in cycle 6 costs 35", {20, 0}, 9, 8000, 25, 6, 6, false, 68.6f},
      {"tie after cycle 6", {20, 0}, 9, 8000, 25, 7, 7, false, -10000},
      // 26.57 degrees off: path 10.23, speed 12 - 10.74, and 0.53 for looking that far aside.
      {"target 26.6 degrees off", {20, 0}, 9, 8000, 25, 5, -1, false, 88.44f, 5},
      {"opponent first", {20, 0}, 9, 8000, 25, 5, 4, false, 23.6f},
      {"tie in cycle 1 is his kick", {20, 0}, 9, 8000, 25, 1, 1, false, -10000},
      {"goalie 7 cycles later", {20, 0}, 9, 8000, 25, 2, 9, true, 124.6f},
      {"goalie 6 cycles later", {20, 0}, 9, 8000, 25, 2, 8, true, -10000},
      // Nothing gained on the line: only a winger near his touch line may still go.
      {"no break", {20, 0}, 9, 8000, 40, 5, -1, false, -10000},
      {"left winger", {25.5f, 16}, 10, 8000, 40, 5, -1, false, 79.6f},
      {"right winger on the left", {25.5f, 16}, 11, 8000, 40, 5, -1, false, -10000},
      {"left winger on the right", {25.5f, -16}, 10, 8000, 40, 5, -1, false, -10000},
      {"left winger at ball x 25", {24.5f, 16}, 10, 8000, 40, 5, -1, false, -10000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DribbleScene scene(c.body, c.uniNum, c.stamina, c.lineX, c.goalie);
    std::vector<std::unique_ptr<KickInterceptCalculate>> kicks;
    kicks.push_back(std::make_unique<ControlledKick>(
        scene.wm->getBody(), c.agentTime, Point(c.body.x + 10, c.body.y + c.targetDy),
        c.oppTime < 0 ? nullptr : scene.opp(), static_cast<unsigned int>(c.oppTime), 50));
    scene.fan.fill(std::move(kicks));
    auto dribble = std::make_unique<ProbeDribble>(scene.wm.get(), &scene.fan);
    EXPECT_NEAR(dribble->getValue(), c.value, VALUE_TOLERANCE);
  }
}

TEST(SRPDribble, FirstOfTheBestKicksIsPublishedAsAFreshCopyEachTime) {
  DribbleScene scene({20, 0}, 9, 8000, 25, false);
  std::vector<std::unique_ptr<KickInterceptCalculate>> kicks;
  // Only the opponent reaches the first kick; the next two are equal.
  kicks.push_back(std::make_unique<ControlledKick>(*scene.opp(), 3, Point(30, 0), nullptr, 0, 10));
  kicks.push_back(
      std::make_unique<ControlledKick>(scene.wm->getBody(), 5, Point(30, 0), nullptr, 0, 20));
  kicks.push_back(
      std::make_unique<ControlledKick>(scene.wm->getBody(), 5, Point(30, 0), nullptr, 0, 30));
  scene.fan.fill(std::move(kicks));
  auto dribble = std::make_unique<ProbeDribble>(scene.wm.get(), &scene.fan);
  EXPECT_NEAR(dribble->getValue(), 109.6f, VALUE_TOLERANCE);

  SayDecisionFlags flags;
  dribble->execute(flags);
  const std::unique_ptr<Command> first = dribble->takeCommand();
  dribble->execute(flags);
  const std::unique_ptr<Command> second = dribble->takeCommand();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first.get(), second.get());
  EXPECT_FLOAT_EQ(commandAs<KickCommand>(first.get())->getPower(), 20.0f);
  EXPECT_EQ(first->toString(), second->toString());

  scene.fan.fill({});
  EXPECT_EQ(dribble->getValue(), SRPDribble::NO_DRIBBLE_VALUE);
  dribble->execute(flags);
  EXPECT_EQ(dribble->getCommand(), nullptr) << "an empty fan prepares nothing";
}

}  // namespace
}  // namespace tovren
