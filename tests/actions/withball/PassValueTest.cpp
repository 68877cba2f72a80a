#include "actions/withball/Pass.h"

#include "connection/Command.h"
#include "decisions/SayDecisionFlags.h"
#include "foundation/SayEncoding.h"
#include "support/ChildProcess.h"
#include "support/KickScene.h"
#include "support/PassScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Body.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

// Every heap allocation of this test binary is counted, so that repeated valuings can be
// shown to leave nothing behind. Kept out of line, where the compiler cannot pair the
// standard operators with malloc and free.
namespace {
long liveAllocations = 0;
}  // namespace
__attribute__((noinline)) void* operator new(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  ++liveAllocations;
  return p;
}
__attribute__((noinline)) void operator delete(void* p) noexcept {
  if (p != nullptr) --liveAllocations;
  std::free(p);
}
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept {
  if (p != nullptr) --liveAllocations;
  std::free(p);
}

namespace tovren {
namespace {

using support::FactorEdit;

// With the token factor file every raw measure here lies below its row's MinValue, so a
// kind's value is the sum of each row's MinWeight (direct) or MaxWeight (inverse):
// 15000 × kind + 1076, the shooting row twice and the dribble row never, plus the plan.
constexpr float OFFENSE_TOKEN_SUM = 16076.0f;
constexpr float PLAN_TWO_TO_THREE = 60.0f;

class OpenPass : public Pass {
 public:
  using Pass::breakOffsideRate;
  using Pass::crossCalculate;
  using Pass::crossRate;
  using Pass::crossValues;
  using Pass::offenseMaxIndex;
  using Pass::offenseRate;
  using Pass::offenseValues;
  using Pass::Pass;
  using Pass::passFactors;
  using Pass::secureBallRate;
  using Pass::secureBallValues;
};

// Who reaches a hand-made kick's ball, where and in which cycle.
struct Catch {
  const Player* player;
  Point at;
  unsigned int time;
  bool extra = true;
};

// A kick whose outcome the test writes: the first ball from the world model's ball with
// the given velocity, the kicker the agent, an opponent 5 m off the receiver at 30 degrees.
class HandKick : public KickInterceptCalculate {
 public:
  HandKick(const WorldModel& wm, float speed, bool isValid, const std::vector<Catch>& catches) {
    valid = isValid;
    kickCommand = std::make_unique<KickCommand>(50.0f, 10.0f);
    firstBall = wm.getBall();
    firstBall.setVel().setAsCartesian(speed, 0.0f);
    kickPlayer = &wm.getBody();
    passedOppPlayers = 1;
    nearestOppToFastestDist = 5.0f;
    nearestOppToFastestDir = 30.0f;
    checkedPlayersNum = static_cast<unsigned int>(catches.size());
    for (unsigned int i = 0; i < checkedPlayersNum; ++i) {
      InterceptPlayer record;
      record.init(*catches[i].player, wm.getBall(), InterceptPlayerParams());
      record.getReadyToRun();
      Ball ball;
      ball.setPos() = Vector(catches[i].at);
      record.finalizeIntercept(ball, catches[i].time);
      record.setExtraCatched(catches[i].extra);
      checkedInterPlayers[i].init(record);
      if (i == 0) fastestPlayerNum = 0;
      unsigned int& team = catches[i].player->getTeamId() == TID_TEAMMATE ? fastestTmmPlayerNum
                                                                          : fastestOppPlayerNum;
      if (team == NONE) team = i;
    }
  }
};

class HandFan : public KickCalculate {
 public:
  using KickCalculate::setSimulates;
};

class HandCrosses : public CrossCalculate {
 public:
  using KickCalculate::setSimulates;
};

class PassValue : public ::testing::Test {
 protected:
  void SetUp() override {
    support::setAgentConfig(true);
    wm = std::make_unique<WorldModel>();
    support::feedRecordedParameters(*wm);
    support::placeAgentWithBall(*wm, -0.5f, 0.0f, 0.0f, 0.5f);
    wm->setBody().setUniNum(2);
    wm->setCurTime(12);
    support::markAllViewPartsSeen(*wm);
    for (unsigned int n = 1; n <= 11; ++n) {
      support::placeFullPlayer(*wm, TID_TEAMMATE, n, -10.0f + n, 20.0f).setStamina(4000.0f);
      support::placeFullPlayer(*wm, TID_OPPONENT, n, 40.0f, -30.0f + n);
    }
    wm->setFullPlayer(TID_TEAMMATE, 0).setGoalie(true);
  }
  std::unique_ptr<OpenPass> makePass(const std::vector<FactorEdit>& edits = {}) {
    directory.write("Configs/PassFactors.conf", support::passFactorsText(edits));
    support::WorkingDirectory inside(directory.path());
    auto pass = std::make_unique<OpenPass>(wm.get(), false);
    if (!kicks.empty()) fan.setSimulates(std::move(kicks));
    kicks.clear();
    pass->setCurKickCalculate(&fan);
    return pass;
  }
  const Player* tmm(unsigned int n) { return &wm->getFullPlayer(TID_TEAMMATE, n - 1); }
  void addKick(float speed, std::vector<Catch> catches, bool valid = true) {
    kicks.push_back(std::make_unique<HandKick>(*wm, speed, valid, catches));
  }
  void hearSuggestion(float speed, float dir, float weight, unsigned int receiver) {
    std::string text = "\"C";
    SayEncoding::encodeObjectVelocity(speed, dir, text);
    SayEncoding::encodeWeight(weight, -50.0f, 150.0f, text);
    wm->suggestPassTmmHear(text + SayEncoding::sayCodeKey[receiver] + "\"", 4);
  }

