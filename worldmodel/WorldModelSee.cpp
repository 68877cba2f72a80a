#include "worldmodel/WorldModel.h"

#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "foundation/SExpression.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/MessageFields.h"
#include "worldmodel/Object.h"
#include "worldmodel/Player.h"

#include <cstddef>
#include <ostream>
#include <string>

namespace tovren {

namespace {

void logSkipped(const char* what, const SExpression& expression) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "Skipping " << what << ": " << expression.toString() << std::endl;
}

// Reads a see entry into the next free landmark of its pool. An entry that names no
// landmark of the kind, finds the pool full or is malformed is logged and skipped.
template <typename Landmark, std::size_t N>
void parseLandmark(Landmark* const (&pool)[N], unsigned int& count, int id,
                   const SExpression& entry, unsigned int time, const char* kind) {
  if (id == FieldData::unknownId) {
    logSkipped((std::string("unknown ") + kind).c_str(), entry);
  } else if (count >= N) {
    logSkipped((std::string(kind) + " beyond the " + kind + " pool").c_str(), entry);
  } else if (pool[count]->parse(id, entry, time)) {
    ++count;
  } else {
    logSkipped((std::string("malformed ") + kind).c_str(), entry);
  }
}

}  // namespace

void WorldModel::parseSee(const SExpression& message) {
  int cycle = 0;
  if (!MessageFields::isAtom(message, 0, "see") || !MessageFields::readInt(message, 1, cycle) ||
      cycle < 0) {
    logSkipped("malformed see", message);
    return;
  }
  seeCycle = static_cast<unsigned int>(cycle);

  for (unsigned int i = 2; i < message.size(); ++i) {
    const SExpression* entry = MessageFields::listAt(message, i);
    const SExpression* name = entry == nullptr ? nullptr : MessageFields::listAt(*entry, 0);
    const SExpAtomic* kind = name == nullptr ? nullptr : MessageFields::atomAt(*name, 0);
    if (kind == nullptr || kind->asString().empty()) {
      LogStream& log = logger["MainLog"];
      if (log.isOutValid())
        log << "Skipping see entry " << i << " of unexpected shape." << std::endl;
      continue;
    }
    switch (kind->asString()[0]) {
      case 'b':
      case 'B':
        parseBall(*entry);
        break;
      case 'p':
      case 'P':
        parsePlayer(*entry);
        break;
      case 'f':
        parseFlag(*entry);
        break;
      case 'g':
        parseGoal(*entry);
        break;
      case 'l':
        parseLine(*entry);
        break;
      // Landmarks felt only by proximity carry nothing to localise by.
      case 'F':
      case 'G':
      case 'L':
        break;
      default:
        logSkipped("see entry of unknown kind", *entry);
        break;
    }
  }
}

void WorldModel::parseFlag(const SExpression& entry) {
  const SExpression* name = MessageFields::listAt(entry, 0);
  int id = name == nullptr ? FieldData::unknownId : fieldData.getFlagId(*name);
  parseLandmark(fieldFlags, flagsNum, id, entry, curTime, "flag");
}

void WorldModel::parseGoal(const SExpression& entry) {
  const SExpression* name = MessageFields::listAt(entry, 0);
  int id = name == nullptr ? FieldData::unknownId : fieldData.getGoalId(*name);
  parseLandmark(fieldGoals, goalsNum, id, entry, curTime, "goal");
}

void WorldModel::parseLine(const SExpression& entry) {
  const SExpression* name = MessageFields::listAt(entry, 0);
  int id = name == nullptr ? FieldData::unknownId : fieldData.getLineId(*name);
  parseLandmark(fieldLines, linesNum, id, entry, curTime, "line");
}

void WorldModel::parseBall(const SExpression& entry) {
  if (!ball->parse(entry, curTime)) logSkipped("malformed ball", entry);
}

void WorldModel::parsePlayer(const SExpression& entry) {
  const SExpression* name = MessageFields::listAt(entry, 0);
  if (name == nullptr) {
    logSkipped("player without a name list", entry);
    return;
  }
  TeamId team = TID_UNKNOWN;
  int uniNum = 0;
  bool goalie = false;
  if (name->size() >= 2) {
    const SExpAtomic* teamName = MessageFields::atomAt(*name, 1);
    if (teamName == nullptr) {
      logSkipped("player with a malformed team name", entry);
      return;
    }
    const std::string& ownName = config["Agent"]["Public"]["TeamName"].asString();
    team = teamName->asString() == "\"" + ownName + "\"" ? TID_TEAMMATE : TID_OPPONENT;
  }
  if (name->size() >= 3 && (!MessageFields::readInt(*name, 2, uniNum) || uniNum < 1 ||
                            uniNum > static_cast<int>(FULL_PLAYERS_NUM))) {
    logSkipped("player with a uniform number outside 1..11", entry);
    return;
  }
  if (name->size() >= 4) {
    if (!MessageFields::isAtom(*name, 3, "goalie")) {
      logSkipped("player with an unknown mark", entry);
      return;
    }
    goalie = true;
  }

  Player* slot = nullptr;
  if (team == TID_UNKNOWN) {
    for (Player* player : quarterPlayers) {
      if (!player->isValid() && !player->isReadyToUpdate()) {
        slot = player;
        break;
      }
    }
  } else if (uniNum == 0) {
    for (Player* player : halfPlayers[team]) {
      if (!player->isValid() && !player->isReadyToUpdate()) {
        slot = player;
        break;
      }
    }
  } else {
    slot = fullPlayers[team][uniNum - 1];
    if (slot == body ||
        (team == TID_TEAMMATE && body->getUniNum() == static_cast<unsigned int>(uniNum))) {
      // The agent's own number on its own team: it would overwrite the body.
      logSkipped("player entry of the agent itself", entry);
      return;
    }
  }
  // More players of one kind than free slots: the rest of them are dropped.
  if (slot == nullptr) return;
  if (!slot->parse(team, static_cast<unsigned int>(uniNum), goalie, entry, curTime)) {
    logSkipped("malformed player", entry);
  }
}

}  // namespace tovren
