#include "firmware/firmware.h"

#include <initializer_list>

#include "board/hardware_interface.h"
#include "firmware/disablement.h"
#include "firmware/panel_state.h"

namespace {

constexpr uint16_t delayFinalPhaseTicks = 100;
constexpr uint16_t allIndicators = 0xFFFF;
constexpr uint8_t allZoneLeds = 0xFF;
constexpr uint8_t itemLastZone = itemFirstZone + maxZones - 1;
constexpr uint8_t allOutputGroups = soundersDisabled | fireRoutingDisabled | faultRoutingDisabled;
constexpr uint8_t routingGroups = fireRoutingDisabled | faultRoutingDisabled;

// Engineering menu pages and the status indicators that show values on them.
enum MenuPage : uint8_t { pagePanelOptions = 1, pageZoneOptions, pageOutputs, pageInputs, pageDelays };
constexpr uint8_t zoneOptionsShown = 0x7F;
constexpr uint8_t outputTypeIndicatorBase = 6;
constexpr uint8_t inputFunctionIndicatorBase = 4;
constexpr uint8_t firstStageShift = 4;

}  // namespace

void Firmware::Show(uint16_t indicator, bool on) {
  if (on) panel.statusLeds |= indicator;
}
void Firmware::ShowFlashing(uint16_t indicator, uint8_t flashBit) { Show(indicator, Flash(flashBit)); }

uint8_t Firmware::AllZones() { return uint8_t(0xFF >> (8 - ReadZoneCount())); }
bool Firmware::ZoneItem(uint8_t item) { return item >= itemFirstZone && item <= itemLastZone; }
uint8_t Firmware::SelectedZoneBit() { return ZoneBit(uint8_t(panel.selectedItem - itemFirstZone)); }

// A group shown as a whole: steady when all of it is set, flashing when part of it.
bool Firmware::GroupState(uint8_t set, uint8_t group) {
  const uint8_t inGroup = set & group;
  if (!inGroup) return false;
  return inGroup == group || Flash(flash200ms);
}

uint8_t Firmware::ZoneFireImage() {
  if (LampTestActive()) return allZoneLeds;
  // Detected alarms flash; acknowledged ones are on in both phases.
  return Flash(flash500ms) ? panel.zonesAlarmDetected : panel.zonesAlarmAcknowledged;
}

uint8_t Firmware::ZoneFaultImage() {
  if (LampTestActive()) return allZoneLeds;
  const uint8_t marked = ReadConfig(cfgZonesDisabled) | ReadConfig(cfgZonesInTest);
  const uint8_t item = panel.selectedItem;
  if (item == itemAllZones) return Flash(flash100ms) ? AllZones() : 0;
  if (item == itemFlaggedZones) return Flash(flash100ms) ? DisabledOrTestMask() : 0;
  // A zone fault is hidden while that zone is in alarm.
  uint8_t image = marked;
  if (Flash(flash1s)) image |= panel.zonesFaultDetected & ~panel.zonesAlarmDetected;
  if (!ZoneItem(item)) return image;
  return Flash(flash100ms) ? uint8_t(image | SelectedZoneBit()) : uint8_t(image & ~SelectedZoneBit());
}

void Firmware::ShowFire() {
  if (panel.zonesInFire) {
    // Acknowledged zones may include one waiting for its coincidence partner,
    // which is not in fire: only a zone in fire left unacknowledged flashes.
    if (panel.zonesInFire & ~panel.zonesAlarmAcknowledged) ShowFlashing(statusFire, flash500ms);
    else Show(statusFire, !(panel.sounderState & soundersResounded) || !Flash(flash1s));
    return;
  }
  Show(statusFire, panel.sounderState & soundersEvacuate && !Flash(flash1s));
}

