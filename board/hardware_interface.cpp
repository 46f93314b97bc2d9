#include "board/hardware_interface.h"

#include <algorithm>
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

// Every LED that a zone bitmap or the status argument sets, by its value;
// the masks, all of those LEDs' bits, are constants: a write is a look-up.
using MatrixBits = PortBits<portMatrixFirst, portMatrixLast - portMatrixFirst + 1>;
constexpr int zoneBitmaps = 256;

constexpr MatrixBits ZoneLeds(unsigned zones, bool fire) {
  MatrixBits leds;
  for (size_t zone = 0; zone < zoneLedBits.size(); ++zone) {
    const ZoneLedBits& at = zoneLedBits[zone];
    leds.Assign({at.port, fire ? at.fire : at.fault}, (zones >> zone) & 1);
  }
  return leds;
}

constexpr std::array<uint64_t, zoneBitmaps> ZoneLedTable(bool fire) {
  std::array<uint64_t, zoneBitmaps> table{};
  for (unsigned zones = 0; zones < zoneBitmaps; ++zones) table[zones] = ZoneLeds(zones, fire).bits;
  return table;
}
constexpr uint64_t zoneFireMasks = ZoneLeds(0, true).masks;
constexpr uint64_t zoneFaultMasks = ZoneLeds(0, false).masks;
constexpr std::array<uint64_t, zoneBitmaps> zoneFireLeds = ZoneLedTable(true);
constexpr std::array<uint64_t, zoneBitmaps> zoneFaultLeds = ZoneLedTable(false);

void SetZoneFireLeds(HardwareState& board, uint8_t zones) { MatrixBits::Write(board, zoneFireMasks, zoneFireLeds[zones]); }
void SetZoneFaultLeds(HardwareState& board, uint8_t zones) { MatrixBits::Write(board, zoneFaultMasks, zoneFaultLeds[zones]); }

// The status LEDs by the argument's low byte and by its high bits, the active
// low ones lit where their bit is clear.
using StatusBits = PortBits<portLedsRelays, portMatrixLast - portLedsRelays + 1>;
constexpr int statusLowBits = 8;
constexpr int statusHighBits = int(statusLedBits.size()) - statusLowBits;

constexpr StatusBits StatusLeds(unsigned arg, size_t from, int count) {
  StatusBits leds;
  for (size_t i = from; i < from + size_t(count); ++i) {
    const StatusLedBit& led = statusLedBits[i];
    leds.Assign(led.at, (((arg >> (i - from)) & 1) != 0) != led.activeLow);
  }
  return leds;
}

template <int count>
constexpr std::array<uint64_t, 1 << count> StatusLedTable(size_t from) {
  std::array<uint64_t, 1 << count> table{};
  for (unsigned arg = 0; arg < table.size(); ++arg) table[arg] = StatusLeds(arg, from, count).bits;
  return table;
}
constexpr uint64_t statusMasks = StatusLeds(0, 0, statusLowBits).masks | StatusLeds(0, statusLowBits, statusHighBits).masks;
constexpr auto statusLowLeds = StatusLedTable<statusLowBits>(0);
constexpr auto statusHighLeds = StatusLedTable<statusHighBits>(statusLowBits);

