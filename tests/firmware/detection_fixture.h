#pragma once
// A started panel whose field wiring is set through the analogue source and
// the board's input ports, observed one zone scan or one tick at a time.

#include <cstdint>

#include "board/analogue.h"
#include "firmware/panel_state.h"
#include "tests/firmware/operator_fixture.h"

// Zone line resistances well inside each band at the default supply.
constexpr int32_t normalOhms = 4700;
constexpr int32_t fireOhms = 400;
constexpr int32_t faultOhms = 2000;
constexpr int32_t shortOhms = 100;

// Configuration bytes 0..15 of the factory defaults without the VdS link.
constexpr uint8_t factoryDefaults[16] = {0x04, 0x00, 0x04, 0x00, 0x04, 0x00, 0x04, 0x00,
                                         0x00, 0x00, 0x00, 0x09, 0x02, 0x03, 0x00, 0x91};

class DetectionTest : public OperatorTest {
 public:
  void WriteFactoryDefaults() {
    for (uint8_t address = 0; address < 16; ++address) WriteConfig(address, factoryDefaults[address]);
  }
  void SetZoneOhms(int zone, int32_t ohms) { t.analogue.zoneOhms[zone] = ohms; }

  void Ticks20(int n) { t.Advance(20 * int64_t(n)); }
  // Runs until the zone has been evaluated n more times.
  void Scans(uint8_t zone, int n) {
    for (int done = 0; done < n;) {
      Ticks20(1);
      if (!(panel.panelMode2 & zoneResetActive) && panel.zoneScanIndex == zone + 1) ++done;
    }
  }
  // A zone confirmed into fire with the shortest confirmation time.
  void FireInZone(uint8_t zone) {
    SetZoneOhms(zone, fireOhms);
    Scans(zone, 2);
  }
  bool InFire(uint8_t zone) { return panel.zonesInFire & ZoneBit(zone); }
  bool Detected(uint8_t zone) { return panel.zonesAlarmDetected & ZoneBit(zone); }
  bool FaultLatched(uint8_t zone) { return panel.zonesFaultDetected & ZoneBit(zone); }
};
