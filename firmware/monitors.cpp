#include "firmware/firmware.h"

#include "board/hardware_interface.h"
#include "firmware/panel_state.h"
#include "firmware/supervision.h"

uint8_t Firmware::CountAgreement(uint8_t count, bool agrees) {
  if (agrees) return count < earthAgreementMax ? uint8_t(count + 1) : count;
  return count ? uint8_t(count - 1) : count;
}

void Firmware::AuxSupplyMonitor() {
  const bool healthy = HardwareRequest(READ_MONITOR_INPUTS, 0) & monAuxSupplyHealthy;
  FilterFault(monitorsState.auxFaultCount, !healthy, FaultLimit(), panel.systemFaults, auxSupplyFault);
}

void Firmware::EarthFaultMonitor() {
  // The test level stands still while the engineering menu is open.
  const bool good = panel.panelMode & engineeringMode || EarthLevelTest();
  FilterFault(monitorsState.earthFaultCount, !good, FaultLimit(), panel.systemFaults, earthFault);
}

uint8_t Firmware::EarthLevelTest() {
  const bool detected = HardwareRequest(READ_SYSTEM_INPUTS, 0) & sysEarthDetect;
  uint8_t level = monitorsState.earthTestState & earthLevelDriven;
  const uint8_t agreement = CountAgreement(monitorsState.earthTestState & earthAgreementMask, detected == bool(level));
  uint8_t result = 1;
  if (monitorsState.earthTestTimer < earthVerdictTicks) {
    ++monitorsState.earthTestTimer;
  } else if (agreement >= earthAgreementNeeded) {
    level ^= earthLevelDriven;
    monitorsState.earthTestTimer = 0;
  } else {
    // The verdict is given again every tick until the detector agrees long enough.
    result = 0;
  }
  monitorsState.earthTestState = uint8_t(level | agreement);
  HardwareRequest(SET_EARTH_LEVEL, level ? 1 : 0);
  return result;
}
