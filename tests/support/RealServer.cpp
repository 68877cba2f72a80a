#include "support/RealServer.h"

#include "support/AgentScene.h"

#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace tovren::support {

namespace {

constexpr int kServerStartTimeoutMS = 30000;
constexpr int kServerStartAttempts = 5;
constexpr int kStopTimeoutMS = 20000;

// ", saying: LINE" for the output's last line that holds anything, else nothing.
std::string lastLine(const std::string& path) {
  const std::vector<std::string> lines = readLines(path);
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
    if (line->find_first_not_of(" \t") != std::string::npos) return ", saying: " + *line;
  }
  return "";
}

}  // namespace

const std::vector<std::pair<std::string, char>> kTeamProcesses = {
    {"player-01", '1'}, {"player-02", '2'}, {"player-03", '3'}, {"player-04", '4'},
    {"player-05", '5'}, {"player-06", '6'}, {"player-07", '7'}, {"player-08", '8'},
    {"player-09", '9'}, {"player-10", 'A'}, {"player-11", 'B'}, {"coach", 'C'}};

int findServerPorts() {
  for (int attempt = 0; attempt < 50; ++attempt) {
    const int port = findFreeUdpPort();
    if (port + 2 <= 65535 && isUdpPortFree(port + 1) && isUdpPortFree(port + 2)) return port;
  }
  return 0;
}

StartedServer startServer(const std::string& run, const std::string& directory,
                          const std::vector<std::string>& options,
                          const std::function<int()>& choosePorts) {
  StartedServer started;
  for (int attempt = 0; attempt < kServerStartAttempts; ++attempt) {
    const int port = choosePorts();
    if (port == 0) {
      started.failure += "\n  no three free UDP ports in a row";
      continue;
    }
    std::vector<std::string> arguments = {run,
                                          "server::port=" + std::to_string(port),
                                          "server::coach_port=" + std::to_string(port + 1),
                                          "server::olcoach_port=" + std::to_string(port + 2),
                                          "server::text_logging=true",
                                          "server::text_log_dir=" + directory,
                                          "server::text_log_fixed=true",
                                          "server::text_log_fixed_name=match",
                                          "server::game_logging=false"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    auto server = std::make_unique<ChildProcess>(arguments, directory, directory + "/server.out",
                                                 directory + "/server.err");
    // The start command execs the server, so the process is the server itself.
    const std::vector<int> ports = {port, port + 1, port + 2};
    if (waitUntil([&] { return !server->isRunning() || holdsUdpPorts(server->id(), ports); },
                  kServerStartTimeoutMS) &&
        server->isRunning()) {
      started.process = std::move(server);
      started.port = port;
      return started;
    }
    const std::optional<int> status = server->waitFor(0);
    started.failure += "\n  ports " + std::to_string(port) + "-" + std::to_string(port + 2) + ": " +
                       (status ? "ended with status " + std::to_string(*status)
                               : "held none of them after " +
                                     std::to_string(kServerStartTimeoutMS / 1000) + " s") +
                       lastLine(directory + "/server.err");
  }
  return started;
}

bool FileWatch::saw() {
  if (seen) return true;
  std::ifstream in(path, std::ios::binary);
  in.seekg(offset);
  const std::string fresh((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  offset += static_cast<std::streamoff>(fresh.size());
  const std::string window = carry + fresh;
  seen = window.find(text) != std::string::npos;
  carry = window.substr(window.size() - std::min(window.size(), text.size()));
  return seen;
}

bool waitForByes(const std::string& serverLog, const std::vector<std::string>& senders,
                 int timeoutMS) {
  std::vector<FileWatch> watches;
  for (const std::string& sender : senders) {
    watches.emplace_back(serverLog, "\tRecv " + sender + ": (bye)\n");
  }
  return waitUntil(
      [&] {
        bool all = true;
        for (FileWatch& watch : watches) all = watch.saw() && all;
        return all;
      },
      timeoutMS);
}

Team::Team(const std::string& name, const std::string& binary, const std::string& folder, int port)
    : name(name), folder(folder) {
  std::filesystem::create_directories(logs());
  std::filesystem::copy(std::string(TOVREN_SOURCE_DIR) + "/Configs", folder + "/Configs",
                        std::filesystem::copy_options::recursive);
  std::ofstream(folder + "/Configs/Agent.conf")
      << agentConfigText({{"LogToFile", "True"}, {"OutputLogAddress", logs()}});
  script = std::make_unique<ChildProcess>(
      std::vector<std::string>{std::string(TOVREN_SOURCE_DIR) + "/scripts/start-team.sh", "--host",
                               "127.0.0.1", "--port", std::to_string(port), "--team", name,
                               "--logdir", folder + "/out", "--workdir", folder, "--binary",
                               binary},
      folder, folder + "/script.out", folder + "/script.err");
}

Team::~Team() {
  if (script->isRunning()) {
    script->signal(SIGTERM);
    script->waitFor(kStopTimeoutMS);
  }
  for (const auto& each : kTeamProcesses) {
    const pid_t pid = processId(each.first);
    if (pid > 0 && !std::filesystem::exists(out(each.first + ".status"))) {
      kill(pid, SIGCONT);
      kill(pid, SIGKILL);
    }
  }
}

std::string Team::scriptOutput() const {
  return readFile(folder + "/script.out") + readFile(folder + "/script.err");
}

bool Team::hasStarted() const {
  const std::string said = readFile(folder + "/script.out");
  return said.find("coach started") != std::string::npos ||
         said.find("without its coach") != std::string::npos;
}

pid_t Team::processId(const std::string& process) const {
  std::ifstream in(out(process + ".pid"));
  pid_t pid = 0;
  return in >> pid ? pid : 0;
}

}  // namespace tovren::support
