#pragma once

#include <vector>

namespace tovren {

// Square linear assignment on integer weights: every row gets one column and every
// column one row, with the smallest total (or, after prepareMaximum, the largest). Solved
// by Jonker and Volgenant's shortest augmenting path method for dense matrices; its scan
// orders decide which of several equally good assignments comes out.
// Indices are not checked: every row and column lies in 0..n-1. The largest and the
// smallest cost that solve() sees must differ by less than 1000000.
class AssignmentGraph {
 public:
  // Every weight starts at 0.
  explicit AssignmentGraph(int n);
  AssignmentGraph(const AssignmentGraph&) = delete;
  AssignmentGraph& operator=(const AssignmentGraph&) = delete;
  ~AssignmentGraph();

  void resetWeights();
  void setWeight(int row, int col, int weight);
  // The stored value; after prepareMaximum the transformed cost.
  int getWeight(int row, int col) const;

  // Turns the weights, in place, into costs whose minimum assignment is the maximum one.
  void prepareMaximum();
  void prepareMinimum();
  void solve();

  // Answers of the last solve(); before the first one every answer is -1.
  int getAnswerRow(int row) const;
  int getAnswerCol(int col) const;
  // Sum of the costs of the last solve() as it saw them (transformed after prepareMaximum).
  int getTotalCost() const;
  // Prices of the last solve(): each row's column is among its cheapest at these prices.
  int getRowDual(int row) const;
  int getColDual(int col) const;

 private:
  // The phases of solve(), in order; each works on the free rows the one before left.
  std::vector<int> reduceColumns();
  void transferReductions(const std::vector<int>& matchCounts, std::vector<int>& freeRows);
  void reduceAugmentingRows(std::vector<int>& freeRows);
  void augment(int freeRow);

  int size;
  std::vector<std::vector<int>> weights;
  std::vector<int> rowAnswers;
  std::vector<int> colAnswers;
  std::vector<int> rowDuals;
  std::vector<int> colDuals;
  int totalCost = 0;
  bool isMaximum = false;
};

}  // namespace tovren
