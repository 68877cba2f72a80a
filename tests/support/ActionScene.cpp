#include "support/ActionScene.h"

#include "foundation/Check.h"
#include "foundation/SExpression.h"
#include "support/WorldModelScene.h"

#include <fstream>
#include <string>

namespace tovren {
namespace support {

namespace {

// Adds every (name value) list of the message from the element `first` on to the group.
void readParameterLists(const SExpression& message, unsigned int first, ConfigGroup& group) {
  for (unsigned int i = first; i < message.size(); ++i) {
    const SExpElement* element = message[i];
    if (element->type() != SExpType::List) {
      continue;
    }
    const SExpression& list = static_cast<const SExpression&>(*element);
    if (list.size() >= 2 && list[0]->type() == SExpType::Atom &&
        list[1]->type() == SExpType::Atom) {
      group.add(list[0]->toString(), list[1]->toString());
    }
  }
}

// The message text of a recorded line "<ms>\t<text>" sent by the server, else empty.
std::string receivedText(const std::string& line) {
  const std::string::size_type tab = line.find('\t');
  if (tab == std::string::npos || line.compare(tab + 1, 1, "(") != 0) {
    return std::string();
  }
  return line.substr(tab + 1);
}

}  // namespace

std::string recordedParamsPath() { return fixturePath("left", "Tovren-2.txt"); }

RecordedParams::RecordedParams() {
  std::ifstream in(recordedParamsPath());
  TOVREN_CHECK_NAMED(in.good(), "recorded fixture file");
  std::string line;
  bool serverParamRead = false;
  while (std::getline(in, line)) {
    const std::string text = receivedText(line);
    const bool isServerParam = text.rfind("(server_param ", 0) == 0;
    const bool isPlayerType = text.rfind("(player_type ", 0) == 0;
    if (!isServerParam && !isPlayerType) {
      continue;
    }
    TOVREN_CHECK(SExpression::isWellFormed(text));
    unsigned int pos = 0;
    const SExpression message(text, pos);
    if (isServerParam) {
      readParameterLists(message, 1, serverParam);
      serverParamRead = true;
      continue;
    }
    const SExpression& idList = message["id"];
    TOVREN_CHECK(idList.size() >= 2 && idList[1]->type() == SExpType::Atom);
    const int id = static_cast<const SExpAtomic*>(idList[1])->asInt();
    TOVREN_CHECK(id >= 0 && id < 100);
    if (playerTypes.size() <= static_cast<unsigned int>(id)) {
      playerTypes.resize(static_cast<unsigned int>(id) + 1);
    }
    readParameterLists(message, 2, playerTypes[static_cast<unsigned int>(id)]);
  }
  TOVREN_CHECK(serverParamRead && !playerTypes.empty());
}

const RecordedParams& RecordedParams::get() {
  static const RecordedParams params;
  return params;
}

const ConfigGroup& RecordedParams::getPlayerType(unsigned int id) const {
  TOVREN_CHECK(id < playerTypes.size());
  return playerTypes[id];
}

Body makeBody(const Point& pos, float bodyDir, const Vector& vel, float stamina,
              unsigned int type) {
  const RecordedParams& params = RecordedParams::get();
  Body body;
  body.setServerParamVars(params.getServerParam());
  body.setType(static_cast<int>(type), params.getPlayerType(type));
  body.setPos().setAsCartesian(pos.x, pos.y);
  body.setVel() = vel;
  body.setBodyDir(bodyDir);
  body.setRelativeHeadDir(0.0f);
  body.setHeadDir(bodyDir);
  body.setStamina(stamina);
  body.setPosDeviation(0.0f);
  body.setValidPosDeviation(0.0f);
  return body;
}

Ball makeBall(const Body& body, const Point& pos, const Vector& vel) {
  Ball ball;
  ball.setServerParamVars(RecordedParams::get().getServerParam());
  ball.setPos().setAsCartesian(pos.x, pos.y);
  ball.setVel() = vel;
  ball.setPosDeviation(0.0f);
  ball.setValidPosDeviation(0.0f);
  ball.updateRelativeVecs(body);
  return ball;
}

Ball makeBallNearBody(const Body& body, float distance, float relativeDir, const Vector& vel) {
  const Vector offset = polar(distance, body.getBodyDir() + relativeDir);
  return makeBall(body, Point(body.getPos() + offset), vel);
}

float touchingDistance(const Body& body, const Ball& ball) {
  return body.getSize() + ball.getSize();
}

float kickableDistance(const Body& body, const Ball& ball) {
  return body.getSize() + ball.getSize() + body.getKickableMargin();
}

Vector polar(float magnitude, float direction) {
  Vector vector;
  vector.setAsPolar(magnitude, direction);
  return vector;
}

void simulateCycle(Body& body, Ball& ball, const Command* command) {
  ball.simulateByAction(body, command, false);
  body.simulateByAction(command, false);
  body.simulateByDynamics(false);
  ball.simulateByDynamics(body, BCM_NONE, BS_NONE, LOOK_AHEAD_TIME);
}

void simulateCycle(Body& body, const Command* command) {
  body.simulateByAction(command, false);
  body.simulateByDynamics(false);
}

}  // namespace support
}  // namespace tovren
