#pragma once

#include "coach/Task.h"
#include "foundation/Types.h"
#include "geometry/Vector.h"

namespace tovren {

class ConfigGroup;

// The motion parameters of one heterogeneous player type, with tests that run the
// motion model backwards over an observed action. The able-to tests answer 2 (within the
// nominal limits), 1 (only within the limits widened for the server's noise) or 0 (the
// type cannot have done it); the max tests whether it was the type's strongest action.
struct TypeInfo {
  float playerSpeedMax = 0.0f;  // metres per cycle
  float staminaIncMax = 0.0f;
  float playerDecay = 0.0f;
  float inertiaMoment = 0.0f;
  float dashPowerRate = 0.0f;
  float playerSize = 0.0f;  // metres
  float kickableMargin = 0.0f;
  float kickRand = 0.0f;
  float extraStamina = 0.0f;
  float effortMax = 0.0f;
  float effortMin = 0.0f;

  // Every key must be there as a number.
  void setByPlayerType(const ConfigGroup& playerType);

  // vel: before the turn; turn: the observed turn in degrees, 0 or more.
  bool isMaxTurn(Vector vel, float turn, const ConfigGroup& serverParam) const;
  int isAbleToTurn(Vector vel, float turn, const ConfigGroup& serverParam) const;
  // velAfter at t + 1, velBefore and bodyDir (degrees) at t.
  bool isMaxDash(Vector velAfter, Vector velBefore, float bodyDir,
                 const ConfigGroup& serverParam) const;
  int isAbleToDash(Vector velAfter, Vector velBefore, float bodyDir,
                   const ConfigGroup& serverParam) const;
  // Positions and bodyDir at t, before the kick; kick: the acceleration it gave the
  // ball; side: the coach's own, so the noise is the opponents'.
  int isAbleToKick(Vector playerPos, Vector ballPos, float bodyDir, Vector kick, Side side,
                   const ConfigGroup& serverParam) const;
};

// The coach task that infers the player type of every opponent from its turns, dashes
// and kicks, and tells the players in "(T " + 11 digits + ")" whenever a chosen type
// changes. An opponent is taken as sure of type 0 until the server says it changed type;
// then every type is open again until evidence excludes all but one.
class OppTypes : public Task {
 public:
  static constexpr int PLAYERS = 11;
  static constexpr int TYPES = 7;

  OppTypes(const CoachWorldModel* worldModel, const CoachWorldModelHistory& history);
  ~OppTypes() override = default;

  // One run: the goalie rule, the three checks, find, and the message on a change. Waits
  // (logging it) until the server has described the seven types. Always true.
  bool execute() override;
  void informOppChangePlayerType(unsigned int playerNum) override;

  void resetPlayerForFirstTime(int p);
  void resetPlayer(int p);
  // Chooses every opponent's type; true when one of them changed.
  bool find();
  void setFreeForm();

  // Evidence from history[cycle] and history[cycle + 1] for opponent p (0..10) that is
  // not sure; both models must be stored.
  void informTurn(int p, unsigned int cycle);
  void informMaxTurn(int p, unsigned int cycle);
  void informDash(int p, unsigned int cycle);
  void informMaxDash(int p, unsigned int cycle);
  void informKick(int p, unsigned int cycle, Vector kick);

  // The observers between the newest models of the history.
  void checkForTurns();
  void checkForDashes();
  void checkForKicks();

  bool isExcluded(int p, int t) const { return excluded[p][t]; }
  float getScore(int p, int t) const { return score[p][t]; }
  bool isSure(int p) const { return sure[p]; }
  int getType(int p) const { return type[p]; }

 private:
  // Fills the type records and the maxima once the types and the server parameters
  // they need have arrived; false until then.
  bool initialize();
  // The open types of p answering the test with 0 are excluded.
  template <typename Test>
  void excludeWhere(int p, Test test);
  // The open types of p passing the test close the share of the gap to 100.
  template <typename Test>
  void raiseWhere(int p, double share, Test test);

  bool excluded[PLAYERS][TYPES];
  float score[PLAYERS][TYPES];
  bool sure[PLAYERS];
  int type[PLAYERS];
  TypeInfo typeInfos[TYPES];
  bool initialized = false;
  float maxPlayerDecay = 0.0f;
  float maxKickableDistance = 0.0f;  // metres
};

}  // namespace tovren
