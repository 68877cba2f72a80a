#include "worldmodel/WorldModel.h"

#include "foundation/Basics.h"
#include "foundation/Check.h"
#include "geometry/Degree.h"
#include "worldmodel/Body.h"

#include <cmath>

namespace tovren {

namespace {

constexpr float VIEW_PART_STEP = 40.0f;  // degrees between two view parts
// A part counts as seen from this view value on: within the half view angle less 12.5
// degrees of the head direction.
constexpr float VIEW_PART_SEEN_VALUE = 0.75f;

}  // namespace

float WorldModel::getViewPartDir(unsigned int i) const {
  TOVREN_CHECK(i < VIEW_PARTS_NUM);
  return viewPartDir[i];
}

unsigned int WorldModel::getViewPartCycle(unsigned int i) const {
  TOVREN_CHECK(i < VIEW_PARTS_NUM);
  return viewPartCycle[i];
}

void WorldModel::initViewPartDirs() {
  for (unsigned int i = 0; i < VIEW_PARTS_NUM; ++i) viewPartDir[i] = VIEW_PART_STEP * i;
}

void WorldModel::resetSeeDeltaCycles() {
  for (unsigned int& cycles : viewPartCycle) cycles = VIEW_PART_CYCLE_MAX;
}

void WorldModel::updateSeeDeltaCyclesAfterSenseBody() {
  for (unsigned int& cycles : viewPartCycle) {
    if (cycles < VIEW_PART_CYCLE_MAX) ++cycles;
  }
}

void WorldModel::updateSeeDeltaCyclesAfterSee() {
  for (unsigned int i = 0; i < VIEW_PARTS_NUM; ++i) {
    if (getSeeViewPartValue(i, body->getHeadDir(), body->getViewAngle()) >= VIEW_PART_SEEN_VALUE) {
      viewPartCycle[i] = 0;
    }
  }
}

float WorldModel::getSeeViewPartValue(unsigned int part, float direction,
                                      float viewHalfAngle) const {
  TOVREN_CHECK(part < VIEW_PARTS_NUM);
  // 22.5 is the narrow half angle: a wider view reaches further from the head direction.
  float value =
      std::fabs(Degree::getDeltaAngle(viewPartDir[part], direction)) + (22.5f - viewHalfAngle);
  if (value <= 10.0f) return Basics::reRate(value, 0.0f, 10.0f, 0.75f, 1.0f, RRM_INVERSE);
  return Basics::reRate(value, 10.0f, 45.0f, 0.0f, 0.75f, RRM_INVERSE);
}

}  // namespace tovren
