#pragma once

// Body and ball states for testing the actions and skills, with the server parameters and
// heterogeneous player types the server sent in a recorded match (the left side's
// player 2), so that the skills are checked against the real motion model numbers.

#include "foundation/Config.h"
#include "geometry/Vector.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"

#include <string>
#include <vector>

namespace tovren {

class Command;

namespace support {

// The recorded "server_param" and "player_type" messages, read once from the fixture file.
class RecordedParams {
 public:
  static const RecordedParams& get();

  const ConfigGroup& getServerParam() const { return serverParam; }
  // The group of a heterogeneous player type; the id must be below getPlayerTypesNum().
  const ConfigGroup& getPlayerType(unsigned int id) const;
  unsigned int getPlayerTypesNum() const { return static_cast<unsigned int>(playerTypes.size()); }

 private:
  RecordedParams();

  ConfigGroup serverParam;
  std::vector<ConfigGroup> playerTypes;
};

// The path of the recorded conversation the parameters come from.
std::string recordedParamsPath();

// The agent's body at a place, with a body direction (degrees; the head looks the same
// way), a velocity, a stamina and a heterogeneous player type, and the recorded server
// parameters.
Body makeBody(const Point& pos, float bodyDir, const Vector& vel = Vector(),
              float stamina = 8000.0f, unsigned int type = 0);

// The ball at a place with a velocity, its vectors relative to the body refreshed.
Ball makeBall(const Body& body, const Point& pos, const Vector& vel = Vector());

// The ball at a distance from the body's centre and a direction relative to the body
// direction (degrees).
Ball makeBallNearBody(const Body& body, float distance, float relativeDir,
                      const Vector& vel = Vector());

// The distance from the body's centre at which the ball touches the body, and at which it
// lies at the edge of the kickable area.
float touchingDistance(const Body& body, const Ball& ball);
float kickableDistance(const Body& body, const Ball& ball);

// A ball velocity as a vector of the given speed (metres per cycle) and direction (degrees).
Vector polar(float magnitude, float direction);

// One cycle of the motion model on the caller's copies, as the look-ahead runs it: the
// command acts on the body and the ball, then both move by their dynamics.
void simulateCycle(Body& body, Ball& ball, const Command* command);
// The same for the body alone.
void simulateCycle(Body& body, const Command* command);

}  // namespace support
}  // namespace tovren
