#pragma once

#include "foundation/Types.h"
#include "geometry/Vector.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Player.h"

namespace tovren {

class LogStream;
class WorldModel;

// How a session's run ended, in the numbers of the play modes it reports: the ball still
// in play, or gone out of the field. 5 means only that here, not the opponents' kick-off
// it numbers among the play modes.
enum InterceptRunOutcome : unsigned int { IRO_IN_PLAY = PM_PLAY_ON, IRO_BALL_OUT = 5 };

// What a player brings into a session besides himself: his role, his reaction and the
// dash powers of his running models.
struct InterceptPlayerParams {
  bool isKicker = false;
  unsigned int kickCycles = 0;    // cycles before the ball is kicked
  unsigned int seeBallDelay = 0;  // cycles before he reacts to the kick
  float slowDashPower = 0.0f;     // while he waits to react (with-turn model)
  float fastDashPower = 0.0f;     // once he runs
  float directDashPower = 0.0f;   // while he waits to react (no-turn model)
  float posDevOffset = 0.0f;      // metres of reach he starts with
  bool isBlocker = false;
  bool catchInPenaltyAreaOnly = false;  // a goalie's catchable area counts only in his box
  // The agent's own backward dash against a forward one: below 1 where the server takes
  // it only at 180 degrees.
  float backDashRate = 1.0f;
};

// One player inside an interception session: how far he can have run after each of the
// next 99 cycles, in two running models, computed once when he is added. The with-turn
// model starts from rest and loses a cycle to the turn; the no-turn model keeps the
// present speed and dashes along the present body line. A run only moves the cursor and
// compares distances.
class InterceptPlayer {
 public:
  static constexpr unsigned int TABLE_SIZE = 100;  // entries for cycles 0..99

  InterceptPlayer();

  // Prepares the record for p and fills the four tables; `ball` gives only the ball's
  // size. p is not owned and must outlive every use of the record.
  void init(const Player& p, const Ball& ball, const InterceptPlayerParams& params);

  // Cursor on entry 0, no catch yet.
  void getReadyToRun();
  // Cursor one entry on.
  void simulate();
  // Whether the player's reach covers the ball in the cycle at the cursor.
  bool checkCatchBall(const Ball& ball) const;
  // After his catch: whether the ball has also come within his with-turn reach.
  void checkForExtraCatch(const Ball& ball);
  // The ball within the radius of the player as added, without any start offset.
  bool isBallKickable(const Ball& ball) const;
  void finalizeIntercept(const Ball& ball, unsigned int time);

  // The with-turn reach at the cursor (metres).
  float getDashDist() const { return withTurnDashDist[cursor]; }
  unsigned int getInterTime() const { return interTime; }
  Point getInterPoint() const { return interPoint; }
  // The player as added; not owned; null only for a record never initialised.
  const Player* getPlayer() const { return player; }
  float getWithTurnDashDist(unsigned int i) const;
  float getNoTurnDashDist(unsigned int i) const;
  float getWithTurnDashVel(unsigned int i) const;
  float getNoTurnDashVel(unsigned int i) const;

  bool isLogging() const { return logging; }
  void setLogging(bool value) { logging = value; }
  bool isKicking() const { return kicking; }
  void setKicking(bool value) { kicking = value; }
  bool isBlocked() const { return blocked; }
  bool isCatchBall() const { return catchBall; }
  void setCatchBall(bool value) { catchBall = value; }
  bool isExtraCatched() const { return extraCatched; }
  void setExtraCatched(bool value) { extraCatched = value; }
  float getKickableRadius() const { return kickableRadius; }
  void setKickableRadius(float value) { kickableRadius = value; }

 private:
  friend class InterceptCalculate;

  // The forms the session's run uses: the ball by its position, the log already looked
  // up (null when nothing is to be written).
  bool checkCatchBall(const Point& ball, LogStream* log) const;
  void checkForExtraCatch(const Point& ball, LogStream* log);
  void logPlayerLine(LogStream& log, const char* tail) const;
  // "MainLog" when this record logs and the log writes somewhere, else null.
  LogStream* activeLog() const;

