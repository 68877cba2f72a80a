#include "coach/BasicCoach.h"

#include "agent/BasicAgent.h"
#include "connection/Command.h"
#include "connection/Connection.h"
#include "connection/OnlineConnection.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "foundation/SExpression.h"
#include "foundation/Timer.h"
#include "worldmodel/MessageFields.h"

#include <utility>
#include <vector>

namespace tovren {

namespace {

// The numbers and switches of "Agent" that the coach reads.
const std::vector<TypedSetting> kTypedSettings = {
    {"Server", "CoachPort", true, kMinPort, kMaxPort},
    {"Server", "OfflinePlayer", false},
    {"AgentLog", "LogToFile", false},
    {"AgentLog", "OffLogToFile", false},
};

struct MessageOperation {
  const char* header;
  void (BasicCoach::*operation)(const SExpression&);
};

// In the order in which the headers are compared: the message of every cycle first.
const MessageOperation kMessageOperations[] = {
    {"see_global", &BasicCoach::seeGlobal},
    {"hear", &BasicCoach::hear},
    {"fullstate", &BasicCoach::fullState},
    {"server_param", &BasicCoach::serverParam},
    {"player_param", &BasicCoach::playerParam},
    {"player_type", &BasicCoach::playerType},
    {"init", &BasicCoach::init},
    {"think", &BasicCoach::think},
    {"change_player_type", &BasicCoach::changePlayerType},
    {"ok", &BasicCoach::answer},
    {"warning", &BasicCoach::answer},
    {"error", &BasicCoach::answer},
};

// More commands than a few cycles send are not waiting for an answer but lost.
constexpr std::size_t kMaxUnanswered = 8;

// The first word of a command's text: "say" of "(say (freeform ...))".
std::string commandWord(const Command& command) {
  const std::string text = command.toString();
  return text.substr(1, text.find_first_of(" )") - 1);
}

void logSkipped(const char* why, const SExpression& message) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << why << message.toString() << std::endl;
}

}  // namespace

BasicCoach::BasicCoach(int argc, char** argv) {
  setConfigDefaults();
  BasicAgent::configure(argc, argv, kTypedSettings);
  worldModel = std::make_unique<CoachWorldModel>();
}

BasicCoach::~BasicCoach() = default;

void BasicCoach::setConfigDefaults() { BasicAgent::writeConfigDefaults("CoachPort"); }

// ---------------------------------------------------------------- run and signals

void BasicCoach::run() {
  if (config["Agent"]["Server"]["OfflinePlayer"].asBool()) return;
  BasicAgent::runOnline(
      *this, [this] { initOnlineConnection(); }, [this] { closeOnlineConnection(); });
}

void BasicCoach::initOnlineConnection() {
  const ConfigFile& agent = config["Agent"];
  connection = std::make_unique<OnlineConnection>(agent["Server"]["HostName"].asString(),
                                                  agent["Server"]["CoachPort"].asInt());
  const InitCommand command(agent["Public"]["TeamName"].asString(),
                            agent["Server"]["Version"].asString(), false);
  sendToServer(command.toString());
}

void BasicCoach::closeOnlineConnection() {
  const ByeCommand command;
  // Tried once; a failure is only printed, the run ends anyway.
  connection->sendLast(&command);
  connection.reset();
}

bool BasicCoach::sendToServer(const std::string& text) {
  if (!connection || connection->send(text)) return true;
  stopRequested = true;
  exitStatus = 1;
  return false;
}

bool BasicCoach::sendCommand(const Command& command) {
  if (!sendToServer(command.toString())) return false;
  if (unanswered.size() == kMaxUnanswered) unanswered.pop_front();
  unanswered.push_back(command.clone());
  return true;
}

int BasicCoach::signalsMask() { return 0x7f; }

void BasicCoach::sigAlrmTiming(long& firstMS, long& periodMS) {
  firstMS = 10;
  periodMS = 10;
}

bool BasicCoach::sigAlrmHandler() {
  ++sigAlrmCounter;
  // Opening the link may take longer than the 200 ticks: then the first tick after it.
  if (!eyeOnSent && sigAlrmCounter >= kEyeOnTick && connection) {
    eyeOnSent = true;
    sendCommand(EyeCommand(true));
  }
  return synchronize() && !stopRequested;
}

bool BasicCoach::sigIntHandler() { return BasicAgent::reportStop("Interrupt Handler."); }

bool BasicCoach::sigKillHandler() { return BasicAgent::reportStop("Kill Handler."); }

bool BasicCoach::sigQuitHandler() { return BasicAgent::reportStop("Quit Handler."); }

bool BasicCoach::sigTermHandler() { return BasicAgent::reportStop("Termination Handler."); }

bool BasicCoach::sigSegVHandler() { BasicAgent::reportSegmentationFault(); }

