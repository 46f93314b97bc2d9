#pragma once
// A test's private empty working directory, so that Hardware.dat never leaks
// between tests.

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
