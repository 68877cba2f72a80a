#include "decisions/NonPlayOnDecision.h"

#include "actions/basic/BasicDash.h"
#include "actions/basic/BasicKick.h"
#include "actions/withball/Pass.h"
#include "actions/withball/Shoot.h"
#include "actions/withoutball/Defense.h"
#include "actions/withoutball/GoaliePositioning.h"
#include "actions/withoutball/Intercept.h"
#include "actions/withoutball/NonPlayOn.h"
#include "actions/withoutball/Offense.h"
#include "connection/Command.h"
#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace tovren {

namespace {

// The referee's countdowns, as the world model starts them at the call.
constexpr unsigned int SET_PLAY_COUNT = 200;
constexpr unsigned int FAULT_COUNT = 30;
constexpr unsigned int GOAL_COUNT = 50;

// Kicker selection.
constexpr unsigned int ADVISER_UNI_NUM = 5;
constexpr unsigned int GOALIE_UNI_NUM = 1;
constexpr unsigned int CORNER_TAKER_BALL_Y_ABOVE_0 = 10;
constexpr unsigned int CORNER_TAKER_BALL_Y_NOT_ABOVE_0 = 11;
constexpr float KICK_IN_NEAR_CORNER_X = 35.0f;
// Home points this close to the least distance are all nearest at a kick-off.
constexpr float SIMPLE_TIE_MARGIN = 0.0001f;  // metres
// Farther than the nearest other player by this, a player ignores advice naming it.
constexpr float FAR_FROM_BALL_MARGIN = 20.0f;  // metres
// Nobody goes to the ball before the advice has had time to go round.
constexpr unsigned int KICKER_WAIT_CYCLES = 6;
// The adviser forgets its choice in the first cycles of each set play.
constexpr unsigned int ADVISER_CLEAR_CYCLES = 1;
constexpr float KICKER_SEARCH_START = 10000.0f;
constexpr float ADVISER_SEARCH_START = 100000.0f;

// The taker waits behind the ball this long, longer after our goalie's catch, so that the
// team can take its places; it kicks at the latest when the count runs out.
constexpr unsigned int BACK_BALL_WAIT_CYCLES = 32;
constexpr unsigned int GOALIE_CATCH_WAIT_CYCLES = 100;
constexpr unsigned int KICK_DUE_REMAIN_CYCLES = 2;
constexpr float RESTED_STAMINA_MARGIN = 1.0f;

// The goalie kicks out after its catch towards the post of uniform 6.
const Point GOALIE_CATCH_KICK_TARGET(-33.0f, 28.0f);
constexpr unsigned int GOALIE_CATCH_KICK_RECEIVER = 6;
// At our goal kick the goalie listens to the defender on the ball's side.
constexpr unsigned int GOAL_KICK_LISTEN_BALL_Y_ABOVE_0 = 7;
constexpr unsigned int GOAL_KICK_LISTEN_BALL_Y_NOT_ABOVE_0 = 8;

// The opponents' goal kick: the ball is in play once it moves; the fastest of us meets it
// outside their penalty area.
constexpr float GOAL_KICK_MOVING_SPEED = 0.1f;
constexpr float AXIS_EPSILON = 0.0001f;
constexpr float AREA_FRONT_X = 35.5f;
constexpr float AREA_SIDE_Y = 20.5f;
constexpr float ACROSS_TARGET_Y = 20.0f;
constexpr float FIELD_X_LIMIT = 52.0f;
constexpr float FORBIDDEN_X = 36.0f;
constexpr float FORBIDDEN_Y = 20.0f;

// Where the kick's two actions stand in the list, and the level they are weighed at.
constexpr unsigned int PASS_INDEX = 5;
constexpr unsigned int SHOOT_INDEX = 6;
constexpr int KICK_QUICK_LEVEL = 1;

unsigned int countdownStart(PlayMode mode) {
  switch (mode) {
    case PM_OUR_KICK_OFF:
    case PM_OPP_KICK_OFF:
    case PM_OUR_FREE_KICK:
    case PM_OPP_FREE_KICK:
    case PM_OUR_KICK_IN:
    case PM_OPP_KICK_IN:
    case PM_OUR_GOAL_KICK:
    case PM_OPP_GOAL_KICK:
    case PM_OUR_CORNER_KICK:
    case PM_OPP_CORNER_KICK:
      return SET_PLAY_COUNT;
    case PM_OUR_OFFSIDE:
    case PM_OPP_OFFSIDE:
    case PM_OUR_FREE_KICK_FAULT:
    case PM_OPP_FREE_KICK_FAULT:
    case PM_OUR_CATCH_FAULT:
    case PM_OPP_CATCH_FAULT:
      return FAULT_COUNT;
    case PM_OUR_GOAL:
    case PM_OPP_GOAL:
      return GOAL_COUNT;
    default:
      return 0;
  }
}

// The opponents' offside, free-kick fault and catch fault: our restart with nobody
// named to take it.
bool isOppFault(PlayMode mode) {
  return mode == PM_OPP_OFFSIDE || mode == PM_OPP_FREE_KICK_FAULT || mode == PM_OPP_CATCH_FAULT;
}

// The modes in which our team takes the next kick.
bool isOffenceMode(PlayMode mode) {
  switch (mode) {
    case PM_OUR_KICK_OFF:
    case PM_OUR_FREE_KICK:
    case PM_OUR_KICK_IN:
    case PM_OPP_OFFSIDE:
    case PM_OPP_GOAL:
    case PM_OUR_GOAL_KICK:
    case PM_OUR_CORNER_KICK:
    case PM_OPP_FREE_KICK_FAULT:
    case PM_OPP_CATCH_FAULT:
    case PM_OPP_BACK_PASS:
      return true;
    default:
      return false;
  }
}

bool isUniNum(unsigned int uniNum) {
  return uniNum >= 1 && uniNum <= NonPlayOnDecision::PLAYERS_NUM;
}

float ballDistance(const NonPlayOnDecision::HomePoints& homePoints, unsigned int uniNum,
                   const Point& ballPos) {
  return homePoints[uniNum - 1].getDistance(ballPos);
}

// The least ball distance over the field players' home points, one of them left out
// (0 leaves none out); a distance replaces the least only when strictly smaller.
float nearestFieldPlayerDistance(const NonPlayOnDecision::HomePoints& homePoints,
                                 const Point& ballPos, unsigned int leftOut) {
  float nearest = KICKER_SEARCH_START;
  for (unsigned int u = GOALIE_UNI_NUM + 1; u <= NonPlayOnDecision::PLAYERS_NUM; ++u) {
    if (u == leftOut) continue;
    nearest = std::min(nearest, ballDistance(homePoints, u, ballPos));
  }
  return nearest;
}

unsigned int cornerTaker(const Point& ballPos) {
  return ballPos.y > 0.0f ? CORNER_TAKER_BALL_Y_ABOVE_0 : CORNER_TAKER_BALL_Y_NOT_ABOVE_0;
}

}  // namespace

