#include <gtest/gtest.h>

#include <climits>

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "tests/support/test_board.h"

namespace {

int32_t Request(uint8_t op, int32_t value, int32_t index) { return HardwareRequest(op, value * 256 + index); }

}  // namespace

TEST(HardwareRequest, FreshBoardReadsErasedMemoryAndBlankCounter) {
  TestBoard t;
  for (int address = 0; address < 256; ++address) EXPECT_EQ(HardwareRequest(READ_NV_BYTE, address), 0);
  EXPECT_EQ(HardwareRequest(READ_ZONE_COUNT, 0), 2);
  EXPECT_EQ(t.board().Port(21), 0x7F);
  EXPECT_EQ(t.board().Port(22), 0x7F);
  EXPECT_EQ(t.board().Port(23), 0x7F);
  EXPECT_EQ(t.board().Port(24), 0x18);
  for (int i : {30, 31, 32, 33, 34, 35, 36, 37}) EXPECT_EQ(t.board().Port(i), 0) << "port " << i;
}

TEST(HardwareRequest, NvBytesAreStoredComplemented) {
  TestBoard t;
  EXPECT_EQ(HardwareRequest(WRITE_NV_BYTE, 0x1234), 0);
  EXPECT_EQ(t.board().nvImage[0x34], 0xED);
  EXPECT_EQ(HardwareRequest(READ_NV_BYTE, 0x34), 0x12);
  // Only the low byte of the argument addresses; every address 0..255 works.
  EXPECT_EQ(Request(WRITE_NV_BYTE, 0xA5, 0xFF), 0);
  EXPECT_EQ(HardwareRequest(READ_NV_BYTE, 0x7FFFFF00 | 0xFF), 0xA5);
  EXPECT_EQ(t.board().nvImage[0xFF], 0x5A);
}

TEST(HardwareRequest, CounterDigitsReplaceSegmentsAndKeepBit7) {
  TestBoard t;
  t.board().SetPortBits(22, 0x80);  // fire-output-disabled relay on
  HardwareRequest(SET_COUNTER_DIGITS, 0x8FF);
  EXPECT_EQ(t.board().Port(21), 0x00);  // hundreds: 8 = 0x80 with bit 7 from the port (0)
  EXPECT_EQ(t.board().Port(22), 0xFF);  // tens blank, relay bit kept
  EXPECT_EQ(t.board().Port(23), 0x7F);  // units blank
  HardwareRequest(SET_COUNTER_DIGITS, 0x042);
  EXPECT_EQ(t.board().Port(21), 0x84 & 0x7F);
  EXPECT_EQ(t.board().Port(22), 0x80 | (0x93 & 0x7F));
  EXPECT_EQ(t.board().Port(23), 0xC8 & 0x7F);
}

TEST(HardwareRequest, TickFlagsAreTakenOnce) {
  TestBoard t;
  EXPECT_EQ(HardwareRequest(TAKE_TICK_20MS, 0), 0);
  t.board().StorePort(portTick20ms, 1);
  t.board().StorePort(portTick50ms, 1);
  EXPECT_EQ(HardwareRequest(TAKE_TICK_20MS, 0), 1);
  EXPECT_EQ(HardwareRequest(TAKE_TICK_20MS, 0), 0);
  EXPECT_EQ(HardwareRequest(TAKE_TICK_50MS, 0), 1);
  EXPECT_EQ(HardwareRequest(TAKE_TICK_50MS, 0), 0);
  // Two ticks before a take count as one.
  t.board().StorePort(portTick50ms, 1);
  t.board().StorePort(portTick50ms, 1);
  EXPECT_EQ(HardwareRequest(TAKE_TICK_50MS, 0), 1);
  EXPECT_EQ(HardwareRequest(TAKE_TICK_50MS, 0), 0);
}

TEST(HardwareRequest, StatusLedsWithActiveLowFaultAndPsu) {
  TestBoard t;
  HardwareRequest(SET_STATUS_LEDS, 0);
  EXPECT_EQ(t.board().Port(24) & 0x18, 0x18);
  HardwareRequest(SET_STATUS_LEDS, 0x82);
  EXPECT_EQ(t.board().Port(24) & 0x18, 0x00);
}

