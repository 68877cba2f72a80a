#pragma once

#include "geometry/Vector.h"

namespace tovren {

class WorldModel;

// The recorded match the benchmarks measure on: the parameters of the left player's
// recording and the players of one view of the trainer's.

// An offline agent, so a world model made afterwards runs on the virtual timer.
void configureOfflineAgent();

// Gives wm the recorded parameters, then the 22 full players of the trainer's view that
// starts with viewStart, in the own frame of the left side (the server's y and directions
// negated), each seen with a small deviation. The teammate nearest the ball of that view
// is the agent: the body takes his place in his slot. The ball's position is written to
// ball; wm's ball is left as it is. Returns whether the scene could be built.
bool buildRecordedScene(WorldModel& wm, const char* viewStart, Point& ball);

// Puts wm's ball at rest at ball and the agent ballDist metres behind it along its body
// direction, refreshes every player's vectors, and has the agent just look in every
// direction. Returns whether the ball is kickable then.
bool placeAgentBehindBall(WorldModel& wm, const Point& ball, float ballDist);

// The recorded scene, with the ball resting ballDist metres straight in front of the
// agent and every direction just looked at. Returns whether the ball is kickable.
bool buildKickableScene(WorldModel& wm, const char* viewStart, float ballDist);

// Moves the agent and the ball together by dx metres along x.
void moveAgentWithBall(WorldModel& wm, float dx);

}  // namespace tovren
