// A week of panel time in virtual time: every hour a zone fault, a fire and a
// reset. At the end the alarm counter has counted every fire exactly once,
// the configuration checksum holds, the run counter has wrapped by the rule
// and the firmware's timers still run.

#include <gtest/gtest.h>

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "tests/firmware/detection_fixture.h"

namespace {

constexpr int hoursInAWeek = 7 * 24;
constexpr int64_t hourMs = 3600 * 1000;
constexpr uint8_t fireZone = 0;
constexpr uint8_t faultZone = 1;

class Soak : public DetectionTest {
 protected:
  // Until the condition holds, in 20 ms ticks; false after limitMs.
  template <typename Condition>
  bool Within(int64_t limitMs, Condition done) {
    for (int64_t waited = 0; waited < limitMs; waited += 20) {
      if (done()) return true;
      Ticks20(1);
    }
    return done();
  }

  void ResetWithTheKey() {
    EnterLevel2();
    Press(keyReset);
    SetKeyswitch(false);
    Ticks50(2);
  }

  // One hour: a zone line fault for half a minute, a fire, a reset.
  void Hour(int hour) {
    const int64_t end = t.stepper().NowMs() + hourMs;
    SetZoneOhms(faultZone, faultOhms);
    ASSERT_TRUE(Within(30000, [&] { return FaultLatched(faultZone); })) << "hour " << hour;
    t.Advance(30000);
    SetZoneOhms(faultZone, normalOhms);

    SetZoneOhms(fireZone, fireOhms);
    ASSERT_TRUE(Within(5000, [&] { return InFire(fireZone); })) << "hour " << hour;
    SetZoneOhms(fireZone, normalOhms);
    t.Advance(10000);

    ResetWithTheKey();
    ASSERT_TRUE(Within(10000, [&] { return panel.zonesInFire == 0 && panel.zonesFaultDetected == 0; }))
        << "hour " << hour;
    t.Advance(end - t.stepper().NowMs());
  }

  uint8_t ConfigXor() {
    uint8_t sum = 0;
    for (int address = 0; address < cfgChecksum; ++address) sum ^= ReadConfig(uint8_t(address));
    return sum;
  }
};

TEST_F(Soak, AWeekOfHourlyFiresFaultsAndResetsEndsWithConsistentCounters) {
  WriteFactoryDefaults();
  t.periodicUpdate.watchdogTripped = false;
  t.Advance(10000);
  for (int hour = 0; hour < hoursInAWeek; ++hour) ASSERT_NO_FATAL_FAILURE(Hour(hour));

  // 168 fires, in BCD: hundreds 1, tens and units 0x68.
  EXPECT_EQ(ReadConfig(cfgAlarmCountHundreds), 1);
  EXPECT_EQ(ReadConfig(cfgAlarmCountTensUnits), 0x68);
  EXPECT_EQ(ConfigXor(), ReadConfig(cfgChecksum));
  EXPECT_EQ(panel.systemFaults, 0);
  EXPECT_EQ(panel.systemFaults2, 0);

  // Two counts per 20 ms update since the start, modulo 16 bits.
  const int64_t updates = t.stepper().NowMs() / 20;
  EXPECT_EQ(HardwareRequest(READ_RUN_COUNTER, 0), int32_t(uint16_t(2 * updates)));
  EXPECT_FALSE(t.periodicUpdate.watchdogTripped.load());

  // The flash timer still turns over.
  const uint8_t before = panel.flashTimer;
  EXPECT_TRUE(Within(1000, [&] { return panel.flashTimer != before; }));
}

}  // namespace
