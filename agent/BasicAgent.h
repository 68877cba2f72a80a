#pragma once

#include "foundation/SignalHandled.h"

#include <climits>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace tovren {

class Command;
class Connection;
class SExpression;
class Timer;
class VirtualConnection;
class VirtualTimer;
class WorldModel;

// A number or switch of "Agent" that a role reads once it runs, some of them inside
// signal handlers: converted once at start-up, so a wrong one stops the start-up with a
// line naming where it was given, not the run later.
struct TypedSetting {
  const char* group;
  const char* key;
  bool isNumber;      // else a switch
  int low = INT_MIN;  // the numbers taken
  int high = INT_MAX;
};

// The ports a UDP link can address.
constexpr int kMinPort = 1;
constexpr int kMaxPort = 65535;

// One line of an offline log as the replay reads it: "  0042. RecStr: (see 12 ...)".
struct OfflineLogEntry {
  bool numbered = false;  // the line begins with its millisecond; others are skipped
  int ms = 0;             // the millisecond within the cycle at which it was written
  std::string label;      // "RecStr", "EndInf", "EmgSend" or any other word
  std::string message;    // the text from the second character after the colon on
  std::string line;       // the whole line, for the log of a skipped one
};

// The lowest layer of the player: the link to the server, the world model and the
// command slots of the current cycle. It configures the player, connects and announces
// it, hands every message by its header to the world model and opens the logs once the
// server has answered. Abstract: the cycle engine above it fills the pure operations.
class BasicAgent : public SignalHandled {
 public:
  // Defaults, then "./Configs/Agent.conf", then the command line, each replacing the
  // earlier values; a rejected command line ends the process with status 1 after the
  // usage text, and a file or value of the wrong kind throws a UserError. The world
  // model comes last, since it reads the final configuration.
  BasicAgent(int argc, char** argv);
  ~BasicAgent() override;

  // Writes the player's twelve defaults into the configuration "Agent" (creating it and
  // its groups when absent); every other key stays as it is.
  static void setConfigDefaults();

  // The result of synchronize(); false also once a failed link has ended the run.
  bool sigAlrmHandler() override;
  // Each writes its message to "MainLog" and standard output and ends the run.
  bool sigIntHandler() override;
  bool sigKillHandler() override;
  bool sigQuitHandler() override;
  bool sigTermHandler() override;
  // Writes its message to standard output and ends the process with status 1 at once.
  bool sigSegVHandler() override;
  // Drains the connection, dispatching every datagram by its header, then decides once.
  // False only after an init answer the player cannot live with or a failed link.
  bool sigIOHandler() override;
  int signalsMask() override;  // all seven signals
  void sigAlrmTiming(long& firstMS, long& periodMS) override;
  // The online run against the server, or the offline replay of a logged run.
  void run() override;

  virtual void logEndInf() = 0;
  virtual void checkForLosts() = 0;
  virtual bool isBodyCycleCommandLost() const = 0;
  virtual bool isHeadCycleCommandLost() const = 0;

  // The message operations, in the order of the dispatch. Each records the message in
  // "MainLog" and "OfflineLog" and then hands it to the world model.
  virtual void senseBody(const SExpression& message);
  virtual void see(const SExpression& message);
  virtual void hear(const SExpression& message);
  virtual void fullState(const SExpression& message);
  virtual void serverParam(const SExpression& message);
  virtual void playerParam(const SExpression& message);
  virtual void playerType(const SExpression& message);
  // The server's answer to the init command: side, uniform number and goalie flag,
  // then the log files, the connection line and the clang version command.
  virtual void init(const SExpression& message);
  virtual void think(const SExpression& message);
  virtual void changePlayerType(const SExpression& message);

  // Runs once at the end of every burst of datagrams; its result is not used.
  virtual bool decide() = 0;
  // Runs at every alarm tick; false ends the run.
  virtual bool synchronize() = 0;

  const WorldModel& getWorldModel() const { return *worldModel; }

  bool isBodyCycleCommandDecidePermitted() const { return bodyCycleCommandDecidePermitted; }
  bool isBodyCycleCommandSendPermitted() const { return bodyCycleCommandSendPermitted; }
  bool isHeadCycleCommandDecidePermitted() const { return headCycleCommandDecidePermitted; }
  bool isHeadCycleCommandSendPermitted() const { return headCycleCommandSendPermitted; }
  void setBodyCycleCommandDecidePermitted(bool value) { bodyCycleCommandDecidePermitted = value; }
  void setBodyCycleCommandSendPermitted(bool value) { bodyCycleCommandSendPermitted = value; }
  void setHeadCycleCommandDecidePermitted(bool value) { headCycleCommandDecidePermitted = value; }
  void setHeadCycleCommandSendPermitted(bool value) { headCycleCommandSendPermitted = value; }

  // 0 after an orderly run; 1 when the run ended on an init answer that was refused or
  // on a link that failed, or because the server never answered.
  int getExitStatus() const { return exitStatus; }

  // The character that stands for a uniform number in file names: "1" to "9", then
  // "A" for 10 and "B" for 11.
  static char getPlayerCharacter(unsigned int uniNum);

  // The frame the player shares with the coach.

