#include "support/Scene.h"

#include "connection/Command.h"
#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "worldmodel/WorldModel.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>

namespace tovren {
namespace support {

namespace {

// A sighting this close keeps a player valid (below 8) and well known.
constexpr float SEEN_POS_DEVIATION = 0.5f;

// Adds every (name value) list of the message from the element `first` on to the group.
void readParameterLists(const SExpression& message, unsigned int first, ConfigGroup& group) {
  for (unsigned int i = first; i < message.size(); ++i) {
    const SExpElement* element = message[i];
    if (element->type() != SExpType::List) continue;
    const SExpression& list = static_cast<const SExpression&>(*element);
    if (list.size() >= 2 && list[0]->type() == SExpType::Atom &&
        list[1]->type() == SExpType::Atom) {
      group.add(list[0]->toString(), list[1]->toString());
    }
  }
}

// Puts the object at a place with a velocity, known to the given deviation.
void place(Object& object, const Point& pos, const Vector& vel, float deviation) {
  object.setPos().setAsCartesian(pos.x, pos.y);
  object.setVel() = vel;
  object.setPosDeviation(deviation);
  object.setValidPosDeviation(deviation);
}

std::vector<std::string> filterLines(const std::string& text,
                                     bool (*keep)(const std::string&, const std::string&),
                                     const std::string& part) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (keep(line, part)) lines.push_back(line);
  }
  return lines;
}

}  // namespace

const char* const OWN_TEAM_NAME = "Tovren";

void setAgentConfig(bool offlinePlayer, const std::string& teamName) {
  config.add("Agent");
  ConfigFile& agent = config["Agent"];
  agent.addGroup("Server");
  agent.addGroup("Public");
  agent["Server"].add("OfflinePlayer", offlinePlayer ? "true" : "false");
  agent["Public"].add("TeamName", teamName);
}

std::ostringstream& captureLog(const std::string& name) {
  // They live to the end of the process, like the registry that writes into them.
  static std::map<std::string, std::ostringstream*> texts;
  std::ostringstream*& text = texts[name];
  if (text == nullptr) {
    text = new std::ostringstream();
    logger.add(name, new LogStream(text, nullptr));
  }
  text->str("");
  return *text;
}

std::ostringstream& captureMainLog() { return captureLog("MainLog"); }

std::vector<std::string> linesWith(const std::string& text, const std::string& fragment) {
  return filterLines(
      text,
      [](const std::string& line, const std::string& part) {
        return line.find(part) != std::string::npos;
      },
      fragment);
}

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& start) {
  return filterLines(
      text,
      [](const std::string& line, const std::string& part) { return line.rfind(part, 0) == 0; },
      start);
}

std::unique_ptr<SExpression> parseMessage(const std::string& text) {
  TOVREN_CHECK(SExpression::isWellFormed(text));
  unsigned int pos = 0;
  return std::make_unique<SExpression>(text, pos);
}

std::unique_ptr<SExpression> parseEntry(const std::string& text) {
  TOVREN_CHECK(SExpression::isWellFormed("(see " + text + ")"));
  unsigned int pos = 0;
  return std::make_unique<SExpression>(text, pos);
}

std::string dataDirectory() { return TOVREN_TEST_DATA_DIR; }

std::string fixturePath(const std::string& side, const std::string& file) {
  return dataDirectory() + "/" + side + "/" + file;
}

std::vector<RecordedLine> readRecording(const std::string& path) {
  std::ifstream in(path);
  TOVREN_CHECK_NAMED(in.good(), "recorded fixture file");
  std::vector<RecordedLine> lines;
  std::string line;
  while (std::getline(in, line)) {
    std::string::size_type tab = line.find('\t');
    if (tab == std::string::npos) continue;
    RecordedLine recorded;
    recorded.ms = std::strtol(line.c_str(), nullptr, 10);
    recorded.text = line.substr(tab + 1);
    if (recorded.text.rfind("> ", 0) == 0) {
      recorded.sent = true;
      recorded.text.erase(0, 2);
    }
    lines.push_back(recorded);
  }
  return lines;
}

std::vector<std::string> receivedMessages(const std::string& path, const std::string& header) {
  std::vector<std::string> texts;
  for (const RecordedLine& line : readRecording(path)) {
    if (!line.sent && line.text.rfind("(" + header + " ", 0) == 0) texts.push_back(line.text);
  }
  return texts;
}

std::string recordedParamsPath() { return fixturePath("left", "Tovren-2.txt"); }

