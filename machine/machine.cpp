#include "machine/machine.h"

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "firmware/firmware.h"
#include "machine/applicationthread.h"
#include "machine/timerthread.h"
#include "windows/maindisplay.h"

Machine::Machine(BoardPacing pacing) : pacing_(pacing), stepper_(periodicUpdate_) {
  stepper_.afterTick = [this] { FollowSound(); };
  front_ = std::make_unique<TfrmMainDisplay>();
  hardware_ = std::make_unique<TfrmHardwareControl>(*this, periodicUpdate_, front_.get(),
                                                    pacing_ == BoardPacing::RealTime);
  if (pacing_ == BoardPacing::Stepped) stepper_.Start();
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
  board_ = std::make_unique<HardwareState>(periodicUpdate_);
  firmware_ = std::make_unique<Firmware>(*board_);
  if (realTime) board_->firmwareThread = std::make_unique<TFireAlarmApplication>(*firmware_);
  stepper_.firmware = firmware_.get();
  periodicUpdate_.RestartCounters();
  front_->WireFrontPanel(wiring_);
  window.WireHardwareControls(wiring_);
  wiring_.batteryLevel = &firmware_->panel.batteryLevelFiltered;
  wiring_.chargerLevel = &firmware_->panel.chargerLevelFiltered;
  periodicUpdate_.wiring = &wiring_;
  heard_ = {front_->InternalTone, window.SounderOutput1, window.SounderOutput2, window.SoundMute};
  if (realTime) {
    tickThread_ = std::make_unique<TTimerThread>(periodicUpdate_, [this] { FollowSound(); });
    tickThread_->Resume();
  }
  board_->analogueSource = &window;
  board_->windowPartFollows = true;
  periodicUpdate_.boardInstance.store(board_.get());
  boardInstance.store(board_.get());
  board_->StartFirmware();
}

void Machine::BetweenPasses(const std::function<void()>& work) {
  if (pacing_ == BoardPacing::RealTime && board_ && board_->firmwareThread) {
    return static_cast<TFireAlarmApplication&>(*board_->firmwareThread).BetweenPasses(work);
  }
  work();
}

int64_t Machine::PanelTimeMs() const {
  if (pacing_ == BoardPacing::Stepped) return stepper_.NowMs();
  return tickThread_ ? tickThread_->Ticks() * boardTickMs : 0;
}

// The tick first, so that no tick reaches the board once it goes; the board
// then stops its firmware thread and stages its part of the file. What
// played stops with it.
void Machine::StopBoard() {
  tickThread_.reset();
  heard_ = {};
  FollowSound();
  periodicUpdate_.wiring = nullptr;
  periodicUpdate_.boardInstance.store(nullptr);
  board_.reset();
  stepper_.firmware = nullptr;
  firmware_.reset();
  boardInstance.store(nullptr);
}