NonPlayOnDecision::NonPlayOnDecision(const WorldModel* worldModel, const Positioning& positioning,
                                     SayDecisionFlags& sayFlags, TurnNeckMode& turnNeckMode)
    : BodyDecision(worldModel, sayFlags, turnNeckMode) {
  // These quick levels never take effect: every decision disables all the actions and
  // enables the pass and the shot alone, for the taker's kick.
  const AdvancedActionWeights neutral;
  addAdvancedAction(gotoKick = new NonPlayOnGotoKick(worldModel), neutral, 1);
  addAdvancedAction(backBall = new NonPlayOnBackBall(worldModel), neutral, 1);
  addAdvancedAction(beforeKickOff = new NonPlayOnBeforeKickOff(worldModel), neutral, 1);
  addAdvancedAction(defense = new Defense(worldModel, positioning), neutral, 1);
  addAdvancedAction(offense = new Offense(worldModel, positioning), neutral, 1);
  addAdvancedAction(pass = new Pass(worldModel, false), neutral, 1);
  addAdvancedAction(shoot = new Shoot(worldModel), neutral, 1);
  addAdvancedAction(new Intercept(worldModel), neutral, 1);
  addAdvancedAction(goaliePositioning = new GoaliePositioning(worldModel), neutral, 0);
  addAdvancedAction(goalieCatchOffense = new GoalieCatchOffense(worldModel), neutral, 0);
  pass->setCurKickCalculate(worldModel->getCurKickCalculate());
}

