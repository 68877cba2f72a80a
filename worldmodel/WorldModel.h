#pragma once

#include "foundation/Config.h"
#include "foundation/FieldData.h"
#include "foundation/Types.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/KickCalculate.h"
#include "worldmodel/Object.h"
#include "worldmodel/Player.h"

#include <memory>
#include <string>
#include <vector>

namespace tovren {

class Command;
class SExpression;
class Timer;

// The world model's plain state: every member a snapshot takes over by one assignment.
// A member added here is copied with the rest; objects and the timer stay in WorldModel.
struct WorldModelState {
  static constexpr unsigned int VIEW_PARTS_NUM = 9;

  ConfigGroup serverParam;
  ConfigGroup playerParam;
  std::vector<ConfigGroup> playerTypes;  // indexed by type id
  std::vector<bool> playerTypesReceived;
  bool serverParamReceived = false;  // a complete "server_param" reached the objects
  FieldData fieldData;
  // A snapshot takes the records as they are: they still name the source's players.
  InterceptCalculate curInterCalculate;
  unsigned int seeCycle = 0;
  unsigned int curCycle = 0;
  unsigned int curTime = 0;  // sense_body messages received
  unsigned int refereeHearTime = 0;
  unsigned int playModeRemainCycle = 0;
  unsigned int playOnStartCycle = 0;
  Side fieldSide = SI_LEFT;
  PlayMode playMode = PM_BEFORE_KICK_OFF;
  VirtualPlayMode virtualPlayMode = VPM_NONE;
  float viewPartDir[VIEW_PARTS_NUM];  // degrees
  unsigned int viewPartCycle[VIEW_PARTS_NUM];
  unsigned int freeKickAdvicerSayCycle = 0;
  unsigned int freeKickAdvicerSayNumber = 0;
  char hearedHeader = '\0';
  bool mustAttention = false;
  float hearedSuggestPassDir = 0.0f;    // degrees
  float hearedSuggestPassSpeed = 0.0f;  // metres per cycle
  float hearedSuggestPassWeight = 0.0f;
  unsigned int hearedSender = 0;
  unsigned int hearedInterceptNum = 0;
  unsigned int hearedRequestPassNum = 0;
  unsigned int hearedSuggestPassNum = 0;
  unsigned int hearedSuggestPassTime = 0;
  BallStatus ballStatus = BS_NONE;
  unsigned int flagsNum = 0;
  unsigned int goalsNum = 0;
  unsigned int linesNum = 0;
};

// The agent's picture of the match. It holds every tracked object by value in pools of
// fixed size: the landmarks of the current view, the ball, the agent's own body and 92
// player slots. The player frame (and the coach) drive it message by message in a fixed
// order:
//   sense_body: timer resetCycle, setCurTime(+1), Body::parseSenseBody, the body's
//     simulateByAction (unless the command was lost), simulateByDynamics(true),
//     completeParseSenseBody, simulateObjects(body copy, command or null), setCurCycle,
//     updateSeeDeltaCyclesAfterSenseBody, updatePlayModeRemainCycleAfterSenseBody,
//     logObjects;
//   see: resetObjects, parseSee, updateObjects, updateSeeDeltaCyclesAfterSee, logObjects;
//   hear: parseHear; the parameter messages: initServerParam, initPlayerParam,
//     initPlayerType, parseChangePlayerType;
//   init answer: setFieldSide, the body's number and goalie flag, replaceBodyInPlayersList.
// Everything that arrives over the network is validated; a malformed message, or one
// out of range, is logged in "MainLog" and skipped.
class WorldModel : private WorldModelState {
 public:
  static constexpr unsigned int FIELD_FLAGS_NUM = 53;
  static constexpr unsigned int FIELD_GOALS_NUM = 2;
  static constexpr unsigned int FIELD_LINES_NUM = 4;
  static constexpr unsigned int FULL_PLAYERS_NUM = 11;  // per team
  static constexpr unsigned int HALF_PLAYERS_NUM = 20;  // per team
  static constexpr unsigned int QUARTER_PLAYERS_NUM = 30;
  static constexpr unsigned int PLAYER_OBJECTS_NUM =
      2 * FULL_PLAYERS_NUM + 2 * HALF_PLAYERS_NUM + QUARTER_PLAYERS_NUM;
  using WorldModelState::VIEW_PARTS_NUM;
  static constexpr unsigned int VIEW_PART_CYCLE_MAX = 50;
  // More types than any server announces; a larger count is not believed.
  static constexpr int PLAYER_TYPES_MAX = 100;