bool Firmware::DisabledState() {
  const uint8_t disabledZones = ReadConfig(cfgZonesDisabled);
  const uint8_t outputs = panel.outputDisables;
  switch (panel.selectedItem) {
    case itemNothing:
      return disabledZones || outputs || panel.fwpState & (fwpSoundersDisabled | fwpRoutingDisabled);
    case itemAllOutputs: return GroupState(outputs, allOutputGroups);
    case itemFireRouting: return outputs & fireRoutingDisabled;
    case itemAllZones:
    case itemFlaggedZones: return GroupState(disabledZones, AllZones());
    case itemSounders: return outputs & soundersDisabled;
    case itemRoutings: return GroupState(outputs, routingGroups);
    default: return ZoneItem(panel.selectedItem) && disabledZones & SelectedZoneBit();
  }
}

// Outputs have no test state.
bool Firmware::TestState() {
  const uint8_t testZones = ReadConfig(cfgZonesInTest);
  switch (panel.selectedItem) {
    case itemNothing: return testZones;
    case itemAllZones:
    case itemFlaggedZones: return GroupState(testZones, AllZones());
    default: return ZoneItem(panel.selectedItem) && testZones & SelectedZoneBit();
  }
}

void Firmware::ShowFaults() {
  if (!Flash(flash1s)) return;
  const uint8_t faults = panel.systemFaults;
  Show(statusFault, faults || panel.systemFaults2 || panel.zonesFaultDetected);
  Show(statusAuxiliaryFault, faults & auxSupplyFault || panel.systemFaults2 & fwpLinkFault);
  Show(statusSystemFault, faults & (configCheckFault | programCheckFault));
  Show(statusPsuFault, faults & (referenceFault | mainsFault | batteryFault));
  Show(statusEarthFault, faults & earthFault);
}

bool Firmware::ItemIsOneOf(std::initializer_list<uint8_t> items) {
  for (uint8_t item : items) {
    if (panel.selectedItem == item) return true;
  }
  return false;
}

// An output indicator flashes fast while its item is selected, is steady while
// the output is disabled and flashes slowly for a line fault.
void Firmware::ShowOutput(uint16_t indicator, bool selected, bool disabled, bool lineFault) {
  if (selected) ShowFlashing(indicator, flash100ms);
  else if (disabled) Show(indicator, true);
  else Show(indicator, lineFault && Flash(flash1s));
}

void Firmware::ShowOutputs() {
  const uint8_t outputs = panel.outputDisables;
  const uint8_t fwp = panel.fwpState;
  ShowOutput(statusFireRoutingFaultDisabled, ItemIsOneOf({itemAllOutputs, itemFireRouting, itemRoutings}),
             outputs & fireRoutingDisabled || fwp & fwpRoutingDisabled, panel.systemFaults2 & routingLineFault);
  ShowOutput(statusSounderFaultDisabled, ItemIsOneOf({itemAllOutputs, itemSounders}),
             outputs & soundersDisabled || fwp & fwpSoundersDisabled, panel.systemFaults & sounderLineFault);
  ShowOutput(statusFaultRoutingFaultDisabled, ItemIsOneOf({itemAllOutputs, itemRoutings}),
             outputs & faultRoutingDisabled, panel.systemFaults2 & inputFault);
}

void Firmware::ShowDelay() {
  const uint8_t state = panel.delayState;
  if (state & delayEnded) return;
  if (!(state & delayRunning)) {
    Show(statusDelayOn, state & delaysOn);
    return;
  }
  if (DelayFinalPhase()) ShowFlashing(statusDelayOn, flash200ms);
  else ShowFlashing(statusDelayOn, state & delayExtended ? flash1s : flash500ms);
}

// A digital input configured as routing feedback replaces the firmware's own activation.
void Firmware::ShowRoutingActive() {
  if (panel.delayState & inputRoutingAck) {
    Show(statusFireRoutingActive, true);
    return;
  }
  Show(statusFireRoutingActive, !(panel.sounderState & routingAckConfigured) && panel.routingActivated);
}

void Firmware::NormalIndications() {
  panel.zoneFireLeds = ZoneFireImage();
  panel.zoneFaultLeds = ZoneFaultImage();
  if (LampTestActive()) {
    panel.statusLeds = allIndicators;
    return;
  }
  ShowFire();
  Show(statusDisabled, DisabledState());
  Show(statusTest, TestState());
  ShowFaults();
  ShowOutputs();
  ShowDelay();
  ShowRoutingActive();
}

