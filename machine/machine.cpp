#include "machine/machine.h"

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "firmware/firmware.h"
#include "machine/applicationthread.h"
#include "machine/batchthread.h"
#include "machine/timerthread.h"
#include "windows/maindisplay.h"

Machine::Machine(BoardPacing pacing, WindowHost* host, const std::filesystem::path& settingsDirectory)
    : pacing_(pacing), settingsFile_(settingsDirectory), stepper_(periodicUpdate_) {
  stepper_.afterTick = [this] { AfterTick(); };
  front_ = std::make_unique<TfrmMainDisplay>(host);
  hardware_ = std::make_unique<TfrmHardwareControl>(*this, periodicUpdate_, front_.get(), host, settingsFile_);
  if (pacing_ == BoardPacing::RealTime) return;
  stepper_.Start();
  if (pacing_ != BoardPacing::Batched) return;
  batchThread_ = std::make_unique<BatchThread>(stepper_);
  batchThread_->Resume();
}

// The hardware window goes first and, on its way, stops the board and saves.
Machine::~Machine() {
  hardware_.reset();
  front_.reset();
}

// The board and its firmware are made first; the tick thread then ticks
// without effect until the board is published, and the firmware thread
// starts only once it is.
void Machine::StartBoard(TfrmHardwareControl& window) {
  const bool realTime = pacing_ == BoardPacing::RealTime;
  board_ = std::make_unique<HardwareState>(periodicUpdate_, settingsFile_);
  firmware_ = std::make_unique<Firmware>(*board_);
  if (realTime) board_->firmwareThread = std::make_unique<TFireAlarmApplication>(*firmware_, [this] { AfterPass(); });
  stepper_.firmware = firmware_.get();
  periodicUpdate_.RestartCounters();
  front_->WireFrontPanel(wiring_);
  window.WireHardwareControls(wiring_);
  wiring_.batteryLevel = &firmware_->panel.batteryLevelFiltered;
  wiring_.chargerLevel = &firmware_->panel.chargerLevelFiltered;
  periodicUpdate_.wiring = &wiring_;
  heard_ = {front_->InternalTone, window.SounderOutput1, window.SounderOutput2, window.SoundMute};
  // Stepped runs save only as they end; the look would cost every tick.
  if (pacing_ != BoardPacing::Stepped) settingsWindow_ = &window;
  if (realTime) {
    tickThread_ = std::make_unique<TTimerThread>(periodicUpdate_, [this] { AfterTick(); });
    tickThread_->Resume();
  }
  board_->analogueSource = &window;
  board_->windowPartFollows = true;
  periodicUpdate_.boardInstance.store(board_.get());
  front_->UseBoard(board_.get());
  board_->StartFirmware();
}

void Machine::WatchTicks(std::function<void(int64_t panelMs)> watcher) {
  const std::lock_guard lock(watcherMutex_);
  watching_.store(bool(watcher), std::memory_order_relaxed);
  watcher_ = std::move(watcher);
  watchedMs_ = tickedMs_.load(std::memory_order_acquire);
}

void Machine::AfterTick() {
  FollowSound();
  if (settingsWindow_) settingsWindow_->WatchSettings();
  // The tick thread runs beside the firmware's, which runs the watcher after
  // its next pass: nothing is handed over, nothing waits.
  if (pacing_ == BoardPacing::RealTime) {
    tickedMs_.fetch_add(boardTickMs, std::memory_order_release);
    return;
  }
  if (!watching_.load(std::memory_order_relaxed)) return;
  const std::lock_guard lock(watcherMutex_);
  if (watcher_) watcher_(PanelTimeMs());
}

// The firmware thread, between passes: the watcher once for each tick since
// the last, in order, with its own time.
void Machine::AfterPass() {
  if (!watching_.load(std::memory_order_relaxed)) return;
  const std::lock_guard lock(watcherMutex_);
  const int64_t ticked = tickedMs_.load(std::memory_order_acquire);
  for (; watchedMs_ < ticked; watchedMs_ += boardTickMs) {
    if (watcher_) watcher_(watchedMs_ + boardTickMs);
  }
}

void Machine::BetweenPasses(const std::function<void()>& work) {
  if (batchThread_) return batchThread_->CaughtUp(work);
  if (pacing_ == BoardPacing::RealTime && board_ && board_->firmwareThread) {
    return static_cast<TFireAlarmApplication&>(*board_->firmwareThread).BetweenPasses(work);
  }
  work();
}

void Machine::CatchUp() {
  if (batchThread_) batchThread_->CaughtUp();
}

int64_t Machine::PanelTimeMs() const {
  if (pacing_ != BoardPacing::RealTime) return stepper_.NowMs();
  return tickedMs_.load(std::memory_order_acquire);
}

// The tick first, so that no tick reaches the board once it goes; the board
// then stops its firmware thread and stages its part of the file. What
// played stops with it.
void Machine::StopBoard() {
  tickThread_.reset();
  batchThread_.reset();
  heard_ = {};
  settingsWindow_ = nullptr;
  FollowSound();
  periodicUpdate_.wiring = nullptr;
  periodicUpdate_.boardInstance.store(nullptr);
  front_->UseBoard(nullptr);
  board_.reset();
  stepper_.firmware = nullptr;
  firmware_.reset();
}
