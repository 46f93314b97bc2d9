#include "board/hardware_interface.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <mutex>

#include "board/analogue.h"
#include "board/periodic_update.h"
#include "board/settings_file.h"

const std::array<uint8_t, 16> SegmentCodes = {0x84, 0x9F, 0xC8, 0x8A, 0x93, 0xA2, 0xA0, 0xF0,
                                              0x80, 0x82, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

namespace {

constexpr int nvImageSize = 256;
constexpr uint8_t nvErased = 0xFF;

constexpr int bcdDigitBits = 4;
constexpr int32_t bcdDigitMask = 0x0F;
constexpr int counterDigitPorts[] = {portUnits, portTens, portHundreds};  // BCD digit 0 upwards
constexpr int32_t counterDigitsBlank = 0xFFFF;


// SET_STATUS_LEDS argument bits, from bit 0 upwards, and whether each is active low.
struct StatusLedBit {
  BoardBit at;
  bool activeLow;
};
constexpr std::array<StatusLedBit, 13> statusLedBits = {{
    {fireLedAt, false},
    {faultLedDarkAt, true},
    {disabledLedAt, false},
    {testLedAt, false},
    {delayOnLedAt, false},
    {systemFaultLedAt, false},
    {earthFaultLedAt, false},
    {psuFaultLedDarkAt, true},
    {sounderFaultDisabledLedAt, false},
    {fireRoutingActiveLedAt, false},
    {fireRoutingFaultDisabledLedAt, false},
    {faultRoutingFaultDisabledLedAt, false},
    {auxiliaryFaultLedAt, false},
}};

// READ_KEYS result bits, from bit 0 upwards.
constexpr std::array<BoardBit, 8> keySources = {
    acceptKeyAt,     soundersStartStopKeyAt, resetKeyAt,             buzzerMuteKeyAt,
    delayOnOffKeyAt, itemSelectKeyAt,        disableTestNormalKeyAt, lampTestKeyAt,
};

// SET_RELAYS argument bits, from bit 0 upwards.
constexpr std::array<BoardBit, 5> relayTargets = {
    relay1At, relay2At, fireOutputDisabledRelayAt, fireOutputActiveRelayAt, transmissionDeviceRelayAt,
};

int32_t Bit(bool on) { return on ? 1 : 0; }

bool TakeFlag(HardwareState& board, int index) {
  return At(board.port, index).exchange(0, std::memory_order_relaxed) != 0;
}

void SetCounterDigits(HardwareState& board, int32_t arg) {
  for (size_t i = 0; i < std::size(counterDigitPorts); ++i) {
    const uint8_t code = SegmentCodes[(arg >> (bcdDigitBits * i)) & bcdDigitMask];
    // The segments change; bit 7, a relay, keeps its state.
    board.WritePortMasked(counterDigitPorts[i], segmentMask, code);
  }
}

// Zone LED bits from a zone bitmap, one matrix byte at a time.
constexpr int matrixPorts = portMatrixLast - portMatrixFirst + 1;
using MatrixBytes = std::array<uint8_t, matrixPorts>;

constexpr size_t MatrixAt(int port) { return size_t(port - portMatrixFirst); }
constexpr uint8_t ZoneBit(const ZoneLedBits& zone, bool fire) { return fire ? zone.fire : zone.fault; }

// Which bits of each matrix port the zones' fire or fault LEDs take.
constexpr MatrixBytes ZoneLedMasks(bool fire) {
  MatrixBytes masks{};
  for (const ZoneLedBits& zone : zoneLedBits) masks[MatrixAt(zone.port)] |= ZoneBit(zone, fire);
  return masks;
}
constexpr MatrixBytes zoneFireMasks = ZoneLedMasks(true);
constexpr MatrixBytes zoneFaultMasks = ZoneLedMasks(false);

// The lit zones' bits, then one write per matrix port the zone LEDs use.
void SetZoneLeds(HardwareState& board, uint8_t zones, bool fire) {
  MatrixBytes bits{};
  for (unsigned lit = zones; lit != 0; lit &= lit - 1) {
    const ZoneLedBits& zone = zoneLedBits[size_t(std::countr_zero(lit))];
    bits[MatrixAt(zone.port)] |= ZoneBit(zone, fire);
  }
  const MatrixBytes& masks = fire ? zoneFireMasks : zoneFaultMasks;
  for (size_t at = 0; at < masks.size(); ++at) {
    if (masks[at]) board.WritePortMasked(portMatrixFirst + int(at), masks[at], bits[at]);
  }
}

void SetStatusLeds(HardwareState& board, int32_t arg) {
  for (size_t i = 0; i < statusLedBits.size(); ++i) {
    const StatusLedBit& led = statusLedBits[i];
    const bool argBit = (arg >> i) & 1;
    board.AssignPortBits(led.at, argBit != led.activeLow);
  }
}

// Each read also counts, per key, the reads in a row that found it pressed.
int32_t ReadKeys(HardwareState& board) {
  int32_t keys = 0;
  for (size_t i = 0; i < keySources.size(); ++i) {
    std::atomic<uint8_t>& reads = board.keyReadsPressed[i];
    if (!board.IsSet(keySources[i])) {
      reads.store(0, std::memory_order_relaxed);
      continue;
    }
    keys |= 1 << i;
    const uint8_t before = reads.load(std::memory_order_relaxed);
    if (before != UINT8_MAX) reads.store(uint8_t(before + 1), std::memory_order_relaxed);
  }
  return keys;
}

void SetRelays(HardwareState& board, uint8_t index) {
  for (size_t i = 0; i < relayTargets.size(); ++i) {
    board.AssignPortBits(relayTargets[i], (index >> i) & 1);
  }
}

int32_t Execute(HardwareState& board, uint8_t op, int32_t arg) {
  // The low byte is a port, address or value; the next byte a value to store.
  const auto index = static_cast<uint8_t>(arg);
  const auto value = static_cast<uint8_t>(arg >> 8);
  switch (op) {
    case WATCHDOG_SERVICE:
    case WATCHDOG_SERVICE_ALT: return Bit(board.periodicUpdate.ServiceWatchdog());
    case READ_RUN_COUNTER: return board.periodicUpdate.runCounter.load(std::memory_order_relaxed);
    case NO_OPERATION: return 0;
    case TAKE_TICK_50MS: return Bit(TakeFlag(board, portTick50ms));
    case WRITE_PORT:
      if (index < portCount) board.StorePort(index, value);
      return 0;
    case READ_PORT: return index < portCount ? board.Port(index) : 0;
    case TAKE_TICK_20MS: return Bit(TakeFlag(board, portTick20ms));
    case READ_NV_BYTE: return uint8_t(~board.NvByte(index));
    case WRITE_NV_BYTE: board.SetNvByte(index, uint8_t(~value)); return 0;
    case READ_ANALOGUE_EOL: return ReadAnalogueChannel(board, index, true);
    case READ_ANALOGUE: return ReadAnalogueChannel(board, index, false);
    case SET_COUNTER_DIGITS: SetCounterDigits(board, arg); return 0;
    case READ_KEYS: return ReadKeys(board);
    case READ_KEYSWITCH: return Bit(board.Port(portSystemInputs) & sysKeyswitch);
    case READ_COVER_SWITCH: return Bit(board.Port(portSystemInputs) & sysCoverSwitch);
    case SET_ZONE_FAULT_LEDS: SetZoneLeds(board, index, false); return 0;
    case SET_ZONE_FIRE_LEDS: SetZoneLeds(board, index, true); return 0;
    case SET_STATUS_LEDS: SetStatusLeds(board, arg); return 0;
    case SET_BUZZER: board.StorePort(portBuzzer, index ? 1 : 0); return 0;
    case BUZZER_CHIRP: board.StorePort(portBuzzerChirp, 1); return 0;
    case READ_FWP_INPUTS: return board.Port(portFwpInputs);
    case READ_ZONE_COUNT: return ZoneCount(board);
    case READ_SYSTEM_INPUTS: return board.Port(portSystemInputs) & sysInputsRead;
    case READ_MONITOR_INPUTS: return board.Port(portMonitorInputs);
    case SET_POWER_OUTPUTS: board.StorePort(portPowerOutputs, index); return 0;
    case SET_FWP_OUTPUTS: board.StorePort(portFwpOutputs, index); return 0;
    case SET_RELAYS: SetRelays(board, index); return 0;
    case SELECT_ZONE_LINES: board.StorePort(portZoneSelect, index); return 0;
    case SET_ZONE_RESET: board.StorePort(portZoneReset, index); return 0;
    case SET_SOUNDER_SUPPLY: board.StorePort(portSounderSupply, index); return 0;
    case READ_POWER_OUTPUTS: return board.Port(portPowerOutputs);
    case ECHO: return arg;
    case SET_EARTH_LEVEL:
      board.WritePortMasked(portLedsRelays, earthLevelHigh | earthLevelLow, index ? earthLevelHigh : earthLevelLow);
      return 0;
    case READ_VDS_MODE: return Bit(board.IsSet(vdsLinkAt));
    case SET_RELAY_TEST: board.StorePort(portRelayTest, index); return 0;
    default: return 0;
  }
}

}  // namespace

int32_t ZoneCount(const HardwareState& board) {
  const uint8_t links = board.Port(portMatrix29);
  if (links & port29EightZoneLink) return 8;
  if (links & port29FourZoneLink) return 4;
  return 2;
}

// A port that already holds the bits is left alone: most writes change nothing.
void HardwareState::WritePortMasked(int index, uint8_t mask, uint8_t bits) {
  uint8_t old = At(port, index).load(std::memory_order_relaxed);
  uint8_t next;
  do {
    next = uint8_t((old & ~mask) | (bits & mask));
    if (next == old) return;
  } while (!At(port, index).compare_exchange_weak(old, next, std::memory_order_relaxed));
}

HardwareState::HardwareState(PeriodicUpdate& update, SettingsFile file)
    : periodicUpdate(update), settingsFile(std::move(file)) {
  nvSize = nvImageSize;
  nvImage = std::make_unique<uint8_t[]>(nvImageSize);
  std::fill_n(nvImage.get(), nvImageSize, nvErased);
  StorePort(portRelayTest, 0);
  settingsFile.LoadNvImage(nvImage.get(), nvSize);
  StorePort(portTick50ms, 0);
  StorePort(portTick20ms, 0);
  for (int i = 0; i <= portMatrixLast; ++i) StorePort(i, 0);
  SetCounterDigits(*this, counterDigitsBlank);
  SetPortBits(portLedsRelays, ledFaultDark | ledPsuFaultDark);
  for (int i : {portBuzzer, portZoneSelect, portZoneReset, portBuzzerChirp, portSounderSupply}) StorePort(i, 0);
}

HardwareState::~HardwareState() {
  StopFirmware();
  settingsFile.StageNvImage(nvImage.get(), nvSize, !windowPartFollows);
}

std::vector<uint8_t> HardwareState::SnapshotNvImage() const {
  std::vector<uint8_t> image(static_cast<size_t>(nvSize));
  for (int32_t i = 0; i < nvSize; ++i) image[size_t(i)] = NvByte(i);
  return image;
}

void HardwareState::StartFirmware() {
  if (firmwareThread) firmwareThread->Resume();
}

void HardwareState::StopFirmware() {
  if (!firmwareThread) return;
  firmwareThread->Terminate();
  firmwareThread->WaitFor();
  firmwareThread.reset();
}

int32_t HardwareRequest(HardwareState& board, uint8_t op, int32_t arg) {
  const int32_t result = Execute(board, op, arg);
  board.requestObserver.Notify(op, arg, result);
  return result;
}

