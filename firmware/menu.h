#pragma once
// Engineering menu: five pages of configuration edited with the front-panel keys.

#include <cstdint>

// Key inactivity that ends engineering mode: 300 s of 50 ms ticks.
constexpr uint16_t menuTimeoutTicks = 6000;
