#include "actions/withball/SRPDribble.h"

#include "connection/Command.h"
#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "geometry/Degree.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/KickCalculate.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <cmath>

namespace tovren {

namespace {

// The criteria in the order of their coefficients.
enum Criterion {
  CR_DANGER_ACTION,
  CR_NEXT_STATUS,
  CR_SEE_INFORMATION,
  CR_PATH,
  CR_SPEED,
  CR_DANGER_FIELD,
  CR_BREAK_DEFENSE_LINE,
  CR_OPP_BALL_VECTOR,
};
constexpr float COEFFICIENTS[SRPDribble::COEFFICIENTS_NUM] = {3.0f, 4.0f,   1.5f, 0.8f,
                                                              4.0f, 150.0f, 4.0f, 0.0f};

// What a kick scores in a criterion when the agent does not reach its ball.
constexpr float NOT_REACHED = -999.0f;
constexpr float NOT_REACHED_FIELD = -1000.0f;  // DangerField and Speed
constexpr float NO_OPP_REACH = 999.0f;
constexpr float NO_OPP_DANGER = 2.0f;
// The opponent who comes first costs this many times the cycles he is ahead.
constexpr float OPP_AHEAD_FACTOR = 15.0f;

constexpr float SEE_BLEND = 0.5f;
constexpr float SEE_SQUARE_RATE = 0.333f;
constexpr float SEE_WIDE_ANGLE = 25.0f;  // degrees off the body direction
constexpr float SEE_WORST = -8.0f;
constexpr float SEE_UNSEEN = -100.0f;

// The Path aim: level with the body on the way forward, the goal's centre near it.
constexpr float PATH_AIM_X = 51.0f;
constexpr float PATH_CENTRE_FROM_X = 42.0f;
constexpr float PATH_DEGREES_PER_POINT = 15.0f;

constexpr float DANGER_GOAL_X = 50.0f;
constexpr float DANGER_TOUCH_Y = 31.5f;

constexpr float SPEED_BEST_RUN = 8.0f;  // metres; the value peaks at 4 there
constexpr float SPEED_STRAIGHT_ANGLE = 17.0f;
constexpr float SPEED_STRAIGHT_BONUS = 3.5f;
constexpr float SPEED_TURN_ANGLE = 32.0f;
constexpr float SPEED_TURN_COST = 5.0f;

constexpr float BREAK_ON_LINE = 5.9999f;
constexpr float BREAK_MAX = 8.0f;

// The run dashes at full power in all but one cycle.
constexpr float RUN_DASH_POWER = 100.0f;
constexpr float STAMINA_LEFT_MIN = 1400.0f;

// Penalties of every kick.
constexpr float FORBIDDEN_COST = 10001.0f;
constexpr float SLOW_REACH_CYCLES = 10.0f;  // later reaches cost the cube of the excess
constexpr float TIED_REACH_CYCLES = 6.0f;   // later tied reaches are forbidden
constexpr float GOALIE_COST = 10000.0f;
constexpr float GOALIE_SAFE_LEAD = 2.0f;  // DangerAction over its coefficient
constexpr float TIED_COST = 35.0f;

// Checks of the best kick.
constexpr float BALL_TOO_DEEP_X = 46.0f;
constexpr float BALL_TOO_DEEP_COST = 10009.0f;
constexpr float WING_BALL_X = 25.0f;
constexpr float WING_BALL_Y = 15.0f;
constexpr float NO_BREAK_TOTAL = -9090.0f;
constexpr float PATH_MIN = 10.2f;
constexpr float PATH_MISS_RATE = 20.0f;
constexpr float PATH_MISS_COST = 35.0f;
constexpr float OPP_KICKABLE_COST = 10000.0f;

constexpr float MIN_DRIBBLE_VALUE = 15.0f;

float directionTo(const Point& from, const Point& to) {
  Vector v;
  v.setByPoints(from, to);
  return v.getDirection();
}

float absAngle(float angle) { return std::fabs(Degree::normalizeAngle(angle)); }

}  // namespace

SRPDribble::SRPDribble(const WorldModel* worldModel)
    : AdvancedAction(worldModel), fan(worldModel->getCurKickCalculate()) {}

SRPDribble::~SRPDribble() = default;

void SRPDribble::execute(SayDecisionFlags&) {
  if (LogStream* log = logger.getWriting("MainLog")) *log << "SRPDribble::execute" << std::endl;
  publish(preparedCommand.get());
}

unsigned int SRPDribble::getKicksNum() const {
  const unsigned int num = fan->getSimulatesNum();
  TOVREN_CHECK(num <= MAX_KICKS_NUM);
  return num;
}

const KickInterceptCalculate& SRPDribble::getKick(unsigned int i) const {
  return fan->getSimulate(i);
}

const KickInterceptPlayer* SRPDribble::getAgentCatch(unsigned int i) const {
  const KickInterceptCalculate& kick = getKick(i);
  if (!kick.isValid() || !kick.existFastestPlayer()) return nullptr;
  const unsigned int place = kick.getCheckedListNum(worldModel->getBody());
  if (place >= kick.getCheckedPlayersNum()) return nullptr;
  return &kick.getCheckedInterPlayer(place);
}

void SRPDribble::getNextStatusValue() {
  const float bodyX = worldModel->getBody().getPos().getX();
  for (unsigned int i = 0; i < getKicksNum(); ++i) {
    const KickInterceptPlayer* agent = getAgentCatch(i);
    if (agent == nullptr) {
      nextStatusValues[i] = NOT_REACHED;
      continue;
    }
    targetPoints[i] = agent->getInterPoint();
    nextStatusValues[i] = targetPoints[i].x - bodyX;
  }
}

void SRPDribble::getDangerActionValue() {
  for (unsigned int i = 0; i < getKicksNum(); ++i) {
    const KickInterceptPlayer* agent = getAgentCatch(i);
    if (agent == nullptr) {
      dangerActionValues[i] = NOT_REACHED;
      reachCycles[i] = NOT_REACHED;
      oppReachCycles[i] = NOT_REACHED;
      continue;
    }
    const float t = static_cast<float>(agent->getInterTime());
    reachCycles[i] = t;
    const KickInterceptCalculate& kick = getKick(i);
    if (kick.getOppCheckedPlayersNum() == 0) {
      dangerActionValues[i] = NO_OPP_DANGER;
      oppReachCycles[i] = NO_OPP_REACH;
      continue;
    }
    // The opponent who reaches first; the earlier in the list of equal ones.
    const KickInterceptPlayer* first = nullptr;
    for (unsigned int k = 0; k < kick.getCheckedPlayersNum(); ++k) {
      const KickInterceptPlayer& catcher = kick.getCheckedInterPlayer(k);
      if (catcher.getPlayer() == nullptr || catcher.getPlayer()->getTeamId() != TID_OPPONENT) {
        continue;
      }
      if (first == nullptr || catcher.getInterTime() < first->getInterTime()) first = &catcher;
    }
    const float o = first != nullptr ? static_cast<float>(first->getInterTime()) : NO_OPP_REACH;
    oppReachCycles[i] = o;
    const float lead = o - t;
    dangerActionValues[i] = lead < 0.0f ? lead * OPP_AHEAD_FACTOR : lead;
  }
}

void SRPDribble::getSeeInformationValue() {
  const Body& body = worldModel->getBody();
  for (unsigned int i = 0; i < getKicksNum(); ++i) {
    if (getAgentCatch(i) == nullptr) {
      seeInformationValues[i] = NOT_REACHED;
      continue;
    }
    const float dir = directionTo(body.getPos(), targetPoints[i]);
    const float s = worldModel->getSeeDeltaCycle(dir, SEE_BLEND);
    float value = -(s + SEE_SQUARE_RATE * s * s);
    const float off = absAngle(body.getBodyDir() - dir);
    if (off > SEE_WIDE_ANGLE) value -= (off / 5.0f) * 0.1f;
    seeInformationValues[i] = value < SEE_WORST ? SEE_UNSEEN : value;
  }
}

void SRPDribble::getPathValue() {
  const Point bodyPos = worldModel->getBody().getPos();
  const Point aim(PATH_AIM_X, bodyPos.x < PATH_CENTRE_FROM_X ? bodyPos.y : 0.0f);
  const float aimDir = directionTo(bodyPos, aim);
  for (unsigned int i = 0; i < getKicksNum(); ++i) {
    const KickInterceptPlayer* agent = getAgentCatch(i);
    if (agent == nullptr) {
      pathValues[i] = NOT_REACHED;
      continue;
    }
    targetPoints[i] = agent->getInterPoint();
    const float dir = directionTo(bodyPos, targetPoints[i]);
    float value = (180.0f - absAngle(dir - aimDir)) / PATH_DEGREES_PER_POINT;
    // Beside the goal's centre straight forward counts as well as toward the aim.
    if (aim.y != 0.0f) value = std::max(value, (180.0f - absAngle(dir)) / PATH_DEGREES_PER_POINT);
    pathValues[i] = value;
  }
}

void SRPDribble::getDangerFieldValue() {
  for (unsigned int i = 0; i < getKicksNum(); ++i) {
    const KickInterceptPlayer* agent = getAgentCatch(i);
    if (agent == nullptr) {
      dangerFieldValues[i] = NOT_REACHED_FIELD;
      continue;
    }
    const Point p = agent->getInterPoint();
    float value = 0.0f;
    if (p.x > DANGER_GOAL_X) value -= p.x - DANGER_GOAL_X;
    if (std::fabs(p.y) > DANGER_TOUCH_Y) value -= std::fabs(p.y) - DANGER_TOUCH_Y;
    dangerFieldValues[i] = value;
  }
}

void SRPDribble::getSpeedValue() {
  const Body& body = worldModel->getBody();
  const Ball& ball = worldModel->getBall();
  for (unsigned int i = 0; i < getKicksNum(); ++i) {
    const KickInterceptPlayer* agent = getAgentCatch(i);
    if (agent == nullptr) {
      speedValues[i] = NOT_REACHED_FIELD;
      continue;
    }
    const Point p = agent->getInterPoint();
    const float d = ball.getDistance(p);
    float value = d <= SPEED_BEST_RUN ? d - 4.0f : 12.0f - d;
    const float off = absAngle(directionTo(body.getPos(), p) - body.getBodyDir());
    if (off < SPEED_STRAIGHT_ANGLE) value += SPEED_STRAIGHT_BONUS;
    if (off > SPEED_TURN_ANGLE) value -= SPEED_TURN_COST;
    speedValues[i] = value;
  }
}

void SRPDribble::getBreakDefenseLineValue() {
  const float line = worldModel->getOppOffsideLine(true);
  const float ballX = worldModel->getBall().getPos().getX();
  for (unsigned int i = 0; i < getKicksNum(); ++i) {
    const KickInterceptCalculate& kick = getKick(i);
    if (!kick.isValid() || !kick.existFastestPlayer()) {
      breakDefenseLineValues[i] = NOT_REACHED;
    } else if (ballX == line) {
      breakDefenseLineValues[i] = BREAK_ON_LINE;
    } else {
      const float gain = kick.getFastestInterPlayer().getInterPoint().x - line;
      breakDefenseLineValues[i] = std::clamp(gain, 0.0f, BREAK_MAX);
    }
  }
}

void SRPDribble::getOppBallVectorValue() {
  const Point bodyPos = worldModel->getBody().getPos();
  for (unsigned int i = 0; i < getKicksNum(); ++i) {
    const KickInterceptCalculate& kick = getKick(i);
    if (!kick.isValid() || !kick.existFastestPlayer()) {
      oppBallVectorValues[i] = NOT_REACHED;
    } else if (!kick.existFastestOppPlayer()) {
      oppBallVectorValues[i] = 1.0f;
    } else if (getAgentCatch(i) == nullptr ||
               kick.getFastestOppInterPlayer().getPlayer() == nullptr) {
      oppBallVectorValues[i] = NOT_REACHED;
    } else {
      const Point opp = kick.getFastestOppInterPlayer().getPlayer()->getPos();
      const float a =
          absAngle(directionTo(bodyPos, targetPoints[i]) - directionTo(opp, targetPoints[i]));
      const float c = Degree::cos(a);
      oppBallVectorValues[i] = c * c * c;
    }
  }
}

void SRPDribble::getQuantomicStaminaValue() {
  const Body& body = worldModel->getBody();
  LogStream* log = logger.getWriting("MainLog");
  for (unsigned int i = 0; i < getKicksNum(); ++i) {
    const float t = reachCycles[i];
    if (getAgentCatch(i) == nullptr || t < 0.0f) {
      staminaOk[i] = false;
      continue;
    }
    const float left =
        body.getStamina() + body.getStaminaIncMax() * t - RUN_DASH_POWER * (t - 1.0f);
    if (log != nullptr) *log << "subStamina of best SarePa Counter is " << left << std::endl;
    staminaOk[i] = left >= STAMINA_LEFT_MIN;
  }
}

float SRPDribble::penalizeKick(unsigned int i, float total) const {
  const float danger = dangerActionValues[i];
  const float t = reachCycles[i];
  if (!staminaOk[i]) total -= FORBIDDEN_COST;
  if (t > SLOW_REACH_CYCLES) {
    const float late = t - SLOW_REACH_CYCLES;
    total -= late * late * late;
  }
  if (t > TIED_REACH_CYCLES && danger == 0.0f) total -= FORBIDDEN_COST;
  const KickInterceptCalculate& kick = getKick(i);
  if (kick.isValid() && kick.existFastestPlayer() && kick.existFastestOppPlayer()) {
    const Player* opp = kick.getFastestOppInterPlayer().getPlayer();
    if (opp != nullptr && opp->isGoalie() &&
        !(danger / coefficients[CR_DANGER_ACTION] > GOALIE_SAFE_LEAD)) {
      total -= GOALIE_COST;
    }
  }
  if (danger <= 0.0f) total -= TIED_COST;
  return total;
}

float SRPDribble::checkBestKick(float total) const {
  const unsigned int best = bestSarePaCounter;
  const Ball& ball = worldModel->getBall();
  const float ballX = ball.getPos().getX();
  const float ballY = ball.getPos().getY();
  if (ballX > BALL_TOO_DEEP_X) total -= BALL_TOO_DEEP_COST;
  total += coefficients[CR_OPP_BALL_VECTOR] * oppBallVectorValues[best];

  const float breakLine = breakDefenseLineValues[best];
  const unsigned int post = worldModel->getBody().getPostNum();
  // A winger may run along his touch line without gaining on the defence.
  const bool wingRun = ballX > WING_BALL_X &&
                       ((post == 6 && ballY > WING_BALL_Y) || (post == 7 && ballY < -WING_BALL_Y));
  if (breakLine > 0.0f || wingRun) {
    total += 2.0f * breakLine;
  } else {
    total = NO_BREAK_TOTAL;
  }

  if (pathValues[best] < PATH_MIN)
    total -= (PATH_MIN - pathValues[best]) * PATH_MISS_RATE + PATH_MISS_COST;
  if (oppReachCycles[best] == 1.0f && dangerActionValues[best] == 0.0f) {
    if (LogStream* log = logger.getWriting("MainLog")) {
      *log << "the target point of best sarepa counter was in opp kickable" << std::endl;
    }
    total -= OPP_KICKABLE_COST;
  }
  return total;
}

float SRPDribble::getValue() {
  LogStream* log = logger.getWriting("MainLog");
  if (log != nullptr) *log << "SRPDribble::getValue" << std::endl;
  std::copy(std::begin(COEFFICIENTS), std::end(COEFFICIENTS), std::begin(coefficients));

  const unsigned int kicksNum = getKicksNum();
  bestSarePaCounter = 0;
  if (kicksNum == 0) {
    preparedCommand.reset();
    return NO_DRIBBLE_VALUE;
  }

  getNextStatusValue();
  getDangerActionValue();
  getSeeInformationValue();
  getPathValue();
  getDangerFieldValue();
  getSpeedValue();
  getBreakDefenseLineValue();
  getOppBallVectorValue();
  getQuantomicStaminaValue();

  for (unsigned int i = 0; i < kicksNum; ++i) {
    const float values[COEFFICIENTS_NUM] = {dangerActionValues[i],
                                            nextStatusValues[i],
                                            seeInformationValues[i],
                                            pathValues[i],
                                            speedValues[i],
                                            dangerFieldValues[i],
                                            breakDefenseLineValues[i],
                                            oppBallVectorValues[i]};
    float total = 0.0f;
    for (unsigned int c = 0; c < COEFFICIENTS_NUM; ++c) total += coefficients[c] * values[c];
    totalValues[i] = penalizeKick(i, total);
    if (totalValues[i] > totalValues[bestSarePaCounter]) bestSarePaCounter = i;
  }
  if (log != nullptr) {
    *log << "bestSarePaCounter : " << bestSarePaCounter << std::endl
         << "worldModel->getCurKickCalculate().getSimulatesNum() : " << kicksNum << std::endl;
  }

  const KickInterceptCalculate& best = getKick(bestSarePaCounter);
  const KickCommand* bestKick = best.getKickCommand();
  preparedCommand =
      best.isValid() && bestKick != nullptr
          ? std::make_unique<KickCommand>(bestKick->getPower(), bestKick->getDirection())
          : nullptr;

  totalValues[bestSarePaCounter] = checkBestKick(totalValues[bestSarePaCounter]);
  const float value = totalValues[bestSarePaCounter];
  return value >= MIN_DRIBBLE_VALUE ? value : NO_DRIBBLE_VALUE;
}

}  // namespace tovren
