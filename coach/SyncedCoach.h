#pragma once

#include "coach/BasicCoach.h"

namespace tovren {

// Ties the coach's output to the server's cycle: every see_global opens a cycle and
// frees last cycle's two commands; the first decision after it runs the tasks and sends
// the freeform and then the change_player_type command, each in a datagram of its own.
// Also the watchdog on the server's silence. Abstract: processTasks() is the coach's.
class SyncedCoach : public BasicCoach {
 public:
  SyncedCoach(int argc, char** argv);
  ~SyncedCoach() override;

  // After the base: last cycle's commands are freed and the cycle flags start afresh.
  // A see_global the base skipped leaves the cycle as it was.
  void seeGlobal(const SExpression& message) override;

  // Runs the tasks once the cycle has opened and a slot is empty, and sends what is
  // not sent yet, freeform text first, a datagram a command. Always true.
  bool decide() override;
  // False, with its message in "MainLog" and on standard output, once more than 9990 ms
  // have passed since the last see_global (or since the world model was made).
  bool synchronize() override;

  // Leaves a command in each slot (an empty one when there is nothing to say).
  virtual bool processTasks() = 0;
  // "End of cycle." in "MainLog" and the cycle's "EndInf: " record in "OfflineLog":
  // freeform command present, freeform sent, change command present, change sent.
  virtual void logEndInf();

  bool isSeeGlobalReceived() const { return seeGlobalReceived; }
  void setSeeGlobalReceived(bool value) { seeGlobalReceived = value; }
  bool isFreeFormCycleCommandSent() const { return freeFormCycleCommandSent; }
  void setFreeFormCycleCommandSent(bool value) { freeFormCycleCommandSent = value; }
  bool isChangePlayerCycleCommandSent() const { return changePlayerCycleCommandSent; }
  void setChangePlayerCycleCommandSent(bool value) { changePlayerCycleCommandSent = value; }

  // The longest silence of the server, in ms of the cycle clock, that the coach waits.
  static constexpr long kServerSilenceMS = 9990;

 protected:
  bool seeGlobalReceived = false;
  bool freeFormCycleCommandSent = false;
  bool changePlayerCycleCommandSent = false;
};

}  // namespace tovren