NonPlayOnDecision::~NonPlayOnDecision() = default;

int NonPlayOnDecision::decide(int quickLevel) {
  HomePoints homePoints;
  homePoints.fill(Point(0.0f, 0.0f));
  LogStream& log = logger["MainLog"];
  log << "NonPlayOnDecision" << std::endl;
  turnNeckMode = TNM_LOOK_NORMALLY;
  sayFlags.reset();

  const PlayMode mode = worldModel->getPlayMode();
  if (mode == PM_TIME_UP_WITHOUT_A_TEAM || mode == PM_TIME_UP) {
    log << "NonPlayOnDecision Returning empty" << std::endl;
    setCommand(std::make_unique<EmptyCommand>());
    return DT_NONE;
  }
  resetQuickLevels();
  command.reset();
  getCurrentHomePoints(homePoints);

  switch (mode) {
    case PM_BEFORE_KICK_OFF:
    case PM_OUR_GOAL:
    case PM_OPP_GOAL:
      log << "NONPLAYON: MODE1" << std::endl;
      return kickOffPlaces(homePoints);
    case PM_OUR_KICK_OFF:
      log << "NONPLAYON: MODE2" << std::endl;
      return ownKickOff(quickLevel, homePoints);
    case PM_OPP_KICK_OFF:
      log << "NONPLAYON: MODE3" << std::endl;
      return kickOffPlaces(homePoints);
    case PM_OUR_FREE_KICK:
    case PM_OUR_KICK_IN:
    case PM_OUR_CORNER_KICK:
      log << "NONPLAYON: MODE4" << std::endl;
      return ownFreeKick(quickLevel, homePoints);
    case PM_OPP_FREE_KICK:
    case PM_OPP_KICK_IN:
    case PM_OPP_CORNER_KICK:
      log << "NONPLAYON: MODE5" << std::endl;
      return defend();
    case PM_OUR_OFFSIDE:
    case PM_OUR_FREE_KICK_FAULT:
    case PM_OUR_CATCH_FAULT:
    case PM_OUR_BACK_PASS:
      log << "NONPLAYON: MODE6" << std::endl;
      return defend();
    case PM_OPP_OFFSIDE:
    case PM_OPP_FREE_KICK_FAULT:
    case PM_OPP_CATCH_FAULT:
    case PM_OPP_BACK_PASS:
      log << "NONPLAYON: MODE7" << std::endl;
      return restartAfterOppFoul(homePoints);
    case PM_OUR_GOAL_KICK:
      log << "NONPLAYON: MODE8" << std::endl;
      return ownGoalKick(quickLevel);
    case PM_OPP_GOAL_KICK:
      log << "NONPLAYON: MODE9" << std::endl;
      return oppGoalKick();
    default:
      log << "NONPLAYON: MODE0 default(CHECK IT)" << std::endl;
      setCommand(std::make_unique<EmptyCommand>());
      return DT_NONE;
  }
}

void NonPlayOnDecision::getCurrentHomePoints(HomePoints& homePoints) {
  const PlayMode mode = worldModel->getPlayMode();
  if (mode == PM_BEFORE_KICK_OFF || mode == PM_OUR_KICK_OFF || mode == PM_OPP_KICK_OFF) {
    for (unsigned int u = 1; u <= PLAYERS_NUM; ++u)
      homePoints[u - 1] = NonPlayOnBeforeKickOff::getMovePoint(u);
  } else if (mode == PM_OUR_FREE_KICK &&
             worldModel->getVirtualPlayMode() == VPM_OUR_GOALIE_CATCH_BALL) {
    goalieCatchOffense->getValue();
    for (unsigned int u = 1; u <= PLAYERS_NUM; ++u)
      homePoints[u - 1] = goalieCatchOffense->getHomePoint(u);
  } else if (isOffenceMode(mode)) {
    offense->getValue();
    for (unsigned int u = 1; u <= PLAYERS_NUM; ++u) homePoints[u - 1] = offense->getHomePoint(u);
  } else {
    // Only the agent's own defensive point is known; it stands for everybody's.
    defense->getValue();
    for (unsigned int u = 1; u <= PLAYERS_NUM; ++u)
      homePoints[u - 1] = defense->getHomePoint(static_cast<int>(u));
  }

  LogStream& log = logger["MainLog"];
  if (!log.isOutValid()) return;
  log << "All home points found." << std::endl;
  for (unsigned int u = 1; u <= PLAYERS_NUM; ++u)
    log << "\tHome point " << u << ": " << homePoints[u - 1] << std::endl;
}

