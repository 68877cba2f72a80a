#pragma once

// The pass action's data: the factor records of the four pass kinds, the cross fan it
// owns, and the pass itself with its value arrays, plan weights and shooting angle.

#include "actions/basic/AdvancedAction.h"
#include "actions/withball/Dribble.h"
#include "geometry/Vector.h"
#include "worldmodel/KickCalculate.h"

#include <array>
#include <memory>

namespace tovren {

class Command;
class InterceptCalculate;
class KickInterceptCalculate;
class Player;
struct SayDecisionFlags;

// The kinds a pass is valued as; also the token index of every factor key in the file.
enum PassKind {
  PK_CROSS = 0,
  PK_OFFENSE = 1,
  PK_SECURE_BALL = 2,
  PK_BREAK_OFFSIDE = 3,
};
constexpr unsigned int PASS_KINDS_NUM = 4;

// What the last choice of a pass was.
enum PassModel {
  PM_CROSS = 0,
  PM_CROSS_SPECIAL = 1,  // only its log word exists
  PM_OFFENSE = 2,
  PM_SECURE_BALL = 3,
  PM_BREAK_OFFSIDE = 4,
  PM_SUGGESTED = 5,
  PM_KICK_OFF = 6,
};

// One criterion of one kind: the raw measure's bounds and the weights at those bounds.
struct PassFactor {
  float minValue = 0.0f;
  float maxValue = 0.0f;
  float minWeight = 0.0f;
  float maxWeight = 0.0f;
};

// The factors of one pass kind, one row per criterion, named after its group in the file.
struct PassFactors {
  PassFactor posDeviation;
  PassFactor offense;
  PassFactor seeInformation;
  PassFactor ballDistance;
  PassFactor dashDistance;
  PassFactor breakOffsideLine;
  PassFactor passedOppNum;
  PassFactor statusOppNum;
  PassFactor securityDeltaCycle;
  PassFactor statusOppDistance;
  PassFactor statusOppDirection;
  PassFactor statusShoot;
  PassFactor dribblePath;
  PassFactor defenseLine;
  PassFactor extraCatch;
};

// How the players of a fan's interception session react to a kick of one cycle. Each
// fan starts its session with these instead of the session's kick defaults.
struct FanSessionTuning {
  unsigned int shareCycles;
  unsigned int kickerSeeBallDelay;
  float tmmPosDevRate;
  float tmmSlowDashPower;
  float tmmFastDashPower;
  float tmmDirectDashPower;
  unsigned int tmmSeeBallDelay;
  float oppPosDevRate;
  float oppSlowDashPower;
  float oppFastDashPower;
  float oppDirectDashPower;
  float oppGoalieDirectDashPower;
  unsigned int oppSeeBallDelay;
  unsigned int oppGoalieSeeBallDelay;
};

// A session of one kick cycle for the kicker, tuned, with the agent, the teammates and
// the opponents of the world model added. On the heap: too large for the stack of the
// signal handler that runs the decision.
std::unique_ptr<InterceptCalculate> startFanSession(const WorldModel* worldModel,
                                                    const Player& kicker,
                                                    const FanSessionTuning& tuning);

// The twelve cross kicks of a pass, kept in the entries of a kick fan: full-power kicks
// 5 degrees apart around the way from the kicker to a point in front of the goal.
class CrossCalculate : public KickCalculate {
 public:
  static constexpr unsigned int CROSSES_NUM = 12;
  // Cross kick i is aimed (i - CROSS_MIDDLE) × CROSS_DIR_STEP degrees off the target.
  static constexpr unsigned int CROSS_MIDDLE = 6;
  static constexpr float CROSS_DIR_STEP = 5.0f;  // degrees

  CrossCalculate() = default;
  ~CrossCalculate() override;

  // Inited, with twelve empty entries; the entries of an earlier init are freed.
  void init();
  // Predicts the twelve kicks of the agent for the world model as it stands.
  void update(const WorldModel* worldModel);

  // The absolute direction (degrees) of cross kick i from a kicker at the position.
  static float getCrossDir(const Point& kickerPos, unsigned int i);
};

// Values the kicks of a fan, and twelve crosses of its own, as passes of four kinds, keeps
// the best, and kicks it when it wins.
class Pass : public AdvancedAction {
 public:
  // Entries of the fan the arrays are indexed by; crosses follow in the Cross array.
  static constexpr unsigned int FAN_VALUES_NUM = KickCalculate::SIMULATES_NUM;
  static constexpr unsigned int CROSS_VALUES_NUM = FAN_VALUES_NUM + CrossCalculate::CROSSES_NUM;
  // A max index naming no entry.
  static constexpr unsigned int NO_INDEX = 65278;

  // Reads the factor file. A virtual pass gets no cross fan: the deriving class installs
  // its own.
  Pass(const WorldModel* worldModel, bool isVirtual);
  ~Pass() override;

  // Chooses this cycle's pass (our kick-off's, the fan's best or a heard suggestion) and
  // prepares its kick; AD_MIN_VALUE when there is none.
  float getValue() override;
  // Asks the say decision to announce the pass and publishes a copy of its kick, or an
  // empty command when there is none.
  void execute(SayDecisionFlags& sayFlags) override;
  DecideType getType() const override { return DT_PASS; }

