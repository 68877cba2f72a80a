#pragma once

#include "foundation/Types.h"

#include <memory>
#include <string>

// The texts of every command sent to the simulation server. A command keeps its
// arguments in the system's own frame; the server's mirrored frame (every direction
// and the y of a move negated) is applied only when the text is written.

namespace tovren {

struct Point;

// Base of all commands. Commands live on the heap and are deleted by their owner;
// the kind is told apart at run time (dynamic_cast).
class Command {
 public:
  virtual ~Command() = default;

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
  explicit DashCommand(float power);
  float getPower() const { return power; }
  void setPower(float value) { power = value; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  float power;  // server power units
};

class KickCommand : public Command {
 public:
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
  explicit TurnCommand(float direction);
  float getDirection() const { return direction; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  float direction;  // degrees
};

class TurnNeckCommand : public Command {
 public:
  explicit TurnNeckCommand(float direction);
  float getDirection() const { return direction; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  float direction;  // degrees
};

class TackleCommand : public Command {
 public:
  explicit TackleCommand(float power);
  float getPower() const { return power; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  float power;  // server power units
};

class CatchCommand : public Command {
 public:
  explicit CatchCommand(float direction);
  float getDirection() const { return direction; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  float direction;  // degrees, relative to the body
};

class MoveCommand : public Command {
 public:
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
  explicit SayCommand(const std::string& message);
  const std::string& getMessage() const { return message; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  std::string message;  // written unescaped between double quotes
};

class FreeFormCommand : public Command {
 public:
  explicit FreeFormCommand(const std::string& message);
  const std::string& getMessage() const { return message; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  std::string message;  // written unescaped between double quotes
};

class AttentionToCommand : public Command {
 public:
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
  explicit EyeCommand(bool on);
  bool isOn() const { return on; }
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;

 private:
  bool on;
};

class ChangePlayerCommand : public Command {
 public:
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
  DoneCommand() = default;
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;
};

class ByeCommand : public Command {
 public:
  ByeCommand() = default;
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;
};

// Stands in a command slot that has nothing to send; its text is empty.
class EmptyCommand : public Command {
 public:
  EmptyCommand() = default;
  std::string toString() const override;
  std::unique_ptr<Command> clone() const override;
};

}  // namespace tovren
