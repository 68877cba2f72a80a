#include <benchmark/benchmark.h>

// The one entry point of the benchmark executable; every bench/*.cpp adds its own cases.
BENCHMARK_MAIN();
