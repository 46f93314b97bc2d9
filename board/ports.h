#pragma once
// The board's port map: every port index, the bits of each port beside it, and
// where each front panel indicator, key, link and relay sits, named once for
// the request table and the periodic update alike.

#include <array>
#include <cstdint>

constexpr int portCount = 38;

// One bit (or bit pair) of one port.
struct BoardBit {
  uint8_t port;
  uint8_t mask;
};

constexpr int portSystemInputs = 0;   // b0 earth, b1 1, b2/b3 inputs, b4 latch, b5 key, b6 Reset, b7 cover
constexpr uint8_t sysEarthDetect = 0x01;
constexpr uint8_t sysAlwaysOne = 0x02;
constexpr uint8_t sysDigitalInput1 = 0x04;
constexpr uint8_t sysDigitalInput2 = 0x08;
constexpr uint8_t sysFaultLatch = 0x10;
constexpr uint8_t sysKeyswitch = 0x20;
constexpr uint8_t sysResetKey = 0x40;
constexpr uint8_t sysCoverSwitch = 0x80;
// What READ_SYSTEM_INPUTS returns; the keys and the cover have their own operations.
constexpr uint8_t sysInputsRead = sysEarthDetect | sysAlwaysOne | sysDigitalInput1 | sysDigitalInput2 | sysFaultLatch;

constexpr int portFwpInputs = 1;
constexpr uint8_t fwpInputSwitches = 0x1F;  // b0..b4: the FWP 8, 4, 6, 5 and 7 switches, active low
constexpr uint8_t fwpInputSwitch6 = 0x04;
constexpr uint8_t fwpInputUnsupplied = 0x20;

constexpr int portMonitorInputs = 2;
constexpr uint8_t monAlwaysOne = 0x01;
constexpr uint8_t monSounder1Healthy = 0x02;
constexpr uint8_t monSounder2Healthy = 0x04;
constexpr uint8_t monAuxSupplyHealthy = 0x08;
constexpr uint8_t monMainsFailed = 0x10;
constexpr uint8_t monChargerFault = 0x20;
constexpr uint8_t monAllInputs =
    monAlwaysOne | monSounder1Healthy | monSounder2Healthy | monAuxSupplyHealthy | monMainsFailed | monChargerFault;

constexpr int portPowerOutputs = 19;
constexpr uint8_t pwrSounder1Drive = 0x21;  // b0 and b5, a pair
constexpr uint8_t pwrSounder2Drive = 0x42;  // b1 and b6, a pair
constexpr uint8_t pwrBatteryTestLoad = 0x04;
constexpr uint8_t pwrBatteryConnect = 0x08;
constexpr uint8_t pwrChargerEnable = 0x10;
constexpr uint8_t pwrBatteryCutOff = 0x80;

constexpr int portFwpOutputs = 20;  // the FWP indicators, all gated by the supply bit
constexpr uint8_t fwpOutputLed7 = 0x01;
constexpr uint8_t fwpOutputLed6 = 0x02;
constexpr uint8_t fwpOutputLed5 = 0x04;
constexpr uint8_t fwpOutputLed3 = 0x08;
constexpr uint8_t fwpOutputLed2 = 0x10;
constexpr uint8_t fwpOutputLed4 = 0x20;
constexpr uint8_t fwpOutputSupply = 0x40;  // lights FWP 1

constexpr int portHundreds = 21;  // b0..b6 segments, b7 fire-output-active relay
constexpr int portTens = 22;      // b0..b6 segments, b7 fire-output-disabled relay
constexpr int portUnits = 23;     // b0..b6 segments, b7 transmission-device relay
constexpr uint8_t segmentMask = 0x7F;
constexpr uint8_t vdsRelayBit = 0x80;

constexpr int portLedsRelays = 24;
constexpr uint8_t ledSystemFault = 0x01;
constexpr uint8_t relay1Bit = 0x02;
constexpr uint8_t relay2Bit = 0x04;
constexpr uint8_t ledFaultDark = 0x08;  // active low
constexpr uint8_t ledPsuFaultDark = 0x10;  // active low
constexpr uint8_t earthLevelHigh = 0x20;
constexpr uint8_t earthLevelLow = 0x40;

// ---- Ports 25..29: the LED and key matrix ----------------------------------
constexpr int portMatrixFirst = 25;
constexpr int portMatrixLast = 29;
// Each matrix byte: two key (or link) positions and room for two zones' LED pairs.
constexpr uint8_t matrixLowZoneFault = 0x01;
constexpr uint8_t matrixLowZoneFire = 0x02;
constexpr uint8_t matrixKeyLow = 0x08;
constexpr uint8_t matrixHighZoneFault = 0x10;
constexpr uint8_t matrixHighZoneFire = 0x20;
constexpr uint8_t matrixKeyHigh = 0x80;

constexpr int portMatrix25 = 25;  // zone 1 high; keys Accept, Sounders start/stop
constexpr uint8_t port25AuxiliaryFault = 0x40;

constexpr int portMatrix26 = 26;  // zones 2 low, 3 high; keys Buzzer mute, Delay on/off
constexpr uint8_t port26Disabled = 0x04;
constexpr uint8_t port26DelayOn = 0x40;

