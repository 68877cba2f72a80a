#pragma once

#include <cmath>

namespace tovren {

// Angle arithmetic in degrees (counter-clockwise from +x). The trigonometry runs in
// double precision and each result is rounded to float.
class Degree {
 public:
  static constexpr double degToRad = 0.017453292519943295;
  static constexpr double radToDeg = 57.29577951308232;

  static float sin(float a) { return static_cast<float>(std::sin(a * degToRad)); }
  static float cos(float a) { return static_cast<float>(std::cos(a * degToRad)); }
  static float tan(float a) { return static_cast<float>(std::tan(a * degToRad)); }
  // No clamping: outside -1..1 the result is NaN.
  static float arcSin(float x) { return static_cast<float>(std::asin(double(x)) * radToDeg); }
  static float arcTan(float x) { return static_cast<float>(std::atan(double(x)) * radToDeg); }
  // In [-180, 180], signed zeros included.
  static float arcTan2(float y, float x) {
    return static_cast<float>(std::atan2(double(y), double(x)) * radToDeg);
  }

  // Into [-180, 180]; both ends stay as they are. The result is the one of stepping by
  // whole turns in float arithmetic, computed in closed form so no input can hang the
  // caller: NaN passes through, infinities give 0.
  static float normalizeAngle(float a) {
    if (a >= -180.0f && a <= 180.0f) return a;
    // One turn off, as sums and differences of angles are: the rule's single step.
    if (a > 180.0f && a <= 540.0f) return a - 360.0f;
    if (a < -180.0f && a >= -540.0f) return a + 360.0f;
    return normalizeAngleFar(a);
  }

  // Into [0, 360), by the same stepping rule as normalizeAngle.
  static float absoluteAngle(float a) {
    if (a >= 0.0f && a < 360.0f) return a;
    // One turn below, as every direction of -180..180 is: the rule's single step, after
    // which a sum that rounds up to 360 steps once more, to 0.
    if (a < 0.0f && a >= -360.0f) {
      const float up = a + 360.0f;
      return up < 360.0f ? up : 0.0f;
    }
    return absoluteAngleFar(a);
  }

  // The signed difference a - b in [-180, 180].
  static float getDeltaAngle(float a, float b) {
    return normalizeAngle(absoluteAngle(a) - absoluteAngle(b));
  }

  // Whether a lies on the arc running counter-clockwise from `from` to `to`, ends included.
  static bool isBetween(float from, float to, float a) {
    from = absoluteAngle(from);
    to = absoluteAngle(to);
    a = absoluteAngle(a);
    if (from == to) return a == from;
    if (from < to) return from <= a && a <= to;
    return a >= from || a <= to;
  }

 private:
  static float normalizeAngleFar(float a);
  static float absoluteAngleFar(float a);
};

}  // namespace tovren