int NonPlayOnDecision::selectBallKicker(const HomePoints& homePoints) const {
  const Body& body = worldModel->getBody();
  const PlayMode mode = worldModel->getPlayMode();
  const VirtualPlayMode virtualMode = worldModel->getVirtualPlayMode();
  const Point ballPos(worldModel->getBall().getPos());
  const unsigned int uniNum = body.getUniNum();
  TOVREN_CHECK(isUniNum(uniNum));
  LogStream& log = logger["MainLog"];

  if (mode == PM_OUR_FREE_KICK && virtualMode == VPM_OUR_GOALIE_CATCH_BALL)
    return body.isGoalie() ? KICKER : NOT_KICKER;
  if (mode == PM_OUR_GOAL_KICK && virtualMode != VPM_GOAL_KICK_TAKEN)
    return body.isGoalie() ? KICKER : NOT_KICKER;
  if (body.isGoalie()) return NOT_KICKER;
  if (mode == PM_OUR_CORNER_KICK) return uniNum == cornerTaker(ballPos) ? KICKER : NOT_KICKER;

  const float own = ballDistance(homePoints, uniNum, ballPos);
  if (mode == PM_BEFORE_KICK_OFF || mode == PM_OUR_GOAL || mode == PM_OPP_GOAL ||
      mode == PM_OUR_KICK_OFF || mode == PM_OPP_KICK_OFF) {
    // Every field player with the nearest home point answers, ties included.
    const float nearest = nearestFieldPlayerDistance(homePoints, ballPos, 0);
    if (log.isOutValid())
      log << "selectBallKicker simple: own " << own << " nearest " << nearest << std::endl;
    return own < nearest + SIMPLE_TIE_MARGIN ? KICKER : NOT_KICKER;
  }

  if (isOppFault(mode)) return NOT_KICKER;
  const unsigned int pastCycles = getSetPlayPastCycles();
  if (pastCycles < KICKER_WAIT_CYCLES) {
    log << "selectBallKicker: waiting for advice, " << pastCycles << " cycles" << std::endl;
    return NOT_KICKER;
  }
  const float nearestOther = nearestFieldPlayerDistance(homePoints, ballPos, uniNum);
  if (own > nearestOther + FAR_FROM_BALL_MARGIN) {
    log << "selectBallKicker: too far from the ball" << std::endl;
    return NOT_KICKER;
  }
  // Without fresh advice nobody goes to the ball.
  const unsigned int advice = getFreshAdvice();
  if (log.isOutValid()) log << "selectBallKicker: advice " << advice << std::endl;
  return advice == uniNum ? KICKER : NOT_KICKER;
}

void NonPlayOnDecision::selectBallKickerSay(const HomePoints& homePoints) {
  const PlayMode mode = worldModel->getPlayMode();
  if (isOppFault(mode)) return;
  sayFlags.freeKick = false;
  if (getSetPlayPastCycles() <= ADVISER_CLEAR_CYCLES) {
    savedAdvicePlayer = -1;
    return;
  }
  // Nothing is said on a ball not seen since the set play began.
  if (worldModel->getBall().getSeeTime() <= getSetPlayStartCycle()) return;

  const Body& body = worldModel->getBody();
  const unsigned int uniNum = body.getUniNum();
  LogStream& log = logger["MainLog"];
  if (uniNum != ADVISER_UNI_NUM) {
    const unsigned int advice = getFreshAdvice();
    if (advice == 0) {
      sayFlags.attentionNum = ADVISER_UNI_NUM;
      return;
    }
    sayFlags.freeKick = true;
    sayFlags.freeKickAdviceNum = advice;
    sayFlags.attentionNum = advice;
    return;
  }

  if (savedAdvicePlayer == -1) {
    const Point ballPos(worldModel->getBall().getPos());
    unsigned int chosen = ADVISER_UNI_NUM;
    if (!body.isGoalie() && mode == PM_OUR_FREE_KICK &&
        worldModel->getVirtualPlayMode() == VPM_OUR_GOALIE_CATCH_BALL) {
      chosen = GOALIE_UNI_NUM;
    } else if (mode == PM_OUR_CORNER_KICK ||
               (mode == PM_OUR_KICK_IN && ballPos.x >= KICK_IN_NEAR_CORNER_X)) {
      chosen = cornerTaker(ballPos);
    } else {
      // The lowest number wins among equal distances.
      float nearest = ADVISER_SEARCH_START;
      for (unsigned int u = GOALIE_UNI_NUM + 1; u <= PLAYERS_NUM; ++u) {
        const float distance = ballDistance(homePoints, u, ballPos);
        if (distance < nearest) {
          nearest = distance;
          chosen = u;
        }
      }
    }
    savedAdvicePlayer = static_cast<int>(chosen);
    if (log.isOutValid()) log << "selectBallKickerSay: advised " << chosen << std::endl;
  }
  sayFlags.freeKickAdviceNum = static_cast<unsigned int>(savedAdvicePlayer);
  sayFlags.freeKick = true;
  sayFlags.attentionNum = static_cast<unsigned int>(savedAdvicePlayer);
}

