#include "connection/Command.h"

#include "foundation/Logger.h"
#include "geometry/Vector.h"

#include <cmath>
#include <iomanip>
#include <sstream>

namespace tovren {

namespace {

// Builds one command text: floats fixed with two decimals, ints plainly. A non-finite
// float would make the server refuse the whole datagram, so it is written as 0.00 and
// the finished text is logged.
class CommandText {
 public:
  CommandText() { stream << std::fixed << std::setprecision(2); }

  CommandText& operator<<(const char* text) {
    stream << text;
    return *this;
  }
  CommandText& operator<<(const std::string& text) {
    stream << text;
    return *this;
  }
  CommandText& operator<<(int value) {
    stream << value;
    return *this;
  }
  CommandText& operator<<(float value) {
    if (!std::isfinite(value)) {
      nonFinite = true;
      value = 0.0f;
    }
    stream << static_cast<double>(value);
    return *this;
  }

  std::string str() const {
    std::string text = stream.str();
    if (nonFinite) {
      logger["MainLog"] << "Non-finite number written as 0.00 in command: " << text << std::endl;
    }
    return text;
  }

 private:
  std::ostringstream stream;
  bool nonFinite = false;
};

const char* widthWord(ViewModeWidth width) {
  switch (width) {
    case VMW_NARROW:
      return "narrow ";
    case VMW_NORMAL:
      return "normal ";
    case VMW_WIDE:
      return "wide ";
  }
  return "";
}

}  // namespace

DashCommand::DashCommand(float power) : power(power) {}

std::string DashCommand::toString() const {
  CommandText text;
  text << "(dash " << power << ")";
  return text.str();
}

std::string DashCommand::toStringByDirection() const {
  if (!(power < 0.0f)) return DashCommand(std::fabs(power)).toString();
  CommandText text;
  text << "(dash " << -power << " " << 180.0f << ")";
  return text.str();
}

std::unique_ptr<Command> DashCommand::clone() const { return std::make_unique<DashCommand>(*this); }

KickCommand::KickCommand(float power, float direction) : power(power), direction(direction) {}

std::string KickCommand::toString() const {
  CommandText text;
  text << "(kick " << power << " " << -direction << ")";
  return text.str();
}

std::unique_ptr<Command> KickCommand::clone() const { return std::make_unique<KickCommand>(*this); }

TurnCommand::TurnCommand(float direction) : direction(direction) {}

std::string TurnCommand::toString() const {
  CommandText text;
  text << "(turn " << -direction << ")";
  return text.str();
}

std::unique_ptr<Command> TurnCommand::clone() const { return std::make_unique<TurnCommand>(*this); }

TurnNeckCommand::TurnNeckCommand(float direction) : direction(direction) {}

std::string TurnNeckCommand::toString() const {
  CommandText text;
  text << "(turn_neck " << -direction << ")";
  return text.str();
}

std::unique_ptr<Command> TurnNeckCommand::clone() const {
  return std::make_unique<TurnNeckCommand>(*this);
}

TackleCommand::TackleCommand(float power) : power(power) {}

std::string TackleCommand::toString() const {
  CommandText text;
  text << "(tackle " << power << ")";
  return text.str();
}

std::unique_ptr<Command> TackleCommand::clone() const {
  return std::make_unique<TackleCommand>(*this);
}

CatchCommand::CatchCommand(float direction) : direction(direction) {}

std::string CatchCommand::toString() const {
  CommandText text;
  text << "(catch " << -direction << ")";
  return text.str();
}

std::unique_ptr<Command> CatchCommand::clone() const {
  return std::make_unique<CatchCommand>(*this);
}

MoveCommand::MoveCommand(const Point& point) : x(point.x), y(point.y) {}

MoveCommand::MoveCommand(float x, float y) : x(x), y(y) {}

std::string MoveCommand::toString() const {
  CommandText text;
  text << "(move " << x << " " << -y << ")";
  return text.str();
}

std::unique_ptr<Command> MoveCommand::clone() const { return std::make_unique<MoveCommand>(*this); }

PointToCommand::PointToCommand(bool on) : on(on), dist(0.0f), dir(0.0f) {}

PointToCommand::PointToCommand(float dist, float dir) : on(true), dist(dist), dir(dir) {}

std::string PointToCommand::toString() const {
  if (!on) {
    return "(pointto off)";
  }
  CommandText text;
  text << "(pointto " << dist << " " << -dir << ")";
  return text.str();
}

std::unique_ptr<Command> PointToCommand::clone() const {
  return std::make_unique<PointToCommand>(*this);
}

ChangeViewCommand::ChangeViewCommand(ViewModeQuality quality, ViewModeWidth width)
    : quality(quality), width(width) {}

std::string ChangeViewCommand::toString() const {
  CommandText text;
  text << "(change_view " << widthWord(width) << (quality == VMQ_LOW ? "low" : "high") << ")";
  return text.str();
}

std::unique_ptr<Command> ChangeViewCommand::clone() const {
  return std::make_unique<ChangeViewCommand>(*this);
}

SayCommand::SayCommand(const std::string& message) : message(message) {}

std::string SayCommand::toString() const { return "(say \"" + message + "\")"; }

std::unique_ptr<Command> SayCommand::clone() const { return std::make_unique<SayCommand>(*this); }

FreeFormCommand::FreeFormCommand(const std::string& message) : message(message) {}

std::string FreeFormCommand::toString() const { return "(say (freeform \"" + message + "\"))"; }

std::unique_ptr<Command> FreeFormCommand::clone() const {
  return std::make_unique<FreeFormCommand>(*this);
}

AttentionToCommand::AttentionToCommand(TeamId teamId, int uniformNum)
    : teamId(teamId), uniformNum(uniformNum) {}

std::string AttentionToCommand::toString() const {
  CommandText text;
  text << "(attentionto " << (teamId == TID_TEAMMATE ? "our " : "opp ") << uniformNum << ")";
  return text.str();
}

std::unique_ptr<Command> AttentionToCommand::clone() const {
  return std::make_unique<AttentionToCommand>(*this);
}

InitCommand::InitCommand(const std::string& teamName, const std::string& version, bool isGoalie)
    : teamName(teamName), version(version), isGoalie(isGoalie) {}

std::string InitCommand::toString() const {
  return "(init " + teamName + " (version " + version + ")" + (isGoalie ? "(goalie))" : ")");
}

std::unique_ptr<Command> InitCommand::clone() const { return std::make_unique<InitCommand>(*this); }

EyeCommand::EyeCommand(bool on) : on(on) {}

std::string EyeCommand::toString() const { return on ? "(eye on)" : "(eye off)"; }

std::unique_ptr<Command> EyeCommand::clone() const { return std::make_unique<EyeCommand>(*this); }

ChangePlayerCommand::ChangePlayerCommand(int uniformNum, int playerType)
    : uniformNum(uniformNum), playerType(playerType) {}

std::string ChangePlayerCommand::toString() const {
  CommandText text;
  text << "(change_player_type " << uniformNum << " " << playerType << ")";
  return text.str();
}

std::unique_ptr<Command> ChangePlayerCommand::clone() const {
  return std::make_unique<ChangePlayerCommand>(*this);
}

CLangVersionCommand::CLangVersionCommand(int minVer, int maxVer) : minVer(minVer), maxVer(maxVer) {}

std::string CLangVersionCommand::toString() const {
  CommandText text;
  text << "(clang (ver " << minVer << " " << maxVer << "))";
  return text.str();
}

std::unique_ptr<Command> CLangVersionCommand::clone() const {
  return std::make_unique<CLangVersionCommand>(*this);
}

std::string DoneCommand::toString() const { return "(done)"; }

std::unique_ptr<Command> DoneCommand::clone() const { return std::make_unique<DoneCommand>(*this); }

std::string ByeCommand::toString() const { return "(bye)"; }

std::unique_ptr<Command> ByeCommand::clone() const { return std::make_unique<ByeCommand>(*this); }

std::string EmptyCommand::toString() const { return ""; }

std::unique_ptr<Command> EmptyCommand::clone() const {
  return std::make_unique<EmptyCommand>(*this);
}

}  // namespace tovren
