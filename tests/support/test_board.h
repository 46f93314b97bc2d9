#pragma once
// A published board whose firmware runs in virtual time under the stepper,
// a test that is itself that firmware, and a recorder of the requests the
// firmware makes.

#include <cstdint>
#include <memory>
#include <vector>

#include "machine/stepper.h"
#include "board/analogue.h"
#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "firmware/firmware.h"

// The field the 50 ms update copies from the hardware window's default
// controls: both digital inputs open, sounder lines and auxiliary supply
// healthy, the fire brigade peripheral's switches released (active low).
inline constexpr uint8_t idleSystemInputs = sysAlwaysOne | sysDigitalInput1 | sysDigitalInput2;
inline constexpr uint8_t idleMonitorInputs = monAlwaysOne | monSounder1Healthy | monSounder2Healthy | monAuxSupplyHealthy;

// A request to the one live TestBoard, as its firmware would make it.
int32_t HardwareRequest(uint8_t op, int32_t arg);

// Starts with the idle field on its input ports.
class TestBoard {
 public:
  // With a firmware of its own.
  TestBoard();
  // Running the firmware given, which is to be made on this board.
  explicit TestBoard(Firmware& firmware);
  ~TestBoard();
  TestBoard(const TestBoard&) = delete;
  TestBoard& operator=(const TestBoard&) = delete;

  HardwareState& board() { return *board_; }
  Firmware& firmware() { return *firmware_; }
  Stepper& stepper() { return stepper_; }
  // FirmwareStart, as the firmware thread would run it.
  void Start() { stepper_.Start(); }
  // Whole 5 ms steps until at least ms have passed; before each, the earth
  // detector follows the test level while earthFollows.
  void Advance(int64_t ms);

  bool earthFollows = true;

  // What the analogue channels read; tests change it freely.
  FixedAnalogueSource analogue;
  // The board's tick and watchdog, which the stepper runs.
  PeriodicUpdate periodicUpdate;

 private:
  void Publish();

  std::unique_ptr<HardwareState> board_;
  std::unique_ptr<Firmware> own_;
  Firmware* firmware_;
  Stepper stepper_;
};

// The board comes first, so that the firmware can be made on it.
class BoardFirst {
 protected:
  explicit BoardFirst(Firmware& firmware) : t(firmware) {}
  TestBoard t;
};

// A test that is the firmware on a test board: its routines and state are
// called by their own names.
class FirmwareOnBoard : protected BoardFirst, public Firmware {
 public:
  FirmwareOnBoard() : BoardFirst(static_cast<Firmware&>(*this)), Firmware(t.board()) {}
};

struct RecordedRequest {
  uint8_t op;
  int32_t arg;
  int32_t result;
  bool operator==(const RecordedRequest&) const = default;
};

// Records every HardwareRequest to the board while it lives.
class RequestRecorder {
 public:
  explicit RequestRecorder(HardwareState& board);
  ~RequestRecorder();
  RequestRecorder(const RequestRecorder&) = delete;
  RequestRecorder& operator=(const RequestRecorder&) = delete;
  std::vector<RecordedRequest> calls;
  std::vector<uint8_t> Ops() const;

 private:
  HardwareState& board_;
};
