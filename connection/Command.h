#pragma once

#include "foundation/Types.h"

#include <memory>
#include <string>

// The texts of every command sent to the simulation server. A command keeps its
// arguments in the system's own frame; the server's mirrored frame (every direction
// and the y of a move negated) is applied only when the text is written.

namespace tovren {

struct Point;

// What a command is: asked once where code must tell commands apart, then the command is
// read as that class (commandAs).
enum CommandKind {
  CK_DASH,
  CK_KICK,
  CK_TURN,
  CK_TURN_NECK,
  CK_TACKLE,
  CK_CATCH,
  CK_MOVE,
  CK_POINT_TO,
  CK_CHANGE_VIEW,
  CK_SAY,
  CK_FREE_FORM,
  CK_ATTENTION_TO,
  CK_INIT,
  CK_EYE,
  CK_CHANGE_PLAYER,
  CK_CLANG_VERSION,
  CK_DONE,
  CK_BYE,
  CK_EMPTY
};

// Base of all commands. Commands live on the heap, held by one owner at a time
// (std::unique_ptr), and are freed by it.
class Command {
 public:
  virtual ~Command() = default;

  virtual CommandKind getKind() const = 0;

  // The exact text the server expects. Floats are written fixed with two decimals;
  // a non-finite float is written as 0.00 and logged in "MainLog".
  virtual std::string toString() const = 0;

  // A copy of the same kind; the caller owns it.
  virtual std::unique_ptr<Command> clone() const = 0;

 protected:
  Command() = default;
  Command(const Command&) = default;
  Command& operator=(const Command&) = default;
};

class DashCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_DASH;
  CommandKind getKind() const override { return KIND; }
  explicit DashCommand(float power);
  float getPower() const { return power; }
  void setPower(float value) { power = value; }
  std::string toString() const override;
  // The text for a server that clamps negative powers away: a backward dash as its
  // size at 180 degrees, and a power of -0 as 0.
  std::string toStringByDirection() const;
  std::unique_ptr<Command> clone() const override;

 private:
  float power;  // server power units
};

class KickCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_KICK;
  CommandKind getKind() const override { return KIND; }
  KickCommand(float power, float direction);
  float getPower() const { return power; }
  void setPower(float value) { power = value; }
  float getDirection() const { return direction; }
  void setDirection(float value) { direction = value; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  float power;      // server power units
  float direction;  // degrees, relative to the body
};

class TurnCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_TURN;
  CommandKind getKind() const override { return KIND; }
  explicit TurnCommand(float direction);
  float getDirection() const { return direction; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  float direction;  // degrees
};

class TurnNeckCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_TURN_NECK;
  CommandKind getKind() const override { return KIND; }
  explicit TurnNeckCommand(float direction);
  float getDirection() const { return direction; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  float direction;  // degrees
};

class TackleCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_TACKLE;
  CommandKind getKind() const override { return KIND; }
  explicit TackleCommand(float power);
  float getPower() const { return power; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  float power;  // server power units
};

class CatchCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_CATCH;
  CommandKind getKind() const override { return KIND; }
  explicit CatchCommand(float direction);
  float getDirection() const { return direction; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  float direction;  // degrees, relative to the body
};

class MoveCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_MOVE;
  CommandKind getKind() const override { return KIND; }
  explicit MoveCommand(const Point& point);
  MoveCommand(float x, float y);
  float getX() const { return x; }
  float getY() const { return y; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  float x;  // metres
  float y;  // metres
};

class PointToCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_POINT_TO;
  CommandKind getKind() const override { return KIND; }
  // Off when on is false; distance and direction are then 0.
  explicit PointToCommand(bool on);
  PointToCommand(float dist, float dir);
  float getDist() const { return dist; }
  float getDir() const { return dir; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  bool on;
  float dist;  // metres
  float dir;   // degrees, relative to the body
};

class ChangeViewCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_CHANGE_VIEW;
  CommandKind getKind() const override { return KIND; }
  ChangeViewCommand(ViewModeQuality quality, ViewModeWidth width);
  ViewModeQuality getQuality() const { return quality; }
  ViewModeWidth getWidth() const { return width; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  ViewModeQuality quality;
  ViewModeWidth width;
};

class SayCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_SAY;
  CommandKind getKind() const override { return KIND; }
  explicit SayCommand(const std::string& message);
  const std::string& getMessage() const { return message; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  std::string message;  // written unescaped between double quotes
};

class FreeFormCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_FREE_FORM;
  CommandKind getKind() const override { return KIND; }
  explicit FreeFormCommand(const std::string& message);
  const std::string& getMessage() const { return message; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  std::string message;  // written unescaped between double quotes
};

class AttentionToCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_ATTENTION_TO;
  CommandKind getKind() const override { return KIND; }
  AttentionToCommand(TeamId teamId, int uniformNum);
  TeamId getTeamId() const { return teamId; }
  int getUniformNum() const { return uniformNum; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  TeamId teamId;
  int uniformNum;
};

class InitCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_INIT;
  CommandKind getKind() const override { return KIND; }
  InitCommand(const std::string& teamName, const std::string& version, bool isGoalie);
  const std::string& getTeamName() const { return teamName; }
  const std::string& getVersion() const { return version; }
  bool getIsGoalie() const { return isGoalie; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  std::string teamName;
  std::string version;
  bool isGoalie;
};

class EyeCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_EYE;
  CommandKind getKind() const override { return KIND; }
  explicit EyeCommand(bool on);
  bool isOn() const { return on; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  bool on;
};

class ChangePlayerCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_CHANGE_PLAYER;
  CommandKind getKind() const override { return KIND; }
  ChangePlayerCommand(int uniformNum, int playerType);
  int getUniformNum() const { return uniformNum; }
  int getPlayerType() const { return playerType; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  int uniformNum;
  int playerType;
};

class CLangVersionCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_CLANG_VERSION;
  CommandKind getKind() const override { return KIND; }
  CLangVersionCommand(int minVer, int maxVer);
  int getMinVer() const { return minVer; }
  int getMaxVer() const { return maxVer; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  int minVer;
  int maxVer;
};

class DoneCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_DONE;
  CommandKind getKind() const override { return KIND; }
  DoneCommand() = default;
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;
};

class ByeCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_BYE;
  CommandKind getKind() const override { return KIND; }
  ByeCommand() = default;
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;
};

// Stands in a command slot that has nothing to send; its text is empty.
class EmptyCommand : public Command {
 public:
  static constexpr CommandKind KIND = CK_EMPTY;
  CommandKind getKind() const override { return KIND; }
  EmptyCommand() = default;
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;
};

// The command as the class T, or null when it is null or of another kind.
template <class T>
const T* commandAs(const Command* command) {
  return command != nullptr && command->getKind() == T::KIND ? static_cast<const T*>(command)
                                                             : nullptr;
}

}  // namespace tovren