int NonPlayOnDecision::backBallChoice(int wait) const {
  const PlayMode mode = worldModel->getPlayMode();
  const unsigned int threshold =
      mode == PM_OUR_FREE_KICK && worldModel->getVirtualPlayMode() == VPM_OUR_GOALIE_CATCH_BALL
          ? GOALIE_CATCH_WAIT_CYCLES
          : BACK_BALL_WAIT_CYCLES;
  // A fault's short count ends with the restart itself, so it never makes the kick due.
  if (!isOppFault(mode) && worldModel->getPlayModeRemainCycle() <= KICK_DUE_REMAIN_CYCLES)
    return KICK_NOW;
  // The server drops the ball itself once drop_ball_time cycles pass with the kick not
  // taken, which may be long before the countdown ends: kick before it does.
  const unsigned int dropBallTime = getDropBallTime();
  if (!isOppFault(mode) && dropBallTime > 0 &&
      getSetPlayPastCycles() + KICK_DUE_REMAIN_CYCLES >= dropBallTime)
    return KICK_NOW;
  if (getSetPlayPastCycles() < threshold) return KEEP_WAITING;
  if (wait > 0) return KEEP_WAITING;

  const Body& body = worldModel->getBody();
  if (body.getStamina() < body.getStaminaMax() - RESTED_STAMINA_MARGIN) return KEEP_WAITING;
  for (unsigned int i = 0; i < PLAYERS_NUM; ++i) {
    const Player& player = worldModel->getFullPlayer(TID_TEAMMATE, i);
    if (player.isValid() && player.getStamina() < player.getStaminaMax() - RESTED_STAMINA_MARGIN) {
      logger["MainLog"] << "backBallChoice : COPS player " << player.getUniNum() << std::endl;
      return KEEP_WAITING;
    }
  }
  return KICK_NOW;
}

int NonPlayOnDecision::DefenseOffenseChoice() const {
  const PlayMode mode = worldModel->getPlayMode();
  if (mode == PM_TIME_UP_WITHOUT_A_TEAM || mode == PM_TIME_UP) return SET_PLAY_ENDED;
  return isOffenceMode(mode) ? SET_PLAY_OFFENSE : SET_PLAY_DEFENSE;
}

Point NonPlayOnDecision::getOppGoalKickTarget(const Point& ballPos, const Vector& ballVel) {
  const float vx = ballVel.getX();
  const float vy = ballVel.getY();
  if (std::fabs(vx) <= AXIS_EPSILON)
    return Point(ballPos.x, vy < 0 ? -ACROSS_TARGET_Y : ACROSS_TARGET_Y);
  if (std::fabs(vy) <= AXIS_EPSILON) return Point(AREA_FRONT_X, ballPos.y);
  const float slope = vy / vx;
  const float offset = ballPos.y - ballPos.x * slope;
  const float yAtFront = AREA_FRONT_X * slope + offset;
  if (std::fabs(yAtFront) <= AREA_SIDE_Y) return Point(AREA_FRONT_X, yAtFront);
  const float sideY = vy < 0 ? -AREA_SIDE_Y : AREA_SIDE_Y;
  // A flat path meets the band far away; keep the target on the field.
  const float x = std::clamp((sideY - offset) / slope, -FIELD_X_LIMIT, FIELD_X_LIMIT);
  return Point(x, sideY);
}

