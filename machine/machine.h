#pragma once
// The whole simulator as one object: both windows as plain state, the board
// they are wired to, its periodic update and the pacing that drives it. The
// pacing is chosen once: the tick and firmware threads in real time (the
// desktop program), a stepper that calls the same routines in virtual time
// (the scenario runner, the web page, tests and benchmarks), or that stepper
// on one thread keeping up with real time (the desktop program, batched). Front ends only
// draw the windows, feed them input and may give an audio output.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>

#include "board/board_wiring.h"
#include "board/periodic_update.h"
#include "board/settings_file.h"
#include "machine/sound.h"
#include "machine/stepper.h"
#include "windows/hardwarecontrol.h"

class BatchThread;
class Firmware;
class HardwareState;
class TTimerThread;
class TfrmMainDisplay;

// Who drives the board: the tick and firmware threads in real time, a
// stepper that calls the same routines in virtual time, or that stepper
// kept up with real time in 40 ms batches on one thread.
enum class BoardPacing { RealTime, Stepped, Batched };

class Machine : public BoardLifecycle {
 public:
  // Creates the front panel, then the hardware control window (which starts
  // the board and loads Hardware.dat from the working directory); in virtual
  // time then runs FirmwareStart. Both windows are shown by host, which must
  // outlive the machine; without one by nothing. Hardware.dat is kept in
  // settingsDirectory, the working directory when none is named.
  explicit Machine(BoardPacing pacing, WindowHost* host = nullptr,
                   const std::filesystem::path& settingsDirectory = {});
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
  // The board, while it runs; null before and after.
  HardwareState* board() { return board_.get(); }
  const HardwareState* board() const { return board_.get(); }

  // Panel time: the board ticks run so far, in milliseconds.
  int64_t PanelTimeMs() const;

  // Any thread, once: from the next board tick on, the buzzer and sounders
  // play on the output, which must outlive the machine.
  void PlayOn(AudioOutput& output) { sound_.SetOutput(output); }

  // Any thread: watcher runs on the board's side after each board tick (and
  // the watchdog period with it), between firmware passes, given the panel
  // time; empty stops it, and once this returns the old one runs no more.
  // For what must follow the panel without the window thread waking for it.
  void WatchTicks(std::function<void(int64_t panelMs)> watcher);

  // Runs work on the panel's memory between firmware passes (at once in
  // virtual time, where no pass runs beside it). For writes from outside the
  // firmware: a script's set config and set nv.
  void BetweenPasses(const std::function<void()>& work);

  // Batched: runs the steps wall time owes now, so that input applied next
  // lands at its moment; otherwise nothing.
  void CatchUp();

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
  // On the board's side after each tick: the sound, the settings and the watcher.
  void AfterTick();
  // Real time, on the firmware thread after each pass: the watcher for the ticks since.
  void AfterPass();

  BoardPacing pacing_;
  const SettingsFile settingsFile_;
  PeriodicUpdate periodicUpdate_;
  Stepper stepper_;
  Sound sound_;
  // Set while the board runs; the ticks read it.
  SoundSources heard_;
  // Set while the board runs: the window whose settings changes arm the autosave.
  TfrmHardwareControl* settingsWindow_ = nullptr;
  std::mutex watcherMutex_;
  std::function<void(int64_t)> watcher_;
  std::atomic<bool> watching_{false};  // spares an unwatched tick the lock
  // Real time: the panel's clock, counted by the tick thread after each tick,
  // and the panel time of the last tick watched (under watcherMutex_).
  std::atomic<int64_t> tickedMs_{0};
  int64_t watchedMs_ = 0;
  BoardWiring wiring_;
  std::unique_ptr<TTimerThread> tickThread_;
  std::unique_ptr<BatchThread> batchThread_;
  std::unique_ptr<HardwareState> board_;
  std::unique_ptr<Firmware> firmware_;
  std::unique_ptr<TfrmMainDisplay> front_;
  std::unique_ptr<TfrmHardwareControl> hardware_;
};
