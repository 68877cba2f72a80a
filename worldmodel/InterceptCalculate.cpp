#include "worldmodel/InterceptCalculate.h"

#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "geometry/Degree.h"
#include "worldmodel/Body.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace tovren {

namespace {

// A goalie may use his catchable area inside this box in front of his own goal.
constexpr float PENALTY_AREA_X = 36.4f;
constexpr float PENALTY_AREA_HALF_WIDTH = 19.6f;
// A ball this close to the body line counts as ahead (or behind) whatever the distance.
constexpr float MIN_BODY_LINE_ANGLE = 5.0f;
// Without any player, a ball slower than this will never matter.
constexpr float OWNERLESS_BALL_SPEED = 0.05f;
// Metres beyond a reach at which a miss needs no exact distance.
constexpr double SURE_MISS_MARGIN = 0.001;
// A ball this far outside the field is out for good.
constexpr float BALL_OUT_DISTANCE = 2.0f;

bool isSamePlayer(const Player& a, const Player& b) {
  return a.getModel() == b.getModel() && a.getTeamId() == b.getTeamId() &&
         a.getUniNum() == b.getUniNum();
}

}  // namespace

// ---------------------------------------------------------------------------------------
// InterceptPlayer

InterceptPlayer::InterceptPlayer() : playerCopy(PLM_FULL) {}

void InterceptPlayer::init(const Player& p, const Ball& ball, const InterceptPlayerParams& params) {
  const bool isKicker = params.isKicker;
  blocked = params.isBlocker;
  playerCopy = p;
  player = &p;
  position = Point(p.getPos());

  const float fieldPlayerRadius = ball.getSize() + p.getKickableMargin() + p.getSize();
  if (!p.isGoalie()) {
    kickableRadius = fieldPlayerRadius;
  } else if (!params.catchInPenaltyAreaOnly) {
    kickableRadius = p.getCatchableAreaL();
  } else {
    const float x = position.x;
    const bool inBox = std::fabs(position.y) < PENALTY_AREA_HALF_WIDTH;
    const bool inOwnArea = (p.getTeamId() == TID_TEAMMATE && x < -PENALTY_AREA_X && inBox) ||
                           (p.getTeamId() == TID_OPPONENT && x > PENALTY_AREA_X && inBox);
    kickableRadius = inOwnArea ? p.getCatchableAreaL() : fieldPlayerRadius;
  }

  slowDashAccel = p.getEffortMax() * (p.getDashPowerRate() * params.slowDashPower);
  fastDashAccel = p.getEffortMax() * (p.getDashPowerRate() * params.fastDashPower);
  directDashAccel = p.getEffortMax() * (p.getDashPowerRate() * params.directDashPower);
  seeBallDelay = params.seeBallDelay;
  kicking = isKicker;

  withTurnDashDist[0] = params.posDevOffset;
  noTurnDashDist[0] = params.posDevOffset;
  withTurnDashVel[0] = 0.0f;
  noTurnDashVel[0] = std::fabs(p.getVel().getMagnitude());

  if (LogStream* log = activeLog()) {
    *log << "NewP: " << playerCopy.getTeamId() << " " << playerCopy.getUniNum() << " Pos"
         << playerCopy.getPos() << " ----------" << std::endl;
    *log << "WithTurnDashVel[0]: " << withTurnDashDist[0] << " " << withTurnDashVel[0] << std::endl;
    *log << "NoTurnDashVel[0]: " << noTurnDashDist[0] << " " << noTurnDashVel[0] << std::endl;
  }

  // The server's dash: accelerate, limit to the top speed, move, decay. Waiting and
  // turning cycles do not accelerate and are not limited.
  const float speedMax = p.getSpeedMax();
  const float decay = p.getDecay();
  auto step = [speedMax, decay](float* vel, float* dist, unsigned int i, float accel,
                                bool accelerates) {
    float u = vel[i - 1] + accel;
    if (accelerates && u > speedMax) u = speedMax;
    dist[i] = dist[i - 1] + u;
    vel[i] = u * decay;
  };
  // The no-turn model run backward, where that is slower, dashes as the forward one does.
  slowBackward = params.backDashRate < 1.0f;
  const float backRate = std::max(params.backDashRate, 0.0f);
  float backVel[TABLE_SIZE];
  backVel[0] = noTurnDashVel[0];
  noTurnBackDashDist[0] = noTurnDashDist[0];
  // Cycles 1..R before the player reacts; R + 1 is the with-turn model's turn.
  const unsigned int reaction = params.seeBallDelay + params.kickCycles;
  for (unsigned int i = 1; i < TABLE_SIZE; ++i) {
    const bool waits = i <= reaction;
    if (waits) {
      step(withTurnDashVel, withTurnDashDist, i, isKicker ? 0.0f : slowDashAccel, !isKicker);
    } else if (i == reaction + 1) {
      step(withTurnDashVel, withTurnDashDist, i, 0.0f, false);
    } else {
      step(withTurnDashVel, withTurnDashDist, i, fastDashAccel, true);
    }
    const float noTurnAccel = waits ? (isKicker ? 0.0f : directDashAccel) : fastDashAccel;
    const bool noTurnAccelerates = !waits || !isKicker;
    step(noTurnDashVel, noTurnDashDist, i, noTurnAccel, noTurnAccelerates);
    if (slowBackward) {
      step(backVel, noTurnBackDashDist, i, backRate * noTurnAccel, noTurnAccelerates);
    }
  }
}

