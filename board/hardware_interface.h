#pragma once
// The simulated circuit board: its port bytes, its non-volatile memory and the
// one request interface through which the firmware reaches it.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "board/index.h"
#include "board/ports.h"
#include "board/settings_file.h"
#include "board/worker_thread.h"

// ---- Operations -----------------------------------------------------------
enum HardwareOp : uint8_t {
  WATCHDOG_SERVICE = 0,
  WATCHDOG_SERVICE_ALT = 1,
  READ_RUN_COUNTER = 2,
  NO_OPERATION = 3,
  TAKE_TICK_50MS = 4,
  WRITE_PORT = 5,
  READ_PORT = 6,
  TAKE_TICK_20MS = 7,
  READ_NV_BYTE = 8,
  WRITE_NV_BYTE = 9,
  READ_ANALOGUE_EOL = 10,
  READ_ANALOGUE = 11,
  SET_COUNTER_DIGITS = 12,
  READ_KEYS = 13,
  READ_KEYSWITCH = 14,
  READ_COVER_SWITCH = 15,
  SET_ZONE_FAULT_LEDS = 16,
  SET_ZONE_FIRE_LEDS = 17,
  SET_STATUS_LEDS = 18,
  SET_BUZZER = 19,
  BUZZER_CHIRP = 20,
  READ_FWP_INPUTS = 21,
  READ_ZONE_COUNT = 22,
  READ_SYSTEM_INPUTS = 23,
  READ_MONITOR_INPUTS = 24,
  SET_POWER_OUTPUTS = 25,
  SET_FWP_OUTPUTS = 26,
  SET_RELAYS = 27,
  SELECT_ZONE_LINES = 28,
  SET_ZONE_RESET = 29,
  SET_SOUNDER_SUPPLY = 30,
  READ_POWER_OUTPUTS = 31,
  ECHO = 32,
  SET_EARTH_LEVEL = 33,
  READ_VDS_MODE = 34,
  SET_RELAY_TEST = 35,
};
constexpr int hardwareOpCount = 36;

// READ_KEYS result bits.
constexpr uint8_t keyAccept = 0x01;
constexpr uint8_t keySoundersStartStop = 0x02;
constexpr uint8_t keyReset = 0x04;
constexpr uint8_t keyBuzzerMute = 0x08;
constexpr uint8_t keyDelayOnOff = 0x10;
constexpr uint8_t keyItemSelect = 0x20;
constexpr uint8_t keyDisableTestNormal = 0x40;
constexpr uint8_t keyLampTest = 0x80;

// SET_STATUS_LEDS argument bits.
constexpr uint16_t statusFire = 0x0001;
constexpr uint16_t statusFault = 0x0002;
constexpr uint16_t statusDisabled = 0x0004;
constexpr uint16_t statusTest = 0x0008;
constexpr uint16_t statusDelayOn = 0x0010;
constexpr uint16_t statusSystemFault = 0x0020;
constexpr uint16_t statusEarthFault = 0x0040;
constexpr uint16_t statusPsuFault = 0x0080;
constexpr uint16_t statusSounderFaultDisabled = 0x0100;
constexpr uint16_t statusFireRoutingActive = 0x0200;
constexpr uint16_t statusFireRoutingFaultDisabled = 0x0400;
constexpr uint16_t statusFaultRoutingFaultDisabled = 0x0800;
constexpr uint16_t statusAuxiliaryFault = 0x1000;

// SET_RELAYS argument bits.
constexpr uint8_t relayArg1 = 0x01;
constexpr uint8_t relayArg2 = 0x02;
constexpr uint8_t relayArgFireOutputDisabled = 0x04;
constexpr uint8_t relayArgFireOutputActive = 0x08;
constexpr uint8_t relayArgTransmissionDevice = 0x10;

// Seven-segment codes by BCD value; a 0 bit lights a segment, bit 7 always 1.
extern const std::array<uint8_t, 16> SegmentCodes;
constexpr uint8_t segmentCodeHighBit = 0x80;

// The size of the firmware's program memory.
constexpr int programImageSize = 16384;

class AnalogueSource;
class PeriodicUpdate;

// Test and trace seam: called after every request to a board with its result.
// Any thread may set it at any time: observer and context change as one, so a
// request never pairs one observer with another's context, though a request
// already under way may still call the one being replaced.
using RequestObserver = void (*)(uint8_t op, int32_t arg, int32_t result, void* context);

// The observer and its context change as a pair while requests may be under
// way on another thread: a writer keeps the sequence odd while it stores them,
// and a reader retries until both loads fell inside one even sequence. Every
// request reads it, so reading takes no lock.
class RequestObserverSlot {
 public:
  void Set(RequestObserver observer, void* context) {
    const std::lock_guard<std::mutex> writing(writer_);
    ++sequence_;
    observer_ = observer;
    context_ = context;
    ++sequence_;
  }

  // Nearly always nobody watches; a request racing a first Set may miss it.
  bool Watched() const { return observer_.load(std::memory_order_relaxed) != nullptr; }

  void Notify(uint8_t op, int32_t arg, int32_t result) const {
    if (!Watched()) return;
    RequestObserver observer;
    void* context;
    uint32_t start;
    do {
      start = sequence_;
      observer = observer_;
      context = context_;
    } while ((start & 1) || sequence_ != start);
    if (observer) observer(op, arg, result, context);
  }

 private:
  std::mutex writer_;
  std::atomic<uint32_t> sequence_{0};
  std::atomic<RequestObserver> observer_{nullptr};
  std::atomic<void*> context_{nullptr};
};

