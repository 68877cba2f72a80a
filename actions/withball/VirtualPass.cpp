#include "actions/withball/VirtualPass.h"

#include "connection/Command.h"
#include "foundation/Logger.h"
#include "geometry/Vector.h"
#include "worldmodel/Ball.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <memory>
#include <ostream>
#include <utility>
#include <vector>

namespace tovren {

namespace {

// The teammate's reach is judged pessimistically and the opponents' optimistically: a
// suggestion must be safe against what the agent does not know of his view.
constexpr FanSessionTuning KICK_TUNING = {
    1, 0, -1.0f, 0.0f, 90.0f, 0.0f, 3, 1.0f, 40.0f, 100.0f, 90.0f, 100.0f, 0, 0,
};
constexpr FanSessionTuning CROSS_TUNING = {
    1, 0, -0.5f, 0.0f, 100.0f, 0.0f, 2, 0.85f, 30.0f, 100.0f, 80.0f, 100.0f, 2, 0,
};

std::vector<std::unique_ptr<KickInterceptCalculate>> virtualEntries(unsigned int count) {
  std::vector<std::unique_ptr<KickInterceptCalculate>> entries;
  entries.reserve(count);
  for (unsigned int i = 0; i < count; ++i) {
    entries.push_back(std::make_unique<VirtualKickInterceptCalculate>());
  }
  return entries;
}

}  // namespace

VirtualKickInterceptCalculate::~VirtualKickInterceptCalculate() = default;

void VirtualKickInterceptCalculate::init(const WorldModel* worldModel, const Vector& kickVelocity,
                                         InterceptCalculate& session) {
  if (kickCommand == nullptr) {
    kickCommand = std::make_unique<KickCommand>(0.0f, 0.0f);
  } else {
    kickCommand->setPower(0.0f);
    kickCommand->setDirection(0.0f);
  }
  firstBall = worldModel->getBall();
  firstBall.setVel() = kickVelocity;
  predict(session);
}

VirtualKickCalculate::~VirtualKickCalculate() = default;

void VirtualKickCalculate::init() {
  setSimulates(virtualEntries(VIRTUAL_KICKS_NUM));
  inited = true;
}

Vector VirtualKickCalculate::getKickVelocity(unsigned int i) {
  Vector velocity;
  velocity.setAsPolar(MIN_SPEED + SPEED_STEP * static_cast<float>(i % SPEEDS_NUM),
                      DIR_STEP * static_cast<float>(i / SPEEDS_NUM));
  return velocity;
}

void VirtualKickCalculate::update(const WorldModel* worldModel, const Player& kicker) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "VirtualKickCalculate::update" << std::endl;
  updateTime = worldModel->getCurTime();
  const std::unique_ptr<InterceptCalculate> session =
      startFanSession(worldModel, kicker, KICK_TUNING);
  for (unsigned int i = 0; i < simulatesNum; ++i) {
    // Every entry was made by init() as a virtual kick.
    static_cast<VirtualKickInterceptCalculate&>(setSimulate(i))
        .init(worldModel, getKickVelocity(i), *session);
  }
}

VirtualCrossCalculate::~VirtualCrossCalculate() = default;

void VirtualCrossCalculate::init() {
  setSimulates(virtualEntries(CROSSES_NUM));
  inited = true;
}

void VirtualCrossCalculate::update(const WorldModel* worldModel, const Player& kicker) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "VirtualCrossCalculate::update" << std::endl;
  updateTime = worldModel->getCurTime();
  const std::unique_ptr<InterceptCalculate> session =
      startFanSession(worldModel, kicker, CROSS_TUNING);
  for (unsigned int i = 0; i < simulatesNum; ++i) {
    Vector velocity;
    velocity.setAsPolar(CROSS_SPEED, getCrossDir(kicker.getPos(), i));
    // Every entry was made by init() as a virtual kick.
    static_cast<VirtualKickInterceptCalculate&>(setSimulate(i))
        .init(worldModel, velocity, *session);
  }
}

VirtualPass::VirtualPass(const WorldModel* worldModel) : Pass(worldModel, true) {
  auto crosses = std::make_unique<VirtualCrossCalculate>();
  crosses->init();
  crossCalculate = std::move(crosses);
}

VirtualPass::~VirtualPass() = default;

float VirtualPass::getValue(const Player& kicker) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "VirtualPass::getValue" << std::endl;
  readGlobalVars();
  if (crossRate != 0.0f) {
    // The pass's cross fan is the one the constructor made.
    static_cast<VirtualCrossCalculate&>(*crossCalculate).update(worldModel, kicker);
  }
  choosePass();
  return takeFanChoice();
}

}  // namespace tovren
