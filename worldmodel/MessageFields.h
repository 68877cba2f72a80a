#pragma once

#include "foundation/SExpression.h"

#include <optional>
#include <string>

namespace tovren {

// Checked reading of the elements of a server message. Messages come from the network,
// so every element is looked at before it is used: a missing element, a list where an
// atom belongs or an atom that is not a number gives "no value" instead of stopping.
// Every number that arrives over the network is read by decimalInt or decimalFloat.
class MessageFields {
 public:
  // Element index as an atom, or null when it is missing or a list.
  static const SExpAtomic* atomAt(const SExpression& list, unsigned int index);

  // Element index as a list, or null when it is missing or an atom.
  static const SExpression* listAt(const SExpression& list, unsigned int index);

  // Whether element index is the atom with exactly this text.
  static bool isAtom(const SExpression& list, unsigned int index, const char* text);

  // Element index as decimalInt reads it; false, with out unchanged, when it cannot.
  static bool readInt(const SExpression& list, unsigned int index, int& out);

  // Element index as decimalFloat reads it; false, with out unchanged, when it cannot.
  static bool readFloat(const SExpression& list, unsigned int index, float& out);

  // The whole text as an integer: an optional sign and decimal digits, nothing else (no
  // blank, no base prefix, so "010" is ten). None when it does not fit an int; the
  // caller checks the range it needs.
  static std::optional<int> decimalInt(const std::string& text);

  // The whole text as a decimal number with optional fraction and exponent; none for
  // anything else ("nan", "inf", hexadecimal, blanks) and for a value a float cannot hold.
  static std::optional<float> decimalFloat(const std::string& text);
};

}  // namespace tovren
