#pragma once

#include "support/ChildProcess.h"

#include <sys/types.h>

#include <functional>
#include <ios>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Playing on the real simulation server: the server in a directory of its own, and whole
// teams of this program started by scripts/start-team.sh. The caller names the server's
// start command, as only the tests that play on it may know where it lives.

namespace tovren::support {

// The names start-team.sh gives the processes, and the character of each readable log.
extern const std::vector<std::pair<std::string, char>> kTeamProcesses;

// Three ports in a row, free a moment ago: players, trainer, online coach; 0 when none
// were found.
int findServerPorts();

// A server that holds its three ports, or why none was started.
struct StartedServer {
  std::unique_ptr<ChildProcess> process;  // null when no start held its ports
  int port = 0;                           // the players' port; the trainer's and the coach's follow
  std::string failure;                    // each start tried: its ports and how it ended
};

// Starts the server (its start command run in the directory) on three ports in a row
// from the first one choosePorts gives, with its text log in "directory/match.rcl", no
// game log, and the further "server::" options given; returns once it holds those
// ports. Ports can be taken between their choice and the server's bind: a start that
// ends or does not hold them in time is stopped and tried again on ports chosen anew.
StartedServer startServer(const std::string& run, const std::string& directory,
                          const std::vector<std::string>& options,
                          const std::function<int()>& choosePorts = findServerPorts);

// Looks for one text in a growing file, reading only what it gained since the last look:
// a watch for another text would miss what this one has read.
class FileWatch {
 public:
  FileWatch(std::string path, std::string text) : path(std::move(path)), text(std::move(text)) {}

  // Whether the text has appeared so far.
  bool saw();

 private:
  std::string path;
  std::string text;
  std::streamoff offset = 0;
  std::string carry;
  bool seen = false;
};

// Waits until the server's text log holds a "(bye)" from each sender ("Tovren_3",
// "Tovren_Coach"), at most the time; whether all came.
bool waitForByes(const std::string& serverLog, const std::vector<std::string>& senders,
                 int timeoutMS);

// One team run by scripts/start-team.sh in a folder of its own: the working directory
// with a copy of the repository's Configs/ (the players write their readable logs to
// logs/), the processes' outputs, ids and exit statuses in out/.
class Team {
 public:
  Team(const std::string& name, const std::string& binary, const std::string& folder, int port);
  // Processes that the script did not see end are stopped, so none outlives the test.
  ~Team();
  Team(const Team&) = delete;
  Team& operator=(const Team&) = delete;

  const std::string name;
  std::unique_ptr<ChildProcess> script;

  std::string logs() const { return folder + "/logs"; }
  std::string out(const std::string& file) const { return folder + "/out/" + file; }
  std::string readableLog(char role) const { return logs() + "/" + name + role + ".log"; }
  std::string scriptOutput() const;
  // Whether every player has connected (with its coach or without).
  bool hasStarted() const;
  pid_t processId(const std::string& process) const;

 private:
  std::string folder;
};

}  // namespace tovren::support