void Firmware::PanelOptionsPage() {
  ShowFlashing(statusEarthFault, flash200ms);
  if (panel.menuItem == 0) {
    const uint8_t options = ReadConfig(cfgPanelOptions);
    Show(statusFault, panel.panelMode & buzzerQuiet);
    Show(statusDisabled, panel.panelMode & fastFaultTiming);
    Show(statusTest, options & panelAcceptAtLevel1);
    Show(statusDelayOn, options & panelLampTestAtLevel1);
    Show(statusPsuFault, true);
  } else if (panel.menuItem == 1) {
    Show(statusFault, panel.systemFaults & configCheckFault);
    Show(statusSounderFaultDisabled, true);
  }
}

void Firmware::ZoneOptionsPage() {
  panel.zoneFireLeds = ZoneBit(panel.menuItem);
  const uint8_t options = ReadConfig(uint8_t(cfgZoneOptions + panel.menuItem));
  panel.statusLeds |= uint16_t((options & zoneOptionsShown) << 1);
  ShowFlashing(statusPsuFault, flash200ms);
}

void Firmware::OutputsPage() {
  const uint8_t options = ReadConfig(uint8_t(cfgOutputOptions + panel.menuItem));
  panel.statusLeds |= ZoneBit(uint8_t(panel.menuItem + 1));
  panel.statusLeds |= IndicatorBit(uint8_t((options & outputTypeMask) + outputTypeIndicatorBase));
  Show(statusFireRoutingFaultDisabled, options & outputObeysDelays);
  ShowFlashing(statusSystemFault | statusFireRoutingActive, flash200ms);
}

void Firmware::InputsPage() {
  const uint8_t options = ReadConfig(uint8_t(cfgInputOptions + panel.menuItem));
  panel.statusLeds |= ZoneBit(uint8_t(panel.menuItem + 1));
  panel.statusLeds |= IndicatorBit(uint8_t((options & inputFunctionMask) + inputFunctionIndicatorBase));
  ShowFlashing(statusTest | statusFaultRoutingFaultDisabled, flash200ms);
}

void Firmware::DelaysPage() {
  const uint8_t config = DelayConfig();
  Show(statusAuxiliaryFault, config & delayCancelOnNewZone);
  if (panel.menuItem == 0) {
    const uint8_t firstStage = (config & delayFirstStageMask) >> firstStageShift;
    if (firstStage) panel.statusLeds |= ZoneBit(firstStage);
    ShowFlashing(statusSystemFault, flash200ms);
  } else if (panel.menuItem == 1) {
    const uint8_t secondStage = config & delaySecondStageMask;
    if (secondStage) panel.statusLeds |= IndicatorBit(secondStage);
    ShowFlashing(statusFaultRoutingFaultDisabled, flash200ms);
  }
}

void Firmware::EngineeringIndications() {
  ShowFlashing(statusFire, flash200ms);
  switch (panel.menuPage) {
    case pagePanelOptions: PanelOptionsPage(); break;
    case pageZoneOptions: ZoneOptionsPage(); break;
    case pageOutputs: OutputsPage(); break;
    case pageInputs: InputsPage(); break;
    case pageDelays: DelaysPage(); break;
    default: break;
  }
}

void Firmware::UpdateIndications() {
  panel.zoneFireLeds = 0;
  panel.zoneFaultLeds = 0;
  panel.statusLeds = 0;
  if (panel.panelMode & engineeringMode) EngineeringIndications();
  else NormalIndications();
  HardwareRequest(SET_ZONE_FIRE_LEDS, panel.zoneFireLeds);
  HardwareRequest(SET_ZONE_FAULT_LEDS, panel.zoneFaultLeds);
  HardwareRequest(SET_STATUS_LEDS, panel.statusLeds);
}

uint16_t Firmware::IndicatorBit(uint8_t n) { return n < 8 ? ZoneBit(n) : uint16_t(ZoneBit(n) << 8); }

bool Firmware::DelayFinalPhase() { return panel.delayTimer < delayFinalPhaseTicks; }
