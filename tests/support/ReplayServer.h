#pragma once

#include "support/ChildProcess.h"

#include <string>
#include <vector>

// The repository's stand-in server, tests/support/replay-server.py, playing a recorded
// conversation to one client on 127.0.0.1.

namespace tovren::support {

class ReplayServer {
 public:
  // Starts it in the directory with the options (--capture, --record, --tail, ...; never
  // --port: it binds a free port itself), its outputs in "server-out.txt" and
  // "server-err.txt" there, and returns once it has reported its port, has ended or the
  // time is up.
  ReplayServer(const std::string& directory, const std::vector<std::string>& options);

  // The port it waits on for the init; 0 when it did not start.
  int getPort() const { return port; }
  // What it printed on its standard error: why it did not start.
  std::string errors() const;

  ChildProcess process;

 private:
  std::string directory;
  int port = 0;
};

}  // namespace tovren::support
