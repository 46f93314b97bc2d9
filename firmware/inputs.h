#pragma once
// The two programmable digital inputs.

#include <cstdint>

// Input functions, configuration bytes 13 and 14; a value above 6 does nothing.
constexpr uint8_t inputFunctionEvacuate = 0;
constexpr uint8_t inputFunctionAlert = 1;
constexpr uint8_t inputFunctionStartSounders = 2;
constexpr uint8_t inputFunctionDelaysOnOff = 3;
constexpr uint8_t inputFunctionRemoteReset = 4;
constexpr uint8_t inputFunctionRoutingAck = 5;
constexpr uint8_t inputFunctionRoutingFault = 6;

// Two-bit debounce states.
constexpr uint8_t inputInactive = 0;
constexpr uint8_t inputActiveOnce = 1;
constexpr uint8_t inputInactiveOnce = 2;
constexpr uint8_t inputActive = 3;

// What a sample did to an input's debounced state.
enum class Edge : uint8_t { None, Activation, Deactivation };
