#include "agent/BasicAgent.h"

#include "connection/Command.h"
#include "connection/Connection.h"
#include "connection/OnlineConnection.h"
#include "connection/VirtualConnection.h"
#include "foundation/Check.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "foundation/SExpression.h"
#include "foundation/SignalHandler.h"
#include "foundation/Timer.h"
#include "worldmodel/Body.h"
#include "worldmodel/MessageFields.h"
#include "worldmodel/WorldModel.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <utility>

namespace tovren {

namespace {

const char* const kConfigPath = "./Configs/Agent.conf";

// The numbers and switches of "Agent" that the player reads.
const std::vector<TypedSetting> kTypedSettings = {
    {"Server", "PlayerPort", true, kMinPort, kMaxPort},
    {"Server", "OfflinePlayer", false},
    {"Public", "IsGoalie", false},
    {"Public", "UniformNum", true},
    {"Public", "LatestTrick", false},
    {"AgentLog", "LogToFile", false},
    {"AgentLog", "OffLogToFile", false},
};

// The server sends a few datagrams per cycle; a flood cannot hold the handler longer
// than this, and what is left is read at the next SIGIO.
constexpr int kMaxDatagramsPerBurst = 10000;

constexpr unsigned int kMaxUniformNumber = 11;

// The clang versions the player understands.
constexpr int kCLangMinVersion = 7;
constexpr int kCLangMaxVersion = 9;

struct MessageOperation {
  const char* header;
  void (BasicAgent::*operation)(const SExpression&);
};

// In the order in which the headers are compared.
const MessageOperation kMessageOperations[] = {
    {"sense_body", &BasicAgent::senseBody},
    {"see", &BasicAgent::see},
    {"hear", &BasicAgent::hear},
    {"fullstate", &BasicAgent::fullState},
    {"server_param", &BasicAgent::serverParam},
    {"player_param", &BasicAgent::playerParam},
    {"player_type", &BasicAgent::playerType},
    {"init", &BasicAgent::init},
    {"think", &BasicAgent::think},
    {"change_player_type", &BasicAgent::changePlayerType},
};

// Whether a message of the offline log can be handed to the dispatch.
bool isReplayable(const OfflineLogEntry& entry) {
  return !entry.message.empty() && SExpression::isWellFormed(entry.message);
}

bool hasHeader(const std::string& message, const char* header) {
  const std::string::size_type length = std::strlen(header);
  return message.size() > length && message.compare(1, length, header) == 0;
}

// A teammate's or coach's hear that arrived with the message before it: the replay
// hands both over in one burst. Referee calls come on their own.
bool isJoinedHear(const OfflineLogEntry& entry) {
  return entry.numbered && entry.label == "RecStr" && isReplayable(entry) &&
         hasHeader(entry.message, "hear") && entry.message.find("referee") == std::string::npos;
}

// Registers the stream of one log name: a file when its switch is on, else a null log.
void openLog(const std::string& name, const std::string& path, bool toFile, const Timer& timer) {
  // Building a LogFile empties its file: never for a name that is already taken.
  if (logger.isRegistered(name)) return;
  if (!toFile) {
    logger.add(name, new LogNull());
    return;
  }
  // The log still exists when its file cannot be opened, but its lines are lost.
  if (!std::ofstream(path)) {
    std::cerr << "Warning: cannot open the log file " << path << std::endl;
  }
  logger.add(name, new LogFile(path, &timer));
}

}  // namespace

BasicAgent::BasicAgent(int argc, char** argv) {
  setConfigDefaults();
  configure(argc, argv, kTypedSettings);
  worldModel = std::make_unique<WorldModel>();
}

void BasicAgent::configure(int argc, char** argv, const std::vector<TypedSetting>& typed) {
  ConfigFile& agent = config["Agent"];
  agent.setByFile(kConfigPath);
  if (!agent.setByArguments(argc, argv)) {
    std::exit(1);
  }
  for (const TypedSetting& setting : typed) {
    const ConfigValue& value = agent[setting.group][setting.key];
    if (setting.isNumber) {
      value.readInt(setting.low, setting.high);
    } else {
      value.readBool();
    }
  }
  for (const CommandLimits::Key& limit : CommandLimits::KEYS) {
    agent["Server"][limit.configKey].readFloat(limit.low, limit.high);
  }
}

BasicAgent::~BasicAgent() = default;

void BasicAgent::setConfigDefaults() {
  writeConfigDefaults("PlayerPort");
  config["Agent"]["Public"].add("LatestTrick", "False");
}

void BasicAgent::writeConfigDefaults(const char* portKey) {
  config.add("Agent");
  ConfigFile& agent = config["Agent"];

  agent.addGroup("Server");
  ConfigGroup& server = agent["Server"];
  server.add("HostName", "localhost");
  server.add(portKey, "6000");
  server.add("Version", "9.4.5");
  server.add("OfflinePlayer", "False");
  // The servers the player was first written for obeyed every dash, tackle and catch.
  const CommandLimits specified;
  for (const CommandLimits::Key& limit : CommandLimits::KEYS) {
    std::ostringstream text;
    text << specified.*limit.field;
    server.add(limit.configKey, text.str());
  }

  agent.addGroup("Public");
  ConfigGroup& team = agent["Public"];
  team.add("TeamName", "Tovren");
  team.add("IsGoalie", "False");
  team.add("UniformNum", "0");

  agent.addGroup("AgentLog");
  ConfigGroup& log = agent["AgentLog"];
  log.add("LogToFile", "False");
  log.add("OffLogToFile", "False");
  log.add("InputLogAddress", ".");
  log.add("OutputLogAddress", ".");
}

// ---------------------------------------------------------------- run and signals

void BasicAgent::run() {
  if (config["Agent"]["Server"]["OfflinePlayer"].asBool()) {
    initVirtualConnection();
    offlinePlayerManager();
    closeVirtualConnection();
    return;
  }
  runOnline(
      *this, [this] { initOnlineConnection(); }, [this] { closeOnlineConnection(); });
}

void BasicAgent::runOnline(SignalHandled& role, const std::function<void()>& open,
                           const std::function<void()>& close) {
  // Neither a late alarm nor a late datagram may meet the default actions restored
  // here: either would end the process before "(bye)".
  const auto unwire = [] {
    SignalHandler::stopTimer();
    SignalHandler::finalSignalHandlers();
  };
  // The handlers come before the link, so the SIGIO of the first answer is not missed.
  SignalHandler::initSignalHandlers(&role);
  try {
    open();
  } catch (const UserError&) {
    // An unknown host: no handler may outlive the role that main is about to delete.
    unwire();
    throw;
  }
  SignalHandler::run();
  unwire();
  close();
}

bool BasicAgent::reportStop(const char* text) {
  logger["MainLog"] << text << std::endl;
  std::cout << text << std::endl;
  return false;
}

void BasicAgent::reportSegmentationFault() {
  // After a fault neither a stream nor a log can be trusted: one raw write, then out.
  static const char kText[] = "Segmentation Violation Handler.\n";
  const ssize_t written = write(STDOUT_FILENO, kText, sizeof kText - 1);
  static_cast<void>(written);
  _exit(1);
}

void BasicAgent::initOnlineConnection() {
  const ConfigFile& agent = config["Agent"];
  connection = std::make_unique<OnlineConnection>(agent["Server"]["HostName"].asString(),
                                                  agent["Server"]["PlayerPort"].asInt());
  const InitCommand command(agent["Public"]["TeamName"].asString(),
                            agent["Server"]["Version"].asString(),
                            agent["Public"]["IsGoalie"].asBool());
  sendToServer(command.toString());
}

void BasicAgent::closeOnlineConnection() {
  const ByeCommand command;
  // Tried once; a failure is only printed, the run ends anyway.
  connection->sendLast(&command);
  connection.reset();
}

void BasicAgent::sendToServer(const std::string& text) {
  if (!connection || connection->send(text)) return;
  stopRequested = true;
  exitStatus = 1;
}

void BasicAgent::initVirtualConnection() { connection = std::make_unique<VirtualConnection>(); }

void BasicAgent::closeVirtualConnection() { connection.reset(); }

void BasicAgent::offlinePlayerManager() {
  VirtualConnection* link = dynamic_cast<VirtualConnection*>(connection.get());
  TOVREN_CHECK(link != nullptr);
  VirtualTimer* clock = dynamic_cast<VirtualTimer*>(&worldModel->setTimer());
  TOVREN_CHECK(clock != nullptr);

  const int uniNum = config["Agent"]["Public"]["UniformNum"].asInt();
  if (uniNum <= 0) {
    std::cout << "Offline Player Manager : you must specify player number." << std::endl;
    std::cout << "Type \"--number pnum\" after command." << std::endl;
    return;
  }
  std::ifstream in;
  if (!initOfflinePlayerInputLog(in)) {
    std::cout << "Offline Player Manager : can not open input log file for player " << uniNum
              << std::endl;
    return;
  }

  // One batch is one logged cycle; the table is reused, so memory follows the longest
  // cycle rather than the length of the log.
  std::vector<OfflineLogEntry> batch;
  int senseBodyMS = 0;
  bool last = false;
  while (!last) {
    int endMS = 0;
    std::string shortEndInf;
    last = readOfflineBatch(in, batch, endMS, shortEndInf);
    replayOfflineBatch(batch, senseBodyMS, *link, *clock);
    if (!shortEndInf.empty()) {
      logger["MainLog"] << "Short EndInf record, its missing digits taken as 1: " << shortEndInf
                        << std::endl;
    }
    senseBodyMS = endMS;
  }
  in.close();
  logger["MainLog"] << "End of input offline log." << std::endl;
}

bool BasicAgent::initOfflinePlayerInputLog(std::ifstream& in) const {
  const ConfigFile& agent = config["Agent"];
  // An empty address means the working directory, not the root.
  std::string address = agent["AgentLog"]["InputLogAddress"].asString();
  if (address.empty()) address = ".";
  const unsigned int uniNum = static_cast<unsigned int>(agent["Public"]["UniformNum"].asInt());
  const std::string path = address + "/" + agent["Public"]["TeamName"].asString() +
                           getPlayerCharacter(uniNum) + ".log.off.in";
  in.open(path);
  return in.is_open() && in.good();
}

bool BasicAgent::parseOfflinePlayerLogLine(std::istream& in, OfflineLogEntry& entry) {
  std::string line;
  if (!std::getline(in, line)) return false;
  const std::string::size_type colon = line.find(':');
  const std::string head = line.substr(0, colon);

  entry = OfflineLogEntry();
  entry.line = line;
  // Read in decimal: the stamps are zero-padded ("0012" is 12, not octal).
  const char* begin = head.c_str();
  char* end = nullptr;
  errno = 0;
  const long ms = std::strtol(begin, &end, 10);
  entry.numbered = end != begin && errno == 0 && ms >= INT_MIN && ms <= INT_MAX;
  if (entry.numbered) entry.ms = static_cast<int>(ms);
  std::istringstream rest(entry.numbered ? std::string(end) : std::string());
  std::string point;
  rest >> point >> entry.label;
  // The blank after the colon is skipped unseen; a colon at the very end leaves nothing.
  if (colon != std::string::npos && colon + 2 <= line.size()) {
    entry.message = line.substr(colon + 2);
  }
  return true;
}

bool BasicAgent::readOfflineBatch(std::istream& in, std::vector<OfflineLogEntry>& batch, int& endMS,
                                  std::string& shortEndInf) {
  constexpr std::size_t kEndInfDigits = 4;
  batch.clear();
  OfflineLogEntry entry;
  while (parseOfflinePlayerLogLine(in, entry)) {
    if (!entry.numbered || entry.label != "EndInf") {
      batch.push_back(std::move(entry));
      continue;
    }
    // A short record still closes its cycle; what it does not say is allowed.
    std::string digits = entry.message.substr(0, kEndInfDigits);
    if (digits.size() < kEndInfDigits) {
      shortEndInf = entry.line;
      digits.resize(kEndInfDigits, '1');
    }
    bodyCycleCommandDecidePermitted = digits[0] != '0';
    bodyCycleCommandSendPermitted = digits[1] != '0';
    headCycleCommandDecidePermitted = digits[2] != '0';
    headCycleCommandSendPermitted = digits[3] != '0';
    endMS = entry.ms;
    return false;
  }
  bodyCycleCommandDecidePermitted = true;
  bodyCycleCommandSendPermitted = true;
  headCycleCommandDecidePermitted = true;
  headCycleCommandSendPermitted = true;
  return true;
}

void BasicAgent::replayOfflineBatch(const std::vector<OfflineLogEntry>& batch, int senseBodyMS,
                                    VirtualConnection& link, VirtualTimer& clock) {
  for (std::size_t i = 0; i < batch.size(); ++i) {
    const OfflineLogEntry& entry = batch[i];
    if (!entry.numbered) {
      logger["MainLog"] << "Skipping offline log line without its millisecond: " << entry.line
                        << std::endl;
      continue;
    }
    if (entry.label == "RecStr") {
      if (!isReplayable(entry)) {
        logger["MainLog"] << "Skipping offline log line with an empty or malformed message: "
                          << entry.line << std::endl;
        continue;
      }
      link.addMessage(entry.message);
      // A sense_body was handled when its cycle's record was written, on the old clock.
      clock.setCurMS(hasHeader(entry.message, "sense_body") ? senseBodyMS : entry.ms);
      while (i + 1 < batch.size() && isJoinedHear(batch[i + 1])) {
        link.addMessage(batch[++i].message);
      }
      sigIOHandler();
    } else if (entry.label == "EmgSend") {
      clock.setCurMS(entry.ms);
      // A server silence that the logged millisecond reports does not end the replay:
      // the messages after it are still replayed.
      const bool stopBefore = stopRequested;
      sigAlrmHandler();
      stopRequested = stopBefore;
    }
  }
}

int BasicAgent::signalsMask() { return 0x7f; }

void BasicAgent::sigAlrmTiming(long& firstMS, long& periodMS) {
  firstMS = 10;
  periodMS = 10;
}

bool BasicAgent::sigAlrmHandler() {
  // Under load another alarm can come before the run sees the stop: it must not report
  // the stop a second time.
  if (stopRequested) return false;
  if (!synchronize()) stopRequested = true;
  return !stopRequested;
}

bool BasicAgent::sigIntHandler() { return reportStop("Interrupt Handler."); }

bool BasicAgent::sigKillHandler() { return reportStop("Kill Handler."); }

bool BasicAgent::sigQuitHandler() { return reportStop("Quit Handler."); }

bool BasicAgent::sigTermHandler() { return reportStop("Termination Handler."); }

bool BasicAgent::sigSegVHandler() { reportSegmentationFault(); }

// ---------------------------------------------------------------- dispatch

bool BasicAgent::sigIOHandler() {
  // The handlers are installed before the link exists.
  if (!connection) return true;
  drainLink(*connection, stopRequested, [this](const std::string& text) { dispatch(text); });
  decide();
  return !stopRequested;
}

void BasicAgent::drainLink(Connection& link, const bool& stopRequested,
                           const std::function<void(const std::string&)>& dispatch) {
  std::string text;
  for (int count = 0; count < kMaxDatagramsPerBurst && !stopRequested; ++count) {
    if (link.receive(text) != 1) break;
    dispatch(text);
  }
}

std::unique_ptr<SExpression> BasicAgent::parseDatagram(const std::string& text) {
  // Nothing that arrives over the network may stop the process, and the parser stops
  // on anything that does not begin with one complete list headed by an atom.
  const std::size_t length = SExpression::firstListLength(text);
  if (length == 0) {
    logger["MainLog"] << "Skipping malformed message: " << text << std::endl;
    return nullptr;
  }
  const std::size_t rest = text.find_first_not_of(" \t\r\n", length);
  if (rest != std::string::npos) {
    logger["MainLog"] << "Ignoring text after the message: " << text.substr(rest) << std::endl;
  }
  unsigned int pos = 0;
  return std::make_unique<SExpression>(text, pos);
}

void BasicAgent::dispatch(const std::string& text) {
  lastReceiveMS = static_cast<int>(worldModel->getTimer().now());
  const std::unique_ptr<SExpression> parsed = parseDatagram(text);
  if (!parsed) return;
  const SExpression& message = *parsed;
  const std::string header = static_cast<const SExpAtomic*>(message[0])->asString();
  // A cycle starts with a sense_body in every layer: a malformed one must not start
  // one, so it is tried on a copy of the body before any layer sees it.
  if (header == "sense_body") {
    Body probe(worldModel->getBody());
    if (!probe.parseSenseBody(message, worldModel->getFieldSide())) return;
  }
  for (const MessageOperation& each : kMessageOperations) {
    if (header == each.header) {
      (this->*each.operation)(message);
      return;
    }
  }
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) {
    log << "Skipping message with unknown header: " << message.toString() << std::endl;
  }
}

