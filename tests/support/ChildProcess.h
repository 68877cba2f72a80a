#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Helpers for tests that run whole programs (the built executable, the replay server)
// as separate processes on 127.0.0.1.

namespace tovren::support {

// A fresh directory under the system's temporary directory, removed with everything in
// it when the object goes.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& path() const { return directory; }
  // The path of a file in the directory.
  std::string file(const std::string& relative) const { return directory + "/" + relative; }
  // Writes the file (creating its parent directories) with the given text.
  void write(const std::string& relative, const std::string& text) const;

 private:
  std::string directory;
};

// One program run with its standard output and error in files. A process still running
// when the object goes is killed and reaped.
class ChildProcess {
 public:
  // Starts argv[0] (looked up in PATH when it holds no "/") in the working directory.
  ChildProcess(const std::vector<std::string>& argv, const std::string& workingDirectory,
               const std::string& stdoutPath, const std::string& stderrPath);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t id() const { return pid; }
  // Nothing once the process has been reaped.
  void signal(int signalNumber) const;
  // The exit status once the process has exited normally within the time, -1 when a
  // signal ended it, nothing when it is still running.
  std::optional<int> waitFor(int timeoutMS);
  bool isRunning();

 private:
  pid_t pid = -1;
  bool reaped = false;
  int status = 0;
};

// Whole text of a file; empty when it cannot be read.
std::string readFile(const std::string& path);
// The lines of a file.
std::vector<std::string> readLines(const std::string& path);
// Polls every 20 ms until the condition holds or the time is up; its final answer.
bool waitUntil(const std::function<bool()>& condition, int timeoutMS);
// The CPU time a running process has used, in seconds, from its CPU clock; negative when
// the clock cannot be read.
double processCpuSeconds(pid_t pid);
// A UDP port on 127.0.0.1 that was free a moment ago: another process may take it
// before it is bound again.
int findFreeUdpPort();
// Whether the UDP port on 127.0.0.1 can be bound now (a server listening on any address
// holds it).
bool isUdpPortFree(int port);
// Whether the process has a socket bound to each of the UDP ports (on any address).
bool holdsUdpPorts(pid_t pid, const std::vector<int>& ports);

// A socket bound to the UDP port on 127.0.0.1 for as long as the object lives: the
// process that takes a port between another's probe and its bind.
class HeldUdpPort {
 public:
  // Throws when the port cannot be bound; 0 binds any free port.
  explicit HeldUdpPort(int port);
  ~HeldUdpPort();
  HeldUdpPort(const HeldUdpPort&) = delete;
  HeldUdpPort& operator=(const HeldUdpPort&) = delete;

  int getPort() const { return port; }
  int getDescriptor() const { return descriptor; }

 private:
  int descriptor = -1;
  int port = 0;
};

}  // namespace tovren::support