unsigned int NonPlayOnDecision::getSetPlayPastCycles() const {
  // The back pass has no countdown: its set play is taken to be drop_ball_time old.
  unsigned int start = countdownStart(worldModel->getPlayMode());
  if (start == 0) start = getDropBallTime();
  const unsigned int remaining = worldModel->getPlayModeRemainCycle();
  return start > remaining ? start - remaining : 0;
}

unsigned int NonPlayOnDecision::getSetPlayStartCycle() const {
  const unsigned int now = worldModel->getCurTime();
  const unsigned int past = getSetPlayPastCycles();
  return now > past ? now - past : 0;
}

unsigned int NonPlayOnDecision::getFreshAdvice() const {
  const unsigned int advice = worldModel->getFreeKickAdvicerSayNumber();
  if (!isUniNum(advice)) return 0;
  return worldModel->getFreeKickAdvicerSayCycle() > getSetPlayStartCycle() ? advice : 0;
}

unsigned int NonPlayOnDecision::getDropBallTime() const {
  const ConfigGroup& params = worldModel->getServerParam();
  if (!params.has("drop_ball_time")) return 0;
  const int value = params["drop_ball_time"].asInt();
  return value > 0 ? static_cast<unsigned int>(value) : 0;
}

int NonPlayOnDecision::runDirectly(AdvancedAction& action) {
  action.getValue();
  return executeValued(action);
}

int NonPlayOnDecision::executeValued(AdvancedAction& action) {
  action.execute(sayFlags);
  setCommand(action.takeCommand());
  return action.getType();
}

bool NonPlayOnDecision::approachKick(int& decideType) {
  // Valuing withdraws what the walk published before, so nothing of it is left to free.
  gotoKick->getValue();
  if (gotoKick->getStatus() == GOTO_STATUS_MOVING) {
    decideType = executeValued(*gotoKick);
    return true;
  }
  if (backBallChoice(0) == KICK_NOW) return false;
  decideType = runDirectly(*backBall);
  return true;
}

int NonPlayOnDecision::weighKick(int quickLevel, bool shotAllowed) {
  quickLevels[PASS_INDEX] = KICK_QUICK_LEVEL;
  quickLevels[SHOOT_INDEX] = shotAllowed ? KICK_QUICK_LEVEL : AD_DISABLED_QUICK_LEVEL;
  sayFlags.reset();
  return BodyDecision::decide(quickLevel);
}

int NonPlayOnDecision::kickOffPlaces(const HomePoints& homePoints) {
  beforeKickOff->setIsKicker(selectBallKicker(homePoints) != NOT_KICKER);
  return runDirectly(*beforeKickOff);
}

int NonPlayOnDecision::ownKickOff(int quickLevel, const HomePoints& homePoints) {
  if (selectBallKicker(homePoints) == NOT_KICKER) {
    beforeKickOff->setIsKicker(false);
    return runDirectly(*beforeKickOff);
  }
  logger["MainLog"] << "NONPLAYON: MODE2 kicker" << std::endl;
  turnNeckMode = TNM_LOOK_CAREFULLY;
  int decideType = DT_NONE;
  if (approachKick(decideType)) return decideType;
  return weighKick(quickLevel, true);
}

int NonPlayOnDecision::ownFreeKick(int quickLevel, const HomePoints& homePoints) {
  selectBallKickerSay(homePoints);
  const bool kicker = selectBallKicker(homePoints) != NOT_KICKER;
  const bool goalie = worldModel->getBody().isGoalie();
  const bool afterCatch = worldModel->getPlayMode() == PM_OUR_FREE_KICK &&
                          worldModel->getVirtualPlayMode() == VPM_OUR_GOALIE_CATCH_BALL;
  LogStream& log = logger["MainLog"];
  if (log.isOutValid())
    log << "NONPLAYON: MODE4 " << kicker << " " << goalie << " " << afterCatch << std::endl;
  if (!kicker) {
    if (goalie) return runDirectly(*goaliePositioning);
    if (afterCatch) return runDirectly(*goalieCatchOffense);
    return runDirectly(*offense);
  }
  turnNeckMode = TNM_LOOK_CAREFULLY;
  if (goalie && afterCatch) {
    if (backBallChoice(0) != KICK_NOW) return runDirectly(*backBall);
    return goalieCatchKick();
  }
  int decideType = DT_NONE;
  if (approachKick(decideType)) return decideType;
  const bool indirect = worldModel->getPlayMode() == PM_OUR_FREE_KICK &&
                        worldModel->getVirtualPlayMode() == VPM_OUR_INDIRECT_FREE_KICK;
  return weighKick(quickLevel, !indirect);
}

