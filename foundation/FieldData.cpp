#include "foundation/FieldData.h"

#include "foundation/Check.h"
#include "foundation/SExpression.h"

#include <string>

namespace tovren {

namespace {

struct BasePosition {
  float x;
  float y;
};

// Base positions for the left side; "t" lies at positive y.
// clang-format off
constexpr BasePosition flagPositions[FieldData::flagsNum] = {
    // 0..6: c, l t, l b, c t, c b, r t, r b
    {0, 0}, {-52.5f, 34}, {-52.5f, -34}, {0, 34}, {0, -34}, {52.5f, 34}, {52.5f, -34},
    // 7..12: p l t, p l c, p l b, p r t, p r c, p r b
    {-36.2f, 20}, {-36.2f, 0}, {-36.2f, -20}, {36.2f, 20}, {36.2f, 0}, {36.2f, -20},
    // 13..16: g l t, g l b, g r t, g r b
    {-52.5f, 7.32f}, {-52.5f, -7.32f}, {52.5f, 7.32f}, {52.5f, -7.32f},
    // 17..20: l 0, r 0, t 0, b 0
    {-57.5f, 0}, {57.5f, 0}, {0, 39}, {0, -39},
    // 21..40: t l, t r, b l, b r at 10..50
    {-10, 39}, {-20, 39}, {-30, 39}, {-40, 39}, {-50, 39},
    {10, 39}, {20, 39}, {30, 39}, {40, 39}, {50, 39},
    {-10, -39}, {-20, -39}, {-30, -39}, {-40, -39}, {-50, -39},
    {10, -39}, {20, -39}, {30, -39}, {40, -39}, {50, -39},
    // 41..52: l t, l b, r t, r b at 10..30
    {-57.5f, 10}, {-57.5f, 20}, {-57.5f, 30},
    {-57.5f, -10}, {-57.5f, -20}, {-57.5f, -30},
    {57.5f, 10}, {57.5f, 20}, {57.5f, 30},
    {57.5f, -10}, {57.5f, -20}, {57.5f, -30}};
// clang-format on

constexpr BasePosition goalPositions[FieldData::goalsNum] = {{-52.5f, 0}, {52.5f, 0}};

constexpr BasePosition linePositions[FieldData::linesNum] = {
    {-52.5f, 0}, {52.5f, 0}, {0, 34}, {0, -34}};

// Outward normals of l, r, t, b for the left side.
constexpr float lineOrients[FieldData::linesNum] = {180, 0, 90, -90};

// First character of element `index`, or '\0' when there is none to read.
char firstChar(const SExpression& name, unsigned int index) {
  if (index >= name.size()) return '\0';
  const std::string text = name[index]->toString();
  return text.empty() ? '\0' : text[0];
}

// Index of c in choices, or -1.
int choiceIndex(char c, const char* choices) {
  for (int i = 0; choices[i] != '\0'; ++i) {
    if (choices[i] == c) return i;
  }
  return -1;
}

// first + the place of the distance digit among choices, or unknown.
int byDigit(const SExpression& name, int first, const char* choices) {
  const int index = choiceIndex(firstChar(name, 3), choices);
  return index < 0 ? FieldData::unknownId : first + index;
}

// A corner flag (f l t) or the flags behind the goal line beside it (f l t 10 ...).
int sideColumn(const SExpression& name, int corner, int firstNumbered) {
  if (name.size() < 4) return corner;
  return byDigit(name, firstNumbered, "123");
}

}  // namespace

Point FieldData::getFlagPos(int id) const {
  TOVREN_CHECK_NAMED(id >= 0 && id < flagsNum, "0");
  const int s = sideFactor();
  return Point(flagPositions[id].x * s, flagPositions[id].y * s);
}

Point FieldData::getGoalPos(int id) const {
  TOVREN_CHECK_NAMED(id >= 0 && id < goalsNum, "0");
  const int s = sideFactor();
  return Point(goalPositions[id].x * s, goalPositions[id].y * s);
}

Point FieldData::getLinePos(int id) const {
  TOVREN_CHECK_NAMED(id >= 0 && id < linesNum, "0");
  const int s = sideFactor();
  return Point(linePositions[id].x * s, linePositions[id].y * s);
}

float FieldData::getPrependOrient(int lineId) const {
  TOVREN_CHECK_NAMED(lineId >= 0 && lineId < linesNum, "0");
  if (sideFactor() == 1) return lineOrients[lineId];
  // Turned half a circle: l and r swap, t and b swap.
  return lineOrients[lineId ^ 1];
}

int FieldData::getGoalId(const SExpression& name) const {
  switch (firstChar(name, 1)) {
    case 'l':
      return 0;
    case 'r':
      return 1;
    default:
      return unknownId;
  }
}

int FieldData::getLineId(const SExpression& name) const {
  const int index = choiceIndex(firstChar(name, 1), "lrtb");
  return index < 0 ? unknownId : index;
}

int FieldData::getFlagId(const SExpression& name) const {
  const char second = firstChar(name, 2);
  switch (firstChar(name, 1)) {
    case 'c':
      if (name.size() < 3) return 0;
      if (second == 't') return 3;
      if (second == 'b') return 4;
      return unknownId;
    case 'l':
      if (second == '0') return 17;
      if (second == 't') return sideColumn(name, 1, 41);
      if (second == 'b') return sideColumn(name, 2, 44);
      return unknownId;
    case 'r':
      if (second == '0') return 18;
      if (second == 't') return sideColumn(name, 5, 47);
      if (second == 'b') return sideColumn(name, 6, 50);
      return unknownId;
    case 't':
      if (second == '0') return 19;
      if (second == 'l') return byDigit(name, 21, "12345");
      if (second == 'r') return byDigit(name, 26, "12345");
      return unknownId;
    case 'b':
      if (second == '0') return 20;
      if (second == 'l') return byDigit(name, 31, "12345");
      if (second == 'r') return byDigit(name, 36, "12345");
      return unknownId;
    case 'p': {
      const int row = choiceIndex(firstChar(name, 3), "tcb");
      if (row < 0) return unknownId;
      if (second == 'l') return 7 + row;
      if (second == 'r') return 10 + row;
      return unknownId;
    }
    case 'g': {
      const int row = choiceIndex(firstChar(name, 3), "tb");
      if (row < 0) return unknownId;
      if (second == 'l') return 13 + row;
      if (second == 'r') return 15 + row;
      return unknownId;
    }
    default:
      return unknownId;
  }
}

}  // namespace tovren
