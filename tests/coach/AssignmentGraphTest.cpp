#include "coach/AssignmentGraph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <tuple>
#include <vector>

namespace tovren {

TEST(AssignmentGraph, TieBreaksAndSmallCasesGiveTheKnownAssignment) {
  const std::vector<int> zeros21 = {20, 0,  3,  4,  5,  6,  7,  8,  9, 10, 11,
                                    12, 13, 14, 15, 16, 17, 18, 19, 1, 2};
  struct Case {
    const char* name;
    int n;
    std::vector<int> weights;  // row by row; empty leaves every weight 0
    bool maximise;
    std::vector<int> rowAnswers;
    int totalCost;
  };
  const Case cases[] = {
      {"all zero, 21 by 21, maximised", 21, {}, true, zeros21, 0},
      {"maximised, cost in transformed values", 2, {5, 1, 2, 7}, true, {0, 1}, 2},
      {"reduction transfer steers", 3, {0, 0, 1, 1, 1, 0, 1, 2, 0}, false, {1, 2, 0}, 1},
      {"displaced row tried at once", 3, {0, 0, 0, 1, 1, 0, 0, 0, 0}, false, {0, 2, 1}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AssignmentGraph graph(c.n);
    for (std::size_t k = 0; k < c.weights.size(); ++k)
      graph.setWeight(k / c.n, k % c.n, c.weights[k]);
    if (c.maximise) graph.prepareMaximum();
    graph.solve();
    for (int i = 0; i < c.n; ++i) EXPECT_EQ(graph.getAnswerRow(i), c.rowAnswers[i]);
    EXPECT_EQ(graph.getTotalCost(), c.totalCost);
  }
}

// Every permutation of the columns is tried, so the solver's minimum is checked outright.
TEST(AssignmentGraph, MatchesBruteForceOnRandomMatrices) {
  std::mt19937 random(29);
  for (int round = 0; round < 3000; ++round) {
    const int n = 1 + round % 7;
    // Narrow ranges make many equal optima; wide ones use nearly the whole span allowed.
    const int range = round % 2 == 0 ? 3 : 999999;
    std::uniform_int_distribution<int> weight(-range / 2, range - range / 2);
    AssignmentGraph graph(n);
    for (int k = 0; k < n * n; ++k) graph.setWeight(k / n, k % n, weight(random));
    if (round % 3 == 0) graph.prepareMaximum();

    std::vector<int> perm(n), best;
    std::iota(perm.begin(), perm.end(), 0);
    int bestCost = 1 << 30, optima = 0;
    do {
      int cost = 0;
      for (int i = 0; i < n; ++i) cost += graph.getWeight(i, perm[i]);
      if (cost < bestCost) std::tie(bestCost, best, optima) = std::tuple(cost, perm, 0);
      optima += cost == bestCost;
    } while (std::next_permutation(perm.begin(), perm.end()));

    graph.solve();
    ASSERT_EQ(graph.getTotalCost(), bestCost) << "round " << round;
    for (int i = 0; i < n; ++i) {
      ASSERT_EQ(graph.getAnswerCol(graph.getAnswerRow(i)), i);
      ASSERT_TRUE(optima > 1 || graph.getAnswerRow(i) == best[i]) << "round " << round;
      // The prices prove the optimum: no cell is below its row's dual, its own equals it.
      for (int j = 0; j < n; ++j) {
        const int slack = graph.getWeight(i, j) - graph.getColDual(j) - graph.getRowDual(i);
        ASSERT_TRUE(slack == 0 || (slack > 0 && j != graph.getAnswerRow(i))) << slack;
      }
    }
  }
}

}  // namespace tovren