int NonPlayOnDecision::goalieCatchKick() {
  goalieCatchOffense->getValue();
  goalieCatchOffense->execute(sayFlags);
  if (goalieCatchOffense->getStatus() == GOTO_STATUS_MOVING) {
    setCommand(goalieCatchOffense->takeCommand());
    return goalieCatchOffense->getType();
  }
  // At its kick point the goalie's empty command gives way to the kick.
  goalieCatchOffense->takeCommand();
  LogStream& log = logger["MainLog"];
  log << "NPP FKick to " << GOALIE_CATCH_KICK_TARGET << std::endl;
  FastKickToPoint kick(GOALIE_CATCH_KICK_TARGET, worldModel->getBall(), worldModel->getBody());
  setCommand(kick.takeCommand());
  if (log.isOutValid() && command) log << "NPO cmd:" << command->toString() << std::endl;
  sayFlags.sayInterceptNum = GOALIE_CATCH_KICK_RECEIVER;
  sayFlags.beforePass = true;
  sayFlags.freeKick = false;
  return DT_PASS;
}

int NonPlayOnDecision::defend() {
  if (worldModel->getBody().isGoalie()) return runDirectly(*goaliePositioning);
  return runDirectly(*defense);
}

int NonPlayOnDecision::restartAfterOppFoul(const HomePoints& homePoints) {
  selectBallKickerSay(homePoints);
  if (selectBallKicker(homePoints) == NOT_KICKER) {
    if (worldModel->getBody().isGoalie()) return runDirectly(*goaliePositioning);
    return runDirectly(*offense);
  }
  logger["MainLog"] << "NONPLAYON: MODE7 kicker" << std::endl;
  turnNeckMode = TNM_LOOK_CAREFULLY;
  int decideType = DT_NONE;
  if (approachKick(decideType)) return decideType;
  // Standing behind the ball when the kick is due, the taker sends nothing.
  setCommand(std::make_unique<EmptyCommand>());
  return DT_NONE;
}

int NonPlayOnDecision::ownGoalKick(int quickLevel) {
  const bool taken = worldModel->getVirtualPlayMode() == VPM_GOAL_KICK_TAKEN;
  if (!worldModel->getBody().isGoalie()) {
    if (!taken) sayFlags.attentionNum = GOALIE_UNI_NUM;
    return runDirectly(*goalieCatchOffense);
  }
  turnNeckMode = TNM_LOOK_CAREFULLY;
  sayFlags.attentionNum = worldModel->getBall().getPos().getY() > 0.0f
                              ? GOAL_KICK_LISTEN_BALL_Y_ABOVE_0
                              : GOAL_KICK_LISTEN_BALL_Y_NOT_ABOVE_0;
  if (taken) return runDirectly(*goaliePositioning);
  int decideType = DT_NONE;
  if (approachKick(decideType)) return decideType;
  return weighKick(quickLevel, true);
}

int NonPlayOnDecision::oppGoalKick() {
  const Ball& ball = worldModel->getBall();
  if (ball.getVel().getMagnitude() < GOAL_KICK_MOVING_SPEED) return defend();
  const InterceptCalculate& intercept = worldModel->getCurInterCalculate();
  if (!intercept.existFastestTmmPlayer() || !intercept.getFastestTmmPlayer().isBody())
    return DT_NONE;
  const Point target = getOppGoalKickTarget(Point(ball.getPos()), ball.getVel());
  ForbiddenAreaGotoPoint go(target, FORBIDDEN_X, -FORBIDDEN_Y, FORBIDDEN_Y, worldModel->getBody());
  setCommand(go.takeCommand());
  return DT_INTERCEPT;
}

}  // namespace tovren
