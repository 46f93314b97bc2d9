#include "machine/machine.h"

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "firmware/panel_state.h"
#include "machine/applicationthread.h"
#include "machine/batchthread.h"
#include "machine/timerthread.h"
#include "windows/maindisplay.h"

Machine::Machine(BoardPacing pacing) : pacing_(pacing), stepper_(periodicUpdate) {
  stepper_.afterTick = [this] { AfterTick(); };
  front_ = std::make_unique<TfrmMainDisplay>();
  frmMainDisplay = front_.get();
  hardware_ = std::make_unique<TfrmHardwareControl>(*this);
  frmHardwareControl = hardware_.get();
  if (pacing_ == BoardPacing::RealTime) return;
  stepper_.Start();
  if (pacing_ != BoardPacing::Batched) return;
  batchThread_ = std::make_unique<BatchThread>(stepper_);
  batchThread_->Resume();
}

// The hardware window goes first and, on its way, stops the board and saves.
Machine::~Machine() {
  hardware_.reset();
  frmHardwareControl = nullptr;
  front_.reset();
  frmMainDisplay = nullptr;
}

// The tick thread first, ticking without effect until the board is published;
// the firmware thread only once it is, so its first request finds the board.
void Machine::StartBoard(TfrmHardwareControl& window) {
  periodicUpdate.RestartCounters();
  front_->WireFrontPanel(wiring_);
  window.WireHardwareControls(wiring_);
  wiring_.batteryLevel = &panel.batteryLevelFiltered;
  wiring_.chargerLevel = &panel.chargerLevelFiltered;
  periodicUpdate.wiring = &wiring_;
  heard_ = {front_->InternalTone, window.SounderOutput1, window.SounderOutput2, window.SoundMute};
  // Stepped runs save only as they end; the look would cost every tick.
  if (pacing_ != BoardPacing::Stepped) settingsWindow_ = &window;
  const bool realTime = pacing_ == BoardPacing::RealTime;
  if (realTime) {
    tickThread_ = std::make_unique<TTimerThread>(periodicUpdate, [this] { AfterTick(); });
    tickThread_->Resume();
  }
  board_ = std::make_unique<HardwareState>(realTime ? TFireAlarmApplication::Create : nullptr);
  board_->analogueSource = &window;
  board_->windowPartFollows = true;
  boardInstance.store(board_.get());
  board_->StartFirmware();
}

void Machine::WatchTicks(std::function<void(int64_t panelMs)> watcher) {
  const std::lock_guard lock(watcherMutex_);
  watching_.store(bool(watcher), std::memory_order_relaxed);
  watcher_ = std::move(watcher);
}

void Machine::AfterTick() {
  FollowSound();
  if (settingsWindow_) settingsWindow_->WatchSettings();
  if (!watching_.load(std::memory_order_relaxed)) return;
  const std::lock_guard lock(watcherMutex_);
  if (!watcher_) return;
  // The tick thread runs beside the firmware's: the watcher reads its state between passes.
  if (pacing_ == BoardPacing::RealTime) return BetweenPasses([this] { watcher_(PanelTimeMs()); });
  watcher_(PanelTimeMs());
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
  return tickThread_ ? tickThread_->Ticks() * boardTickMs : 0;
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
  periodicUpdate.wiring = nullptr;
  board_.reset();
  boardInstance.store(nullptr);
}
