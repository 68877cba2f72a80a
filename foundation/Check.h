#pragma once

// Always-on assertion: broken internal invariants stop the process in every build
// type, naming the condition. Input from the network is validated instead, and a
// mistake in what the user gave is a UserError.

#include <stdexcept>

namespace tovren {

[[noreturn]] void checkFailed(const char* condition, const char* file, int line);

// A mistake in the user's command line, configuration file or host name. main prints
// the message, which names what is wrong, as one line and ends with status 1.
class UserError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tovren

// Stops the process with the text of the condition itself.
#define TOVREN_CHECK(cond) \
  ((cond) ? static_cast<void>(0) : ::tovren::checkFailed(#cond, __FILE__, __LINE__))

// Stops the process with a given condition name (for names such as "at" or "0").
#define TOVREN_CHECK_NAMED(cond, name) \
  ((cond) ? static_cast<void>(0) : ::tovren::checkFailed(name, __FILE__, __LINE__))