struct StatusLedCase {
  int argBit;
  int port;
  uint8_t mask;
  bool activeLow;
};

TEST(HardwareRequest, EveryStatusLedBitReachesItsPortBit) {
  const StatusLedCase cases[] = {
      {0, 29, 0x20, false}, {1, 24, 0x08, true},  {2, 26, 0x04, false}, {3, 27, 0x04, false},  {4, 26, 0x40, false},
      {5, 24, 0x01, false}, {6, 28, 0x04, false}, {7, 24, 0x10, true},  {8, 27, 0x40, false},  {9, 29, 0x10, false},
      {10, 28, 0x40, false}, {11, 29, 0x04, false}, {12, 25, 0x40, false},
  };
  TestBoard t;
  for (const StatusLedCase& c : cases) {
    HardwareRequest(SET_STATUS_LEDS, 1 << c.argBit);
    EXPECT_EQ((t.board().Port(c.port) & c.mask) != 0, !c.activeLow) << "bit " << c.argBit;
    HardwareRequest(SET_STATUS_LEDS, 0);
    EXPECT_EQ((t.board().Port(c.port) & c.mask) != 0, c.activeLow) << "bit " << c.argBit;
  }
  // Bits 13..15 are ignored: nothing beyond the 13 indicators changes.
  HardwareRequest(SET_STATUS_LEDS, 0xE000);
  EXPECT_EQ(t.board().Port(24), 0x18);
  for (int port = 25; port <= 29; ++port) EXPECT_EQ(t.board().Port(port), 0) << port;
}

TEST(HardwareRequest, ZoneLedsFollowTheMatrixTable) {
  const struct {
    int port;
    uint8_t fault;
    uint8_t fire;
  } table[8] = {{25, 0x10, 0x20}, {26, 0x01, 0x02}, {26, 0x10, 0x20}, {27, 0x01, 0x02},
                {27, 0x10, 0x20}, {28, 0x01, 0x02}, {28, 0x10, 0x20}, {29, 0x01, 0x02}};
  TestBoard t;
  for (int zone = 0; zone < 8; ++zone) {
    HardwareRequest(SET_ZONE_FIRE_LEDS, 1 << zone);
    HardwareRequest(SET_ZONE_FAULT_LEDS, 0xFF & ~(1 << zone));
    EXPECT_TRUE(t.board().Port(table[zone].port) & table[zone].fire) << zone;
    EXPECT_FALSE(t.board().Port(table[zone].port) & table[zone].fault) << zone;
    for (int other = 0; other < 8; ++other) {
      if (other == zone) continue;
      EXPECT_FALSE(t.board().Port(table[other].port) & table[other].fire) << zone << "/" << other;
      EXPECT_TRUE(t.board().Port(table[other].port) & table[other].fault) << zone << "/" << other;
    }
  }
}

TEST(HardwareRequest, ZoneLedsLeaveKeyAndCommonBitsAlone) {
  TestBoard t;
  for (int port = 25; port <= 29; ++port) t.board().SetPortBits(port, 0xCC);  // keys, links, common LEDs
  HardwareRequest(SET_ZONE_FIRE_LEDS, 0xFF);
  HardwareRequest(SET_ZONE_FAULT_LEDS, 0xFF);
  HardwareRequest(SET_ZONE_FIRE_LEDS, 0);
  HardwareRequest(SET_ZONE_FAULT_LEDS, 0);
  for (int port = 26; port <= 29; ++port) EXPECT_EQ(t.board().Port(port), 0xCC) << port;
  EXPECT_EQ(t.board().Port(25), 0xCC);
}

