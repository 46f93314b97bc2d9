// Cost of the firmware's work per tick and of the board's periodic tick, on
// the default panel, in virtual time. The tick runs over the windows' own
// controls, with nothing drawing them, so it measures the board's work.

#include <benchmark/benchmark.h>

#include <memory>

#include "bench/scratch_main.h"
#include "board/analogue.h"
#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "firmware/firmware.h"
#include "machine/stepper.h"
#include "machine/machine.h"

namespace {

// A published board with the default analogue inputs, started and settled.
class Panel {
 public:
  Panel()
      : board_(std::make_unique<HardwareState>(periodicUpdate_)), firmware_(*board_), stepper_(periodicUpdate_, &firmware_) {
    board_->analogueSource = &analogue_;
    periodicUpdate_.boardInstance.store(board_.get());
    stepper_.Start();
    stepper_.Advance(10000);
  }
  HardwareState& board() { return *board_; }
  Stepper& stepper() { return stepper_; }
  Firmware& firmware() { return firmware_; }

 private:
  FixedAnalogueSource analogue_;
  PeriodicUpdate periodicUpdate_;
  std::unique_ptr<HardwareState> board_;
  Firmware firmware_;
  Stepper stepper_;
};

void BM_FirmwarePassBothTicks(benchmark::State& state) {
  Panel panelUnderTest;
  for (auto _ : state) {
    panelUnderTest.board().StorePort(portTick20ms, 1);
    panelUnderTest.board().StorePort(portTick50ms, 1);
    panelUnderTest.firmware().FirmwarePass();
  }
}
BENCHMARK(BM_FirmwarePassBothTicks);

void BM_FirmwarePassIdle(benchmark::State& state) {
  Panel panelUnderTest;
  for (auto _ : state) panelUnderTest.firmware().FirmwarePass();
}
BENCHMARK(BM_FirmwarePassIdle);

// Both windows and their board in virtual time, settled.
std::unique_ptr<Machine> SettledMachine() {
  auto machine = std::make_unique<Machine>(BoardPacing::Stepped);
  machine->Advance(10000);
  return machine;
}

// A tick as it comes: over the ten-tick cycle, five 20 ms and two 50 ms updates.
void BM_BoardTick(benchmark::State& state) {
  const std::unique_ptr<Machine> machine = SettledMachine();
  for (auto _ : state) machine->periodicUpdate().Tick();
}
BENCHMARK(BM_BoardTick);

// The heaviest tick: both updates due.
void BM_BoardTickBothUpdates(benchmark::State& state) {
  const std::unique_ptr<Machine> machine = SettledMachine();
  for (auto _ : state) {
    machine->periodicUpdate().divider20ms = 0;
    machine->periodicUpdate().divider50ms = 0;
    machine->periodicUpdate().Tick();
  }
}
BENCHMARK(BM_BoardTickBothUpdates);

void BM_StepperVirtualSecond(benchmark::State& state) {
  Panel panelUnderTest;
  for (auto _ : state) panelUnderTest.stepper().Advance(1000);
  state.counters["x_realtime"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StepperVirtualSecond)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return RunInScratchDirectory(argc, argv); }
