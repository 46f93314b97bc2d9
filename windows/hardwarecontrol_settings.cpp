// The hardware control window's half of Hardware.dat: which control each
// stored word and byte is, the replay at creation and the save at destruction.

#include "windows/hardwarecontrol.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "board/hardware_interface.h"
#include "board/index.h"
#include "board/periodic_update.h"
#include "windows/framework/host.h"

namespace {

// A stored toggle and whether it starts at index 1, so that its byte is
// written as 1 when it shows 0.
struct StoredToggle {
  TImageSelector* TfrmHardwareControl::* single;
  int zone;  // CapEOLZone row when single is null
  bool startsSet;
};

constexpr int notZone = -1;

// The toggle bytes in file order.
constexpr StoredToggle storedToggles[] = {
    {&TfrmHardwareControl::Sounder1FaultInput, notZone, false},
    {&TfrmHardwareControl::Sounder2FaultInput, notZone, false},
    {nullptr, 0, false},
    {nullptr, 1, false},
    {nullptr, 2, false},
    {nullptr, 3, false},
    {nullptr, 4, false},
    {nullptr, 5, false},
    {nullptr, 6, false},
    {nullptr, 7, false},
    {&TfrmHardwareControl::DigitalInput1, notZone, false},
    {&TfrmHardwareControl::DigitalInput2, notZone, false},
    {&TfrmHardwareControl::PSUMainsInput, notZone, true},
    {&TfrmHardwareControl::AuxiliarySupplyFault, notZone, true},
    {&TfrmHardwareControl::ChargerFault, notZone, false},
    {&TfrmHardwareControl::EarthHoldHigh, notZone, false},
    {&TfrmHardwareControl::EarthHoldLow, notZone, false},
    {&TfrmHardwareControl::VdSModeSelect, notZone, false},
    {&TfrmHardwareControl::FourZonePanel, notZone, false},
    {&TfrmHardwareControl::EightZonePanel, notZone, true},
    {&TfrmHardwareControl::FWPOvercurrent, notZone, false},
    {&TfrmHardwareControl::FWP4Switch, notZone, false},
    {&TfrmHardwareControl::FWP5Switch, notZone, false},
    {&TfrmHardwareControl::FWP7Switch, notZone, false},
};
static_assert(std::size(storedToggles) == byteOptionalRelays);

TImageSelector* ToggleOf(const TfrmHardwareControl& window, const StoredToggle& stored) {
  return stored.single ? window.*stored.single : At(window.CapEOLZone, stored.zone);
}

CheckBoxState OptionalRelaysFromByte(uint8_t value) {
  switch (value) {
    case 1: return CheckBoxState::Checked;
    case 2: return CheckBoxState::Grayed;
    default: return CheckBoxState::Unchecked;  // 0, or a byte no save writes
  }
}

uint8_t OptionalRelaysToByte(CheckBoxState state) {
  switch (state) {
    case CheckBoxState::Checked: return 1;
    case CheckBoxState::Grayed: return 2;
    case CheckBoxState::Unchecked: return 0;
  }
  return 0;
}

}  // namespace

// The board stops first, so that no tick reaches it once it goes, and stages
// its part of the file; the window part completes the save.
void TfrmHardwareControl::FormDestroy() {
  board_.StopBoard();
  if (!settingsFile_.CompleteSettingsSave(SettingsToSave())) ReportSaveFailure();
}

void TfrmHardwareControl::AutosaveTimerTimer(TTimer*) {
  AutosaveTimer->SetEnabled(false);
  const HardwareState* board = periodicUpdate.boardInstance.load(std::memory_order_acquire);
  if (!board) return;
  const std::vector<uint8_t> image = board->SnapshotNvImage();
  const WindowSettings settings = SettingsToSave();
  std::vector<uint8_t> whole = image;
  whole.insert(whole.end(), settings.Data(), settings.Data() + windowPartSize);
  if (whole == lastSaved_) return;
  if (!settingsFile_.SaveSettings(image.data(), int32_t(image.size()), settings)) return ReportSaveFailure();
  lastSaved_ = std::move(whole);
}

