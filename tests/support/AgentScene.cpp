#include "support/AgentScene.h"

#include "connection/VirtualConnection.h"
#include "foundation/Check.h"
#include "foundation/Timer.h"
#include "support/Scene.h"
#include "worldmodel/WorldModel.h"

#include <unistd.h>

#include <climits>
#include <filesystem>
#include <sstream>

namespace tovren {
namespace support {

std::string agentConfigText(const std::vector<std::pair<std::string, std::string>>& changes) {
  const std::vector<std::string> shipped =
      readLines(std::string(TOVREN_SOURCE_DIR) + "/Configs/Agent.conf");
  TOVREN_CHECK_NAMED(!shipped.empty(), "Configs/Agent.conf");
  std::ostringstream text;
  for (const std::string& line : shipped) {
    const std::string key = line.substr(0, line.find(" = "));
    bool replaced = false;
    for (const auto& change : changes) {
      if (line.find(" = ") != std::string::npos && key == change.first) {
        text << key << " = " << change.second << "\n";
        replaced = true;
      }
    }
    if (!replaced) text << line << "\n";
  }
  return text.str();
}

void copyPlayerValueFiles(const std::string& folder) {
  std::filesystem::create_directories(folder + "/Configs");
  for (const char* name : {"DecidingWeights.conf", "PassFactors.conf"}) {
    const std::string relative = std::string("/Configs/") + name;
    std::filesystem::copy_file(std::string(TOVREN_SOURCE_DIR) + relative, folder + relative,
                               std::filesystem::copy_options::overwrite_existing);
  }
}

void ProbeAgent::senseBody(const SExpression& message) {
  operations.push_back("senseBody");
  AdvancedAgent::senseBody(message);
}

void ProbeAgent::see(const SExpression& message) {
  operations.push_back("see");
  AdvancedAgent::see(message);
}

void ProbeAgent::hear(const SExpression& message) {
  operations.push_back("hear");
  AdvancedAgent::hear(message);
}

void ProbeAgent::fullState(const SExpression& message) {
  operations.push_back("fullState");
  AdvancedAgent::fullState(message);
}

void ProbeAgent::serverParam(const SExpression& message) {
  operations.push_back("serverParam");
  AdvancedAgent::serverParam(message);
}

void ProbeAgent::playerParam(const SExpression& message) {
  operations.push_back("playerParam");
  AdvancedAgent::playerParam(message);
}

void ProbeAgent::playerType(const SExpression& message) {
  operations.push_back("playerType");
  AdvancedAgent::playerType(message);
}

void ProbeAgent::init(const SExpression& message) {
  operations.push_back("init");
  AdvancedAgent::init(message);
}

void ProbeAgent::think(const SExpression& message) {
  operations.push_back("think");
  AdvancedAgent::think(message);
}

void ProbeAgent::changePlayerType(const SExpression& message) {
  operations.push_back("changePlayerType");
  AdvancedAgent::changePlayerType(message);
}

bool ProbeAgent::decide() {
  ++decideCount;
  return AdvancedAgent::decide();
}

void ProbeAgent::queue(const std::string& text) {
  if (!connection) initVirtualConnection();
  dynamic_cast<VirtualConnection&>(*connection).addMessage(text);
}

VirtualTimer& ProbeAgent::virtualTimer() {
  return dynamic_cast<VirtualTimer&>(worldModel->setTimer());
}

std::unique_ptr<ProbeAgent> makeAgent(const ScratchDirectory& directory,
                                      const std::vector<std::string>& arguments,
                                      const std::string& configText) {
  return makeAgentWith(
      [](int argc, char** argv) { return std::make_unique<ProbeAgent>(argc, argv); }, directory,
      arguments, configText);
}

std::unique_ptr<ProbeAgent> makeAgentWith(
    const std::function<std::unique_ptr<ProbeAgent>(int, char**)>& build,
    const ScratchDirectory& directory, const std::vector<std::string>& arguments,
    const std::string& configText) {
  directory.write("Configs/Agent.conf", configText);
  copyPlayerValueFiles(directory.path());
  std::vector<std::string> words = {"tovren"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  char previous[PATH_MAX];
  TOVREN_CHECK_NAMED(getcwd(previous, sizeof previous) != nullptr, "getcwd");
  TOVREN_CHECK_NAMED(chdir(directory.path().c_str()) == 0, "chdir");
  std::unique_ptr<ProbeAgent> agent = build(static_cast<int>(words.size()), argv.data());
  TOVREN_CHECK_NAMED(chdir(previous) == 0, "chdir back");
  return agent;
}

std::ostringstream& captureOfflineLog() { return captureLog("OfflineLog"); }

std::string firstMessage(const std::string& side, const std::string& file,
                         const std::string& header) {
  const std::vector<std::string> texts = receivedMessages(fixturePath(side, file), header);
  TOVREN_CHECK_NAMED(!texts.empty(), "a recorded message with the header");
  return texts.front();
}

}  // namespace support
}  // namespace tovren
