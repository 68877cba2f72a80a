#include "support/AgentScene.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

// scripts/start-team.sh against a stand-in server that accepts every player, from a
// copy of the repository layout that the script finds relative to itself.

namespace tovren {
namespace {

using support::agentConfigText;
using support::ChildProcess;
using support::readFile;
using support::readLines;
using support::ScratchDirectory;
using support::waitUntil;

constexpr int kTeamTimeoutMS = 60000;
constexpr int kExitTimeoutMS = 30000;

// Answers every init from a socket of its own with the next uniform number and records
// each datagram's text; it binds a free port itself and writes it to a file once bound.
const char* const kAcceptingServer = R"py(
import os, select, socket, sys
listen = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
listen.bind(("127.0.0.1", 0))
record = open(sys.argv[2], "w")
with open(sys.argv[1] + ".part", "w") as port:
    port.write(str(listen.getsockname()[1]))
os.rename(sys.argv[1] + ".part", sys.argv[1])
sockets, number = [listen], 0
while True:
    for s in select.select(sockets, [], [], 0.1)[0]:
        data, sender = s.recvfrom(65536)
        text = data.rstrip(b"\0").decode()
        record.write(text + "\n")
        record.flush()
        if text.startswith("(init"):
            number += 1
            talk = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            talk.bind(("127.0.0.1", 0))
            sockets.append(talk)
            talk.sendto(("(init l %d before_kick_off)" % number).encode() + b"\0", sender)
)py";

// Lays out the script, the program and the configuration text in the root.
void layOutRepository(const ScratchDirectory& root, const std::string& configText) {
  std::filesystem::create_directories(root.file("scripts"));
  std::filesystem::create_directories(root.file("build"));
  std::filesystem::copy_file(std::string(TOVREN_SOURCE_DIR) + "/scripts/start-team.sh",
                             root.file("scripts/start-team.sh"));
  std::filesystem::create_symlink(std::string(TOVREN_BINARY_DIR) + "/tovren",
                                  root.file("build/tovren"));
  root.write("Configs/Agent.conf", configText);
  support::copyPlayerValueFiles(root.path());
}

TEST(StartTeam, StartsGoalieTenPlayersAndCoachAndStopsThemAllWithBye) {
  // The executable and the working directory named, both away from the repository copy.
  ScratchDirectory root;
  std::filesystem::create_directories(root.file("scripts"));
  std::filesystem::copy_file(std::string(TOVREN_SOURCE_DIR) + "/scripts/start-team.sh",
                             root.file("scripts/start-team.sh"));
  root.write("team/Configs/Agent.conf", agentConfigText({}));
  support::copyPlayerValueFiles(root.file("team"));

  ChildProcess server(
      {"python3", "-c", kAcceptingServer, root.file("port.txt"), root.file("record.txt")},
      root.path(), root.file("server-out.txt"), root.file("server-err.txt"));
  ASSERT_TRUE(
      waitUntil([&] { return std::filesystem::exists(root.file("port.txt")); }, kExitTimeoutMS));
  const std::string port = readFile(root.file("port.txt"));

  // Started from elsewhere: the script finds everything relative to itself.
  ChildProcess script({root.file("scripts/start-team.sh"), "--host", "127.0.0.1", "--port", port,
                       "--team", "Demo", "--logdir", root.file("out"), "--workdir",
                       root.file("team"), "--binary", std::string(TOVREN_BINARY_DIR) + "/tovren"},
                      "/", root.file("script-out.txt"), root.file("script-err.txt"));
  // The coach, without its type rates file here, ends without connecting: its line is
  // shown, and the team plays on.
  ASSERT_TRUE(waitUntil(
      [&] {
        return readFile(root.file("script-out.txt")).find("without its coach") != std::string::npos;
      },
      kTeamTimeoutMS))
      << readFile(root.file("script-out.txt")) << readFile(root.file("script-err.txt"));
  EXPECT_NE(readFile(root.file("script-err.txt"))
                .find("  Cannot open configuration file: ./Configs/OurTypesRates.conf\n"),
            std::string::npos);
  script.signal(SIGINT);
  EXPECT_EQ(script.waitFor(kExitTimeoutMS), 0);
  const auto byes = [&] {
    const std::vector<std::string> lines = readLines(root.file("record.txt"));
    return std::count(lines.begin(), lines.end(), "(bye)");
  };
  EXPECT_TRUE(waitUntil([&] { return byes() == 11; }, kExitTimeoutMS)) << byes();
  server.signal(SIGTERM);

  std::vector<std::string> inits;
  for (const std::string& line : readLines(root.file("record.txt"))) {
    if (line.rfind("(init", 0) == 0) inits.push_back(line);
  }
  ASSERT_EQ(inits.size(), 11u);
  EXPECT_EQ(inits.front(), "(init Demo (version 9.4)(goalie))");
  for (std::size_t i = 1; i < inits.size(); ++i) EXPECT_EQ(inits[i], "(init Demo (version 9.4))");
  EXPECT_EQ(readFile(root.file("out/player-01.out")),
            "Player 1 connected.\nTermination Handler.\n");
  EXPECT_EQ(readFile(root.file("out/player-11.out")),
            "Player 11 connected.\nTermination Handler.\n");
  EXPECT_EQ(readFile(root.file("out/coach.out")),
            "Cannot open configuration file: ./Configs/OurTypesRates.conf\n");
  // Each process's id while it ran and its exit status.
  EXPECT_EQ(readFile(root.file("out/player-01.status")), "0\n");
  EXPECT_EQ(readFile(root.file("out/player-11.status")), "0\n");
  EXPECT_EQ(readFile(root.file("out/coach.status")), "1\n");
  EXPECT_GT(std::stoi(readFile(root.file("out/player-11.pid"))), 0);
}

TEST(StartTeam, PlayerThatEndsBeforeConnectingIsShownWithItsLastLinesAndStopsTheTeam) {
  ScratchDirectory root;
  layOutRepository(root, agentConfigText({{"LogToFile", "maybe"}}));
  ChildProcess script({root.file("scripts/start-team.sh"), "--host", "127.0.0.1", "--port",
                       std::to_string(support::findFreeUdpPort()), "--logdir", root.file("out")},
                      "/", root.file("script-out.txt"), root.file("script-err.txt"));
  EXPECT_EQ(script.waitFor(kExitTimeoutMS), 1);
  // The player's one line saying why, indented under the script's own.
  const std::string reason = readFile(root.file("out/player-01.out"));
  ASSERT_NE(reason.find("LogToFile"), std::string::npos) << reason;
  EXPECT_NE(readFile(root.file("script-err.txt")).find("\n  " + reason), std::string::npos)
      << readFile(root.file("script-err.txt"));
}

}  // namespace
}  // namespace tovren
