// The machine's creation and destruction order, in both pacings.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "board/settings_file.h"
#include "machine/machine.h"
#include "tests/support/pacing_name.h"
#include "tests/support/clean_state.h"
#include "windows/maindisplay.h"

namespace {

// Counts the firmware's requests, from any thread.
std::atomic<int> requests{0};

void WatchRequests(uint8_t, int32_t, int32_t, void*) { ++requests; }

class MachineTest : public ::testing::TestWithParam<BoardPacing> {
 protected:
  void SetUp() override {
    requests = 0;
  }

  CleanState clean_;
};

// While it lives the machine has its board, published and wired to both
// windows; once it goes, the whole file is saved.
TEST_P(MachineTest, PublishesTheBoardWhileItLivesAndSavesTheWholeFileAsItGoes) {
  {
    Machine machine(GetParam());
    ASSERT_NE(machine.board(), nullptr);
    machine.board()->requestObserver.Set(WatchRequests, nullptr);
    EXPECT_EQ(machine.periodicUpdate().boardInstance.load(), machine.board());
    EXPECT_NE(machine.periodicUpdate().wiring.load(), nullptr);
    if (GetParam() == BoardPacing::Stepped) machine.Advance(1000);
    while (requests.load() == 0) {
    }
    EXPECT_FALSE(std::filesystem::exists(hardwareFileName));
  }
  EXPECT_EQ(std::filesystem::file_size(hardwareFileName), hardwareFileSize);
}

INSTANTIATE_TEST_SUITE_P(Pacing, MachineTest,
                         ::testing::Values(BoardPacing::Stepped, BoardPacing::RealTime, BoardPacing::Batched),
                         [](const auto& info) { return std::string(PacingName(info.param)); });

// The hardware window starts the board after its caption and before its
// level defaults, and stops it before the settings are saved.
class RecordingLifecycle : public BoardLifecycle {
 public:
  void StartBoard(TfrmHardwareControl& window) override {
    ++starts;
    captionAtStart = window.lblSoftwareVersion->Caption();
    zoneFillAtStart = window.ZoneAnalogueValue[0]->Width();
  }
  void StopBoard() override {
    ++stops;
    savedAtStop = std::filesystem::exists(hardwareFileName);
  }
  int starts = 0;
  int stops = 0;
  std::string captionAtStart;
  int zoneFillAtStart = -1;
  bool savedAtStop = true;
};

TEST(HardwareWindowLifecycle, StartsTheBoardBetweenCaptionAndDefaultsAndStopsItBeforeTheSave) {
  CleanState clean;
  RecordingLifecycle lifecycle;
  {
    TfrmMainDisplay front;
    {
      PeriodicUpdate update;
      TfrmHardwareControl hardware(lifecycle, update, &front);
      EXPECT_EQ(lifecycle.starts, 1);
      EXPECT_EQ(lifecycle.captionAtStart, firmwareVersionText);
      EXPECT_EQ(lifecycle.zoneFillAtStart, 50);  // the layout width, not yet the default press
      EXPECT_NE(hardware.ZoneAnalogueValue[0]->Width(), 50);
      EXPECT_EQ(lifecycle.stops, 0);
    }
  }
  EXPECT_EQ(lifecycle.stops, 1);
  EXPECT_FALSE(lifecycle.savedAtStop);
}

}  // namespace