class HardwareState {
 public:
  // The periodic update answers the watchdog and run counter requests; it
  // must outlive the board.
  // Its non-volatile memory is loaded from settingsFile and staged there as it goes.
  explicit HardwareState(PeriodicUpdate& periodicUpdate, SettingsFile settingsFile = SettingsFile());
  // Stops the firmware thread after its current pass, then saves nvImage.
  ~HardwareState();
  HardwareState(const HardwareState&) = delete;
  HardwareState& operator=(const HardwareState&) = delete;

  // Starts the firmware thread, if it was given one; call once the board is published.
  void StartFirmware();
  // Stops the firmware thread (idempotent); the destructor calls it first.
  void StopFirmware();

  // Indivisible byte changes, safe against the other thread's bits.
  uint8_t Port(int index) const { return At(port, index).load(std::memory_order_relaxed); }
  void StorePort(int index, uint8_t value) { At(port, index).store(value, std::memory_order_relaxed); }
  void SetPortBits(int index, uint8_t mask) { At(port, index).fetch_or(mask, std::memory_order_relaxed); }
  void ClearPortBits(int index, uint8_t mask) { At(port, index).fetch_and(uint8_t(~mask), std::memory_order_relaxed); }
  void AssignPortBits(int index, uint8_t mask, bool on) { on ? SetPortBits(index, mask) : ClearPortBits(index, mask); }
  void AssignPortBits(BoardBit bit, bool on) { AssignPortBits(bit.port, bit.mask, on); }
  bool IsSet(BoardBit bit) const { return Port(bit.port) & bit.mask; }
  // port := (port AND NOT mask) OR (bits AND mask), as one change. A port
  // that already holds the bits is left alone: most writes change nothing.
  void WritePortMasked(int index, uint8_t mask, uint8_t bits) {
    std::atomic<uint8_t>& held = At(port, index);
    uint8_t old = held.load(std::memory_order_relaxed);
    uint8_t next;
    do {
      next = uint8_t((old & ~mask) | (bits & mask));
      if (next == old) return;
    } while (!held.compare_exchange_weak(old, next, std::memory_order_relaxed));
  }

  // The non-volatile memory as it stands, read while the firmware may write
  // it (the autosave's copy).
  // The compiler's atomic built-ins, as the web build's library has no std::atomic_ref.
  uint8_t NvByte(int32_t index) const { return __atomic_load_n(&At(nvImage, index), __ATOMIC_RELAXED); }
  void SetNvByte(int32_t index, uint8_t value) {
    __atomic_store_n(&At(nvImage, index), value, __ATOMIC_RELAXED);
    nvWrites.fetch_add(1, std::memory_order_relaxed);
  }
  std::vector<uint8_t> SnapshotNvImage() const;

  PeriodicUpdate& periodicUpdate;
  const SettingsFile settingsFile;
  std::unique_ptr<WorkerThread> firmwareThread;
  std::unique_ptr<uint8_t[]> nvImage;
  std::array<std::atomic<uint8_t>, portCount> port{};
  // Per key, in READ_KEYS bit order: how many reads in a row have found it
  // pressed (saturating), so that a window can tell when the firmware has seen
  // a press. Written by the firmware's reads only.
  std::array<std::atomic<uint8_t>, 8> keyReadsPressed{};
  int32_t nvSize = 0;
  // Counts the firmware's writes, so that a watcher reads the memory only after one.
  std::atomic<uint32_t> nvWrites{0};
  // What the analogue channels read; null reads the window defaults.
  const AnalogueSource* analogueSource = nullptr;
  // Set by a window that completes the settings file after the board part.
  bool windowPartFollows = false;
  // Called after each request to this board; empty in a fresh one.
  RequestObserverSlot requestObserver;
};

// Bits of Span consecutive ports from First (eight at most), one byte a port,
// written together: each port once, and not at all when it already holds them.
template <int First, int Span>
struct PortBits {
  static_assert(Span > 0 && Span <= 8);
  static constexpr bool Holds(BoardBit bit) { return bit.port >= First && bit.port < First + Span; }
  static constexpr uint64_t Packed(BoardBit bit) { return uint64_t{bit.mask} << (8 * (bit.port - First)); }

  constexpr void Assign(BoardBit bit, bool on) {
    masks |= Packed(bit);
    if (on) bits |= Packed(bit);
  }
  // Unrolled: with masks known when compiled, the ports it leaves alone cost nothing.
  static void Write(HardwareState& board, uint64_t masks, uint64_t bits) {
    [&]<int... at>(std::integer_sequence<int, at...>) {
      (WritePort<at>(board, masks, bits), ...);
    }(std::make_integer_sequence<int, Span>{});
  }
  template <int at>
  static void WritePort(HardwareState& board, uint64_t masks, uint64_t bits) {
    const auto mask = uint8_t(masks >> (8 * at));
    if (mask) board.WritePortMasked(First + at, mask, uint8_t(bits >> (8 * at)));
  }
  void WriteTo(HardwareState& board) const { Write(board, masks, bits); }

  uint64_t masks = 0;
  uint64_t bits = 0;
};

// Whether the bit of every entry of the table lies in the ports Bits holds.
template <typename Bits, typename Table, typename BitOf>
constexpr bool AllHeld(const Table& table, BitOf bitOf) {
  for (const auto& entry : table) {
    if (!Bits::Holds(bitOf(entry))) return false;
  }
  return true;
}

// Whether a firmware pass now would find neither tick flag nor a watchdog due
// for service, with no one watching requests: such a pass changes nothing.
bool PassFindsNothing(const HardwareState& board);

// 8, 4 or 2 by the zone-count links.
int32_t ZoneCount(const HardwareState& board);

// A request to the given board: the firmware's only way to it.
int32_t HardwareRequest(HardwareState& board, uint8_t op, int32_t arg);

