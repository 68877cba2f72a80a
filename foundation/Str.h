#pragma once

#include <string>

namespace tovren {

// A text with the typed conversions shared by message atoms and configuration tokens.
// A text that a conversion cannot read stops the process, naming the condition.
class Str {
 public:
  explicit Str(const std::string& value);
  Str(const Str&) = default;
  Str(Str&&) = default;
  Str& operator=(const Str&) = default;
  Str& operator=(Str&&) = default;
  virtual ~Str();

  const std::string& asString() const { return value; }
  int asInt() const { return toInt(value); }
  float asFloat() const { return toFloat(value); }
  char asChar() const { return toChar(value); }
  bool asBool() const { return toBool(value); }

  // The conversions themselves, also used by SExpAtomic.
  // Longest prefix that strtol accepts with base 0 (decimal, 0x hexadecimal, 0 octal),
  // saturated to the range of int.
  static int toInt(const std::string& value);
  // Longest prefix that strtof accepts.
  static float toFloat(const std::string& value);
  // The single character of a one-character text.
  static char toChar(const std::string& value);
  // "true"/"1" and "false"/"0", in any letter case.
  static bool toBool(const std::string& value);

  // toBool for text from the user: false where toBool would stop the process, and the
  // flag is then not to be used.
  static bool readBool(const std::string& value, bool& flag);

 private:
  std::string value;
};

}  // namespace tovren
