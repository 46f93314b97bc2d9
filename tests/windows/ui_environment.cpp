// The one offscreen Qt GUI of the window tests: captions are measured as the
// programs measure them.

#include <gtest/gtest.h>

#include <memory>

#include "qt/offscreen.h"

namespace {
class GuiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { gui_ = std::make_unique<OffscreenGui>(argc_, argv_); }
  void TearDown() override { gui_.reset(); }

 private:
  int argc_ = 1;
  char name_[13] = "window_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<OffscreenGui> gui_;
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);
}  // namespace
