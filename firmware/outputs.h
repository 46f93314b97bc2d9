#pragma once
// Sounder and routing outputs with their line monitoring.

#include <cstdint>

// Outputs as the firmware numbers them: sounder circuits 0 and 1, relays 2
// and 3, and the transmission device relay of VdS mode.
constexpr uint8_t outputSounder1 = 0;
constexpr uint8_t outputSounder2 = 1;
constexpr uint8_t outputRelay1 = 2;
constexpr uint8_t outputRelay2 = 3;
constexpr uint8_t outputTransmissionDevice = 4;

// relayBoardState: low nibble the detection step, high nibble the kind.
constexpr uint8_t relayBoardStepMask = 0x0F;
constexpr uint8_t relayBoardKindShift = 4;
constexpr uint8_t relayBoardMonitored = 0;
constexpr uint8_t relayBoardUnmonitored = 1;
constexpr uint8_t relayBoardAbsent = 2;
