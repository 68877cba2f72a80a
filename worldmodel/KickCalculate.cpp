#include "worldmodel/KickCalculate.h"

#include "actions/basic/BasicKick.h"
#include "connection/Command.h"
#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "geometry/Degree.h"
#include "worldmodel/Body.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <ostream>
#include <utility>

namespace tovren {

namespace {

// The grid: five powers per direction, directions 7.5 degrees apart around the body.
constexpr unsigned int GRID_POWERS_NUM = 5;
constexpr float GRID_POWER_STEP = 20.0f;
constexpr float GRID_DIR_STEP = 7.5f;  // degrees
// Soft kicks along the body: ball speeds 0.75, 1.0 and 1.25 metres per cycle.
constexpr float SOFT_KICK_MIN_SPEED = 0.75f;
constexpr float SOFT_KICK_SPEED_STEP = 0.25f;
// A kick is predicted only where the agent looked within this many cycles: elsewhere
// the players the prediction would race are not known well enough.
constexpr float MAX_SEE_DELTA_CYCLE = 5.0f;
constexpr float SEE_NEIGHBOUR_WEIGHT = 0.2f;
// The session of the fan: a kick one cycle ahead, and the catchers of one more cycle.
constexpr unsigned int FAN_KICK_CYCLES = 1;
constexpr unsigned int FAN_SHARE_CYCLES = 1;
// The results of an entry when nobody reaches its ball.
constexpr float NO_NEAREST_OPP_DIST = 65535.0f;
constexpr float NO_NEAREST_OPP_DIR = 180.0f;

bool isSamePlayer(const Player* a, const Player& b) {
  return a != nullptr && a->getModel() == b.getModel() && a->getTeamId() == b.getTeamId() &&
         a->getUniNum() == b.getUniNum();
}

}  // namespace

void KickInterceptPlayer::init(const InterceptPlayer& interPlayer) {
  extraCatched = interPlayer.isExtraCatched();
  dashDist = interPlayer.getDashDist();
  interTime = interPlayer.getInterTime();
  player = interPlayer.getPlayer();
  interPoint = interPlayer.getInterPoint();
}

KickInterceptCalculate::KickInterceptCalculate() = default;

KickInterceptCalculate::~KickInterceptCalculate() = default;

void KickInterceptCalculate::init(const WorldModel* wm, const KickCommand* command,
                                  InterceptCalculate& session) {
  if (command == nullptr) {
    valid = false;
    return;
  }
  // The entry's copy is rewritten in place: no allocation after the first prediction.
  if (kickCommand == nullptr) {
    kickCommand = std::make_unique<KickCommand>(command->getPower(), command->getDirection());
  } else {
    kickCommand->setPower(command->getPower());
    kickCommand->setDirection(command->getDirection());
  }

  firstBall = wm->getBall();
  firstBall.simulateByAction(wm->getBody(), kickCommand.get(), false);
  if (wm->getSeeDeltaCycle(firstBall.getVel().getDirection(), SEE_NEIGHBOUR_WEIGHT) >
      MAX_SEE_DELTA_CYCLE) {
    valid = false;
    return;
  }

  predict(session);
}

void KickInterceptCalculate::predict(InterceptCalculate& session) {
  valid = true;
  session.setVirtualBall(firstBall);
  session.run();
  saveResults(session);

  passedOppPlayers = 0;
  nearestOppToFastestDist = NO_NEAREST_OPP_DIST;
  nearestOppToFastestDir = NO_NEAREST_OPP_DIR;
  if (!session.existFastestPlayer()) return;
  const float interX = session.getFastestInterPlayer().getInterPoint().x;
  const float ballX = firstBall.getPos().getX();
  if (interX > ballX) passedOppPlayers = session.getOppPlayersBetweenLines(ballX, interX);
  session.getNearestOppDistDirToFastest(nearestOppToFastestDist, nearestOppToFastestDir);
}

void KickInterceptCalculate::saveResults(const InterceptCalculate& session) {
  virtualBall.setPos() = session.getVirtualBall().getPos();
  virtualBall.setVel() = session.getVirtualBall().getVel();
  playMode = session.getPlayMode();
  checkedPlayersNum = std::min(session.getCheckedPlayersNum(), MAX_CHECKED_PLAYERS);
  fastestPlayerNum = session.getFastestCheckedPlayerNum();
  fastestTmmPlayerNum = session.getFastestTmmCheckedPlayerNum();
  fastestOppPlayerNum = session.getFastestOppCheckedPlayerNum();
  kickPlayer = session.getKickPlayer();
  for (unsigned int i = 0; i < checkedPlayersNum; ++i) {
    checkedInterPlayers[i].init(session.getCheckedInterPlayer(i));
  }
}

const KickInterceptPlayer& KickInterceptCalculate::getCheckedInterPlayer(unsigned int i) const {
  TOVREN_CHECK(i < checkedPlayersNum);
  return checkedInterPlayers[i];
}

unsigned int KickInterceptCalculate::getTmmCheckedPlayersNum() const {
  unsigned int count = 0;
  for (unsigned int i = 0; i < checkedPlayersNum; ++i) {
    const Player* player = checkedInterPlayers[i].getPlayer();
    if (player != nullptr && player->getTeamId() == TID_TEAMMATE) ++count;
  }
  return count;
}

unsigned int KickInterceptCalculate::getOppCheckedPlayersNum() const {
  unsigned int count = 0;
  for (unsigned int i = 0; i < checkedPlayersNum; ++i) {
    const Player* player = checkedInterPlayers[i].getPlayer();
    if (player != nullptr && player->getTeamId() == TID_OPPONENT) ++count;
  }
  return count;
}

unsigned int KickInterceptCalculate::getCheckedListNum(const Player& p) const {
  for (unsigned int i = 0; i < checkedPlayersNum; ++i) {
    if (isSamePlayer(checkedInterPlayers[i].getPlayer(), p)) return i;
  }
  return NONE;
}

const Player* KickInterceptCalculate::getFastestPlayer() const {
  return getFastestInterPlayer().getPlayer();
}

const KickInterceptPlayer& KickInterceptCalculate::getFastestInterPlayer() const {
  return getCheckedInterPlayer(fastestPlayerNum);
}

const KickInterceptPlayer& KickInterceptCalculate::getFastestTmmInterPlayer() const {
  return getCheckedInterPlayer(fastestTmmPlayerNum);
}

const KickInterceptPlayer& KickInterceptCalculate::getFastestOppInterPlayer() const {
  return getCheckedInterPlayer(fastestOppPlayerNum);
}

bool KickInterceptCalculate::isFastestPlayer(const Player& p) const {
  return existFastestPlayer() && fastestPlayerNum < checkedPlayersNum &&
         isSamePlayer(checkedInterPlayers[fastestPlayerNum].getPlayer(), p);
}

KickCalculate::KickCalculate() = default;

KickCalculate::~KickCalculate() = default;

void KickCalculate::init() { initEmpty(SIMULATES_NUM); }

void KickCalculate::initEmpty(unsigned int count) {
  std::vector<std::unique_ptr<KickInterceptCalculate>> entries;
  entries.reserve(count);
  for (unsigned int i = 0; i < count; ++i) {
    entries.push_back(std::make_unique<KickInterceptCalculate>());
  }
  setSimulates(std::move(entries));
  inited = true;
}

void KickCalculate::update(const WorldModel* wm) {
  // Below the soft kicks' three entries there is no fan to refill (nor a grid size).
  if (simulatesNum < SOFT_KICKS_NUM || simulates.size() < simulatesNum) return;
  // A fan that shows another fan's entries never writes them: it predicts into its own.
  if (ownSimulates.empty()) init();

  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "KickCalculate::update" << std::endl;
  updateTime = wm->getCurTime();

  // One session for all kicks: only the kicked ball changes from kick to kick. It is
  // too large for the stack of the signal handler that runs the decision.
  const Body& body = wm->getBody();
  auto session = std::make_unique<InterceptCalculate>();
  session->startSession(FAN_KICK_CYCLES, &body, nullptr);
  session->setShareCycles(FAN_SHARE_CYCLES);
  session->updateByWorldModel(wm, false, false, false);

  const unsigned int gridNum = simulatesNum - SOFT_KICKS_NUM;
  for (unsigned int i = 0; i < gridNum; ++i) {
    const KickCommand command(
        GRID_POWER_STEP * static_cast<float>(i % GRID_POWERS_NUM + 1),
        Degree::normalizeAngle(GRID_DIR_STEP * static_cast<float>(i / GRID_POWERS_NUM)));
    simulates[i]->init(wm, &command, *session);
  }

  for (unsigned int j = 0; j < SOFT_KICKS_NUM; ++j) {
    KickToDirectionVelocity kick(body.getBodyDir(),
                                 SOFT_KICK_MIN_SPEED + SOFT_KICK_SPEED_STEP * static_cast<float>(j),
                                 wm->getBall(), body, 0.0f);
    // The entry keeps a copy; the skill frees its own.
    const auto* kickCommand = commandAs<KickCommand>(kick.getCommand());
    simulates[gridNum + j]->init(wm, kick.isPossible() ? kickCommand : nullptr, *session);
  }
}

const KickInterceptCalculate& KickCalculate::getSimulate(unsigned int i) const {
  TOVREN_CHECK(i < simulatesNum && i < simulates.size());
  return *simulates[i];
}

void KickCalculate::getNeighboursByDir(unsigned int i, unsigned int& first,
                                       unsigned int& second) const {
  first = NONE;
  second = NONE;
  const KickCommand* own = getSimulate(i).getKickCommand();
  if (own == nullptr) return;
  const unsigned int count = std::min<unsigned int>(simulatesNum, simulates.size());
  for (unsigned int j = 0; j < count && (first == NONE || second == NONE); ++j) {
    const KickCommand* other = simulates[j]->getKickCommand();
    if (other == nullptr || other->getPower() == own->getPower()) continue;
    const float delta = Degree::getDeltaAngle(other->getDirection(), own->getDirection());
    if (first == NONE && delta == GRID_DIR_STEP) {
      first = j;
    } else if (second == NONE && delta == -GRID_DIR_STEP) {
      second = j;
    }
  }
}

void KickCalculate::shareSimulates(const KickCalculate& other) {
  ownSimulates.clear();
  simulates = other.simulates;
  simulatesNum = other.simulatesNum;
  inited = other.inited;
  updateTime = other.updateTime;
}

void KickCalculate::setSimulates(std::vector<std::unique_ptr<KickInterceptCalculate>> entries) {
  simulates.clear();
  for (const auto& entry : entries) {
    TOVREN_CHECK(entry != nullptr);
    simulates.push_back(entry.get());
  }
  // The entries held before go only now, after nothing points at them any more.
  ownSimulates = std::move(entries);
  simulatesNum = static_cast<unsigned int>(simulates.size());
}

KickInterceptCalculate& KickCalculate::setSimulate(unsigned int i) {
  TOVREN_CHECK(i < simulatesNum && i < ownSimulates.size());
  return *ownSimulates[i];
}

}  // namespace tovren
