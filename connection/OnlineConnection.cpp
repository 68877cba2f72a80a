#include "connection/OnlineConnection.h"

#include "foundation/Check.h"
#include "foundation/Logger.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace tovren {

namespace {

// Cut datagrams skipped in one receive at most; far more than the socket buffer holds.
constexpr int kMaxSkippedPerReceive = 1024;

}  // namespace

struct OnlineConnection::SocketRecord {
  int descriptor = -1;  // -1 while not open
  sockaddr_in serverAddress{};
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
    return false;
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
  socketRecord->serverAddress = sockaddr_in{};
  socketRecord->serverAddress.sin_family = AF_INET;
  socketRecord->serverAddress.sin_port = htons(static_cast<uint16_t>(port));
  socketRecord->serverAddress.sin_addr.s_addr = inet_addr(host.c_str());
  return true;
}

void OnlineConnection::send(const std::string& text) {
  const std::size_t length = text.size() + 1;  // the terminating NUL goes too
  const ssize_t sent =
      sendto(socketRecord->descriptor, text.c_str(), length, 0,
             reinterpret_cast<const sockaddr*>(&socketRecord->serverAddress),
             sizeof socketRecord->serverAddress);
  if (sent < 0 || static_cast<std::size_t>(sent) != length) {
    std::cout << "Send message fault." << std::endl;
    std::exit(1);
  }
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
      std::cout << "Receive error: " << error << " on " << socketRecord->descriptor
                << std::endl;
      errno = error;
      std::perror("");
      return -1;
    }
    if (sender.sin_family == AF_INET) {
      socketRecord->serverAddress.sin_port = sender.sin_port;
    }
    if (received == 0) {
      return 0;
    }
    const std::size_t length = strnlen(buffer, static_cast<std::size_t>(received));
    if (received > kReceiveLimit) {
      // The rest of the message is lost; parsing the head would read a wrong message.
      logger["MainLog"] << "Skipping cut datagram longer than " << kReceiveLimit
                        << " bytes: "
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
