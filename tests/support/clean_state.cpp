#include "tests/support/clean_state.h"

#include <stdexcept>
#include <string>

CleanState::CleanState() : previous_(std::filesystem::current_path()) {
  std::string pattern = (std::filesystem::temp_directory_path() / "qx40-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a test directory");
  directory_ = pattern;
  std::filesystem::current_path(directory_);
}

CleanState::~CleanState() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(directory_, ignored);
}