  // Reads "OfflinePlayer" of group "Server" in the configuration "Agent" for the timer.
  WorldModel();
  // A snapshot that owns its own objects and timer (copyFrom); logs "WorldModel copied.".
  WorldModel(const WorldModel& other);
  // Overwriting a snapshot is copyFrom(other, true), which keeps the object's identity.
  WorldModel& operator=(const WorldModel&) = delete;
  virtual ~WorldModel();

  virtual void initPlayerParam(const SExpression& message);
  virtual void initPlayerType(const SExpression& message);
  virtual void parseSee(const SExpression& message);
  virtual void parseFlag(const SExpression& entry);
  virtual void parseGoal(const SExpression& entry);
  virtual void parseLine(const SExpression& entry);
  virtual void parseBall(const SExpression& entry);
  virtual void parsePlayer(const SExpression& entry);
  // False when the message was refused (logged and skipped): nothing was read from it.
  virtual bool parseHear(const SExpression& message);
  // The whole hear message; reads the referee's word, element 3.
  virtual void parseRefereeHear(const SExpression& message);
  virtual void parseTeammateCoachHear(const SExpression& freeform);
  virtual void selfHear(const std::string& message);
  virtual void teammateHear(float direction, unsigned int sender, const std::string& message);
  // Writes the body, the ball and every valid player to "MainLog".
  virtual void logObjects() const;

  // Server parameters and player types.
  void initServerParam(const SExpression& message);
  void parseChangePlayerType(const SExpression& message);
  // The type must have been received (isPlayerTypeReceived).
  const ConfigGroup& getPlayerType(unsigned int id) const;
  // Whether a complete "player_type" message arrived for the id.
  bool isPlayerTypeReceived(unsigned int id) const;

  // Update and forgetting around each message.
  void simulateObjects(const Body& body, const Command* lastBodyCommand);
  void resetObjects();
  void updateObjects();
  void completeUpdateObjects();
  void putOutOfVisibleDistance(Object& object);
  void putOutOfVisibleAngle(Object& object);
  void changePosDevBySee(Object& object);

  // Puts the body into the own full-player slot of the number (1..11).
  // When it stood in another slot, that slot gets its own player back, emptied and given
  // the parameters received so far.
  void replaceBodyInPlayersList(unsigned int uniNum);
  // Whether the body stands in an own full-player slot.
  bool isBodyReplaced() const { return bodySlot() < FULL_PLAYERS_NUM; }

  // Player slots; team 0 own, 1 opponents. Slots are never empty.
  const Player& getFullPlayer(TeamId team, unsigned int i) const;  // i = number - 1
  Player& setFullPlayer(TeamId team, unsigned int i);
  const Player& getHalfPlayer(TeamId team, unsigned int i) const;  // i 0..19
  Player& setHalfPlayer(TeamId team, unsigned int i);
  const Player& getQuarterPlayer(unsigned int i) const;  // i 0..29
  Player& setQuarterPlayer(unsigned int i);

  // The landmarks of the current view, in the order seen (i below the count).
  const FieldFlag& getFieldFlag(unsigned int i) const;
  const FieldGoal& getFieldGoal(unsigned int i) const;
  // Goal slot i (below FIELD_GOALS_NUM) for a reader of another view, such as the coach's.
  FieldGoal& setFieldGoal(unsigned int i);
  const FieldLine& getFieldLine(unsigned int i) const;

  const Timer& getTimer() const { return *timer; }
  Timer& setTimer() { return *timer; }
  const ConfigGroup& getServerParam() const { return serverParam; }
  const ConfigGroup& getPlayerParam() const { return playerParam; }
  const FieldData& getFieldData() const { return fieldData; }
  FieldData& setFieldData() { return fieldData; }
  const Ball& getBall() const { return *ball; }
  Ball& setBall() { return *ball; }
  const Body& getBody() const { return *body; }
  Body& setBody() { return *body; }

