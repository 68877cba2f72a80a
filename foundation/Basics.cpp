#include "foundation/Basics.h"

#include "foundation/Check.h"

#include <ostream>

namespace tovren {

int Basics::changeIntBase(int value, int base, std::string& digits) {
  TOVREN_CHECK(base >= 2);
  // A digit is stored in one byte.
  TOVREN_CHECK(base <= 256);
  TOVREN_CHECK(value >= 0);
  int count = 0;
  while (value >= base) {
    digits.push_back(static_cast<char>(value % base));
    value /= base;
    ++count;
  }
  digits.push_back(static_cast<char>(value));
  return count + 1;
}

std::ostream& operator<<(std::ostream& out, const BallStatus& status) {
  static const char* const names[] = {"BS_NONE",
                                      "BS_KICKABLE_TMM",
                                      "BS_KICKABLE_OPP",
                                      "BS_KICKABLE_BODY",
                                      "BS_KICKABLE_TMM_OPP",
                                      "BS_KICKABLE_BODY_TMM",
                                      "BS_KICKABLE_BODY_OPP",
                                      "BS_FreeBall",
                                      "BS_FREE_BALL_TMM",
                                      "BS_FREE_BALL_OPP",
                                      "BS_FREE_BALL_BODY",
                                      "BS_FREE_BALL_TMM_OPP",
                                      "BS_FREE_BALL_BODY_TMM",
                                      "BS_FREE_BALL_BODY_OPP"};
  const int index = static_cast<int>(status);
  if (index >= 0 && index < static_cast<int>(sizeof(names) / sizeof(names[0]))) {
    out << names[index];
  }
  return out;
}

}  // namespace tovren
