#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "machine/applicationthread.h"
#include "machine/event_log.h"
#include "machine/timerthread.h"
#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "firmware/firmware.h"
#include "machine/machine.h"
#include "tests/support/pacing_name.h"
#include "tests/windows/ui_test_support.h"
#include "windows/hardwarecontrol.h"

namespace {

// Counts firmware passes by the watchdog services they make.
std::atomic<int> services{0};
std::atomic<bool> sawBoard{true};

// Given the periodic update, which sees the board only while it is published.
void CountServices(uint8_t op, int32_t, int32_t, void* periodicUpdate) {
  if (static_cast<const PeriodicUpdate*>(periodicUpdate)->boardInstance.load() == nullptr) sawBoard = false;
  if (op == WATCHDOG_SERVICE) ++services;
}

}  // namespace

// The real threads run the same routines as the stepper: the firmware thread
// starts only once its board is published, and both stop on request.
TEST(Threads, FirmwareThreadStartsAfterPublicationAndStopsWithTheBoard) {
  services = 0;
  sawBoard = true;
  PeriodicUpdate periodicUpdate;
  TTimerThread tick(periodicUpdate);
  tick.Resume();
  auto board = std::make_unique<HardwareState>(periodicUpdate);
  Firmware firmware(*board);
  board->firmwareThread = std::make_unique<TFireAlarmApplication>(firmware);
  board->requestObserver.Set(CountServices, &periodicUpdate);
  EXPECT_EQ(services, 0);  // created, not yet running
  periodicUpdate.boardInstance.store(board.get());
  board->StartFirmware();
  while (services < 3) {
  }
  tick.Terminate();
  tick.WaitFor();
  board.reset();  // stops the firmware thread before the board is withdrawn
  periodicUpdate.boardInstance.store(nullptr);
  const int after = services;
  EXPECT_TRUE(sawBoard);
  EXPECT_EQ(services, after);
}

// Configuration written from another thread (a control socket's set config)
// while the real firmware thread, or the batches, run the passes and their
// background check of the configuration's checksum: every write lands whole,
// the checksum stays right and the firmware never sees it wrong.
class ThreadsTest : public ::testing::TestWithParam<BoardPacing> {};

TEST_P(ThreadsTest, ConfigWrittenBesideTheFirmwareKeepsItsChecksum) {
  constexpr int writes = 3000;
  constexpr uint8_t address = 5;  // a zone's options, free to change
  Machine machine(GetParam());
  Firmware& firmware = machine.firmware();
  for (int i = 0; i < writes; ++i) {
    machine.BetweenPasses([&firmware, i] { firmware.WriteConfig(address, uint8_t(i % 2 ? 0x01 : 0x00)); });
    if (i % 100 != 0) continue;
    machine.BetweenPasses([&firmware] {
      uint8_t sum = 0;
      for (int a = 0; a < cfgChecksum; ++a) sum ^= firmware.ReadConfig(uint8_t(a));
      EXPECT_EQ(sum, firmware.ReadConfig(cfgChecksum));
    });
  }
  machine.BetweenPasses([&firmware] { EXPECT_EQ(firmware.panel.systemFaults & configCheckFault, 0); });
}

INSTANTIATE_TEST_SUITE_P(Pacing, ThreadsTest, ::testing::Values(BoardPacing::RealTime, BoardPacing::Batched),
                         [](const auto& info) { return std::string(PacingName(info.param)); });

// The event log sampled on the board's side, between firmware passes, while
// the window thread clicks and samples after each click: every click is
// logged once, and the events reach the window thread whole.
TEST_P(ThreadsTest, TheEventLogSampledBesideTheWindowThreadLogsEachClickOnce) {
  constexpr int clicks = 20;
  constexpr int64_t clickEveryMs = 30;
  Machine machine(GetParam());
  std::vector<std::string> logged;
  BoardSideEventLog log(machine, [&](const PanelEvent& event) { logged.push_back(event.text); }, [] {});
  std::vector<int64_t> watched;
  machine.WatchTicks([&](int64_t panelMs) {
    watched.push_back(panelMs);
    log.AfterTick(panelMs);
  });
  int64_t next = machine.PanelTimeMs() + clickEveryMs;
  for (int done = 0; done < clicks;) {
    machine.CatchUp();
    if (machine.PanelTimeMs() < next) continue;  // the board's threads run meanwhile
    LeftClick(machine.hardware().PSUMainsInput);
    log.SampleNow();
    next += clickEveryMs;
    ++done;
  }
  machine.WatchTicks({});
  log.Deliver();
  const auto count = [&](const std::string& text) { return std::count(logged.begin(), logged.end(), text); };
  EXPECT_EQ(count("Mains supply off"), clicks / 2);
  EXPECT_EQ(count("Mains supply on"), clicks / 2);
  // Every tick watched once, in order, at its own time.
  ASSERT_GT(watched.size(), 2u);
  for (size_t i = 1; i < watched.size(); ++i) ASSERT_EQ(watched[i] - watched[i - 1], boardTickMs) << i;
}