void InterceptPlayer::getReadyToRun() {
  cursor = 0;
  catchBall = false;
  extraCatched = false;
}

void InterceptPlayer::simulate() {
  // A run never passes cycle 96; the cap only keeps a stray caller inside the tables.
  if (cursor + 1 < TABLE_SIZE) ++cursor;
}

bool InterceptPlayer::checkCatchBall(const Ball& ball) const {
  return checkCatchBall(Point(ball.getPos()), activeLog());
}

void InterceptPlayer::checkForExtraCatch(const Ball& ball) {
  checkForExtraCatch(Point(ball.getPos()), activeLog());
}

bool InterceptPlayer::isBallKickable(const Ball& ball) const {
  return player != nullptr && player->getDistance(Point(ball.getPos())) <= kickableRadius;
}

void InterceptPlayer::finalizeIntercept(const Ball& ball, unsigned int time) {
  interTime = time;
  catchBall = true;
  interPoint = Point(ball.getPos());
}

float InterceptPlayer::getWithTurnDashDist(unsigned int i) const {
  TOVREN_CHECK(i < TABLE_SIZE);
  return withTurnDashDist[i];
}

float InterceptPlayer::getNoTurnDashDist(unsigned int i) const {
  TOVREN_CHECK(i < TABLE_SIZE);
  return noTurnDashDist[i];
}

float InterceptPlayer::getWithTurnDashVel(unsigned int i) const {
  TOVREN_CHECK(i < TABLE_SIZE);
  return withTurnDashVel[i];
}

float InterceptPlayer::getNoTurnDashVel(unsigned int i) const {
  TOVREN_CHECK(i < TABLE_SIZE);
  return noTurnDashVel[i];
}

