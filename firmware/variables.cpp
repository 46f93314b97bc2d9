#include "firmware/variables.h"

#include <cstring>
#include <type_traits>
#include <utility>

#include "firmware/firmware.h"

namespace {

static_assert(sizeof(SharedU16) == sizeof(uint16_t), "read as a plain 16-bit value");

template <class T>
constexpr FirmwareVariable Entry(const char* name, FirmwarePart part, size_t offset) {
  using Element = std::remove_all_extents_t<T>;
  const size_t count = std::is_array_v<T> ? std::extent_v<T> : 1;
  return {name, part, offset, uint8_t(sizeof(Element)), uint8_t(count)};
}

// The field's own name is its name here.
#define VARIABLE(state, field)                                                                   \
  Entry<decltype(std::declval<Firmware&>().state.field)>(#field, partOf<decltype(Firmware::state)>, \
                                                         offsetof(decltype(Firmware::state), field))

template <class State>
constexpr FirmwarePart partOf = FirmwarePart::Panel;
template <>
constexpr FirmwarePart partOf<KeysState> = FirmwarePart::Keys;
template <>
constexpr FirmwarePart partOf<DisablementState> = FirmwarePart::Disablement;
template <>
constexpr FirmwarePart partOf<MonitorsState> = FirmwarePart::Monitors;
template <>
constexpr FirmwarePart partOf<FireBrigadeState> = FirmwarePart::FireBrigade;

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

const void* FirmwareVariableAddress(const Firmware& firmware, const FirmwareVariable& variable) {
  const void* part = nullptr;
  switch (variable.part) {
    case FirmwarePart::Panel: part = &firmware.panel; break;
    case FirmwarePart::Keys: part = &firmware.keysState; break;
    case FirmwarePart::Disablement: part = &firmware.disablementState; break;
    case FirmwarePart::Monitors: part = &firmware.monitorsState; break;
    case FirmwarePart::FireBrigade: part = &firmware.fireBrigadeState; break;
  }
  return static_cast<const unsigned char*>(part) + variable.offset;
}

// The bytes as stored, so a shared reading is taken the same way as a plain one.
uint32_t ReadFirmwareVariable(const Firmware& firmware, const FirmwareVariable& variable, int index) {
  const auto* bytes =
      static_cast<const unsigned char*>(FirmwareVariableAddress(firmware, variable)) + index * variable.elementSize;
  if (variable.elementSize == 1) return *bytes;
  uint16_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}
