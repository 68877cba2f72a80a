#pragma once

#include "geometry/Vector.h"

#include <memory>

// Our formation and the home points it gives each field post for the ball of the moment,
// and the command that walks a player without the ball to a point.

namespace tovren {

class Command;
class WorldModel;

// A plain value: copying copies the tables and the world-model pointer. The home points
// are recomputed once per body decision by setHomePoints(), and read after it.
class Positioning {
 public:
  // Situation rows and post indexes (post number - 1; index 0, the goalkeeper, has none).
  static constexpr unsigned int ROWS_NUM = 11;
  static constexpr unsigned int POSTS_NUM = 11;

  // The world model is read, never changed, and not owned.
  explicit Positioning(const WorldModel* worldModel);

  // Writes the y factors, ball points and formation of rows 0 to 5 and 7, the computed
  // rows 2 and 4 included.
  void setSimplePos();
  // The home point of every field post for the ball and the teammates of this moment.
  void setHomePoints();

  // The home point of a uniform number (1 to 11); (0, 0) for the goalkeeper.
  Point getHomePoint(unsigned int uniNum) const;
  // The home point of a post index (0 to 10).
  Point getBasicPos(unsigned int postIndex) const;

  // How far the central post (index 7) and the centre backs (indexes 2 and 3) may stand
  // ahead of the deepest teammates; never above 0.
  float getMaxXFor7() const;
  float getMaxXFor34() const;

  // The set-play point that replaces the target at the opponents' goal kick or after
  // their goalie's catch; the target itself in every other play mode.
  Point getOppGoalieKickHome(Point target) const;
  // A dash or a turn that takes the agent to the target: in play_on with the power and
  // final direction of its post, otherwise around the area the set play forbids. Never
  // null; the caller owns it.
  std::unique_ptr<Command> getPositioningCommand(Point target) const;

 private:
  // The play_on dash power towards the target, by the agent's post.
  float getDashPower(const Point& target) const;
  // The play_on body direction once the agent stands at the target.
  float getFinalBodyDir(const Point& target) const;

  float yFactor[ROWS_NUM] = {};
  Point ballPoint[ROWS_NUM];  // only x is read
  Point homePoint[POSTS_NUM];
  Point formation[ROWS_NUM][POSTS_NUM];
  const WorldModel* worldModel;  // not owned
};

}  // namespace tovren
