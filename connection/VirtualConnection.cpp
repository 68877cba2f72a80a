#include "connection/VirtualConnection.h"

#include <utility>

namespace tovren {

bool VirtualConnection::init() { return true; }

bool VirtualConnection::send(const std::string&) { return true; }

int VirtualConnection::receive(std::string& text) {
  if (messages.empty()) {
    return 0;
  }
  text = std::move(messages.front());
  messages.pop_front();
  return 1;
}

void VirtualConnection::addMessage(const std::string& text) { messages.push_back(text); }

}  // namespace tovren
