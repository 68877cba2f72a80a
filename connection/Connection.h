#pragma once

#include <string>

// The link to the simulation server: one command or text goes out as one datagram,
// one message comes in per receive.

namespace tovren {

class Command;

class Connection {
 public:
  Connection() = default;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Opens the link; true on success.
  virtual bool init() = 0;

  // Sends the command's text; the command stays the caller's. Both sends return true
  // when the text went out or was dropped on a passing fault, false when the link has
  // failed and the run cannot go on.
  virtual bool send(const Command* command);

  virtual bool send(const std::string& text) = 0;

  // Sends the run's last command ("(bye)"), after which the link is released. A link
  // whose peer could still lose it keeps itself open until the peer has taken it.
  virtual bool sendLast(const Command* command) { return send(command); }

  // 1 when a message was read into text, 0 when nothing was pending, -1 on an error.
  virtual int receive(std::string& text) = 0;

  // Links are deleted through a Connection pointer.
  virtual ~Connection() = default;
};

}  // namespace tovren
