#include "firmware/supervision.h"

#include "firmware/panel_state.h"

uint8_t FaultLimit() { return panel.panelMode & fastFaultTiming ? fastFaultLimit : faultLimit; }

void LatchFault(uint8_t& faults, uint8_t fault) {
  if (faults & fault) return;
  panel.panelMode &= ~faultBuzzerMuted;
  faults |= fault;
}

void FilterFault(uint8_t& count, bool bad, uint8_t limit, uint8_t& faults, uint8_t fault) {
  if (!bad || panel.panelMode & engineeringMode) {
    count = CountDown(count);
    return;
  }
  count = CountUp(count, limit);
  if (count == limit) LatchFault(faults, fault);
}
