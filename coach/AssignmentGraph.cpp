#include "coach/AssignmentGraph.h"

#include <utility>

namespace tovren {

namespace {

// Larger than any reduced cost while the costs span less than this.
const int largeCost = 1000000;

}  // namespace

AssignmentGraph::AssignmentGraph(int n)
    : size(n),
      weights(n, std::vector<int>(n, 0)),
      rowAnswers(n, -1),
      colAnswers(n, -1),
      rowDuals(n, 0),
      colDuals(n, 0) {}

AssignmentGraph::~AssignmentGraph() = default;

void AssignmentGraph::resetWeights() {
  for (auto& row : weights) row.assign(size, 0);
}

void AssignmentGraph::setWeight(int row, int col, int weight) { weights[row][col] = weight; }

int AssignmentGraph::getWeight(int row, int col) const { return weights[row][col]; }

void AssignmentGraph::prepareMaximum() {
  int maximum = -1;
  for (const auto& row : weights) {
    for (int w : row) {
      if (w > maximum) maximum = w;
    }
  }
  for (auto& row : weights) {
    for (int& w : row) w = maximum - w;
  }
  isMaximum = true;
}

void AssignmentGraph::prepareMinimum() { isMaximum = false; }

void AssignmentGraph::solve() {
  std::vector<int> freeRows;
  transferReductions(reduceColumns(), freeRows);
  reduceAugmentingRows(freeRows);
  for (int f : freeRows) augment(f);

  totalCost = 0;
  for (int i = 0; i < size; ++i) {
    const int j = rowAnswers[i];
    rowDuals[i] = weights[i][j] - colDuals[j];
    totalCost += weights[i][j];
  }
}

int AssignmentGraph::getAnswerRow(int row) const { return rowAnswers[row]; }

int AssignmentGraph::getAnswerCol(int col) const { return colAnswers[col]; }

int AssignmentGraph::getTotalCost() const { return totalCost; }

int AssignmentGraph::getRowDual(int row) const { return rowDuals[row]; }

int AssignmentGraph::getColDual(int col) const { return colDuals[col]; }

std::vector<int> AssignmentGraph::reduceColumns() {
  std::vector<int> matchCounts(size, 0);
  // Downwards, so a row that is the cheapest of several columns keeps the highest.
  for (int j = size - 1; j >= 0; --j) {
    int best = 0;
    for (int i = 1; i < size; ++i) {
      if (weights[i][j] < weights[best][j]) best = i;
    }
    colDuals[j] = weights[best][j];
    if (++matchCounts[best] == 1) {
      rowAnswers[best] = j;
      colAnswers[j] = best;
    } else {
      colAnswers[j] = -1;
    }
  }
  return matchCounts;
}

void AssignmentGraph::transferReductions(const std::vector<int>& matchCounts,
                                         std::vector<int>& freeRows) {
  for (int i = 0; i < size; ++i) {
    if (matchCounts[i] == 0) {
      freeRows.push_back(i);
    } else if (matchCounts[i] == 1) {
      const int own = rowAnswers[i];
      int minimum = largeCost;
      for (int j = 0; j < size; ++j) {
        if (j != own && weights[i][j] - colDuals[j] < minimum) {
          minimum = weights[i][j] - colDuals[j];
        }
      }
      colDuals[own] -= minimum;
    }
  }
}

void AssignmentGraph::reduceAugmentingRows(std::vector<int>& freeRows) {
  // Kept between rows: a row that finds no second column reuses the last one found.
  int second = 0;
  for (int pass = 0; pass < 2; ++pass) {
    const int previousCount = static_cast<int>(freeRows.size());
    int count = 0;
    int k = 0;
    while (k < previousCount) {
      const int i = freeRows[k++];
      int firstMinimum = weights[i][0] - colDuals[0];
      int first = 0;
      int secondMinimum = largeCost;
      for (int j = 1; j < size; ++j) {
        const int h = weights[i][j] - colDuals[j];
        if (h >= secondMinimum) continue;
        if (h >= firstMinimum) {
          secondMinimum = h;
          second = j;
        } else {
          secondMinimum = firstMinimum;
          second = first;
          firstMinimum = h;
          first = j;
        }
      }

      int taken = first;
      int displaced = colAnswers[first];
      if (firstMinimum < secondMinimum) {
        colDuals[first] -= secondMinimum - firstMinimum;
      } else if (displaced >= 0) {
        taken = second;
        displaced = colAnswers[second];
      }
      rowAnswers[i] = taken;
      colAnswers[taken] = i;

      if (displaced < 0) continue;
      // A strictly cheaper column lowered its price: the displaced row tries again now.
      if (firstMinimum < secondMinimum) {
        freeRows[--k] = displaced;
      } else {
        freeRows[count++] = displaced;
      }
    }
    freeRows.resize(count);
  }
}

void AssignmentGraph::augment(int freeRow) {
  std::vector<int> distances(size);
  std::vector<int> predecessors(size, freeRow);
  std::vector<int> columnList(size);
  for (int j = 0; j < size; ++j) {
    distances[j] = weights[freeRow][j] - colDuals[j];
    columnList[j] = j;
  }

  // columnList[0, low) is finished, [low, up) waits at the minimum distance.
  int low = 0;
  int up = 0;
  int lastFinished = -1;
  int minimum = 0;
  int end = -1;
  while (end < 0) {
    if (up == low) {
      lastFinished = low - 1;
      minimum = distances[columnList[up++]];
      for (int k = up; k < size; ++k) {
        const int j = columnList[k];
        if (distances[j] > minimum) continue;
        if (distances[j] < minimum) {
          up = low;
          minimum = distances[j];
        }
        std::swap(columnList[k], columnList[up++]);
      }
      for (int k = low; k < up && end < 0; ++k) {
        if (colAnswers[columnList[k]] < 0) end = columnList[k];
      }
    }
    if (end >= 0) break;

    const int scanned = columnList[low++];
    const int i = colAnswers[scanned];
    const int offset = weights[i][scanned] - colDuals[scanned] - minimum;
    for (int k = up; k < size; ++k) {
      const int j = columnList[k];
      const int distance = weights[i][j] - colDuals[j] - offset;
      if (distance >= distances[j]) continue;
      predecessors[j] = i;
      if (distance == minimum) {
        if (colAnswers[j] < 0) {
          end = j;
          break;
        }
        std::swap(columnList[k], columnList[up++]);
      }
      distances[j] = distance;
    }
  }

  for (int k = 0; k <= lastFinished; ++k) {
    const int j = columnList[k];
    colDuals[j] += distances[j] - minimum;
  }

  int i;
  do {
    i = predecessors[end];
    colAnswers[end] = i;
    std::swap(end, rowAnswers[i]);
  } while (i != freeRow);
}

}  // namespace tovren
