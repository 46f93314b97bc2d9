#pragma once
// A started panel on the test board's idle field, stepped 50 ms at a time,
// with its supply, input and earth detector helpers.

#include <cstdint>

#include "board/hardware_interface.h"
#include "firmware/panel_state.h"
#include "tests/firmware/operator_fixture.h"

class SupplyTest : public OperatorTest {
 public:
  // 50 ms ticks, one at a time.
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) t.Advance(50);
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

  // Changes the input and lets the panel see it twice, long enough to act.
  void SwitchInput(int input, bool closed) {
    SetInput(input, closed);
    Ticks(2);
  }
  void SetMainsFailed(bool failed) { board().AssignPortBits(portMonitorInputs, monMainsFailed, failed); }
  void SetAuxFuseBlown(bool blown) { board().AssignPortBits(portMonitorInputs, monAuxSupplyHealthy, !blown); }
  void SetEarthDetector(bool high) {
    t.earthFollows = false;
    board().AssignPortBits(portSystemInputs, sysEarthDetect, high);
  }
  uint8_t Power() { return board().Port(portPowerOutputs); }
  // The engineering menu's option.
  void SetFastTiming(bool fast) { AssignFlags(panel.panelMode, fastFaultTiming, fast); }
  // Level 2 and the Reset key.
  void ResetPanel() {
    EnterLevel2();
    Press(keyReset);
  }
};
