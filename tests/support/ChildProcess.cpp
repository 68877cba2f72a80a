#include "support/ChildProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <tuple>

namespace tovren::support {

ScratchDirectory::ScratchDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tovren-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  directory = pattern;
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
}

void ScratchDirectory::write(const std::string& relative, const std::string& text) const {
  const std::filesystem::path target = file(relative);
  std::filesystem::create_directories(target.parent_path());
  std::ofstream out(target);
  out << text;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::string& workingDirectory, const std::string& stdoutPath,
                           const std::string& stderrPath) {
  // Everything the child needs is prepared before the fork.
  std::vector<char*> arguments;
  for (const std::string& each : argv) arguments.push_back(const_cast<char*>(each.c_str()));
  arguments.push_back(nullptr);
  pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int out = open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || chdir(workingDirectory.c_str()) != 0) _exit(127);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    // The test runner may block or ignore signals; the program must start as from a shell.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int each : {SIGINT, SIGQUIT, SIGTERM, SIGALRM, SIGIO}) ::signal(each, SIG_DFL);
    execvp(arguments[0], arguments.data());
    _exit(127);
  }
}

ChildProcess::~ChildProcess() {
  if (!isRunning()) return;
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
}

void ChildProcess::signal(int signalNumber) const {
  // Once reaped, the id may belong to another process.
  if (!reaped) kill(pid, signalNumber);
}

std::optional<int> ChildProcess::waitFor(int timeoutMS) {
  waitUntil([this] { return !isRunning(); }, timeoutMS);
  if (!reaped) return std::nullopt;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ChildProcess::isRunning() {
  if (reaped) return false;
  if (waitpid(pid, &status, WNOHANG) == pid) reaped = true;
  return !reaped;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> readLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMS) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMS);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return condition();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

double processCpuSeconds(pid_t pid) {
  clockid_t clock;
  timespec spent{};
  if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &spent) != 0) return -1;
  return static_cast<double>(spent.tv_sec) + spent.tv_nsec * 1e-9;
}

namespace {

// A UDP socket bound to the port on 127.0.0.1 (0: any free one) and the port it got, or
// -1 and 0 when the port is taken.
std::pair<int, int> openUdpPort(int port) {
  const int descriptor = socket(AF_INET, SOCK_DGRAM, 0);
  if (descriptor < 0) throw std::runtime_error("socket failed");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  socklen_t length = sizeof address;
  if (bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(descriptor);
    return {-1, 0};
  }
  return {descriptor, ntohs(address.sin_port)};
}

// Binds a UDP socket to the port and closes it: the port it got, 0 when it was taken.
int bindUdpPort(int port) {
  const auto [descriptor, bound] = openUdpPort(port);
  if (descriptor >= 0) close(descriptor);
  return bound;
}

// The inodes of the sockets bound to each of the UDP ports, from one read of the kernel's
// socket tables.
std::map<int, std::set<std::string>> udpSocketInodes(const std::vector<int>& ports) {
  std::map<std::string, int> wanted;  // ":%04X" of the local address -> port
  for (int port : ports) {
    char local[8];
    std::snprintf(local, sizeof local, ":%04X", static_cast<unsigned>(port));
    wanted[local] = port;
  }
  std::map<int, std::set<std::string>> inodes;
  for (const char* table : {"/proc/net/udp", "/proc/net/udp6"}) {
    for (const std::string& line : readLines(table)) {
      // "sl local_address rem_address st tx_queue:rx_queue tr:when retrnsmt uid timeout inode"
      std::istringstream fields(line);
      std::string slot, address, skipped, inode;
      fields >> slot >> address;
      for (int i = 0; i < 7; ++i) fields >> skipped;
      fields >> inode;
      const std::string::size_type colon = address.rfind(':');
      if (!fields || colon == std::string::npos) continue;
      const auto port = wanted.find(address.substr(colon));
      if (port != wanted.end()) inodes[port->second].insert(inode);
    }
  }
  return inodes;
}

}  // namespace

int findFreeUdpPort() {
  const int port = bindUdpPort(0);
  if (port == 0) throw std::runtime_error("no free UDP port");
  return port;
}

bool isUdpPortFree(int port) { return bindUdpPort(port) != 0; }

bool holdsUdpPorts(pid_t pid, const std::vector<int>& ports) {
  std::set<std::string> sockets;
  std::error_code error;
  const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
    // "socket:[INODE]"
    if (!error && target.rfind("socket:[", 0) == 0 && target.back() == ']') {
      sockets.insert(target.substr(8, target.size() - 9));
    }
  }
  std::map<int, std::set<std::string>> bound = udpSocketInodes(ports);
  return std::all_of(ports.begin(), ports.end(), [&](int port) {
    const std::set<std::string>& inodes = bound[port];
    return std::any_of(inodes.begin(), inodes.end(),
                       [&](const std::string& inode) { return sockets.count(inode) > 0; });
  });
}

HeldUdpPort::HeldUdpPort(int wanted) {
  std::tie(descriptor, port) = openUdpPort(wanted);
  if (descriptor < 0) throw std::runtime_error("UDP port " + std::to_string(wanted) + " is taken");
}

HeldUdpPort::~HeldUdpPort() { close(descriptor); }

}  // namespace tovren::support