  // The eleven defaults both roles write into "Agent" (creating it and its groups when
  // absent), with the role's server port under portKey.
  static void writeConfigDefaults(const char* portKey);

  // "./Configs/Agent.conf" over the defaults already written, then the command line; a
  // rejected command line ends the process with status 1 after the usage text, and a
  // file or setting of the wrong kind throws a UserError.
  static void configure(int argc, char** argv, const std::vector<TypedSetting>& typed);
  // The online life of a role: handlers, then the link (open), the signal loop, and the
  // shutdown (close) with neither a late alarm nor a late datagram able to end the
  // process before it.
  static void runOnline(SignalHandled& role, const std::function<void()>& open,
                        const std::function<void()>& close);
  // The stop message in "MainLog" and on standard output; false.
  static bool reportStop(const char* text);
  // The fault message on standard output with one raw write, then status 1 at once.
  [[noreturn]] static void reportSegmentationFault();
  // Hands every pending datagram of the link to dispatch, until the link is empty, the
  // stop is requested or the burst cap is reached (the rest waits for the next SIGIO).
  static void drainLink(Connection& link, const bool& stopRequested,
                        const std::function<void(const std::string&)>& dispatch);
  // The datagram's first list, or null (logged in "MainLog") when it is none whose
  // element 0 is an atom. Text after the list is logged and ignored.
  static std::unique_ptr<SExpression> parseDatagram(const std::string& text);
  // The "RecStr: " line of the message in "MainLog" and then in "OfflineLog".
  static void recordMessage(const SExpression& message);
  // Registers "MainLog" and "OfflineLog" (a name already registered keeps its stream)
  // under "OutputLogAddress"/TeamName + role + ".log" and ".log.off", records the init
  // answer, and prints the connection line and the paths of the logs that write.
  static void openLogs(char role, const SExpression& initAnswer, const std::string& connectedLine,
                       const Timer& timer);

  // Reads the next line of an offline log into the entry; false at the end of the
  // file (or on a read error), with the entry untouched. The millisecond is read in
  // decimal; a line whose head does not begin with one is read as not numbered.
  static bool parseOfflinePlayerLogLine(std::istream& in, OfflineLogEntry& entry);

 protected:
  // What hear does: records the message and hands it to the world model; false when the
  // world model refused it, so nothing above may act on it.
  bool hearMessage(const SExpression& message);
  // Opens the UDP link to "HostName"/"PlayerPort" and sends the init command.
  void initOnlineConnection();
  // Sends "(bye)" and releases the link.
  void closeOnlineConnection();
  void initVirtualConnection();
  void closeVirtualConnection();
  // Sends through the link; a link that has failed ends the run with status 1.
  void sendToServer(const std::string& text);
  // Replays the offline input log through the virtual link, one cycle (the lines up to
  // an "EndInf" record) at a time, with the decide and send permissions the record
  // gives, calling the SIGIO and SIGALRM handlers at the logged milliseconds.
  void offlinePlayerManager();
  // Opens "InputLogAddress"/TeamName + uniform character + ".log.off.in"; false when
  // the file cannot be read.
  bool initOfflinePlayerInputLog(std::ifstream& in) const;

  // Created by run() and released before it returns; null outside a run.
  std::unique_ptr<Connection> connection;
  std::unique_ptr<WorldModel> worldModel;
  // The commands of the current cycle, owned by the agent; null while empty.
  std::unique_ptr<Command> sayCommand;
  std::unique_ptr<Command> bodyCycleCommand;
  std::unique_ptr<Command> headCycleCommand;
  std::unique_ptr<Command> pointToCommand;
  std::unique_ptr<Command> attentionToCommand;
  std::unique_ptr<Command> changeViewCommand;
  // The previous cycle's body command, kept one cycle longer for the loss detection.
  std::unique_ptr<Command> lastBodyCycleCommand;
  // Milliseconds into the cycle at which the latest datagram was taken from the link.
  int lastReceiveMS = 0;
  bool bodyCycleCommandDecidePermitted = true;
  bool bodyCycleCommandSendPermitted = true;
  bool headCycleCommandDecidePermitted = true;
  bool headCycleCommandSendPermitted = true;
  int exitStatus = 0;

 private:
  // Parses and dispatches one datagram; a malformed one is logged and skipped.
  void dispatch(const std::string& text);
  // Prints why the init answer is refused and ends the run with status 1.
  void refuseInit(const std::string& reason);

  // Reads one replay batch: the lines up to the next "EndInf" record, whose permissions
  // it sets and whose millisecond it returns in endMS. True for the last batch, which
  // the end of the file closes with every permission.
  bool readOfflineBatch(std::istream& in, std::vector<OfflineLogEntry>& batch, int& endMS,
                        std::string& shortEndInf);
  // Replays the lines of one batch; a sense_body is handed over at senseBodyMS.
  void replayOfflineBatch(const std::vector<OfflineLogEntry>& batch, int senseBodyMS,
                          VirtualConnection& link, VirtualTimer& clock);

  bool initReceived = false;   // an init answer has been taken
  bool stopRequested = false;  // the run is to end after this burst
};

}  // namespace tovren
