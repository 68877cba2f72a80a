#pragma once

// Always-on assertion: broken internal invariants stop the process in every build
// type, naming the condition. Input from the network is validated instead.

namespace tovren {

[[noreturn]] void checkFailed(const char* condition, const char* file, int line);

} // namespace tovren

// Stops the process with the text of the condition itself.
#define TOVREN_CHECK(cond) \
  ((cond) ? static_cast<void>(0) : ::tovren::checkFailed(#cond, __FILE__, __LINE__))

// Stops the process with a given condition name (for names such as "at" or "0").
#define TOVREN_CHECK_NAMED(cond, name) \
  ((cond) ? static_cast<void>(0) : ::tovren::checkFailed(name, __FILE__, __LINE__))
