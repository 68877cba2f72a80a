#include "support/KickScene.h"

#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <string>

namespace tovren {
namespace support {

namespace {

// A sighting this close keeps a player valid (below 8) and well known.
constexpr float SEEN_POS_DEVIATION = 0.5f;

}  // namespace

void feedRecordedParameters(WorldModel& worldModel) {
  for (const RecordedLine& line : readRecording(fixturePath("left", "Tovren-2.txt"))) {
    if (line.sent) continue;
    const std::string::size_type end = line.text.find_first_of(" )", 1);
    const std::string header = line.text.substr(1, end == std::string::npos ? end : end - 1);
    if (header == "server_param") worldModel.initServerParam(*parseMessage(line.text));
    if (header == "player_param") worldModel.initPlayerParam(*parseMessage(line.text));
    if (header == "player_type") worldModel.initPlayerType(*parseMessage(line.text));
  }
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
  body.setPos().setAsCartesian(x, y);
  body.setVel().setAsCartesian(0.0f, 0.0f);
  body.setBodyDir(bodyDir);
  body.setHeadDir(bodyDir);
  body.setPosDeviation(SEEN_POS_DEVIATION);
  body.setValidPosDeviation(SEEN_POS_DEVIATION);
  Ball& ball = worldModel.setBall();
  Vector offset;
  offset.setAsPolar(ballDist, bodyDir);
  ball.setPos().setAsCartesian(x + offset.getX(), y + offset.getY());
  ball.setVel().setAsCartesian(0.0f, 0.0f);
  ball.setPosDeviation(0.0f);
  ball.setValidPosDeviation(0.0f);
  ball.updateRelativeVecs(body);
}

Player& placeFullPlayer(WorldModel& worldModel, TeamId team, unsigned int uniNum, float x,
                        float y) {
  Player& player = worldModel.setFullPlayer(team, uniNum - 1);
  player.setTeamId(team);
  player.setUniNum(uniNum);
  player.setPos().setAsCartesian(x, y);
  player.setVel().setAsCartesian(0.0f, 0.0f);
  player.setPosDeviation(SEEN_POS_DEVIATION);
  player.setValidPosDeviation(SEEN_POS_DEVIATION);
  player.updateRelativeVecs(worldModel.getBody());
  return player;
}

}  // namespace support
}  // namespace tovren
