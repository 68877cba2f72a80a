#pragma once

#include "geometry/Vector.h"

#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The trainer of the real simulation server (its server::coach_port, the server started
// with server::coach=true): moves the ball and the players, sets the play mode, sees the
// whole field each step and hears the referee.

namespace tovren::support {

// The whole field in one step of the server (a see_global).
struct FieldView {
  int cycle = 0;
  Point ball;
  std::map<std::pair<std::string, int>, Point> players;  // by team name and uniform number
  std::map<std::pair<std::string, int>, float> facings;  // body directions, degrees
};

// A referee's call: "goal_l_1" at cycle 21.
struct RefereeCall {
  int cycle = 0;
  std::string mode;
};

class Trainer {
 public:
  // A UDP socket on 127.0.0.1 towards the trainer port; nothing is sent yet.
  explicit Trainer(int port);
  ~Trainer();
  Trainer(const Trainer&) = delete;
  Trainer& operator=(const Trainer&) = delete;

  // Greets the server, which answers "(init ok)" with its parameters and player types,
  // waits for all of them, and turns on the field view and the referee's calls; false
  // when it does not answer.
  bool connect();
  // Sends the commands back to back, so that they fall in one step, then waits for an
  // answer to each; the answers in order ("(ok move)", "(error ...)"), "" for one that
  // did not come. The field views from before the commands are dropped.
  std::vector<std::string> send(const std::vector<std::string>& commands);
  // The next field view, nothing when none comes in time.
  std::optional<FieldView> nextView(int timeoutMS);
  // Whether a field view came in during the last send, before its last answer: a step of
  // the server then fell between the view the commands were meant for and the commands.
  bool viewCameDuringSend() const { return !views.empty(); }

  // The referee's calls heard so far.
  const std::vector<RefereeCall>& refereeCalls() const { return calls; }
  // The distance at which a player of the type can kick the ball: its size and kickable
  // margin and the ball's size; nothing for a type the server did not describe.
  std::optional<float> kickableArea(int type) const;

 private:
  // One datagram to the server; the text and its terminating NUL.
  void transmit(const std::string& command);
  // Reads one datagram into text within the time; false when none came.
  bool receive(std::string& text, int timeoutMS);
  void handle(const std::string& text);

  int descriptor = -1;
  int port;
  bool replyPortKnown = false;  // the server answers from a port of its own
  bool greeted = false;
  std::deque<std::string> answers;
  std::deque<FieldView> views;
  std::vector<RefereeCall> calls;
  std::map<int, float> typeReach;        // type -> player size + kickable margin
  std::optional<std::size_t> typeCount;  // the server's "player_types"
  std::optional<float> ballSize;
};

}  // namespace tovren::support
