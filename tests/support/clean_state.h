#pragma once
// Every test starts from a fresh process's state: no board, firmware variables
// at their initial values, and a private empty working directory so that
// Hardware.dat never leaks between tests.

#include <filesystem>

class CleanState {
 public:
  CleanState();
  ~CleanState();
  CleanState(const CleanState&) = delete;
  CleanState& operator=(const CleanState&) = delete;

  const std::filesystem::path& Directory() const { return directory_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path directory_;
};

// Resets all board globals.
void ResetAllState();
