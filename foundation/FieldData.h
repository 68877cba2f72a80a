#pragma once

#include "geometry/Vector.h"

namespace tovren {

class SExpression;

// The fixed landmarks of the field (53 flags, 2 goals, 4 lines): seen names to ids and
// ids to positions in the own frame (metres). Every position is multiplied by the side
// factor rightSideRate × penaltySideRate: with -1 the field is turned half a circle
// about its centre.
class FieldData {
 public:
  static constexpr int flagsNum = 53;
  static constexpr int goalsNum = 2;
  static constexpr int linesNum = 4;
  // The id of a name outside the table (names come from the network).
  static constexpr int unknownId = 65278;

  FieldData() = default;

  // +1 for the left side, -1 for the right.
  void setRightSideRate(int rate) { rightSideRate = rate; }
  // -1 while the field is turned for penalty kicks.
  void setPenaltySideRate(int rate) { penaltySideRate = rate; }

  Point getFlagPos(int id) const;
  Point getGoalPos(int id) const;
  // The middle of the line.
  Point getLinePos(int id) const;
  // Direction (degrees) of the line's normal pointing out of the field.
  float getPrependOrient(int lineId) const;

  // The id of a seen name list such as (f l t 10) or (g r), or unknownId.
  int getFlagId(const SExpression& name) const;
  int getGoalId(const SExpression& name) const;
  int getLineId(const SExpression& name) const;

 private:
  int sideFactor() const { return rightSideRate * penaltySideRate; }

  int rightSideRate = 1;
  int penaltySideRate = 1;
};

}  // namespace tovren
