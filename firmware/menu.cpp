#include "firmware/firmware.h"

#include <bit>

#include "board/hardware_interface.h"
#include "firmware/disablement.h"
#include "firmware/panel_state.h"

namespace {

enum MenuPage : uint8_t {
  topLevel = 0,
  panelOptionsPage = 1,
  zoneOptionsPage = 2,
  outputOptionsPage = 3,
  inputFunctionsPage = 4,
  delayOptionsPage = 5,
};

// Page 1 items.
constexpr uint8_t optionTogglesItem = 0;
constexpr uint8_t checksumItem = 1;
// Page 5 items.
constexpr uint8_t firstStageItem = 0;
constexpr uint8_t secondStageItem = 1;

// Last value of each multi-valued field; one step further goes back to 0.
constexpr uint8_t lastOutputType = outputTypeFaultRouting;
constexpr uint8_t lastInputFunction = 6;
constexpr uint8_t lastFirstStage = 4;    // 120 s
constexpr uint8_t lastSecondStage = 10;  // 10 min
constexpr uint8_t lastConfirmTime = 3;   // 90 s

constexpr uint8_t factoryDefaultCount = 16;
constexpr uint8_t factoryDefaults[2][factoryDefaultCount] = {
    {0x04, 0x00, 0x04, 0x00, 0x04, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x09, 0x02, 0x03, 0x00, 0x91},
    {0x04, 0x00, 0x04, 0x00, 0x04, 0x00, 0x04, 0x00, 0x03, 0x00, 0x00, 0x09, 0x02, 0x03, 0x05, 0x91},
};

}  // namespace

uint8_t Firmware::ItemCount(uint8_t page) {
  switch (page) {
    case panelOptionsPage: return 2;
    case zoneOptionsPage: return ReadZoneCount();
    case outputOptionsPage: return outputCount;
    case inputFunctionsPage: return 2;
    case delayOptionsPage: return 2;
    // The top level has no items: menuItem stays 0, valid on every page.
    default: return 1;
  }
}

// Steps the field under mask to its next value, wrapping after last.
uint8_t Firmware::StepField(uint8_t value, uint8_t mask, uint8_t last) {
  const int shift = std::countr_zero(mask);
  const uint8_t field = uint8_t((value & mask) >> shift);
  const uint8_t next = field < last ? uint8_t(field + 1) : 0;
  return uint8_t((value & ~mask) | (next << shift));
}

void Firmware::StepConfigField(uint8_t address, uint8_t mask, uint8_t last) {
  WriteConfig(address, StepField(ReadConfig(address), mask, last));
}

void Firmware::PanelOptionsKey(uint8_t key) {
  if (panel.menuItem == optionTogglesItem) {
    if (key == 1) panel.panelMode ^= buzzerQuiet;
    if (key == 2) panel.panelMode ^= fastFaultTiming;
    uint8_t v = ReadConfig(cfgPanelOptions);
    if (key == 3) v ^= panelAcceptAtLevel1;
    if (key == 4) v ^= panelLampTestAtLevel1;
    WriteConfig(cfgPanelOptions, v);
    return;
  }
  if (panel.menuItem != checksumItem) return;
  if (key == 1 && panel.systemFaults & configCheckFault) {
    // The operator accepts the present contents as valid.
    panel.systemFaults &= ~configCheckFault;
    RebuildConfigChecksum();
  }
  if (key == 5) LoadFactoryDefaults();
}

void Firmware::ZoneOptionsKey(uint8_t key) {
  constexpr uint8_t toggles[] = {zoneNonLatching, zoneShortIsFire, zoneOverridesDelays, zoneCoincidence};
  const uint8_t zone = panel.menuItem;
  uint8_t v = ReadConfig(cfgZoneOptions + zone);
  v = key == 5 ? StepField(v, zoneConfirmTimeMask, lastConfirmTime) : uint8_t(v ^ toggles[key - 1]);
  WriteConfig(cfgZoneOptions + zone, v);
  if (key != 4) return;
  // Coincidence always covers both zones of a pair.
  const uint8_t partner = cfgZoneOptions + (zone ^ 1);
  const uint8_t p = ReadConfig(partner);
  WriteConfig(partner, uint8_t((p & ~zoneCoincidence) | (v & zoneCoincidence)));
}

// Key 1 toggles the bit; every key writes the byte back.
void Firmware::ToggleConfigBit(uint8_t address, uint8_t bit, uint8_t key) {
  uint8_t v = ReadConfig(address);
  if (key == 1) v ^= bit;
  WriteConfig(address, v);
}

void Firmware::MenuNextItem() {
  panel.menuItem = panel.menuItem + 1 < ItemCount(panel.menuPage) ? uint8_t(panel.menuItem + 1) : 0;
  panel.menuTimeout = menuTimeoutTicks;
}

void Firmware::MenuChangeValue() {
  switch (panel.menuPage) {
    case outputOptionsPage:
      StepConfigField(uint8_t(cfgOutputOptions + panel.menuItem), outputTypeMask, lastOutputType);
      break;
    case inputFunctionsPage:
      StepConfigField(uint8_t(cfgInputOptions + panel.menuItem), inputFunctionMask, lastInputFunction);
      break;
    case delayOptionsPage:
      if (panel.menuItem == firstStageItem) StepConfigField(cfgDelayOptions, delayFirstStageMask, lastFirstStage);
      if (panel.menuItem == secondStageItem) StepConfigField(cfgDelayOptions, delaySecondStageMask, lastSecondStage);
      break;
  }
  panel.menuTimeout = menuTimeoutTicks;
}

void Firmware::MenuFunctionKey(uint8_t key) {
  switch (panel.menuPage) {
    case topLevel: panel.menuPage = key; break;
    case panelOptionsPage: PanelOptionsKey(key); break;
    case zoneOptionsPage: ZoneOptionsKey(key); break;
    case outputOptionsPage: ToggleConfigBit(uint8_t(cfgOutputOptions + panel.menuItem), outputObeysDelays, key); break;
    case delayOptionsPage: ToggleConfigBit(cfgDelayOptions, delayCancelOnNewZone, key); break;
  }
  panel.menuTimeout = menuTimeoutTicks;
}

void Firmware::LoadFactoryDefaults() {
  const uint8_t(&row)[factoryDefaultCount] = factoryDefaults[HardwareRequest(READ_VDS_MODE, 0) ? 1 : 0];
  for (uint8_t address = 0; address < factoryDefaultCount; ++address) WriteConfig(address, row[address]);
  RebuildConfigChecksum();
}
