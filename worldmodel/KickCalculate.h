#pragma once

#include "geometry/Vector.h"
#include "worldmodel/Ball.h"
#include "worldmodel/InterceptCalculate.h"

#include <memory>
#include <vector>

namespace tovren {

class KickCommand;
class Player;
class WorldModel;

// One player who reaches the ball of a predicted kick, copied from the session's record.
class KickInterceptPlayer {
 public:
  void init(const InterceptPlayer& interPlayer);

  bool isExtraCatched() const { return extraCatched; }
  float getDashDist() const { return dashDist; }
  unsigned int getInterTime() const { return interTime; }
  // The world model's player (or the agent's body); not owned.
  const Player* getPlayer() const { return player; }
  Point getInterPoint() const { return interPoint; }

 private:
  bool extraCatched = false;  // the ball also came within his with-turn reach later
  float dashDist = 0.0f;      // metres: his with-turn reach at the cycle of his catch
  unsigned int interTime = 0;
  const Player* player = nullptr;  // not owned
  Point interPoint;                // the ball's position at his catch
};

// The prediction of one kick: the command applied to a copy of the world model's ball,
// then an interception run on the kicked ball. Entries are reused from update to update;
// a reader checks isValid() before anything else.
class KickInterceptCalculate {
 public:
  static constexpr unsigned int MAX_CHECKED_PLAYERS = 3;
  static constexpr unsigned int NONE = 65278;  // an index naming nobody

  KickInterceptCalculate();
  virtual ~KickInterceptCalculate();
  // An entry owns its command copy and is held by its fan; it is never copied.
  KickInterceptCalculate(const KickInterceptCalculate&) = delete;
  KickInterceptCalculate& operator=(const KickInterceptCalculate&) = delete;

  // Predicts the kick with a session the caller has prepared (players added). Without a
  // command the entry becomes invalid and keeps its earlier results.
  void init(const WorldModel* wm, const KickCommand* command, InterceptCalculate& session);
  // Copies the results of the session's last run.
  void saveResults(const InterceptCalculate& session);
  void setValid(bool value) { valid = value; }

  bool isValid() const { return valid; }
  // Owned by the entry; null before the first prediction with a command.
  const KickCommand* getKickCommand() const { return kickCommand.get(); }
  // The ball just after the kick.
  const Ball& getFirstBall() const { return firstBall; }
  // Position and velocity of the ball of the run's last simulated cycle.
  const Ball& getVirtualBall() const { return virtualBall; }
  // The kicker of the run; not owned.
  const Player* getKickPlayer() const { return kickPlayer; }
  // 3, or 5 when the run ended because the ball left the field.
  InterceptRunOutcome getPlayMode() const { return playMode; }
  unsigned int getCheckedPlayersNum() const { return checkedPlayersNum; }
  // i below getCheckedPlayersNum().
  const KickInterceptPlayer& getCheckedInterPlayer(unsigned int i) const;
  unsigned int getTmmCheckedPlayersNum() const;
  unsigned int getOppCheckedPlayersNum() const;
  // The place of p among the catchers (by model, team and uniform number), or NONE.
  unsigned int getCheckedListNum(const Player& p) const;
  bool existFastestPlayer() const { return fastestPlayerNum != NONE; }
  bool existFastestTmmPlayer() const { return fastestTmmPlayerNum != NONE; }
  bool existFastestOppPlayer() const { return fastestOppPlayerNum != NONE; }
  unsigned int getFastestPlayerNum() const { return fastestPlayerNum; }
  unsigned int getFastestTmmPlayerNum() const { return fastestTmmPlayerNum; }
  unsigned int getFastestOppPlayerNum() const { return fastestOppPlayerNum; }
  // Each only after the matching exist... query.
  const Player* getFastestPlayer() const;
  const KickInterceptPlayer& getFastestInterPlayer() const;
  const KickInterceptPlayer& getFastestTmmInterPlayer() const;
  const KickInterceptPlayer& getFastestOppInterPlayer() const;
  // Whether the first catcher is p (by model, team and uniform number).
  bool isFastestPlayer(const Player& p) const;
  unsigned int getPassedOppPlayers() const { return passedOppPlayers; }
  float getNearestOppToFastestDist() const { return nearestOppToFastestDist; }
  float getNearestOppToFastestDir() const { return nearestOppToFastestDir; }

