#include "coach/AdvancedCoach.h"

#include "coach/OppTypes.h"
#include "coach/OurTypes.h"
#include "coach/Task.h"
#include "connection/Command.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "foundation/SExpression.h"
#include "worldmodel/MessageFields.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace tovren {

namespace {

// The cycle at which the freeform quota reaches "say_coach_cnt_max".
constexpr double kQuotaCycles = 6000.0;

constexpr int kMaxUniformNumber = 11;

// A freeform rule's server parameter as a whole number, or none (logged) while the
// server has not given it: until then no freeform is allowed.
std::optional<int> freeFormParam(const WorldModel& worldModel, const char* key) {
  const ConfigGroup& params = worldModel.getServerParam();
  std::optional<int> value;
  if (params.has(key)) value = MessageFields::decimalInt(params[key].asString());
  if (!value) {
    logger["MainLog"] << "No freeform allowed without the server parameter " << key << "."
                      << std::endl;
  }
  return value;
}

}  // namespace

AdvancedCoach::AdvancedCoach(int argc, char** argv) : SyncedCoach(argc, argv) {
  // The opponents' types first: its message is joined before any other task's.
  addTask(std::make_unique<OppTypes>(worldModel.get(), history), -1, 0);
  addTask(std::make_unique<OurTypes>(worldModel.get(), history), 11, 0);
}

AdvancedCoach::~AdvancedCoach() = default;

void AdvancedCoach::addTask(std::unique_ptr<Task> task, int limit, int taskPeriod) {
  tasks.push_back(std::move(task));
  remaining.push_back(limit);
  period.push_back(taskPeriod);
  countdown.push_back(taskPeriod);
  ++taskCount;
}

void AdvancedCoach::changePlayerType(const SExpression& message) {
  SyncedCoach::changePlayerType(message);
  informChangePlayerType(message);
}

void AdvancedCoach::informChangePlayerType(const SExpression& message) {
  if (message.size() == 3) return;
  int playerNum = 0;
  if (message.size() != 2 || !MessageFields::readInt(message, 1, playerNum) || playerNum < 1 ||
      playerNum > kMaxUniformNumber) {
    LogStream& log = logger["MainLog"];
    if (log.isOutValid()) log << "Skipping malformed message: " << message.toString() << std::endl;
    return;
  }
  for (const std::unique_ptr<Task>& task : tasks) {
    task->informOppChangePlayerType(static_cast<unsigned int>(playerNum));
  }
}

bool AdvancedCoach::isFreeFormAllowed() const {
  LogStream& log = logger["MainLog"];
  bool allowSFF = false;
  if (worldModel->getPlayMode() != PM_PLAY_ON) {
    log << "allowSFF - 1" << std::endl;
    allowSFF = true;
  } else {
    log << "allowSFF - 2" << std::endl;
    const std::optional<int> wait = freeFormParam(*worldModel, "freeform_wait_period");
    const std::optional<int> send = freeFormParam(*worldModel, "freeform_send_period");
    const std::uint32_t past = worldModel->getPlayOnPastCycles();
    if (wait && send && past > static_cast<std::uint32_t>(*wait)) {
      log << "allowSFF - 3" << std::endl;
      // A send period of 0 has no remainder: the wait period alone decides.
      const std::uint32_t sendPeriod = static_cast<std::uint32_t>(*send);
      if (sendPeriod == 0 || past % sendPeriod <= static_cast<std::uint32_t>(*wait)) {
        log << "allowSFF - 4" << std::endl;
        allowSFF = true;
      }
    }
  }
  log << "allowSFF - 45 check : numSentFreeForm = " << numSentFreeForm << std::endl;
  log << "allowSFF - 45 check : curCycle = " << worldModel->getCurCycle() << std::endl;

  const std::optional<int> sayMax = freeFormParam(*worldModel, "say_coach_cnt_max");
  if (!sayMax) return false;
  // In single precision, step by step: the quota grows linearly to its maximum.
  const float share =
      static_cast<float>(static_cast<float>(worldModel->getCurCycle()) / kQuotaCycles);
  const float quota = share * static_cast<float>(*sayMax);
  if (!(quota >= static_cast<float>(numSentFreeForm))) {
    log << "allowSFF - 6( no allow )" << std::endl;
    return false;
  }
  log << "allowSFF - 5" << std::endl;
  return allowSFF;
}

bool AdvancedCoach::processTasks() {
  LogStream& log = logger["MainLog"];
  log << "AdvancedCoach::processTasks" << std::endl;
  changePlayerCycleCommand = std::make_unique<EmptyCommand>();
  const bool allowSFF = isFreeFormAllowed();
  std::string freeForm;

  for (int i = 0; i < taskCount; ++i) {
    Task& task = *tasks[i];
    if (countdown[i] != 0) {
      if (remaining[i] != 0) --countdown[i];
      continue;
    }
    if (remaining[i] == 0 || !task.execute()) continue;
    log << "AdvancedCoach::task[" << i << "] execute = true" << std::endl;
    if (remaining[i] > 0) --remaining[i];
    countdown[i] = period[i];
    if (task.hasChangePlayerCommand()) {
      log << "AdvancedCoach::task[" << i << "] changePlayer = true" << std::endl;
      // The last task's command wins; an earlier one is freed unsent.
      if (std::unique_ptr<ChangePlayerCommand> command = task.setChangePlayerCommandSent()) {
        changePlayerCycleCommand = std::move(command);
      }
    }
    if (allowSFF && task.isFreeFormReady()) {
      freeForm += task.getFreeFormString();
      task.setFreeFormSent();
    }
  }

  if (allowSFF && !freeForm.empty()) {
    ++numSentFreeForm;
    freeFormCycleCommand = std::make_unique<FreeFormCommand>(freeForm);
  } else {
    freeFormCycleCommand = std::make_unique<EmptyCommand>();
  }
  return true;
}

}  // namespace tovren
