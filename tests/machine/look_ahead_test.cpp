// The copy that runs ahead must name the very step at which the panel, left
// alone, next shows a change: a page sleeping until then draws it on time.

#include <gtest/gtest.h>

#include "board/hardware_interface.h"
#include "machine/event_log.h"
#include "machine/look_ahead.h"
#include "machine/machine.h"
#include "tests/support/clean_state.h"
#include "tests/windows/ui_test_support.h"
#include "windows/hardwarecontrol.h"
#include "windows/maindisplay.h"

namespace {

constexpr int maxSteps = 160;

class LookAheadTest : public ::testing::Test {
 protected:
  LookAheadTest() {
    panel_.PlayOn(seen_);
    panel_.front().Show();
    panel_.hardware().Show();
  }

  // A step as the page runs it, its event log sampled at the same moments.
  void Step() {
    panel_.Step();
    events_.SampleIfDue(panel_.NowMs());
  }

  // Steps the panel until it shows a change, or maxSteps pass.
  int StepsToNextChange() {
    const uint32_t nvWrites = panel_.board()->nvWrites.load();
    seen_.changed = false;
    for (int steps = 1; steps <= maxSteps; ++steps) {
      Step();
      if (seen_.changed || panel_.board()->nvWrites.load() != nvWrites) return steps;
    }
    return maxSteps;
  }

  CleanState clean_;
  ChangeWatch seen_;
  Machine panel_{BoardPacing::Stepped, &seen_, clean_.Directory() / "panel"};
  EventLog events_{panel_, [this](const PanelEvent&) { seen_.changed = true; }};
  LookAhead ahead_{clean_.Directory() / "copy"};
};

// A fresh panel's start-up fault flashes and beeps: change after change, each
// foretold to the step, looked for at the change or a step or two after it,
// and again after a key the copy never saw.
TEST_F(LookAheadTest, ForetellsEachChangeOfAStandingPanelToTheStep) {
  int changes = 0;
  for (int look = 0; look < 40; ++look) {
    if (look == 20) {
      LeftClick(panel_.front().FindControl("BuzzerMuteButton"));
      ahead_.Forget();
    }
    const std::optional<int> foretold = ahead_.StepsUntilChange(panel_, maxSteps);
    ASSERT_TRUE(foretold) << "look " << look;
    const int found = StepsToNextChange();
    ASSERT_EQ(*foretold, found) << "look " << look << " at " << panel_.NowMs() << " ms";
    if (found < maxSteps) ++changes;
    // As a page woken later than the change: the copy is left behind.
    for (int late = 0; late < look % 3; ++late) Step();
  }
  EXPECT_GT(changes, 20);
}

}  // namespace
