#include "decisions/PointToDecision.h"

#include "connection/Command.h"
#include "foundation/Basics.h"
#include "foundation/Logger.h"
#include "geometry/Degree.h"
#include "worldmodel/WorldModel.h"

namespace tovren {

namespace {

// Up to these stamina values the arm points: lower in play_on, where stamina is spent.
constexpr float PLAY_ON_STAMINA_LIMIT = 2500.0f;
constexpr float OTHER_STAMINA_LIMIT = 3850.0f;
// The stamina that points at 0 degrees; everything below points there too.
constexpr float LOWEST_SIGNALLED_STAMINA = 1000.0f;
// The field direction that signals the limit.
constexpr float LIMIT_DIRECTION = 270.0f;
// Far enough that only the direction carries the signal.
constexpr float POINT_DISTANCE = 1000.0f;

}  // namespace

PointToDecision::PointToDecision(const WorldModel* worldModel) : worldModel(worldModel) {}

PointToDecision::~PointToDecision() = default;

void PointToDecision::decide(const Command*) {
  logger["MainLog"] << "PointToDecision::decide" << std::endl;
  const Body& body = worldModel->getBody();
  const float limit =
      worldModel->getPlayMode() == PM_PLAY_ON ? PLAY_ON_STAMINA_LIMIT : OTHER_STAMINA_LIMIT;

  if (body.getArmMovable() != 0) {
    pointToCommand = std::make_unique<EmptyCommand>();
    return;
  }
  if (body.getStamina() <= limit) {
    const float direction = Basics::reRate(body.getStamina(), LOWEST_SIGNALLED_STAMINA, limit, 0.0f,
                                           LIMIT_DIRECTION, RRM_DIRECT);
    pointToCommand = std::make_unique<PointToCommand>(
        POINT_DISTANCE, Degree::getDeltaAngle(direction, body.getHeadDir()));
    return;
  }
  // Rested: an arm that still points is taken down, one that does not is left alone.
  if (body.getArmExpires() != 0) {
    pointToCommand = std::make_unique<PointToCommand>(false);
  } else {
    pointToCommand = std::make_unique<EmptyCommand>();
  }
}

std::unique_ptr<Command> PointToDecision::takePointToCommand() { return std::move(pointToCommand); }

}  // namespace tovren
