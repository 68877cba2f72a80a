#pragma once

#include "coach/CoachWorldModel.h"
#include "foundation/SignalHandled.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace tovren {

class Command;
class Connection;
class SExpression;

// The lowest layer of the online coach: the link to the server's coach port, the world
// model of the global view with its history, and the two command slots of the cycle. It
// configures the coach, connects and asks for the global view, and hands every message
// by its header to its handler. Abstract: the cycle layer above fills decide() and
// synchronize().
class BasicCoach : public SignalHandled {
 public:
  // Defaults, then "./Configs/Agent.conf", then the command line, as for the player;
  // the world model comes last, since it reads the final configuration.
  BasicCoach(int argc, char** argv);
  ~BasicCoach() override;

  // Writes the coach's eleven defaults into the configuration "Agent" (creating it and
  // its groups when absent); every other key stays as it is.
  static void setConfigDefaults();

  // Counts the tick, asks for the global view once from the 200th tick on (as soon as
  // the link exists), then the result of synchronize(); false also after a failed link.
  bool sigAlrmHandler() override;
  // Each writes its message to "MainLog" and standard output and ends the run.
  bool sigIntHandler() override;
  bool sigKillHandler() override;
  bool sigQuitHandler() override;
  bool sigTermHandler() override;
  // Writes its message to standard output and ends the process with status 1 at once.
  bool sigSegVHandler() override;
  // Drains the link, dispatching every datagram by its header, then decides once.
  // False only after a failed link.
  bool sigIOHandler() override;
  int signalsMask() override;  // all seven signals
  void sigAlrmTiming(long& firstMS, long& periodMS) override;
  // The online run against the server; returns at once for "OfflinePlayer", as the
  // coach has no offline replay.
  void run() override;

  // A see_global opens a coach cycle: cycle clock, own counter, world model, history.
  // One whose time is no cycle number, or with an entry that cannot be read, is logged
  // and skipped with nothing changed.
  virtual void seeGlobal(const SExpression& message);
  // The message operations: each records the message in "MainLog" and "OfflineLog"
  // and then hands it to the world model.
  virtual void fullState(const SExpression& message);
  virtual void hear(const SExpression& message);
  virtual void serverParam(const SExpression& message);
  virtual void playerParam(const SExpression& message);
  virtual void playerType(const SExpression& message);
  // The server's answer to the init command: the side, then the logs and the
  // connection line. Only the first well-formed answer is taken.
  virtual void init(const SExpression& message);
  virtual void think(const SExpression& message);
  virtual void changePlayerType(const SExpression& message);
  // The server's answer ("ok", "warning" or "error") to the oldest command still waiting
  // for one. A refused change of a player's type is logged with the player; the world
  // model keeps the type the server last announced for him.
  void answer(const SExpression& message);

  // Runs once at the end of every burst of datagrams; its result is not used.
  virtual bool decide() = 0;
  // Runs at every alarm tick; false ends the run.
  virtual bool synchronize() = 0;

  const CoachWorldModel& getWorldModel() const { return *worldModel; }
  // 0 after an orderly run; 1 after a failed link or when the server never sent the
  // global view.
  int getExitStatus() const { return exitStatus; }

  // The tick from which "(eye on)" is sent, two seconds into the run.
  static constexpr std::uint32_t kEyeOnTick = 200;

 protected:
  // Opens the UDP link to "HostName"/"CoachPort" and sends the init command, never
  // with the goalie mark.
  void initOnlineConnection();
  // Sends "(bye)" and releases the link.
  void closeOnlineConnection();
  // Sends through the link; false when the link has failed, which ends the run with
  // status 1.
  bool sendToServer(const std::string& text);
  // Sends the command in a datagram of its own, as the server reads only the first
  // command of a coach's datagram, and waits for its answer. False as sendToServer.
  bool sendCommand(const Command& command);

  // Created by run() and released before it returns; null outside a run.
  std::unique_ptr<Connection> connection;
  std::unique_ptr<CoachWorldModel> worldModel;
  CoachWorldModelHistory history;
  // The commands of the current cycle, owned by the coach; null while empty.
  std::unique_ptr<Command> freeFormCycleCommand;
  std::unique_ptr<Command> changePlayerCycleCommand;
  std::uint32_t sigAlrmCounter = 0;
  int exitStatus = 0;
  bool stopRequested = false;  // the run is to end after this handler

 private:
  // Parses and dispatches one datagram; a malformed one is logged and skipped.
  void dispatch(const std::string& text);

  bool eyeOnSent = false;
  bool initReceived = false;
  // Copies of the commands sent and not answered yet, oldest first.
  std::deque<std::unique_ptr<Command>> unanswered;
};

}  // namespace tovren
