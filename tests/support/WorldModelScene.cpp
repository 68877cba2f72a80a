#include "support/WorldModelScene.h"

#include "foundation/Check.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"

#include <cstdlib>
#include <fstream>

namespace tovren {
namespace support {

const char* const OWN_TEAM_NAME = "Tovren";

void setAgentConfig(bool offlinePlayer, const std::string& teamName) {
  config.add("Agent");
  ConfigFile& agent = config["Agent"];
  agent.addGroup("Server");
  agent.addGroup("Public");
  agent["Server"].add("OfflinePlayer", offlinePlayer ? "true" : "false");
  agent["Public"].add("TeamName", teamName);
}

std::ostringstream& captureMainLog() {
  // Lives to the end of the process, like the registry that writes into it.
  static std::ostringstream* text = nullptr;
  if (text == nullptr) {
    text = new std::ostringstream();
    logger.add("MainLog", new LogStream(text, nullptr));
  }
  text->str("");
  return *text;
}

std::unique_ptr<SExpression> parseMessage(const std::string& text) {
  TOVREN_CHECK(SExpression::isWellFormed(text));
  unsigned int pos = 0;
  return std::make_unique<SExpression>(text, pos);
}

std::unique_ptr<SExpression> parseEntry(const std::string& text) {
  TOVREN_CHECK(SExpression::isWellFormed("(see " + text + ")"));
  unsigned int pos = 0;
  return std::make_unique<SExpression>(text, pos);
}

std::string dataDirectory() { return TOVREN_TEST_DATA_DIR; }

std::string fixturePath(const std::string& side, const std::string& file) {
  return dataDirectory() + "/" + side + "/" + file;
}

std::vector<RecordedLine> readRecording(const std::string& path) {
  std::ifstream in(path);
  TOVREN_CHECK_NAMED(in.good(), "recorded fixture file");
  std::vector<RecordedLine> lines;
  std::string line;
  while (std::getline(in, line)) {
    std::string::size_type tab = line.find('\t');
    if (tab == std::string::npos) continue;
    RecordedLine recorded;
    recorded.ms = std::strtol(line.c_str(), nullptr, 10);
    recorded.text = line.substr(tab + 1);
    if (recorded.text.rfind("> ", 0) == 0) {
      recorded.sent = true;
      recorded.text.erase(0, 2);
    }
    lines.push_back(recorded);
  }
  return lines;
}

}  // namespace support
}  // namespace tovren
