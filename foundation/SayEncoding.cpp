#include "foundation/SayEncoding.h"

#include "foundation/Basics.h"
#include "foundation/Check.h"
#include "geometry/Degree.h"

#include <cmath>

namespace tovren {

namespace {

constexpr int codeBase = 73;
// 73^3 - 1: the largest number three characters hold.
constexpr int maxPacked = 389016;

constexpr int positionColumns = 530;
constexpr int velocityDirections = 1440;
// Three characters hold speeds up to 2.70 only for directions below 54.25 degrees.
constexpr int maxSpeedSteps = (maxPacked - (velocityDirections - 1)) / velocityDirections;

}  // namespace

const std::string SayEncoding::sayCodeKey =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-().+*/?<>_";

int SayEncoding::getCharNum(char c) {
  const std::string::size_type index = sayCodeKey.find(c);
  return index == std::string::npos ? -1 : static_cast<int>(index);
}

void SayEncoding::appendPacked(int n, std::string& out) {
  TOVREN_CHECK(n >= 0 && n <= maxPacked);
  std::string digits;
  Basics::changeIntBase(n, codeBase, digits);
  for (std::string::size_type k = 0; k < 3; ++k) {
    out.push_back(k < digits.size() ? sayCodeKey[static_cast<unsigned char>(digits[k])]
                                    : sayCodeKey[0]);
  }
}

bool SayEncoding::readPacked(const std::string& msg, unsigned int pos, int& n) {
  if (pos > msg.size() || msg.size() - pos < 3) return false;
  const int low = getCharNum(msg[pos]);
  const int middle = getCharNum(msg[pos + 1]);
  const int high = getCharNum(msg[pos + 2]);
  if (low < 0 || middle < 0 || high < 0) return false;
  n = low + codeBase * middle + codeBase * codeBase * high;
  return true;
}

void SayEncoding::encodeWeight(float value, float min, float max, std::string& out) {
  float scaled = Basics::reRate(value, min, max, 0.0f, float(maxPacked), RRM_DIRECT);
  // NaN (from the value or the range) packs as the bottom of the range.
  if (!(scaled >= 0.0f)) scaled = 0.0f;
  if (scaled > float(maxPacked)) scaled = float(maxPacked);
  appendPacked(static_cast<int>(scaled), out);
}

bool SayEncoding::decodeWeight(const std::string& msg, unsigned int pos, float& weight, float min,
                               float max) {
  int n = 0;
  if (!readPacked(msg, pos, n)) return false;
  weight = Basics::reRate(float(n), 0.0f, float(maxPacked), min, max, RRM_DIRECT);
  return true;
}

void SayEncoding::encodeObjectPosition(float x, float y, std::string& out) {
  // NaN packs as the lower end of its axis.
  if (std::isnan(x)) x = -53.0f;
  if (std::isnan(y)) y = -35.0f;
  if (x >= 53.0f) x = 52.8f;
  if (x < -53.0f) x = -53.0f;
  if (y > 35.0f) y = 34.8f;
  if (y < -35.0f) y = -35.0f;
  const int ix = static_cast<int>(std::floor((double(x) + 53.0) * 5.0));
  const int iy = static_cast<int>(std::floor((double(y) + 35.0) * 5.0));
  appendPacked(ix + positionColumns * iy, out);
}

bool SayEncoding::decodeObjectPosition(const std::string& msg, unsigned int pos, float& x,
                                       float& y) {
  int n = 0;
  if (!readPacked(msg, pos, n)) return false;
  x = float(n % positionColumns) / 5.0f - 53.0f;
  y = float(n / positionColumns) / 5.0f - 35.0f;
  return true;
}

void SayEncoding::encodeObjectVelocity(float speed, float direction, std::string& out) {
  // NaN and negative speeds pack as standing still.
  if (!(speed >= 0.0f)) speed = 0.0f;
  if (double(speed) > 2.7) speed = 2.7f;
  float absolute = Degree::absoluteAngle(direction);
  if (std::isnan(absolute)) absolute = 0.0f;
  int speedSteps = static_cast<int>(std::floor(double(speed) * 100.0));
  const int directionSteps = static_cast<int>(std::floor(double(absolute) * 4.0));
  // At the cap a fourth character would be needed from 54.25 degrees on; keeping the
  // three low digits would read as speed 0, so such a speed goes one step slower.
  if (directionSteps + velocityDirections * speedSteps > maxPacked) speedSteps = maxSpeedSteps;
  appendPacked(directionSteps + velocityDirections * speedSteps, out);
}

bool SayEncoding::decodeObjectVelocity(const std::string& msg, unsigned int pos, float& speed,
                                       float& direction) {
  int n = 0;
  if (!readPacked(msg, pos, n)) return false;
  speed = float(n / velocityDirections) / 100.0f;
  direction = float(n % velocityDirections) / 4.0f;
  return true;
}

}  // namespace tovren
