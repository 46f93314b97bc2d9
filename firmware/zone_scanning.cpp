#include "firmware/firmware.h"

#include "board/hardware_interface.h"
#include "firmware/delays.h"
#include "firmware/disablement.h"
#include "firmware/panel_state.h"
#include "firmware/supervision.h"

namespace {

constexpr uint16_t referenceLowest = 2033;
constexpr uint16_t referenceHighest = 3314;

// Band tops in normalised units (1024 is a zone at the reference's own level).
constexpr uint16_t shortCircuitTop = 163;
constexpr uint16_t fireTop = 384;
constexpr uint16_t faultTop = 819;
constexpr uint16_t normalTop = 877;

// 25 positions of 20 ms: every zone once in 500 ms, whatever the zone count.
constexpr uint8_t scanPositions = 25;

constexpr uint8_t zoneFaultLimit = 40;     // 20 s of scans
constexpr uint8_t zoneFastFaultLimit = 2;

constexpr uint8_t confirmTimeShift = 4;
constexpr uint8_t confirmLimits[4] = {2, 60, 120, 180};

constexpr uint8_t bcdUnitsMask = 0x0F;
constexpr uint8_t bcdUnitsCarryStep = 7;  // 0x09 + 7 = 0x10
constexpr uint8_t bcdTopTensUnits = 0x99;
constexpr uint8_t topHundreds = 9;

}  // namespace

uint16_t Firmware::ReadNormalised(uint8_t op, uint8_t channel) {
  return NormaliseReading(uint16_t(HardwareRequest(op, channel)));
}

// A high reading is an open line unless its capacitor test reading is at least half as high.
ZoneClass Firmware::ClassifyHighReading(uint8_t channel, uint16_t level) {
  const uint16_t endOfLine = ReadNormalised(READ_ANALOGUE_EOL, channel);
  return 2 * endOfLine >= level ? ZoneClass::Normal : ZoneClass::Fault;
}

// The zone supply stays off while the index counts the power-down ticks.
void Firmware::CountDownZoneReset() {
  if (--panel.zoneScanIndex) return;
  HardwareRequest(SET_ZONE_RESET, 0);
  panel.panelMode2 &= ~zoneResetActive;
}

void Firmware::FilterFault(uint8_t zone, uint8_t bit, ZoneClass zoneClass) {
  const uint8_t limit = panel.panelMode & fastFaultTiming ? zoneFastFaultLimit : zoneFaultLimit;
  uint8_t& count = panel.zoneFaultCount[zone];
  const bool fault = zoneClass == ZoneClass::Fault;
  count = fault ? CountUp(count, limit) : CountDown(count);
  // Only a faulty reading latches: a count falling onto a lowered limit does not.
  if (fault && count == limit) LatchFault(panel.zonesFaultDetected, bit);
}

void Firmware::EnterFire(uint8_t zone, uint8_t bit, uint8_t options) {
  if (!(panel.zonesInFire & bit) && !(ReadConfig(cfgZonesInTest) & bit)) CountAlarm();
  if (!(options & zoneNonLatching)) panel.panelMode |= latchingFire;
  panel.zonesInFire |= bit;
  CheckDelayCancel();
  // Only a zone with the option pulls its partner into fire.
  if (options & zoneCoincidence) panel.zonesInFire |= ZoneBit(uint8_t(zone ^ 1));
  if (options & zoneOverridesDelays) panel.panelMode2 |= delayOverrideFire;
}

void Firmware::DetectAlarm(uint8_t zone, uint8_t bit, uint8_t options) {
  const bool partnerDetected = panel.zonesAlarmDetected & ZoneBit(uint8_t(zone ^ 1));
  // A coincidence zone without its partner is detected but waits outside fire.
  if (!(options & zoneCoincidence) || partnerDetected) EnterFire(zone, bit, options);
  panel.zonesAlarmDetected |= bit;
  panel.sounderState &= ~(soundersResounded | soundersSilenced);
  panel.panelMode &= ~fireBuzzerMuted;
}

