#include "connection/Connection.h"

#include "connection/Command.h"
#include "foundation/Check.h"

namespace tovren {

void Connection::send(const Command* command) {
  TOVREN_CHECK(command != nullptr);
  send(command->toString());
}

}  // namespace tovren
