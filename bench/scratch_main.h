#pragma once
// The main of a benchmark whose panel writes files (Hardware.dat, a socket):
// it runs in a scratch directory, removed afterwards.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

inline int RunInScratchDirectory(int argc, char** argv) {
  char scratch[] = "/tmp/qx40-bench-XXXXXX";
  if (!mkdtemp(scratch) || chdir(scratch) != 0) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(scratch);
  return 0;
}