TEST(HardwareRequest, KeysAreReadFromTheMatrixAndResetInput) {
  const struct {
    int port;
    uint8_t mask;
    int32_t key;
  } table[] = {{25, 0x08, keyAccept},    {25, 0x80, keySoundersStartStop}, {0, 0x40, keyReset},
               {26, 0x08, keyBuzzerMute}, {26, 0x80, keyDelayOnOff},        {27, 0x08, keyItemSelect},
               {27, 0x80, keyDisableTestNormal}, {28, 0x08, keyLampTest}};
  TestBoard t;
  for (const auto& row : table) {
    t.board().SetPortBits(row.port, row.mask);
    EXPECT_EQ(HardwareRequest(READ_KEYS, 0), row.key);
    t.board().ClearPortBits(row.port, row.mask);
  }
  EXPECT_EQ(HardwareRequest(READ_KEYS, 0), 0);
}

TEST(HardwareRequest, SingleBitReadsAreZeroOrOne) {
  TestBoard t;
  t.board().StorePort(0, 0xFF);
  t.board().StorePort(28, 0x80);
  EXPECT_EQ(HardwareRequest(READ_KEYSWITCH, 0), 1);
  EXPECT_EQ(HardwareRequest(READ_COVER_SWITCH, 0), 1);
  EXPECT_EQ(HardwareRequest(READ_VDS_MODE, 0), 1);
  EXPECT_EQ(HardwareRequest(READ_SYSTEM_INPUTS, 0), 0x1F);
  t.board().StorePort(0, 0x5F);
  EXPECT_EQ(HardwareRequest(READ_KEYSWITCH, 0), 0);
  EXPECT_EQ(HardwareRequest(READ_COVER_SWITCH, 0), 0);
}

TEST(HardwareRequest, ZoneCountFromTheLinks) {
  TestBoard t;
  const struct {
    uint8_t links;
    int32_t count;
  } table[] = {{0x00, 2}, {0x08, 4}, {0x80, 8}, {0x88, 8}};
  for (const auto& row : table) {
    t.board().WritePortMasked(29, 0x88, row.links);
    EXPECT_EQ(HardwareRequest(READ_ZONE_COUNT, 0), row.count) << int(row.links);
  }
}

TEST(HardwareRequest, RelaysMapToTheirPortBits) {
  TestBoard t;
  HardwareRequest(SET_RELAYS, 0x1F);
  EXPECT_EQ(t.board().Port(24) & 0x06, 0x06);
  EXPECT_EQ(t.board().Port(22) & 0x80, 0x80);
  EXPECT_EQ(t.board().Port(21) & 0x80, 0x80);
  EXPECT_EQ(t.board().Port(23) & 0x80, 0x80);
  HardwareRequest(SET_RELAYS, relayArg2 | relayArgTransmissionDevice);
  EXPECT_EQ(t.board().Port(24) & 0x06, 0x04);
  EXPECT_EQ(t.board().Port(22), 0x7F);
  EXPECT_EQ(t.board().Port(21), 0x7F);
  EXPECT_EQ(t.board().Port(23), 0xFF);
}

TEST(HardwareRequest, EarthLevelDrivesExactlyOneOfTwoBits) {
  TestBoard t;
  HardwareRequest(SET_EARTH_LEVEL, 7);
  EXPECT_EQ(t.board().Port(24) & 0x60, 0x20);
  HardwareRequest(SET_EARTH_LEVEL, 0x100);  // index 0: low
  EXPECT_EQ(t.board().Port(24) & 0x60, 0x40);
}

