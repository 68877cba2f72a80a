#pragma once

#include "decisions/BodyDecision.h"
#include "geometry/Vector.h"

#include <array>

namespace tovren {

class AdvancedAction;
class Defense;
class GoalieCatchOffense;
class GoaliePositioning;
class NonPlayOnBackBall;
class NonPlayOnBeforeKickOff;
class NonPlayOnGotoKick;
class Offense;
class Pass;
class Positioning;
class Shoot;

// The body decision of every play mode but play_on and the penalty modes. Each cycle it
// works out where our eleven players stand for the restart and who of them takes it,
// then runs one set-play action directly; only the taker's kick weighs two actions, the
// pass and the shot.
class NonPlayOnDecision : public BodyDecision {
 public:
  static constexpr unsigned int PLAYERS_NUM = 11;
  // Entry u - 1 is the place of our uniform number u in the current play mode.
  using HomePoints = std::array<Point, PLAYERS_NUM>;

  // Answers of selectBallKicker.
  static constexpr int NOT_KICKER = 1;
  static constexpr int KICKER = 2;
  // Answers of backBallChoice.
  static constexpr int KICK_NOW = 1;
  static constexpr int KEEP_WAITING = 2;
  // Answers of DefenseOffenseChoice.
  static constexpr int SET_PLAY_ENDED = 0;
  static constexpr int SET_PLAY_DEFENSE = 1;
  static constexpr int SET_PLAY_OFFENSE = 2;

  // The positioning is handed to the defence and attack actions, which read it and must
  // not outlive it; the world model, the say flags and the neck mode as for every body
  // decision.
  NonPlayOnDecision(const WorldModel* worldModel, const Positioning& positioning,
                    SayDecisionFlags& sayFlags, TurnNeckMode& turnNeckMode);
  ~NonPlayOnDecision() override;

  // Runs the set-play behaviour of the current play mode; the command is left for
  // takeCommand(), null when nothing was chosen.
  int decide(int quickLevel) override;

  // Fills every entry from the kick-off formation, the places while our goalie holds the
  // ball, the formation's home points, or the agent's own defensive point for all.
  void getCurrentHomePoints(HomePoints& homePoints);
  // KICKER when this agent takes the restart of this cycle, NOT_KICKER otherwise.
  int selectBallKicker(const HomePoints& homePoints) const;
  // The free-kick advice: uniform 5 chooses the kicker once per set play and names it;
  // the others repeat fresh advice and listen to the named player, or to 5 without it.
  void selectBallKickerSay(const HomePoints& homePoints);
  // Whether the taker standing behind the ball kicks now (KICK_NOW) or waits
  // (KEEP_WAITING); a positive argument asks it to wait.
  int backBallChoice(int wait) const;
  // Whether the play mode has ended the match, asks us to defend or to attack.
  int DefenseOffenseChoice() const;

  // Where the fastest teammate goes to meet the opponents' goal kick: where the ball's
  // path (either way along it) meets the line x = 35.5 or the band |y| = 20.5 around
  // the penalty area.
  static Point getOppGoalKickTarget(const Point& ballPos, const Vector& ballVel);

 private:
  // Cycles since the referee announced the play mode, counted from its own countdown's
  // start; never below 0.
  unsigned int getSetPlayPastCycles() const;
  // The cycle in which the set play began; never below 0.
  unsigned int getSetPlayStartCycle() const;
  // The uniform number of the free-kick advice heard since the set play began; 0 when
  // there is none, or it names no player.
  unsigned int getFreshAdvice() const;
  // The server's drop_ball_time; 0 while the server has not given it.
  unsigned int getDropBallTime() const;

  // The action's value is not needed: getValue(), execute(), its command and type.
  int runDirectly(AdvancedAction& action);
  // execute() of the action valued before, its command and its type.
  int executeValued(AdvancedAction& action);
  // The taker's walk behind the ball and its wait there. True when that settled the
  // cycle (decideType is then its type); false when the taker stands behind the ball
  // and the kick is due.
  bool approachKick(int& decideType);
  // The taker's kick: the pass and, when the shot is allowed, the shot weighed.
  int weighKick(int quickLevel, bool shotAllowed);

  // One branch per group of play modes.
  int kickOffPlaces(const HomePoints& homePoints);
  int ownKickOff(int quickLevel, const HomePoints& homePoints);
  int ownFreeKick(int quickLevel, const HomePoints& homePoints);
  int defend();
  int restartAfterOppFoul(const HomePoints& homePoints);
  int ownGoalKick(int quickLevel);
  int oppGoalKick();
  // The goalie kicks out after its catch, once it stands at its kick point.
  int goalieCatchKick();

  int savedAdvicePlayer = -1;  // the adviser's choice for this set play; -1 none

  // The actions of the list, owned by it.
  NonPlayOnGotoKick* gotoKick;
  NonPlayOnBackBall* backBall;
  NonPlayOnBeforeKickOff* beforeKickOff;
  Defense* defense;
  Offense* offense;
  Pass* pass;
  Shoot* shoot;
  GoaliePositioning* goaliePositioning;
  GoalieCatchOffense* goalieCatchOffense;
};

}  // namespace tovren