void SetStatusLeds(HardwareState& board, int32_t arg) {
  const uint64_t low = statusLowLeds[size_t(arg) & (statusLowLeds.size() - 1)];
  const uint64_t high = statusHighLeds[size_t(arg >> statusLowBits) & (statusHighLeds.size() - 1)];
  StatusBits::Write(board, statusMasks, low | high);
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

using RelayBits = PortBits<portHundreds, portLedsRelays - portHundreds + 1>;
static_assert(AllHeld<RelayBits>(relayTargets, [](BoardBit bit) { return bit; }), "the relays lie in the ports written together");

void SetRelays(HardwareState& board, uint8_t index) {
  RelayBits relays;
  for (size_t i = 0; i < relayTargets.size(); ++i) relays.Assign(relayTargets[i], (index >> i) & 1);
  relays.WriteTo(board);
}

// One handler per operation: a request is one indexed call. The low byte of
// the argument is a port, address or value; the next byte a value to store.
using Handler = int32_t (*)(HardwareState& board, int32_t arg);

constexpr uint8_t Index(int32_t arg) { return static_cast<uint8_t>(arg); }
constexpr uint8_t Value(int32_t arg) { return static_cast<uint8_t>(arg >> 8); }

// Stores the argument's low byte in the port, for the requests that only do that.
template <int port>
int32_t StoreIndex(HardwareState& board, int32_t arg) {
  board.StorePort(port, Index(arg));
  return 0;
}

template <int port>
int32_t ReadWhole(HardwareState& board, int32_t) {
  return board.Port(port);
}

// The table, and which operations were given a handler.
struct HandlerTable {
  std::array<Handler, hardwareOpCount> handlers{};
  std::array<bool, hardwareOpCount> given{};
  constexpr void Give(HardwareOp op, Handler handler) {
    handlers[op] = handler;
    given[op] = true;
  }
};

int32_t ServiceWatchdog(HardwareState& board, int32_t) { return Bit(board.periodicUpdate.ServiceWatchdog()); }

constexpr HandlerTable Handlers() {
  HandlerTable table;
  table.Give(WATCHDOG_SERVICE, ServiceWatchdog);
  table.Give(WATCHDOG_SERVICE_ALT, ServiceWatchdog);
  table.Give(READ_RUN_COUNTER, [](HardwareState& board, int32_t) -> int32_t {
    return board.periodicUpdate.runCounter.load(std::memory_order_relaxed);
  });
  table.Give(NO_OPERATION, [](HardwareState&, int32_t) -> int32_t { return 0; });
  table.Give(TAKE_TICK_50MS, [](HardwareState& board, int32_t) { return Bit(TakeFlag(board, portTick50ms)); });
  table.Give(WRITE_PORT, [](HardwareState& board, int32_t arg) -> int32_t {
    if (Index(arg) < portCount) board.StorePort(Index(arg), Value(arg));
    return 0;
  });
  table.Give(READ_PORT, [](HardwareState& board, int32_t arg) -> int32_t {
    return Index(arg) < portCount ? board.Port(Index(arg)) : 0;
  });
  table.Give(TAKE_TICK_20MS, [](HardwareState& board, int32_t) { return Bit(TakeFlag(board, portTick20ms)); });
  table.Give(READ_NV_BYTE, [](HardwareState& board, int32_t arg) -> int32_t { return uint8_t(~board.NvByte(Index(arg))); });
  table.Give(WRITE_NV_BYTE, [](HardwareState& board, int32_t arg) -> int32_t {
    board.SetNvByte(Index(arg), uint8_t(~Value(arg)));
    return 0;
  });
  table.Give(READ_ANALOGUE_EOL, [](HardwareState& board, int32_t arg) -> int32_t { return ReadAnalogueChannel(board, Index(arg), true); });
  table.Give(READ_ANALOGUE, [](HardwareState& board, int32_t arg) -> int32_t { return ReadAnalogueChannel(board, Index(arg), false); });
  table.Give(SET_COUNTER_DIGITS, [](HardwareState& board, int32_t arg) -> int32_t {
    SetCounterDigits(board, arg);
    return 0;
  });
  table.Give(READ_KEYS, [](HardwareState& board, int32_t) { return ReadKeys(board); });
  table.Give(READ_KEYSWITCH, [](HardwareState& board, int32_t) { return Bit(board.Port(portSystemInputs) & sysKeyswitch); });
  table.Give(READ_COVER_SWITCH, [](HardwareState& board, int32_t) { return Bit(board.Port(portSystemInputs) & sysCoverSwitch); });
  table.Give(SET_ZONE_FAULT_LEDS, [](HardwareState& board, int32_t arg) -> int32_t {
    SetZoneFaultLeds(board, Index(arg));
    return 0;
  });
  table.Give(SET_ZONE_FIRE_LEDS, [](HardwareState& board, int32_t arg) -> int32_t {
    SetZoneFireLeds(board, Index(arg));
    return 0;
  });
  table.Give(SET_STATUS_LEDS, [](HardwareState& board, int32_t arg) -> int32_t {
    SetStatusLeds(board, arg);
    return 0;
  });
  table.Give(SET_BUZZER, [](HardwareState& board, int32_t arg) -> int32_t {
    board.StorePort(portBuzzer, Index(arg) ? 1 : 0);
    return 0;
  });
  table.Give(BUZZER_CHIRP, [](HardwareState& board, int32_t) -> int32_t {
    board.StorePort(portBuzzerChirp, 1);
    return 0;
  });
  table.Give(READ_FWP_INPUTS, ReadWhole<portFwpInputs>);
  table.Give(READ_ZONE_COUNT, [](HardwareState& board, int32_t) { return ZoneCount(board); });
  table.Give(READ_SYSTEM_INPUTS, [](HardwareState& board, int32_t) -> int32_t {
    return board.Port(portSystemInputs) & sysInputsRead;
  });
  table.Give(READ_MONITOR_INPUTS, ReadWhole<portMonitorInputs>);
  table.Give(SET_POWER_OUTPUTS, StoreIndex<portPowerOutputs>);
  table.Give(SET_FWP_OUTPUTS, StoreIndex<portFwpOutputs>);
  table.Give(SET_RELAYS, [](HardwareState& board, int32_t arg) -> int32_t {
    SetRelays(board, Index(arg));
    return 0;
  });
  table.Give(SELECT_ZONE_LINES, StoreIndex<portZoneSelect>);
  table.Give(SET_ZONE_RESET, StoreIndex<portZoneReset>);
  table.Give(SET_SOUNDER_SUPPLY, StoreIndex<portSounderSupply>);
  table.Give(READ_POWER_OUTPUTS, ReadWhole<portPowerOutputs>);
  table.Give(ECHO, [](HardwareState&, int32_t arg) { return arg; });
  table.Give(SET_EARTH_LEVEL, [](HardwareState& board, int32_t arg) -> int32_t {
    board.WritePortMasked(portLedsRelays, earthLevelHigh | earthLevelLow, Index(arg) ? earthLevelHigh : earthLevelLow);
    return 0;
  });
  table.Give(READ_VDS_MODE, [](HardwareState& board, int32_t) { return Bit(board.IsSet(vdsLinkAt)); });
  table.Give(SET_RELAY_TEST, StoreIndex<portRelayTest>);
  return table;
}

constexpr HandlerTable handlerTable = Handlers();
constexpr const std::array<Handler, hardwareOpCount>& handlers = handlerTable.handlers;

// Told from the operations given, not the handlers' addresses, which are no
// constants under the address sanitizer.
constexpr bool EveryOpHandled() {
  for (bool given : handlerTable.given) {
    if (!given) return false;
  }
  return true;
}
static_assert(EveryOpHandled(), "every operation needs its handler");

}  // namespace

int32_t ZoneCount(const HardwareState& board) {
  const uint8_t links = board.Port(portMatrix29);
  if (links & port29EightZoneLink) return 8;
  if (links & port29FourZoneLink) return 4;
  return 2;
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

bool PassFindsNothing(const HardwareState& board) {
  return board.Port(portTick20ms) == 0 && board.Port(portTick50ms) == 0 && !board.periodicUpdate.WatchdogServiceDue() &&
         !board.requestObserver.Watched();
}

namespace {

// Out of line, so that the unwatched request is a plain jump to its handler.
[[gnu::noinline]] int32_t WatchedRequest(HardwareState& board, Handler handler, uint8_t op, int32_t arg) {
  const int32_t result = handler(board, arg);
  board.requestObserver.Notify(op, arg, result);
  return result;
}

}  // namespace

// Unknown operations answer 0.
int32_t HardwareRequest(HardwareState& board, uint8_t op, int32_t arg) {
  const Handler handler = op < hardwareOpCount ? handlers[op] : handlers[NO_OPERATION];
  if (board.requestObserver.Watched()) return WatchedRequest(board, handler, op, arg);
  return handler(board, arg);
}