  support::ScratchDirectory directory;
  std::unique_ptr<WorldModel> wm;
  std::vector<std::unique_ptr<KickInterceptCalculate>> kicks;
  HandFan fan;
};

TEST_F(PassValue, OurKickOffPassesSidewaysByTheCycleParity) {
  wm->parseHear(*support::parseMessage("(hear 0 referee kick_off_l)"));
  auto pass = makePass();
  for (unsigned int cycle : {12u, 13u}) {
    SCOPED_TRACE(cycle);
    wm->setCurTime(cycle);
    EXPECT_EQ(pass->getValue(), 10.0f);
    EXPECT_EQ(pass->getPassModel(), PM_KICK_OFF);
    EXPECT_EQ(pass->getPassInterCalc(), nullptr);
    SayDecisionFlags flags;
    pass->execute(flags);
    const unsigned int receiver = cycle % 2 == 0 ? 10 : 11;
    EXPECT_EQ(pass->getPassPlayer(), tmm(receiver));
    EXPECT_EQ(flags.sayInterceptNum, receiver);
    EXPECT_EQ(pass->takeCommand()->toString(),
              cycle % 2 == 0 ? "(kick 100.00 -115.00)" : "(kick 100.00 115.00)");
  }
}

TEST_F(PassValue, CandidateSumsOneWeightPerRowWithTheShotTwiceAndThePlan) {
  addKick(2.0f, {{tmm(3), Point(5, 0), 4}});
  addKick(2.0f, {{tmm(10), Point(5, 0), 4}});
  addKick(2.0f,
          {{&wm->getFullPlayer(TID_OPPONENT, 4), Point(5, 1), 3, false}, {tmm(4), Point(5, 0), 4}});
  struct Case {
    const char* name;
    std::vector<FactorEdit> edits;
    float offenseOfFirst;
  };
  const Case cases[] = {
      {"token rows", {}, OFFENSE_TOKEN_SUM + PLAN_TWO_TO_THREE},
      {"offense gain 5 of 0 to 10 maps halfway",
       {{"Offense", "MinValue", "10 0 2010 3010"}, {"Offense", "MaxValue", "11 10 2011 3011"}},
       OFFENSE_TOKEN_SUM + 0.5f + PLAN_TWO_TO_THREE},
      {"deviation 0.25 of 0 to 1 maps inversely",
       {{"PosDeviation", "MinValue", "0 0 2000 3000"},
        {"PosDeviation", "MaxValue", "1 1 2001 3001"}},
       OFFENSE_TOKEN_SUM - 0.25f + PLAN_TWO_TO_THREE},
      {"opponent 5 m off counts from 2.1 m beyond: 7.1 of 3 to 7 maps to the top",
       {{"StatusOppDistance", "MinValue", "90 3 2090 3090"},
        {"StatusOppDistance", "MaxValue", "91 7 2091 3091"}},
       OFFENSE_TOKEN_SUM + 1 + PLAN_TWO_TO_THREE},
      {"shot weight counts twice",
       {{"StatusShoot", "MinWeight", "112 1212 2112 3112"}},
       OFFENSE_TOKEN_SUM + 200 + PLAN_TWO_TO_THREE},
      {"dribble row unread",
       {{"DribblePath", "MinWeight", "9 9999 9 9"}, {"DribblePath", "MaxWeight", "9 9999 9 9"}},
       OFFENSE_TOKEN_SUM + PLAN_TWO_TO_THREE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto pass = makePass(c.edits);
    pass->getValue();
    EXPECT_EQ(pass->offenseValues[0], c.offenseOfFirst);
    EXPECT_EQ(pass->offenseValues[1], c.offenseOfFirst + 25.0f) << "plan 85 to number 10";
    EXPECT_EQ(pass->secureBallValues[2], OFFENSE_TOKEN_SUM + 15000.0f + PLAN_TWO_TO_THREE)
        << "an opponent first does not hide the teammate behind him";
    EXPECT_EQ(pass->offenseValues[3], AD_MIN_VALUE) << "beyond the fan";
  }
}

TEST_F(PassValue, OnlyTeammatesCatchingAfterTheKickerAndWithinTheGateAreValued) {
  wm->setFullPlayer(TID_TEAMMATE, 4).setStamina(2000.0f);
  wm->setFullPlayer(TID_TEAMMATE, 5).setStamina(1999.0f);
  const Player* opp = &wm->getFullPlayer(TID_OPPONENT, 0);
  struct Case {
    const char* name;
    bool valued;
    float speed;
    std::vector<Catch> catches;
    bool valid = true;
  };
  const Case cases[] = {
      {"not valid", false, 2.0f, {{tmm(3), {5, 0}, 4}}, false},
      {"nobody", false, 2.0f, {}},
      {"opponent only", false, 2.0f, {{opp, {5, 0}, 4}}},
      {"the kicker", false, 2.0f, {{&wm->getBody(), {5, 0}, 4}}},
      {"our goalie", false, 2.0f, {{tmm(1), {5, 0}, 4}}},
      {"not extra catched", false, 2.0f, {{tmm(3), {5, 0}, 4, false}}},
      {"speed at 4 cycles' limit", true, 2.7f, {{tmm(3), {5, 0}, 4}}},
      {"speed above it", false, 2.71f, {{tmm(3), {5, 0}, 9}}},
      {"speed at 1 cycle's limit", true, 1.0f, {{tmm(3), {5, 0}, 1}}},
      {"speed above it", false, 1.01f, {{tmm(3), {5, 0}, 0}}},
      {"speed within 2 cycles' limit", true, 1.56f, {{tmm(3), {5, 0}, 2}}},
      {"speed above it", false, 1.58f, {{tmm(3), {5, 0}, 2}}},
      {"on the touch line", true, 2.0f, {{tmm(3), {5, 34}, 4}}},
      {"beyond it", false, 2.0f, {{tmm(3), {5, 34.01f}, 4}}},
      {"2 m from the ball", true, 2.0f, {{tmm(3), {2, 0}, 4}}},
      {"closer", false, 2.0f, {{tmm(3), {1.99f, 0}, 4}}},
      {"stamina 2000", true, 2.0f, {{tmm(5), {5, 0}, 4}}},
      {"stamina 1999", false, 2.0f, {{tmm(6), {5, 0}, 4}}},
  };
  for (const Case& c : cases) addKick(c.speed, c.catches, c.valid);
  auto pass = makePass();
  pass->getValue();
  for (unsigned int i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(pass->offenseValues[i] != AD_MIN_VALUE, cases[i].valued);
  }
}

TEST_F(PassValue, BestKindByRateAndAlphaWithTiesToTheEarlierKindAndLowerIndex) {
  fan.init();
  auto pass = makePass();
  const KickInterceptCalculate* inFan = &fan.getSimulate(7);
  const KickInterceptCalculate* firstCross = &pass->crossCalculate->getSimulate(0);
  struct Case {
    const char* name;
    float crossRate, offenseRate, secureBallRate;
    float offenseValue;  // at entries 7 and 9; 10 at secure ball's entry 7
    float crossValue;    // at entry 243, the first cross kick
    float best;
    PassModel model;
    const KickInterceptCalculate* chosen;
    unsigned int offenseMaxIndex;
  };
  const Case cases[] = {
      {"tie goes to offense", 0, 1, 2, 20, 0, 20, PM_OFFENSE, inFan, 7},
      {"secure ball above", 0, 1, 2.5f, 20, 0, 25, PM_SECURE_BALL, inFan, 7},
      {"cross kick wins", 1, 1, 2, 20, 30, 30, PM_CROSS, firstCross, 7},
      {"inactive kinds only", 0, 0, 0, 20, 30, AD_MIN_VALUE, PM_CROSS, nullptr, Pass::NO_INDEX},
      {"impossible values only", 1, 1, 0, AD_MIN_VALUE, AD_MIN_VALUE, AD_MIN_VALUE, PM_CROSS,
       nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    pass->resetValues();
    pass->crossRate = c.crossRate;  // the alphas stay 0 until a valuing reads them
    pass->offenseRate = c.offenseRate;
    pass->secureBallRate = c.secureBallRate;
    pass->breakOffsideRate = 0;
    pass->offenseValues[7] = pass->offenseValues[9] = c.offenseValue;
    pass->secureBallValues[7] = 10;
    pass->crossValues[Pass::FAN_VALUES_NUM] = c.crossValue;
    const KickInterceptCalculate* chosen = inFan;
    pass->fillMaxValues();
    EXPECT_EQ(pass->getTheBestPass(chosen), c.best);
    EXPECT_EQ(chosen, c.chosen);
    EXPECT_EQ(pass->getPassModel(), c.model) << "kept when nothing is chosen";
    EXPECT_EQ(pass->offenseMaxIndex, c.offenseMaxIndex);
  }
}

// The opponents' line is at 40: a cross goes to a receiver 2 m short of it or deeper. As a
// cross its squared deviation 0.25 lies inside the row's 0 to 1 and costs 0.25.
TEST_F(PassValue, CrossesGoOnlyToReceiversShortOfTheOffsideLine) {
  auto pass = makePass();
  const float receiverX[] = {37.9f, 38.1f};
  std::vector<std::unique_ptr<KickInterceptCalculate>> crossKicks;
  for (unsigned int i = 0; i < 2; ++i) {
    wm->setFullPlayer(TID_TEAMMATE, 2 + i).setPos().setAsCartesian(receiverX[i], 20.0f);
    crossKicks.push_back(
        std::make_unique<HandKick>(*wm, 2.0f, true, std::vector<Catch>{{tmm(3 + i), {5, 0}, 4}}));
  }
  HandCrosses crosses;
  crosses.setSimulates(std::move(crossKicks));
  pass->fillOtherCrossValuesByFactors(crosses, pass->passFactors[PK_CROSS], pass->crossValues);
  EXPECT_EQ(pass->crossValues[Pass::FAN_VALUES_NUM], 1076.0f - 0.25f + PLAN_TWO_TO_THREE);
  EXPECT_EQ(pass->crossValues[Pass::FAN_VALUES_NUM + 1], AD_MIN_VALUE);
}

// The fan's one pass is worth 16.136 (offense only, at rate 0.001); a heard suggestion is
// worth its weight less 6.
const std::vector<FactorEdit> OFFENSE_ONLY = {{"GlobalVars", "OffenseRate", "0.001"},
                                              {"GlobalVars", "OffenseAlpha", "0"},
                                              {"GlobalVars", "SecureBallRate", "0"},
                                              {"GlobalVars", "BreakOffsideRate", "0"}};

TEST_F(PassValue, HeardSuggestionWinsOnlyWhenWorthMoreKickableAndToATeammate) {
  addKick(2.0f, {{tmm(3), Point(5, 0), 4}});
  auto pass = makePass(OFFENSE_ONLY);
  const Player* unnumbered = &wm->getHalfPlayer(TID_TEAMMATE, 0);
  struct Case {
    const char* name;
    float speed, dir, weight;
    unsigned int receiver, heardAt;
    const Player* passPlayer;  // the fan's receiver, number 3, when refused
  };
  const Case cases[] = {
      {"accepted", 1.0f, 0.0f, 100.0f, 9, 12, tmm(9)},
      {"accepted for a teammate without number", 1.0f, 0.0f, 100.0f, 0, 12, unnumbered},
      {"accepted for number 11", 1.0f, 0.0f, 100.0f, 11, 12, tmm(11)},
      {"receiver out of range", 1.0f, 0.0f, 100.0f, 12, 12, tmm(3)},
      {"less weight", 1.0f, 0.0f, 22.0f, 9, 12, tmm(3)},
      {"kick not possible", 2.6f, 180.0f, 100.0f, 9, 12, tmm(3)},
      {"heard a cycle before", 1.0f, 0.0f, 100.0f, 9, 11, tmm(3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    wm->setCurTime(c.heardAt);
    hearSuggestion(c.speed, c.dir, c.weight, c.receiver);
    wm->setCurTime(12);
    const bool accepted = c.passPlayer != tmm(3);
    EXPECT_NEAR(pass->getValue(), accepted ? c.weight - 6 : 16.136f, 0.1f);
    EXPECT_EQ(pass->getPassModel(), accepted ? PM_SUGGESTED : PM_OFFENSE);
    EXPECT_EQ(pass->getPassPlayer(), c.passPlayer);
    SayDecisionFlags flags;
    pass->execute(flags);
    EXPECT_EQ(flags.sayInterceptNum,
              c.passPlayer->getModel() == PLM_FULL ? c.passPlayer->getUniNum() : 0);
    EXPECT_EQ(pass->takeCommand()->toString() == "(kick 50.00 -10.00)", !accepted);
  }
}

TEST_F(PassValue, NoPassExecutesAnEmptyCommandAndNothingIsLeftBehind) {
  addKick(2.0f, {{tmm(3), Point(5, 0), 4}});
  auto pass = makePass(OFFENSE_ONLY);
  // A pass from the fan, an accepted and a refused suggestion, and no pass at all.
  const float weights[] = {0.0f, 100.0f, 22.0f, 0.0f};
  long live = 0;
  for (int round = 0; round < 50; ++round) {
    for (float weight : weights) {
      if (weight != 0.0f) hearSuggestion(1.0f, 0.0f, weight, 9);
      wm->setFullPlayer(TID_TEAMMATE, 2).setStamina(weight == 0.0f && round % 2 ? 0.0f : 4000.0f);
      pass->getValue();
      SayDecisionFlags flags;
      pass->execute(flags);
      const std::unique_ptr<Command> sent = pass->takeCommand();
      ASSERT_NE(sent, nullptr);
      if (pass->getPassPlayer() == nullptr) {
        EXPECT_EQ(sent->getKind(), CK_EMPTY);
      }
      wm->setCurTime(wm->getCurTime() + 1);
    }
    if (round == 1) live = liveAllocations;
  }
  EXPECT_EQ(liveAllocations, live);
}

}  // namespace
}  // namespace tovren
