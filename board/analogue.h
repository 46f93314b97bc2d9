#pragma once
// The board's analogue-to-digital converter: a 10-bit reading computed afresh
// from the analogue quantities the field wiring presents.

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

// Analogue quantities held as plain values: what a board reads when no window
// is attached, and what tests set directly.
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

  int32_t zoneOhms[8] = {4700, 4700, 4700, 4700, 4700, 4700, 4700, 4700};
  bool capacitor[8] = {};
  int32_t supplyMv = 28000;
  int32_t batteryMv = 24000;
  int32_t chargerMv = 24000;
  int32_t relay1Width = 0;
  int32_t relay2Width = 0;
  int32_t transmissionDeviceWidth = 0;
  int32_t optionalRelays = 0;
};

// Reads channel 0..255 in plain or end-of-line test mode; a test read clears
// port 32 afterwards.
uint16_t ReadAnalogueChannel(HardwareState& board, uint8_t channel, bool test);