void BasicAgent::recordMessage(const SExpression& message) {
  LogStream& mainLog = logger["MainLog"];
  LogStream& offlineLog = logger["OfflineLog"];
  // Rendering a parameter message is not free; with both logs off nothing is built.
  if (!mainLog.isOutValid() && !offlineLog.isOutValid()) return;
  const std::string text = message.toString();
  mainLog << "RecStr: " << text << std::endl;
  offlineLog << "RecStr: " << text << std::endl;
}

// ---------------------------------------------------------------- message operations

void BasicAgent::senseBody(const SExpression& message) {
  int cycle = 0;
  if (!MessageFields::readInt(message, 1, cycle)) {
    logger["MainLog"] << "Skipping malformed message: " << message.toString() << std::endl;
    return;
  }
  logEndInf();
  worldModel->setTimer().resetCycle(cycle);
  logger["MainLog"].newCycle();
  recordMessage(message);
  worldModel->setCurTime(worldModel->getCurTime() + 1);
  worldModel->setBody().parseSenseBody(message, worldModel->getFieldSide());
  checkForLosts();
  if (!isBodyCycleCommandLost()) {
    worldModel->setBody().simulateByAction(bodyCycleCommand.get(), true);
  }
  worldModel->setBody().simulateByDynamics(true);
  worldModel->setBody().completeParseSenseBody();
  const Body snapshot(worldModel->getBody());
  worldModel->simulateObjects(snapshot,
                              isBodyCycleCommandLost() ? nullptr : bodyCycleCommand.get());
  worldModel->setCurCycle(worldModel->getBody().getSenseBodyCycle());
  worldModel->updateSeeDeltaCyclesAfterSenseBody();
  worldModel->updatePlayModeRemainCycleAfterSenseBody();
  worldModel->logObjects();
}

