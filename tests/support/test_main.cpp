// Runs every test inside a CleanState.
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/clean_state.h"

namespace {
class CleanStateListener : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { state_ = std::make_unique<CleanState>(); }
  void OnTestEnd(const ::testing::TestInfo&) override { state_.reset(); }
  std::unique_ptr<CleanState> state_;
};
}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new CleanStateListener);
  return RUN_ALL_TESTS();
}