  bool logging = false;
  bool kicking = false;
  bool blocked = false;
  float slowDashAccel = 0.0f;  // metres per cycle per cycle
  float fastDashAccel = 0.0f;
  float directDashAccel = 0.0f;
  float kickableRadius = 0.0f;    // metres
  unsigned int seeBallDelay = 0;  // cycles
  Player playerCopy;
  const Player* player = nullptr;          // not owned
  float withTurnDashVel[TABLE_SIZE] = {};  // metres per cycle after cycle i
  float noTurnDashVel[TABLE_SIZE] = {};
  float withTurnDashDist[TABLE_SIZE] = {};  // metres covered after cycle i
  float noTurnDashDist[TABLE_SIZE] = {};
  // The no-turn model run backward, filled only when that is slower than forward.
  bool slowBackward = false;
  float noTurnBackDashDist[TABLE_SIZE] = {};
  bool catchBall = false;
  // The four tables move together, so one cursor serves them all.
  unsigned int cursor = 0;
  bool extraCatched = false;
  unsigned int interTime = 0;
  Point interPoint;
  Point position;  // of playerCopy, kept plain for the run's distance tests
};

// An interception session: one ball and up to 65 players; a run steps the ball cycle by
// cycle and lists the first players (at most three) whose reach covers it. A large value
// (65 records of four 100-entry tables) that allocates nothing: it lives inside its owner
// or in the caller's frame. Not safe to share between callers during a run.
class InterceptCalculate {
 public:
  static constexpr unsigned int MAX_PLAYERS = 65;
  static constexpr unsigned int MAX_CHECKED_PLAYERS = 3;
  // A run ends after the cycle counter passes this, so the tables always reach.
  static constexpr unsigned int MAX_RUN_CYCLE = 95;
  static constexpr unsigned int NONE = 65278;  // a result index naming nobody

  // Preparation.
  void startSession(unsigned int kickCycles, const Player* kicker, const Player* blocker);
  void initTeamsProps();
  void setKickCycles(unsigned int value) { kickCycles = value; }
  void setShareCycles(unsigned int value) { shareCycles = value; }
  void setKickerSeeBallDelay(unsigned int value) { kickerSeeBallDelay = value; }
  void setTmmSlowDashPower(float value) { tmmSlowDashPower = value; }
  void setTmmFastDashPower(float value) { tmmFastDashPower = value; }
  void setTmmDirectDashPower(float value) { tmmDirectDashPower = value; }
  void setTmmGoalieDirectDashPower(float value) { tmmGoalieDirectDashPower = value; }
  void setTmmSeeBallDelay(unsigned int value) { tmmSeeBallDelay = value; }
  void setTmmGoalieSeeBallDelay(unsigned int value) { tmmGoalieSeeBallDelay = value; }
  void setTmmPosDevRate(float value) { tmmPosDevRate = value; }
  void setOppSlowDashPower(float value) { oppSlowDashPower = value; }
  void setOppFastDashPower(float value) { oppFastDashPower = value; }
  void setOppDirectDashPower(float value) { oppDirectDashPower = value; }
  void setOppGoalieDirectDashPower(float value) { oppGoalieDirectDashPower = value; }
  void setOppSeeBallDelay(unsigned int value) { oppSeeBallDelay = value; }
  void setOppGoalieSeeBallDelay(unsigned int value) { oppGoalieSeeBallDelay = value; }
  void setOppPosDevRate(float value) { oppPosDevRate = value; }
  bool isLogging() const { return logging; }
  void setLogging(bool value) { logging = value; }

  // Adds p in the next slot with the parameters of his role and team; p is not owned and
  // must outlive the session's use. False, with nothing added, when all 65 slots are
  // taken. A non-kicker of unknown team stops the process.
  bool addPlayer(const Player& p, bool isKicker, bool isBlocker, bool catchInPenaltyAreaOnly);
  // The world model's ball becomes the virtual ball; the agent, the valid full and half
  // players of both teams are added, unless excluded.
  void updateByWorldModel(const WorldModel* wm, bool noBody, bool noTmm, bool noOpp);
  void setVirtualBall(const Ball& ball) { virtualBall = ball; }
  void setBlockedBallVel(const Vector& vel) { blockedBallVel = vel; }
  // The record of the player added last; at least one must have been added.
  InterceptPlayer& setLastInterPlayer();

  // The run and its steps.
  void run();
  void getReadyToRun();
  void simulateVirtualBall();
  void setBlockedBall();
  void finalizeIntercepts();
  void prepareSum() { finalizeIntercepts(); }

