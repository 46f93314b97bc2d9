#pragma once
// The whole simulator in virtual time: both windows created as the program
// creates them, their board driven by a stepper instead of the two threads.
// Used wherever a run must be deterministic: the scenario runner, tests and
// benchmarks. The windows need not be shown.

#include <cstdint>
#include <memory>

#include "app/stepper.h"

class TfrmMainDisplay;
class TfrmHardwareControl;

class Simulation {
 public:
  // Creates the front panel, then the hardware control window (which loads
  // Hardware.dat from the working directory), then runs FirmwareStart.
  Simulation();
  // Shuts down in the program's order, saving Hardware.dat.
  ~Simulation();
  Simulation(const Simulation&) = delete;
  Simulation& operator=(const Simulation&) = delete;

  TfrmMainDisplay& front() { return *front_; }
  TfrmHardwareControl& hardware() { return *hardware_; }

  // One 5 ms step; whole steps until at least ms have passed.
  void Step() { stepper_.Step(); }
  void Advance(int64_t ms) { stepper_.Advance(ms); }
  int64_t NowMs() const { return stepper_.NowMs(); }
  Stepper& stepper() { return stepper_; }

 private:
  std::unique_ptr<TfrmMainDisplay> front_;
  std::unique_ptr<TfrmHardwareControl> hardware_;
  Stepper stepper_;
};
