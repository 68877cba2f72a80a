#include "decisions/HeadDecision.h"

#include "agent/SyncedAgent.h"
#include "connection/Command.h"
#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "geometry/Degree.h"
#include "worldmodel/Player.h"

#include <cmath>

namespace tovren {

namespace {

// Looking by ball distance turns careful when the ball is at most this far (metres).
constexpr float BALL_NEAR_DIST = 7.5f;
// An object, or the ball, belongs to a view part within this of the part's direction.
constexpr float VIEW_PART_REACH = 22.0f;
// The factors of the view-part weight. A ball that nobody holds can wait for a look; a
// held one cannot.
constexpr float FREE_BALL_WEIGHT = 1.0f;
constexpr float HELD_BALL_WEIGHT = 7.0f;
constexpr float OBJECTS_WEIGHT = 7.0f;
constexpr float GOAL_WEIGHT = 2.0f;
constexpr float OBJECTS_NUM_WEIGHT_NORMALLY = 0.15f;
constexpr float OBJECTS_NUM_WEIGHT_CAREFULLY = 0.1f;
// The goal mouth the agent looks at more inside the opponent's shoot area, widened.
constexpr float OPP_GOAL_X = 52.5f;
constexpr float OPP_GOAL_HALF_WIDTH = 10.0f;
// The neck angles searched: -90 to 90 degrees in steps of 5.
constexpr float NECK_ANGLE_MIN = -90.0f;
constexpr float NECK_ANGLE_STEP = 5.0f;
constexpr unsigned int NECK_CANDIDATES_NUM = 37;
// A view part counts as covered by a view from this see value on.
constexpr float COVERED_VIEW_PART_VALUE = 0.8f;
// Looking normally to the ball keeps it this far inside one edge of the view (degrees).
constexpr float BALL_EDGE_MARGIN = 15.0f;
// A look-to-ball direction this far or farther from the body cannot be reached.
constexpr float NECK_REACH = 90.0f;
// How much the neighbouring view part counts in the age of a direction between parts.
constexpr float NEIGHBOUR_PART_WEIGHT = 0.2f;

bool isFreeBall(BallStatus status) {
  return status == BS_FreeBall || status == BS_FREE_BALL_TMM || status == BS_FREE_BALL_OPP ||
         status == BS_FREE_BALL_TMM_OPP;
}

}  // namespace

HeadDecision::HeadDecision(const SyncedAgent* agent)
    : agent(agent), worldModel(&agent->getWorldModel()) {}

HeadDecision::~HeadDecision() = default;

void HeadDecision::decide(const Command* bodyCommand) {
  logger["MainLog"] << "HeadDecision::decide" << std::endl;
  const Body& current = worldModel->getBody();
  body = current;
  body.simulateByAction(bodyCommand, false);
  body.simulateByDynamics(false);
  ball = worldModel->getBall();
  ball.simulateByAction(current, bodyCommand, false);
  ball.simulateByDynamics(body, BCM_OVERLAP, worldModel->getBallStatus(), worldModel->getCurTime());

  if (mode == TNM_LOOK_BY_BALL_DISTANCE) {
    mode = worldModel->getBall().getAbsVec().getMagnitude() <= BALL_NEAR_DIST ? TNM_LOOK_CAREFULLY
                                                                              : TNM_LOOK_NORMALLY;
  }
  // Close enough to be felt: the ball needs no look of its own.
  if (ball.getAbsVec().getMagnitude() < body.getVisibleDistance() &&
      (mode == TNM_LOOK_NORMALLY_TO_BALL || mode == TNM_LOOK_CAREFULLY_TO_BALL)) {
    mode = TNM_LOOK_CAREFULLY;
  }
  TOVREN_CHECK(mode != TNM_NONE);

  turnNeckCommand.reset();
  ViewModeWidth width = VMW_NORMAL;
  float viewAngle = 0.0f;
  // A step that falls back to another mode runs that mode's step; the fallbacks (2 and
  // 3) stay, so this ends after two steps at most.
  TurnNeckMode stepMode = TNM_NONE;
  do {
    stepMode = mode;
    const bool careful = mode != TNM_LOOK_NORMALLY && mode != TNM_LOOK_NORMALLY_TO_BALL;
    width = careful ? agent->getSyncedNarrow() : agent->getSyncedNormal();
    viewAngle = Body::viewWidthToViewAngle(width);
    switch (mode) {
      case TNM_LOOK_NORMALLY:
        setWeightsForLookNormally();
        break;
      case TNM_LOOK_CAREFULLY:
        setWeightsForLookCarefully();
        break;
      case TNM_LOOK_NORMALLY_TO_BALL:
        decideForLookNormallyToBall(viewAngle);
        break;
      case TNM_LOOK_CAREFULLY_TO_BALL:
        decideForLookCarefullyToBall();
        break;
      case TNM_LOOK_CAREFULLY_TO_OPP_GOALIE:
        decideForLookCarefullyToOppGoalie();
        break;
      default:
        TOVREN_CHECK_NAMED(false,
                           "mode >= TNM_LOOK_NORMALLY && mode <= TNM_LOOK_CAREFULLY_TO_OPP_GOALIE");
    }
  } while (mode != stepMode);

  changeViewCommand = std::make_unique<ChangeViewCommand>(VMQ_HIGH, width);
  if (mode == TNM_LOOK_NORMALLY || mode == TNM_LOOK_CAREFULLY) decideForTurnNeckCommand(viewAngle);
  logVariables();
}

void HeadDecision::setWeightsForLookNormally() {
  ballWeight = isFreeBall(worldModel->getBallStatus()) ? FREE_BALL_WEIGHT : HELD_BALL_WEIGHT;
  objectsWeight = OBJECTS_WEIGHT;
  goalWeight = GOAL_WEIGHT;
  objectsNumWeight = OBJECTS_NUM_WEIGHT_NORMALLY;
}

void HeadDecision::setWeightsForLookCarefully() {
  setWeightsForLookNormally();
  objectsNumWeight = OBJECTS_NUM_WEIGHT_CAREFULLY;
}

void HeadDecision::updateViewPartObjectsNum() {
  for (unsigned int& num : viewPartObjectsNum) num = 0;
  auto count = [this](const Vector& absVec) {
    for (unsigned int i = 0; i < VIEW_PARTS_NUM; ++i) {
      const float delta =
          Degree::getDeltaAngle(worldModel->getViewPartDir(i), absVec.getDirection());
      if (std::fabs(delta) <= VIEW_PART_REACH) ++viewPartObjectsNum[i];
    }
  };
  auto countAlive = [&count](const Player& player) {
    if (player.isAlive()) count(player.getAbsVec());
  };

  for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i) {
    const Player& teammate = worldModel->getFullPlayer(TID_TEAMMATE, i);
    if (!teammate.isBody()) countAlive(teammate);
    countAlive(worldModel->getFullPlayer(TID_OPPONENT, i));
  }
  for (unsigned int i = 0; i < WorldModel::HALF_PLAYERS_NUM; ++i) {
    countAlive(worldModel->getHalfPlayer(TID_TEAMMATE, i));
    countAlive(worldModel->getHalfPlayer(TID_OPPONENT, i));
  }
  for (unsigned int i = 0; i < WorldModel::QUARTER_PLAYERS_NUM; ++i) {
    countAlive(worldModel->getQuarterPlayer(i));
  }
  count(ball.getAbsVec());
}

