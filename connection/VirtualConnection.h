#pragma once

#include "connection/Connection.h"

#include <deque>
#include <string>

namespace tovren {

// Stands in for the server in the offline replay: a queue of messages filled by the
// replay; everything sent is dropped.
class VirtualConnection : public Connection {
 public:
  VirtualConnection() = default;

  bool init() override;

  using Connection::send;
  // Drops the text; true.
  bool send(const std::string& text) override;

  // Moves the oldest message into text and returns 1; 0 with text unchanged when empty.
  int receive(std::string& text) override;

  // Appends a message at the end of the queue.
  void addMessage(const std::string& text);

 private:
  std::deque<std::string> messages;  // oldest first
};

}  // namespace tovren
