#pragma once

#include "coach/Task.h"

#include <memory>
#include <vector>

namespace tovren {

class AssignmentGraph;

// The coach task that chooses the own field players' types. In its first run it weighs
// each of the seven types for each field player and solves one assignment in which no
// type goes to more than three players, nor, where the server allows only "pt_max"
// players of a type, any type but the default to more than that (the default type then
// takes the rest). Each run then sends the next field player's type, one command a run,
// in uniform order, skipping players not yet seen and players whose type, as the server
// last confirmed it, is already the chosen one. Its rates come from
// "./Configs/OurTypesRates.conf", read once while it is built, before the coach connects.
class OurTypes : public Task {
 public:
  // One row per weighed player type parameter; column 0 is its total rate, columns 1 to
  // 6 its rates for the six position groups.
  static constexpr int rateRows = 11;
  static constexpr int rateColumns = 7;
  static constexpr int PLAYERS = 11;
  static constexpr int TYPES = 7;
  // The graph has a column per slot of a type and as many rows; no type goes to more
  // than three.
  static constexpr int SLOTS_PER_TYPE = 3;
  // Marks a player whose change command has not been made.
  static constexpr int NOT_CHANGED = 65278;

  OurTypes(const CoachWorldModel* worldModel, const CoachWorldModelHistory& history);
  ~OurTypes() override;

  // Fills every cell of the rates from the file; a file that lacks any of them, or holds
  // a value of the wrong kind, throws a UserError naming the file, group and key.
  void loadOurTypesRates();
  float getRate(int row, int column) const { return rates[row][column]; }

  // True when the run made a change command. Waits (false) until the server has
  // described the seven types.
  bool execute() override;
  void setOurTypes();
  // The weights of row 1..10 (uniform row + 1), one per slot of a type.
  void setPlayerGraphs(int row);
  // Uniform 1..11; type 0 before the first run.
  int getPlayerType(int uniNum) const { return playerTypes[uniNum - 1]; }
  std::unique_ptr<ChangePlayerCommand> getChangeCommand(int uniNum) const;
  const AssignmentGraph& getAssignmentGraph() const { return *assignmentGraph; }

  // Uniform 2..11 to the number its position group and stamina threshold are keyed on.
  static int getStandardUniNum(int uniNum);

  // Score of type 0..6 for the parameter times the rate of the player's position group;
  // standardUniNum 2..11. Every parameter is read anew from the world model.
  float getPlayerSpeedMaxWeight(int standardUniNum, int type) const;
  float getStaminaIncMaxWeight(int standardUniNum, int type) const;
  float getPlayerDecayWeight(int standardUniNum, int type) const;
  float getInertiaMomentWeight(int standardUniNum, int type) const;
  float getDashPowerRateWeight(int standardUniNum, int type) const;
  float getPlayerSizeWeight(int standardUniNum, int type) const;
  float getKickableMarginWeight(int standardUniNum, int type) const;
  float getKickRandWeight(int standardUniNum, int type) const;
  float getExtraStaminaWeight(int standardUniNum, int type) const;
  float getEffortMaxWeight(int standardUniNum, int type) const;
  float getEffortMinWeight(int standardUniNum, int type) const;
  // The eleven weights, each times its total rate, for the player of uniform row + 1
  // (row 1..10); uniform 5 is held to type 0.
  float getPlayerWeight(int row, int type) const;

 private:
  // The weight of the parameter of rates row `row`.
  float getParameterWeight(int row, int standardUniNum, int type) const;
  bool allTypesReceived() const;
  // The type of each column of the graph, from the server's "pt_max" when it gave one.
  void setSlots();
  // Type 0 first, then each of the others, in that many columns.
  void setColumnTypes(int defaultSlots, int slots);

  std::vector<int> columnTypes;  // of the graph's columns, in column order
  std::unique_ptr<AssignmentGraph> assignmentGraph;
  int playerTypes[PLAYERS] = {};
  int changedTypes[PLAYERS];
  bool ourTypesSet = false;
  float rates[rateRows][rateColumns] = {};
};

}  // namespace tovren
