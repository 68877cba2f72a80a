#include "connection/OnlineConnection.h"

#include "connection/Command.h"
#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "support/WorldModelScene.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

namespace tovren {
namespace {

// Loopback traffic arrives at once; these bounds only keep a broken test from hanging.
constexpr int kWaitMs = 20000;
constexpr int kWaitStepUs = 1000;

volatile sig_atomic_t arrivals = 0;

void countArrival(int) { arrivals = arrivals + 1; }

// Waits for the SIGIO that the connection's socket raises when a datagram arrives.
bool waitForArrival() {
  for (int step = 0; step < kWaitMs * 1000 / kWaitStepUs; ++step) {
    if (arrivals > 0) {
      arrivals = 0;
      return true;
    }
    usleep(kWaitStepUs);
  }
  return false;
}

// A plain UDP socket on 127.0.0.1 standing in for the server.
class UdpPeer {
 public:
  UdpPeer() : descriptor(socket(AF_INET, SOCK_DGRAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
  }
  ~UdpPeer() { close(descriptor); }
  UdpPeer(const UdpPeer&) = delete;
  UdpPeer& operator=(const UdpPeer&) = delete;

  int getPort() const { return port; }

  // From now on talks only with that port, as the server's socket for one client does:
  // a datagram that finds the port closed comes back as an error for the next read.
  void connectTo(int toPort) const {
    const sockaddr_in address = loopback(toPort);
    connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  }

  // Whether a datagram is queued, waiting for one a bounded time; nothing is read.
  bool waitReadable() const {
    pollfd wanted{descriptor, POLLIN, 0};
    return poll(&wanted, 1, kWaitMs) == 1;
  }

  void sendTo(int toPort, const std::string& bytes) const {
    const sockaddr_in address = loopback(toPort);
    sendto(descriptor, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&address),
           sizeof address);
  }

  // One datagram, waiting for it a bounded time; false when none came.
  bool receive(std::string& bytes, int& fromPort) const {
    pollfd wanted{descriptor, POLLIN, 0};
    if (poll(&wanted, 1, kWaitMs) != 1) {
      return false;
    }
    char buffer[70000];
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    const ssize_t received = recvfrom(descriptor, buffer, sizeof buffer, 0,
                                      reinterpret_cast<sockaddr*>(&sender), &length);
    if (received < 0) {
      return false;
    }
    bytes.assign(buffer, static_cast<std::size_t>(received));
    fromPort = ntohs(sender.sin_port);
    return true;
  }

 private:
  static sockaddr_in loopback(int toPort) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(toPort));
    return address;
  }

  int descriptor;
  int port = 0;
};

int countOpenDescriptors() {
  int count = 0;
  DIR* folder = opendir("/proc/self/fd");
  while (folder != nullptr && readdir(folder) != nullptr) {
    ++count;
  }
  if (folder != nullptr) {
    closedir(folder);
  }
  return count;
}

class OnlineConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    struct sigaction action {};
    action.sa_handler = countArrival;
    sigemptyset(&action.sa_mask);
    sigaction(SIGIO, &action, &previousAction);
    arrivals = 0;
    connection = std::make_unique<OnlineConnection>("127.0.0.1", server.getPort());
    // The connection's own port is learnt from its first datagram.
    connection->send(std::string("(hello)"));
    std::string bytes;
    ASSERT_TRUE(server.receive(bytes, connectionPort));
  }

  void TearDown() override {
    connection.reset();
    sigaction(SIGIO, &previousAction, nullptr);
  }

  // Sends from the peer and waits until the datagram has arrived.
  void deliver(const UdpPeer& from, const std::string& bytes) {
    from.sendTo(connectionPort, bytes);
    ASSERT_TRUE(waitForArrival());
  }

  struct sigaction previousAction {};
  UdpPeer server;
  std::unique_ptr<OnlineConnection> connection;
  int connectionPort = 0;
};

TEST_F(OnlineConnectionTest, SendsTextAndItsNulAsOneDatagramToTheResolvedHost) {
  const DashCommand dash(100.0f);
  connection->send(&dash);
  connection->send(std::string());
  OnlineConnection named("localhost", server.getPort());
  named.send(std::string("(eye on)"));
  for (const std::string& expected :
       {std::string("(dash 100.00)\0", 14), std::string(1, '\0'), std::string("(eye on)\0", 9)}) {
    std::string bytes;
    int fromPort = 0;
    ASSERT_TRUE(server.receive(bytes, fromPort));
    EXPECT_EQ(bytes, expected);
  }
}

TEST_F(OnlineConnectionTest, ReceiveTakesTextUpToTheNulAndSkipsCutDatagrams) {
  const int limit = OnlineConnection::kReceiveLimit;
  std::ostringstream& log = support::captureMainLog();
  for (const std::string& bytes :
       {std::string("abc\0def", 7), std::string(limit, 'x'), std::string(limit - 1, 'y') + '\0',
        std::string(limit + 1, 'a'), std::string(10000, 'b'), std::string("(next)")}) {
    deliver(server, bytes);
  }
  std::string text = "stale";
  for (const std::string& expected : {std::string("abc"), std::string(limit, 'x'),
                                      std::string(limit - 1, 'y'), std::string("(next)")}) {
    EXPECT_EQ(connection->receive(text), 1);
    EXPECT_EQ(text, expected);
  }
  EXPECT_EQ(connection->receive(text), 0);
  EXPECT_EQ(text, "");
  EXPECT_NE(log.str().find("Skipping cut datagram"), std::string::npos);
}

