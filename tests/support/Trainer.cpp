#include "support/Trainer.h"

#include "foundation/SExpression.h"
#include "worldmodel/MessageFields.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <sstream>
#include <stdexcept>

namespace tovren::support {

namespace {

// The protocol version the trainer speaks: its see_global lists each object's position first.
const char* const kGreeting = "(init (version 19))";
// Answers come within a step; this only bounds the wait for one that never comes.
constexpr int kAnswerTimeoutMS = 20000;

bool startsWith(const std::string& text, const char* head) { return text.rfind(head, 0) == 0; }

int msUntil(std::chrono::steady_clock::time_point deadline) {
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count());
}

// The list that the text holds, or nothing when it is not one well-formed list.
std::optional<SExpression> parsed(const std::string& text) {
  if (!SExpression::isWellFormed(text)) return std::nullopt;
  unsigned int position = 0;
  return std::make_optional<SExpression>(text, position);
}

// "(see_global CYCLE ((b) X Y VX VY) ((p "TEAM" N [goalie]) X Y VX VY BODY NECK ...) ...)".
std::optional<FieldView> readView(const SExpression& message) {
  FieldView view;
  if (!MessageFields::readInt(message, 1, view.cycle)) return std::nullopt;
  for (unsigned int i = 2; i < message.size(); ++i) {
    const SExpression* object = MessageFields::listAt(message, i);
    const SExpression* name = object ? MessageFields::listAt(*object, 0) : nullptr;
    Point where;
    if (name == nullptr || !MessageFields::readFloat(*object, 1, where.x) ||
        !MessageFields::readFloat(*object, 2, where.y)) {
      continue;
    }
    if (MessageFields::isAtom(*name, 0, "b")) view.ball = where;
    const SExpAtomic* team = MessageFields::atomAt(*name, 1);
    int number = 0;
    if (MessageFields::isAtom(*name, 0, "p") && team != nullptr &&
        MessageFields::readInt(*name, 2, number)) {
      std::string unquoted = team->asString();
      if (unquoted.size() >= 2 && unquoted.front() == '"') {
        unquoted = unquoted.substr(1, unquoted.size() - 2);
      }
      view.players[{unquoted, number}] = where;
      float facing = 0.0f;
      if (MessageFields::readFloat(*object, 5, facing)) view.facings[{unquoted, number}] = facing;
    }
  }
  return view;
}

// The number of a (name value) list of the message, when it is there.
std::optional<float> parameter(const SExpression& message, const std::string& name) {
  if (!message.hasSExpWithHeader(name)) return std::nullopt;
  float value = 0.0f;
  if (!MessageFields::readFloat(message[name], 1, value)) return std::nullopt;
  return value;
}

}  // namespace

Trainer::Trainer(int port) : port(port) {
  descriptor = socket(AF_INET, SOCK_DGRAM, 0);
  if (descriptor < 0) throw std::runtime_error("trainer: socket failed");
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(descriptor, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    close(descriptor);
    throw std::runtime_error("trainer: bind failed");
  }
}

Trainer::~Trainer() { close(descriptor); }

bool Trainer::connect() {
  transmit(kGreeting);
  // The parameters and every player type come right after the greeting's answer.
  const auto described = [this] {
    return greeted && ballSize && typeCount && typeReach.size() >= *typeCount;
  };
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerTimeoutMS);
  std::string text;
  while (!described() && receive(text, msUntil(deadline))) handle(text);
  return described() &&
         send({"(eye on)", "(ear on)"}) == std::vector<std::string>{"(ok eye on)", "(ok ear on)"};
}

std::vector<std::string> Trainer::send(const std::vector<std::string>& commands) {
  answers.clear();
  views.clear();
  for (const std::string& command : commands) transmit(command);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerTimeoutMS);
  std::string text;
  while (answers.size() < commands.size() && receive(text, msUntil(deadline))) handle(text);
  std::vector<std::string> result(answers.begin(), answers.end());
  result.resize(commands.size());
  return result;
}

std::optional<FieldView> Trainer::nextView(int timeoutMS) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMS);
  std::string text;
  while (views.empty()) {
    if (!receive(text, msUntil(deadline))) return std::nullopt;
    handle(text);
  }
  FieldView view = views.front();
  views.pop_front();
  return view;
}

std::optional<float> Trainer::kickableArea(int type) const {
  const auto found = typeReach.find(type);
  if (found == typeReach.end() || !ballSize) return std::nullopt;
  return found->second + *ballSize;
}

void Trainer::transmit(const std::string& command) {
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  server.sin_port = htons(static_cast<uint16_t>(port));
  sendto(descriptor, command.c_str(), command.size() + 1, 0,
         reinterpret_cast<const sockaddr*>(&server), sizeof server);
}

bool Trainer::receive(std::string& text, int timeoutMS) {
  pollfd waiting{descriptor, POLLIN, 0};
  if (timeoutMS <= 0 || poll(&waiting, 1, timeoutMS) <= 0) return false;
  char buffer[65536];
  sockaddr_in sender{};
  socklen_t length = sizeof sender;
  const ssize_t received = recvfrom(descriptor, buffer, sizeof buffer - 1, 0,
                                    reinterpret_cast<sockaddr*>(&sender), &length);
  if (received <= 0) return false;
  // Later commands go to the port the server answers from.
  if (!replyPortKnown) {
    port = ntohs(sender.sin_port);
    replyPortKnown = true;
  }
  text.assign(buffer, strnlen(buffer, static_cast<std::size_t>(received)));
  return true;
}

void Trainer::handle(const std::string& text) {
  if (startsWith(text, "(init ok)")) {
    greeted = true;
    return;
  }
  if (startsWith(text, "(ok ") || startsWith(text, "(error") || startsWith(text, "(warning")) {
    answers.push_back(text);
    return;
  }
  if (startsWith(text, "(hear referee ")) {
    std::istringstream words(text.substr(std::strlen("(hear referee ")));
    RefereeCall call;
    if (words >> call.cycle >> call.mode) {
      if (!call.mode.empty() && call.mode.back() == ')') call.mode.pop_back();
      calls.push_back(call);
    }
    return;
  }
  const std::optional<SExpression> message = parsed(text);
  if (!message) return;
  if (MessageFields::isAtom(*message, 0, "see_global")) {
    if (const std::optional<FieldView> view = readView(*message)) views.push_back(*view);
  } else if (MessageFields::isAtom(*message, 0, "server_param")) {
    ballSize = parameter(*message, "ball_size");
  } else if (MessageFields::isAtom(*message, 0, "player_param")) {
    if (const std::optional<float> types = parameter(*message, "player_types")) {
      typeCount = static_cast<std::size_t>(std::max(0.0f, *types));
    }
  } else if (MessageFields::isAtom(*message, 0, "player_type")) {
    const std::optional<float> id = parameter(*message, "id");
    const std::optional<float> size = parameter(*message, "player_size");
    const std::optional<float> margin = parameter(*message, "kickable_margin");
    if (id && size && margin) typeReach[static_cast<int>(*id)] = *size + *margin;
  }
}

}  // namespace tovren::support