constexpr int portMatrix27 = 27;  // zones 4 low, 5 high; keys Item select, Disable/test/normal
constexpr uint8_t port27Test = 0x04;
constexpr uint8_t port27SounderFaultDisabled = 0x40;

constexpr int portMatrix28 = 28;  // zones 6 low, 7 high; key Lamp test
constexpr uint8_t port28EarthFault = 0x04;
constexpr uint8_t port28FireRoutingFaultDisabled = 0x40;
constexpr uint8_t port28VdsLink = matrixKeyHigh;

constexpr int portMatrix29 = 29;  // zone 8 low; the zone-count links in the key positions
constexpr uint8_t port29FaultRoutingFaultDisabled = 0x04;
constexpr uint8_t port29FourZoneLink = matrixKeyLow;
constexpr uint8_t port29FireRoutingActive = 0x10;
constexpr uint8_t port29Fire = 0x20;
constexpr uint8_t port29EightZoneLink = matrixKeyHigh;

constexpr int portRelayTest = 30;
constexpr int portZoneSelect = 31;
constexpr int portZoneReset = 32;
constexpr int portTick50ms = 33;
constexpr int portTick20ms = 34;
constexpr int portBuzzer = 35;
constexpr int portBuzzerChirp = 36;
constexpr int portSounderSupply = 37;

// ---- Where each thing sits ---------------------------------------------------
// Zone n's (1..8) LEDs: port index and bit masks.
struct ZoneLedBits {
  uint8_t port;
  uint8_t fault;
  uint8_t fire;
};
inline constexpr std::array<ZoneLedBits, 8> zoneLedBits = {{
    {portMatrix25, matrixHighZoneFault, matrixHighZoneFire},
    {portMatrix26, matrixLowZoneFault, matrixLowZoneFire},
    {portMatrix26, matrixHighZoneFault, matrixHighZoneFire},
    {portMatrix27, matrixLowZoneFault, matrixLowZoneFire},
    {portMatrix27, matrixHighZoneFault, matrixHighZoneFire},
    {portMatrix28, matrixLowZoneFault, matrixLowZoneFire},
    {portMatrix28, matrixHighZoneFault, matrixHighZoneFire},
    {portMatrix29, matrixLowZoneFault, matrixLowZoneFire},
}};

// Common indicators.
constexpr BoardBit fireLedAt{portMatrix29, port29Fire};
constexpr BoardBit faultLedDarkAt{portLedsRelays, ledFaultDark};
constexpr BoardBit disabledLedAt{portMatrix26, port26Disabled};
constexpr BoardBit testLedAt{portMatrix27, port27Test};
constexpr BoardBit delayOnLedAt{portMatrix26, port26DelayOn};
constexpr BoardBit systemFaultLedAt{portLedsRelays, ledSystemFault};
constexpr BoardBit earthFaultLedAt{portMatrix28, port28EarthFault};
constexpr BoardBit psuFaultLedDarkAt{portLedsRelays, ledPsuFaultDark};
constexpr BoardBit sounderFaultDisabledLedAt{portMatrix27, port27SounderFaultDisabled};
constexpr BoardBit fireRoutingActiveLedAt{portMatrix29, port29FireRoutingActive};
constexpr BoardBit fireRoutingFaultDisabledLedAt{portMatrix28, port28FireRoutingFaultDisabled};
constexpr BoardBit faultRoutingFaultDisabledLedAt{portMatrix29, port29FaultRoutingFaultDisabled};
constexpr BoardBit auxiliaryFaultLedAt{portMatrix25, port25AuxiliaryFault};

// Keys.
constexpr BoardBit acceptKeyAt{portMatrix25, matrixKeyLow};
constexpr BoardBit soundersStartStopKeyAt{portMatrix25, matrixKeyHigh};
constexpr BoardBit resetKeyAt{portSystemInputs, sysResetKey};
constexpr BoardBit buzzerMuteKeyAt{portMatrix26, matrixKeyLow};
constexpr BoardBit delayOnOffKeyAt{portMatrix26, matrixKeyHigh};
constexpr BoardBit itemSelectKeyAt{portMatrix27, matrixKeyLow};
constexpr BoardBit disableTestNormalKeyAt{portMatrix27, matrixKeyHigh};
constexpr BoardBit lampTestKeyAt{portMatrix28, matrixKeyLow};

// Links.
constexpr BoardBit vdsLinkAt{portMatrix28, port28VdsLink};
constexpr BoardBit fourZoneLinkAt{portMatrix29, port29FourZoneLink};
constexpr BoardBit eightZoneLinkAt{portMatrix29, port29EightZoneLink};

// Relays.
constexpr BoardBit relay1At{portLedsRelays, relay1Bit};
constexpr BoardBit relay2At{portLedsRelays, relay2Bit};
constexpr BoardBit fireOutputActiveRelayAt{portHundreds, vdsRelayBit};
constexpr BoardBit fireOutputDisabledRelayAt{portTens, vdsRelayBit};
constexpr BoardBit transmissionDeviceRelayAt{portUnits, vdsRelayBit};