void BasicAgent::see(const SExpression& message) {
  recordMessage(message);
  worldModel->resetObjects();
  worldModel->parseSee(message);
  worldModel->updateObjects();
  worldModel->updateSeeDeltaCyclesAfterSee();
  worldModel->logObjects();
}

void BasicAgent::hear(const SExpression& message) { hearMessage(message); }

bool BasicAgent::hearMessage(const SExpression& message) {
  recordMessage(message);
  return worldModel->parseHear(message);
}

void BasicAgent::fullState(const SExpression& message) { recordMessage(message); }

void BasicAgent::serverParam(const SExpression& message) {
  recordMessage(message);
  worldModel->initServerParam(message);
}

void BasicAgent::playerParam(const SExpression& message) {
  recordMessage(message);
  worldModel->initPlayerParam(message);
}

void BasicAgent::playerType(const SExpression& message) {
  recordMessage(message);
  worldModel->initPlayerType(message);
}

void BasicAgent::think(const SExpression& message) { recordMessage(message); }

void BasicAgent::changePlayerType(const SExpression& message) {
  recordMessage(message);
  worldModel->parseChangePlayerType(message);
}

// ---------------------------------------------------------------- init answer

char BasicAgent::getPlayerCharacter(unsigned int uniNum) {
  if (uniNum <= 9) return static_cast<char>('0' + uniNum);
  return static_cast<char>('A' + (uniNum - 10));
}