bool InterceptPlayer::checkCatchBall(const Point& ball, LogStream* log) const {
  const unsigned int c = cursor;
  if (log != nullptr) {
    logPlayerLine(*log, " ----------");
    *log << "NoTurnDashVel: " << noTurnDashDist[c] << " " << noTurnDashVel[c] << std::endl;
  }
  // Most tests fail far beyond the reach: decided on the squares, without a square root.
  // The margin lies far above the rounding of either form, so the answer is the same.
  if (log == nullptr) {
    const double dx = double(ball.x) - position.x;
    const double dy = double(ball.y) - position.y;
    const double reach = double(noTurnDashDist[c]) + kickableRadius + SURE_MISS_MARGIN;
    if (reach > 0.0 && dx * dx + dy * dy > reach * reach) return false;
  }
  const float distance = position.getDistance(ball);
  const float noTurnBallDist = distance - noTurnDashDist[c];
  if (log != nullptr) *log << "NoTurnBallDist: " << noTurnBallDist << std::endl;
  if (noTurnBallDist >= kickableRadius) return false;

  bool caught = false;
  // The no-turn reach counts only along the body line, forwards or backwards.
  if (player->getBodyDir() != NOT_MEASURED) {
    const float dx = ball.x - position.x;
    const float dy = ball.y - position.y;
    const float halfAngle = distance > 0.0f ? Degree::arcTan(kickableRadius / distance) : 90.0f;
    const float ballDir = Degree::normalizeAngle(Degree::arcTan2(dy, dx));
    const float bodyDir = playerCopy.getBodyDir();
    const float ahead = std::fabs(Degree::getDeltaAngle(ballDir, bodyDir));
    if (ahead <= halfAngle || ahead <= MIN_BODY_LINE_ANGLE) {
      caught = true;
    } else {
      const float behind = std::fabs(Degree::getDeltaAngle(ballDir, bodyDir + 180.0f));
      caught = (behind <= halfAngle || behind <= MIN_BODY_LINE_ANGLE) &&
               (!slowBackward || distance - noTurnBackDashDist[c] < kickableRadius);
    }
  }
  if (!caught) {
    const float withTurnBallDist = distance - withTurnDashDist[c];
    if (log != nullptr) *log << "WithTurnBallDist: " << withTurnBallDist << std::endl;
    caught = withTurnBallDist < kickableRadius;
  }
  if (caught && log != nullptr) *log << "*** I catched the ball ***" << std::endl;
  return caught;
}

void InterceptPlayer::checkForExtraCatch(const Point& ball, LogStream* log) {
  const unsigned int c = cursor;
  const float withTurnBallDist = position.getDistance(ball) - withTurnDashDist[c];
  if (log != nullptr) {
    logPlayerLine(*log, " ----EC----");
    *log << "WithTurnBallDist: " << withTurnBallDist << std::endl;
  }
  if (withTurnBallDist < kickableRadius) {
    extraCatched = true;
    if (log != nullptr) *log << "*** I extra catched the ball ***" << std::endl;
  }
}

void InterceptPlayer::logPlayerLine(LogStream& log, const char* tail) const {
  log << "Player: " << playerCopy.getTeamId() << " " << playerCopy.getUniNum() << " Pos"
      << playerCopy.getPos() << tail << std::endl;
  log << "WithTurnDashVel: " << withTurnDashDist[cursor] << " " << withTurnDashVel[cursor]
      << std::endl;
}

LogStream* InterceptPlayer::activeLog() const {
  return logging ? logger.getWriting("MainLog") : nullptr;
}

// ---------------------------------------------------------------------------------------
// InterceptCalculate: preparation

void InterceptCalculate::startSession(unsigned int kickCycles, const Player* kicker,
                                      const Player* blocker) {
  logging = false;
  playersNum = 0;
  this->kickCycles = kickCycles;
  shareCycles = 2;
  kickPlayer = kicker;
  blockPlayer = blocker;
  initTeamsProps();
}

void InterceptCalculate::initTeamsProps() {
  // Before a kick teammates are judged cautiously (their deviation shortens their reach)
  // and opponents generously; a free ball is judged more evenly.
  const bool kick = kickCycles > 0;
  kickerSeeBallDelay = 0;
  tmmPosDevRate = kick ? -0.75f : -0.3f;
  tmmSlowDashPower = kick ? 0.0f : 30.0f;
  tmmFastDashPower = 100.0f;
  tmmDirectDashPower = kick ? 0.0f : 30.0f;
  tmmGoalieDirectDashPower = kick ? 0.0f : 30.0f;
  tmmSeeBallDelay = kick ? 2 : 0;
  tmmGoalieSeeBallDelay = 0;
  oppPosDevRate = kick ? 0.5f : 0.3f;
  oppSlowDashPower = kick ? 45.0f : 50.0f;
  oppFastDashPower = 100.0f;
  oppDirectDashPower = kick ? 60.0f : 90.0f;
  oppGoalieDirectDashPower = 100.0f;
  oppSeeBallDelay = 0;
  oppGoalieSeeBallDelay = 0;
}

