#pragma once
// A started panel whose board presents an idle field, as the 50 ms update
// copies it from the hardware window's default controls: both digital inputs
// open, supplies and sounder lines healthy, the fire brigade peripheral
// supplied with its switches released, and an earth detector that follows the
// test level one tick late.

#include <cstdint>

#include "board/hardware_interface.h"
#include "firmware/panel_state.h"
#include "tests/firmware/operator_fixture.h"

inline constexpr uint8_t idleSystemInputs = sysAlwaysOne | sysDigitalInput1 | sysDigitalInput2;
inline constexpr uint8_t idleMonitorInputs = monAlwaysOne | monSounder1Healthy | monSounder2Healthy | monAuxSupplyHealthy;
inline constexpr uint8_t fwpSwitchBits = 0x1F;  // active low

class SupplyTest : public OperatorTest {
 public:
  void SetUp() override {
    board().StorePort(portSystemInputs, idleSystemInputs);
    board().StorePort(portFwpInputs, fwpSwitchBits);
    board().StorePort(portMonitorInputs, idleMonitorInputs);
    OperatorTest::SetUp();
  }

  // 50 ms ticks, one at a time.
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) {
      if (earthFollows) board().AssignPortBits(portSystemInputs, sysEarthDetect, board().Port(portLedsRelays) & earthLevelHigh);
      t.Advance(50);
    }
  }
  // Ticks until the predicate holds, at most limit of them; the ticks taken, or -1.
  template <typename Predicate>
  int TicksUntil(Predicate done, int limit) {
    for (int n = 1; n <= limit; ++n) {
      Ticks(1);
      if (done()) return n;
    }
    return -1;
  }

  // input 1 or 2; closed is active.
  void SetInput(int input, bool closed) {
    board().AssignPortBits(portSystemInputs, input == 1 ? sysDigitalInput1 : sysDigitalInput2, !closed);
  }
  // Changes the input and lets the panel see it twice, long enough to act.
  void SwitchInput(int input, bool closed) {
    SetInput(input, closed);
    Ticks(2);
  }
  void SetMainsFailed(bool failed) { board().AssignPortBits(portMonitorInputs, monMainsFailed, failed); }
  void SetAuxFuseBlown(bool blown) { board().AssignPortBits(portMonitorInputs, monAuxSupplyHealthy, !blown); }
  void SetEarthDetector(bool high) {
    earthFollows = false;
    board().AssignPortBits(portSystemInputs, sysEarthDetect, high);
  }
  uint8_t Power() { return board().Port(portPowerOutputs); }
  // The engineering menu's option.
  static void SetFastTiming(bool fast) { AssignFlags(panel.panelMode, fastFaultTiming, fast); }
  // Level 2 and the Reset key.
  void ResetPanel() {
    EnterLevel2();
    Press(keyReset);
  }

  bool earthFollows = true;
};