RecordedParams::RecordedParams() {
  bool serverParamRead = false;
  for (const std::string& text : receivedMessages(recordedParamsPath(), "server_param")) {
    readParameterLists(*parseMessage(text), 1, serverParam);
    serverParamRead = true;
  }
  for (const std::string& text : receivedMessages(recordedParamsPath(), "player_type")) {
    const std::unique_ptr<SExpression> message = parseMessage(text);
    const SExpression& idList = (*message)["id"];
    TOVREN_CHECK(idList.size() >= 2 && idList[1]->type() == SExpType::Atom);
    const int id = static_cast<const SExpAtomic*>(idList[1])->asInt();
    TOVREN_CHECK(id >= 0 && id < 100);
    if (playerTypes.size() <= static_cast<unsigned int>(id)) {
      playerTypes.resize(static_cast<unsigned int>(id) + 1);
    }
    readParameterLists(*message, 2, playerTypes[static_cast<unsigned int>(id)]);
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

ConfigGroup recordedServerParamWith(
    const std::vector<std::pair<std::string, std::string>>& changes) {
  ConfigGroup serverParam = RecordedParams::get().getServerParam();
  for (const auto& change : changes) serverParam.add(change.first, change.second);
  return serverParam;
}

void feedRecordedParameters(WorldModel& worldModel) {
  for (const std::string& text : receivedMessages(recordedParamsPath(), "server_param")) {
    worldModel.initServerParam(*parseMessage(text));
  }
  for (const std::string& text : receivedMessages(recordedParamsPath(), "player_param")) {
    worldModel.initPlayerParam(*parseMessage(text));
  }
  for (const std::string& text : receivedMessages(recordedParamsPath(), "player_type")) {
    worldModel.initPlayerType(*parseMessage(text));
  }
}

Body makeBody(const Point& pos, float bodyDir, const Vector& vel, float stamina,
              unsigned int type) {
  const RecordedParams& params = RecordedParams::get();
  Body body;
  body.setServerParamVars(params.getServerParam());
  body.setType(static_cast<int>(type), params.getPlayerType(type));
  place(body, pos, vel, 0.0f);
  body.setBodyDir(bodyDir);
  body.setRelativeHeadDir(0.0f);
  body.setHeadDir(bodyDir);
  body.setStamina(stamina);
  return body;
}

Ball makeBall(const Body& body, const Point& pos, const Vector& vel) {
  Ball ball;
  ball.setServerParamVars(RecordedParams::get().getServerParam());
  place(ball, pos, vel, 0.0f);
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
  simulateCycle(body, command);
  ball.simulateByDynamics(body, BCM_NONE, BS_NONE, LOOK_AHEAD_TIME);
}

void simulateCycle(Body& body, const Command* command) {
  body.simulateByAction(command, false);
  body.simulateByDynamics(false);
}

float dashPower(const Command* command) {
  const auto* dash = commandAs<DashCommand>(command);
  return dash != nullptr ? dash->getPower() : std::nanf("");
}

float turnMoment(const Command* command) {
  const auto* turn = commandAs<TurnCommand>(command);
  return turn != nullptr ? turn->getDirection() : std::nanf("");
}

std::string textOf(const Command* command) {
  return command != nullptr ? command->toString() : std::string("null");
}

bool hasFiniteText(const Command& command) {
  const std::string text = command.toString();
  return text.find("nan") == std::string::npos && text.find("inf") == std::string::npos;
}

Player makeScenePlayer(TeamId team, unsigned int uniNum, const Point& pos, float bodyDir,
                       const Vector& vel, bool goalie) {
  Player player(PLM_FULL);
  player.setTeamId(team);
  player.setUniNum(uniNum);
  place(player, pos, vel, 0.0f);
  player.setBodyDir(bodyDir);
  player.setGoalie(goalie);
  return player;
}

Ball makeSceneBall(const Point& pos, const Vector& vel) {
  Ball ball;
  place(ball, pos, vel, 0.0f);
  return ball;
}

ConfigGroup makeFastType(float dashPowerRate, float speedMax) {
  ConfigGroup type;
  type.add("stamina_inc_max", "45");
  type.add("inertia_moment", "5");
  type.add("dash_power_rate", std::to_string(dashPowerRate));
  type.add("kickable_margin", "0.7");
  type.add("kick_rand", "0.1");
  type.add("extra_stamina", "50");
  type.add("effort_max", "1");
  type.add("effort_min", "0.6");
  type.add("player_speed_max", std::to_string(speedMax));
  type.add("player_decay", "0.4");
  type.add("player_size", "0.3");
  return type;
}

float defaultKickableRadius() {
  Ball ball;
  Player player(PLM_FULL);
  return ball.getSize() + player.getKickableMargin() + player.getSize();
}

void markAllViewPartsSeen(WorldModel& worldModel) {
  Body& body = worldModel.setBody();
  const float headDir = body.getHeadDir();
  for (unsigned int i = 0; i < WorldModel::VIEW_PARTS_NUM; ++i) {
    body.setHeadDir(worldModel.getViewPartDir(i));
    worldModel.updateSeeDeltaCyclesAfterSee();
  }
  body.setHeadDir(headDir);
}

void placeAgentWithBall(WorldModel& worldModel, float x, float y, float bodyDir, float ballDist) {
  Body& body = worldModel.setBody();
  place(body, Point(x, y), Vector(), SEEN_POS_DEVIATION);
  body.setBodyDir(bodyDir);
  body.setHeadDir(bodyDir);
  Ball& ball = worldModel.setBall();
  place(ball, Point(Vector(Point(x, y)) + polar(ballDist, bodyDir)), Vector(), 0.0f);
  ball.updateRelativeVecs(body);
}

Player& placeFullPlayer(WorldModel& worldModel, TeamId team, unsigned int uniNum, float x,
                        float y) {
  Player& player = worldModel.setFullPlayer(team, uniNum - 1);
  player.setTeamId(team);
  player.setUniNum(uniNum);
  place(player, Point(x, y), Vector(), SEEN_POS_DEVIATION);
  player.updateRelativeVecs(worldModel.getBody());
  return player;
}

}  // namespace support
}  // namespace tovren