 protected:
  // Runs the session on firstBall, stores its catchers and the opponents around them, and
  // marks the entry valid.
  void predict(InterceptCalculate& session);

  unsigned int fastestPlayerNum = NONE;
  unsigned int fastestTmmPlayerNum = NONE;
  unsigned int fastestOppPlayerNum = NONE;
  unsigned int checkedPlayersNum = 0;
  Ball firstBall;
  Ball virtualBall;
  InterceptRunOutcome playMode = IRO_IN_PLAY;
  KickInterceptPlayer checkedInterPlayers[MAX_CHECKED_PLAYERS];
  const Player* kickPlayer = nullptr;  // not owned
  bool valid = false;
  std::unique_ptr<KickCommand> kickCommand;
  float nearestOppToFastestDist = 65535.0f;  // metres
  float nearestOppToFastestDir = 180.0f;     // degrees
  unsigned int passedOppPlayers = 0;
};

// A fan of predicted kicks. The world model's fan holds 240 grid kicks (48 directions
// 7.5 degrees apart relative to the body, times the powers 20 to 100) and 3 soft kicks
// along the body, refreshed by update in cycles in which the agent can kick. Derived fans
// (crosses, a teammate's kicks) fill it with entries of their own kind through
// setSimulates; each entry is destroyed through its virtual destructor.
class KickCalculate {
 public:
  static constexpr unsigned int SIMULATES_NUM = 243;
  static constexpr unsigned int SOFT_KICKS_NUM = 3;
  static constexpr unsigned int NONE = 65278;

  // Not inited, no entries.
  KickCalculate();
  virtual ~KickCalculate();
  KickCalculate(const KickCalculate&) = delete;
  KickCalculate& operator=(const KickCalculate&) = delete;

  // 243 new, invalid entries; the entries of an earlier init are freed.
  void init();
  // Refills every entry for the world model's present ball, agent and players. Does
  // nothing for a fan of fewer than the three soft-kick entries.
  void update(const WorldModel* wm);

  unsigned int getSimulatesNum() const { return simulatesNum; }
  // i below getSimulatesNum().
  const KickInterceptCalculate& getSimulate(unsigned int i) const;
  unsigned int getUpdateTime() const { return updateTime; }
  bool isInited() const { return inited; }
  void setInited(bool value) { inited = value; }
  // The first entries of another power whose direction is 7.5 degrees more (first) and
  // 7.5 degrees less (second) than entry i's; NONE when there is none.
  void getNeighboursByDir(unsigned int i, unsigned int& first, unsigned int& second) const;

  // For the world model's copy: the flag, time and count of other, and its entries,
  // borrowed: they stay other's, valid while it lives, and are never freed here. The
  // entries this fan owned are freed.
  void shareSimulates(const KickCalculate& other);

 protected:
  // Inited, with count new, invalid entries; the entries of an earlier init are freed.
  void initEmpty(unsigned int count);
  // Takes the entries over (the kind a derived fan needs) and sets the count; the
  // entries held before are freed, or dropped if borrowed.
  void setSimulates(std::vector<std::unique_ptr<KickInterceptCalculate>> entries);
  // Entry i for refilling; i below getSimulatesNum() of a fan that owns its entries.
  KickInterceptCalculate& setSimulate(unsigned int i);

  bool inited = false;
  unsigned int updateTime = 0;
  unsigned int simulatesNum = 0;
  // The entries read through getSimulate: ownSimulates' own, or another fan's when shared.
  std::vector<KickInterceptCalculate*> simulates;

 private:
  std::vector<std::unique_ptr<KickInterceptCalculate>> ownSimulates;
};

}  // namespace tovren
