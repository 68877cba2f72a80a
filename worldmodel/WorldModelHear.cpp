#include "worldmodel/WorldModel.h"

#include "foundation/Logger.h"
#include "foundation/SExpression.h"
#include "foundation/SayEncoding.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/MessageFields.h"
#include "worldmodel/Player.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tovren {

namespace {

// The value range of the weight of a suggested pass.
constexpr float SUGGEST_PASS_WEIGHT_MIN = -50.0f;
constexpr float SUGGEST_PASS_WEIGHT_MAX = 150.0f;
// A heard ball replaces the seen one only when the seen one is less certain than this.
constexpr float HEAR_BALL_SEE_POS_DEVIATION = 2.0f;
// "B" names its reference player by 1..11, or by 12..22 for the same teammates.
constexpr int RELATED_NUM_MAX = 22;
// Digits of the coach's message of opponent types: one per opponent.
constexpr std::string::size_type OPP_TYPES_DIGITS = 11;

void logSkipped(const char* what, const std::string& text) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "Skipping " << what << ": " << text << std::endl;
}

// Whether the text holds the given characters from pos on.
bool hasTextAt(const std::string& text, std::string::size_type pos, const char* expected) {
  const std::string tail(expected);
  return text.size() >= pos + tail.size() && text.compare(pos, tail.size(), tail) == 0;
}

// Text length (header included) of each kind of teammate message; 0 for no kind.
std::string::size_type sayLayoutLength(char header) {
  switch (header) {
    case 'A':
      return 8;
    case 'B':
      return 8;
    case 'C':
      return 8;
    case 'F':
      return 2;
    case 'Y':
      return 4;
    case 'Z':
      return 10;
    default:
      return 0;
  }
}

// The one-character number at atom index i; the caller has checked the layout.
unsigned int num(const std::string& message, std::string::size_type i) {
  return static_cast<unsigned int>(SayEncoding::getCharNum(message[i]));
}

// Whether a heard say (the atom, double quotes included) is a complete message of its
// kind: quoted, as long as its layout, every field character in the say alphabet, and
// a reference number of "B" within 1..22. Heard text comes from the network, so a
// message that fails is logged and none of its values is used.
bool isCompleteSay(const std::string& message) {
  const char* fault = nullptr;
  if (message.size() < 3 || message.front() != '"' || message.back() != '"') {
    fault = "say that is not one quoted text";
  } else {
    const std::string::size_type length = sayLayoutLength(message[1]);
    if (length == 0) {
      fault = "say of unknown kind";
    } else if (message.size() - 2 < length) {
      fault = "say shorter than its layout";
    } else {
      for (std::string::size_type i = 2; i <= length && fault == nullptr; ++i) {
        if (SayEncoding::getCharNum(message[i]) < 0)
          fault = "say with a character outside the say alphabet";
      }
      if (fault == nullptr && message[1] == 'B') {
        const int n = SayEncoding::getCharNum(message[8]);
        if (n < 1 || n > RELATED_NUM_MAX) fault = "say naming no player";
      }
    }
  }
  if (fault == nullptr) return true;
  logSkipped(fault, message);
  return false;
}

// A complete message of the kind named by header that carries a ball: its position
// (relative for "B") at index 2 and its velocity at index 5, both decoded.
bool readBallState(const std::string& message, char header, float& x, float& y, float& speed,
                   float& direction) {
  return isCompleteSay(message) && message[1] == header &&
         SayEncoding::decodeObjectPosition(message, 2, x, y) &&
         SayEncoding::decodeObjectVelocity(message, 5, speed, direction);
}

}  // namespace

void WorldModel::resetHearedNums() {
  hearedHeader = '\0';
  hearedSender = 0;
  mustAttention = false;
  hearedInterceptNum = 0;
  hearedRequestPassNum = 0;
}

