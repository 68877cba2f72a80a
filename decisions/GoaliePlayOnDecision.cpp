#include "decisions/GoaliePlayOnDecision.h"

#include "actions/basic/BasicKick.h"
#include "actions/withball/Clear.h"
#include "actions/withoutball/GoalieIntercept.h"
#include "actions/withoutball/GoaliePositioning.h"
#include "actions/withoutball/Intercept.h"
#include "connection/Command.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>

namespace tovren {

namespace {

// The places of the actions in the lists.
constexpr unsigned int CATCH_INDEX = 0;
constexpr unsigned int CLEAR_INDEX = 1;
constexpr unsigned int GOALIE_INTERCEPT_INDEX = 2;
constexpr unsigned int INTERCEPT_INDEX = 3;
constexpr unsigned int POSITIONING_INDEX = 4;

// The kick-out goes along the touch line's direction (degrees) on the ball's side.
constexpr float KICK_OUT_DIR = 90.0f;

// An opponent within this much beyond the goalie's own reach has the ball...
constexpr float OPP_KICKABLE_MARGIN = 0.2f;
// ...plus this much per metre between him and the goalie, capped at the limit.
constexpr float OPP_REACH_PER_METRE = 0.08f;
constexpr float OPP_REACH_LIMIT = 1.5f;

// From this far (metres) the goalie only looks normally at the ball.
constexpr float FAR_BALL_DISTANCE = 20.0f;

}  // namespace

GoaliePlayOnDecision::GoaliePlayOnDecision(const WorldModel* worldModel, SayDecisionFlags& sayFlags,
                                           TurnNeckMode& turnNeckMode)
    : BodyDecision(worldModel, sayFlags, turnNeckMode) {
  // Every decide sets the levels of the situation.
  goalieCatch = new GoalieCatch(worldModel);
  addAdvancedAction(goalieCatch, AdvancedActionWeights(), 2);
  addAdvancedAction(new Clear(worldModel), AdvancedActionWeights(), 2);
  addAdvancedAction(new GoalieIntercept(worldModel), AdvancedActionWeights(), 1);
  addAdvancedAction(new Intercept(worldModel), AdvancedActionWeights(), 1);
  addAdvancedAction(new GoaliePositioning(worldModel), AdvancedActionWeights(), 1);
}

GoaliePlayOnDecision::~GoaliePlayOnDecision() = default;

DecideType GoaliePlayOnDecision::decide(int quickLevel, DecideType lastDecideType) {
  resetQuickLevels();
  const Ball& ball = worldModel->getBall();
  const Body& body = worldModel->getBody();
  if (!GoalieCatch::isInsideBox(ball.getPos(), body.getPos()) && worldModel->isBallKickable()) {
    FastKickToDir kickOut(ball.getPos().getY() > 0.0f ? KICK_OUT_DIR : -KICK_OUT_DIR, ball, body);
    setCommand(kickOut.takeCommand());
    return DT_NONE;
  }

  quickLevels[CATCH_INDEX] = 2;
  quickLevels[CLEAR_INDEX] = 2;
  goalieCatch->giveLastDecide(lastDecideType);
  if (goesForBall()) {
    quickLevels[GOALIE_INTERCEPT_INDEX] = 1;
    quickLevels[INTERCEPT_INDEX] = 1;
  } else {
    quickLevels[POSITIONING_INDEX] = 1;
  }
  turnNeckMode = ball.getAbsVec().getMagnitude() >= FAR_BALL_DISTANCE ? TNM_LOOK_NORMALLY_TO_BALL
                                                                      : TNM_LOOK_CAREFULLY_TO_BALL;
  return static_cast<DecideType>(BodyDecision::decide(quickLevel));
}

bool GoaliePlayOnDecision::goesForBall() const {
  const InterceptCalculate& interception = worldModel->getCurInterCalculate();
  if (!interception.existFastestTmmPlayer()) return false;
  if (interception.getFastestTmmPlayer().isBody() &&
      !isBallOppKickable(OPP_KICKABLE_MARGIN, OPP_REACH_LIMIT)) {
    return true;
  }
  // A shot at our goal that no opponent can touch again is the goalie's.
  return worldModel->isOppBallShooted(worldModel->getBall()) && !worldModel->isBallInOppKickable();
}

bool GoaliePlayOnDecision::isBallOppKickable(float margin, float reachLimit) const {
  const Ball& ball = worldModel->getBall();
  const Body& body = worldModel->getBody();
  const float reach = ball.getSize() + body.getKickableMargin() + body.getSize() + margin;
  const auto near = [&](const Player& opponent) {
    if (!opponent.isValid()) return false;
    const float allowance = std::min(reachLimit, OPP_REACH_PER_METRE * opponent.getDistance(body));
    return opponent.getDistance(ball) <= reach + allowance;
  };
  for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i) {
    if (near(worldModel->getFullPlayer(TID_OPPONENT, i))) return true;
  }
  for (unsigned int i = 0; i < WorldModel::HALF_PLAYERS_NUM; ++i) {
    if (near(worldModel->getHalfPlayer(TID_OPPONENT, i))) return true;
  }
  return false;
}

}  // namespace tovren
