#pragma once

#include "connection/Connection.h"

#include <memory>
#include <string>

namespace tovren {

// The UDP link to the server: a non-blocking socket that raises SIGIO for the process
// whenever a datagram arrives. Replies go to the port of the last datagram received,
// since the server answers from a port of its own for each client.
class OnlineConnection : public Connection {
 public:
  // Longest datagram read; a longer one is cut and skipped.
  static constexpr int kReceiveLimit = 4096;

  // Opens the socket; the process stops with "init()" when that fails.
  OnlineConnection(const std::string& host, int port);

  // Closes the socket.
  ~OnlineConnection() override;

  bool init() override;

  using Connection::send;
  // Sends the text and its terminating NUL as one datagram; a short send prints
  // "Send message fault." and ends the process with status 1.
  void send(const std::string& text) override;

  // Reads one pending datagram up to its first NUL: 1 with its text, 0 when nothing is
  // pending or the datagram is empty, -1 on a receive error. Datagrams longer than
  // kReceiveLimit are logged and skipped.
  int receive(std::string& text) override;

 private:
  struct SocketRecord;

  std::unique_ptr<SocketRecord> socketRecord;  // descriptor and server address
  std::string host;  // the given name, then its dotted-quad address once resolved
  int port;
};

}  // namespace tovren
