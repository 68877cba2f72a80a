#include "worldmodel/WorldModel.h"

#include "foundation/Logger.h"
#include "geometry/Vector.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Player.h"

#include <ostream>

namespace tovren {

void WorldModel::logObjects() const {
  LogStream& log = logger["MainLog"];
  if (!log.isOutValid()) return;

  log << "Body Pos" << body->getPos() << " Vel" << body->getVel() << " Ang"
      << Point(body->getBodyDir(), body->getHeadDir()) << " Poi" << body->getPointingDir()
      << std::endl;
  log << "Ball Pos" << ball->getPos() << " Vel" << ball->getVel() << " Ang"
      << Point(ball->getBodyVec().getDirection(), ball->getHeadVec().getDirection()) << " Len"
      << ball->getAbsVec().getMagnitude() << " PoD" << ball->getPosDeviation() << " VPoD"
      << ball->getValidPosDeviation() << std::endl;

  for (unsigned int i = 0; i < FULL_PLAYERS_NUM; ++i) {
    const Player& player = *fullPlayers[TID_TEAMMATE][i];
    if (player.isValid() && !player.isBody()) logPlayer("OurF", i + 1, player);
  }
  for (unsigned int i = 0; i < FULL_PLAYERS_NUM; ++i) {
    const Player& player = *fullPlayers[TID_OPPONENT][i];
    if (player.isValid()) logPlayer("OppF", i + 1, player);
  }
  for (unsigned int i = 0; i < HALF_PLAYERS_NUM; ++i) {
    const Player& player = *halfPlayers[TID_TEAMMATE][i];
    if (player.isValid()) logPlayer("OurH", i + 1, player);
  }
  for (unsigned int i = 0; i < HALF_PLAYERS_NUM; ++i) {
    const Player& player = *halfPlayers[TID_OPPONENT][i];
    if (player.isValid()) logPlayer("OppH", i + 1, player);
  }
  for (unsigned int i = 0; i < QUARTER_PLAYERS_NUM; ++i) {
    const Player& player = *quarterPlayers[i];
    if (player.isValid()) logPlayer("Quar", i + 1, player);
  }
}

void WorldModel::logPlayer(const char* tag, unsigned int slot, const Player& player) const {
  logger["MainLog"] << tag << slot << " Pos" << player.getPos() << " Vel" << player.getVel()
                    << " Ang" << Point(player.getBodyDir(), player.getHeadDir()) << " Poi"
                    << player.getPointingDir() << " Sta" << player.getStamina() << " PoD"
                    << player.getPosDeviation() << " VPoD" << player.getValidPosDeviation()
                    << std::endl;
}

}  // namespace tovren