  unsigned int getSeeCycle() const { return seeCycle; }
  void setSeeCycle(unsigned int value) { seeCycle = value; }
  unsigned int getCurCycle() const { return curCycle; }
  void setCurCycle(unsigned int value) { curCycle = value; }
  unsigned int getCurTime() const { return curTime; }
  void setCurTime(unsigned int value) { curTime = value; }
  unsigned int getRefereeHearTime() const { return refereeHearTime; }
  void setRefereeHearTime(unsigned int value) { refereeHearTime = value; }
  unsigned int getPlayModeRemainCycle() const { return playModeRemainCycle; }
  Side getFieldSide() const { return fieldSide; }
  // Also turns the landmark table: +1 for the left side, -1 for the right.
  void setFieldSide(Side side);
  PlayMode getPlayMode() const { return playMode; }
  VirtualPlayMode getVirtualPlayMode() const { return virtualPlayMode; }
  void setVirtualPlayMode(VirtualPlayMode value) { virtualPlayMode = value; }
  float getViewPartDir(unsigned int i) const;
  unsigned int getViewPartCycle(unsigned int i) const;
  unsigned int getFreeKickAdvicerSayCycle() const { return freeKickAdvicerSayCycle; }
  unsigned int getFreeKickAdvicerSayNumber() const { return freeKickAdvicerSayNumber; }
  char getHearedHeader() const { return hearedHeader; }
  bool getMustAttention() const { return mustAttention; }
  float getHearedSuggestPassDir() const { return hearedSuggestPassDir; }
  float getHearedSuggestPassSpeed() const { return hearedSuggestPassSpeed; }
  float getHearedSuggestPassWeight() const { return hearedSuggestPassWeight; }
  unsigned int getHearedSender() const { return hearedSender; }
  unsigned int getHearedInterceptNum() const { return hearedInterceptNum; }
  unsigned int getHearedRequestPassNum() const { return hearedRequestPassNum; }
  unsigned int getHearedSuggestPassNum() const { return hearedSuggestPassNum; }
  unsigned int getHearedSuggestPassTime() const { return hearedSuggestPassTime; }
  BallStatus getBallStatus() const { return ballStatus; }
  unsigned int getFlagsNum() const { return flagsNum; }
  void setFlagsNum(unsigned int value) { flagsNum = value; }
  unsigned int getGoalsNum() const { return goalsNum; }
  void setGoalsNum(unsigned int value) { goalsNum = value; }
  unsigned int getLinesNum() const { return linesNum; }
  void setLinesNum(unsigned int value) { linesNum = value; }

  // Cycle operations.
  unsigned int getPlayOnPastCycles() const { return curTime - playOnStartCycle; }
  void updatePlayModeRemainCycleAfterSenseBody();

  // The view-part memory: nine field directions 40 degrees apart, each with the cycles
  // since it was last in view (at most 50).
  void updateSeeDeltaCyclesAfterSenseBody();
  void updateSeeDeltaCyclesAfterSee();
  void initViewPartDirs();
  void resetSeeDeltaCycles();
  // How fully a part would be seen with the head at the direction (0..1).
  float getSeeViewPartValue(unsigned int part, float direction, float viewHalfAngle) const;

  // ---- Field queries, ball status and the interception prediction ----
  // All read the objects as they stand. The kick distance is the ball's size plus the
  // agent's kickable margin and size, for the agent and for everyone else alike.
  bool isBallKickable() const;
  bool isBallKickable(const Ball& ball) const;
  bool isBallCatchable() const;
  bool isBallCatchable(const Ball& ball) const;
  // A valid teammate other than the agent, or a valid opponent, has the ball within reach.
  bool isBallInTmmKickable() const;
  bool isBallInTmmKickable(const Ball& ball) const;
  bool isBallInOppKickable() const;
  bool isBallInOppKickable(const Ball& ball) const;
  bool isBallInField() const;
  static bool isBallInField(const Ball& ball);
  // Metres outside the field rectangle; 0 inside or on its edge.
  float getBallOutDistance() const;
  static float getOutDistance(const Point& point);
  // Whether the ball, rolled out, ends in the own goal.
  bool isOppBallShooted(const Ball& ball) const;
  // The same for a crossing between two y values; on true crossPoint is on the goal line.
  bool isOppBallShootedToTir(const Ball& ball, float maxY, float minY, Point& crossPoint) const;

  float getTmmDefenseLine() const;
  float getOppOffsideLine(bool withBall) const;
  float getTmmOffsideLine(bool withBall) const;
  // Valid opponents at or behind the line; a goalie counts 3.
  unsigned int getOppPlayersBeforeLine(float line) const;
  // Those between the two lines, in either order of the arguments.
  unsigned int getOppPlayersBetweenLines(float line1, float line2) const;
  // The body when no teammate is valid.
  const Player& getNearestTmmToBall() const;
  // Null when there is no such player.
  const Player* getNearestOppToBall() const;
  const Player* getTmmGoalie() const;
  const Player* getOppGoalie() const;
  static bool isPlayerInOurField(const Player& player);
  static bool isPlayerInOppField(const Player& player);
  static bool isPlayerInOurShootArea(const Player& player);
  static bool isPlayerInOppShootArea(const Player& player);

  // Cycles since the field direction was looked at, blended with the nearer neighbouring
  // part by the weight when the direction lies between two parts.
  float getSeeDeltaCycle(float direction, float neighbourWeight) const;

