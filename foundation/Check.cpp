#include "foundation/Check.h"

#include <cstdio>
#include <cstdlib>

namespace tovren {

void checkFailed(const char* condition, const char* file, int line) {
  std::fflush(stdout);
  std::fprintf(stderr, "Assertion failed: %s (%s:%d)\n", condition, file, line);
  std::fflush(stderr);
  std::abort();
}

}  // namespace tovren
