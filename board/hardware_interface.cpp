#include "board/hardware_interface.h"

#include <cstdio>

#include "board/analogue.h"
#include "board/periodic_update.h"
#include "board/settings_file.h"

const std::array<uint8_t, 16> SegmentCodes = {0x84, 0x9F, 0xC8, 0x8A, 0x93, 0xA2, 0xA0, 0xF0,
                                              0x80, 0x82, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

const std::array<ZoneLedBits, 8> zoneLedBits = {{
    {25, 0x10, 0x20},
    {26, 0x01, 0x02},
    {26, 0x10, 0x20},
    {27, 0x01, 0x02},
    {27, 0x10, 0x20},
    {28, 0x01, 0x02},
    {28, 0x10, 0x20},
    {29, 0x01, 0x02},
}};

std::array<uint8_t, programImageSize> programImage{};
std::atomic<HardwareState*> boardInstance{nullptr};

namespace {

constexpr int nvImageSize = 256;
constexpr uint8_t nvErased = 0xFF;

struct ObserverSlot {
  RequestObserver observer = nullptr;
  void* context = nullptr;
};
ObserverSlot requestObserver;

// Where each common indicator of SET_STATUS_LEDS sits, and whether it is active low.
struct StatusLedBit {
  uint8_t port;
  uint8_t mask;
  bool activeLow;
};
constexpr std::array<StatusLedBit, 13> statusLedBits = {{
    {29, 0x20, false},  // Fire
    {24, ledFaultDark, true},
    {26, 0x04, false},  // Disabled
    {27, 0x04, false},  // Test
    {26, 0x40, false},  // Delay on
    {24, ledSystemFault, false},
    {28, 0x04, false},  // Earth fault
    {24, ledPsuFaultDark, true},
    {27, 0x40, false},  // Sounder fault/disabled
    {29, 0x10, false},  // Fire routing active
    {28, 0x40, false},  // Fire routing fault/disabled
    {29, 0x04, false},  // Fault routing fault/disabled
    {25, 0x40, false},  // Auxiliary fault
}};

// READ_KEYS sources, result bit 0 upwards.
struct KeySource {
  uint8_t port;
  uint8_t mask;
};
constexpr std::array<KeySource, 8> keySources = {{
    {25, matrixKeyLow},
    {25, matrixKeyHigh},
    {portSystemInputs, sysResetKey},
    {26, matrixKeyLow},
    {26, matrixKeyHigh},
    {27, matrixKeyLow},
    {27, matrixKeyHigh},
    {28, matrixKeyLow},
}};

// SET_RELAYS argument bits, from bit 0 upwards.
constexpr std::array<KeySource, 5> relayTargets = {{
    {portLedsRelays, relay1Bit},
    {portLedsRelays, relay2Bit},
    {portTens, vdsRelayBit},
    {portHundreds, vdsRelayBit},
    {portUnits, vdsRelayBit},
}};

int32_t Bit(bool on) { return on ? 1 : 0; }

bool TakeFlag(HardwareState& board, int index) {
  return board.port[index].exchange(0, std::memory_order_relaxed) != 0;
}

void SetCounterDigits(HardwareState& board, int32_t arg) {
  const int digitPorts[3] = {portUnits, portTens, portHundreds};
  for (int i = 0; i < 3; ++i) {
    const uint8_t code = SegmentCodes[(arg >> (4 * i)) & 0x0F];
    // (port OR 0x7F) AND code keeps bit 7 and replaces the segments.
    board.WritePortMasked(digitPorts[i], segmentMask, code);
  }
}

// Zone LED bits from a zone bitmap, one matrix byte at a time.
void SetZoneLeds(HardwareState& board, uint8_t zones, bool fire) {
  for (int port = portMatrixFirst; port <= portMatrixLast; ++port) {
    uint8_t mask = 0, bits = 0;
    for (int zone = 0; zone < 8; ++zone) {
      if (zoneLedBits[zone].port != port) continue;
      const uint8_t bit = fire ? zoneLedBits[zone].fire : zoneLedBits[zone].fault;
      mask |= bit;
      if (zones & (1u << zone)) bits |= bit;
    }
    if (mask) board.WritePortMasked(port, mask, bits);
  }
}

void SetStatusLeds(HardwareState& board, int32_t arg) {
  for (size_t i = 0; i < statusLedBits.size(); ++i) {
    const StatusLedBit& led = statusLedBits[i];
    const bool argBit = (arg >> i) & 1;
    board.AssignPortBits(led.port, led.mask, argBit != led.activeLow);
  }
}

int32_t ReadKeys(const HardwareState& board) {
  int32_t keys = 0;
  for (size_t i = 0; i < keySources.size(); ++i) {
    if (board.Port(keySources[i].port) & keySources[i].mask) keys |= 1 << i;
  }
  return keys;
}

void SetRelays(HardwareState& board, uint8_t index) {
  for (size_t i = 0; i < relayTargets.size(); ++i) {
    board.AssignPortBits(relayTargets[i].port, relayTargets[i].mask, (index >> i) & 1);
  }
}

int32_t Execute(HardwareState& board, uint8_t op, int32_t arg) {
  const uint8_t index = arg & 0xFF;
  const uint8_t value = (arg >> 8) & 0xFF;
  switch (op) {
    case WATCHDOG_SERVICE:
    case WATCHDOG_SERVICE_ALT: return Bit(periodicUpdate.ServiceWatchdog());
    case READ_RUN_COUNTER: return periodicUpdate.runCounter.load(std::memory_order_relaxed);
    case NO_OPERATION: return 0;
    case TAKE_TICK_50MS: return Bit(TakeFlag(board, portTick50ms));
    case WRITE_PORT:
      if (index < portCount) board.StorePort(index, value);
      return 0;
    case READ_PORT: return index < portCount ? board.Port(index) : 0;
    case TAKE_TICK_20MS: return Bit(TakeFlag(board, portTick20ms));
    case READ_NV_BYTE: return uint8_t(~board.nvImage[index]);
    case WRITE_NV_BYTE: board.nvImage[index] = uint8_t(~value); return 0;
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
    case READ_SYSTEM_INPUTS: return board.Port(portSystemInputs) & 0x1F;
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
    case READ_VDS_MODE: return Bit(board.Port(28) & port28VdsLink);
    case SET_RELAY_TEST: board.StorePort(portRelayTest, index); return 0;
    default: return 0;
  }
}

}  // namespace

int32_t ZoneCount(const HardwareState& board) {
  const uint8_t links = board.Port(29);
  if (links & port29EightZoneLink) return 8;
  if (links & port29FourZoneLink) return 4;
  return 2;
}

void HardwareState::WritePortMasked(int index, uint8_t mask, uint8_t bits) {
  uint8_t old = port[index].load(std::memory_order_relaxed);
  while (!port[index].compare_exchange_weak(old, uint8_t((old & ~mask) | (bits & mask)),
                                            std::memory_order_relaxed)) {
  }
}

HardwareState::HardwareState(FirmwareThreadFactory makeFirmwareThread) {
  programImage.fill(0);
  nvSize = nvImageSize;
  nvImage = std::make_unique<uint8_t[]>(nvSize);
  std::fill_n(nvImage.get(), nvSize, nvErased);
  StorePort(portRelayTest, 0);
  LoadNvImage(nvImage.get(), nvSize);
  StorePort(portTick50ms, 0);
  StorePort(portTick20ms, 0);
  for (int i = 0; i <= portMatrixLast; ++i) StorePort(i, 0);
  SetCounterDigits(*this, 0xFFFF);
  SetPortBits(portLedsRelays, ledFaultDark | ledPsuFaultDark);
  for (int i : {portBuzzer, portZoneSelect, portZoneReset, portBuzzerChirp, portSounderSupply}) StorePort(i, 0);
  if (makeFirmwareThread) firmwareThread = makeFirmwareThread();
}

HardwareState::~HardwareState() {
  StopFirmware();
  StageNvImage(nvImage.get(), nvSize, !windowPartFollows);
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

int32_t HardwareRequest(uint8_t op, int32_t arg) {
  HardwareState* board = boardInstance.load(std::memory_order_acquire);
  const int32_t result = board ? Execute(*board, op, arg) : 0;
  if (requestObserver.observer) requestObserver.observer(op, arg, result, requestObserver.context);
  return result;
}

void SetRequestObserver(RequestObserver observer, void* context) {
  requestObserver = {observer, context};
}

void ResetBoardGlobals() {
  boardInstance.store(nullptr);
  requestObserver = {};
  programImage.fill(0);
  ResetPeriodicUpdate();
}
