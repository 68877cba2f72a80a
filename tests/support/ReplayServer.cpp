#include "support/ReplayServer.h"

#include <cstdlib>

namespace tovren::support {

namespace {

// Python's start on a loaded machine, with room to spare.
constexpr int kStartTimeoutMS = 30000;
const std::string kScript = std::string(TOVREN_SOURCE_DIR) + "/tests/support/replay-server.py";

std::vector<std::string> command(const std::vector<std::string>& options) {
  std::vector<std::string> argv = {"python3", kScript, "--port", "0"};
  argv.insert(argv.end(), options.begin(), options.end());
  return argv;
}

// The port of a whole "port N" line, 0 while there is none.
int reportedPort(const std::string& output) {
  const std::string::size_type end = output.find('\n');
  if (output.rfind("port ", 0) != 0 || end == std::string::npos) return 0;
  return std::atoi(output.substr(5, end - 5).c_str());
}

}  // namespace

ReplayServer::ReplayServer(const std::string& directory, const std::vector<std::string>& options)
    : process(command(options), directory, directory + "/server-out.txt",
              directory + "/server-err.txt"),
      directory(directory) {
  waitUntil(
      [this] {
        port = reportedPort(readFile(this->directory + "/server-out.txt"));
        return port != 0 || !process.isRunning();
      },
      kStartTimeoutMS);
}

std::string ReplayServer::errors() const { return readFile(directory + "/server-err.txt"); }

}  // namespace tovren::support
