#pragma once

#include "actions/basic/AdvancedAction.h"
#include "actions/withball/VirtualPass.h"
#include "decisions/BodyDecision.h"
#include "decisions/SayDecisionFlags.h"

namespace tovren {

class InterceptCalculate;
class Player;
class Positioning;
class WorldModel;
struct Point;

// The team coordination of one agent: who of the team goes for the ball (the intercept
// number, worked out each cycle and taken from teammates' messages), the role that
// leaves the agent without the ball, and the pass request and suggestion of the cycle.
//
// Outside the object the intercept number travels as one code: 0 nobody, 1 to 11 that
// uniform number intercepts, 12 to 22 the uniform number (code - 11) blocks.
class GroupWorks {
 public:
  // The highest code a teammate can say; a higher one names no teammate.
  static constexpr unsigned int MAX_INTERCEPT_CODE = 22;
  static constexpr unsigned int BLOCK_CODE_OFFSET = 11;

  // Borrows everything it is given: the say flags and the neck mode belong to the say and
  // head decisions, the positioning to the agent, and all of them outlive this object.
  GroupWorks(const WorldModel* worldModel, SayDecisionFlags& sayFlags, TurnNeckMode& turnNeckMode,
             const Positioning& positioning);
  ~GroupWorks();

  GroupWorks(const GroupWorks&) = delete;
  GroupWorks& operator=(const GroupWorks&) = delete;

  // Each sense_body: the request of the cycle that ends becomes the last one.
  void updateAfterSenseBody();
  // A referee's call: nobody goes for the ball, and nothing is said about it.
  void resetByChangePlayMode();
  // A teammate's routine message asked this uniform number for a pass, in this cycle.
  void setHearedRequestPassNum(unsigned int num) { hearedRequestPassNum = num; }
  void setHearedRequestPassTime(unsigned int time) { hearedRequestPassTime = time; }
  void setHearedRequestPassSender(unsigned int sender) { hearedRequestPassSender = sender; }

  // Revises the intercept number from this cycle's interception prediction, unless a
  // teammate's announcement still holds it.
  void updateInterceptNum();
  // The code to tell teammates, or 0 when it is not sure enough to be said.
  unsigned int getInterceptNumForSay() const;
  // More than 3 cycles since a teammate announced the number, or no number at all.
  bool getChangeInterceptNumPermission() const;
  // The agent reaches the ball within 3 cycles.
  bool getPassSayRequestPermittion() const;
  // How well the player stands to block at the point: higher near it and on the line
  // from the own goal to it.
  float getBlockWeight(const Point& interPoint, const Player& player) const;

  void setLastWithBallDecideValid(bool valid) { lastWithBallDecideValid = valid; }
  // A teammate or an opponent who can kick the ball ends the agent's last with-ball
  // decision.
  void checkForLastWithBallDecideValid();
  bool isLastWithBallDecideValid() const { return lastWithBallDecideValid; }

  // A teammate's pass announcement ('A' or 'B'): taken at once, and it freezes the
  // number for this cycle and the next three. A code above 22 is logged and ignored.
  void setInterceptNum(unsigned int code);
  // A teammate's routine message ('Y' or 'Z'): taken only when the agent cannot check
  // better itself. A code above 22 is logged and ignored.
  void changeInterceptNumByHear(unsigned int sender, unsigned int code);

  // Block, intercept or positioning for the without-ball decision of this cycle.
  WithoutBallSelection getWithoutBallSelection(DecideType lastWithBallDecide) const;

  // After every play-on body decision: ask for a pass suggestion when about to reach the
  // ball, and suggest one when a teammate asked the agent in this cycle.
  void decide();
  void requestSuggestPassSayManager();
  void suggestPassSayManager();

 protected:
  bool sayInterceptNumPermission = false;
  bool blockMode = false;  // interceptNum names a blocker
  bool lastWithBallDecideValid = false;
  unsigned int interceptNum = 0;  // uniform number 1 to 11; 0 nobody
  unsigned int interceptNumSetTime = 0;
  unsigned int requestPassNum = 0;
  unsigned int lastRequestPassNum = 0;
  unsigned int hearedRequestPassNum = 0;
  unsigned int hearedRequestPassTime = 0;
  unsigned int hearedRequestPassSender = 0;
  const WorldModel* worldModel;  // not owned
  const Positioning& positioning;
  SayDecisionFlags& sayFlags;
  TurnNeckMode& turnNeckMode;
  VirtualKickCalculate virtualKickCalculate;
  VirtualPass virtualPass;

 private:
  // The agent's uniform number.
  unsigned int me() const;
  // The agent's body for its own number, else the teammate slot; num is 1 to 11.
  const Player& playerOf(unsigned int num) const;
  // Stores a code of at most 22 as the number and the block flag.
  void decodeInterceptCode(unsigned int code);
  // The reset rules that drop a chaser or blocker (the agent, or a teammate known well
  // enough) missing from the predicted catchers; the rule's name goes into the log line.
  void resetIfMissing(const InterceptCalculate& prediction, const char* bodyRule,
                      const char* teammateRule);
  void applyResetRules(const Point& interPoint, unsigned int tmmN, unsigned int oppN);
  void applySetRules(const Point& interPoint, unsigned int tmmN, unsigned int oppN);
  void chooseFastestTeammate(unsigned int oppN);
  void chooseBlocker(const Point& interPoint);
  WithoutBallSelection chooseWithoutBall(DecideType lastWithBallDecide) const;
  // Whether the agent's post should block an opponent's ball this far from its home.
  bool blocksByPost() const;
  void logState(const char* head) const;
};

}  // namespace tovren
