#include "connection/Connection.h"

#include "connection/Command.h"
#include "foundation/Check.h"

namespace tovren {

bool Connection::send(const Command* command) {
  TOVREN_CHECK(command != nullptr);
  return send(command->toString());
}

}  // namespace tovren