bool InterceptCalculate::addPlayer(const Player& p, bool isKicker, bool isBlocker,
                                   bool catchInPenaltyAreaOnly) {
  if (playersNum >= MAX_PLAYERS) {
    if (LogStream* log = logger.getWriting("MainLog")) {
      *log << "InterceptCalculate: all " << MAX_PLAYERS << " slots taken, player " << p.getTeamId()
           << " " << p.getUniNum() << " not added." << std::endl;
    }
    return false;
  }
  InterceptPlayer& slot = interPlayers[playersNum];
  slot.setLogging(logging);
  InterceptPlayerParams params;
  params.kickCycles = kickCycles;
  params.catchInPenaltyAreaOnly = catchInPenaltyAreaOnly;
  if (const Body* own = dynamic_cast<const Body*>(&p)) {
    const CommandLimits& limits = own->getCommandLimits();
    if (limits.isBackDashByDirection()) params.backDashRate = limits.backDashRate;
  }
  if (isKicker) {
    // The kicker waits for his own kick, then runs at full power.
    params.isKicker = true;
    params.seeBallDelay = kickerSeeBallDelay;
    params.fastDashPower = p.getMaxPower();
  } else {
    TOVREN_CHECK_NAMED(p.getTeamId() != TID_UNKNOWN, "0");
    const bool goalie = p.isGoalie();
    const bool teammate = p.getTeamId() == TID_TEAMMATE;
    params.isBlocker = isBlocker;
    params.seeBallDelay = teammate ? (goalie ? tmmGoalieSeeBallDelay : tmmSeeBallDelay)
                                   : (goalie ? oppGoalieSeeBallDelay : oppSeeBallDelay);
    params.slowDashPower = teammate ? tmmSlowDashPower : oppSlowDashPower;
    params.fastDashPower = teammate ? tmmFastDashPower : oppFastDashPower;
    params.directDashPower = teammate ? (goalie ? tmmGoalieDirectDashPower : tmmDirectDashPower)
                                      : (goalie ? oppGoalieDirectDashPower : oppDirectDashPower);
    params.posDevOffset = p.getPosDeviation() * (teammate ? tmmPosDevRate : oppPosDevRate);
  }
  slot.init(p, virtualBall, params);
  ++playersNum;
  return true;
}

void InterceptCalculate::updateByWorldModel(const WorldModel* wm, bool noBody, bool noTmm,
                                            bool noOpp) {
  TOVREN_CHECK(wm != nullptr);
  virtualBall = wm->getBall();
  auto add = [this](const Player& p) { addPlayer(p, &p == kickPlayer, &p == blockPlayer, true); };
  if (!noBody) add(wm->getBody());
  for (unsigned int k = 0; k < WorldModel::FULL_PLAYERS_NUM; ++k) {
    if (!noTmm) {
      const Player& teammate = wm->getFullPlayer(TID_TEAMMATE, k);
      if (teammate.isValid() && !teammate.isBody()) add(teammate);
    }
    if (!noOpp) {
      const Player& opponent = wm->getFullPlayer(TID_OPPONENT, k);
      if (opponent.isValid()) add(opponent);
    }
  }
  for (unsigned int k = 0; k < WorldModel::HALF_PLAYERS_NUM; ++k) {
    if (!noTmm) {
      const Player& teammate = wm->getHalfPlayer(TID_TEAMMATE, k);
      if (teammate.isValid()) add(teammate);
    }
    if (!noOpp) {
      const Player& opponent = wm->getHalfPlayer(TID_OPPONENT, k);
      if (opponent.isValid()) add(opponent);
    }
  }
}

