#pragma once

// Scenes for the kick fan and the world model copy: the recorded parameters, a view in
// which every direction was just looked at, and players placed where a test wants them.

#include "foundation/Types.h"

namespace tovren {

class Player;
class WorldModel;

namespace support {

// Feeds the server_param, player_param and player_type messages that the recorded
// player left/Tovren-2 received (kick_power_rate 0.027, ball_decay 0.94, 18 types).
void feedRecordedParameters(WorldModel& worldModel);

// Every view part counts as seen in the see of this cycle.
void markAllViewPartsSeen(WorldModel& worldModel);

// The agent standing at (x, y) facing the body direction (degrees), its head along its
// body, and the ball resting `ballDist` metres straight in front of it.
void placeAgentWithBall(WorldModel& worldModel, float x, float y, float bodyDir, float ballDist);

// Player slot [team][uniNum - 1] as a seen, well-known player at (x, y), standing still.
Player& placeFullPlayer(WorldModel& worldModel, TeamId team, unsigned int uniNum, float x, float y);

}  // namespace support
}  // namespace tovren
