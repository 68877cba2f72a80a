#pragma once

#include "foundation/SExpression.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

namespace tovren {

// Checked reading of the elements of a server message. Messages come from the network,
// so every element is looked at before it is used: a missing element, a list where an
// atom belongs or an atom that is not a number gives "no value" instead of stopping.
class MessageFields {
 public:
  // Element index as an atom, or null when it is missing or a list.
  static const SExpAtomic* atomAt(const SExpression& list, unsigned int index) {
    if (index >= list.size()) return nullptr;
    const SExpElement* element = list[index];
    return element->type() == 0 ? static_cast<const SExpAtomic*>(element) : nullptr;
  }

  // Element index as a list, or null when it is missing or an atom.
  static const SExpression* listAt(const SExpression& list, unsigned int index) {
    if (index >= list.size()) return nullptr;
    const SExpElement* element = list[index];
    return element->type() == 1 ? static_cast<const SExpression*>(element) : nullptr;
  }

  // Whether element index is the atom with exactly this text.
  static bool isAtom(const SExpression& list, unsigned int index, const char* text) {
    const SExpAtomic* atom = atomAt(list, index);
    return atom != nullptr && atom->asString() == text;
  }

  // An atom read as the atoms read integers (the longest prefix strtol accepts with base
  // 0, saturated to int); false when no digit can be read.
  static bool readInt(const SExpression& list, unsigned int index, int& out) {
    const SExpAtomic* atom = atomAt(list, index);
    return atom != nullptr && textToInt(atom->asString(), out);
  }

  // An atom read as a finite float; false when no number can be read, and for "nan" and
  // "inf", which must not reach the model.
  static bool readFloat(const SExpression& list, unsigned int index, float& out) {
    const SExpAtomic* atom = atomAt(list, index);
    return atom != nullptr && textToFloat(atom->asString(), out);
  }

  static bool textToInt(const std::string& text, int& out) {
    const char* start = text.c_str();
    char* end = nullptr;
    long value = std::strtol(start, &end, 0);
    if (end == start) return false;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    out = static_cast<int>(value);
    return true;
  }

  static bool textToFloat(const std::string& text, float& out) {
    const char* start = text.c_str();
    char* end = nullptr;
    float value = std::strtof(start, &end);
    if (end == start || !std::isfinite(value)) return false;
    out = value;
    return true;
  }
};

}  // namespace tovren
