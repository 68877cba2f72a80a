#include "connection/OnlineConnection.h"

#include "foundation/Check.h"
#include "foundation/Logger.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace tovren {

namespace {

// Cut or foreign datagrams skipped in one receive at most; far more than the socket buffer holds.
constexpr int kMaxSkippedPerReceive = 1024;

}  // namespace

struct OnlineConnection::SocketRecord {
  int descriptor = -1;  // -1 while not open
  sockaddr_in serverAddress{};
  bool replyPortFixed = false;  // the server has answered from serverAddress's port
};

OnlineConnection::OnlineConnection(const std::string& host, int port)
    : socketRecord(std::make_unique<SocketRecord>()), host(host), port(port) {
  const bool opened = init();
  TOVREN_CHECK_NAMED(opened, "init()");
}

OnlineConnection::~OnlineConnection() {
  if (socketRecord->descriptor >= 0) {
    close(socketRecord->descriptor);
  }
}

bool OnlineConnection::init() {
  if (socketRecord->descriptor >= 0) {
    close(socketRecord->descriptor);
  }
  socketRecord->descriptor = -1;

  const hostent* entry = gethostbyname(host.c_str());
  if (entry != nullptr && entry->h_addrtype == AF_INET && entry->h_addr_list[0] != nullptr) {
    in_addr address;
    std::memcpy(&address, entry->h_addr_list[0], sizeof address);
    host = inet_ntoa(address);
  } else if (inet_addr(host.c_str()) == INADDR_NONE) {
    throw UserError("Unknown host: " + host);
  }

  const int descriptor = socket(AF_INET, SOCK_DGRAM, 0);
  if (descriptor < 0) {
    return false;
  }
  if (fcntl(descriptor, F_SETOWN, getpid()) < 0) {
    close(descriptor);
    return false;
  }
  // Every arriving datagram raises SIGIO, and reading an empty socket returns at once.
  const int flags = fcntl(descriptor, F_GETFL, 0);
  fcntl(descriptor, F_SETFL, flags | O_NONBLOCK | O_ASYNC);

  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = htons(0);
  if (bind(descriptor, reinterpret_cast<const sockaddr*>(&local), sizeof local) < 0) {
    close(descriptor);
    return false;
  }

  socketRecord->descriptor = descriptor;
  socketRecord->replyPortFixed = false;
  socketRecord->serverAddress = sockaddr_in{};
  socketRecord->serverAddress.sin_family = AF_INET;
  socketRecord->serverAddress.sin_port = htons(static_cast<uint16_t>(port));
  socketRecord->serverAddress.sin_addr.s_addr = inet_addr(host.c_str());
  return true;
}

bool OnlineConnection::send(const std::string& text) {
  // The terminating NUL goes too.
  const int error = transmit(text.c_str(), text.size() + 1);
  if (error == 0) return true;
  logger["MainLog"] << "Send message fault. " << std::strerror(error) << std::endl;
  // A full socket buffer or an interrupted call passes; the next cycle sends again.
  if (error == EAGAIN || error == EWOULDBLOCK || error == ENOBUFS || error == EINTR) {
    return true;
  }
  std::cout << "Send message fault. " << std::strerror(error) << std::endl;
  return false;
}

bool OnlineConnection::sendLast(const Command* command) {
  const bool sent = send(command);
  awaitQuiet(kFarewellQuietMS, kFarewellLimitMS);
  return sent;
}

void OnlineConnection::awaitQuiet(int quietMS, int limitMS) {
  const int descriptor = socketRecord->descriptor;
  if (descriptor < 0) return;
  // The signal handlers may already be gone.
  fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL, 0) & ~O_ASYNC);
  using Clock = std::chrono::steady_clock;
  const Clock::time_point limit = Clock::now() + std::chrono::milliseconds(limitMS);
  Clock::time_point quiet = Clock::now() + std::chrono::milliseconds(quietMS);
  char buffer[kReceiveLimit + 1];
  for (;;) {
    const Clock::time_point now = Clock::now();
    const Clock::time_point until = std::min(quiet, limit);
    if (now >= until) return;
    pollfd readable{descriptor, POLLIN, 0};
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
    const int ready = poll(&readable, 1, static_cast<int>(left));
    if (ready < 0 && errno != EINTR) return;
    if (ready <= 0) continue;
    bool heard = false;
    while (recv(descriptor, buffer, sizeof buffer, 0) >= 0) heard = true;
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return;
    if (heard) quiet = Clock::now() + std::chrono::milliseconds(quietMS);
  }
}

int OnlineConnection::transmit(const char* bytes, std::size_t length) {
  const ssize_t sent = sendto(socketRecord->descriptor, bytes, length, 0,
                              reinterpret_cast<const sockaddr*>(&socketRecord->serverAddress),
                              sizeof socketRecord->serverAddress);
  if (sent < 0) return errno;
  return static_cast<std::size_t>(sent) == length ? 0 : EMSGSIZE;
}

int OnlineConnection::receive(std::string& text) {
  text.clear();
  // One byte beyond the limit tells a datagram that the limit would cut.
  char buffer[kReceiveLimit + 1];
  for (int skipped = 0; skipped < kMaxSkippedPerReceive; ++skipped) {
    sockaddr_in sender{};
    socklen_t senderLength = sizeof sender;
    const ssize_t received = recvfrom(socketRecord->descriptor, buffer, sizeof buffer, 0,
                                      reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (received < 0) {
      const int error = errno;
      if (error == EAGAIN || error == EWOULDBLOCK) {
        return 0;
      }
      std::cout << "Receive error: " << error << " on " << socketRecord->descriptor << std::endl;
      errno = error;
      std::perror("");
      return -1;
    }
    sockaddr_in& server = socketRecord->serverAddress;
    if (sender.sin_family != AF_INET || sender.sin_addr.s_addr != server.sin_addr.s_addr ||
        (socketRecord->replyPortFixed && sender.sin_port != server.sin_port)) {
      // Anyone else on the network could steer the commands or forge what the client sees.
      logger["MainLog"] << "Ignoring a datagram from " << inet_ntoa(sender.sin_addr) << ":"
                        << ntohs(sender.sin_port) << std::endl;
      continue;
    }
    server.sin_port = sender.sin_port;
    socketRecord->replyPortFixed = true;
    if (received == 0) {
      return 0;
    }
    const std::size_t length = strnlen(buffer, static_cast<std::size_t>(received));
    if (received > kReceiveLimit) {
      // The rest of the message is lost; parsing the head would read a wrong message.
      logger["MainLog"] << "Skipping cut datagram longer than " << kReceiveLimit << " bytes: "
                        << std::string(buffer, std::min<std::size_t>(length, kReceiveLimit))
                        << std::endl;
      continue;
    }
    text.assign(buffer, length);
    return 1;
  }
  return 0;
}

}  // namespace tovren
