#pragma once

#include "foundation/Types.h"

#include <iosfwd>
#include <string>

namespace tovren {

// 0 maps inMin to outA; any other value maps inMin to outB (inverse).
enum ReRateMode : int { RRM_DIRECT = 0, RRM_INVERSE = 1 };

class Basics {
 public:
  // Maps value linearly from [inMin, inMax] onto outA..outB (or outB..outA in the
  // inverse mode), clamping outside the input range; an empty input range gives outA.
  static float reRate(float value, float inMin, float inMax, float outA, float outB,
                      ReRateMode mode) {
    if (inMin == inMax) return outA;
    if (mode == RRM_DIRECT) {
      if (value < inMin) return outA;
      if (value > inMax) return outB;
      return outA + (value - inMin) / (inMax - inMin) * (outB - outA);
    }
    if (value < inMin) return outB;
    if (value > inMax) return outA;
    return outB + (value - inMin) / (inMax - inMin) * (outA - outB);
  }

  // Appends the base-`base` digits of value to digits, least significant first, each
  // as a raw byte 0..base-1 (not a character), and returns how many it appended.
  static int changeIntBase(int value, int base, std::string& digits);
};

// Writes the status's name ("BS_NONE" ... "BS_FREE_BALL_BODY_OPP"); nothing for a
// value outside the enumeration.
std::ostream& operator<<(std::ostream& out, const BallStatus& status);

}  // namespace tovren
