#include "actions/withball/Clear.h"

#include "actions/basic/BasicKick.h"
#include "connection/Command.h"
#include "decisions/SayDecisionFlags.h"
#include "foundation/Basics.h"
#include "foundation/Logger.h"
#include "foundation/Types.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <cmath>

namespace tovren {

namespace {

// Every clearance that has a kick wins at once where the decision allows it.
constexpr float CLEAR_VALUE = 1000.0f;
// Below every weight, even an impossible one.
constexpr float CHOICE_START = -655350.0f;

const Point OPP_GOAL(52.5f, 0.0f);
constexpr float NEAR_GOAL_DIST = 16.0f;
constexpr float GOAL_AIM_Y = 5.5f;

// Model 2: the lead given to a receiver, shortened when no opponent holds the ball.
constexpr float RECEIVER_LEAD = 8.0f;
constexpr float NO_HOLD_MULTIPLIER = 0.1f;
constexpr float NO_HOLD_RATIO = 100.0f;
constexpr float HOLD_RATIO_LIMIT = 10.0f;
constexpr float NEAR_RECEIVER_DIST = 2.0f;
constexpr float FAR_RECEIVER_DIST = 20.0f;
constexpr float NEAR_RECEIVER_WEIGHT = 10.0f;
// Far receivers rank lowest of all.
constexpr float FAR_RECEIVER_WEIGHT = 9.0f;
// Without a possible teammate the ball goes at the goal's centre, up-field of everyone.
const Point FALLBACK_TARGET = OPP_GOAL;
constexpr float FALLBACK_WEIGHT = 1.0f;

// The defence case applies near the own goal, and always for the goalie.
constexpr float DEFENSE_MAX_BALL_X = -28.0f;
constexpr float DEFENSE_MAX_BALL_Y = 21.0f;
constexpr unsigned int DEFENSE_TARGETS_NUM = 9;
constexpr float NO_RACE_WEIGHT = 20.0f;
constexpr float TMM_RACE_BASE = 25.0f;
constexpr float DANGER_X = -36.0f;
constexpr float MIDDLE_X = -25.0f;
constexpr float FAR_X = 10.0f;
constexpr float TMM_FIRST_DISCOUNT = 15.0f;
constexpr float BLIND_KICK_DEFENSE_VALUE = -60.0f;
constexpr float DEFENSE_CLEAR_WEIGHT = 75.0f;
// Opponents in this box around the agent, more ahead than behind, press it.
constexpr float PRESS_BEHIND = 2.5f;
constexpr float PRESS_AHEAD = 5.0f;
constexpr float PRESS_SIDE = 7.0f;
constexpr float PRESS_DIST = 9.0f;

constexpr float BLIND_KICK_POWER = 100.0f;
constexpr float BLIND_KICK_DIR = 50.0f;  // degrees off the body, towards the agent's side

float receiverDistanceWeight(float distance) {
  if (distance < NEAR_RECEIVER_DIST) return NEAR_RECEIVER_WEIGHT;
  if (distance >= FAR_RECEIVER_DIST) return FAR_RECEIVER_WEIGHT;
  return Basics::reRate(distance, NEAR_RECEIVER_DIST, FAR_RECEIVER_DIST, 10.0f, 100.0f, RRM_DIRECT);
}

float receiverForwardWeight(float ahead) {
  return Basics::reRate(ahead, -10.0f, 18.0f, 0.0f, 100.0f, RRM_DIRECT);
}

}  // namespace

Clear::Clear(const WorldModel* worldModel) : AdvancedAction(worldModel) {}

Clear::~Clear() = default;

float Clear::getReceiverWeight(float distance, float ahead) {
  return 0.5f * receiverDistanceWeight(distance) + 1.1f * receiverForwardWeight(ahead);
}

float Clear::getTmmRaceWeight(float interceptX) {
  float r = -10.0f;
  if (interceptX >= MIDDLE_X) {
    r = Basics::reRate(interceptX, MIDDLE_X, FAR_X, 45.0f, 70.0f, RRM_DIRECT);
  } else if (interceptX >= DANGER_X) {
    r = Basics::reRate(interceptX, DANGER_X, MIDDLE_X, -10.0f, 45.0f, RRM_DIRECT);
  }
  return TMM_RACE_BASE + r;
}

float Clear::getOppRaceWeight(float interceptX) {
  if (interceptX >= MIDDLE_X) {
    return Basics::reRate(interceptX, MIDDLE_X, FAR_X, 5.0f, 25.0f, RRM_DIRECT);
  }
  if (interceptX >= DANGER_X) {
    return Basics::reRate(interceptX, DANGER_X, MIDDLE_X, -50.0f, 5.0f, RRM_DIRECT);
  }
  return -50.0f;
}

float Clear::getValue() {
  selectedPlayerNum = 0;
  // A call that does not apply must leave nothing that execute() could publish.
  clearCommand.reset();
  logger["MainLog"] << "Clear::getValue" << std::endl;
  if (!worldModel->isBallKickable()) return AD_MIN_VALUE;
  const BallStatus status = worldModel->getBallStatus();
  if (status == BS_KICKABLE_OPP || status == BS_KICKABLE_BODY_OPP) return getTwoKickableValue();
  return getDefenseValue();
}

float Clear::getTwoKickableValue() {
  LogStream& log = logger["MainLog"];
  const Ball& ball = worldModel->getBall();
  const Body& body = worldModel->getBody();

  if (ball.getDistance(OPP_GOAL) < NEAR_GOAL_DIST) {
    log << "Clear::TwoKickable model 1" << std::endl;
    // Away from the goalie; without one, on the ball's side.
    const Player* goalie = worldModel->getOppGoalie();
    const bool upper =
        goalie != nullptr ? goalie->getPos().getY() <= 0.0f : ball.getPos().getY() > 0.0f;
    prepareFastKick(Point(OPP_GOAL.x, upper ? GOAL_AIM_Y : -GOAL_AIM_Y));
    return CLEAR_VALUE;
  }

  log << "Clear::TwoKickable model 2" << std::endl;
  const float multiplier = getOppHoldMultiplier();
  log << "Clear:oppBallRateMin(multiplier)= " << multiplier << std::endl;
  Candidate candidates[CANDIDATES_NUM];
  unsigned int count = 0;
  auto rate = [&](Candidate& candidate) {
    if (!FastKickToPoint(candidate.target, ball, body).isPossible()) {
      log << "Clear:not possible " << candidate.receiverNum << std::endl;
      candidate.weight = AD_MIN_VALUE;
    }
  };
  for (unsigned int uniNum = 2; uniNum <= WorldModel::FULL_PLAYERS_NUM; ++uniNum) {
    const Player& teammate = worldModel->getFullPlayer(TID_TEAMMATE, uniNum - 1);
    if (!teammate.isValid()) continue;
    Candidate& candidate = candidates[count++];
    const Vector& pos = teammate.getPos();
    candidate.target = Point(pos.getX() + RECEIVER_LEAD * multiplier, pos.getY());
    candidate.receiverNum = uniNum;
    const float distance = body.getDistance(teammate);
    const float ahead = pos.getX() - body.getPos().getX();
    candidate.weight = getReceiverWeight(distance, ahead);
    const float dw = receiverDistanceWeight(distance);
    const float ow = receiverForwardWeight(ahead);
    log << "Clear:addPlayer " << uniNum << " weight=" << candidate.weight << " dw,ow=" << dw << ","
        << ow << std::endl;
    rate(candidate);
  }
  Candidate& fallback = candidates[count++];
  fallback.target = FALLBACK_TARGET;
  fallback.weight = FALLBACK_WEIGHT;
  log << "Clear:addDummy "
      << " weight=" << fallback.weight << std::endl;
  rate(fallback);

  const unsigned int best = bestCandidate(candidates, count);
  const Candidate& chosen = candidates[best];
  log << "Clear::selected =" << best << " " << chosen.target << std::endl;
  log << "Clear::selected player=" << chosen.receiverNum << std::endl;
  if (chosen.weight > AD_MIN_VALUE) {
    prepareFastKick(chosen.target);
    selectedPlayerNum = chosen.receiverNum;
  } else {
    log << "Clear::all not possible =" << std::endl;
    prepareBlindKick();
  }
  return CLEAR_VALUE;
}

float Clear::getOppHoldMultiplier() const {
  const Ball& ball = worldModel->getBall();
  float least = NO_HOLD_RATIO;
  auto consider = [&](const Player& opponent) {
    if (!opponent.isValid()) return;
    const float gap = opponent.getDistance(ball) - opponent.getSize() - ball.getSize();
    const float margin = opponent.getKickableMargin();
    // Without a kickable margin he holds only a ball that touches him.
    float ratio = gap <= 0.0f ? 0.0f : NO_HOLD_RATIO;
    if (margin > 0.0f) ratio = gap / margin;
    if (ratio <= 1.0f && ratio < least) least = ratio;
  };
  for (unsigned int j = 0; j < WorldModel::FULL_PLAYERS_NUM; ++j) {
    consider(worldModel->getFullPlayer(TID_OPPONENT, j));
  }
  for (unsigned int j = 0; j < WorldModel::HALF_PLAYERS_NUM; ++j) {
    consider(worldModel->getHalfPlayer(TID_OPPONENT, j));
  }
  return least <= HOLD_RATIO_LIMIT ? 1.0f - least : NO_HOLD_MULTIPLIER;
}

float Clear::getDefenseValue() {
  LogStream& log = logger["MainLog"];
  log << "Clear::defense" << std::endl;
  const Ball& ball = worldModel->getBall();
  const Body& body = worldModel->getBody();
  const bool inZone = ball.getPos().getX() < DEFENSE_MAX_BALL_X &&
                      std::fabs(ball.getPos().getY()) < DEFENSE_MAX_BALL_Y;
  if (!inZone && !body.isGoalie()) return AD_MIN_VALUE;

  // The players are gathered once for all nine races.
  const std::unique_ptr<InterceptCalculate> race = startDefenseRace(worldModel);

  const float ax = body.getPos().getX();
  const float ay = body.getPos().getY();
  Candidate candidates[DEFENSE_TARGETS_NUM];
  const Point targets[DEFENSE_TARGETS_NUM] = {
      Point(0, 20),    Point(0, 10),  Point(0, 0),
      Point(0, -10),   Point(0, -20), Point(-14, 30),
      Point(-14, -30), Point(0, ay),  Point(ax, ay > 0.0f ? 30.0f : -30.0f),
  };
  for (unsigned int i = 0; i < DEFENSE_TARGETS_NUM; ++i) {
    Candidate& candidate = candidates[i];
    candidate.target = targets[i];
    FastKickToPoint kick(candidate.target, ball, body);
    if (!kick.isPossible()) {
      log << "Clear:point [" << i << "] = " << candidate.target << " not possible" << std::endl;
      candidate.weight = AD_MIN_VALUE;
      continue;
    }
    Ball kicked = ball;
    kicked.simulateByAction(body, kick.getCommand(), false);
    race->setVirtualBall(kicked);
    race->setKickCycles(1);
    race->run();
    log << "Clear:point [" << i << "] = " << candidate.target << std::endl;
    if (!race->existFastestPlayer()) {
      candidate.weight = NO_RACE_WEIGHT;
    } else {
      const bool teammate = race->getFastestPlayer().getTeamId() == TID_TEAMMATE;
      log << (teammate ? "Clear:fastest exist teammate" : "Clear:fastest exist opponent")
          << std::endl;
      const float x = race->getFastestInterPlayer().getInterPoint().x;
      log << "Clear:interceptX = " << x << std::endl;
      candidate.weight = teammate ? getTmmRaceWeight(x) : getOppRaceWeight(x);
      candidate.teammateFirst = teammate;
    }
    log << "Clear:clearWeight = " << candidate.weight << std::endl;
  }

  const unsigned int best = bestCandidate(candidates, DEFENSE_TARGETS_NUM);
  const Candidate& chosen = candidates[best];
  if (!(chosen.weight > AD_MIN_VALUE)) {
    log << "Clear: all not possible" << std::endl;
    prepareBlindKick();
    return BLIND_KICK_DEFENSE_VALUE;
  }
  log << "Clear::selected =" << best << " " << chosen.target << std::endl;
  log << "Clear::weight =" << chosen.weight << std::endl;
  prepareFastKick(chosen.target);
  const float w = getDangerWeight(chosen.weight, chosen.teammateFirst);
  if (body.isGoalie() || w > DEFENSE_CLEAR_WEIGHT) return CLEAR_VALUE;
  return w;
}

std::unique_ptr<InterceptCalculate> Clear::startDefenseRace(const WorldModel* worldModel) {
  auto race = std::make_unique<InterceptCalculate>();
  race->startSession(1, nullptr, nullptr);
  // A player's reach is fixed when he is added: the tuning comes first.
  race->setTmmSlowDashPower(20.0f);
  race->setTmmFastDashPower(80.0f);
  race->setTmmDirectDashPower(100.0f);
  race->setTmmSeeBallDelay(2);
  race->setTmmPosDevRate(0.8f);
  race->setOppSlowDashPower(20.0f);
  race->setOppFastDashPower(90.0f);
  race->setOppDirectDashPower(100.0f);
  race->setOppSeeBallDelay(1);
  race->setOppPosDevRate(0.8f);
  race->updateByWorldModel(worldModel, false, false, false);
  return race;
}

float Clear::getDangerWeight(float w, bool teammateFirst) const {
  LogStream& log = logger["MainLog"];
  const Body& body = worldModel->getBody();
  // A teammate would get the ball anyway, without a clearance.
  if (teammateFirst) w -= TMM_FIRST_DISCOUNT;
  log << "Clear::weight(after add1) =" << w << std::endl;
  w += Basics::reRate(worldModel->getBall().getPos().getX(), -53.0f, -34.0f, 2.0f, 20.0f,
                      RRM_INVERSE);
  log << "Clear::weight(after add2) =" << w << std::endl;
  const float ax = body.getPos().getX();
  const float ay = body.getPos().getY();
  for (unsigned int j = 0; j < WorldModel::FULL_PLAYERS_NUM; ++j) {
    const Player& opponent = worldModel->getFullPlayer(TID_OPPONENT, j);
    if (!opponent.isValid()) continue;
    const float x = opponent.getPos().getX();
    const float y = opponent.getPos().getY();
    if (x > ax - PRESS_BEHIND && x < ax + PRESS_AHEAD && y > ay - PRESS_SIDE &&
        y < ay + PRESS_SIDE) {
      w += Basics::reRate(body.getDistance(opponent), 0.0f, PRESS_DIST, 1.0f, 4.0f, RRM_INVERSE);
      log << "Clear::addOpp " << opponent.getUniNum() << std::endl;
    }
  }
  log << "Clear::weight(after add3) =" << w << std::endl;
  return w;
}

unsigned int Clear::bestCandidate(const Candidate* candidates, unsigned int count) {
  unsigned int best = 0;
  float bestWeight = CHOICE_START;
  for (unsigned int i = 0; i < count; ++i) {
    if (candidates[i].weight > bestWeight) {
      bestWeight = candidates[i].weight;
      best = i;
    }
  }
  return best;
}

void Clear::prepareFastKick(const Point& target) {
  FastKickToPoint kick(target, worldModel->getBall(), worldModel->getBody());
  clearCommand = kick.takeCommand();
}

void Clear::prepareBlindKick() {
  const float dir =
      worldModel->getBody().getPos().getY() >= 0.0f ? BLIND_KICK_DIR : -BLIND_KICK_DIR;
  clearCommand = std::make_unique<KickCommand>(BLIND_KICK_POWER, dir);
}

void Clear::execute(SayDecisionFlags& sayFlags) {
  logger["MainLog"] << "Clear::execute" << std::endl;
  publish(clearCommand.get());
  // Announced like a pass, to the receiver or to nobody.
  sayFlags.reset();
  sayFlags.sayInterceptNum = selectedPlayerNum;
  sayFlags.beforePass = true;
}

}  // namespace tovren
