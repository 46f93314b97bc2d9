#pragma once
// The firmware's shared state: every module-level variable with its width and
// initial value, the meaning of every flag bit, and the configuration memory.

#include <cstdint>

#include "board/shared_value.h"

constexpr int maxZones = 8;
constexpr int outputCount = 4;

struct PanelState {
  uint16_t referenceLevel = 2993;
  uint8_t zoneScanIndex = 8;
  uint8_t zoneAlarmCount[maxZones] = {};
  uint8_t zoneFaultCount[maxZones] = {};
  uint8_t zonesAlarmDetected = 0;
  uint8_t zonesInFire = 0;
  uint8_t zonesFaultDetected = 0;
  uint8_t zonesAlarmAcknowledged = 0;
  uint8_t panelMode = 0;
  uint8_t panelMode2 = 0;
  uint8_t delayState = 0;
  uint8_t sounderState = 0;
  uint8_t fwpState = 0;
  uint8_t systemFaults = 0;
  uint8_t systemFaults2 = 0;
  uint8_t outputDisables = 0;
  uint8_t routingActivated = 0;
  uint8_t flashTimer = 0;
  uint8_t flashTimer2 = 0;
  uint16_t delayTimer = 0;
  uint8_t zoneFireLeds = 0;
  uint8_t zoneFaultLeds = 0;
  uint16_t statusLeds = 0;
  uint8_t selectedItem = 0;
  uint8_t menuPage = 0;
  uint8_t menuItem = 0;
  uint16_t menuTimeout = 0;
  uint8_t configCheckIndex = 0;
  uint8_t configCheckSum = 0;
  uint16_t programCheckCursor = 2;
  uint16_t programCheckSum = 0;
  uint8_t outputFaultCount[outputCount] = {};
  uint8_t relayBoardState = 0;
  uint8_t referenceFaultCount = 0;
  uint8_t mainsFaultCount = 0;
  uint8_t batteryFaultCount = 0;
  // Read by the board's 50 ms update for display.
  SharedU16 batteryLevelFiltered{5128};
  SharedU16 chargerLevelFiltered{5128};
  uint8_t batteryTestState = 0;
  uint16_t batteryTestTimer = 0;
  uint8_t counterDisplayTimer = 20;
};

// ---- panelMode ----
constexpr uint8_t accessLevel2 = 0x01;
constexpr uint8_t accessLevel3 = 0x02;
constexpr uint8_t engineeringMode = 0x04;
constexpr uint8_t buzzerQuiet = 0x08;
constexpr uint8_t fastFaultTiming = 0x10;
constexpr uint8_t faultBuzzerMuted = 0x20;
constexpr uint8_t fireBuzzerMuted = 0x40;
constexpr uint8_t latchingFire = 0x80;

// ---- panelMode2 ----
constexpr uint8_t delayOverrideFire = 0x01;
constexpr uint8_t input1StateMask = 0x06;  // bits 1-2: digital input 1
constexpr uint8_t input2StateMask = 0x18;  // bits 3-4: digital input 2
constexpr uint8_t zoneResetActive = 0x20;
constexpr uint8_t coverInputSeen = 0x40;
constexpr uint8_t keyswitchInputSeen = 0x80;

// ---- delayState ----
constexpr uint8_t inputEvacuate = 0x01;
constexpr uint8_t inputAlert = 0x02;
constexpr uint8_t delaysOn = 0x04;
constexpr uint8_t delayRunning = 0x08;
constexpr uint8_t delayExtended = 0x10;
constexpr uint8_t delayEnded = 0x20;
constexpr uint8_t delayableOutputs = 0x40;
constexpr uint8_t inputRoutingAck = 0x80;

// ---- sounderState ----
constexpr uint8_t soundersSilenced = 0x01;
constexpr uint8_t soundersResounded = 0x02;
constexpr uint8_t soundersEvacuate = 0x04;
constexpr uint8_t output3Active = 0x08;
constexpr uint8_t output4Active = 0x10;
constexpr uint8_t fwpFaultRetries = 0x60;  // bits 5-6, a two-bit count
constexpr uint8_t routingAckConfigured = 0x80;

