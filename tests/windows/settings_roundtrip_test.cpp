// The hardware window's half of Hardware.dat: what a run saves, the next one
// replays through the same handlers a mouse would use.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "board/hardware_interface.h"
#include "board/settings_file.h"
#include "firmware/firmware.h"
#include "machine/machine.h"
#include "tests/windows/ui_test_support.h"
#include "windows/hardwarecontrol.h"

namespace {

std::vector<uint8_t> ReadFile() {
  std::ifstream in(hardwareFileName, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const std::vector<uint8_t>& bytes) {
  std::ofstream out(hardwareFileName, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A complete file as a default run saves it.
std::vector<uint8_t> DefaultFile() {
  { Machine defaults{BoardPacing::Stepped}; }
  return ReadFile();
}

size_t WordOffset(int word) { return nvPartSize + 2 * size_t(word); }
size_t ByteOffset(int byte) { return nvPartSize + 2 * windowWordCount + size_t(byte); }

void SetWord(std::vector<uint8_t>& file, int word, uint16_t value) {
  file[WordOffset(word)] = uint8_t(value);
  file[WordOffset(word) + 1] = uint8_t(value >> 8);
}

class SettingsRoundTrip : public ::testing::Test {
 protected:
  void Start() { sim = std::make_unique<Machine>(BoardPacing::Stepped); }
  void Stop() { sim.reset(); }
  TfrmHardwareControl& h() { return sim->hardware(); }
  static void Toggle(TImageSelector* control) {
    Press(control, MouseButton::Left);
    Release(control, MouseButton::Left);
  }
  static void Level(TShape* box, int x) {
    Press(box, MouseButton::Left, {x, 3});
    Release(box, MouseButton::Left, {x, 3});
  }

  std::unique_ptr<Machine> sim;
};

TEST_F(SettingsRoundTrip, ADefaultRunSavesTheCompleteLayout) {
  const std::vector<uint8_t> file = DefaultFile();
  ASSERT_EQ(file.size(), hardwareFileSize);
  for (int zone = 0; zone < 8; ++zone) EXPECT_EQ(file[WordOffset(wordZone1 + zone)], 198) << zone;  // 200 - 2
  EXPECT_EQ(file[WordOffset(wordSupply)], 186);
  EXPECT_EQ(file[WordOffset(wordBattery)], 160);
  EXPECT_EQ(file[WordOffset(wordCharger)], 160);
  for (int byte = 0; byte < windowByteCount; ++byte) EXPECT_EQ(file[ByteOffset(byte)], 0) << byte;
}

TEST_F(SettingsRoundTrip, EveryStoredControlAndConfigurationByteSurvivesCloseAndStart) {
  Start();
  sim->firmware().WriteConfig(cfgZoneOptions + 3, 0x42);
  HardwareRequest(*sim->board(), WRITE_NV_BYTE, 0x5A00 | 200);
  for (int zone = 0; zone < 8; ++zone) Level(h().ZoneAnalogueControl[zone], 20 + 25 * zone);
  Level(h().VssAnalogueValueBox, 150);
  Toggle(h().CrossLinkBatteryCharger);
  Level(h().VbattAnalogueValueBox, 120);
  Level(h().VchrAnalogueValueBox, 170);
  Level(h().Relay1ValueBox, 10);
  Level(h().Relay2ValueBox, 30);
  Level(h().TransmissionDeviceValueBox, 50);
  for (TImageSelector* toggle : {h().Sounder1FaultInput, h().Sounder2FaultInput, h().DigitalInput1, h().DigitalInput2,
                                 h().PSUMainsInput, h().AuxiliarySupplyFault, h().ChargerFault, h().EarthHoldLow,
                                 h().VdSModeSelect, h().FourZonePanel, h().EightZonePanel, h().FWPOvercurrent,
                                 h().FWP4Switch, h().FWP5Switch, h().FWP7Switch}) {
    Toggle(toggle);
  }
  for (int zone = 0; zone < 8; zone += 3) Toggle(h().CapEOLZone[zone]);
  LeftClick(h().OptionalRelays);  // grayed
  Stop();
  const std::vector<uint8_t> first = ReadFile();
  ASSERT_EQ(first.size(), hardwareFileSize);

  Start();
  EXPECT_EQ(sim->firmware().ReadConfig(cfgZoneOptions + 3), 0x42);
  EXPECT_EQ(HardwareRequest(*sim->board(), READ_NV_BYTE, 200), 0x5A);
  EXPECT_EQ(h().ZoneAnalogueValue[7]->Width(), 20 + 25 * 7 - 2);
  EXPECT_EQ(h().VbattAnalogueValue->Width(), 118);
  EXPECT_EQ(h().VchrAnalogueValue->Width(), 168);
  EXPECT_EQ(h().CrossLinkBatteryCharger->ItemIndex(), 1);
  EXPECT_EQ(h().PSUMainsInput->ItemIndex(), 0);
  EXPECT_EQ(h().EightZonePanel->ItemIndex(), 0);
  EXPECT_EQ(h().EarthHoldLow->ItemIndex(), 1);
  EXPECT_EQ(h().CapEOLZone[3]->ItemIndex(), 1);
  EXPECT_EQ(h().CapEOLZone[4]->ItemIndex(), 0);
  EXPECT_EQ(h().OptionalRelays->State(), CheckBoxState::Grayed);
  Stop();
  EXPECT_EQ(ReadFile(), first);
}

TEST_F(SettingsRoundTrip, EqualBatteryAndChargerWidthsKeepTheLinkFitted) {
  Start();
  Level(h().VbattAnalogueValueBox, 140);  // the linked charger follows
  Stop();
  Start();
  EXPECT_EQ(h().CrossLinkBatteryCharger->ItemIndex(), 0);
  EXPECT_EQ(h().VbattAnalogueValue->Width(), 138);
  EXPECT_EQ(h().VchrAnalogueValue->Width(), 138);
}

// Whichever value a byte holds, a non-zero one toggles its control once.
TEST_F(SettingsRoundTrip, NonZeroToggleBytesStartTheirControlsToggled) {
  std::vector<uint8_t> file = DefaultFile();
  file[ByteOffset(byteEightZonePanel)] = 1;
  file[ByteOffset(bytePSUMainsInput)] = 0x80;
  file[ByteOffset(byteDigitalInput2)] = 0xFF;
  file[ByteOffset(byteOptionalRelays)] = 2;
  WriteFile(file);
  Start();
  EXPECT_EQ(h().EightZonePanel->ItemIndex(), 0);
  EXPECT_NE(ZoneCount(*sim->board()), 8);
  EXPECT_EQ(h().PSUMainsInput->ItemIndex(), 0);
  EXPECT_EQ(h().DigitalInput2->ItemIndex(), 1);
  EXPECT_EQ(h().DigitalInput1->ItemIndex(), 0);
  EXPECT_EQ(h().OptionalRelays->State(), CheckBoxState::Grayed);
  EXPECT_EQ(h().OptionalRelaysState(), optionalRelaysUnmonitored);
}

// A state byte that no save writes leaves the relays at their default.
TEST_F(SettingsRoundTrip, AnUnknownOptionalRelaysByteLeavesThemNotFitted) {
  std::vector<uint8_t> file = DefaultFile();
  file[ByteOffset(byteOptionalRelays)] = 7;
  WriteFile(file);
  Start();
  EXPECT_EQ(h().OptionalRelays->State(), CheckBoxState::Unchecked);
}

TEST_F(SettingsRoundTrip, ATruncatedWindowPartAppliesWhatComesBeforeTheCut) {
  std::vector<uint8_t> file = DefaultFile();
  SetWord(file, wordZone1, 40);
  SetWord(file, wordSupply, 100);
  SetWord(file, wordBattery, 90);
  SetWord(file, wordCharger, 95);
  file.resize(WordOffset(wordCharger) + 1);  // the charger word cut in half
  WriteFile(file);
  Start();
  EXPECT_EQ(h().ZoneAnalogueValue[0]->Width(), 40);
  EXPECT_EQ(h().VssAnalogueValue->Width(), 100);
  // The battery word alone is held, not applied.
  EXPECT_EQ(h().VbattAnalogueValue->Width(), 160);
  EXPECT_EQ(h().VchrAnalogueValue->Width(), 160);
  EXPECT_EQ(h().CrossLinkBatteryCharger->ItemIndex(), 0);
}

TEST_F(SettingsRoundTrip, ABoardPartAloneLeavesEveryWindowDefault) {
  std::vector<uint8_t> file = DefaultFile();
  SetWord(file, wordZone1, 40);
  file[0] = uint8_t(~0x33);
  file.resize(nvPartSize);
  WriteFile(file);
  Start();
  EXPECT_EQ(HardwareRequest(*sim->board(), READ_NV_BYTE, 0), 0x33);
  EXPECT_EQ(h().ZoneAnalogueValue[0]->Width(), 198);
  Stop();
  EXPECT_EQ(ReadFile().size(), hardwareFileSize);
}

}  // namespace