InterceptPlayer& InterceptCalculate::setLastInterPlayer() {
  TOVREN_CHECK(playersNum > 0);
  return interPlayers[playersNum - 1];
}

// ---------------------------------------------------------------------------------------
// InterceptCalculate: the run

void InterceptCalculate::getReadyToRun() {
  playMode = IRO_IN_PLAY;
  checkedPlayersNum = 0;
  fastestPlayerNum = NONE;
  fastestTmmPlayerNum = NONE;
  fastestOppPlayerNum = NONE;
  fastestCheckedPlayerNum = NONE;
  fastestTmmCheckedPlayerNum = NONE;
  fastestOppCheckedPlayerNum = NONE;
  for (unsigned int i = 0; i < playersNum; ++i) interPlayers[i].getReadyToRun();
}

void InterceptCalculate::simulateVirtualBall() {
  virtualBall.setPos() += virtualBall.getVel();
  virtualBall.setVel() *= virtualBall.getDecay();
}

void InterceptCalculate::setBlockedBall() {
  virtualBall.setVel() = blockedBallVel;
  virtualBall.setDecay(1.0f);
}

void InterceptCalculate::run() {
  LogStream* log = activeLog();
  if (log != nullptr) *log << "Running Intercepts." << std::endl;
  getReadyToRun();
  loadRunBall();
  finishTimer = NONE;
  unsigned int kickCounter = kickCycles;

  // A free ball may be under control already; it does not move in cycle 0.
  if (kickCycles == 0) {
    const Ball& ball = virtualBall;
    for (unsigned int i = 0; i < playersNum; ++i) {
      if (interPlayers[i].isBallKickable(ball) && catchBall(i, 0)) {
        endRun();
        return;
      }
    }
  }

  // Bounded by MAX_RUN_CYCLE: the second end test below stops the loop.
  for (unsigned int cycle = 1;; ++cycle) {
    if (finishTimer != NONE) ++finishTimer;
    if (log != nullptr) {
      *log << "Time: " << cycle << " - "
           << "FinishTime: " << finishTimer << " ---------------------" << std::endl;
      *log << "Simulating objects..." << std::endl;
    }
    for (unsigned int i = 0; i < playersNum; ++i) {
      if (!interPlayers[i].catchBall) interPlayers[i].simulate();
    }
    // Before a kick the ball waits; it moves from the cycle of the kick on.
    bool moves = true;
    if (kickCounter > 0) {
      --kickCounter;
      moves = kickCounter == 0;
    }
    if (moves) {
      runBall.x += runBall.vx;
      runBall.y += runBall.vy;
      runBall.vx *= runBall.decay;
      runBall.vy *= runBall.decay;
    }
    if (log != nullptr) {
      *log << "Ball:"
           << " Pos" << Point(runBall.x, runBall.y) << " Vel" << Point(runBall.vx, runBall.vy)
           << std::endl;
      *log << "Checking for catches..." << std::endl;
    }

    const Point ball(runBall.x, runBall.y);
    for (unsigned int i = 0; i < playersNum; ++i) {
      InterceptPlayer& candidate = interPlayers[i];
      if (candidate.catchBall) {
        if (!candidate.extraCatched) candidate.checkForExtraCatch(ball, log);
      } else if (candidate.checkCatchBall(ball, log) && catchBall(i, cycle)) {
        endRun();
        return;
      }
    }

    const char* finish = nullptr;
    if (finishTimer != NONE && finishTimer >= shareCycles) {
      finish = "*** Finish : finishTimer overflow ***";
    } else if (cycle > MAX_RUN_CYCLE) {
      finish = "*** Finish : interceptCycles overflow ***";
    } else if (playersNum == 0 && detail::hypotOf(runBall.vx, runBall.vy) < OWNERLESS_BALL_SPEED) {
      finish = "*** Finish : Ownerless ball in the field ***";
    } else if (WorldModel::getOutDistance(ball) > BALL_OUT_DISTANCE) {
      finish = "*** Finish : The ball goes out ***";
      playMode = IRO_BALL_OUT;
    }
    if (finish != nullptr) {
      if (log != nullptr) *log << finish << std::endl;
      endRun();
      return;
    }
  }
}