bool WorldModel::parseHear(const SExpression& message) {
  resetHearedNums();
  int time = 0;
  const SExpAtomic* sender = MessageFields::atomAt(message, 2);
  if (!MessageFields::isAtom(message, 0, "hear") || !MessageFields::readInt(message, 1, time) ||
      sender == nullptr) {
    logSkipped("malformed hear", message.toString());
    return false;
  }
  const std::string& name = sender->asString();

  if (name == "referee") {
    if (MessageFields::atomAt(message, 3) == nullptr) {
      logSkipped("referee message without a call", message.toString());
      return false;
    }
    parseRefereeHear(message);
    refereeHearTime = curTime;
    return true;
  }

  if (hasTextAt(name, 0, "online_coach")) {
    const bool left = hasTextAt(name, 13, "left");
    const bool right = hasTextAt(name, 13, "right");
    if (!left && !right) {
      logSkipped("hear of an unknown sender", message.toString());
      return false;
    }
    if (left != (fieldSide == SI_LEFT)) return true;  // the other team's coach
    const SExpression* freeform = MessageFields::listAt(message, 3);
    if (freeform == nullptr) {
      logSkipped("own coach's hear without a message list", message.toString());
      return false;
    }
    parseTeammateCoachHear(*freeform);
    return true;
  }

  if (name == "self") {
    const SExpAtomic* said = MessageFields::atomAt(message, 3);
    if (said == nullptr) {
      logSkipped("own say without a text", message.toString());
      return false;
    }
    selfHear(said->asString());
    return true;
  }

  const std::optional<int> direction = MessageFields::decimalInt(name);
  if (!direction) {
    logSkipped("hear of an unknown sender", message.toString());
    return false;
  }
  if (MessageFields::isAtom(message, 3, "our")) {
    const SExpAtomic* number = MessageFields::atomAt(message, 4);
    const SExpAtomic* said = MessageFields::atomAt(message, 5);
    const std::optional<int> uniNum =
        number == nullptr ? std::nullopt : MessageFields::decimalInt(number->asString());
    if (said == nullptr || !uniNum || *uniNum < 1 || *uniNum > static_cast<int>(FULL_PLAYERS_NUM)) {
      logSkipped("malformed teammate say", message.toString());
      return false;
    }
    teammateHear(static_cast<float>(*direction), static_cast<unsigned int>(*uniNum),
                 said->asString());
    return true;
  }
  if (MessageFields::isAtom(message, 3, "opp") && MessageFields::atomAt(message, 4) != nullptr) {
    return true;  // the opponents' messages are not ours to decode
  }
  logSkipped("malformed player say", message.toString());
  return false;
}

void WorldModel::parseTeammateCoachHear(const SExpression& freeform) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "WorldModel::parseTeammateCoachHear" << std::endl;
  if (!MessageFields::isAtom(freeform, 0, "freeform")) return;

  const SExpAtomic* textAtom = MessageFields::atomAt(freeform, 1);
  if (textAtom == nullptr || textAtom->asString().size() < 2 ||
      textAtom->asString().front() != '"' || textAtom->asString().back() != '"') {
    logSkipped("coach message without a quoted text", freeform.toString());
    return;
  }
  const std::string& quoted = textAtom->asString();
  const std::string inner = quoted.substr(1, quoted.size() - 2);
  // The parser reads "(" + inner + ")" exactly as it reads this text after its first
  // atom, and this text has one: so the check covers the list that is parsed below.
  if (!SExpression::isWellFormed("(x " + inner + ")")) {
    logSkipped("coach message that is not one list", freeform.toString());
    return;
  }
  const std::string text = "(" + inner + ")";
  unsigned int pos = 0;
  const SExpression advice(text, pos);

  // Every element is checked before any type is set, so a faulty message sets none.
  std::vector<const std::string*> typeLists;
  for (unsigned int i = 0; i < advice.size(); ++i) {
    const SExpression* element = MessageFields::listAt(advice, i);
    if (element == nullptr || MessageFields::atomAt(*element, 0) == nullptr) {
      logSkipped("coach message with an element that is not a list", freeform.toString());
      return;
    }
    if (!MessageFields::isAtom(*element, 0, "T")) continue;
    const SExpAtomic* digits = MessageFields::atomAt(*element, 1);
    if (digits == nullptr || digits->asString().size() != OPP_TYPES_DIGITS) {
      logSkipped("coach message of opponent types without 11 digits", freeform.toString());
      return;
    }
    for (char digit : digits->asString()) {
      if (digit < '0' || digit > '9' ||
          !isPlayerTypeReceived(static_cast<unsigned int>(digit - '0'))) {
        logSkipped("coach message naming a player type not received", freeform.toString());
        return;
      }
    }
    typeLists.push_back(&digits->asString());
  }

  for (const std::string* digits : typeLists) {
    for (unsigned int k = 0; k < OPP_TYPES_DIGITS; ++k) {
      const int type = (*digits)[k] - '0';
      fullPlayers[TID_OPPONENT][k]->setType(type, playerTypes[type]);
      if (log.isOutValid()) {
        log << "\tAOTR: Opp Num " << k + 1 << " setted to type " << type << std::endl;
      }
    }
  }
}

void WorldModel::selfHear(const std::string& message) {
  // Only the echo of the own pass announcements counts.
  if (message.size() < 2 || (message[1] != 'A' && message[1] != 'B')) return;
  if (curTime == refereeHearTime + 1) return;
  if (!isCompleteSay(message)) return;
  hearedHeader = message[1];
  hearedSender = body->getUniNum();
  hearedInterceptNum = num(message, 8);
}