  // The fan whose kicks later valuings score; not owned, it must outlive the pass and hold
  // at most FAN_VALUES_NUM kicks.
  void setCurKickCalculate(const KickCalculate* kickCalculate);

  float getPassValue() const { return passValue; }
  PassModel getPassModel() const { return passModel; }
  // The receiver of the last choice, owned by the world model; null when there was none.
  const Player* getPassPlayer() const { return passPlayer; }
  // The kick of the last choice, owned by its fan; null when it came from no fan.
  const KickInterceptCalculate* getPassInterCalc() const { return passInterCalc; }

  // (Re)reads the factor file into the store and the four factor records. A missing
  // group or key, or a value of the wrong kind, throws a UserError naming the file,
  // group and key.
  void loadPassFactors();
  // Takes the log level, rates and alphas from the store; no crosses far from the goal.
  void calculateGlobalVars();
  // Every entry of the four value arrays becomes AD_MIN_VALUE (not a candidate).
  void resetValues();

  // The three steps of the choice: every candidate valued for every active kind, the
  // best entry of each kind, and the best kind weighed by its rate and alpha (its
  // simulation in chosen, null when no kind has a pass).
  void fillValues();
  void fillMaxValues();
  float getTheBestPass(const KickInterceptCalculate*& chosen);

  // Values the candidates of the fan: entry i of values[u] becomes simulation i's value as
  // a pass of the u-th of n kinds, whose factors are factors[u]. Non-candidates are left.
  void fillPassValuesByFactors(const KickCalculate& kicks, const PassFactors** factors,
                               float** values, unsigned int n);
  // Values the cross kicks as crosses: kick i goes to crossValues[FAN_VALUES_NUM + i].
  void fillOtherCrossValuesByFactors(const CrossCalculate& crosses, const PassFactors& crossFactors,
                                     float* crossValues);
  // Values one simulation with a teammate catcher for n kinds: *out[u] becomes its value
  // under factors[u], AD_MIN_VALUE for all when it is no pass worth valuing.
  void fillOnePassValuesByFactors(const KickInterceptCalculate& sim, const PassFactors** factors,
                                  float** out, unsigned int n);

  // Added to a candidate's value for the pair of uniform numbers and where the ball
  // starts (only its x counts).
  static float getPlanWeight(unsigned int kickerUniNum, unsigned int receiverUniNum,
                             const Point& firstBallPos);
  // The open angle of the opponents' goal seen from the point (degrees, 0 to 180).
  static float getShootDirValue(const Point& point, const WorldModel* worldModel);

 protected:
  // getValue's steps after the kick-off case: the rates, the crosses (updated by the
  // caller between the two), and the choice, which sets passValue and passInterCalc.
  void readGlobalVars();
  void choosePass();
  // The receiver of the fan's choice, or null with AD_MIN_VALUE when there was none.
  float takeFanChoice();

  float crossRate = 0.0f;
  float crossAlpha = 0.0f;
  float offenseRate = 0.0f;
  float offenseAlpha = 0.0f;
  float secureBallRate = 0.0f;
  float secureBallAlpha = 0.0f;
  float breakOffsideRate = 0.0f;
  float breakOffsideAlpha = 0.0f;
  // Any value but 0 re-reads the factors at every valuing and traces the candidates.
  unsigned int logLevel = 0;
  float offenseValues[FAN_VALUES_NUM];
  float secureBallValues[FAN_VALUES_NUM];
  float breakOffsideValues[FAN_VALUES_NUM];
  float crossValues[CROSS_VALUES_NUM];
  unsigned int offenseMaxIndex = NO_INDEX;
  unsigned int secureBallMaxIndex = NO_INDEX;
  unsigned int breakOffsideMaxIndex = NO_INDEX;
  unsigned int crossMaxIndex = NO_INDEX;
  PassFactors passFactors[PASS_KINDS_NUM];
  DribblePath dribblePath;
  std::unique_ptr<CrossCalculate> crossCalculate;
  const KickCalculate* curKickCalculate = nullptr;  // not owned
  float passValue = AD_MIN_VALUE;
  PassModel passModel = PM_CROSS;  // meaningful once a pass was chosen
  std::unique_ptr<Command> kickCommand;
  const Player* passPlayer = nullptr;                     // not owned
  const KickInterceptCalculate* passInterCalc = nullptr;  // not owned

 private:
  // One kind's rate, alpha, value array and best index, for the loops over the kinds.
  struct KindSlots {
    PassKind kind;
    PassModel model;
    const char* name;
    const float* rate;
    const float* alpha;
    float* values;
    unsigned int count;
    unsigned int* maxIndex;
  };
  // In the order of PassKind, and in the order in which the best kind is sought (a tie
  // goes to the earlier).
  std::array<KindSlots, PASS_KINDS_NUM> kindSlots();
  std::array<KindSlots, PASS_KINDS_NUM> kindSlotsByChoice();

  // Our kick-off's fixed pass, to one side by the parity of the cycle.
  float chooseKickOffPass();
  // A suggestion heard this cycle replaces the fan's choice when it is worth more and
  // its kick can be made; whether it did.
  bool acceptSuggestion();
};

}  // namespace tovren
