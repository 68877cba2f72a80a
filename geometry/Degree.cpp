#include "geometry/Degree.h"

#include <cmath>

namespace tovren {

namespace {

// Below 2^27 every float step of 360 towards zero is exact.
constexpr double exactBound = 134217728.0;
// Above 2^33 a float step of 360 rounds back to the same value: stepping never ends.
constexpr double stuckBound = 8589934592.0;

// The result of `while (a > limit || (inclusive && a == limit)) a -= 360;` in float
// arithmetic, for finite a up to stuckBound, without walking every step.
float stepDown(float a, float limit, bool inclusive) {
  // Above exactBound each step rounds, by a fixed amount within one binade (after at
  // most one step that fixes the parity of a tie); jump through each binade.
  for (int guard = 0; a >= exactBound && guard < 64; ++guard) {
    int exponent = 0;
    std::frexp(a, &exponent);
    const double low = std::ldexp(1.0, exponent - 1);
    // A step whose exact result falls below the binade rounds in the binade below.
    if (double(a) - 360.0 < low) {
      a = a - 360.0f;
      continue;
    }
    a = a - 360.0f;
    if (double(a) - 360.0 < low) continue;
    const float step = a - (a - 360.0f);
    const double jumps = std::floor((double(a) - 360.0 - low) / step) + 1.0;
    a = static_cast<float>(double(a) - jumps * step);
  }
  const double d = a;
  if (!(d > limit || (inclusive && d == limit))) return a;
  const double q = (d - limit) / 360.0;
  const double steps = inclusive ? std::floor(q) + 1.0 : std::ceil(q);
  // All steps but the last keep the value between a and the limit, so they are exact;
  // the last may round, so it is done in float as the loop does it.
  const float beforeLast = static_cast<float>(d - 360.0 * (steps - 1.0));
  return beforeLast - 360.0f;
}

// Stepping upwards (`while (a < limit) a += 360;`) mirrors stepping down; a result of
// zero is +0 as x + (-x) gives it.
float stepUp(float a, float limit) {
  const float result = -stepDown(-a, -limit, false);
  return result == 0.0f ? 0.0f : result;
}

}  // namespace

float Degree::normalizeAngleFar(float a) {
  if (std::isnan(a)) return a;
  if (std::isinf(a)) return 0.0f;
  if (std::fabs(a) > stuckBound) {
    // Stepping would never end here: reduce exactly instead.
    double r = std::fmod(double(a), 360.0);
    if (r > 180.0) r -= 360.0;
    if (r < -180.0) r += 360.0;
    return static_cast<float>(r);
  }
  if (a < -180.0f) a = stepUp(a, -180.0f);
  if (a > 180.0f) a = stepDown(a, 180.0f, false);
  return a;
}

float Degree::absoluteAngleFar(float a) {
  if (std::isnan(a)) return a;
  if (std::isinf(a)) return 0.0f;
  if (std::fabs(a) > stuckBound) {
    double r = std::fmod(double(a), 360.0);
    if (r < 0.0) r += 360.0;
    return static_cast<float>(r);
  }
  if (a < 0.0f) a = stepUp(a, 0.0f);
  if (a >= 360.0f) a = stepDown(a, 360.0f, true);
  return a;
}

}  // namespace tovren
