#pragma once

// The one fixture of the world-model and action tests: the configuration the world model
// reads, named logs the tests read back, messages parsed from text, the recorded
// conversations and the parameters the server sent in them, and bodies, balls and players
// placed where a test wants them.

#include "foundation/Config.h"
#include "foundation/SExpression.h"
#include "foundation/Types.h"
#include "geometry/Vector.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Player.h"

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tovren {

class Command;
class WorldModel;

namespace support {

// --- configuration, logs and messages -------------------------------------------------

// The team name the world model tests play under ("Tovren", as in the fixtures).
extern const char* const OWN_TEAM_NAME;

// Registers the configuration "Agent" with "OfflinePlayer" of group "Server" and
// "TeamName" of group "Public", as the player frame sets them before it builds the
// world model.
void setAgentConfig(bool offlinePlayer, const std::string& teamName = OWN_TEAM_NAME);

// Registers the named log on a text buffer (once per process; no timer, so every line
// starts with "  0000. ") and empties the buffer.
std::ostringstream& captureLog(const std::string& name);
// The same for "MainLog".
std::ostringstream& captureMainLog();

// The lines of a log text that hold the fragment, and those that start with the text.
std::vector<std::string> linesWith(const std::string& text, const std::string& fragment);
std::vector<std::string> linesStartingWith(const std::string& text, const std::string& start);

// A message parsed from text; the text must be a well-formed message.
std::unique_ptr<SExpression> parseMessage(const std::string& text);
// A see entry (or any list) parsed from text. Entries are lists headed by a name list,
// which the message-level check refuses, so the text must be well-formed inside a message.
std::unique_ptr<SExpression> parseEntry(const std::string& text);

// --- recorded conversations -----------------------------------------------------------

// One line of a recorded conversation: the time in milliseconds, whether the recorded
// client sent it, and the text.
struct RecordedLine {
  long ms = 0;
  bool sent = false;
  std::string text;
};

// The folder of the recorded conversations, in the repository.
std::string dataDirectory();
// The path of a file of the recorded conversations ("left", "Tovren-2.txt").
std::string fixturePath(const std::string& side, const std::string& file);
std::vector<RecordedLine> readRecording(const std::string& path);
// The texts the recorded client received with the header, in order.
std::vector<std::string> receivedMessages(const std::string& path, const std::string& header);

// The path of the recorded conversation the parameters come from (left/Tovren-2).
std::string recordedParamsPath();

// The recorded "server_param" and "player_type" messages, read once from that file
// (kick_power_rate 0.027, ball_decay 0.94, 18 types).
class RecordedParams {
 public:
  static const RecordedParams& get();

  const ConfigGroup& getServerParam() const { return serverParam; }
  // The group of a heterogeneous player type; the id must be below getPlayerTypesNum().
  const ConfigGroup& getPlayerType(unsigned int id) const;
  unsigned int getPlayerTypesNum() const { return static_cast<unsigned int>(playerTypes.size()); }

 private:
  RecordedParams();

  ConfigGroup serverParam;
  std::vector<ConfigGroup> playerTypes;
};

// The recorded server parameters with the values of the given keys replaced.
ConfigGroup recordedServerParamWith(
    const std::vector<std::pair<std::string, std::string>>& changes);

// Feeds the server_param, player_param and player_type messages of that file.
void feedRecordedParameters(WorldModel& worldModel);

// --- objects with the recorded parameters ---------------------------------------------

// The agent's body at a place, with a body direction (degrees; the head looks the same
// way), a velocity, a stamina and a heterogeneous player type.
Body makeBody(const Point& pos, float bodyDir, const Vector& vel = Vector(),
              float stamina = 8000.0f, unsigned int type = 0);

// The ball at a place with a velocity, its vectors relative to the body refreshed.
Ball makeBall(const Body& body, const Point& pos, const Vector& vel = Vector());

// The ball at a distance from the body's centre and a direction relative to the body
// direction (degrees).
Ball makeBallNearBody(const Body& body, float distance, float relativeDir,
                      const Vector& vel = Vector());

// The distance from the body's centre at which the ball touches the body, and at which it
// lies at the edge of the kickable area.
float touchingDistance(const Body& body, const Ball& ball);
float kickableDistance(const Body& body, const Ball& ball);

// A vector of the given length and direction (degrees).
Vector polar(float magnitude, float direction);

// One cycle of the motion model on the caller's copies, as the look-ahead runs it: the
// command acts on the body and the ball, then both move by their dynamics.
void simulateCycle(Body& body, Ball& ball, const Command* command);
// The same for the body alone.
void simulateCycle(Body& body, const Command* command);

// The power of a dash, the moment of a turn; NaN for no command or one of another kind.
float dashPower(const Command* command);
float turnMoment(const Command* command);
// The command's text, "null" for none.
std::string textOf(const Command* command);
// Whether the command's text holds neither "nan" nor "inf".
bool hasFiniteText(const Command& command);

// --- objects with the server's default parameters -------------------------------------
// (player decay 0.4, top speed 1.05, dash power rate 0.006, effort 1, size 0.3, kickable
// margin 0.7, catchable area 1.2; ball size 0.085, decay 0.94), so every reach can be
// worked out by hand.

// A full player known exactly (deviations 0, so valid). The body direction defaults to
// "not measured".
Player makeScenePlayer(TeamId team, unsigned int uniNum, const Point& pos,
                       float bodyDir = NOT_MEASURED, const Vector& vel = Vector(),
                       bool goalie = false);

// A ball at a place with a velocity (metres per cycle).
Ball makeSceneBall(const Point& pos, const Vector& vel = Vector());

// A heterogeneous type group with the server's default values but the given dash power
// rate and top speed.
ConfigGroup makeFastType(float dashPowerRate, float speedMax);

// The field player's reach radius with the default parameters: ball size plus kickable
// margin plus player size, summed as the code sums them.
float defaultKickableRadius();

// --- a world model's scene --------------------------------------------------------------

// Every view part counts as seen in the see of this cycle.
void markAllViewPartsSeen(WorldModel& worldModel);

// The agent standing at (x, y) facing the body direction (degrees), its head along its
// body, and the ball resting `ballDist` metres straight in front of it.
void placeAgentWithBall(WorldModel& worldModel, float x, float y, float bodyDir, float ballDist);

// Player slot [team][uniNum - 1] as a seen, well-known player at (x, y), standing still.
Player& placeFullPlayer(WorldModel& worldModel, TeamId team, unsigned int uniNum, float x, float y);

}  // namespace support
}  // namespace tovren