  // Reruns this cycle's prediction over the ball and every known player, then logs the
  // catchers; updateBallStatus reads it.
  void updateCurInterCalculate();
  const InterceptCalculate& getCurInterCalculate() const { return curInterCalculate; }
  void updateBallStatus();
  // ---- end of field queries ----

  // ---- Teammate and coach messages ----
  // The decoders of the six kinds of teammate message, called by teammateHear. `message`
  // is the heard atom, double quotes included, so text position p is index p + 1. A
  // message shorter than its layout, with a character outside the say alphabet, or
  // naming no player is logged and changes nothing.
  void beforePassTmmHear(const std::string& message, unsigned int sender);         // "A"
  void beforePassRelatedTmmHear(const std::string& message, unsigned int sender);  // "B"
  void suggestPassTmmHear(const std::string& message, unsigned int sender);        // "C"
  void freeKickKickerHear(const std::string& message, unsigned int sender);        // "F"
  void routinTmmHearWithoutBall(const std::string& message, unsigned int sender);  // "Y"
  void routinTmmHear(const std::string& message, unsigned int sender);             // "Z"
  // Header, sender, intercept and request numbers and the attention flag back to none;
  // every hear message starts with it.
  void resetHearedNums();
  // ---- end of teammate and coach messages ----

  // ---- The kick fan ----
  // This cycle's fan of predicted kicks; the same object for the life of the world
  // model, refreshed in place.
  const KickCalculate* getCurKickCalculate() const { return &curKickCalculate; }
  // Refills the fan for the present ball and players; the body decision calls it in
  // cycles in which the agent can kick the ball.
  void updateCurKickCalculate() { curKickCalculate.update(this); }
  // ---- end of the kick fan ----

  // ---- The world model copy ----
  // Makes this world model a copy of other: the plain state in one assignment, a timer of
  // other's kind with its state, and every landmark, the ball, the body and every player
  // copied into this world model's own objects (the body in the same slot as other's).
  // Nothing is freed or allocated but the timer, so no copy leaves half a snapshot. The
  // kick fan shows other's entries without owning them, and the interception session's
  // records still point at other's players: both are valid while other lives. freeOwn
  // tells an overwrite (true) from the copy constructor (false) in the log. Copying from
  // itself does nothing.
  void copyFrom(const WorldModel& other, bool freeOwn);
  // ---- end of the world model copy ----

 private:
  // The tracked objects themselves, allocated with the world model and never replaced; a
  // copy overwrites them in place. Each player slot has its own player here, which stays
  // unused while the body stands in that slot.
  struct Objects {
    FieldFlag flags[FIELD_FLAGS_NUM];
    FieldGoal goals[FIELD_GOALS_NUM];
    FieldLine lines[FIELD_LINES_NUM];
    Ball ball;
    Body body;
    Player fullPlayers[2][FULL_PLAYERS_NUM];
    Player halfPlayers[2][HALF_PLAYERS_NUM];
    Player quarterPlayers[QUARTER_PLAYERS_NUM];
  };

  // Points every table below at this world model's own objects, the body in no slot.
  void linkObjects();
  // The own full-player slot that holds the body; FULL_PLAYERS_NUM when none does.
  unsigned int bodySlot() const;
  // Writes the line of one player of the object log.
  void logPlayer(const char* tag, unsigned int slot, const Player& player) const;
  // Gives a player object the parameters and the default type received so far.
  void applyReceivedParams(Player& player) const;
  // Player object i (0..91) in the order the parameters reach them: own and opponent
  // full players, own and opponent half players, quarter players.
  Player& playerObject(unsigned int i);

  std::unique_ptr<Timer> timer;
  // The entries may be the source's, shown by a snapshot and never freed by it.
  KickCalculate curKickCalculate;
  Objects objects;
  // Non-owning tables into objects, the form the parsers and Body::update walk. Only an
  // own full-player slot ever changes: it points at the body while the agent has that
  // number, and at its own player otherwise.
  FieldFlag* fieldFlags[FIELD_FLAGS_NUM];
  FieldGoal* fieldGoals[FIELD_GOALS_NUM];
  FieldLine* fieldLines[FIELD_LINES_NUM];
  Ball* ball;
  Body* body;
  Player* fullPlayers[2][FULL_PLAYERS_NUM];  // [team][uniform number - 1]
  Player* halfPlayers[2][HALF_PLAYERS_NUM];
  Player* quarterPlayers[QUARTER_PLAYERS_NUM];
};

}  // namespace tovren