// ---- fwpState ----
constexpr uint8_t fwpResetLatch = 0x01;
constexpr uint8_t fwpSoundersDisabled = 0x02;
constexpr uint8_t fwpRoutingDisabled = 0x04;
constexpr uint8_t fwpRoutingTest = 0x08;
constexpr uint8_t soundersActive = 0x10;

// ---- systemFaults ----
constexpr uint8_t auxSupplyFault = 0x01;
constexpr uint8_t programCheckFault = 0x02;
constexpr uint8_t configCheckFault = 0x04;
constexpr uint8_t referenceFault = 0x08;
constexpr uint8_t mainsFault = 0x10;
constexpr uint8_t batteryFault = 0x20;
constexpr uint8_t sounderLineFault = 0x40;
constexpr uint8_t earthFault = 0x80;

// ---- systemFaults2 ----
constexpr uint8_t inputFault = 0x01;
constexpr uint8_t routingLineFault = 0x02;
constexpr uint8_t fwpLinkFault = 0x04;
constexpr uint8_t watchdogFault = 0x08;

// ---- outputDisables (configuration byte 132) ----
constexpr uint8_t soundersDisabled = 0x01;
constexpr uint8_t fireRoutingDisabled = 0x02;
constexpr uint8_t faultRoutingDisabled = 0x04;

// ---- flashTimer ----
constexpr uint8_t flash100ms = 0x01;
constexpr uint8_t flash200ms = 0x02;
constexpr uint8_t flash500ms = 0x04;
constexpr uint8_t flash1s = 0x08;
constexpr uint8_t pulseEvery5s = 0x10;
constexpr uint8_t pulseEvery320s = 0x20;

// ---- Configuration memory map ----
constexpr uint8_t cfgZoneOptions = 0;  // 0..7, one byte per zone
constexpr uint8_t zoneNonLatching = 0x01;
constexpr uint8_t zoneShortIsFire = 0x02;
constexpr uint8_t zoneOverridesDelays = 0x04;
constexpr uint8_t zoneCoincidence = 0x08;
constexpr uint8_t zoneConfirmTimeMask = 0x30;
constexpr uint8_t cfgPanelOptions = 8;
constexpr uint8_t panelAcceptAtLevel1 = 0x01;
constexpr uint8_t panelLampTestAtLevel1 = 0x02;
constexpr uint8_t cfgOutputOptions = 9;  // 9..12, outputs 1..4
constexpr uint8_t outputTypeMask = 0x07;
constexpr uint8_t outputTypeSounder = 0;
constexpr uint8_t outputTypeFireRouting = 1;
constexpr uint8_t outputTypeFaultRouting = 2;
constexpr uint8_t outputObeysDelays = 0x08;
constexpr uint8_t cfgInputOptions = 13;  // 13, 14: digital inputs 1, 2
constexpr uint8_t inputFunctionMask = 0x07;
constexpr uint8_t cfgDelayOptions = 15;
constexpr uint8_t delaySecondStageMask = 0x0F;  // minutes
constexpr uint8_t delayFirstStageMask = 0x70;   // steps of 30 s
constexpr uint8_t delayCancelOnNewZone = 0x80;
constexpr uint8_t cfgAlarmCountHundreds = 128;
constexpr uint8_t cfgAlarmCountTensUnits = 129;
constexpr uint8_t cfgZonesDisabled = 130;
constexpr uint8_t cfgZonesInTest = 131;
constexpr uint8_t cfgOutputDisables = 132;
constexpr uint8_t cfgChecksum = 255;

// Sets or clears the flag bits as on says.
inline void AssignFlags(uint8_t& flags, uint8_t mask, bool on) { flags = uint8_t(on ? flags | mask : flags & ~mask); }
