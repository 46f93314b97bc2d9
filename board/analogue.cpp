#include "board/analogue.h"

#include <algorithm>

#include "board/hardware_interface.h"

namespace {

constexpr int64_t fullScaleCounts = 1024;
constexpr double zoneSeriesOhms = 940.0;
constexpr int64_t capacitorWeight = 600;
constexpr int64_t noCapacitorWeight = 76;
constexpr int64_t endOfLineDivisor = 730;
constexpr uint16_t zoneResetLevel = 10;
constexpr int32_t monitorCountsPerPixel = 16;
constexpr int linesPerChannel = 4;

const FixedAnalogueSource windowDefaults;

int64_t MillivoltsToCounts(int32_t millivolts) { return millivolts * fullScaleCounts / analogueFullScaleMv; }

int64_t Reference(const AnalogueSource& source) { return MillivoltsToCounts(source.SupplyMillivolts()); }

struct LineSum {
  int64_t sum = 0;
  int64_t count = 0;
};

// Zone 2k + channel is line k of the channel, selected by bit k of the zone select port.
template <typename LineValue>
LineSum SumSelectedLines(const HardwareState& board, uint8_t channel, LineValue lineValue) {
  const uint8_t selected = board.Port(portZoneSelect);
  LineSum lines;
  for (int line = 0; line < linesPerChannel; ++line) {
    if (!(selected & (1u << line))) continue;
    lines.sum += lineValue(2 * line + channel);
    ++lines.count;
  }
  return lines;
}

// The end-of-line test: the capacitor weights of the selected lines against the reference.
int64_t EndOfLineReading(const HardwareState& board, const AnalogueSource& source, uint8_t channel) {
  const LineSum weights = SumSelectedLines(board, channel, [&](int zone) {
    return source.CapacitorFitted(zone) ? capacitorWeight : noCapacitorWeight;
  });
  if (!weights.count) return 0;
  return Reference(source) * weights.sum / (weights.count * endOfLineDivisor);
}

// Each selected line divides the reference with the series resistor; the lines are averaged.
int64_t LineReading(const HardwareState& board, const AnalogueSource& source, uint8_t channel) {
  const LineSum readings = SumSelectedLines(board, channel, [&](int zone) {
    const double ohms = source.ZoneResistance(zone);
    return int64_t(double(Reference(source)) * ohms / (ohms + zoneSeriesOhms));
  });
  return readings.count ? readings.sum / readings.count : 0;
}

int64_t ZoneReading(const HardwareState& board, const AnalogueSource& source, uint8_t channel, bool test) {
  if (board.Port(portZoneReset)) return zoneResetLevel;
  return test ? EndOfLineReading(board, source, channel) : LineReading(board, source, channel);
}

int64_t Relay1Monitor(const HardwareState& board, const AnalogueSource& source) {
  switch (board.Port(portRelayTest)) {
    case relayTestPullLow: return 0;
    case relayTestPullHigh: return analogueCeiling;
    default: return source.Relay1Width() * monitorCountsPerPixel;
  }
}

int64_t Relay2Monitor(const HardwareState& board, const AnalogueSource& source) {
  switch (source.OptionalRelaysState()) {
    case optionalRelaysMonitored: return source.Relay2Width() * monitorCountsPerPixel;
    case optionalRelaysUnmonitored: return board.Port(portRelayTest) == relayTestPullLow ? 0 : analogueCeiling;
    default: return analogueCeiling;
  }
}

int64_t BatteryOrCharger(const HardwareState& board, const AnalogueSource& source) {
  const bool charging = board.Port(portPowerOutputs) & pwrChargerEnable;
  return MillivoltsToCounts(charging ? source.ChargerMillivolts() : source.BatteryMillivolts());
}

int64_t Compute(const HardwareState& board, const AnalogueSource& source, uint8_t channel, bool test) {
  switch (channel) {
    case channelOddZones:
    case channelEvenZones: return ZoneReading(board, source, channel, test);
    case channelRelay1Monitor: return Relay1Monitor(board, source);
    case channelRelay2Monitor: return Relay2Monitor(board, source);
    case channelBatteryCharger: return BatteryOrCharger(board, source);
    case channelTransmissionDevice: return source.TransmissionDeviceWidth() * monitorCountsPerPixel;
    case channelReference: return Reference(source);
    default: return 0;
  }
}

}  // namespace

uint16_t ReadAnalogueChannel(HardwareState& board, uint8_t channel, bool test) {
  const AnalogueSource& source = board.analogueSource ? *board.analogueSource : windowDefaults;
  const int64_t reading = Compute(board, source, channel, test);
  if (test) board.StorePort(portZoneReset, 0);
  return uint16_t(std::clamp<int64_t>(reading, 0, analogueCeiling));
}
