#include "foundation/Str.h"

#include "foundation/Check.h"

#include <cctype>
#include <climits>
#include <cstdlib>

namespace tovren {

Str::Str(const std::string& value) : value(value) {}

Str::~Str() = default;

int Str::toInt(const std::string& value) {
  char* end = nullptr;
  const long number = std::strtol(value.c_str(), &end, 0);
  TOVREN_CHECK(end != value.c_str());
  // A number past the range of int saturates instead of wrapping.
  if (number > INT_MAX) {
    return INT_MAX;
  }
  if (number < INT_MIN) {
    return INT_MIN;
  }
  return static_cast<int>(number);
}

float Str::toFloat(const std::string& value) {
  char* end = nullptr;
  const float number = std::strtof(value.c_str(), &end);
  TOVREN_CHECK(end != value.c_str());
  return number;
}

char Str::toChar(const std::string& value) {
  TOVREN_CHECK(value.length() == 1);
  return value[0];
}

bool Str::readBool(const std::string& value, bool& flag) {
  std::string lower(value);
  for (char& c : lower) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  flag = lower == "true" || lower == "1";
  return flag || lower == "false" || lower == "0";
}

bool Str::toBool(const std::string& value) {
  bool flag = false;
  TOVREN_CHECK_NAMED(readBool(value, flag),
                     "lower == \"true\" || lower == \"1\" || lower == \"false\" || lower == \"0\"");
  return flag;
}

}  // namespace tovren
