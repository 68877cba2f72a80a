#include "decisions/WithBallPlayOnDecision.h"

#include "actions/withball/Clear.h"
#include "actions/withball/Dribble.h"
#include "actions/withball/Pass.h"
#include "actions/withball/SRPDribble.h"
#include "actions/withball/Shoot.h"
#include "connection/Command.h"
#include "foundation/Config.h"
#include "worldmodel/WorldModel.h"

namespace tovren {

namespace {

const char* const WEIGHTS_NAME = "Deciding";
const char* const WEIGHTS_PATH = "./Configs/DecidingWeights.conf";
const char* const WEIGHT_GROUPS[] = {"Shoot",      "Dribble",   "Pass",
                                     "SRPDribble", "QuickPass", "QuickSRPDribble"};

// The places of the actions in the lists.
constexpr unsigned int PASS_INDEX = 1;
constexpr unsigned int SHOOT_INDEX = 2;
constexpr unsigned int DRIBBLE_INDEX = 3;
constexpr unsigned int SRP_DRIBBLE_INDEX = 4;

}  // namespace

WithBallPlayOnDecision::WithBallPlayOnDecision(const WorldModel* worldModel,
                                               SayDecisionFlags& sayFlags,
                                               TurnNeckMode& turnNeckMode)
    : BodyDecision(worldModel, sayFlags, turnNeckMode) {
  // The pass and the safe-reach-point dribble score the whole fan of kicks: only early in
  // the cycle.
  addAdvancedAction(new Clear(worldModel), AdvancedActionWeights(), 2);
  auto* pass = new Pass(worldModel, false);
  addAdvancedAction(pass, AdvancedActionWeights(), 0);
  addAdvancedAction(new Shoot(worldModel), AdvancedActionWeights(), 1);
  addAdvancedAction(new Dribble(worldModel), AdvancedActionWeights(), 1);
  addAdvancedAction(new SRPDribble(worldModel), AdvancedActionWeights(), 0);
  initWeights();
  pass->setCurKickCalculate(worldModel->getCurKickCalculate());
}

WithBallPlayOnDecision::~WithBallPlayOnDecision() = default;

void WithBallPlayOnDecision::initWeights() {
  config.add(WEIGHTS_NAME);
  config[WEIGHTS_NAME].setByFile(WEIGHTS_PATH);
  for (const char* group : WEIGHT_GROUPS) readWeights(group);
}

AdvancedActionWeights WithBallPlayOnDecision::readWeights(const std::string& group) {
  const ConfigFile& file = config[WEIGHTS_NAME];
  AdvancedActionWeights read;
  read.alpha = file.need(group, "Alpha").readFloat();
  read.power = file.need(group, "Power").readFloat();
  read.rate = file.need(group, "Rate").readFloat();
  return read;
}

void WithBallPlayOnDecision::loadWeights(int quickLevel) {
  weights[SHOOT_INDEX] = readWeights("Shoot");
  weights[DRIBBLE_INDEX] = readWeights("Dribble");
  const bool early = quickLevel == 0;
  weights[PASS_INDEX] = readWeights(early ? "Pass" : "QuickPass");
  weights[SRP_DRIBBLE_INDEX] = readWeights(early ? "SRPDribble" : "QuickSRPDribble");
}

DecideType WithBallPlayOnDecision::decide(int quickLevel, DecideType) {
  loadWeights(quickLevel);
  turnNeckMode = TNM_LOOK_CAREFULLY;
  lastWithBallDecide = static_cast<DecideType>(BodyDecision::decide(quickLevel));
  return lastWithBallDecide;
}

}  // namespace tovren
