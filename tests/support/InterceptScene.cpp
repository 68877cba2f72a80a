#include "support/InterceptScene.h"

#include <string>

namespace tovren {
namespace support {

Player makeScenePlayer(TeamId team, unsigned int uniNum, const Point& pos, float bodyDir,
                       const Vector& vel, bool goalie) {
  Player player(PLM_FULL);
  player.setTeamId(team);
  player.setUniNum(uniNum);
  player.setPos() = Vector(pos);
  player.setVel() = vel;
  player.setBodyDir(bodyDir);
  player.setGoalie(goalie);
  player.setPosDeviation(0.0f);
  player.setValidPosDeviation(0.0f);
  return player;
}

Ball makeSceneBall(const Point& pos, const Vector& vel) {
  Ball ball;
  ball.setPos() = Vector(pos);
  ball.setVel() = vel;
  ball.setPosDeviation(0.0f);
  ball.setValidPosDeviation(0.0f);
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

}  // namespace support
}  // namespace tovren
