#pragma once
// The whole simulator as one object: both windows as plain state, the board
// they are wired to, its periodic update and the pacing that drives it. The
// pacing is chosen once: the tick and firmware threads in real time (the
// desktop program), or a stepper that calls the same routines in virtual time
// (the scenario runner, the web page, tests and benchmarks). Front ends only
// draw the windows, feed them input and may give an audio output.

#include <cstdint>
#include <functional>
#include <memory>

#include "board/board_wiring.h"
#include "board/periodic_update.h"
#include "machine/sound.h"
#include "machine/stepper.h"
#include "windows/hardwarecontrol.h"

class Firmware;
class HardwareState;
class TTimerThread;
class TfrmMainDisplay;

// Who drives the board: the tick and firmware threads in real time, or a
// stepper that calls the same routines in virtual time.
enum class BoardPacing { RealTime, Stepped };

class Machine : public BoardLifecycle {
 public:
  // Creates the front panel, then the hardware control window (which starts
  // the board and loads Hardware.dat from the working directory); in virtual
  // time then runs FirmwareStart.
  explicit Machine(BoardPacing pacing);
  // Shuts down in the program's order, saving Hardware.dat.
  ~Machine() override;
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  BoardPacing Pacing() const { return pacing_; }
  TfrmMainDisplay& front() { return *front_; }
  TfrmHardwareControl& hardware() { return *hardware_; }
  // How the board sees the windows' controls; read-only for watchers.
  const BoardWiring& wiring() const { return wiring_; }
  PeriodicUpdate& periodicUpdate() { return periodicUpdate_; }
  // The panel's firmware, while the board runs.
  Firmware& firmware() { return *firmware_; }

  // Panel time: the board ticks run so far, in milliseconds.
  int64_t PanelTimeMs() const;

  // Any thread, once: from the next board tick on, the buzzer and sounders
  // play on the output, which must outlive the machine.
  void PlayOn(AudioOutput& output) { sound_.SetOutput(output); }

  // Runs work on the panel's memory between firmware passes (at once in
  // virtual time, where no pass runs beside it). For writes from outside the
  // firmware: a script's set config and set nv.
  void BetweenPasses(const std::function<void()>& work);

  // Virtual time only: one 5 ms step; whole steps until at least ms have passed.
  void Step() { stepper_.Step(); }
  void Advance(int64_t ms) { stepper_.Advance(ms); }
  int64_t NowMs() const { return stepper_.NowMs(); }
  Stepper& stepper() { return stepper_; }

 private:
  // The hardware window calls these from its creation and destruction.
  void StartBoard(TfrmHardwareControl& window) override;
  void StopBoard() override;
  void FollowSound() { sound_.Follow(heard_); }

  BoardPacing pacing_;
  PeriodicUpdate periodicUpdate_;
  Stepper stepper_;
  Sound sound_;
  // Set while the board runs; the ticks read it.
  SoundSources heard_;
  BoardWiring wiring_;
  std::unique_ptr<TTimerThread> tickThread_;
  std::unique_ptr<HardwareState> board_;
  std::unique_ptr<Firmware> firmware_;
  std::unique_ptr<TfrmMainDisplay> front_;
  std::unique_ptr<TfrmHardwareControl> hardware_;
};
