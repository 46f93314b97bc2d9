#include "firmware/firmware.h"

#include <bit>

#include "board/hardware_interface.h"
#include "firmware/delays.h"
#include "firmware/panel_state.h"
#include "firmware/supervision.h"

namespace {

struct Transition {
  uint8_t next;
  Edge edge;
};

// By state, then by whether the sample is active.
constexpr Transition transitions[4][2] = {
    {{inputInactive, Edge::None}, {inputActiveOnce, Edge::None}},
    {{inputInactive, Edge::None}, {inputActive, Edge::Activation}},
    {{inputInactive, Edge::Deactivation}, {inputActive, Edge::None}},
    {{inputInactiveOnce, Edge::None}, {inputActive, Edge::None}},
};

}  // namespace

void Firmware::ApplyFunction(uint8_t function, bool on, Edge edge) {
  const bool activated = edge == Edge::Activation;
  switch (function) {
    case inputFunctionEvacuate:
      if (on) panel.delayState |= inputEvacuate;
      break;
    case inputFunctionAlert:
      if (on) panel.delayState |= inputAlert;
      if (activated) {
        panel.sounderState &= ~soundersSilenced;
        panel.panelMode &= ~fireBuzzerMuted;
      }
      break;
    case inputFunctionStartSounders:
      if (activated) panel.sounderState = uint8_t((panel.sounderState | soundersEvacuate) & ~soundersSilenced);
      break;
    case inputFunctionDelaysOnOff:
      if (edge != Edge::None) SetDelaysOn(activated ? 1 : 0);
      break;
    case inputFunctionRemoteReset:
      if (activated) PanelReset();
      break;
    case inputFunctionRoutingAck:
      if (on) panel.delayState |= inputRoutingAck;
      panel.sounderState |= routingAckConfigured;
      break;
    case inputFunctionRoutingFault:
      if (on) LatchFault(panel.systemFaults2, inputFault);
      break;
    default:
      break;
  }
}

void Firmware::SampleInput(uint8_t input, uint8_t systemInputs, uint8_t levelBit, uint8_t stateMask) {
  const int shift = std::countr_zero(stateMask);
  const uint8_t state = uint8_t((panel.panelMode2 & stateMask) >> shift);
  const uint8_t next = ApplyInputFunction(input, systemInputs & levelBit ? 1 : 0, state);
  panel.panelMode2 = uint8_t((panel.panelMode2 & ~stateMask) | next << shift);
}

void Firmware::InputsTask() {
  panel.delayState &= ~(inputEvacuate | inputAlert);
  panel.sounderState &= ~routingAckConfigured;
  // An acknowledgement seen while a routing output is latched stays until the routing is reset.
  if (!panel.routingActivated) panel.delayState &= ~inputRoutingAck;
  const uint8_t inputs = uint8_t(HardwareRequest(READ_SYSTEM_INPUTS, 0));
  SampleInput(1, inputs, sysDigitalInput1, input1StateMask);
  SampleInput(2, inputs, sysDigitalInput2, input2StateMask);
  AssignFlags(panel.systemFaults2, watchdogFault, inputs & sysFaultLatch);
}

uint8_t Firmware::ApplyInputFunction(uint8_t input, uint8_t level, uint8_t state) {
  const bool active = level == 0 && !(panel.panelMode & engineeringMode);
  const Transition step = transitions[state & inputActive][active ? 1 : 0];
  const bool on = step.next == inputActive || step.next == inputInactiveOnce;
  ApplyFunction(ReadConfig(uint8_t(cfgInputOptions - 1 + input)), on, step.edge);
  return step.next;
}
