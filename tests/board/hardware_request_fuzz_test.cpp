// Every operation number with random arguments against a model of the
// operation table: each call's result, and every port, non-volatile byte and
// watchdog count it may and may not change, from whatever state it meets.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <random>

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "tests/support/test_board.h"

namespace {

struct Snapshot {
  std::array<uint8_t, portCount> port{};
  std::array<uint8_t, 256> nv{};  // as stored, complemented
  int32_t watchdogPeriods = 0;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const HardwareState& board) {
  Snapshot s;
  for (int i = 0; i < portCount; ++i) s.port[i] = board.Port(i);
  for (int i = 0; i < 256; ++i) s.nv[i] = board.nvImage[i];
  s.watchdogPeriods = board.periodicUpdate.watchdogPeriods.load();
  return s;
}

struct PortBit {
  uint8_t port;
  uint8_t mask;
};

// The board's wiring as the operation table states it.
constexpr PortBit zoneFault[8] = {{25, 0x10}, {26, 0x01}, {26, 0x10}, {27, 0x01},
                                  {27, 0x10}, {28, 0x01}, {28, 0x10}, {29, 0x01}};
constexpr PortBit zoneFire[8] = {{25, 0x20}, {26, 0x02}, {26, 0x20}, {27, 0x02},
                                 {27, 0x20}, {28, 0x02}, {28, 0x20}, {29, 0x02}};
constexpr PortBit statusLeds[13] = {{29, 0x20}, {24, 0x08}, {26, 0x04}, {27, 0x04}, {26, 0x40},
                                    {24, 0x01}, {28, 0x04}, {24, 0x10}, {27, 0x40}, {29, 0x10},
                                    {28, 0x40}, {29, 0x04}, {25, 0x40}};
constexpr uint16_t activeLowStatus = 0x0082;
constexpr PortBit keys[8] = {{25, 0x08}, {25, 0x80}, {0, 0x40}, {26, 0x08},
                             {26, 0x80}, {27, 0x08}, {27, 0x80}, {28, 0x08}};
constexpr PortBit relays[5] = {{24, 0x02}, {24, 0x04}, {22, 0x80}, {21, 0x80}, {23, 0x80}};
constexpr uint8_t segments[16] = {0x84, 0x9F, 0xC8, 0x8A, 0x93, 0xA2, 0xA0, 0xF0,
                                  0x80, 0x82, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// Reads of a port, whole or one bit.
struct PortRead {
  uint8_t op;
  uint8_t port;
  uint8_t mask;  // 0xFF: the byte (masked by 0x1F for op 23); else a single bit
};
constexpr PortRead portReads[] = {{21, 1, 0xFF}, {24, 2, 0xFF}, {31, 19, 0xFF}, {14, 0, 0x20},
                                  {15, 0, 0x80}, {34, 28, 0x80}};

// Writes of the argument's low byte into a port.
struct PortStore {
  uint8_t op;
  uint8_t port;
};
constexpr PortStore portStores[] = {{25, 19}, {26, 20}, {28, 31}, {29, 32}, {30, 37}, {35, 30}};

void Assign(Snapshot& s, PortBit bit, bool on) {
  s.port[bit.port] = uint8_t(on ? s.port[bit.port] | bit.mask : s.port[bit.port] & ~bit.mask);
}

int32_t TakeFlag(Snapshot& s, int port) {
  const int32_t was = s.port[port] != 0;
  s.port[port] = 0;
  return was;
}

// What the table says the call returns, changing s into what it leaves; no
// result for analogue readings, only range-checked (their values are tested elsewhere).
std::optional<int32_t> Model(Snapshot& s, uint8_t op, int32_t arg, uint16_t runCounter) {
  const uint8_t index = arg & 0xFF;
  const uint8_t value = (arg >> 8) & 0xFF;
  for (const PortRead& read : portReads) {
    if (read.op == op) return read.mask == 0xFF ? s.port[read.port] : int32_t((s.port[read.port] & read.mask) != 0);
  }
  for (const PortStore& store : portStores) {
    if (store.op == op) {
      s.port[store.port] = index;
      return 0;
    }
  }
  switch (op) {
    case 0:
    case 1:
      if (s.watchdogPeriods * 100 <= 1198) return 0;
      s.watchdogPeriods = 0;
      return 1;
    case 2: return runCounter;
    case 4: return TakeFlag(s, 33);
    case 5:
      if (index < portCount) s.port[index] = value;
      return 0;
    case 6: return index < portCount ? s.port[index] : 0;
    case 7: return TakeFlag(s, 34);
    case 8: return uint8_t(~s.nv[index]);
    case 9: s.nv[index] = uint8_t(~value); return 0;
    case 10: s.port[32] = 0; return std::nullopt;
    case 11: return std::nullopt;
    case 12:
      for (int digit = 0; digit < 3; ++digit) {
        uint8_t& port = s.port[23 - digit];
        port = uint8_t((port | 0x7F) & segments[(arg >> (4 * digit)) & 0x0F]);
      }
      return 0;
    case 13: {
      int32_t result = 0;
      for (int i = 0; i < 8; ++i) result |= int32_t((s.port[keys[i].port] & keys[i].mask) != 0) << i;
      return result;
    }
    case 16:
    case 17:
      for (int zone = 0; zone < 8; ++zone) Assign(s, (op == 16 ? zoneFault : zoneFire)[zone], (index >> zone) & 1);
      return 0;
    case 18:
      for (int i = 0; i < 13; ++i) Assign(s, statusLeds[i], ((arg >> i) & 1) != ((activeLowStatus >> i) & 1));
      return 0;
    case 19: s.port[35] = index ? 1 : 0; return 0;
    case 20: s.port[36] = 1; return 0;
    case 22: return (s.port[29] & 0x80) ? 8 : (s.port[29] & 0x08) ? 4 : 2;
    case 23: return s.port[0] & 0x1F;
    case 27:
      for (int i = 0; i < 5; ++i) Assign(s, relays[i], (index >> i) & 1);
      return 0;
    case 32: return arg;
    case 33:
      Assign(s, {24, 0x20}, index != 0);
      Assign(s, {24, 0x40}, index == 0);
      return 0;
    default: return 0;  // 3, and every number outside the table
  }
}

class HardwareRequestFuzz : public ::testing::Test {
 protected:
  // Random state for the call to meet: ports, flags, watchdog count, run counter.
  void Scramble() {
    for (int i = 0; i < 4; ++i) t.board().StorePort(int(rng() % portCount), uint8_t(rng()));
    periodicUpdate.watchdogPeriods.store(int32_t(rng() % 30));
    periodicUpdate.runCounter.store(uint16_t(rng()));
  }

  int32_t RandomArg() {
    switch (rng() % 4) {
      case 0: return int32_t(rng() & 0xFFFF);  // value * 256 + index
      case 1: return int32_t(rng() & 0xFF);
      default: return int32_t(rng());  // any 32 bits, negative included
    }
  }

  void CheckCall(uint8_t op, int32_t arg) {
    Snapshot expected = Take(t.board());
    const std::optional<int32_t> modelled = Model(expected, op, arg, periodicUpdate.runCounter.load());
    const int32_t result = HardwareRequest(op, arg);
    if (!modelled) {
      ASSERT_GE(result, 0) << "op " << int(op) << " arg " << arg;
      ASSERT_LE(result, 1023) << "op " << int(op) << " arg " << arg;
    } else {
      ASSERT_EQ(result, *modelled) << "op " << int(op) << " arg " << arg;
    }
    const Snapshot after = Take(t.board());
    ASSERT_EQ(after.port, expected.port) << "op " << int(op) << " arg " << arg;
    ASSERT_EQ(after.nv, expected.nv) << "op " << int(op) << " arg " << arg;
    ASSERT_EQ(after.watchdogPeriods, expected.watchdogPeriods) << "op " << int(op) << " arg " << arg;
  }

  TestBoard t;
  PeriodicUpdate& periodicUpdate = t.periodicUpdate;
  std::mt19937 rng{20260807};
};

TEST_F(HardwareRequestFuzz, EveryOperationNumberWithRandomArguments) {
  for (int op = 0; op < 256; ++op) {
    for (int i = 0; i < 200; ++i) {
      Scramble();
      ASSERT_NO_FATAL_FAILURE(CheckCall(uint8_t(op), RandomArg()));
    }
  }
}

TEST_F(HardwareRequestFuzz, AMillionRandomCallsKeepTheTable) {
  for (int i = 0; i < 1000000; ++i) {
    if (i % 8 == 0) Scramble();
    // Half of the calls inside the table, half anywhere.
    const uint8_t op = uint8_t(i & 1 ? rng() % hardwareOpCount : rng());
    ASSERT_NO_FATAL_FAILURE(CheckCall(op, RandomArg()));
  }
}

}  // namespace