bool InterceptCalculate::catchBall(unsigned int i, unsigned int cycle) {
  InterceptPlayer& catcher = interPlayers[i];
  catcher.interTime = cycle;
  catcher.catchBall = true;
  catcher.interPoint = Point(runBall.x, runBall.y);
  // A blocker turns the ball away instead of taking it.
  if (catcher.blocked) {
    runBall.vx = blockedBallVel.getX();
    runBall.vy = blockedBallVel.getY();
    runBall.decay = 1.0f;
    return false;
  }
  checkedList[checkedPlayersNum++] = i;
  if (finishTimer == NONE) finishTimer = 0;
  return checkedPlayersNum == MAX_CHECKED_PLAYERS || catcher.playerCopy.isGoalie();
}

void InterceptCalculate::loadRunBall() {
  runBall.x = virtualBall.getPos().getX();
  runBall.y = virtualBall.getPos().getY();
  runBall.vx = virtualBall.getVel().getX();
  runBall.vy = virtualBall.getVel().getY();
  runBall.decay = virtualBall.getDecay();
}

void InterceptCalculate::endRun() {
  virtualBall.setPos().setAsCartesian(runBall.x, runBall.y);
  virtualBall.setVel().setAsCartesian(runBall.vx, runBall.vy);
  virtualBall.setDecay(runBall.decay);
  finalizeIntercepts();
}

void InterceptCalculate::finalizeIntercepts() {
  fastestPlayerNum = NONE;
  fastestTmmPlayerNum = NONE;
  fastestOppPlayerNum = NONE;
  fastestCheckedPlayerNum = NONE;
  fastestTmmCheckedPlayerNum = NONE;
  fastestOppCheckedPlayerNum = NONE;
  if (checkedPlayersNum == 0) return;
  fastestPlayerNum = checkedList[0];
  fastestCheckedPlayerNum = 0;
  for (unsigned int k = 0; k < checkedPlayersNum; ++k) {
    const TeamId team = interPlayers[checkedList[k]].player->getTeamId();
    if (team == TID_TEAMMATE && fastestTmmPlayerNum == NONE) {
      fastestTmmPlayerNum = checkedList[k];
      fastestTmmCheckedPlayerNum = k;
    } else if (team == TID_OPPONENT && fastestOppPlayerNum == NONE) {
      fastestOppPlayerNum = checkedList[k];
      fastestOppCheckedPlayerNum = k;
    }
  }
}

LogStream* InterceptCalculate::activeLog() const {
  return logging ? logger.getWriting("MainLog") : nullptr;
}

// ---------------------------------------------------------------------------------------
// InterceptCalculate: results

const InterceptPlayer& InterceptCalculate::getCheckedInterPlayer(unsigned int i) const {
  TOVREN_CHECK(i < checkedPlayersNum);
  return interPlayers[checkedList[i]];
}

const InterceptPlayer& InterceptCalculate::getInterPlayer(unsigned int i) const {
  TOVREN_CHECK(i < playersNum);
  return interPlayers[i];
}

const Player& InterceptCalculate::getFastestPlayer() const {
  return *getFastestInterPlayer().player;
}

const Player& InterceptCalculate::getFastestTmmPlayer() const {
  return *getFastestTmmInterPlayer().player;
}

const Player& InterceptCalculate::getFastestOppPlayer() const {
  return *getFastestOppInterPlayer().player;
}

const InterceptPlayer& InterceptCalculate::getFastestInterPlayer() const {
  TOVREN_CHECK(existFastestPlayer());
  return interPlayers[fastestPlayerNum];
}

