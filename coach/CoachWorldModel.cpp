#include "coach/CoachWorldModel.h"

#include "foundation/Check.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "foundation/SExpression.h"
#include "worldmodel/Ball.h"
#include "worldmodel/MessageFields.h"
#include "worldmodel/Object.h"
#include "worldmodel/Player.h"

#include <ostream>
#include <string>

namespace tovren {

namespace {

void logSkipped(const char* why, const SExpression& message) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "Skipping " << why << ": " << message.toString() << std::endl;
}

void logLine(const char* text) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << text << std::endl;
}

// The name list of a player entry: ((p "TEAM" NUMBER [MARKER]) ...).
struct PlayerName {
  TeamId team = TID_OPPONENT;
  unsigned int uniNum = 0;
  bool goalie = false;
};

// Why the name cannot be read, or null when it was.
const char* readPlayerName(const SExpression& entry, PlayerName& out) {
  const SExpression* name = MessageFields::listAt(entry, 0);
  if (name == nullptr) return "player entry without a name list";
  const SExpAtomic* team = MessageFields::atomAt(*name, 1);
  int uniNum = 0;
  if (team == nullptr || !MessageFields::readInt(*name, 2, uniNum)) {
    return "player entry with a malformed name";
  }
  if (name->size() > 3 && MessageFields::atomAt(*name, 3) == nullptr) {
    return "player entry with a malformed marker";
  }
  if (uniNum < 1 || uniNum > static_cast<int>(WorldModel::FULL_PLAYERS_NUM)) {
    return "player entry with a uniform number outside 1..11";
  }
  // Looked up for every entry: the quoted name is ours, anything else the opponents'.
  const std::string& ownName = config["Agent"]["Public"]["TeamName"].asString();
  out.team = team->asString() == "\"" + ownName + "\"" ? TID_TEAMMATE : TID_OPPONENT;
  out.uniNum = static_cast<unsigned int>(uniNum);
  const SExpAtomic* marker = MessageFields::atomAt(*name, 3);
  out.goalie = marker != nullptr && !marker->asString().empty() && marker->asString()[0] == 'g';
  return nullptr;
}

// The first character of the entry's name, or '\0' when the name is no list headed by
// an atom.
char entryKind(const SExpression& entry) {
  const SExpression* name = MessageFields::listAt(entry, 0);
  const SExpAtomic* kind = name == nullptr ? nullptr : MessageFields::atomAt(*name, 0);
  if (kind == nullptr || kind->asString().empty()) return '\0';
  return kind->asString()[0];
}

}  // namespace

CoachWorldModel::CoachWorldModel(const CoachWorldModel& other) : WorldModel(other) {
  logLine("CoachWorldModel copied.");
}

const char* CoachWorldModel::entryFault(const SExpression& entry, unsigned int& goals) const {
  // Values are tried on scratch objects, so a bad entry late in the message leaves the
  // model as the previous message left it.
  switch (entryKind(entry)) {
    case 'g': {
      const SExpression* name = MessageFields::listAt(entry, 0);
      const int id = getFieldData().getGoalId(*name);
      if (id == FieldData::unknownId) return "goal entry of an unknown side";
      if (++goals > FIELD_GOALS_NUM) return "third goal entry";
      FieldGoal scratch;
      return scratch.parseFullState(id, entry, getCurTime()) ? nullptr : "malformed goal entry";
    }
    case 'b': {
      Ball scratch;
      return scratch.parseFullState(entry, getCurTime()) ? nullptr : "malformed ball entry";
    }
    case 'p': {
      PlayerName name;
      if (const char* fault = readPlayerName(entry, name)) return fault;
      Player scratch;
      return scratch.parseFullState(name.team, name.uniNum, name.goalie, entry, getCurTime())
                 ? nullptr
                 : "malformed player entry";
    }
    case '\0':
      return "see_global entry without a name";
    default:
      return "see_global entry of unknown kind";
  }
}

bool CoachWorldModel::checkSeeGlobal(const SExpression& message) const {
  if (!MessageFields::isAtom(message, 0, "see_global") ||
      MessageFields::atomAt(message, 1) == nullptr) {
    logSkipped("malformed see_global", message);
    return false;
  }
  unsigned int goals = 0;
  for (unsigned int i = 2; i < message.size(); ++i) {
    const SExpression* entry = MessageFields::listAt(message, i);
    const char* fault =
        entry == nullptr ? "see_global element that is not an entry" : entryFault(*entry, goals);
    if (fault != nullptr) {
      logSkipped(fault, message);
      return false;
    }
  }
  return true;
}

void CoachWorldModel::parseSeeGlobal(const SExpression& message) {
  if (!checkSeeGlobal(message)) return;
  for (unsigned int i = 2; i < message.size(); ++i) {
    const SExpression& entry = *MessageFields::listAt(message, i);
    switch (entryKind(entry)) {
      case 'g':
        parseGoal(entry);
        break;
      case 'b':
        parseBall(entry);
        break;
      default:
        parsePlayer(entry);
        break;
    }
  }
}

