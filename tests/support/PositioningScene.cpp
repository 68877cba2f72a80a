#include "support/PositioningScene.h"

#include "support/KickScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Body.h"

#include <string>

namespace tovren {
namespace support {

namespace {

// Seen this well, a player is valid and well known.
constexpr float SEEN_POS_DEVIATION = 0.5f;

}  // namespace

void PositioningScene::SetUp() {
  setAgentConfig(true);
  worldModel = std::make_unique<WorldModel>();
  feedRecordedParameters(*worldModel);
}

void PositioningScene::placeAgent(unsigned int uniNum, const Point& pos, float bodyDir,
                                  float stamina) {
  Body& body = worldModel->setBody();
  body.setUniNum(uniNum);
  worldModel->replaceBodyInPlayersList(uniNum);
  body.setTeamId(TID_TEAMMATE);
  body.setPos().setAsCartesian(pos.x, pos.y);
  body.setVel().setAsCartesian(0.0f, 0.0f);
  body.setBodyDir(bodyDir);
  body.setHeadDir(bodyDir);
  body.setStamina(stamina);
  body.setPosDeviation(SEEN_POS_DEVIATION);
  body.setValidPosDeviation(SEEN_POS_DEVIATION);
  worldModel->setBall().updateRelativeVecs(body);
}

void PositioningScene::placeBall(const Point& pos) {
  Ball& ball = worldModel->setBall();
  ball.setPos().setAsCartesian(pos.x, pos.y);
  ball.setVel().setAsCartesian(0.0f, 0.0f);
  ball.setPosDeviation(0.0f);
  ball.setValidPosDeviation(0.0f);
  ball.updateRelativeVecs(worldModel->getBody());
}

void PositioningScene::placePlayer(TeamId team, unsigned int uniNum, const Point& pos,
                                   bool goalie) {
  placeFullPlayer(*worldModel, team, uniNum, pos.x, pos.y).setGoalie(goalie);
}

void PositioningScene::referee(const char* word) {
  worldModel->parseHear(*parseMessage(std::string("(hear 0 referee ") + word + ")"));
}

}  // namespace support
}  // namespace tovren
