#include "firmware/firmware.h"

#include "firmware/panel_state.h"

namespace {

// flashTimer fields beyond the flash bits the readers use.
constexpr uint8_t fastCountMask = 0x03;
constexpr uint8_t slowCountMask = 0x0C;
constexpr uint8_t slowCountStep = 0x04;
constexpr uint8_t halfStep = 0x40;
constexpr uint8_t stepMarker = 0x80;

// flashTimer2: seconds counted 0..4, then 10 s steps counted 0..31.
constexpr uint8_t secondsMask = 0x07;
constexpr uint8_t secondsPerPulse = 5;
constexpr uint8_t tenSecondMask = 0xF8;
constexpr uint8_t tenSecondStep = 0x08;
constexpr uint8_t longPulseAtTenSeconds = 30;

}  // namespace

uint8_t Firmware::Increment(uint8_t value, uint8_t mask, uint8_t step) {
  return uint8_t((value & ~mask) | ((value + step) & mask));
}

// Every 10 s: counts towards the long pulse.
void Firmware::TenSecondStep() {
  panel.flashTimer2 = Increment(panel.flashTimer2, tenSecondMask, tenSecondStep);
  if ((panel.flashTimer2 & tenSecondMask) / tenSecondStep == longPulseAtTenSeconds) {
    panel.flashTimer |= pulseEvery320s;
  }
}

// Every rising edge of the 1 Hz bit: counts towards the 5 s pulse.
void Firmware::SecondStep() {
  panel.flashTimer2 = Increment(panel.flashTimer2, secondsMask, 1);
  if ((panel.flashTimer2 & secondsMask) != secondsPerPulse) return;
  panel.flashTimer2 &= ~secondsMask;
  panel.flashTimer |= pulseEvery5s;
  if (panel.flashTimer & flash1s) TenSecondStep();
}

void Firmware::SlowStep() {
  panel.flashTimer |= stepMarker;
  panel.flashTimer &= ~(pulseEvery5s | pulseEvery320s);
  panel.flashTimer = Increment(panel.flashTimer, slowCountMask, slowCountStep);
  if (panel.flashTimer & flash500ms) SecondStep();
}

void Firmware::FlashTimerTask() {
  if (panel.flashTimer & halfStep) {
    panel.flashTimer &= ~halfStep;
    return;
  }
  panel.flashTimer |= halfStep;
  panel.flashTimer = Increment(panel.flashTimer, fastCountMask, 1);
  const uint8_t fast = panel.flashTimer & fastCountMask;
  if (fast != (panel.flashTimer & slowCountMask) / slowCountStep) return;
  if (panel.flashTimer & stepMarker) {
    panel.flashTimer &= ~stepMarker;
    return;
  }
  SlowStep();
}
