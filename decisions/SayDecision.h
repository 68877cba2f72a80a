#pragma once

#include "decisions/SayDecisionFlags.h"

#include <memory>
#include <string>

namespace tovren {

class Ball;
class Command;
class WorldModel;

// What the agent says to its teammates this cycle (at most one message, by the priority
// F, A, C, Z, Y) and whom it listens to. The message kinds and their packing:
//   A  ball position and velocity of the next cycle, receiver       (8 characters)
//   B  the same position relative to the receiver's, receiver      (8)
//   C  suggested pass: first ball velocity, value in -50..150, receiver (8)
//   F  advised set-play kicker                                      (2)
//   Y  intercept number, pass request, ball kickable now            (4)
//   Z  as A, then pass request and ball kickable now                (10)
// Numbers are one character of the say alphabet; positions, velocities and values three.
class SayDecision {
 public:
  // The world model is read only and outlives the decision.
  explicit SayDecision(const WorldModel* worldModel);
  ~SayDecision();

  SayDecision(const SayDecision&) = delete;
  SayDecision& operator=(const SayDecision&) = delete;

  // The say request of the cycle; every writer (the actions, team coordination, the
  // set-play kicker selection, the hear handler) holds this reference.
  SayDecisionFlags& setSayFlags() { return sayFlags; }
  const SayDecisionFlags& getSayFlags() const { return sayFlags; }

  // Builds the cycle's attentionto and say commands. The body command of the cycle may
  // be null (none decided yet when the head group goes out in an emergency): it then
  // counts as no command. interceptNumForSay: 0 none, 1..11 a uniform number, 12..22 the
  // uniform number plus 11 in block mode.
  void decide(const Command* bodyCommand, unsigned int interceptNumForSay);

  // The commands of the last decide, to look at; null before the first one and once
  // taken.
  const Command* getSayCommand() const { return sayCommand.get(); }
  const Command* getAttentionCommand() const { return attentionCommand.get(); }
  // Hand the commands over to the agent's say and attentionto slots.
  std::unique_ptr<Command> takeSayCommand();
  std::unique_ptr<Command> takeAttentionCommand();

  // The ball's position and velocity were both seen in the current cycle.
  bool getSayRoutinBallPermission() const;

  // The message builders; each replaces the say command. A null body command is none.
  void sayFreeKick();
  void saySuggestPass();
  void sayRequestPassSayWithoutBall(const Command* bodyCommand);
  void sayBeforePass(const Command* bodyCommand);
  void sayRoutinBall(const Command* bodyCommand);
  // Says nothing (an empty command) when sayInterceptNum names no teammate.
  void sayBeforePassRelated(const Command* bodyCommand);

 private:
  // The uniform number to listen to, 1..11.
  unsigned int chooseAttentionNum(unsigned int interceptNumForSay) const;
  // The ball at the start of the next cycle, after the body command and one cycle of
  // motion against the body moved by the command.
  Ball predictNextBall(const Command* bodyCommand) const;
  // Appends the character of a small number (0..72).
  static void appendCode(unsigned int number, std::string& text);
  // The kind letter, the ball of the next cycle and sayInterceptNum (A, and Z's start).
  std::string makeNextBallText(char kind, const Command* bodyCommand) const;
  // The end of Y and Z: the pass request, and 1 when the agent can kick the ball now.
  void appendRoutineEnd(std::string& text) const;
  void setSay(const std::string& message);

  const WorldModel* worldModel;  // not owned
  // A SayCommand, or an EmptyCommand when nothing is said.
  std::unique_ptr<Command> sayCommand;
  std::unique_ptr<Command> attentionCommand;
  SayDecisionFlags sayFlags;
};

}  // namespace tovren
