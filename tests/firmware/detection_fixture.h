#pragma once
// A started panel in virtual time whose field wiring is set through the
// analogue source and the board's input ports, and whose firmware ticks are
// counted from the requests it makes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>

#include "board/analogue.h"
#include "board/hardware_interface.h"
#include "firmware/panel_state.h"
#include "tests/support/test_board.h"

// Zone line resistances in the middle of each band at the default supply.
constexpr int32_t normalOhms = 4700;
constexpr int32_t fireOhms = 1000;
constexpr int32_t faultOhms = 2500;
constexpr int32_t shortOhms = 100;

// Configuration bytes 0..15 of the factory defaults without the VdS link.
constexpr uint8_t factoryDefaults[16] = {0x04, 0x00, 0x04, 0x00, 0x04, 0x00, 0x04, 0x00,
                                         0x00, 0x00, 0x00, 0x09, 0x02, 0x03, 0x00, 0x91};

class DetectionTest : public ::testing::Test {
 public:
  void SetUp() override { t.Start(); }

  HardwareState& board() { return t.board(); }

  void SetZoneCount(int zones) {
    board().AssignPortBits(29, port29FourZoneLink, zones == 4);
    board().AssignPortBits(29, port29EightZoneLink, zones == 8);
  }
  static void WriteFactoryDefaults() {
    for (uint8_t address = 0; address < 16; ++address) WriteConfig(address, factoryDefaults[address]);
  }
  void SetZoneOhms(int zone, int32_t ohms) { t.analogue.zoneOhms[zone] = ohms; }

  // Steps until the firmware has taken n ticks of the given kind, then
  // returns; each taken tick is reported to onTick right after its pass.
  void Ticks(uint8_t takeOp, int n, const std::function<void()>& onTick = {}) {
    int taken = 0;
    while (taken < n) {
      RequestRecorder recorder;
      t.stepper().Step();
      const bool tick = std::any_of(recorder.calls.begin(), recorder.calls.end(),
                                    [&](const RecordedRequest& c) { return c.op == takeOp && c.result; });
      if (!tick) continue;
      ++taken;
      if (onTick) onTick();
    }
  }
  void Ticks20(int n, const std::function<void()>& onTick = {}) { Ticks(TAKE_TICK_20MS, n, onTick); }
  void Ticks50(int n, const std::function<void()>& onTick = {}) { Ticks(TAKE_TICK_50MS, n, onTick); }

  TestBoard t;
};