void BasicAgent::init(const SExpression& message) {
  const SExpAtomic* side = MessageFields::atomAt(message, 1);
  const SExpAtomic* number = MessageFields::atomAt(message, 2);
  const SExpAtomic* playMode = MessageFields::atomAt(message, 3);
  int uniNum = 0;
  if (!MessageFields::isAtom(message, 0, "init") || side == nullptr ||
      (side->asString()[0] != 'l' && side->asString()[0] != 'r') ||
      !MessageFields::readInt(message, 2, uniNum) || playMode == nullptr) {
    logger["MainLog"] << "Skipping malformed message: " << message.toString() << std::endl;
    return;
  }
  // The server answers once; a second answer must not empty the logs being written.
  if (initReceived) {
    logger["MainLog"] << "Skipping repeated init answer: " << message.toString() << std::endl;
    return;
  }
  if (uniNum < 1 || uniNum > static_cast<int>(kMaxUniformNumber)) {
    refuseInit("uniform number " + number->asString() + " is outside 1 to 11");
    return;
  }
  if (playMode->asString() != "before_kick_off") {
    refuseInit("play mode " + playMode->asString() +
               ", but the player can join only before kick-off");
    return;
  }
  initReceived = true;

  const unsigned int n = static_cast<unsigned int>(uniNum);
  worldModel->setFieldSide(side->asString()[0] == 'l' ? SI_LEFT : SI_RIGHT);
  worldModel->setBody().setUniNum(n);
  worldModel->setBody().setGoalie(config["Agent"]["Public"]["IsGoalie"].asBool());
  worldModel->replaceBodyInPlayersList(n);
  openLogs(getPlayerCharacter(n), message, "Player " + std::to_string(n) + " connected.",
           worldModel->getTimer());

  const CLangVersionCommand command(kCLangMinVersion, kCLangMaxVersion);
  sendToServer(command.toString());
}

