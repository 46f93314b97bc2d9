#pragma once
// The fire brigade peripheral: its commands, its indicators and its link.

#include <cstdint>

struct FireBrigadeState {
  // Ticks to the next poll; 2 while the unit is not polled.
  uint8_t fwpPollTimer = 2;
  // The command byte of the previous tick.
  uint8_t fwpLastCommand = 0;
};

// Command byte: the switch byte inverted, 1 = operated.
constexpr uint8_t fwpTestTd = 0x01;
constexpr uint8_t fwpFireControlDisabled = 0x02;
constexpr uint8_t fwpResetPanel = 0x04;
constexpr uint8_t fwpSounderDisabled = 0x08;
constexpr uint8_t fwpTdDisabled = 0x10;
// Raw switch byte: the unit reports a faulty link.
constexpr uint8_t fwpLinkFaultInput = 0x20;

// Indicators.
constexpr uint8_t fwpLedTdDisabled = 0x01;
constexpr uint8_t fwpLedResetPanel = 0x02;
constexpr uint8_t fwpLedSounderDisabled = 0x04;
constexpr uint8_t fwpLedTdTriggered = 0x10;
constexpr uint8_t fwpLedOperating = 0x40;  // the unit is supplied

constexpr uint8_t fwpPollIdle = 2;
// After a link fault: 200 ticks (10 s) off, one tick on unsent, then a poll.
constexpr uint8_t fwpRetryTicks = 202;
constexpr uint8_t fwpRetriesToLatch = 3;