void WorldModel::teammateHear(float, unsigned int sender, const std::string& message) {
  if (!isCompleteSay(message)) return;
  hearedHeader = message[1];
  // Routine messages of the cycle right after a referee call describe the play before it.
  const bool afterReferee = curTime == refereeHearTime + 1;
  switch (hearedHeader) {
    case 'A':
      beforePassTmmHear(message, sender);
      break;
    case 'B':
      beforePassRelatedTmmHear(message, sender);
      break;
    case 'C':
      suggestPassTmmHear(message, sender);
      break;
    case 'F':
      if (!afterReferee) freeKickKickerHear(message, sender);
      break;
    case 'Y':
      if (!afterReferee) routinTmmHearWithoutBall(message, sender);
      break;
    case 'Z':
      if (!afterReferee) routinTmmHear(message, sender);
      break;
    default:
      break;
  }
  logObjects();
}

void WorldModel::beforePassTmmHear(const std::string& message, unsigned int sender) {
  float x = 0.0f, y = 0.0f, speed = 0.0f, direction = 0.0f;
  if (!readBallState(message, 'A', x, y, speed, direction)) return;
  hearedSender = sender;
  hearedInterceptNum = num(message, 8);
  ball->updateByHear(x, y, speed, direction, *body);
}

void WorldModel::beforePassRelatedTmmHear(const std::string& message, unsigned int sender) {
  float dx = 0.0f, dy = 0.0f, speed = 0.0f, direction = 0.0f;
  if (!readBallState(message, 'B', dx, dy, speed, direction)) return;
  const unsigned int n = num(message, 8);
  hearedSender = sender;
  hearedInterceptNum = n;
  // The hearer's own number names its body, in its slot or (before the init answer put
  // it there) beside the slots.
  const unsigned int refNum = n > FULL_PLAYERS_NUM ? n - FULL_PLAYERS_NUM : n;
  const Player& reference =
      refNum == body->getUniNum() ? *body : *fullPlayers[TID_TEAMMATE][refNum - 1];
  if (!reference.isValid()) return;
  ball->updateByHear(reference.getPos().getX() + dx, reference.getPos().getY() + dy, speed,
                     direction, *body);
}

void WorldModel::suggestPassTmmHear(const std::string& message, unsigned int sender) {
  float speed = 0.0f, direction = 0.0f, weight = 0.0f;
  if (!isCompleteSay(message) || message[1] != 'C' ||
      !SayEncoding::decodeObjectVelocity(message, 2, speed, direction) ||
      !SayEncoding::decodeWeight(message, 5, weight, SUGGEST_PASS_WEIGHT_MIN,
                                 SUGGEST_PASS_WEIGHT_MAX)) {
    return;
  }
  hearedSender = sender;
  hearedSuggestPassNum = num(message, 8);
  hearedSuggestPassDir = direction;
  hearedSuggestPassSpeed = speed;
  hearedSuggestPassWeight = weight;
  hearedSuggestPassTime = curTime;
}

void WorldModel::freeKickKickerHear(const std::string& message, unsigned int sender) {
  if (!isCompleteSay(message) || message[1] != 'F') return;
  const unsigned int number = num(message, 2);
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) {
    log << "WorldModel::freeKickAdvicerHear sender=" << sender << " adviceNumber=" << number
        << std::endl;
  }
  freeKickAdvicerSayCycle = curTime;
  freeKickAdvicerSayNumber = number;
}

void WorldModel::routinTmmHearWithoutBall(const std::string& message, unsigned int sender) {
  if (!isCompleteSay(message) || message[1] != 'Y') return;
  hearedSender = sender;
  hearedInterceptNum = num(message, 2);
  hearedRequestPassNum = num(message, 3);
  mustAttention = num(message, 4) != 0;
}

void WorldModel::routinTmmHear(const std::string& message, unsigned int sender) {
  float x = 0.0f, y = 0.0f, speed = 0.0f, direction = 0.0f;
  if (!readBallState(message, 'Z', x, y, speed, direction)) return;
  if (ball->getSeePosDeviation() > HEAR_BALL_SEE_POS_DEVIATION && !isBallKickable() &&
      ball->isUpdateByHearPermitted()) {
    ball->updateByHear(x, y, speed, direction, *body);
  }
  hearedSender = sender;
  hearedInterceptNum = num(message, 8);
  hearedRequestPassNum = num(message, 9);
  mustAttention = num(message, 10) != 0;
}

}  // namespace tovren