float HeadDecision::getViewPartWeight(unsigned int part) const {
  const float partDir = worldModel->getViewPartDir(part);
  float weight = static_cast<float>(worldModel->getViewPartCycle(part) + 1);

  const Body& current = worldModel->getBody();
  if (WorldModel::isPlayerInOppShootArea(current)) {
    Vector toRight;
    Vector toLeft;
    toRight.setByPoints(current.getPos(), Point(OPP_GOAL_X, -OPP_GOAL_HALF_WIDTH));
    toLeft.setByPoints(current.getPos(), Point(OPP_GOAL_X, OPP_GOAL_HALF_WIDTH));
    if (Degree::isBetween(toRight.getDirection(), toLeft.getDirection(), partDir)) {
      weight *= goalWeight;
    }
  }
  const Vector& toBall = ball.getAbsVec();
  if (std::fabs(Degree::getDeltaAngle(partDir, toBall.getDirection())) <= VIEW_PART_REACH ||
      toBall.getMagnitude() <= body.getVisibleDistance()) {
    weight *= ballWeight;
  }
  if (viewPartObjectsNum[part] != 0) weight *= objectsWeight;
  return weight + static_cast<float>(viewPartObjectsNum[part]) * objectsNumWeight;
}

void HeadDecision::decideForTurnNeckCommand(float viewAngle) {
  updateViewPartObjectsNum();
  for (unsigned int i = 0; i < VIEW_PARTS_NUM; ++i) viewPartWeights[i] = getViewPartWeight(i);

  unsigned int best = 0;
  float bestScore = 0.0f;
  for (unsigned int k = 0; k < NECK_CANDIDATES_NUM; ++k) {
    const float direction = body.getBodyDir() + NECK_ANGLE_MIN + NECK_ANGLE_STEP * k;
    float score = 0.0f;
    for (unsigned int i = 0; i < VIEW_PARTS_NUM; ++i) {
      if (worldModel->getSeeViewPartValue(i, direction, viewAngle) >= COVERED_VIEW_PART_VALUE) {
        score += viewPartWeights[i] * viewPartWeights[i];
      }
    }
    // Equal scores keep the earlier candidate.
    if (k == 0 || score > bestScore) {
      best = k;
      bestScore = score;
    }
  }
  const float neckAngle = NECK_ANGLE_MIN + NECK_ANGLE_STEP * best;
  setTurnNeck(neckAngle - worldModel->getBody().getRelativeHeadDir());
}

