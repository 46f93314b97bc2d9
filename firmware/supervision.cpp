#include "firmware/firmware.h"

#include "firmware/panel_state.h"

uint8_t Firmware::FaultLimit() { return panel.panelMode & fastFaultTiming ? fastFaultLimit : faultLimit; }

void Firmware::LatchFault(uint8_t& faults, uint8_t fault) {
  if (faults & fault) return;
  panel.panelMode &= ~faultBuzzerMuted;
  faults |= fault;
}

void Firmware::FilterFault(uint8_t& count, bool bad, uint8_t limit, uint8_t& faults, uint8_t fault) {
  if (!bad || panel.panelMode & engineeringMode) {
    count = CountDown(count);
    return;
  }
  count = CountUp(count, limit);
  if (count == limit) LatchFault(faults, fault);
}
