#include "bench/BenchScene.h"

#include "foundation/Config.h"
#include "foundation/SExpression.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <fstream>
#include <memory>
#include <string>

namespace tovren {

namespace {

const char* const FIXTURES = TOVREN_TEST_DATA_DIR "/left/";
// A sighting this close keeps a player valid and well known.
constexpr float SEEN_POS_DEVIATION = 0.5f;

std::unique_ptr<SExpression> parse(const std::string& text) {
  if (!SExpression::isWellFormed(text)) return nullptr;
  unsigned int pos = 0;
  return std::make_unique<SExpression>(text, pos);
}

float numberAt(const SExpression& list, unsigned int i) {
  return static_cast<const SExpAtomic*>(list[i])->asFloat();
}

// The ball's and every player's vectors as seen from the body where it stands now.
void updateRelativeVecs(WorldModel& wm) {
  const Body& body = wm.getBody();
  wm.setBall().updateRelativeVecs(body);
  for (unsigned int k = 0; k < WorldModel::FULL_PLAYERS_NUM; ++k) {
    wm.setFullPlayer(TID_TEAMMATE, k).updateRelativeVecs(body);
    wm.setFullPlayer(TID_OPPONENT, k).updateRelativeVecs(body);
  }
}

}  // namespace

void configureOfflineAgent() {
  config.add("Agent");
  config["Agent"].addGroup("Server");
  config["Agent"]["Server"].add("OfflinePlayer", "true");
}

bool buildRecordedScene(WorldModel& wm, const char* viewStart, Point& ball) {
  std::ifstream recording(std::string(FIXTURES) + "Tovren-2.txt");
  std::string line;
  while (std::getline(recording, line)) {
    const std::unique_ptr<SExpression> message = parse(line.substr(line.find('\t') + 1));
    if (message == nullptr) continue;
    const std::string header = (*message)[0]->toString();
    if (header == "server_param") wm.initServerParam(*message);
    if (header == "player_param") wm.initPlayerParam(*message);
    if (header == "player_type") wm.initPlayerType(*message);
  }

  std::ifstream trainer(std::string(FIXTURES) + "trainer.txt");
  std::unique_ptr<SExpression> view;
  while (view == nullptr && std::getline(trainer, line)) {
    const std::string text = line.substr(line.find('\t') + 1);
    if (text.rfind(viewStart, 0) == 0) view = parse(text);
  }
  if (view == nullptr) return false;

  // The ball comes before the players in the trainer's view; the agent is chosen by it.
  const Player* agent = nullptr;
  unsigned int players = 0;
  for (unsigned int i = 2; i < view->size(); ++i) {
    const auto& entry = static_cast<const SExpression&>(*(*view)[i]);
    const auto& name = static_cast<const SExpression&>(*entry[0]);
    const std::string kind = name[0]->toString();
    if (kind == "b") ball = Point(numberAt(entry, 1), -numberAt(entry, 2));
    if (kind != "p") continue;
    const TeamId team = name[1]->toString() == "\"Tovren\"" ? TID_TEAMMATE : TID_OPPONENT;
    const unsigned int uniNum =
        static_cast<unsigned int>(static_cast<const SExpAtomic*>(name[2])->asInt());
    if (uniNum < 1 || uniNum > WorldModel::FULL_PLAYERS_NUM) return false;
    Player& p = wm.setFullPlayer(team, uniNum - 1);
    p.setTeamId(team);
    p.setUniNum(uniNum);
    p.setGoalie(name.size() > 3);
    p.setPos().setAsCartesian(numberAt(entry, 1), -numberAt(entry, 2));
    p.setVel().setAsCartesian(numberAt(entry, 3), -numberAt(entry, 4));
    p.setBodyDir(-numberAt(entry, 5));
    p.setHeadDir(-numberAt(entry, 6));
    p.setPosDeviation(SEEN_POS_DEVIATION);
    p.setValidPosDeviation(SEEN_POS_DEVIATION);
    ++players;
    if (team == TID_TEAMMATE &&
        (agent == nullptr || p.getDistance(ball) < agent->getDistance(ball))) {
      agent = &p;
    }
  }
  if (agent == nullptr || players != 2 * WorldModel::FULL_PLAYERS_NUM) return false;

  Body& body = wm.setBody();
  static_cast<Player&>(body) = *agent;
  wm.replaceBodyInPlayersList(body.getUniNum());
  return true;
}

bool placeAgentBehindBall(WorldModel& wm, const Point& ball, float ballDist) {
  Body& body = wm.setBody();
  Vector offset;
  offset.setAsPolar(ballDist, body.getBodyDir());
  body.setPos().setAsCartesian(ball.x - offset.getX(), ball.y - offset.getY());
  Ball& kicked = wm.setBall();
  kicked.setPos().setAsCartesian(ball.x, ball.y);
  kicked.setVel().setAsCartesian(0.0f, 0.0f);
  kicked.setPosDeviation(0.0f);
  kicked.setValidPosDeviation(0.0f);
  updateRelativeVecs(wm);

  const float headDir = body.getHeadDir();
  for (unsigned int i = 0; i < WorldModel::VIEW_PARTS_NUM; ++i) {
    body.setHeadDir(wm.getViewPartDir(i));
    wm.updateSeeDeltaCyclesAfterSee();
  }
  body.setHeadDir(headDir);
  return wm.isBallKickable();
}

bool buildKickableScene(WorldModel& wm, const char* viewStart, float ballDist) {
  Point recordedBall(0.0f, 0.0f);
  if (!buildRecordedScene(wm, viewStart, recordedBall)) return false;
  const Body& body = wm.getBody();
  Vector offset;
  offset.setAsPolar(ballDist, body.getBodyDir());
  return placeAgentBehindBall(
      wm, Point(body.getPos().getX() + offset.getX(), body.getPos().getY() + offset.getY()),
      ballDist);
}

void moveAgentWithBall(WorldModel& wm, float dx) {
  Vector& bodyPos = wm.setBody().setPos();
  bodyPos.setAsCartesian(bodyPos.getX() + dx, bodyPos.getY());
  Vector& ballPos = wm.setBall().setPos();
  ballPos.setAsCartesian(ballPos.getX() + dx, ballPos.getY());
  updateRelativeVecs(wm);
}

}  // namespace tovren
