#pragma once
// The board's analogue-to-digital converter: a 10-bit reading computed afresh
// from the analogue quantities the field wiring presents.

#include <atomic>
#include <cstdint>

class HardwareState;

// The analogue quantities behind the channels. The hardware control window
// implements it from its controls; tests set a FixedAnalogueSource directly.
// Each value is read whole at the moment of the reading.
class AnalogueSource {
 public:
  virtual ~AnalogueSource() = default;
  virtual int32_t ZoneResistance(int zone) const = 0;  // ohms, zone 0..7
  virtual bool CapacitorFitted(int zone) const = 0;    // zone 0..7
  virtual int32_t SupplyMillivolts() const = 0;
  virtual int32_t BatteryMillivolts() const = 0;
  virtual int32_t ChargerMillivolts() const = 0;
  virtual int32_t Relay1Width() const = 0;             // monitor bar widths, pixels
  virtual int32_t Relay2Width() const = 0;
  virtual int32_t TransmissionDeviceWidth() const = 0;
  virtual int32_t OptionalRelaysState() const = 0;     // 0 unchecked, 1 checked, 2 grayed
};

// OptionalRelaysState values.
constexpr int32_t optionalRelaysNotFitted = 0;
constexpr int32_t optionalRelaysMonitored = 1;
constexpr int32_t optionalRelaysUnmonitored = 2;

// What the hardware control window's controls hold once it is created, before
// any saved setting is replayed.
constexpr int32_t defaultZoneOhms = 4727;      // the 4700-ohm press: fill 198, trunc(198^1.6)
constexpr int32_t defaultSupplyMv = 27851;     // the 28000 mV press: fill 186 of 256
constexpr int32_t defaultBatteryMv = 23958;    // the 24000 mV press: fill 160 of 256
constexpr int32_t defaultChargerMv = 23958;    // pressed at the battery's position
constexpr int32_t defaultMonitorWidth = 50;    // layout width of every fill bar

// Analogue quantities held as values any thread may change: what a board
// reads when no window is attached, and what tests set directly.
class FixedAnalogueSource : public AnalogueSource {
 public:
  int32_t ZoneResistance(int zone) const override { return zoneOhms[zone & 7]; }
  bool CapacitorFitted(int zone) const override { return capacitor[zone & 7]; }
  int32_t SupplyMillivolts() const override { return supplyMv; }
  int32_t BatteryMillivolts() const override { return batteryMv; }
  int32_t ChargerMillivolts() const override { return chargerMv; }
  int32_t Relay1Width() const override { return relay1Width; }
  int32_t Relay2Width() const override { return relay2Width; }
  int32_t TransmissionDeviceWidth() const override { return transmissionDeviceWidth; }
  int32_t OptionalRelaysState() const override { return optionalRelays; }

  std::atomic<int32_t> zoneOhms[8] = {defaultZoneOhms, defaultZoneOhms, defaultZoneOhms, defaultZoneOhms,
                                      defaultZoneOhms, defaultZoneOhms, defaultZoneOhms, defaultZoneOhms};
  std::atomic<bool> capacitor[8] = {};
  std::atomic<int32_t> supplyMv = defaultSupplyMv;
  std::atomic<int32_t> batteryMv = defaultBatteryMv;
  std::atomic<int32_t> chargerMv = defaultChargerMv;
  std::atomic<int32_t> relay1Width = defaultMonitorWidth;
  std::atomic<int32_t> relay2Width = defaultMonitorWidth;
  std::atomic<int32_t> transmissionDeviceWidth = defaultMonitorWidth;
  std::atomic<int32_t> optionalRelays = optionalRelaysNotFitted;
};

// Channels with a source of their own.
constexpr uint8_t channelOddZones = 0;
constexpr uint8_t channelEvenZones = 1;
constexpr uint8_t channelRelay1Monitor = 2;
constexpr uint8_t channelRelay2Monitor = 3;
constexpr uint8_t channelBatteryCharger = 4;
constexpr uint8_t channelTransmissionDevice = 5;
constexpr uint8_t channelReference = 10;

constexpr uint16_t analogueCeiling = 1023;
// The converter's full scale: the input that would read 1024 counts.
constexpr int32_t analogueFullScaleMv = 38333;

// Port 30 (relay test) values the monitor channels respond to.
constexpr uint8_t relayTestRelease = 0;
constexpr uint8_t relayTestPullLow = 2;
constexpr uint8_t relayTestPullHigh = 3;

// Reads channel 0..255 in plain or end-of-line test mode; a test read clears
// port 32 afterwards. A board without a source reads the window defaults.
uint16_t ReadAnalogueChannel(HardwareState& board, uint8_t channel, bool test);