const InterceptPlayer& InterceptCalculate::getFastestTmmInterPlayer() const {
  TOVREN_CHECK(existFastestTmmPlayer());
  return interPlayers[fastestTmmPlayerNum];
}

const InterceptPlayer& InterceptCalculate::getFastestOppInterPlayer() const {
  TOVREN_CHECK(existFastestOppPlayer());
  return interPlayers[fastestOppPlayerNum];
}

bool InterceptCalculate::isFastestPlayer(const Player& p) const {
  return existFastestPlayer() && isSamePlayer(getFastestPlayer(), p);
}

unsigned int InterceptCalculate::getTmmCheckedPlayersNum() const {
  unsigned int count = 0;
  for (unsigned int k = 0; k < checkedPlayersNum; ++k) {
    if (interPlayers[checkedList[k]].player->getTeamId() == TID_TEAMMATE) ++count;
  }
  return count;
}

unsigned int InterceptCalculate::getOppCheckedPlayersNum() const {
  unsigned int count = 0;
  for (unsigned int k = 0; k < checkedPlayersNum; ++k) {
    if (interPlayers[checkedList[k]].player->getTeamId() == TID_OPPONENT) ++count;
  }
  return count;
}

unsigned int InterceptCalculate::getCheckedListNum(const Player& p) const {
  for (unsigned int k = 0; k < checkedPlayersNum; ++k) {
    if (isSamePlayer(*interPlayers[checkedList[k]].player, p)) return k;
  }
  return NONE;
}

unsigned int InterceptCalculate::getOppPlayersBeforeLine(float x) const {
  unsigned int count = 0;
  for (unsigned int i = 0; i < playersNum; ++i) {
    const Player& p = *interPlayers[i].player;
    if (p.getTeamId() == TID_OPPONENT && p.getPos().getX() <= x) ++count;
  }
  return count;
}

unsigned int InterceptCalculate::getOppPlayersBetweenLines(float x1, float x2) const {
  const unsigned int before1 = getOppPlayersBeforeLine(x1);
  const unsigned int before2 = getOppPlayersBeforeLine(x2);
  return before1 > before2 ? before1 - before2 : before2 - before1;
}

void InterceptCalculate::getNearestOppDistDirToFastest(float& dist, float& dir) const {
  const InterceptPlayer& fastest = getFastestInterPlayer();
  if (existFastestOppPlayer()) {
    dist = 0.0f;
    dir = 0.0f;
    return;
  }
  const Point point = fastest.interPoint;
  unsigned int nearest = NONE;
  float nearestDist = 0.0f;
  for (unsigned int i = 0; i < playersNum; ++i) {
    const InterceptPlayer& opponent = interPlayers[i];
    if (opponent.player->getTeamId() != TID_OPPONENT) continue;
    const float d = opponent.player->getDistance(point) - opponent.getDashDist();
    if (nearest == NONE || d < nearestDist) {
      nearest = i;
      nearestDist = d;
    }
  }
  if (nearest == NONE) {
    dist = static_cast<float>(NONE);
    dir = static_cast<float>(NONE);
    return;
  }
  const Vector& at = interPlayers[nearest].player->getPos();
  dist = nearestDist;
  dir = Degree::arcTan2(at.getY() - point.y, at.getX() - point.x);
}

void InterceptCalculate::logCheckedPlayers() const {
  LogStream* log = logger.getWriting("MainLog");
  if (log == nullptr) return;
  *log << "InterceptCalculate checked players:" << std::endl;
  for (unsigned int k = 0; k < checkedPlayersNum; ++k) {
    const InterceptPlayer& catcher = interPlayers[checkedList[k]];
    *log << "\t" << k << ": " << catcher.player->getTeamId() << " " << catcher.player->getUniNum()
         << " " << catcher.interTime << std::endl;
  }
}

}  // namespace tovren
