#pragma once

#include "connection/Connection.h"

#include <cstddef>
#include <memory>
#include <string>

namespace tovren {

// The UDP link to the server: a non-blocking socket that raises SIGIO for the process
// whenever a datagram arrives. The first datagram goes to the given port; the server
// answers from a port of its own for each client, so the first datagram from the
// server's host fixes the port replies go to. Only the server may talk to the client:
// datagrams from any other address or port are logged and dropped.
class OnlineConnection : public Connection {
 public:
  // Longest datagram read; a longer one is cut and skipped.
  static constexpr int kReceiveLimit = 4096;
  // After the last datagram the socket stays open until the server has sent nothing for
  // this long: longer than one turn of the server's loop, which reads before it sends.
  static constexpr int kFarewellQuietMS = 150;
  // The most a run waits on the way out, for a server that keeps talking.
  static constexpr int kFarewellLimitMS = 1000;

  // Opens the socket; the process stops with "init()" when that fails. A host that
  // resolves neither as a name nor as an address throws a UserError naming it.
  OnlineConnection(const std::string& host, int port);

  // Closes the socket.
  ~OnlineConnection() override;

  bool init() override;

  using Connection::send;
  // Sends the text and its terminating NUL as one datagram. A send that fails for the
  // moment (EAGAIN, EWOULDBLOCK, ENOBUFS, EINTR) logs "Send message fault." with the
  // error and drops the datagram; any other failure also prints that line and is
  // reported by false.
  bool send(const std::string& text) override;

  // Sends the command, then waits for the server's quiet. The server talks to each
  // client from a socket bound to it: a datagram it sends to a socket already closed
  // comes back as an error, which its next read returns before what is still queued,
  // and it drops the client there without reading the farewell.
  bool sendLast(const Command* command) override;

  // Reads and drops whatever comes until nothing has come for quietMS, or limitMS have
  // passed, or the socket fails. No SIGIO is raised from here on.
  void awaitQuiet(int quietMS, int limitMS);

  // Reads one pending datagram up to its first NUL: 1 with its text, 0 when nothing is
  // pending or the datagram is empty, -1 on a receive error. Datagrams longer than
  // kReceiveLimit, and those that do not come from the server, are logged and skipped.
  int receive(std::string& text) override;

 protected:
  // One sendto of the bytes to the server address: 0 when all went out, else the error
  // number (EMSGSIZE for a short send). Tests fail a send through it.
  virtual int transmit(const char* bytes, std::size_t length);

 private:
  struct SocketRecord;

  std::unique_ptr<SocketRecord> socketRecord;  // descriptor and server address
  std::string host;  // the given name, then its dotted-quad address once resolved
  int port;
};

}  // namespace tovren
