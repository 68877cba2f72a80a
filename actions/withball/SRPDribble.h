#pragma once

// The safe-reach-point dribble: of the kicks in the world model's fan, the one after which
// the agent himself reaches the ball soonest ahead of the opponents, furthest forward and
// with stamina to spare.

#include "actions/basic/AdvancedAction.h"
#include "geometry/Vector.h"

#include <cstdint>
#include <memory>

namespace tovren {

class KickCalculate;
class KickCommand;
class KickInterceptCalculate;
class KickInterceptPlayer;

class SRPDribble : public AdvancedAction {
 public:
  static constexpr unsigned int MAX_KICKS_NUM = 1000;
  static constexpr unsigned int COEFFICIENTS_NUM = 8;
  // The value of a dribble that should not be played.
  static constexpr float NO_DRIBBLE_VALUE = -10000.0f;

  explicit SRPDribble(const WorldModel* worldModel);
  ~SRPDribble() override;

  // Publishes a copy of the kick prepared by the latest valuing; none when it had none.
  void execute(SayDecisionFlags& sayFlags) override;
  // The total of the best kick of the fan, at least 15, or NO_DRIBBLE_VALUE.
  float getValue() override;
  DecideType getType() const override { return DT_SRP_DRIBBLE; }

  // The criteria, each filling its arrays for every kick of the fan. NextStatus and Path
  // store the target points the later ones read; DangerAction the reach cycles that the
  // stamina test reads.
  void getNextStatusValue();
  void getDangerActionValue();
  void getSeeInformationValue();
  void getPathValue();
  void getDangerFieldValue();
  void getSpeedValue();
  void getBreakDefenseLineValue();
  void getOppBallVectorValue();
  void getQuantomicStaminaValue();

 protected:
  // The kick of the fan at i, and the agent's own catch of it: null when the kick is not
  // usable or the agent does not reach the ball.
  const KickInterceptCalculate& getKick(unsigned int i) const;
  const KickInterceptPlayer* getAgentCatch(unsigned int i) const;
  unsigned int getKicksNum() const;
  // The penalties that every kick pays, then the checks of the best kick alone.
  float penalizeKick(unsigned int i, float total) const;
  float checkBestKick(float total) const;

  // The world model's fan of the cycle, which is the same object for its whole life; not
  // owned.
  const KickCalculate* fan;
  std::unique_ptr<KickCommand> preparedCommand;  // null when the best kick is not valid
  float totalValues[MAX_KICKS_NUM] = {};
  float dangerActionValues[MAX_KICKS_NUM] = {};
  float nextStatusValues[MAX_KICKS_NUM] = {};
  float seeInformationValues[MAX_KICKS_NUM] = {};
  float pathValues[MAX_KICKS_NUM] = {};
  float speedValues[MAX_KICKS_NUM] = {};
  float dangerFieldValues[MAX_KICKS_NUM] = {};
  float breakDefenseLineValues[MAX_KICKS_NUM] = {};
  float oppBallVectorValues[MAX_KICKS_NUM] = {};
  bool staminaOk[MAX_KICKS_NUM] = {};
  float reachCycles[MAX_KICKS_NUM] = {};
  float oppReachCycles[MAX_KICKS_NUM] = {};
  Point targetPoints[MAX_KICKS_NUM];
  float coefficients[COEFFICIENTS_NUM] = {};
  std::uint32_t bestSarePaCounter = 0;
};

}  // namespace tovren
