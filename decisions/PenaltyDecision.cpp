#include "decisions/PenaltyDecision.h"

#include "actions/basic/BasicDash.h"
#include "actions/withball/Dribble.h"
#include "actions/withball/SRPDribble.h"
#include "actions/withball/Shoot.h"
#include "actions/withoutball/GoalieIntercept.h"
#include "actions/withoutball/GoaliePositioning.h"
#include "actions/withoutball/Intercept.h"
#include "actions/withoutball/NonPlayOn.h"
#include "connection/Command.h"
#include "geometry/Degree.h"
#include "worldmodel/Body.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/WorldModel.h"

#include <memory>
#include <utility>

namespace tovren {

namespace {

// The places of the actions in the lists.
constexpr unsigned int CATCH_INDEX = 0;
constexpr unsigned int POSITIONING_INDEX = 1;
constexpr unsigned int GOALIE_INTERCEPT_INDEX = 2;
constexpr unsigned int DRIBBLE_INDEX = 4;
constexpr unsigned int SRP_DRIBBLE_INDEX = 5;
constexpr unsigned int SHOOT_INDEX = 6;

// The goalie's places while a kick is prepared: in front of our goal for theirs, out of
// the way beside it for ours.
const Point GOALIE_THEIR_SETUP_PLACE(-40.0f, 0.0f);
const Point GOALIE_OUR_SETUP_PLACE(-55.0f, -22.0f);
// The waiting circle about the centre spot: radius (metres), spacing and start (degrees).
constexpr float WAITING_RADIUS = 5.0f;
constexpr int WAITING_SPACING = 14;
constexpr int WAITING_START = 90;
// How near a place counts as there (metres).
constexpr float PLACE_TOLERANCE = 1.0f;

// The place on the waiting circle of a uniform number; whole degrees, from 104 for
// number 1 to 244 for number 11.
Point waitingPoint(unsigned int uniNum) {
  const float angle =
      static_cast<float>(WAITING_SPACING * static_cast<int>(uniNum) + WAITING_START);
  return Point(WAITING_RADIUS * Degree::cos(angle), WAITING_RADIUS * Degree::sin(angle));
}

}  // namespace

PenaltyDecision::PenaltyDecision(const WorldModel* worldModel, SayDecisionFlags& sayFlags,
                                 TurnNeckMode& turnNeckMode, Positioning positioning)
    : BodyDecision(worldModel, sayFlags, turnNeckMode),
      positioning(std::move(positioning)),
      withoutBallDecision(worldModel, sayFlags, turnNeckMode, this->positioning) {
  // Every decide sets the levels of the situation; the kicker goes for the ball through
  // the without-ball decision, so the interception here is never weighed.
  addAdvancedAction(new GoalieCatch(worldModel), AdvancedActionWeights(), 2);
  addAdvancedAction(new GoaliePositioning(worldModel), AdvancedActionWeights(), 1);
  addAdvancedAction(new GoalieIntercept(worldModel), AdvancedActionWeights(), 1);
  gotoKick = new NonPlayOnGotoKick(worldModel);
  addAdvancedAction(gotoKick, AdvancedActionWeights(), 1);
  addAdvancedAction(new Dribble(worldModel), AdvancedActionWeights(), 1);
  addAdvancedAction(new SRPDribble(worldModel), AdvancedActionWeights(), 1);
  addAdvancedAction(new Shoot(worldModel), AdvancedActionWeights(), 1);
  addAdvancedAction(new Intercept(worldModel), AdvancedActionWeights(), 1);
}

PenaltyDecision::~PenaltyDecision() = default;

DecideType PenaltyDecision::decide(int quickLevel, DecideType lastDecideType) {
  resetValues();
  resetQuickLevels();
  turnNeckMode = getNeckMode();
  const Body& body = worldModel->getBody();
  const bool goalie = body.isGoalie();
  const bool kicker = body.getUniNum() == KICKER_UNI_NUM;

  switch (worldModel->getPlayMode()) {
    case PM_OPP_PENALTY_SETUP:
      kickFinished = false;
      goTo(goalie ? GOALIE_THEIR_SETUP_PLACE : waitingPoint(body.getUniNum()));
      return DT_NONE;
    case PM_OUR_PENALTY_SETUP:
      kickFinished = false;
      if (kicker) {
        // Behind the ball, as for any of our set plays.
        gotoKick->getValue();
        gotoKick->execute(sayFlags);
        setCommand(gotoKick->takeCommand());
        return gotoKick->getType();
      }
      goTo(goalie ? GOALIE_OUR_SETUP_PLACE : waitingPoint(body.getUniNum()));
      return DT_NONE;
    case PM_OUR_PENALTY_READY:
      return decideOurReady(quickLevel, lastDecideType);
    case PM_OPP_PENALTY_READY:
      return decideTheirReady(quickLevel);
    default:
      // Not a penalty mode, where the agent never asks: nothing chosen.
      setCommand(nullptr);
      return DT_NONE;
  }
}

DecideType PenaltyDecision::decideOurReady(int quickLevel, DecideType lastDecideType) {
  // After the referee's call the kick is over: nobody touches the ball again.
  if (kickFinished || worldModel->getBody().getUniNum() != KICKER_UNI_NUM) {
    setEmptyCommand();
    return DT_NONE;
  }
  if (worldModel->isBallKickable()) {
    quickLevels[DRIBBLE_INDEX] = 1;
    quickLevels[SRP_DRIBBLE_INDEX] = 0;
    quickLevels[SHOOT_INDEX] = 1;
    return static_cast<DecideType>(BodyDecision::decide(quickLevel));
  }
  const DecideType decided = withoutBallDecision.decide(quickLevel, lastDecideType, WBS_INTERCEPT);
  setCommand(withoutBallDecision.takeCommand());
  turnNeckMode = getNeckMode();
  return decided;
}

DecideType PenaltyDecision::decideTheirReady(int quickLevel) {
  if (!worldModel->getBody().isGoalie()) {
    setEmptyCommand();
    return DT_NONE;
  }
  quickLevels[CATCH_INDEX] = 2;
  const InterceptCalculate& interception = worldModel->getCurInterCalculate();
  if (interception.existFastestTmmPlayer() && interception.getFastestTmmPlayer().isBody()) {
    quickLevels[GOALIE_INTERCEPT_INDEX] = 1;
  } else {
    quickLevels[POSITIONING_INDEX] = 1;
  }
  // The goalie's action is sent, but counts as no decision for the next cycle.
  BodyDecision::decide(quickLevel);
  return DT_NONE;
}

void PenaltyDecision::goTo(const Point& place) {
  ExactGotoPoint go(place, PLACE_TOLERANCE, worldModel->getBody(), false);
  std::unique_ptr<Command> step = go.takeCommand();
  if (step == nullptr) step = std::make_unique<EmptyCommand>();
  setCommand(std::move(step));
}

void PenaltyDecision::setEmptyCommand() { setCommand(std::make_unique<EmptyCommand>()); }

TurnNeckMode PenaltyDecision::getNeckMode() const {
  return worldModel->getBody().isGoalie() ? TNM_LOOK_CAREFULLY_TO_BALL
                                          : TNM_LOOK_CAREFULLY_TO_OPP_GOALIE;
}

int PenaltyDecision::checkPlayMode() {
  const VirtualPlayMode virtualMode = worldModel->getVirtualPlayMode();
  if (virtualMode == VPM_OUR_PENALTY_ONFIELD) return 1;
  if (virtualMode == VPM_OPP_PENALTY_ONFIELD) return 2;
  if (worldModel->getPlayMode() == PM_OUR_PENALTY_READY && virtualMode >= VPM_OUR_PENALTY_MISS &&
      virtualMode <= VPM_OPP_PENALTY_SCORE) {
    kickFinished = true;
  }
  return 0;
}

int PenaltyDecision::selectBallKicker() const {
  return worldModel->getBody().getUniNum() == KICKER_UNI_NUM ? 2 : 1;
}

}  // namespace tovren
