#include "firmware/firmware.h"

#include "board/hardware_interface.h"
#include "firmware/panel_state.h"

namespace {

// A walk-test alarm is cleared after 2 s of 50 ms ticks.
constexpr uint8_t walkTestClearTicks = 40;

constexpr uint8_t allOutputGroups = soundersDisabled | fireRoutingDisabled | faultRoutingDisabled;

}  // namespace

// The outputDisables bits an output item acts on; 0 for a zone item.
uint8_t Firmware::OutputGroupMask(uint8_t item) {
  switch (item) {
    case itemAllOutputs: return allOutputGroups;
    case itemFireRouting: return fireRoutingDisabled;
    case itemSounders: return soundersDisabled;
    case itemRoutings: return fireRoutingDisabled | faultRoutingDisabled;
    default: return 0;
  }
}

uint8_t Firmware::ZoneItemMask(uint8_t item) {
  if (item == itemAllZones) return uint8_t(0xFF >> (8 - ReadZoneCount()));
  if (item == itemFlaggedZones) return DisabledOrTestMask();
  return ZoneBit(uint8_t(item - itemFirstZone));
}

bool Firmware::AllSet(uint8_t bits, uint8_t mask) { return (bits & mask) == mask; }

uint8_t Firmware::ReadZoneCount() { return uint8_t(HardwareRequest(READ_ZONE_COUNT, 0)); }

void Firmware::ItemSelectKey() {
  const uint8_t lastZoneItem = uint8_t(ReadZoneCount() + itemFirstZone - 1);
  // After the last zone the increment lands on the sounders.
  if (panel.selectedItem == lastZoneItem) panel.selectedItem = itemSounders - 1;
  if (panel.selectedItem >= itemRoutings) panel.selectedItem = itemAllOutputs;
  else ++panel.selectedItem;
  panel.menuTimeout = selectionTimeoutTicks;
}

void Firmware::DisableTestNormalKey() {
  const uint8_t item = panel.selectedItem;
  if (item == itemNothing) {
    if (DisabledOrTestMask()) panel.selectedItem = itemFlaggedZones;
  } else if (const uint8_t outputs = OutputGroupMask(item)) {
    ToggleOutputDisables(outputs);
  } else {
    CycleDisableTest(ZoneItemMask(item));
  }
  panel.menuTimeout = selectionTimeoutTicks;
}

// normal -> disabled -> test -> normal, judged on the whole group.
void Firmware::CycleDisableTest(uint8_t mask) {
  const uint8_t inTest = ReadConfig(cfgZonesInTest);
  if (AllSet(inTest, mask)) {
    WriteConfig(cfgZonesInTest, inTest & uint8_t(~mask));
    return;
  }
  const uint8_t disabled = ReadConfig(cfgZonesDisabled);
  if (AllSet(disabled, mask)) {
    WriteConfig(cfgZonesInTest, inTest | mask);
    WriteConfig(cfgZonesDisabled, disabled & uint8_t(~mask));
    return;
  }
  WriteConfig(cfgZonesDisabled, disabled | mask);
}

void Firmware::ToggleOutputDisables(uint8_t mask) {
  if (AllSet(panel.outputDisables, mask)) panel.outputDisables &= uint8_t(~mask);
  else panel.outputDisables |= mask;
  WriteConfig(cfgOutputDisables, panel.outputDisables);
}

void Firmware::ClearOutputDisables(uint8_t mask) {
  if (AllSet(panel.outputDisables, mask)) ToggleOutputDisables(mask);
}

uint8_t Firmware::DisabledOrTestMask() {
  return ReadConfig(cfgZonesInTest) | ReadConfig(cfgZonesDisabled) | panel.zonesAlarmDetected |
         panel.zonesFaultDetected;
}

// Alarms that come only from zones in test clear themselves: a walk test.
void Firmware::TestZoneAutoReset() {
  const uint8_t inTest = ReadConfig(cfgZonesInTest);
  const uint8_t alarms = panel.zonesAlarmDetected;
  if ((alarms & ~inTest) || !(alarms & inTest)) {
    disablementState.zoneTestResetCount = 0;
    return;
  }
  if (++disablementState.zoneTestResetCount == walkTestClearTicks) ClearFireState();
}
