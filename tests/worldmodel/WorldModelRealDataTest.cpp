#include "worldmodel/WorldModel.h"

#include "connection/Command.h"
#include "foundation/SExpression.h"
#include "foundation/Timer.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Every message a player of the recorded matches received goes through the world model
// by the per-message contract, as the player frame feeds it; after each see the agent's
// own position (and the ball's, when seen) is compared with the trainer's global view.

namespace tovren {
namespace {

constexpr float MAX_MEDIAN_SELF_ERROR = 1.0f;  // metres

struct Truth {
  Point ball;
  std::map<unsigned int, Point> ownPlayers;  // by uniform number
};

// The trainer's global views by cycle, turned into the world model's frame of the side.
std::map<unsigned int, Truth> readTruth(const std::string& side) {
  std::map<unsigned int, Truth> truth;
  const float xRate = side == "left" ? 1.0f : -1.0f;
  const float yRate = side == "left" ? -1.0f : 1.0f;
  for (const support::RecordedLine& line :
       support::readRecording(support::fixturePath(side, "trainer.txt"))) {
    if (line.sent || line.text.rfind("(see_global ", 0) != 0) continue;
    auto message = support::parseMessage(line.text);
    Truth& cycle =
        truth[static_cast<unsigned int>(static_cast<const SExpAtomic*>((*message)[1])->asInt())];
    for (unsigned int i = 2; i < message->size(); ++i) {
      const auto& entry = static_cast<const SExpression&>(*(*message)[i]);
      const auto& name = static_cast<const SExpression&>(*entry[0]);
      Point pos(xRate * static_cast<const SExpAtomic*>(entry[1])->asFloat(),
                yRate * static_cast<const SExpAtomic*>(entry[2])->asFloat());
      const std::string kind = name[0]->toString();
      if (kind == "b") cycle.ball = pos;
      if (kind == "p" && name[1]->toString() == "\"Tovren\"") {
        cycle.ownPlayers[static_cast<unsigned int>(
            static_cast<const SExpAtomic*>(name[2])->asInt())] = pos;
      }
    }
  }
  return truth;
}

// A body command from its recorded text, which is in the server's frame (directions and
// the y of a move negated); null for the commands that are not body commands.
std::unique_ptr<Command> bodyCommand(const std::string& text) {
  auto message = support::parseMessage(text);
  const std::string kind = (*message)[0]->toString();
  auto number = [&message](unsigned int i) {
    return static_cast<const SExpAtomic*>((*message)[i])->asFloat();
  };
  if (kind == "dash") return std::make_unique<DashCommand>(number(1));
  if (kind == "turn") return std::make_unique<TurnCommand>(-number(1));
  if (kind == "kick") return std::make_unique<KickCommand>(number(1), -number(2));
  if (kind == "move") return std::make_unique<MoveCommand>(number(1), -number(2));
  if (kind == "tackle") return std::make_unique<TackleCommand>(number(1));
  if (kind == "catch") return std::make_unique<CatchCommand>(-number(1));
  return nullptr;
}

// Whether the server executed the command between the last two sense_body messages.
bool executed(const Body& body, const Command& command) {
  if (dynamic_cast<const DashCommand*>(&command)) return body.isDashCountChanged();
  if (dynamic_cast<const TurnCommand*>(&command)) return body.isTurnCountChanged();
  if (dynamic_cast<const KickCommand*>(&command)) return body.isKickCountChanged();
  if (dynamic_cast<const MoveCommand*>(&command)) return body.isMoveCountChanged();
  if (dynamic_cast<const TackleCommand*>(&command)) return body.isTackleCountChanged();
  if (dynamic_cast<const CatchCommand*>(&command)) return body.isCatchCountChanged();
  return false;
}

struct Errors {
  std::vector<float> self;
  std::vector<float> ball;
  unsigned int nonFinite = 0;
};

bool isFinite(const Vector& vector) {
  return std::isfinite(vector.getX()) && std::isfinite(vector.getY());
}

void replay(const std::string& side, const std::string& file, Errors& errors) {
  const std::map<unsigned int, Truth> truth = readTruth(side);
  WorldModel worldModel;
  VirtualTimer& timer = dynamic_cast<VirtualTimer&>(worldModel.setTimer());
  long senseBodyMs = 0;
  // The body commands the client sent in the cycle that ends, in sending order.
  std::vector<std::unique_ptr<Command>> sent;

  for (const support::RecordedLine& line :
       support::readRecording(support::fixturePath(side, file))) {
    if (line.sent) {
      if (std::unique_ptr<Command> command = bodyCommand(line.text))
        sent.push_back(std::move(command));
      continue;
    }
    ASSERT_TRUE(SExpression::isWellFormed(line.text)) << line.text;
    auto message = support::parseMessage(line.text);
    const std::string header = (*message)[0]->toString();
    timer.setCurMS(line.ms - senseBodyMs);

    if (header == "sense_body") {
      senseBodyMs = line.ms;
      timer.resetCycle(static_cast<const SExpAtomic*>((*message)[1])->asInt());
      worldModel.setCurTime(worldModel.getCurTime() + 1);
      Body& body = worldModel.setBody();
      ASSERT_TRUE(body.parseSenseBody(*message, worldModel.getFieldSide())) << line.text;
      // The server executes one body command a cycle: the first whose counter moved.
      const Command* command = nullptr;
      for (const auto& candidate : sent) {
        if (command == nullptr && executed(body, *candidate)) command = candidate.get();
      }
      body.simulateByAction(command, true);
      body.simulateByDynamics(true);
      body.completeParseSenseBody();
      const Body copy = worldModel.getBody();
      worldModel.simulateObjects(copy, command);
      worldModel.setCurCycle(body.getSenseBodyCycle());
      worldModel.updateSeeDeltaCyclesAfterSenseBody();
      worldModel.updatePlayModeRemainCycleAfterSenseBody();
      worldModel.logObjects();
      sent.clear();
    } else if (header == "see") {
      worldModel.resetObjects();
      worldModel.parseSee(*message);
      worldModel.updateObjects();
      worldModel.updateSeeDeltaCyclesAfterSee();
      worldModel.logObjects();

      const Vector& self = worldModel.getBody().getPos();
      const Vector& ball = worldModel.getBall().getPos();
      if (!isFinite(self) || !isFinite(ball)) ++errors.nonFinite;
      auto cycle = truth.find(worldModel.getSeeCycle());
      if (worldModel.getSeeCycle() < 1 || cycle == truth.end()) continue;
      auto own = cycle->second.ownPlayers.find(worldModel.getBody().getUniNum());
      ASSERT_NE(own, cycle->second.ownPlayers.end());
      errors.self.push_back(Point(self).getDistance(own->second));
      if (worldModel.getBall().getSeeTime() == worldModel.getCurTime()) {
        errors.ball.push_back(Point(ball).getDistance(cycle->second.ball));
      }
    } else if (header == "hear") {
      worldModel.parseHear(*message);
    } else if (header == "server_param") {
      worldModel.initServerParam(*message);
    } else if (header == "player_param") {
      worldModel.initPlayerParam(*message);
    } else if (header == "player_type") {
      worldModel.initPlayerType(*message);
    } else if (header == "change_player_type") {
      worldModel.parseChangePlayerType(*message);
    } else if (header == "init") {
      worldModel.setFieldSide((*message)[1]->toString() == "l" ? SI_LEFT : SI_RIGHT);
      worldModel.setBody().setUniNum(static_cast<const SExpAtomic*>((*message)[2])->asInt());
      worldModel.setBody().setGoalie(file.find("goalie") != std::string::npos);
      worldModel.replaceBodyInPlayersList(worldModel.getBody().getUniNum());
    }
  }
}

float percentile(std::vector<float> values, float fraction) {
  if (values.empty()) return 0.0f;
  std::sort(values.begin(), values.end());
  std::size_t index =
      static_cast<std::size_t>(fraction * static_cast<float>(values.size() - 1) + 0.5f);
  return values[std::min(index, values.size() - 1)];
}

TEST(WorldModelRealData, RecordedPlayersLocaliseThemselves) {
  support::setAgentConfig(true);
  Errors all;
  for (const char* side : {"left", "right"}) {
    for (const char* file :
         {"Tovren-1-goalie.txt", "Tovren-2.txt", "Tovren-3.txt", "Tovren-7.txt"}) {
      Errors errors;
      replay(side, file, errors);
      if (HasFatalFailure()) return;
      std::cout << side << "/" << file << ": " << errors.self.size() << " sees, self median "
                << percentile(errors.self, 0.5f) << " p95 " << percentile(errors.self, 0.95f)
                << "; ball " << errors.ball.size() << " sightings, median "
                << percentile(errors.ball, 0.5f) << " p95 " << percentile(errors.ball, 0.95f)
                << std::endl;
      EXPECT_FALSE(errors.self.empty());
      EXPECT_LT(percentile(errors.self, 0.5f), MAX_MEDIAN_SELF_ERROR) << side << "/" << file;
      all.self.insert(all.self.end(), errors.self.begin(), errors.self.end());
      all.ball.insert(all.ball.end(), errors.ball.begin(), errors.ball.end());
      all.nonFinite += errors.nonFinite;
    }
  }
  std::cout << "all: self median " << percentile(all.self, 0.5f) << " p95 "
            << percentile(all.self, 0.95f) << "; ball median " << percentile(all.ball, 0.5f)
            << " p95 " << percentile(all.ball, 0.95f) << std::endl;
  EXPECT_EQ(all.nonFinite, 0u);
  EXPECT_LT(percentile(all.self, 0.5f), MAX_MEDIAN_SELF_ERROR);
}

}  // namespace
}  // namespace tovren
