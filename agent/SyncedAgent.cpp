#include "agent/SyncedAgent.h"

#include "connection/Command.h"
#include "connection/Connection.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "foundation/Timer.h"
#include "worldmodel/Body.h"
#include "worldmodel/MessageFields.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <climits>
#include <iostream>
#include <memory>
#include <optional>
#include <utility>

namespace tovren {

namespace {

// The server has said nothing for this long (from start-up, or since the last
// sense_body): it is gone.
constexpr long kServerSilenceMS = 9990;

// What a server that has not given its timing parameters is taken to run at.
constexpr float kDefaultSenseBodyStep = 100.0f;
constexpr float kDefaultSendStep = 150.0f;
constexpr float kDefaultSlowDownFactor = 1.0f;
// No server runs periods beyond this; larger products would also overflow an int.
constexpr double kMaxStepMS = 1000000.0;

// The first cycles, counted by sense_body: the body, then the head group, send empty
// commands while the world model settles.
constexpr unsigned int kEmptyBodyCycles = 6;
constexpr unsigned int kEmptyHeadCycles = 3;
// Milliseconds before mid-cycle (body) and before the end of the cycle (head) from
// which a see predicted later is not waited for.
constexpr int kSeeWaitMarginMS = 3;
// From this share of the cycle on, expensive actions reuse earlier values.
constexpr double kQuickLevelShare = 0.6;
// An overdue see predicted for the second half of the cycle is given this part of the
// cycle (the cycle divided by it) before the commands go without it.
constexpr double kSeeOverdueDivisor = 6.0;
// From this share of the cycle on, what is not sent goes as an emergency.
constexpr double kLateShare = 0.9;
// Within this many ms of the end of the cycle nothing goes any more.
constexpr int kNoSendMS = 2;
// The view width that keeps the see in step with the cycle depends on when the last see
// came, against bounds a part of the cycle (the cycle divided by these) before mid-cycle.
// A see up to the early bound keeps a normal view in step; a later one needs narrow.
constexpr double kSyncedEarlyDivisor = 6.66;
// A normal view turns narrow only for a see before this bound.
constexpr double kSyncedNarrowDivisor = 50.0;
// A wide view stays in step only for a see up to this bound.
constexpr double kSyncedWideDivisor = 20.0;

// Keeps a prediction that falls by a cycle at every sense_body inside the int range
// over any length of silence; a prediction this far back is simply overdue.
constexpr long kEarliestSeeReceiveMS = INT_MIN / 2;
// The same ahead: a replayed log can set the clock to any int, and a see period added
// to it must not leave the range.
constexpr long kLatestSeeReceiveMS = INT_MAX / 2;

int boundedSeeReceiveMS(long ms) {
  return static_cast<int>(std::clamp(ms, kEarliestSeeReceiveMS, kLatestSeeReceiveMS));
}

const char* digit(bool value) { return value ? "1" : "0"; }

enum class Execution { NOT_JUDGED, EXECUTED, NOT_EXECUTED };

// Whether the server executed a body command between the last two sense_body messages,
// judged from the counter of its kind; commands of other kinds have no counter.
Execution bodyExecution(const Command* command, const Body& body) {
  if (command == nullptr) return Execution::NOT_JUDGED;
  bool changed = false;
  switch (command->getKind()) {
    case CK_KICK:
      changed = body.isKickCountChanged();
      break;
    case CK_DASH:
      changed = body.isDashCountChanged();
      break;
    case CK_TURN:
      changed = body.isTurnCountChanged();
      break;
    case CK_CATCH:
      changed = body.isCatchCountChanged();
      break;
    case CK_MOVE:
      changed = body.isMoveCountChanged();
      break;
    case CK_TACKLE:
      changed = body.isTackleCountChanged();
      break;
    default:
      return Execution::NOT_JUDGED;
  }
  return changed ? Execution::EXECUTED : Execution::NOT_EXECUTED;
}

// A bound for the last see's arrival (ms into the cycle): mid-cycle less a part of it.
double beforeMidCycle(double cycle, double divisor) { return 0.5 * cycle - cycle / divisor; }

bool isKnownWidth(ViewModeWidth width) {
  return width == VMW_NARROW || width == VMW_NORMAL || width == VMW_WIDE;
}

}  // namespace

SyncedAgent::SyncedAgent(int argc, char** argv) : BasicAgent(argc, argv) {}

SyncedAgent::~SyncedAgent() = default;

// ---------------------------------------------------------------- loss detection

void SyncedAgent::logEndInf() {
  logger["MainLog"] << "End of cycle." << std::endl;
  logger["OfflineLog"] << "EndInf: " << digit(bodyCycleCommand != nullptr)
                       << digit(bodyCycleCommandSent) << digit(headCycleCommand != nullptr)
                       << digit(headCycleCommandSent) << std::endl;
}

void SyncedAgent::checkForLosts() {
  const Body& body = worldModel->getBody();
  LogStream& log = logger["MainLog"];

  if (!bodyCycleCommand) {
    bodyCycleCommandLost = false;
  } else if (!bodyCycleCommandSent) {
    bodyCycleCommandLost = true;
    log << "*** Body command didn't send ***" << std::endl;
  } else {
    bodyCycleCommandLost = false;
    if (bodyExecution(bodyCycleCommand.get(), body) == Execution::NOT_EXECUTED) {
      // The server may have executed the command of the cycle before in its place.
      if (lastBodyCycleCommand &&
          bodyExecution(lastBodyCycleCommand.get(), body) == Execution::EXECUTED) {
        bodyCycleCommand = std::move(lastBodyCycleCommand);
        log << "*** Last losted Body command executed ***" << std::endl;
      } else {
        bodyCycleCommandLost = true;
        log << "*** Body command lost ***" << std::endl;
      }
    }
  }

  if (!headCycleCommand) {
    headCycleCommandLost = false;
  } else if (!headCycleCommandSent) {
    headCycleCommandLost = true;
    log << "*** Head command didn't send ***" << std::endl;
  } else {
    headCycleCommandLost = false;
    // A changed focus count shows the head group arrived, whatever the neck says.
    if (!body.isFocusCountChanged() && headCycleCommand->getKind() == CK_TURN_NECK &&
        !body.isTurnNeckCountChanged()) {
      headCycleCommandLost = true;
      log << "*** Head command lost ***" << std::endl;
    }
  }
}

// ---------------------------------------------------------------- messages

void SyncedAgent::senseBody(const SExpression& message) {
  const unsigned int curTime = worldModel->getCurTime();
  BasicAgent::senseBody(message);
  // A malformed sense_body that the base skipped starts no cycle here either.
  if (worldModel->getCurTime() == curTime) return;
  if (isHeadCycleCommandLost() && headCycleCommandSent) {
    recoverSeeReceiveMSAfterChangeView(changeViewCommand.get());
  }
  lastBodyCycleCommand = std::move(bodyCycleCommand);
  bodyCycleCommandSent = false;
  sayCommand.reset();
  pointToCommand.reset();
  changeViewCommand.reset();
  attentionToCommand.reset();
  headCycleCommand.reset();
  headCycleCommandSent = false;
  senseBodyReceived = true;
  quickDecide = false;
  seeReceived = false;
  setSeeReceiveMSAfterSenseBody();
}

void SyncedAgent::see(const SExpression& message) {
  BasicAgent::see(message);
  seeReceived = true;
  setSeeReceiveMSAfterSee();
}

void SyncedAgent::serverParam(const SExpression& message) {
  BasicAgent::serverParam(message);
  cycleLength.reset();
  seeStep.reset();
}

// ---------------------------------------------------------------- see timing

void SyncedAgent::setSeeReceiveMSAfterSenseBody() {
  seeReceiveMS = boundedSeeReceiveMS(static_cast<long>(seeReceiveMS) - getCycleLength());
  logger["MainLog"] << "seeReceiveMS: " << seeReceiveMS << std::endl;
}

void SyncedAgent::setSeeReceiveMSAfterSee() {
  const ViewModeWidth width = worldModel->getBody().getVMWidth();
  if (isKnownWidth(width)) {
    seeReceiveMS = boundedSeeReceiveMS(static_cast<long>(lastReceiveMS) + getSeePeriod(width));
  }
  logger["MainLog"] << "seeReceiveMS: " << seeReceiveMS << std::endl;
}

void SyncedAgent::setSeeReceiveMSAfterChangeView(const Command* command) {
  const auto* changeView = commandAs<ChangeViewCommand>(command);
  if (changeView == nullptr) return;
  seeReceiveMS = boundedSeeReceiveMS(static_cast<long>(getLastSeeReceiveMS()) +
                                     getSeePeriod(changeView->getWidth()));
  logger["MainLog"] << "seeReceiveMS: " << seeReceiveMS << std::endl;
}

void SyncedAgent::recoverSeeReceiveMSAfterChangeView(const Command* command) {
  const auto* changeView = commandAs<ChangeViewCommand>(command);
  if (changeView == nullptr) return;
  seeReceiveMS = boundedSeeReceiveMS(static_cast<long>(getLastSeeReceiveMS()) -
                                     getSeePeriod(changeView->getWidth()));
}

int SyncedAgent::getLastSeeReceiveMS() const {
  const ViewModeWidth width = worldModel->getBody().getVMWidth();
  if (!isKnownWidth(width)) return 0;
  return seeReceiveMS - getSeePeriod(width);
}

ViewModeWidth SyncedAgent::getSyncedNarrow() const {
  const double cycle = getCycleLength();
  const double lastSee = getLastSeeReceiveMS();
  return lastSee <= beforeMidCycle(cycle, kSyncedEarlyDivisor) ? VMW_NORMAL : VMW_NARROW;
}

ViewModeWidth SyncedAgent::getSyncedNormal() const {
  const double cycle = getCycleLength();
  const double lastSee = getLastSeeReceiveMS();
  const bool narrow = beforeMidCycle(cycle, kSyncedEarlyDivisor) <= lastSee &&
                      lastSee < beforeMidCycle(cycle, kSyncedNarrowDivisor);
  return narrow ? VMW_NARROW : VMW_NORMAL;
}

ViewModeWidth SyncedAgent::getSyncedWide() const {
  const double cycle = getCycleLength();
  const double lastSee = getLastSeeReceiveMS();
  return lastSee <= beforeMidCycle(cycle, kSyncedWideDivisor) ? VMW_WIDE : VMW_NARROW;
}

int SyncedAgent::getQuickLevel() const {
  return worldModel->getTimer().now() >= kQuickLevelShare * getCycleLength() ? 1 : 0;
}

bool SyncedAgent::isLateForSending() const {
  return worldModel->getTimer().now() > getCycleLength() - kNoSendMS;
}

// ---------------------------------------------------------------- server timing

int SyncedAgent::getCycleLength() const {
  if (!cycleLength) cycleLength = getScaledStep("sense_body_step", kDefaultSenseBodyStep);
  return *cycleLength;
}

int SyncedAgent::getSeePeriod(ViewModeWidth width) const {
  if (!seeStep) seeStep = getScaledStep("send_step", kDefaultSendStep);
  const int period = *seeStep;
  switch (width) {
    case VMW_NARROW:
      return period / 2;
    case VMW_NORMAL:
      return period;
    case VMW_WIDE:
      return 2 * period;
  }
  return 0;
}

int SyncedAgent::getScaledStep(const char* name, float fallback) const {
  // The product of two floats is exact in double.
  const double product = static_cast<double>(getTimingParam(name, fallback)) *
                         getTimingParam("slow_down_factor", kDefaultSlowDownFactor);
  if (!(product >= 1.0 && product <= kMaxStepMS)) {
    logFallbackOnce(std::string(name) + " times slow_down_factor", fallback);
    return static_cast<int>(fallback);
  }
  return static_cast<int>(product);
}

float SyncedAgent::getTimingParam(const char* name, float fallback) const {
  const ConfigGroup& params = worldModel->getServerParam();
  if (params.has(name)) {
    if (const std::optional<float> value = MessageFields::decimalFloat(params[name].asString())) {
      return *value;
    }
  }
  logFallbackOnce(name, fallback);
  return fallback;
}

void SyncedAgent::logFallbackOnce(const std::string& subject, float fallback) const {
  if (!loggedFallbacks.insert(subject).second) return;
  logger["MainLog"] << "No usable server parameter " << subject << ": taking " << fallback
                    << " in its place." << std::endl;
}

// ---------------------------------------------------------------- deciding and sending

bool SyncedAgent::decide() {
  logger["MainLog"] << "SyncedAgent::decide" << std::endl;
  if (!senseBodyReceived) return true;

  const int cycleLength = getCycleLength();
  const unsigned int curTime = worldModel->getCurTime();
  std::string text;

  // Replacing a slot frees the command it held.
  if (curTime <= kEmptyBodyCycles || worldModel->getBody().getTackleExpires() != 0) {
    bodyCycleCommand = std::make_unique<EmptyCommand>();
  }

  if (isBodyCycleCommandDecidePermitted()) {
    if (!bodyCycleCommand) {
      if (seeReceived) {
        bodyDecide(getQuickLevel());
      } else if (seeReceiveMS > cycleLength / 2 - kSeeWaitMarginMS) {
        // A see in the second half of the cycle is not waited for; with the ball close,
        // the decision is made again on the see if it still comes in time.
        const bool ballClose = bodyDecide(getQuickLevel());
        if (seeReceiveMS < cycleLength - kSeeWaitMarginMS && ballClose) quickDecide = true;
      }
    } else if (seeReceived && quickDecide && !bodyCycleCommandSent) {
      bodyDecide(getQuickLevel());
      quickDecide = false;
    }
  }

  if (bodyCycleCommand && isBodyCycleCommandSendPermitted() && !bodyCycleCommandSent &&
      !quickDecide && !isLateForSending()) {
    appendText(text, bodyCycleCommand);
    bodyCycleCommandSent = true;
  }

  if (curTime <= kEmptyHeadCycles) {
    headCycleCommand = std::make_unique<EmptyCommand>();
    changeViewCommand = std::make_unique<EmptyCommand>();
    sayCommand = std::make_unique<EmptyCommand>();
    attentionToCommand = std::make_unique<EmptyCommand>();
    pointToCommand = std::make_unique<EmptyCommand>();
  }

  if (!headCycleCommand && isHeadCycleCommandDecidePermitted() &&
      (seeReceived || seeReceiveMS > cycleLength - kSeeWaitMarginMS)) {
    headDecide();
    sayDecide();
    pointToDecide();
  }

  if (headCycleCommand && isHeadCycleCommandSendPermitted() && !headCycleCommandSent &&
      !isLateForSending()) {
    appendText(text, headCycleCommand);
    appendText(text, changeViewCommand);
    headCycleCommandSent = true;
    appendText(text, sayCommand);
    appendText(text, attentionToCommand);
    appendText(text, pointToCommand);
    setSeeReceiveMSAfterChangeView(changeViewCommand.get());
  }

  sendText(text);
  return true;
}

bool SyncedAgent::isEmergency() const {
  const int cycleLength = getCycleLength();
  const Timer& timer = worldModel->getTimer();
  if (timer.now() >= cycleLength - kNoSendMS) return false;
  if (timer.now() > seeReceiveMS + cycleLength / kSeeOverdueDivisor &&
      seeReceiveMS > 0.5 * cycleLength) {
    return true;
  }
  return timer.now() > kLateShare * cycleLength;
}

bool SyncedAgent::synchronize() {
  std::string text;
  bool appended = false;

  if (senseBodyReceived && isEmergency()) {
    LogStream& log = logger["MainLog"];
    // Permissions and a held-back decision do not count here: late is worse.
    if (bodyCycleCommand && !bodyCycleCommandSent) {
      log << "Emergency Sending bodyCycleCommand." << std::endl;
      appendText(text, bodyCycleCommand);
      bodyCycleCommandSent = true;
      appended = true;
    }
    if (!headCycleCommand && worldModel->getCurTime() > kEmptyHeadCycles) {
      log << "Emergency Sending headCycleCommand." << std::endl;
      headDecide();
      appendText(text, headCycleCommand);
      appendText(text, changeViewCommand);
      headCycleCommandSent = true;
      sayDecide();
      appendText(text, sayCommand);
      appendText(text, attentionToCommand);
      pointToDecide();
      appendText(text, pointToCommand);
      setSeeReceiveMSAfterChangeView(changeViewCommand.get());
      appended = true;
    }
  }

  sendText(text);
  // The replay repeats the emergency at this millisecond.
  if (appended) logger["OfflineLog"] << "EmgSend" << std::endl;

  if (worldModel->getTimer().now() > kServerSilenceMS) {
    static const char kText[] = "Server does not respond in the expected time.";
    logger["MainLog"] << kText << std::endl;
    std::cout << kText << std::endl;
    // Silence from the start is a failed start to whoever launched the player.
    if (!senseBodyReceived) exitStatus = 1;
    return false;
  }
  return true;
}

void SyncedAgent::appendText(std::string& text, const std::unique_ptr<Command>& command) const {
  if (!command) return;
  if (command->getKind() == CK_DASH &&
      worldModel->getBody().getCommandLimits().isBackDashByDirection()) {
    text += static_cast<const DashCommand&>(*command).toStringByDirection();
    return;
  }
  text += command->toString();
}

void SyncedAgent::sendText(const std::string& text) {
  if (text.empty()) return;
  sendToServer(text);
  logger["MainLog"] << "SendStr: " << text << std::endl;
}

}  // namespace tovren
