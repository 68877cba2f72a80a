#pragma once

// Helpers for testing the player frame in process: a player built in a scratch
// directory from its own "Configs/Agent.conf", with its state open to the test, the
// message operations it ran recorded, and a virtual link to queue datagrams on.

#include "decisions/AdvancedAgent.h"
#include "support/ChildProcess.h"

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tovren {

class VirtualConnection;
class VirtualTimer;

namespace support {

// The shipped configuration file with the values of the given keys replaced (every key
// of the file stands in one group only).
std::string agentConfigText(const std::vector<std::pair<std::string, std::string>>& changes);
// Copies the value files the player reads at start-up (deciding weights, pass factors)
// from the repository into the folder's "Configs/".
void copyPlayerValueFiles(const std::string& folder);

// A player whose protected state the tests read and write.
class ProbeAgent : public AdvancedAgent {
 public:
  using AdvancedAgent::AdvancedAgent;

  using AdvancedAgent::headDecision;
  using AdvancedAgent::lastDecideType;
  using AdvancedAgent::sayDecision;
  using BasicAgent::attentionToCommand;
  using BasicAgent::bodyCycleCommand;
  using BasicAgent::changeViewCommand;
  using BasicAgent::connection;
  using BasicAgent::headCycleCommand;
  using BasicAgent::initVirtualConnection;
  using BasicAgent::lastBodyCycleCommand;
  using BasicAgent::lastReceiveMS;
  using BasicAgent::pointToCommand;
  using BasicAgent::sayCommand;
  using BasicAgent::worldModel;
  using SyncedAgent::getCycleLength;
  using SyncedAgent::getSeePeriod;

  // The message operations run, by name, in order ("senseBody", "see", ...).
  std::vector<std::string> operations;
  int decideCount = 0;

  void senseBody(const SExpression& message) override;
  void see(const SExpression& message) override;
  void hear(const SExpression& message) override;
  void fullState(const SExpression& message) override;
  void serverParam(const SExpression& message) override;
  void playerParam(const SExpression& message) override;
  void playerType(const SExpression& message) override;
  void init(const SExpression& message) override;
  void think(const SExpression& message) override;
  void changePlayerType(const SExpression& message) override;
  bool decide() override;

  // Queues a datagram on the virtual link (made on first use).
  void queue(const std::string& text);
  // The world model's timer; the player must be built with "--offline-player".
  VirtualTimer& virtualTimer();
};

// Builds a player in the directory with the given arguments after the program name and
// the configuration text, from within the directory, as the program runs.
std::unique_ptr<ProbeAgent> makeAgent(const ScratchDirectory& directory,
                                      const std::vector<std::string>& arguments,
                                      const std::string& configText = agentConfigText({}));

// The same for a player of a class derived from ProbeAgent, built by the function from
// the argument vector.
std::unique_ptr<ProbeAgent> makeAgentWith(
    const std::function<std::unique_ptr<ProbeAgent>(int, char**)>& build,
    const ScratchDirectory& directory, const std::vector<std::string>& arguments,
    const std::string& configText = agentConfigText({}));

template <typename Agent>
std::unique_ptr<Agent> makeAgentOf(const ScratchDirectory& directory,
                                   const std::vector<std::string>& arguments,
                                   const std::string& configText = agentConfigText({})) {
  std::unique_ptr<ProbeAgent> agent =
      makeAgentWith([](int argc, char** argv) { return std::make_unique<Agent>(argc, argv); },
                    directory, arguments, configText);
  return std::unique_ptr<Agent>(static_cast<Agent*>(agent.release()));
}

// Registers "OfflineLog" on a text buffer (once per process, without a timer) and
// empties the buffer. Call it before a replayed init answer could register the name.
std::ostringstream& captureOfflineLog();

// The first message of a recorded conversation whose header is the given one.
std::string firstMessage(const std::string& side, const std::string& file,
                         const std::string& header);

}  // namespace support
}  // namespace tovren