void BasicAgent::openLogs(char role, const SExpression& initAnswer,
                          const std::string& connectedLine, const Timer& timer) {
  const ConfigFile& agent = config["Agent"];
  // An empty address means the working directory.
  std::string address = agent["AgentLog"]["OutputLogAddress"].asString();
  if (address.empty()) address = ".";
  const std::string separator = address.back() == '/' ? "" : "/";
  const std::string mainPath =
      address + separator + agent["Public"]["TeamName"].asString() + role + ".log";
  const std::string offlinePath = mainPath + ".off";
  openLog("MainLog", mainPath, agent["AgentLog"]["LogToFile"].asBool(), timer);
  openLog("OfflineLog", offlinePath, agent["AgentLog"]["OffLogToFile"].asBool(), timer);

  recordMessage(initAnswer);
  std::cout << connectedLine << std::endl;
  if (logger["MainLog"].isOutValid()) std::cout << "    Log: " << mainPath << std::endl;
  if (logger["OfflineLog"].isOutValid()) std::cout << "    OffLog: " << offlinePath << std::endl;
}

void BasicAgent::refuseInit(const std::string& reason) {
  std::cout << "Init answer refused: " << reason << "." << std::endl;
  stopRequested = true;
  exitStatus = 1;
}

}  // namespace tovren
