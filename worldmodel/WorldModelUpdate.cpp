#include "worldmodel/WorldModel.h"

#include "foundation/Logger.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Object.h"
#include "worldmodel/Player.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <ostream>

namespace tovren {

namespace {

// Two records are the same player when they are at most this much farther apart than
// their deviations together (metres).
constexpr float MERGE_TOLERANCE = 1.0f;
// How far beyond the sensed area an unsensed object is put, and how clear of it its
// deviation circle stays (metres).
constexpr float SENSE_MARGIN = 0.2f;
// An unseen player well inside the view cone is turned this far out of it (degrees).
constexpr float VIEW_ANGLE_MARGIN = 5.0f;
// Beyond these distances a player may lie in the cone unseen, as the server reports
// players without number or team (metres).
constexpr float FULL_IDENTIFY_DISTANCE = 18.0f;
constexpr float HALF_IDENTIFY_DISTANCE = 38.0f;
// The opponent goalie may stand this close unsensed: he is allowed to catch (metres).
constexpr float OPP_GOALIE_SENSE_RADIUS = 1.5f;

bool isClose(const Player& a, const Player& b) {
  return a.getDistance(b) <= a.getPosDeviation() + b.getPosDeviation() + MERGE_TOLERANCE;
}

// Moves the sighting into the one record it matched, unless another valid sighting of its
// group lies near that record too: then which of them it was cannot be told.
template <std::size_t N>
void mergeIfUnambiguous(Player& sighting, Player* match, unsigned int matches,
                        Player* const (&group)[N], const Body& body) {
  if (matches != 1) return;
  for (const Player* other : group) {
    if (other != &sighting && other->isValid() && isClose(*other, *match)) return;
  }
  match->setByAnotherPlayer(sighting, body);
  sighting.kill();
}

// Each valid quarter sighting into the one record of either team near it that isCandidate
// accepts.
template <std::size_t Q, std::size_t N, typename IsCandidate>
void mergeQuarterSightings(Player* const (&quarters)[Q], Player* const (&records)[2][N],
                           const Body& body, IsCandidate isCandidate) {
  for (Player* quarter : quarters) {
    if (!quarter->isValid()) continue;
    Player* match = nullptr;
    unsigned int matches = 0;
    for (unsigned int i = 0; i < N; ++i) {
      for (auto& team : records) {
        Player* record = team[i];
        if (isCandidate(*record) && isClose(*quarter, *record)) {
          match = record;
          ++matches;
        }
      }
    }
    mergeIfUnambiguous(*quarter, match, matches, quarters, body);
  }
}

// The three vectors relative to the agent keep their directions and get this length.
void setRelativeLength(Object& object, float length) {
  object.setAbsVec().setAsPolar(length, object.getAbsVec().getDirection());
  object.setBodyVec().setAsPolar(length, object.getBodyVec().getDirection());
  object.setHeadVec().setAsPolar(length, object.getHeadVec().getDirection());
}

void logMove(const Object& object, const char* where) {
  LogStream& log = logger["MainLog"];
  if (!log.isOutValid()) return;
  const Player* player = dynamic_cast<const Player*>(&object);
  if (player == nullptr) {
    log << "Complete updates: ball putted out of " << where << "." << std::endl;
  } else {
    log << "Complete updates: player " << player->getTeamId() << " " << player->getUniNum()
        << " putted out of " << where << "." << std::endl;
  }
}

}  // namespace

void WorldModel::simulateObjects(const Body& bodyCopy, const Command* lastBodyCommand) {
  // The goalie who caught the ball moves with it in his own free kick.
  bool carry = playMode == PM_OUR_FREE_KICK && virtualPlayMode == VPM_OUR_GOALIE_CATCH_BALL &&
               bodyCopy.isGoalie();
  ball->simulateByAction(bodyCopy, lastBodyCommand, carry);
  ball->simulateByDynamics(*body, BCM_SENSED, ballStatus, curTime);

  for (Player* player : fullPlayers[TID_TEAMMATE]) {
    if (player != body && player->isAlive()) player->simulateByDynamics(*body);
  }
  for (Player* player : fullPlayers[TID_OPPONENT]) {
    if (player->isAlive()) player->simulateByDynamics(*body);
  }
  for (auto& team : halfPlayers) {
    for (Player* player : team) {
      if (player->isValid()) player->simulateByDynamics(*body);
    }
  }
  for (Player* player : quarterPlayers) {
    if (player->isValid()) player->simulateByDynamics(*body);
  }
}

void WorldModel::resetObjects() {
  flagsNum = 0;
  goalsNum = 0;
  linesNum = 0;

  ball->setReadyToUpdate(false);
  for (auto& team : fullPlayers) {
    for (Player* player : team) player->setReadyToUpdate(false);
  }
  for (auto& team : halfPlayers) {
    for (Player* player : team) player->setReadyToUpdate(false);
  }
  for (Player* player : quarterPlayers) {
    player->setReadyToUpdate(false);
    // A player whose team was not seen is never carried from one see to the next.
    player->kill();
  }
  // A half player the view should show is reported afresh; its slot is freed for it.
  for (unsigned int i = 0; i < HALF_PLAYERS_NUM; ++i) {
    for (Player* player : {halfPlayers[TID_TEAMMATE][i], halfPlayers[TID_OPPONENT][i]}) {
      if (player->isAlive() &&
          player->canBodySee(body->getPos(), body->getViewAngle(), body->getVisibleDistance())) {
        player->kill();
      }
    }
  }
}

void WorldModel::updateObjects() {
  for (unsigned int i = 0; i < flagsNum; ++i) fieldFlags[i]->update(fieldData);
  for (unsigned int i = 0; i < goalsNum; ++i) fieldGoals[i]->update(fieldData);
  for (unsigned int i = 0; i < linesNum; ++i) fieldLines[i]->update(fieldData);

  // The body first: every other object is placed relative to it.
  body->update(fieldFlags, fieldGoals, fieldLines, flagsNum, goalsNum, linesNum);

  if (ball->isReadyToUpdate()) {
    ball->update(*body);
  } else if (ball->isValid()) {
    ball->virtualUpdate(*body);
  }

  for (auto& team : fullPlayers) {
    for (Player* player : team) {
      if (player == body) continue;
      if (player->isReadyToUpdate()) {
        player->update(*body, playMode);
      } else if (player->isAlive()) {
        player->virtualUpdate(*body);
      }
    }
  }
  for (auto& team : halfPlayers) {
    for (Player* player : team) {
      if (player->isReadyToUpdate()) {
        player->update(*body, playMode);
      } else if (player->isValid()) {
        player->virtualUpdate(*body);
      }
    }
  }
  for (Player* player : quarterPlayers) {
    if (player->isReadyToUpdate()) {
      player->update(*body, playMode);
    } else if (player->isValid()) {
      player->virtualUpdate(*body);
    }
  }

  completeUpdateObjects();
}

void WorldModel::completeUpdateObjects() {
  auto seen = [this](const Object& object) { return object.getSeeTime() == curTime; };

  // 1. An old half record with exactly one new half sighting near it, which no other old
  //    record could be, is that sighting: the old record goes.
  for (unsigned int i = 0; i < HALF_PLAYERS_NUM; ++i) {
    for (auto& team : halfPlayers) {
      Player* old = team[i];
      if (!old->isValid() || seen(*old)) continue;
      Player* match = nullptr;
      unsigned int matches = 0;
      for (Player* sighting : team) {
        if (sighting->isValid() && seen(*sighting) && isClose(*old, *sighting)) {
          match = sighting;
          ++matches;
        }
      }
      if (matches != 1) continue;
      bool ambiguous = false;
      for (Player* other : team) {
        if (other != old && other->isValid() && !seen(*other) && isClose(*other, *match)) {
          ambiguous = true;
        }
      }
      if (!ambiguous) old->kill();
    }
  }

  auto unseenHalf = [&](const Player& half) { return half.isValid() && !seen(half); };
  auto unseenFull = [&](const Player& full) {
    return &full != body && full.isAlive() && !seen(full);
  };
  // 2. A quarter sighting into the one unseen half record near it.
  mergeQuarterSightings(quarterPlayers, halfPlayers, *body, unseenHalf);
  // 3. A quarter sighting into the one unseen full record near it.
  mergeQuarterSightings(quarterPlayers, fullPlayers, *body, unseenFull);

  // 4. A half record into the one unseen full record of its team near it, seen or not.
  for (unsigned int i = 0; i < HALF_PLAYERS_NUM; ++i) {
    for (unsigned int side = 0; side < 2; ++side) {
      Player* half = halfPlayers[side][i];
      if (!half->isValid()) continue;
      Player* match = nullptr;
      unsigned int matches = 0;
      for (Player* full : fullPlayers[side]) {
        if (unseenFull(*full) && isClose(*half, *full)) {
          match = full;
          ++matches;
        }
      }
      mergeIfUnambiguous(*half, match, matches, halfPlayers[side], *body);
    }
  }

  // 5. What the view should have shown but did not is moved to where it could still be.
  for (unsigned int i = 0; i < FULL_PLAYERS_NUM; ++i) {
    for (auto& team : fullPlayers) {
      Player* full = team[i];
      if (full == body || !full->isAlive() || seen(*full)) continue;
      putOutOfVisibleDistance(*full);
      if (std::fabs(full->getHeadVec().getDirection()) < body->getViewAngle() - VIEW_ANGLE_MARGIN &&
          full->getAbsVec().getMagnitude() < FULL_IDENTIFY_DISTANCE) {
        putOutOfVisibleAngle(*full);
      }
      changePosDevBySee(*full);
    }
  }
  for (unsigned int i = 0; i < HALF_PLAYERS_NUM; ++i) {
    for (auto& team : halfPlayers) {
      Player* half = team[i];
      if (!half->isValid() || seen(*half)) continue;
      putOutOfVisibleDistance(*half);
      if (std::fabs(half->getHeadVec().getDirection()) < body->getViewAngle() - VIEW_ANGLE_MARGIN &&
          half->getAbsVec().getMagnitude() < HALF_IDENTIFY_DISTANCE) {
        putOutOfVisibleAngle(*half);
      }
      changePosDevBySee(*half);
    }
  }
  if (ball->isValid() && !seen(*ball)) {
    putOutOfVisibleDistance(*ball);
    changePosDevBySee(*ball);
  }
}

void WorldModel::putOutOfVisibleDistance(Object& object) {
  if (object.getAbsVec().getMagnitude() >= body->getVisibleDistance()) return;
  setRelativeLength(object, body->getVisibleDistance() + SENSE_MARGIN);
  object.setPos() = body->getPos() + object.getAbsVec();
  logMove(object, "sense area");
}

void WorldModel::putOutOfVisibleAngle(Object& object) {
  float angle = object.getHeadVec().getDirection();
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "obj.angle: " << angle << std::endl;
  // To the edge of the cone on the object's own side, and a margin beyond it.
  float rotation = angle <= 0.0f ? -body->getViewAngle() - angle - VIEW_ANGLE_MARGIN
                                 : body->getViewAngle() - angle + VIEW_ANGLE_MARGIN;
  object.setAbsVec().rotate(rotation);
  object.setBodyVec().rotate(rotation);
  object.setHeadVec().rotate(rotation);
  object.setPos() = body->getPos() + object.getAbsVec();
  logMove(object, "visible angle");
}

void WorldModel::changePosDevBySee(Object& object) {
  float distance = object.getAbsVec().getMagnitude();
  float radius = body->getVisibleDistance();
  const Player* player = dynamic_cast<const Player*>(&object);
  if (player != nullptr && player->isGoalie() && player->getTeamId() == TID_OPPONENT) {
    radius = OPP_GOALIE_SENSE_RADIUS;
  }
  if (radius + object.getPosDeviation() + SENSE_MARGIN > distance) {
    // Cut so the circle stays clear of the sensed disc; never below a point.
    object.setPosDeviation(std::max(0.0f, distance - radius - SENSE_MARGIN));
  }
}

}  // namespace tovren