void TfrmHardwareControl::WatchSettings() {
  const HardwareState* board = periodicUpdate.boardInstance.load(std::memory_order_acquire);
  const uint32_t nvWrites = board ? board->nvWrites.load(std::memory_order_relaxed) : 0;
  // The window's part is composed again only after one of its controls changed.
  const bool controlsChanged = controlsChanged_.exchange(false, std::memory_order_acq_rel);
  if (!controlsChanged && nvWrites == watchedNvWrites_) return;
  const WindowSettings settings = SettingsToSave();
  const bool same = std::equal(watchedSettings_.begin(), watchedSettings_.end(), settings.Data());
  if (same && nvWrites == watchedNvWrites_) return;
  std::copy_n(settings.Data(), windowPartSize, watchedSettings_.begin());
  watchedNvWrites_ = nvWrites;
  Host().Post([this] {
    if (!AutosaveTimer->Enabled()) AutosaveTimer->SetEnabled(true);
  });
}

// Once, in the title and on standard error: a save that fails once mostly fails again.
void TfrmHardwareControl::ReportSaveFailure() {
  if (saveFailureTold_) return;
  saveFailureTold_ = true;
  const std::string error = std::strerror(errno);
  std::error_code ignored;
  const std::filesystem::path directory = std::filesystem::absolute(settingsFile_.Path(), ignored).parent_path();
  std::cerr << "qx40: cannot save " << hardwareFileName << " in " << directory.string()
            << " (" << error << "): changes to the settings will be lost. Make the directory writable, or free "
            << "space, or start the simulator in another directory.\n";
  SetCaption(Caption() + " - settings NOT saved");
}

// Each stored state goes through the handler a mouse would use.
void TfrmHardwareControl::RestoreSettings(const WindowSettings& settings) {
  const auto press = [&](int word, TControl* box) {
    if (settings.HasWord(word)) PressLevel(box, settings.Word(word) + 2);
  };
  for (int zone = 0; zone < 8; ++zone) press(wordZone1 + zone, At(ZoneAnalogueControl, zone));
  press(wordSupply, VssAnalogueValueBox);
  RestoreSupplyPair(settings);
  press(wordRelay1, Relay1ValueBox);
  press(wordRelay2, Relay2ValueBox);
  press(wordTransmissionDevice, TransmissionDeviceValueBox);
  for (int index = 0; index < byteOptionalRelays; ++index) {
    if (settings.HasByte(index) && settings.Byte(index)) {
      ToggleImage(ToggleOf(*this, storedToggles[index]), MouseButton::Left, 0, 0, 0);
    }
  }
  if (settings.HasByte(byteOptionalRelays)) {
    OptionalRelays->SetState(OptionalRelaysFromByte(settings.Byte(byteOptionalRelays)));
  }
}

// The charger moves the linked battery with it; different widths mean the
// link was removed, and the battery gets its own.
void TfrmHardwareControl::RestoreSupplyPair(const WindowSettings& settings) {
  if (!settings.HasWord(wordCharger)) return;
  const uint16_t battery = settings.Word(wordBattery);
  const uint16_t charger = settings.Word(wordCharger);
  PressLevel(VchrAnalogueValueBox, charger + 2);
  if (charger == battery) return;
  ToggleImage(CrossLinkBatteryCharger, MouseButton::Left, 0, 0, 0);
  PressLevel(VbattAnalogueValueBox, battery + 2);
}

WindowSettings TfrmHardwareControl::SettingsToSave() const {
  WindowSettings settings;
  for (int zone = 0; zone < 8; ++zone) settings.SetWord(wordZone1 + zone, uint16_t(At(zoneLevels_, zone)->FillWidth()));
  settings.SetWord(wordSupply, uint16_t(supplyLevel_->FillWidth()));
  settings.SetWord(wordBattery, uint16_t(batteryLevel_->FillWidth()));
  settings.SetWord(wordCharger, uint16_t(chargerLevel_->FillWidth()));
  settings.SetWord(wordRelay1, uint16_t(relay1Level_->FillWidth()));
  settings.SetWord(wordRelay2, uint16_t(relay2Level_->FillWidth()));
  settings.SetWord(wordTransmissionDevice, uint16_t(transmissionDeviceLevel_->FillWidth()));
  for (int index = 0; index < byteOptionalRelays; ++index) {
    const StoredToggle& stored = storedToggles[index];
    const int shown = ToggleOf(*this, stored)->ItemIndex();
    settings.SetByte(index, uint8_t(stored.startsSet ? shown == 0 : shown));
  }
  settings.SetByte(byteOptionalRelays, OptionalRelaysToByte(OptionalRelays->State()));
  return settings;
}