void Firmware::FilterAlarm(uint8_t zone, uint8_t bit, uint8_t options, ZoneClass zoneClass) {
  const uint8_t limit = AlarmConfirmLimit((options >> confirmTimeShift) & 3);
  uint8_t& count = panel.zoneAlarmCount[zone];
  count = zoneClass == ZoneClass::Fire ? CountUp(count, limit) : CountDown(count);
  const bool detected = panel.zonesAlarmDetected & bit;
  if (count == limit) {
    if (!detected) DetectAlarm(zone, bit, options);
    return;
  }
  // A non-latching fire clears two counts below the limit; its partner stays.
  if (detected && options & zoneNonLatching && count + 2 <= limit) {
    panel.zonesAlarmDetected &= ~bit;
    panel.zonesInFire &= ~bit;
  }
}

void Firmware::EvaluateZone(uint8_t zone) {
  const uint8_t bit = ZoneBit(zone);
  const uint8_t options = ReadConfig(uint8_t(cfgZoneOptions + zone));
  const ZoneClass zoneClass = ClassifyZone(bit, options & zoneShortIsFire);
  FilterFault(zone, bit, zoneClass);
  FilterAlarm(zone, bit, options, zoneClass);
}

void Firmware::TrackAcknowledgement() {
  if (panel.panelMode & fireBuzzerMuted) panel.zonesAlarmAcknowledged = panel.zonesAlarmDetected;
  else panel.zonesAlarmAcknowledged &= panel.zonesAlarmDetected;
}

void Firmware::ScanZone() {
  if (panel.panelMode2 & zoneResetActive) {
    CountDownZoneReset();
  } else {
    if (panel.zoneScanIndex < ReadZoneCount()) EvaluateZone(panel.zoneScanIndex);
    if (++panel.zoneScanIndex >= scanPositions) panel.zoneScanIndex = 0;
  }
  TrackAcknowledgement();
}

// Engineering mode and a disabled zone read Normal, so every counter runs down.
ZoneClass Firmware::ClassifyZone(uint8_t zoneBit, bool shortIsFire) {
  if (panel.panelMode & engineeringMode) return ZoneClass::Normal;
  if (ReadConfig(cfgZonesDisabled) & zoneBit) return ZoneClass::Normal;
  if (!ReferenceHealthy()) return ZoneClass::Fault;
  HardwareRequest(SELECT_ZONE_LINES, ZoneBit(panel.zoneScanIndex / 2));
  const uint8_t channel = panel.zoneScanIndex & 1;
  const uint16_t level = ReadNormalised(READ_ANALOGUE, channel);
  if (level <= shortCircuitTop && !shortIsFire) return ZoneClass::Fault;
  if (level <= fireTop) return ZoneClass::Fire;
  if (level <= faultTop) return ZoneClass::Fault;
  if (level <= normalTop) return ZoneClass::Normal;
  return ClassifyHighReading(channel, level);
}

bool Firmware::ReferenceHealthy() {
  return panel.referenceLevel >= referenceLowest && panel.referenceLevel <= referenceHighest;
}

uint16_t Firmware::NormaliseReading(uint16_t reading) { return uint16_t(uint32_t(reading) * 4096 / panel.referenceLevel); }

uint8_t Firmware::AlarmConfirmLimit(uint8_t selector) { return selector < 4 ? confirmLimits[selector] : confirmLimits[0]; }

// BCD: hundreds in byte 128, tens and units in byte 129; 999 wraps to 000.
void Firmware::CountAlarm() {
  const uint8_t tensUnits = ReadConfig(cfgAlarmCountTensUnits);
  if (tensUnits < bcdTopTensUnits) {
    const bool unitsCarry = (tensUnits & bcdUnitsMask) >= 9;
    WriteConfig(cfgAlarmCountTensUnits, uint8_t(tensUnits + (unitsCarry ? bcdUnitsCarryStep : 1)));
    return;
  }
  const uint8_t hundreds = ReadConfig(cfgAlarmCountHundreds);
  WriteConfig(cfgAlarmCountHundreds, hundreds < topHundreds ? uint8_t(hundreds + 1) : 0);
  WriteConfig(cfgAlarmCountTensUnits, 0);
}
