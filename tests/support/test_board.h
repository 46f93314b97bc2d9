#pragma once
// A published board whose firmware runs in virtual time under the stepper,
// and a recorder of the requests the firmware makes.

#include <cstdint>
#include <memory>
#include <vector>

#include "machine/stepper.h"
#include "board/analogue.h"
#include "board/hardware_interface.h"

// The field the 50 ms update copies from the hardware window's default
// controls: both digital inputs open, sounder lines and auxiliary supply
// healthy, the fire brigade peripheral's switches released (active low).
inline constexpr uint8_t idleSystemInputs = sysAlwaysOne | sysDigitalInput1 | sysDigitalInput2;
inline constexpr uint8_t idleMonitorInputs = monAlwaysOne | monSounder1Healthy | monSounder2Healthy | monAuxSupplyHealthy;

// Starts with the idle field on its input ports.
class TestBoard {
 public:
  TestBoard();
  ~TestBoard();
  TestBoard(const TestBoard&) = delete;
  TestBoard& operator=(const TestBoard&) = delete;

  HardwareState& board() { return *board_; }
  Stepper& stepper() { return stepper_; }
  // FirmwareStart, as the firmware thread would run it.
  void Start() { stepper_.Start(); }
  // Whole 5 ms steps until at least ms have passed; before each, the earth
  // detector follows the test level while earthFollows.
  void Advance(int64_t ms);

  bool earthFollows = true;

  // What the analogue channels read; tests change it freely.
  FixedAnalogueSource analogue;

 private:
  std::unique_ptr<HardwareState> board_;
  Stepper stepper_;
};

struct RecordedRequest {
  uint8_t op;
  int32_t arg;
  int32_t result;
  bool operator==(const RecordedRequest&) const = default;
};

// Records every HardwareRequest while it lives.
class RequestRecorder {
 public:
  RequestRecorder();
  ~RequestRecorder();
  std::vector<RecordedRequest> calls;
  std::vector<uint8_t> Ops() const;
};
