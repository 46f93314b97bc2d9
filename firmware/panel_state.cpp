#include "firmware/firmware.h"

#include "board/hardware_interface.h"
#include "firmware/disablement.h"
#include "firmware/fire_brigade.h"
#include "firmware/keys.h"
#include "firmware/monitors.h"

namespace {
constexpr uint8_t zoneBitTable[8] = {1, 2, 4, 8, 16, 32, 64, 128};

// The scan index counts down the 20 ms scans the zone supply stays off: 5 s,
// so that detectors latched in alarm lose power and reset.
constexpr uint8_t zoneResetScans = 250;

}  // namespace

void Firmware::StoreNvByte(uint8_t address, uint8_t value) { HardwareRequest(WRITE_NV_BYTE, value * 256 + address); }

uint8_t Firmware::ReadConfig(uint8_t address) {
  int16_t& read = configRead_[address];
  if (read == configUnread) read = uint8_t(HardwareRequest(READ_NV_BYTE, address));
  return uint8_t(read);
}

void Firmware::WriteConfig(uint8_t address, uint8_t value) {
  if (address != cfgChecksum) {
    StoreNvByte(cfgChecksum, ReadConfig(cfgChecksum) ^ ReadConfig(address) ^ value);
    RestartConfigCheck();
  }
  StoreNvByte(address, value);
}

void Firmware::RebuildConfigChecksum() {
  uint8_t sum = 0;
  for (int address = 0; address < cfgChecksum; ++address) sum ^= ReadConfig(uint8_t(address));
  WriteConfig(cfgChecksum, sum);
  RestartConfigCheck();
}

void Firmware::RestartConfigCheck() {
  panel.configCheckIndex = 0;
  panel.configCheckSum = 0;
}

void Firmware::ConfigCheckStep() {
  if (panel.systemFaults & configCheckFault || panel.panelMode & engineeringMode) {
    RestartConfigCheck();
    return;
  }
  if (panel.configCheckIndex == cfgChecksum) {
    if (ReadConfig(cfgChecksum) != panel.configCheckSum) {
      panel.panelMode &= ~faultBuzzerMuted;
      panel.systemFaults |= configCheckFault;
    }
    panel.configCheckSum = 0;
  } else {
    panel.configCheckSum ^= ReadConfig(panel.configCheckIndex);
  }
  ++panel.configCheckIndex;
}

uint8_t Firmware::ZoneBit(uint8_t n) { return zoneBitTable[n & 7]; }

uint8_t Firmware::DelayConfig() { return ReadConfig(cfgDelayOptions); }

void Firmware::ClearFireState() {
  if (panel.zonesAlarmDetected) {
    panel.panelMode2 |= zoneResetActive;
    HardwareRequest(SET_ZONE_RESET, 1);
    panel.zoneScanIndex = zoneResetScans;
  }
  panel.panelMode2 &= ~delayOverrideFire;
  panel.panelMode &= ~latchingFire;
  panel.zonesInFire = 0;
  panel.zonesAlarmDetected = 0;
  panel.zonesFaultDetected = 0;
  panel.zonesAlarmAcknowledged = 0;
}
