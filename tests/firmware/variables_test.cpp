#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "firmware/firmware.h"
#include "firmware/variables.h"
#include "tests/support/test_board.h"

namespace {

// Every field set through its own C++ name: the registry must read back the
// value stored, from the element named, and nothing else.
struct Setter {
  const char* name;
  int index;
  std::function<void(Firmware&, uint16_t)> set;
};

#define SCALAR(state, field) \
  Setter{#field, 0, [](Firmware& f, uint16_t v) { f.state.field = decltype(f.state.field)(v); }}
#define ELEMENT(state, field, i) Setter{#field, i, [](Firmware& f, uint16_t v) { f.state.field[i] = uint8_t(v); }}

const std::vector<Setter>& Setters() {
  static const std::vector<Setter> setters = {
      SCALAR(panel, referenceLevel),
      SCALAR(panel, zoneScanIndex),
      ELEMENT(panel, zoneAlarmCount, 0),
      ELEMENT(panel, zoneAlarmCount, 3),
      ELEMENT(panel, zoneAlarmCount, 7),
      ELEMENT(panel, zoneFaultCount, 0),
      ELEMENT(panel, zoneFaultCount, 7),
      SCALAR(panel, zonesAlarmDetected),
      SCALAR(panel, zonesInFire),
      SCALAR(panel, zonesFaultDetected),
      SCALAR(panel, zonesAlarmAcknowledged),
      SCALAR(panel, panelMode),
      SCALAR(panel, panelMode2),
      SCALAR(panel, delayState),
      SCALAR(panel, sounderState),
      SCALAR(panel, fwpState),
      SCALAR(panel, systemFaults),
      SCALAR(panel, systemFaults2),
      SCALAR(panel, outputDisables),
      SCALAR(panel, routingActivated),
      SCALAR(panel, flashTimer),
      SCALAR(panel, flashTimer2),
      SCALAR(panel, delayTimer),
      SCALAR(panel, zoneFireLeds),
      SCALAR(panel, zoneFaultLeds),
      SCALAR(panel, statusLeds),
      SCALAR(panel, selectedItem),
      SCALAR(panel, menuPage),
      SCALAR(panel, menuItem),
      SCALAR(panel, menuTimeout),
      SCALAR(panel, configCheckIndex),
      SCALAR(panel, configCheckSum),
      SCALAR(panel, programCheckCursor),
      SCALAR(panel, programCheckSum),
      ELEMENT(panel, outputFaultCount, 0),
      ELEMENT(panel, outputFaultCount, 3),
      SCALAR(panel, relayBoardState),
      SCALAR(panel, referenceFaultCount),
      SCALAR(panel, mainsFaultCount),
      SCALAR(panel, batteryFaultCount),
      Setter{"batteryLevelFiltered", 0, [](Firmware& f, uint16_t v) { f.panel.batteryLevelFiltered = v; }},
      Setter{"chargerLevelFiltered", 0, [](Firmware& f, uint16_t v) { f.panel.chargerLevelFiltered = v; }},
      SCALAR(panel, batteryTestState),
      SCALAR(panel, batteryTestTimer),
      SCALAR(panel, counterDisplayTimer),
      SCALAR(keysState, keyDebounceA),
      SCALAR(keysState, keyDebounceB),
      SCALAR(keysState, keyswitchHoldCount),
      SCALAR(disablementState, zoneTestResetCount),
      SCALAR(monitorsState, auxFaultCount),
      SCALAR(monitorsState, earthFaultCount),
      SCALAR(monitorsState, earthTestState),
      SCALAR(monitorsState, earthTestTimer),
      SCALAR(fireBrigadeState, fwpPollTimer),
      SCALAR(fireBrigadeState, fwpLastCommand),
  };
  return setters;
}

#undef SCALAR
#undef ELEMENT

// Every element of every variable, as the registry reads it now.
std::vector<uint32_t> Snapshot(const Firmware& firmware) {
  std::vector<uint32_t> values;
  for (const FirmwareVariable& variable : FirmwareVariables()) {
    for (int i = 0; i < variable.count; ++i) values.push_back(ReadFirmwareVariable(firmware, variable, i));
  }
  return values;
}

}  // namespace

TEST(FirmwareVariables, EachFieldReadsBackThroughItsNameAndNoOtherChanges) {
  TestBoard t;
  for (const Setter& setter : Setters()) {
    Firmware firmware(t.board());
    const FirmwareVariable* variable = FindFirmwareVariable(setter.name);
    ASSERT_NE(variable, nullptr) << setter.name;
    ASSERT_LT(setter.index, variable->count) << setter.name;
    const uint16_t value = variable->elementSize == 1 ? 0xA5 : 0xB4C3;
    const std::vector<uint32_t> before = Snapshot(firmware);
    setter.set(firmware, value);
    EXPECT_EQ(ReadFirmwareVariable(firmware, *variable, setter.index), value)
        << setter.name << "[" << setter.index << "]";
    std::vector<uint32_t> after = Snapshot(firmware);
    size_t changed = 0;
    for (size_t i = 0; i < after.size(); ++i) changed += after[i] != before[i];
    EXPECT_EQ(changed, 1u) << setter.name;
  }
}

TEST(FirmwareVariables, EveryEntryIsCoveredByAFieldOfItsName) {
  std::set<std::string> set;
  for (const Setter& setter : Setters()) set.insert(setter.name);
  std::set<std::string> names;
  for (const FirmwareVariable& variable : FirmwareVariables()) {
    EXPECT_TRUE(names.insert(variable.name).second) << "twice: " << variable.name;
    EXPECT_TRUE(set.count(variable.name)) << "untested: " << variable.name;
  }
  EXPECT_EQ(names, set);
}

// No field is left out: within each state the entries tile the structure,
// leaving only alignment padding between them.
TEST(FirmwareVariables, EntriesTileEachStateWithoutGaps) {
  TestBoard t;
  const Firmware& firmware = t.firmware();
  struct Object {
    const char* name;
    const void* address;
    size_t size;
  };
  const Object objects[] = {{"panel", &firmware.panel, sizeof firmware.panel},
                            {"keysState", &firmware.keysState, sizeof firmware.keysState},
                            {"disablementState", &firmware.disablementState, sizeof firmware.disablementState},
                            {"monitorsState", &firmware.monitorsState, sizeof firmware.monitorsState},
                            {"fireBrigadeState", &firmware.fireBrigadeState, sizeof firmware.fireBrigadeState}};
  for (const Object& object : objects) {
    const auto* start = static_cast<const unsigned char*>(object.address);
    std::vector<std::pair<size_t, const FirmwareVariable*>> inside;
    for (const FirmwareVariable& variable : FirmwareVariables()) {
      const auto* at = static_cast<const unsigned char*>(FirmwareVariableAddress(firmware, variable));
      if (at >= start && at < start + object.size) inside.push_back({size_t(at - start), &variable});
    }
    std::sort(inside.begin(), inside.end());
    size_t end = 0;
    for (const auto& [offset, variable] : inside) {
      EXPECT_GE(offset, end) << object.name << "." << variable->name << " overlaps";
      EXPECT_LT(offset - end, variable->elementSize) << "a field is missing before " << object.name << "." << variable->name;
      end = offset + size_t(variable->elementSize) * variable->count;
    }
    EXPECT_LE(end, object.size) << object.name;
    EXPECT_LT(object.size - end, alignof(uint16_t)) << "a field is missing at the end of " << object.name;
  }
}

TEST(FirmwareVariables, UnknownNamesAreNotFound) {
  EXPECT_EQ(FindFirmwareVariable("zonesOnFire"), nullptr);
  EXPECT_EQ(FindFirmwareVariable(""), nullptr);
  EXPECT_EQ(FindFirmwareVariable("panelMode")->count, 1);
  EXPECT_EQ(FindFirmwareVariable("zoneAlarmCount")->count, maxZones);
}
