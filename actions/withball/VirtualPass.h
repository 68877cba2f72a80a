#pragma once

// The pass valued on behalf of the teammate who holds the ball: his kicks, given as the
// velocities the ball would leave his foot with, his crosses, and the pass chosen among
// them by the same model as the agent's own, to be suggested to him.

#include "actions/withball/Pass.h"
#include "worldmodel/KickCalculate.h"

namespace tovren {

class InterceptCalculate;
class Player;
class Vector;
class WorldModel;

// One kick of another player, given as the velocity of the ball just after it. Always
// valid: nothing is known of what that player has seen, nor whether he can make it.
class VirtualKickInterceptCalculate : public KickInterceptCalculate {
 public:
  VirtualKickInterceptCalculate() = default;
  ~VirtualKickInterceptCalculate() override;

  // Predicts the kick in a session the caller has filled. The entry's kick command is a
  // placeholder of power 0 and direction 0.
  void init(const WorldModel* worldModel, const Vector& kickVelocity, InterceptCalculate& session);
};

// The fan of a teammate's kicks: 48 directions 7.5 degrees apart from 0, each at the
// speeds 1.0, 1.5, 2.0 and 2.5 metres per cycle, four consecutive entries a direction.
class VirtualKickCalculate : public KickCalculate {
 public:
  static constexpr unsigned int VIRTUAL_KICKS_NUM = 192;
  static constexpr unsigned int SPEEDS_NUM = 4;
  static constexpr float MIN_SPEED = 1.0f;   // metres per cycle
  static constexpr float SPEED_STEP = 0.5f;  // metres per cycle
  static constexpr float DIR_STEP = 7.5f;    // degrees

  VirtualKickCalculate() = default;
  ~VirtualKickCalculate() override;

  // Inited, with 192 virtual kicks; the entries of an earlier init are freed.
  void init();
  // Predicts every kick for the kicker, from the world model's ball.
  void update(const WorldModel* worldModel, const Player& kicker);
  // The ball's velocity just after kick i.
  static Vector getKickVelocity(unsigned int i);
};

// A teammate's twelve crosses: the pass's cross directions from his position, each at a
// fixed ball speed.
class VirtualCrossCalculate : public CrossCalculate {
 public:
  static constexpr float CROSS_SPEED = 2.6f;  // metres per cycle

  VirtualCrossCalculate() = default;
  ~VirtualCrossCalculate() override;

  // Inited, with twelve virtual kicks; the entries of an earlier init are freed.
  void init();
  void update(const WorldModel* worldModel, const Player& kicker);
};

// The pass the kicker could play, chosen from a VirtualKickCalculate (set as the pass's
// fan) and crosses of its own. Nothing is kicked: it prepares no command.
class VirtualPass : public Pass {
 public:
  explicit VirtualPass(const WorldModel* worldModel);
  ~VirtualPass() override;

  using Pass::getValue;
  // Run right after the fan's update for the same kicker. The best pass's weighted value,
  // or AD_MIN_VALUE when he has none; the choice is read through the pass's accessors.
  float getValue(const Player& kicker);
};

}  // namespace tovren
