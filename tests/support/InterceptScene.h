#pragma once

// Hand-made players and balls for the interception and field-query tests. They carry the
// server's default parameters (player decay 0.4, top speed 1.05, dash power rate 0.006,
// effort 1, size 0.3, kickable margin 0.7, catchable area 1.2; ball size 0.085, decay
// 0.94), so every reach can be worked out by hand.

#include "foundation/Config.h"
#include "foundation/Types.h"
#include "geometry/Vector.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Player.h"

namespace tovren {
namespace support {

// A full player known exactly (deviations 0, so valid). The body direction defaults to
// "not measured".
Player makeScenePlayer(TeamId team, unsigned int uniNum, const Point& pos,
                       float bodyDir = NOT_MEASURED, const Vector& vel = Vector(),
                       bool goalie = false);

// A ball at a place with a velocity (metres per cycle).
Ball makeSceneBall(const Point& pos, const Vector& vel = Vector());

// A heterogeneous type group with the server's default values but the given dash power
// rate and top speed.
ConfigGroup makeFastType(float dashPowerRate, float speedMax);

// The field player's reach radius with the default parameters: ball size plus kickable
// margin plus player size, summed as the code sums them.
float defaultKickableRadius();

}  // namespace support
}  // namespace tovren
