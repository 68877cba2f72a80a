#pragma once

#include <istream>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Reading what a match on the real simulation server, or a run against the replay server,
// leaves behind: the server's text log ("cycle,stop-cycle<TAB>Recv TEAM_N: (command)" for
// what a client sent and "cycle,stop-cycle<TAB>(referee MODE)" for a change of play mode),
// the datagrams a player sent, the readable logs of the players and coaches, and their
// outputs. Each check gives its problems as lines of text, none when all is well.

namespace tovren::support {

struct ServerLogLine {
  int cycle = 0;
  int stopCycle = 0;   // steps while the clock stands (before kick-off); 0 in play
  std::string sender;  // "Tovren_7", "Tovren_Coach"; empty for the referee
  std::string text;    // what the client sent, or "(referee MODE)"
};

// The lines of both kinds; any other line is left out.
std::vector<ServerLogLine> readServerLog(std::istream& in);

// The names of the top-level commands of a datagram: "(dash 80)(turn_neck 10)" gives
// "dash" and "turn_neck".
std::vector<std::string> commandNames(const std::string& text);

// A command of a datagram: its name and its arguments. A quoted text (a say, whose
// alphabet holds parentheses) is one argument with its quotes, a nested list one argument
// in parentheses with its words joined by blanks.
struct DatagramCommand {
  std::string name;
  std::vector<std::string> arguments;
};
// The commands of a datagram; nothing when it is not one or more lists side by side, each
// with an atom first.
std::optional<std::vector<DatagramCommand>> parseCommands(const std::string& datagram);
// Whether a word outside quotes reads "nan" or "inf", in any case, signed or not.
bool hasNonFiniteWord(const std::string& text);
// What is wrong with a datagram a player sent: not a list of commands, a "nan" or "inf"
// outside quotes, a command a player does not send, or arguments of another shape (numbers
// that read whole and finite, a say text of at most 10 characters, a teammate's or
// opponent's uniform number 1 to 11).
std::vector<std::string> playerCommandProblems(const std::string& datagram);

// The cycles played in play_on: a referee's mode holds from its cycle on, the log
// starts before kick-off.
std::set<int> playOnCycles(const std::vector<ServerLogLine>& lines);

struct Coverage {
  int playOn = 0;          // play_on cycles of the match
  int withCommand = 0;     // of them, the cycles in which the sender sent anything
  int withBody = 0;        // ... a body command (dash, kick, turn, tackle, catch, move)
  int longestSilence = 0;  // play_on cycles in a row without a command
  int silenceFrom = -1;    // the first cycle of that run
};
Coverage coverage(const std::vector<ServerLogLine>& lines, const std::string& sender,
                  const std::set<int>& playOn);

// The team's eleven players ("TEAM_1" .. "TEAM_11") and its coach ("TEAM_Coach").
std::vector<std::string> teamSenders(const std::string& team);

// Senders of the list that the log never names.
std::vector<std::string> missingSenders(const std::vector<ServerLogLine>& lines,
                                        const std::vector<std::string>& senders);
// A share of the play_on cycles below the least, or a silence longer than the most
// (negative: not checked), for each sender.
std::vector<std::string> coverageProblems(const std::vector<ServerLogLine>& lines,
                                          const std::vector<std::string>& senders,
                                          double leastShare, int mostSilentCycles);
// Whether a player of the team sent a kick in a play_on cycle.
bool kickedInPlayOn(const std::vector<ServerLogLine>& lines, const std::string& team);
// Senders whose last datagram was not "(bye)".
std::vector<std::string> lastNotBye(const std::vector<ServerLogLine>& lines,
                                    const std::vector<std::string>& senders);
// Datagrams with a "nan" or "inf" number.
std::vector<std::string> nonFiniteCommands(const std::vector<ServerLogLine>& lines);

// What the server lets a coach change: the number of player types, and the changes
// allowed once the match has kicked off.
struct ChangeLimits {
  int playerTypes = 0;
  int subsMax = 0;
};
// The coach's change_player_type commands against its readable log and the server's:
// every one sent is in the server's log, names an own uniform number and a known type,
// no more changes after kick-off than allowed, and none refused with a warning.
std::vector<std::string> coachChangeProblems(const std::vector<ServerLogLine>& lines,
                                             const std::string& team, std::istream& coachLog,
                                             const ChangeLimits& limits);
// The value of a "player::KEY = VALUE" line of the text of the server's player.conf, or -1.
int serverSetting(const std::string& playerConf, const std::string& key);

// Lines of a readable log that hold an "(error" answer from the server.
std::vector<std::string> errorAnswers(std::istream& readableLog);

struct SeeToSend {
  std::vector<int> ms;  // for each see followed by a send in its cycle
  int senseBodies = 0;  // cycles the player lived
};
// From a player's readable log: the time from each see's arrival to the next send of its
// cycle.
SeeToSend seeToSend(std::istream& readableLog);
// The value below which the share of the values lie (nearest rank); 0 for none.
int percentile(std::vector<int> values, double share);

// One cycle of a player's readable log, from a sense_body to the next.
struct PlayerCycle {
  int number = 0;         // the sense_bodies so far, 1 for the first
  int tackleExpires = 0;  // the cycles a tackle still holds the body, from the sense_body
  int seeMS = -1;         // when the cycle's first see was handled; -1 without one
  bool decided = false;   // a body decision ran
  bool bodySent = false;  // a datagram of the cycle held a body command
  int lastMS = -1;        // the millisecond of its last line but "End of cycle."
  // A datagram went out after its last body decision, or after its see without one.
  bool sentAfterDecision = false;
};
std::vector<PlayerCycle> playerCycles(std::istream& readableLog);

struct MissingBodies {
  std::vector<std::string> problems;
  int checked = 0;  // cycles the rule holds for
  int late = 0;     // of them, cycles passed over as too late to send
};
// Cycles from the first one on, with no tackle running, in which a see arrived or a body
// decision ran but no body command went out. A cycle is passed over as too late when its
// last line came from the late millisecond on and nothing went out after its last
// decision (or its see): they came when nothing could be sent any more.
MissingBodies missingBodies(const std::vector<PlayerCycle>& cycles, int firstCycle, int lateMS);

// Lines of a readable log that tell of a nan or inf written into a command as 0.00.
std::vector<std::string> nonFiniteWrites(std::istream& readableLog);

// Lines of a process's output in which a sanitizer reports.
std::vector<std::string> sanitizerReports(std::istream& output);

}  // namespace tovren::support
