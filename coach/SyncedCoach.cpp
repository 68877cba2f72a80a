#include "coach/SyncedCoach.h"

#include "connection/Command.h"
#include "foundation/Logger.h"
#include "foundation/Timer.h"

#include <iostream>
#include <memory>
#include <string>
#include <utility>

namespace tovren {

SyncedCoach::SyncedCoach(int argc, char** argv) : BasicCoach(argc, argv) {}

SyncedCoach::~SyncedCoach() = default;

void SyncedCoach::seeGlobal(const SExpression& message) {
  const unsigned int before = worldModel->getCurTime();
  BasicCoach::seeGlobal(message);
  if (worldModel->getCurTime() == before) return;
  freeFormCycleCommand.reset();
  freeFormCycleCommandSent = false;
  changePlayerCycleCommand.reset();
  changePlayerCycleCommandSent = false;
  seeGlobalReceived = true;
}

bool SyncedCoach::decide() {
  logger["MainLog"] << "SyncedCoach::decide" << std::endl;
  if (!seeGlobalReceived) return true;
  if (!freeFormCycleCommand || !changePlayerCycleCommand) processTasks();
  // Freeform first, each command in a datagram of its own; an empty one sends nothing.
  const std::pair<const std::unique_ptr<Command>*, bool*> slots[] = {
      {&freeFormCycleCommand, &freeFormCycleCommandSent},
      {&changePlayerCycleCommand, &changePlayerCycleCommandSent}};
  for (const auto& [command, sent] : slots) {
    if (!*command || *sent) continue;
    *sent = true;
    const std::string text = (*command)->toString();
    if (text.empty()) continue;
    if (!sendCommand(**command)) return true;
    logger["MainLog"] << "SendStr: " << text << std::endl;
  }
  return true;
}

bool SyncedCoach::synchronize() {
  if (worldModel->getTimer().now() <= kServerSilenceMS) return true;
  static const char kText[] = "Server does not respond in the expected time.";
  logger["MainLog"] << kText << std::endl;
  std::cout << kText << std::endl;
  // Silence from the start is a failed start to whoever launched the coach.
  if (!seeGlobalReceived) exitStatus = 1;
  return false;
}

void SyncedCoach::logEndInf() {
  logger["MainLog"] << "End of cycle." << std::endl;
  logger["OfflineLog"] << "EndInf: " << static_cast<int>(freeFormCycleCommand != nullptr)
                       << static_cast<int>(freeFormCycleCommandSent)
                       << static_cast<int>(changePlayerCycleCommand != nullptr)
                       << static_cast<int>(changePlayerCycleCommandSent) << std::endl;
}

}  // namespace tovren
