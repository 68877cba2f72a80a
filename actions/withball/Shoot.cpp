#include "actions/withball/Shoot.h"

#include "actions/basic/BasicKick.h"
#include "connection/Command.h"
#include "foundation/Basics.h"
#include "foundation/Logger.h"
#include "geometry/Degree.h"
#include "geometry/Line.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/WorldModel.h"

#include <cmath>

namespace tovren {

namespace {

// Only a body this far up the field shoots (metres, strictly beyond).
constexpr float SHOOT_MIN_BODY_X = 30.0f;
constexpr float SHOOT_TAKEN_SCORE = 5000.0f;

// Targets along the goal line, 0.65 m apart from y = -6.5.
constexpr float GOAL_LINE_X = 52.5f;
constexpr double TARGET_STEP = 0.65;
constexpr float OUTER_TARGET_Y = 6.5f;

// The kick search: from the fastest ball down in steps, with a cap on the tries.
constexpr float KICK_START_SPEED = 4.0f;
constexpr float KICK_SPEED_STEP = 0.1f;
constexpr float KICK_MIN_SPEED = 0.0001f;
constexpr int KICK_MAX_TRIES = 40;
constexpr float KICK_USEFUL_SPEED = 0.05f;  // a slower shot is no shot

// Below this the middle of the goal is not seen well enough to shoot without any player
// to predict against.
constexpr float GOAL_SEEN_WITHOUT_PLAYERS = 84.0f;

// Where a shot nobody reaches counts as caught: well behind the goal line.
const Point NOBODY_CATCH_POINT(55.0f, 0.0f);
constexpr float CATCH_BEHIND_GOAL_X = 55.0f;
// A part of the score at or below this zeroes it.
constexpr float ZEROING_WEIGHT = 10.0f;

// The goalie mistake measures his distance from the bisector where it cuts this line.
constexpr float GOALIE_LINE_X = 51.5f;

// The aim points whose view the goal-seen weight asks about (y of the goal line).
constexpr float SIDE_AIM_Y = 5.0f;
constexpr float SIDE_AIM_FROM_Y = 2.5f;
constexpr float POST_Y = 7.0f;
constexpr float SEE_BLEND = 0.2f;
constexpr float WELL_PLACED_GOALIE_WEIGHT = 75.0f;

bool isPenaltyMode(PlayMode mode) {
  return mode >= PM_OUR_PENALTY_SETUP && mode <= PM_OPP_PENALTY_READY;
}

}  // namespace

Shoot::Shoot(const WorldModel* worldModel) : AdvancedAction(worldModel) {
  for (unsigned int i = 0; i < TARGETS_NUM; ++i) {
    shootPoints[i] = Point(GOAL_LINE_X, static_cast<float>(TARGET_STEP * i - OUTER_TARGET_Y));
  }
}

Shoot::~Shoot() = default;

void Shoot::execute(SayDecisionFlags&) {
  if (LogStream* log = logger.getWriting("MainLog")) *log << "Shoot::execute" << std::endl;
  publish(shootCommand.get());
}

void Shoot::setShootRates() {
  catchRate = 30.0f;
  noiseRate = 5.0f;
  goaliePosDeviationRate = 5.0f;
  farToGoalieRate = 25.0f;
  goalSeenRate = 8.0f;
  goalieMistakeRate = 10.0f;
  ballFastMovingRate = 8.0f;
}

float Shoot::getValue() {
  if (LogStream* log = logger.getWriting("MainLog")) *log << "Shoot::getValue" << std::endl;
  if (!(worldModel->getBody().getPos().getX() > SHOOT_MIN_BODY_X)) {
    // What an earlier valuing chose may already be on its way to the server.
    shootCommand.reset();
    return AD_MIN_VALUE;
  }
  setShootRates();
  for (unsigned int i = 0; i < TARGETS_NUM; ++i) {
    const int shootNum = static_cast<int>(i);
    shootWeights[i] = getFastest(shootNum) ? scoreTarget(shootNum) : 0.0f;
  }
  smoothShootWeights();
  return chooseShoot();
}

float Shoot::scoreTarget(int shootNum) const {
  const float catchWeight = getCatchWeight(shootNum);
  const float noiseWeight = getNoiseWeight(shootNum);
  const float farToGoalieWeight = getFarToGoalieWeight(shootNum);
  const float goalieMistakeWeight = getGoalieMistakeWeight();
  const float ballFastMovingWeight = getBallFastMovingWeight();
  const float goaliePosDeviationWeight = getGoaliePosDeviationWeight();
  const float goalSeenWeight = getGoalSeenWeight(shootNum);

  // Each partial sum is a float, as the parts are added one by one.
  float score = catchRate * catchWeight;
  score = score + noiseRate * noiseWeight;
  score = score + farToGoalieRate * farToGoalieWeight;
  score = score + goalieMistakeRate * goalieMistakeWeight;
  score = score + ballFastMovingRate * ballFastMovingWeight;
  score = score + goaliePosDeviationRate * goaliePosDeviationWeight;
  score = score + goalSeenRate * goalSeenWeight;

  LogStream* log = logLevel > 1 ? logger.getWriting("MainLog") : nullptr;
  if (log != nullptr) {
    *log << "catchWeight = " << catchWeight << std::endl
         << "noiseWeight = " << noiseWeight << std::endl
         << "farToGoalieWeight = " << farToGoalieWeight << std::endl
         << "goalieMistakeWeight = " << goalieMistakeWeight << std::endl
         << "ballFastMovingWeight = " << ballFastMovingWeight << std::endl
         << "goaliePosDeviationWeight = " << goaliePosDeviationWeight << std::endl
         << "goalSeenWeight = " << goalSeenWeight << std::endl
         << "shootWeight is = " << score << std::endl;
  }
  if (catchWeight <= ZEROING_WEIGHT) {
    score = 0.0f;
    if (log != nullptr) *log << "shootWeight changed to 0." << std::endl;
  }
  if (goalSeenWeight <= ZEROING_WEIGHT) {
    score = 0.0f;
    if (log != nullptr) *log << "shootWeight changed to 0. (goalSeen)" << std::endl;
  }
  return score;
}

void Shoot::smoothShootWeights() {
  float copied[TARGETS_NUM];
  for (unsigned int i = 0; i < TARGETS_NUM; ++i) copied[i] = shootWeights[i];
  for (unsigned int i = 0; i < TARGETS_NUM; ++i) {
    const float left = copied[i == 0 ? 1 : i - 1];
    const float right = copied[i == TARGETS_NUM - 1 ? TARGETS_NUM - 2 : i + 1];
    const float withLeft = shootWeights[i] + 0.1f * left;
    shootWeights[i] = withLeft + 0.1f * right;
  }
}

float Shoot::chooseShoot() {
  float bestShootWeight = AD_MIN_VALUE;
  unsigned int bestShootNum = NO_SHOOT;
  for (unsigned int i = 0; i < TARGETS_NUM; ++i) {
    if (shootWeights[i] > bestShootWeight) {
      bestShootWeight = shootWeights[i];
      bestShootNum = i;
    }
  }
  if (bestShootNum < TARGETS_NUM && shootCommands[bestShootNum] != nullptr) {
    shootCommand = shootCommands[bestShootNum]->clone();
  } else {
    shootCommand = std::make_unique<KickCommand>(100.0f, 0.0f);
  }

  if (LogStream* log = logLevel > 0 ? logger.getWriting("MainLog") : nullptr) {
    for (unsigned int i = 0; i < TARGETS_NUM; ++i) {
      *log << "shootWeights[" << i << "] = " << shootWeights[i] << std::endl;
    }
    *log << " bestShootWeight = " << bestShootWeight << " bestShootNum = " << bestShootNum
         << " FINAL shootCommand = " << shootCommand->toString() << std::endl;
  }
  return bestShootWeight >= SHOOT_TAKEN_SCORE ? AD_IMMEDIATE_VALUE : AD_MIN_VALUE;
}

bool Shoot::kickMaxPower(int shootNum) {
  const Ball& ball = worldModel->getBall();
  const Body& body = worldModel->getBody();
  std::unique_ptr<Command> lastTry;
  bool possible = false;
  float speed = KICK_START_SPEED;
  // Every try's command but the last is freed with its skill or when replaced here.
  for (int tries = 0; tries < KICK_MAX_TRIES && speed >= KICK_MIN_SPEED; ++tries) {
    KickToPointVelocity kick(shootPoints[shootNum], speed, ball, body, 0.0f);
    lastTry = kick.takeCommand();
    if (kick.isPossible()) {
      possible = true;
      break;
    }
    speed = speed - KICK_SPEED_STEP;
  }
  shootCommands[shootNum] = std::move(lastTry);
  return possible && speed > KICK_USEFUL_SPEED;
}

void Shoot::tuneSession(bool penalty) {
  interCalculate.setTmmSlowDashPower(40.0f);
  interCalculate.setTmmFastDashPower(100.0f);
  // In a penalty the goalie has nothing else to do than to dive.
  interCalculate.setTmmDirectDashPower(penalty ? 67.0f : 60.0f);
  interCalculate.setTmmGoalieDirectDashPower(penalty ? 67.0f : 60.0f);
  interCalculate.setTmmGoalieSeeBallDelay(0);
  interCalculate.setTmmSeeBallDelay(0);
  interCalculate.setTmmPosDevRate(penalty ? 0.78f : 0.75f);
  interCalculate.setOppSlowDashPower(10.0f);
  interCalculate.setOppFastDashPower(50.0f);
  interCalculate.setOppDirectDashPower(20.0f);
  interCalculate.setOppSeeBallDelay(2);
  interCalculate.setOppGoalieDirectDashPower(20.0f);
  interCalculate.setOppGoalieSeeBallDelay(2);
  interCalculate.setOppPosDevRate(0.15f);
}

bool Shoot::getFastest(int shootNum) {
  const Body& body = worldModel->getBody();
  interCalculate.startSession(1, &body, nullptr);
  if (logLevel > 2) interCalculate.setLogging(true);
  tuneSession(isPenaltyMode(worldModel->getPlayMode()));

  LogStream* log = logLevel > 1 ? logger.getWriting("MainLog") : nullptr;
  auto addOpponent = [&](const Player& p) {
    if (!p.isValid() || p.isGoalie()) return;
    interCalculate.addPlayer(p, false, false, true);
    if (log != nullptr)
      *log << "added opponent " << p.getUniNum() << " " << p.getPos() << std::endl;
  };
  for (unsigned int k = 0; k < WorldModel::FULL_PLAYERS_NUM; ++k) {
    addOpponent(worldModel->getFullPlayer(TID_OPPONENT, k));
  }
  for (unsigned int k = 0; k < WorldModel::HALF_PLAYERS_NUM; ++k) {
    addOpponent(worldModel->getHalfPlayer(TID_OPPONENT, k));
  }
  // As a goalie of our side he reaches the ball with his catch wherever he stands, and
  // takes the teammates' tuning.
  if (const Player* goalie = worldModel->getOppGoalie()) {
    oppGoalieCopy = *goalie;
    oppGoalieCopy.setTeamId(TID_TEAMMATE);
    interCalculate.addPlayer(oppGoalieCopy, false, false, false);
    if (log != nullptr) *log << "added goalie " << oppGoalieCopy.getPos() << std::endl;
  }

  if (!kickMaxPower(shootNum)) return false;
  if (getGoalSeenWeight(MIDDLE_TARGET) < GOAL_SEEN_WITHOUT_PLAYERS &&
      interCalculate.getPlayersNum() == 0) {
    return false;
  }
  Ball shot = worldModel->getBall();
  shot.simulateByAction(body, shootCommands[shootNum].get(), false);
  interCalculate.setVirtualBall(shot);
  interCalculate.setKickCycles(1);
  interCalculate.run();
  return true;
}

float Shoot::getCatchWeight(int) const {
  const Point catchPoint = interCalculate.existFastestPlayer()
                               ? interCalculate.getFastestInterPlayer().getInterPoint()
                               : NOBODY_CATCH_POINT;
  if (catchPoint.x >= CATCH_BEHIND_GOAL_X) return 100.0f;
  if (catchPoint.x >= GOAL_LINE_X) return 80.0f;
  return 0.0f;
}

float Shoot::getNoiseWeight(int shootNum) const {
  const float d = worldModel->getBall().getDistance(shootPoints[shootNum]);
  const float y = std::fabs(shootPoints[shootNum].y);
  // Close to the goal the kick's noise matters little, except right at the posts.
  if (d <= 2.0f) {
    if (y < 5.0f) return 100.0f;
    return y < 6.0f ? 70.0f : 50.0f;
  }
  if (y <= 4.0f) return 100.0f;
  if (d <= 6.0f) {
    // The ramp is drawn to 6 m but cut at 5.8 m.
    return y <= 5.8f ? Basics::reRate(y, 4.0f, 6.0f, 100.0f, 40.0f, RRM_DIRECT) : 40.0f;
  }
  return Basics::reRate(y, 4.0f, 5.8f, 100.0f, 25.0f, RRM_DIRECT);
}

float Shoot::getGoaliePosDeviationWeight() const {
  const Player* goalie = worldModel->getOppGoalie();
  if (goalie == nullptr) return 60.0f;
  return Basics::reRate(goalie->getPosDeviation(), 0.6f, 7.0f, 100.0f, 0.0f, RRM_DIRECT);
}

float Shoot::getFarToGoalieWeight(int shootNum) const {
  const Player* goalie = worldModel->getOppGoalie();
  if (goalie == nullptr) return 60.0f;
  return Basics::reRate(goalie->getDistance(shootPoints[shootNum]), 0.0f, 14.0f, 0.0f, 100.0f,
                        RRM_DIRECT);
}

float Shoot::getGoalSeenWeight(int shootNum) const {
  const float targetY = shootPoints[shootNum].y;
  float aimY = 0.0f;
  if (targetY > -POST_Y && targetY <= -SIDE_AIM_FROM_Y) aimY = -SIDE_AIM_Y;
  if (targetY > SIDE_AIM_FROM_Y && targetY <= POST_Y) aimY = SIDE_AIM_Y;
  Vector toAim;
  toAim.setByPoints(worldModel->getBody().getPos(), Point(GOAL_LINE_X, aimY));
  const float s = worldModel->getSeeDeltaCycle(toAim.getDirection(), SEE_BLEND);

  // A goalie whose place is well known leaves little to look for.
  if (getGoaliePosDeviationWeight() >= WELL_PLACED_GOALIE_WEIGHT) return 85.0f;
  if (s > 7.0f) return 0.0f;
  if (s > 5.0f) return 40.0f;
  return 100.0f - 8.0f * s;
}

float Shoot::getGoalieMistakeWeight() const {
  const Player* goalie = worldModel->getOppGoalie();
  if (goalie == nullptr) return 20.0f;
  const Point ball = worldModel->getBall().getPos();
  Line toUpper;
  toUpper.setByPoints(ball, Point(GOAL_LINE_X, OUTER_TARGET_Y));
  Line toLower;
  toLower.setByPoints(ball, Point(GOAL_LINE_X, -OUTER_TARGET_Y));
  Line bisector;
  bisector.setBySourceDir(
      ball, Degree::normalizeAngle((toUpper.getDirection() + toLower.getDirection()) / 2.0f));
  Line goalieLine;
  goalieLine.setBySourceDir(Point(GOALIE_LINE_X, 0.0f), 90.0f);
  Point cut;
  // On the goal line beside the goal both outer targets lie straight along it: no cut.
  if (!bisector.getLineIntersect(goalieLine, cut)) return 0.0f;
  return Basics::reRate(cut.y - goalie->getPos().getY(), 1.5f, 7.0f, 0.0f, 100.0f, RRM_DIRECT);
}

float Shoot::getBallFastMovingWeight() const {
  if (lastDecide != DT_INTERCEPT) return 0.0f;
  const Vector& vel = worldModel->getBall().getVel();
  const float measure = 0.25f * std::fabs(vel.getX()) + std::fabs(vel.getY());
  return Basics::reRate(measure, 0.75f, 2.75f, 0.0f, 100.0f, RRM_DIRECT);
}

}  // namespace tovren