// ---------------------------------------------------------------- dispatch

bool BasicCoach::sigIOHandler() {
  // The handlers are installed before the link exists.
  if (!connection) return true;
  BasicAgent::drainLink(*connection, stopRequested,
                        [this](const std::string& text) { dispatch(text); });
  decide();
  return !stopRequested;
}

void BasicCoach::dispatch(const std::string& text) {
  const std::unique_ptr<SExpression> message = BasicAgent::parseDatagram(text);
  if (!message) return;
  const std::string header = static_cast<const SExpAtomic*>((*message)[0])->asString();
  for (const MessageOperation& each : kMessageOperations) {
    if (header == each.header) {
      (this->*each.operation)(*message);
      return;
    }
  }
  logSkipped("Skipping message with unknown header: ", *message);
}

// ---------------------------------------------------------------- message operations

void BasicCoach::seeGlobal(const SExpression& message) {
  int cycle = 0;
  if (!MessageFields::readInt(message, 1, cycle) || cycle < 0) {
    logSkipped("Skipping malformed message: ", message);
    return;
  }
  // Checked whole before anything moves: a refused view leaves no trace but its log line,
  // neither on the clock that the watchdog reads nor in the time or the history.
  if (!worldModel->checkSeeGlobal(message)) return;
  worldModel->setTimer().resetCycle(cycle);
  LogStream& mainLog = logger["MainLog"];
  mainLog.newCycle();
  if (mainLog.isOutValid()) mainLog << "RecStr: " << message.toString() << std::endl;
  worldModel->setCurTime(worldModel->getCurTime() + 1);
  worldModel->resetObjects();
  worldModel->parseSeeGlobal(message);
  worldModel->setCurCycle(static_cast<unsigned int>(cycle));
  worldModel->updatePlayModeRemainCycleAfterSenseBody();
  worldModel->logObjects();
  history.saveWorldModel(worldModel.get(), worldModel->getCurTime());
}

void BasicCoach::fullState(const SExpression& message) { BasicAgent::recordMessage(message); }

void BasicCoach::hear(const SExpression& message) {
  BasicAgent::recordMessage(message);
  worldModel->parseHear(message);
}

void BasicCoach::serverParam(const SExpression& message) {
  BasicAgent::recordMessage(message);
  worldModel->initServerParam(message);
}

void BasicCoach::playerParam(const SExpression& message) {
  BasicAgent::recordMessage(message);
  worldModel->initPlayerParam(message);
}

void BasicCoach::playerType(const SExpression& message) {
  BasicAgent::recordMessage(message);
  worldModel->initPlayerType(message);
}

void BasicCoach::think(const SExpression& message) { BasicAgent::recordMessage(message); }

void BasicCoach::changePlayerType(const SExpression& message) {
  BasicAgent::recordMessage(message);
  worldModel->parseChangePlayerType(message);
}

void BasicCoach::answer(const SExpression& message) {
  BasicAgent::recordMessage(message);
  const SExpAtomic* subject = MessageFields::atomAt(message, 1);
  if (MessageFields::isAtom(message, 0, "ok")) {
    // An acceptance names its command: those sent before it were not answered.
    while (!unanswered.empty()) {
      const bool named =
          subject != nullptr && commandWord(*unanswered.front()) == subject->asString();
      unanswered.pop_front();
      if (named) return;
    }
    return;
  }
  LogStream& log = logger["MainLog"];
  if (unanswered.empty()) {
    if (log.isOutValid()) log << "Answer to no command: " << message.toString() << std::endl;
    return;
  }
  const std::unique_ptr<Command> command = std::move(unanswered.front());
  unanswered.pop_front();
  if (!log.isOutValid()) return;
  if (const auto* change = commandAs<ChangePlayerCommand>(command.get())) {
    log << "Player " << change->getUniformNum() << "'s type change to type "
        << change->getPlayerType() << " refused: " << message.toString() << std::endl;
    return;
  }
  log << "Refused: " << command->toString() << " " << message.toString() << std::endl;
}

void BasicCoach::init(const SExpression& message) {
  const SExpAtomic* side = MessageFields::atomAt(message, 1);
  const char sideLetter = side == nullptr ? '\0' : side->asString()[0];
  if (!MessageFields::isAtom(message, 0, "init") || (sideLetter != 'l' && sideLetter != 'r')) {
    logSkipped("Skipping malformed message: ", message);
    return;
  }
  // The server answers once; a second answer must not empty the logs being written.
  if (initReceived) {
    logSkipped("Skipping repeated init answer: ", message);
    return;
  }
  initReceived = true;
  worldModel->setFieldSide(sideLetter == 'l' ? SI_LEFT : SI_RIGHT);
  BasicAgent::openLogs('C', message, "Coach is connected.", worldModel->getTimer());
}

}  // namespace tovren