  // Results of the last run.
  unsigned int getPlayersNum() const { return playersNum; }
  unsigned int getCheckedPlayersNum() const { return checkedPlayersNum; }
  // i below getCheckedPlayersNum().
  const InterceptPlayer& getCheckedInterPlayer(unsigned int i) const;
  // i below getPlayersNum(): the record of slot i.
  const InterceptPlayer& getInterPlayer(unsigned int i) const;
  bool existFastestPlayer() const { return fastestPlayerNum != NONE; }
  bool existFastestTmmPlayer() const { return fastestTmmPlayerNum != NONE; }
  bool existFastestOppPlayer() const { return fastestOppPlayerNum != NONE; }
  unsigned int getFastestPlayerNum() const { return fastestPlayerNum; }
  unsigned int getFastestTmmPlayerNum() const { return fastestTmmPlayerNum; }
  unsigned int getFastestOppPlayerNum() const { return fastestOppPlayerNum; }
  unsigned int getFastestCheckedPlayerNum() const { return fastestCheckedPlayerNum; }
  unsigned int getFastestTmmCheckedPlayerNum() const { return fastestTmmCheckedPlayerNum; }
  unsigned int getFastestOppCheckedPlayerNum() const { return fastestOppCheckedPlayerNum; }
  // Each only after the matching exist... query.
  const Player& getFastestPlayer() const;
  const Player& getFastestTmmPlayer() const;
  const Player& getFastestOppPlayer() const;
  const InterceptPlayer& getFastestInterPlayer() const;
  const InterceptPlayer& getFastestTmmInterPlayer() const;
  const InterceptPlayer& getFastestOppInterPlayer() const;
  // Matched by model, team and uniform number.
  bool isFastestPlayer(const Player& p) const;
  unsigned int getTmmCheckedPlayersNum() const;
  unsigned int getOppCheckedPlayersNum() const;
  // The place of p among the catchers, or NONE.
  unsigned int getCheckedListNum(const Player& p) const;
  // Every added opponent counts, caught or not, where his player stands.
  unsigned int getOppPlayersBeforeLine(float x) const;
  unsigned int getOppPlayersBetweenLines(float x1, float x2) const;
  // Only when a first catcher exists. Distance less the opponent's with-turn reach, and
  // the direction from the first catcher's point to him; 65278 for both without opponents.
  void getNearestOppDistDirToFastest(float& dist, float& dir) const;
  const Ball& getVirtualBall() const { return virtualBall; }
  const Player* getKickPlayer() const { return kickPlayer; }
  InterceptRunOutcome getPlayMode() const { return playMode; }

  // Writes the catchers to "MainLog", whatever `logging` says.
  void logCheckedPlayers() const;

 private:
  // The ball as a run steps it, kept plain: position, velocity (per cycle) and decay.
  struct RunBall {
    float x = 0.0f;
    float y = 0.0f;
    float vx = 0.0f;
    float vy = 0.0f;
    float decay = 0.0f;
  };

  // Player i catches in the cycle; true when the run must end at once.
  bool catchBall(unsigned int i, unsigned int cycle);
  void loadRunBall();
  // Hands the run's ball back to virtualBall and derives the results.
  void endRun();
  // "MainLog" when the session logs and the log writes somewhere, else null.
  LogStream* activeLog() const;

  bool logging = false;
  unsigned int kickCycles = 0;
  unsigned int playersNum = 0;
  unsigned int shareCycles = 2;
  Vector blockedBallVel;
  InterceptPlayer interPlayers[MAX_PLAYERS];
  const Player* kickPlayer = nullptr;   // not owned
  const Player* blockPlayer = nullptr;  // not owned
  unsigned int kickerSeeBallDelay = 0;
  float tmmPosDevRate = 0.0f;
  float tmmSlowDashPower = 0.0f;
  float tmmFastDashPower = 0.0f;
  float tmmDirectDashPower = 0.0f;
  float tmmGoalieDirectDashPower = 0.0f;
  unsigned int tmmSeeBallDelay = 0;
  unsigned int tmmGoalieSeeBallDelay = 0;
  float oppPosDevRate = 0.0f;
  float oppSlowDashPower = 0.0f;
  float oppFastDashPower = 0.0f;
  float oppDirectDashPower = 0.0f;
  float oppGoalieDirectDashPower = 0.0f;
  unsigned int oppSeeBallDelay = 0;
  unsigned int oppGoalieSeeBallDelay = 0;
  Ball virtualBall;
  InterceptRunOutcome playMode = IRO_IN_PLAY;
  unsigned int fastestPlayerNum = NONE;
  unsigned int fastestTmmPlayerNum = NONE;
  unsigned int fastestOppPlayerNum = NONE;
  unsigned int checkedPlayersNum = 0;
  unsigned int fastestCheckedPlayerNum = NONE;
  unsigned int fastestTmmCheckedPlayerNum = NONE;
  unsigned int fastestOppCheckedPlayerNum = NONE;
  unsigned int checkedList[MAX_CHECKED_PLAYERS] = {NONE, NONE, NONE};
  // State of the run in progress.
  RunBall runBall;
  unsigned int finishTimer = NONE;  // cycles since the first listed catch; NONE while unset
};

}  // namespace tovren