void CoachWorldModel::parseGoal(const SExpression& entry) {
  const SExpression* name = MessageFields::listAt(entry, 0);
  const int id = name == nullptr ? FieldData::unknownId : setFieldData().getGoalId(*name);
  if (id == FieldData::unknownId || getGoalsNum() >= FIELD_GOALS_NUM ||
      !setFieldGoal(getGoalsNum()).parseFullState(id, entry, getCurTime())) {
    logSkipped("goal entry", entry);
    return;
  }
  setGoalsNum(getGoalsNum() + 1);
}

void CoachWorldModel::parseBall(const SExpression& entry) {
  if (!setBall().parseFullState(entry, getCurTime())) logSkipped("malformed ball entry", entry);
}

void CoachWorldModel::parsePlayer(const SExpression& entry) {
  PlayerName name;
  const char* fault = readPlayerName(entry, name);
  if (fault == nullptr &&
      !setFullPlayer(name.team, name.uniNum - 1)
           .parseFullState(name.team, name.uniNum, name.goalie, entry, getCurTime())) {
    fault = "malformed player entry";
  }
  if (fault != nullptr) logSkipped(fault, entry);
}

bool CoachWorldModel::parseHear(const SExpression& message) {
  resetHearedNums();
  int time = 0;
  if (!MessageFields::readInt(message, 1, time)) {
    logSkipped("hear without a time", message);
    return false;
  }
  if (MessageFields::isAtom(message, 2, "referee")) {
    if (MessageFields::atomAt(message, 3) == nullptr) {
      logSkipped("referee message without a call", message);
      return false;
    }
    parseRefereeHear(message);
    setRefereeHearTime(getCurTime());
    return true;
  }
  // What players say is of no use to the coach; only its shape is checked.
  const SExpression* sender = MessageFields::listAt(message, 2);
  int number = 0;
  if (sender == nullptr || MessageFields::atomAt(*sender, 1) == nullptr ||
      !MessageFields::readInt(*sender, 2, number)) {
    logSkipped("hear of an unknown sender", message);
    return false;
  }
  return true;
}

void CoachWorldModel::logObjects() const {
  LogStream& log = logger["MainLog"];
  if (!log.isOutValid()) return;
  log << "Ball Pos" << getBall().getPos() << " Vel" << getBall().getVel() << std::endl;
  const TeamId teams[] = {TID_TEAMMATE, TID_OPPONENT};
  for (TeamId team : teams) {
    for (unsigned int i = 0; i < FULL_PLAYERS_NUM; ++i) {
      const Player& player = getFullPlayer(team, i);
      if (!player.isValid()) continue;
      log << (team == TID_TEAMMATE ? "OurF" : "OppF") << i + 1 << " Pos" << player.getPos()
          << " Vel" << player.getVel() << " Bod" << player.getBodyDir() << " Hed"
          << player.getHeadDir() << " Nec" << player.getPointingDir() << " Tac"
          << player.isTackling() << (player.isGoalie() ? " G" : "") << std::endl;
    }
  }
}

void CoachWorldModelHistory::saveWorldModel(const CoachWorldModel* worldModel, unsigned int time) {
  TOVREN_CHECK(size == 0 || static_cast<int>(time) == curTime + 1);
  LogStream& log = logger["MainLog"];
  log << "Saving WorldModel time= " << time << std::endl;
  TOVREN_CHECK(size <= CAPACITY);
  if (size < CAPACITY) {
    log << "insert to history" << std::endl;
    history[size] = std::make_unique<CoachWorldModel>(*worldModel);
    if (startTime == -1) startTime = static_cast<int>(time);
    curTime = static_cast<int>(time);
    ++size;
  } else {
    log << "Shifting history" << std::endl;
    std::unique_ptr<CoachWorldModel> oldest = std::move(history[0]);
    for (int i = 0; i + 1 < CAPACITY; ++i) history[i] = std::move(history[i + 1]);
    oldest->copyFrom(*worldModel, true);
    history[CAPACITY - 1] = std::move(oldest);
    startTime = static_cast<int>(time) - (CAPACITY - 1);
    curTime = static_cast<int>(time);
  }
  log << "Now history size is " << size << std::endl;
  log << "curTime " << curTime << std::endl;
  log << "startTime " << startTime << std::endl;
}

const CoachWorldModel* CoachWorldModelHistory::operator[](int time) const {
  if (time < 0) {
    TOVREN_CHECK(-time <= size - 1);
    return history[size - 1 + time].get();
  }
  TOVREN_CHECK(time <= curTime);
  TOVREN_CHECK(time >= startTime);
  return history[time - startTime].get();
}

}  // namespace tovren