TEST(HardwareRequest, WholeByteWritesAndReads) {
  TestBoard t;
  const struct {
    uint8_t op;
    int port;
  } writes[] = {{SET_POWER_OUTPUTS, 19}, {SET_FWP_OUTPUTS, 20},  {SELECT_ZONE_LINES, 31}, {SET_ZONE_RESET, 32},
                {SET_SOUNDER_SUPPLY, 37}, {SET_RELAY_TEST, 30}};
  for (const auto& w : writes) {
    EXPECT_EQ(HardwareRequest(w.op, 0x7700 | 0xA5), 0);
    EXPECT_EQ(t.board().Port(w.port), 0xA5) << int(w.op);
  }
  EXPECT_EQ(HardwareRequest(READ_POWER_OUTPUTS, 0), 0xA5);
  HardwareRequest(SET_BUZZER, 0x42);
  EXPECT_EQ(t.board().Port(35), 1);
  HardwareRequest(SET_BUZZER, 0x100);
  EXPECT_EQ(t.board().Port(35), 0);
  HardwareRequest(BUZZER_CHIRP, 0);
  EXPECT_EQ(t.board().Port(36), 1);
  t.board().StorePort(1, 0x3C);
  t.board().StorePort(2, 0x2B);
  EXPECT_EQ(HardwareRequest(READ_FWP_INPUTS, 0), 0x3C);
  EXPECT_EQ(HardwareRequest(READ_MONITOR_INPUTS, 0), 0x2B);
}

TEST(HardwareRequest, PortOperationsIgnoreIndicesOutOfRange) {
  TestBoard t;
  EXPECT_EQ(Request(WRITE_PORT, 0x5A, 37), 0);
  EXPECT_EQ(HardwareRequest(READ_PORT, 37), 0x5A);
  EXPECT_EQ(Request(WRITE_PORT, 0x5A, 38), 0);
  EXPECT_EQ(HardwareRequest(READ_PORT, 38), 0);
  EXPECT_EQ(HardwareRequest(READ_PORT, 255), 0);
  EXPECT_EQ(Request(WRITE_PORT, 0x11, 3), 0);
  EXPECT_EQ(HardwareRequest(READ_PORT, 3), 0x11);
}

TEST(HardwareRequest, UnknownOperationsChangeNothing) {
  TestBoard t;
  uint8_t before[portCount];
  for (int i = 0; i < portCount; ++i) before[i] = t.board().Port(i);
  for (int op = hardwareOpCount; op < 256; ++op) EXPECT_EQ(HardwareRequest(uint8_t(op), -1), 0) << op;
  for (int i = 0; i < portCount; ++i) EXPECT_EQ(t.board().Port(i), before[i]) << i;
  EXPECT_EQ(HardwareRequest(NO_OPERATION, 1234), 0);
}

TEST(HardwareRequest, EchoReturnsItsArgumentUnchanged) {
  TestBoard t;
  for (int32_t arg : {0, 1, -1, -256, 0x12345678, INT32_MIN, INT32_MAX}) EXPECT_EQ(HardwareRequest(ECHO, arg), arg);
}

TEST(HardwareRequest, WatchdogServiceRestartsOnlyAfter1200ms) {
  TestBoard t;
  PeriodicUpdate& periodicUpdate = t.periodicUpdate;
  for (int periods = 0; periods <= 11; ++periods) {
    periodicUpdate.watchdogPeriods = periods;
    EXPECT_EQ(HardwareRequest(WATCHDOG_SERVICE, 0), 0) << periods;
    EXPECT_EQ(periodicUpdate.watchdogPeriods, periods);
  }
  periodicUpdate.watchdogPeriods = 12;
  EXPECT_EQ(HardwareRequest(WATCHDOG_SERVICE_ALT, 0), 1);
  EXPECT_EQ(periodicUpdate.watchdogPeriods, 0);
}

TEST(HardwareRequest, RunCounterIsReadZeroExtended) {
  TestBoard t;
  PeriodicUpdate& periodicUpdate = t.periodicUpdate;
  periodicUpdate.runCounter = 0xFFFE;
  EXPECT_EQ(HardwareRequest(READ_RUN_COUNTER, 0), 0xFFFE);
}

TEST(HardwareRequest, ObserverSeesEveryRequestWithItsResult) {
  TestBoard t;
  RequestRecorder recorder(t.board());
  HardwareRequest(ECHO, -7);
  HardwareRequest(READ_ZONE_COUNT, 0);
  const std::vector<RecordedRequest> expected = {{ECHO, -7, -7}, {READ_ZONE_COUNT, 0, 2}};
  EXPECT_EQ(recorder.calls, expected);
}