void HeadDecision::decideForLookNormallyToBall(float viewAngle) {
  logger["MainLog"] << "HeadDecision::decideForLookNormallyToBall" << std::endl;
  if (!worldModel->getBall().isValid()) {
    setTurnNeck(Degree::normalizeAngle(-body.getRelativeHeadDir()));
    return;
  }
  const float offset = viewAngle - BALL_EDGE_MARGIN;
  const float toBall = ball.getAbsVec().getDirection();
  const float dirA = toBall + offset;
  const float dirB = toBall - offset;
  if (std::fabs(Degree::getDeltaAngle(body.getBodyDir(), dirB)) >= NECK_REACH &&
      std::fabs(Degree::getDeltaAngle(body.getBodyDir(), dirA)) >= NECK_REACH) {
    mode = TNM_LOOK_NORMALLY;
    return;
  }
  // Look to the side of the ball that was seen less recently.
  const float seenA = worldModel->getSeeDeltaCycle(dirA, NEIGHBOUR_PART_WEIGHT);
  const float seenB = worldModel->getSeeDeltaCycle(dirB, NEIGHBOUR_PART_WEIGHT);
  const float target = seenA > seenB ? dirA : dirB;
  const float neckAngle = Degree::getDeltaAngle(target, body.getBodyDir());
  setTurnNeck(Degree::normalizeAngle(Degree::getDeltaAngle(neckAngle, body.getRelativeHeadDir())));
}

void HeadDecision::decideForLookCarefullyToBall() {
  logger["MainLog"] << "HeadDecision::decideForLookCarefullyToBall" << std::endl;
  setTurnNeck(Degree::normalizeAngle(ball.getHeadVec().getDirection()));
}

void HeadDecision::decideForLookCarefullyToOppGoalie() {
  logger["MainLog"] << "HeadDecision::decideForLookCarefullyToOppGoalie" << std::endl;
  const Player* goalie = worldModel->getOppGoalie();
  if (goalie == nullptr) {
    mode = TNM_LOOK_CAREFULLY;
    return;
  }
  Player predicted = *goalie;
  predicted.simulateByDynamics(body);
  setTurnNeck(Degree::normalizeAngle(predicted.getHeadVec().getDirection()));
}

void HeadDecision::logVariables() const {
  LogStream* log = logger.getWriting("MainLog");
  if (log == nullptr) return;
  *log << "HeadDecision View Parts:" << std::endl;
  for (unsigned int i = 0; i < VIEW_PARTS_NUM; ++i) {
    *log << "\t" << i << ": Cycles " << worldModel->getViewPartCycle(i) << " Objects "
         << viewPartObjectsNum[i] << " Weight " << viewPartWeights[i] << std::endl;
  }
}

void HeadDecision::setTurnNeck(float angle) {
  turnNeckCommand = std::make_unique<TurnNeckCommand>(angle);
}

std::unique_ptr<Command> HeadDecision::takeTurnNeckCommand() { return std::move(turnNeckCommand); }
std::unique_ptr<Command> HeadDecision::takeChangeViewCommand() {
  return std::move(changeViewCommand);
}

}  // namespace tovren
