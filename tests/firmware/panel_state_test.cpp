#include <gtest/gtest.h>

#include "board/hardware_interface.h"
#include "firmware/firmware.h"
#include "firmware/panel_state.h"
#include "tests/firmware/firmware_fixture.h"
#include "tests/support/test_board.h"

namespace {

uint8_t XorOfAllConfig(Firmware& firmware) {
  uint8_t sum = 0;
  for (int address = 0; address < 256; ++address) sum ^= firmware.ReadConfig(uint8_t(address));
  return sum;
}

// Runs ConfigCheckStep n times, as the 50 ms group would.
void CheckSteps(Firmware& firmware, int n) {
  for (int i = 0; i < n; ++i) firmware.ConfigCheckStep();
}

}  // namespace

class PanelStateTest : public FirmwareTest {};

TEST_F(PanelStateTest, InitialValues) {
  EXPECT_EQ(panel.referenceLevel, 2993);
  EXPECT_EQ(panel.zoneScanIndex, 8);
  EXPECT_EQ(panel.programCheckCursor, 2);
  EXPECT_EQ(panel.batteryLevelFiltered, 5128);
  EXPECT_EQ(panel.chargerLevelFiltered, 5128);
  EXPECT_EQ(panel.counterDisplayTimer, 20);
  EXPECT_EQ(panel.panelMode, 0);
  EXPECT_EQ(panel.systemFaults, 0);
}

TEST_F(PanelStateTest, AFreshFirmwareOnTheSameBoardStartsFromTheInitialValues) {
  panel.referenceLevel = 1;
  panel.zoneAlarmCount[7] = 9;
  panel.batteryLevelFiltered = 7;
  const Firmware fresh(t.board());
  EXPECT_EQ(fresh.panel.referenceLevel, 2993);
  EXPECT_EQ(fresh.panel.zoneAlarmCount[7], 0);
  EXPECT_EQ(fresh.panel.batteryLevelFiltered, 5128);
}

TEST_F(PanelStateTest, ZoneBitWrapsAtEight) {
  for (uint8_t n = 0; n < 16; ++n) EXPECT_EQ(ZoneBit(n), 1 << (n & 7)) << int(n);
  EXPECT_EQ(ZoneBit(9), ZoneBit(1));
}

class ConfigMemory : public FirmwareTest {};

TEST_F(ConfigMemory, ErasedMemoryReadsZeroAndPassesTheCheck) {
  EXPECT_EQ(XorOfAllConfig(*this), 0);
  CheckSteps(*this, 512);
  EXPECT_EQ(panel.systemFaults & configCheckFault, 0);
}

TEST_F(ConfigMemory, WriteConfigKeepsTheChecksum) {
  WriteConfig(5, 0x12);
  EXPECT_EQ(ReadConfig(5), 0x12);
  EXPECT_EQ(XorOfAllConfig(*this), 0);
  for (int address = 0; address < 255; address += 17) WriteConfig(uint8_t(address), uint8_t(address * 7 + 3));
  WriteConfig(5, 0x12);
  WriteConfig(5, 0x12);  // rewriting the same value changes nothing
  EXPECT_EQ(XorOfAllConfig(*this), 0);
}

TEST_F(ConfigMemory, WritingTheChecksumByteStoresItAndKeepsTheCheckRunning) {
  CheckSteps(*this, 10);
  WriteConfig(cfgChecksum, 0x5A);
  EXPECT_EQ(ReadConfig(cfgChecksum), 0x5A);
  EXPECT_EQ(panel.configCheckIndex, 10);
  WriteConfig(3, 1);
  EXPECT_EQ(panel.configCheckIndex, 0);
}

TEST_F(ConfigMemory, RebuildChecksumRepairsAMemoryChangedBehindTheFirmware) {
  HardwareRequest(WRITE_NV_BYTE, 0x3C * 256 + 20);
  EXPECT_NE(XorOfAllConfig(*this), 0);
  RebuildConfigChecksum();
  EXPECT_EQ(XorOfAllConfig(*this), 0);
  EXPECT_EQ(panel.configCheckIndex, 0);
}

TEST_F(ConfigMemory, ChangeBehindTheFirmwareIsFoundWithinTwoCycles) {
  for (int changeAt : {0, 1, 100, 254, 255}) {
    Firmware fresh(t.board());
    fresh.RebuildConfigChecksum();
    CheckSteps(fresh, changeAt);
    fresh.HardwareRequest(WRITE_NV_BYTE, (fresh.ReadConfig(7) ^ 0x40) * 256 + 7);
    int steps = 0;
    while (!(fresh.panel.systemFaults & configCheckFault) && steps < 1000) {
      fresh.ConfigCheckStep();
      ++steps;
    }
    EXPECT_LE(steps, 512) << "changed at step " << changeAt;
    fresh.HardwareRequest(WRITE_NV_BYTE, (fresh.ReadConfig(7) ^ 0x40) * 256 + 7);
  }
}

TEST_F(ConfigMemory, LatchedFaultClearsFaultMuteAndStopsTheCheck) {
  HardwareRequest(WRITE_NV_BYTE, 0x0102);
  panel.panelMode |= faultBuzzerMuted;
  CheckSteps(*this, 256);
  EXPECT_TRUE(panel.systemFaults & configCheckFault);
  EXPECT_FALSE(panel.panelMode & faultBuzzerMuted);
  CheckSteps(*this, 3);
  EXPECT_EQ(panel.configCheckIndex, 0);
}

TEST_F(ConfigMemory, CheckStandsStillInEngineeringMode) {
  HardwareRequest(WRITE_NV_BYTE, 0x0102);
  panel.panelMode |= engineeringMode;
  CheckSteps(*this, 1000);
  EXPECT_FALSE(panel.systemFaults & configCheckFault);
  EXPECT_EQ(panel.configCheckIndex, 0);
  panel.panelMode &= ~engineeringMode;
  CheckSteps(*this, 256);
  EXPECT_TRUE(panel.systemFaults & configCheckFault);
}

class ClearFireStateTest : public FirmwareTest {};

TEST_F(ClearFireStateTest, PowersZonesDownOnlyAfterADetectedAlarm) {
  RequestRecorder recorder(t.board());
  panel.zonesInFire = 0x01;
  panel.zonesFaultDetected = 0x02;
  panel.panelMode |= latchingFire;
  panel.panelMode2 |= delayOverrideFire;
  ClearFireState();
  EXPECT_TRUE(recorder.calls.empty());
  EXPECT_EQ(panel.zonesInFire | panel.zonesFaultDetected, 0);
  EXPECT_FALSE(panel.panelMode & latchingFire);
  EXPECT_FALSE(panel.panelMode2 & delayOverrideFire);
  EXPECT_EQ(panel.zoneScanIndex, 8);

  panel.zonesAlarmDetected = 0x04;
  panel.zonesAlarmAcknowledged = 0x04;
  ClearFireState();
  EXPECT_EQ(recorder.calls, (std::vector<RecordedRequest>{{SET_ZONE_RESET, 1, 0}}));
  EXPECT_TRUE(panel.panelMode2 & zoneResetActive);
  EXPECT_EQ(panel.zoneScanIndex, 250);
  EXPECT_EQ(panel.zonesAlarmDetected | panel.zonesAlarmAcknowledged, 0);
  EXPECT_EQ(t.board().Port(portZoneReset), 1);
}
