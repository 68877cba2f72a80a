#pragma once

#include <memory>

// The contract of every action: the decision-level actions that a body decision weighs
// (AdvancedAction), the basic skills that build one server command (BasicAction), the
// value scale and the codes of what was decided, and the rule by which a decision
// chooses among its actions' values.

namespace tovren {

class Command;
class WorldModel;
struct SayDecisionFlags;

// What a body decision chose in a cycle. 1 is not used.
enum DecideType {
  DT_NONE = 0,
  DT_PASS = 2,
  DT_GOALIE_CATCH = 3,
  DT_SHOOT = 4,
  DT_CLEAR = 5,
  DT_BLOCK = 6,
  DT_DRIBBLE = 7,
  DT_TACKLE = 8,
  DT_SRP_DRIBBLE = 9,
  DT_OFFENSE = 10,
  DT_DEFENSE = 11,
  DT_INTERCEPT = 12,
  DT_DRIBBLE_INTERCEPT = 13,
  DT_GOALIE_INTERCEPT = 14,
  DT_GOALIE_POSITIONING = 15,
  DT_LOOKING_FOR_BALL = 16,
  DT_NON_PLAY_ON_BACK_BALL = 17,
  DT_NON_PLAY_ON_GOTO_KICK = 18,
  DT_NON_PLAY_ON_BEFORE_KICK_OFF = 19,
  DT_GOALIE_CATCH_OFFENSE = 20,
  DT_HOLD_BALL = 21
};

// The value of an action that does not apply now; it never wins, whatever its weights.
constexpr float AD_MIN_VALUE = -65535.0f;
// A raw value at least this high wins at once when the action's quick level is above 1.
constexpr float AD_IMMEDIATE_VALUE = 1000.0f;
// Never returned by an action: a decision's mark for a value not measured since its
// cache was last cleared (tested by exact equality).
constexpr float AD_UNMEASURED_VALUE = 65278.0f;
// The quick level of an action that takes no part in a decision.
constexpr int AD_DISABLED_QUICK_LEVEL = -1;

// The weights of one action in a body decision; the neutral triple leaves the value as it is.
struct AdvancedActionWeights {
  float alpha = 0.0f;  // added last
  float power = 1.0f;  // exponent on the value
  float rate = 1.0f;   // factor on the powered value
};

// The choice among the values of a decision's actions. The decision offers its actions
// in the order in which they were added, which is also the tie-break.
class ActionChoice {
 public:
  ActionChoice() = default;

  // rate × pow(value, power) + alpha, worked in double and stored as a float. A negative
  // value under a non-integral power gives NaN, which never wins.
  static float weigh(float value, const AdvancedActionWeights& weights);

  // Whether an action of this quick level is asked afresh at a decision run of this
  // level; otherwise it competes with its cached value, if it has one. A disabled
  // action is never asked.
  static bool isAskedAt(int quickLevel, int level);

  // Offers the action at index with its raw and weighted value. Returns true when it wins
  // at once (quick level above 1 and raw value at least AD_IMMEDIATE_VALUE): the actions
  // after it are then neither asked nor offered. Otherwise it becomes the choice only
  // when its weighted value is strictly above the best so far (which starts at
  // AD_MIN_VALUE) and its raw value is above AD_MIN_VALUE.
  bool offer(unsigned int index, float value, float weighted, int quickLevel);

  bool hasChoice() const { return chosen; }
  // The index of the chosen action; meaningful only when hasChoice().
  unsigned int getChoice() const { return choice; }
  // The best weighted value offered so far (AD_MIN_VALUE before any choice).
  float getBestWeighted() const { return best; }

 private:
  float best = AD_MIN_VALUE;
  bool chosen = false;
  bool immediate = false;
  unsigned int choice = 0;
};

// Base of the decision-level actions. A body decision owns its actions for the whole run,
// asks each for getValue(), and on the winner calls execute(), takeCommand(), getType().
//
// Who owns a command on its way to the server:
// - prepared: getValue() builds it in a member of the action, which frees it when the next
//   getValue() prepares another, or with the action;
// - published: execute() publishes a copy in `command`; the action holds it until the
//   decision takes it with takeCommand(), and frees one left untaken at the next execute(),
//   or with itself;
// - in the agent's slot: the decision hands it on as a std::unique_ptr to the agent's
//   bodyCycleCommand, which owns it from then on;
// - sent: at the next sense_body the agent keeps it as lastBodyCycleCommand for one more
//   cycle, to tell whether the server executed it late, and frees it after that.
class AdvancedAction {
 public:
  // The world model is read, never changed, and not owned.
  explicit AdvancedAction(const WorldModel* worldModel);
  // Virtual so that a decision can free its actions through this base.
  virtual ~AdvancedAction();

  AdvancedAction(const AdvancedAction&) = delete;
  AdvancedAction& operator=(const AdvancedAction&) = delete;

  // Publishes the command prepared by the last getValue() of this cycle (and may set say
  // flags). Called only on the winner.
  virtual void execute(SayDecisionFlags& sayFlags) = 0;
  // Does all the work of the action for the current world model, prepares the command it
  // would send, and returns its value (AD_MIN_VALUE when it does not apply).
  virtual float getValue() = 0;
  virtual DecideType getType() const = 0;
  // The command published by the last execute(), to look at; null before any and once
  // taken. The action owns it until then.
  const Command* getCommand() const { return command.get(); }
  // Hands the published command over; null when there is none.
  std::unique_ptr<Command> takeCommand();

 protected:
  // Publishes a copy of the prepared command (null when there is none), freeing one
  // published before and not taken; the action keeps the prepared one.
  void publish(const Command* prepared);

  std::unique_ptr<Command> command;  // published by execute(); the action's until taken
  const WorldModel* worldModel;      // not owned
};

// Base of the basic skills: a value object whose constructor does all the work and leaves
// one heap command (or none where the skill says so). An outer skill takes its inner
// skill's command over; the caller takes the command it hands on, and a command not
// taken is freed with the skill.
class BasicAction {
 public:
  // Virtual so that a skill can be held and dropped through this base.
  virtual ~BasicAction();

  // The command built by the constructor, to look at; the same pointer on every read,
  // null where the skill builds none and once taken. The skill owns it until then.
  const Command* getCommand() const { return command.get(); }
  // Hands the command over; null when there is none.
  std::unique_ptr<Command> takeCommand();

 protected:
  BasicAction();

  std::unique_ptr<Command> command;
};

}  // namespace tovren