TEST_F(OnlineConnectionTest, FirstAnswerFixesTheReplyPortAndOtherSendersAreIgnored) {
  const UdpPeer answering;  // the server answers from a port of its own
  const UdpPeer forger;
  std::ostringstream& log = support::captureMainLog();
  for (const UdpPeer* from :
       {&answering, &forger, static_cast<const UdpPeer*>(&server), &forger, &answering}) {
    deliver(*from, from == &answering ? "(init l 3 before_kick_off)" : "(see 0 ((b) 1 0))");
  }
  std::string text;
  for (int expected : {1, 1, 0}) EXPECT_EQ(connection->receive(text), expected);
  EXPECT_EQ(text, "");
  connection->send(std::string("(turn 10)"));
  std::string bytes;
  int fromPort = 0;
  ASSERT_TRUE(answering.receive(bytes, fromPort));
  EXPECT_NE(log.str().find(":" + std::to_string(forger.getPort())), std::string::npos);
}

TEST_F(OnlineConnectionTest, EmptyFirstAnswerGivesZeroButFixesTheReplyPort) {
  const UdpPeer second;
  deliver(second, "");
  std::string text = "stale";
  EXPECT_EQ(connection->receive(text), 0);
  EXPECT_EQ(text, "");

  connection->send(std::string("(bye)"));
  std::string bytes;
  int fromPort = 0;
  ASSERT_TRUE(second.receive(bytes, fromPort));
  EXPECT_EQ(bytes, std::string("(bye)") + '\0');
}

TEST_F(OnlineConnectionTest, LastCommandOutlastsADatagramTheServerSendsBeforeReadingIt) {
  UdpPeer client;  // the server's socket for this client
  client.connectTo(connectionPort);
  client.sendTo(connectionPort, "(init l 3 before_kick_off)");
  ASSERT_TRUE(waitForArrival());
  std::string text;
  ASSERT_EQ(connection->receive(text), 1);

  // Long enough that only a fault closes the socket before the server has read.
  constexpr int kQuietMS = 2000;
  constexpr int kServerStepMS = 100;
  std::thread farewell([this] {
    const ByeCommand bye;
    connection->send(&bye);
    connection->awaitQuiet(kQuietMS, kWaitMs);
    connection.reset();
  });
  // The server's step, busy for a while, sends to the client after the bye has come and
  // before it is read.
  ASSERT_TRUE(client.waitReadable());
  std::this_thread::sleep_for(std::chrono::milliseconds(kServerStepMS));
  client.sendTo(connectionPort, "(sense_body 5)");
  std::string bytes;
  int fromPort = 0;
  const bool read = client.receive(bytes, fromPort);
  farewell.join();
  ASSERT_TRUE(read) << "the closed socket's error came first";
  EXPECT_EQ(bytes, std::string("(bye)") + '\0');
}

TEST_F(OnlineConnectionTest, AwaitQuietEndsOnTheServersSilenceOrAtTheLimit) {
  using Clock = std::chrono::steady_clock;
  constexpr int kQuietMS = 300;
  constexpr int kLimitMS = 1500;
  constexpr int kTalkMS = 50;  // far inside the quiet time
  const struct Case {
    const char* name;
    int talkForMS;  // the server sends every kTalkMS for so long, or until the wait ends
    int leastMS;
  } cases[] = {
      {"silent", 0, kQuietMS},
      {"stops talking", 600, 600 - kTalkMS + kQuietMS},
      {"keeps talking", 100 * kLimitMS, kLimitMS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Clock::time_point start = Clock::now();
    std::atomic<bool> waiting{true};
    std::thread talking([&] {
      while (waiting && Clock::now() - start < std::chrono::milliseconds(c.talkForMS)) {
        server.sendTo(connectionPort, "(sense_body 5)");
        std::this_thread::sleep_for(std::chrono::milliseconds(kTalkMS));
      }
    });
    connection->awaitQuiet(kQuietMS, kLimitMS);
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    waiting = false;
    talking.join();
    EXPECT_GE(waited, c.leastMS);
    // Whatever the load, far short of a wait that ignores the quiet or the limit.
    EXPECT_LT(waited, c.leastMS + kWaitMs);
  }
}

TEST(OnlineConnection, ClosesItsSocketAndReportsWhatCannotBeSent) {
  const UdpPeer server;
  const int before = countOpenDescriptors();
  {
    OnlineConnection connection("127.0.0.1", server.getPort());
    EXPECT_EQ(countOpenDescriptors(), before + 1);
    // Larger than any UDP datagram, so nothing of it is sent.
    EXPECT_FALSE(connection.send(std::string(70000, 'x')));
  }
  EXPECT_EQ(countOpenDescriptors(), before);
  EXPECT_THROW(OnlineConnection("no-such-host.invalid", 6000), UserError);
}

}  // namespace
}  // namespace tovren
