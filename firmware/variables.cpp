#include "firmware/variables.h"

#include <cstring>

#include "firmware/disablement.h"
#include "firmware/fire_brigade.h"
#include "firmware/keys.h"
#include "firmware/monitors.h"
#include "firmware/panel_state.h"

namespace {

static_assert(sizeof(SharedU16) == sizeof(uint16_t), "read as a plain 16-bit value");

template <class T>
constexpr FirmwareVariable Entry(const char* name, const T& field) {
  return {name, &field, uint8_t(sizeof(T)), 1};
}

template <class T, size_t N>
constexpr FirmwareVariable Entry(const char* name, const T (&field)[N]) {
  return {name, field, uint8_t(sizeof(T)), uint8_t(N)};
}

// The field's own name is its name here.
#define VARIABLE(state, field) Entry(#field, state.field)

constexpr FirmwareVariable variables[] = {
    VARIABLE(panel, referenceLevel),
    VARIABLE(panel, zoneScanIndex),
    VARIABLE(panel, zoneAlarmCount),
    VARIABLE(panel, zoneFaultCount),
    VARIABLE(panel, zonesAlarmDetected),
    VARIABLE(panel, zonesInFire),
    VARIABLE(panel, zonesFaultDetected),
    VARIABLE(panel, zonesAlarmAcknowledged),
    VARIABLE(panel, panelMode),
    VARIABLE(panel, panelMode2),
    VARIABLE(panel, delayState),
    VARIABLE(panel, sounderState),
    VARIABLE(panel, fwpState),
    VARIABLE(panel, systemFaults),
    VARIABLE(panel, systemFaults2),
    VARIABLE(panel, outputDisables),
    VARIABLE(panel, routingActivated),
    VARIABLE(panel, flashTimer),
    VARIABLE(panel, flashTimer2),
    VARIABLE(panel, delayTimer),
    VARIABLE(panel, zoneFireLeds),
    VARIABLE(panel, zoneFaultLeds),
    VARIABLE(panel, statusLeds),
    VARIABLE(panel, selectedItem),
    VARIABLE(panel, menuPage),
    VARIABLE(panel, menuItem),
    VARIABLE(panel, menuTimeout),
    VARIABLE(panel, configCheckIndex),
    VARIABLE(panel, configCheckSum),
    VARIABLE(panel, programCheckCursor),
    VARIABLE(panel, programCheckSum),
    VARIABLE(panel, outputFaultCount),
    VARIABLE(panel, relayBoardState),
    VARIABLE(panel, referenceFaultCount),
    VARIABLE(panel, mainsFaultCount),
    VARIABLE(panel, batteryFaultCount),
    VARIABLE(panel, batteryLevelFiltered),
    VARIABLE(panel, chargerLevelFiltered),
    VARIABLE(panel, batteryTestState),
    VARIABLE(panel, batteryTestTimer),
    VARIABLE(panel, counterDisplayTimer),
    VARIABLE(keysState, keyDebounceA),
    VARIABLE(keysState, keyDebounceB),
    VARIABLE(keysState, keyswitchHoldCount),
    VARIABLE(disablementState, zoneTestResetCount),
    VARIABLE(monitorsState, auxFaultCount),
    VARIABLE(monitorsState, earthFaultCount),
    VARIABLE(monitorsState, earthTestState),
    VARIABLE(monitorsState, earthTestTimer),
    VARIABLE(fireBrigadeState, fwpPollTimer),
    VARIABLE(fireBrigadeState, fwpLastCommand),
};

#undef VARIABLE

}  // namespace

std::span<const FirmwareVariable> FirmwareVariables() { return variables; }

const FirmwareVariable* FindFirmwareVariable(std::string_view name) {
  for (const FirmwareVariable& variable : variables) {
    if (name == variable.name) return &variable;
  }
  return nullptr;
}

// The bytes as stored, so a shared reading is taken the same way as a plain one.
uint32_t ReadFirmwareVariable(const FirmwareVariable& variable, int index) {
  const auto* bytes = static_cast<const unsigned char*>(variable.address) + index * variable.elementSize;
  if (variable.elementSize == 1) return *bytes;
  uint16_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}
