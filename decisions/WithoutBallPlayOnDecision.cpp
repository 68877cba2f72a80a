#include "decisions/WithoutBallPlayOnDecision.h"

#include "actions/withoutball/Block.h"
#include "actions/withoutball/Defense.h"
#include "actions/withoutball/Intercept.h"
#include "actions/withoutball/Offense.h"
#include "actions/withoutball/Tackle.h"
#include "connection/Command.h"

namespace tovren {

namespace {

// The places of the actions in the lists.
constexpr unsigned int TACKLE_INDEX = 0;
constexpr unsigned int BLOCK_INDEX = 1;
constexpr unsigned int DEFENSE_INDEX = 2;
constexpr unsigned int DRIBBLE_INTERCEPT_INDEX = 4;
constexpr unsigned int INTERCEPT_INDEX = 5;

bool isAfterDribble(DecideType type) {
  return type == DT_DRIBBLE || type == DT_SRP_DRIBBLE || type == DT_DRIBBLE_INTERCEPT;
}

}  // namespace

WithoutBallPlayOnDecision::WithoutBallPlayOnDecision(const WorldModel* worldModel,
                                                     SayDecisionFlags& sayFlags,
                                                     TurnNeckMode& turnNeckMode,
                                                     const Positioning& positioning)
    : BodyDecision(worldModel, sayFlags, turnNeckMode) {
  // Every decide sets the levels of the cycle; no selection weighs the offense.
  tackle = new Tackle(worldModel);
  addAdvancedAction(tackle, AdvancedActionWeights(), 2);
  block = new Block(worldModel, positioning);
  addAdvancedAction(block, AdvancedActionWeights(), 2);
  addAdvancedAction(new Defense(worldModel, positioning), AdvancedActionWeights(), 1);
  addAdvancedAction(new Offense(worldModel, positioning), AdvancedActionWeights(), 1);
  addAdvancedAction(new DribbleIntercept(worldModel), AdvancedActionWeights(), 2);
  intercept = new Intercept(worldModel);
  addAdvancedAction(intercept, AdvancedActionWeights(), 1);
}

WithoutBallPlayOnDecision::~WithoutBallPlayOnDecision() = default;

DecideType WithoutBallPlayOnDecision::decide(int quickLevel, DecideType lastDecideType,
                                             WithoutBallSelection selection) {
  resetQuickLevels();
  quickLevels[TACKLE_INDEX] = 2;
  tackle->giveLastDecide(lastDecideType);
  switch (selection) {
    case WBS_BLOCK:
      quickLevels[BLOCK_INDEX] = 2;
      quickLevels[DEFENSE_INDEX] = 1;
      block->giveLastDecide(lastDecideType);
      break;
    case WBS_INTERCEPT:
      quickLevels[INTERCEPT_INDEX] = 1;
      if (isAfterDribble(lastDecideType)) quickLevels[DRIBBLE_INTERCEPT_INDEX] = 2;
      intercept->giveLastDecide(lastDecideType);
      break;
    case WBS_POSITIONING:
      quickLevels[DEFENSE_INDEX] = 1;
      break;
  }
  turnNeckMode = TNM_LOOK_BY_BALL_DISTANCE;
  return static_cast<DecideType>(BodyDecision::decide(quickLevel));
}

}  // namespace tovren
