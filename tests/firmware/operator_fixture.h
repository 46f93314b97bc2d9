#pragma once
// A started panel in virtual time, driven through the board's key, keyswitch,
// cover and link inputs as the periodic update would set them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "board/hardware_interface.h"
#include "firmware/panel_state.h"
#include "tests/support/test_board.h"

// Where each key of the key image enters the board.
struct KeyInput {
  uint8_t key;
  BoardBit at;
};
inline constexpr KeyInput keyInputs[] = {
    {keyAccept, acceptKeyAt},
    {keySoundersStartStop, soundersStartStopKeyAt},
    {keyReset, resetKeyAt},
    {keyBuzzerMute, buzzerMuteKeyAt},
    {keyDelayOnOff, delayOnOffKeyAt},
    {keyItemSelect, itemSelectKeyAt},
    {keyDisableTestNormal, disableTestNormalKeyAt},
    {keyLampTest, lampTestKeyAt},
};

// Engineering mode is entered at the 21st counted 50 ms tick; counting starts
// at the second sample of cover and key.
constexpr int ticksToEngineeringMode = 22;

class OperatorTest : public ::testing::Test, public FirmwareOnBoard {
 public:
  void SetUp() override { t.Start(); }

  HardwareState& board() { return t.board(); }

  void SetKeys(uint8_t keys, bool down) {
    for (const KeyInput& input : keyInputs) {
      if (keys & input.key) board().AssignPortBits(input.at, down);
    }
  }
  // Three pressed 20 ms samples confirm a press; one released sample ends it.
  void Press(uint8_t keys) {
    SetKeys(keys, true);
    t.Advance(60);
    SetKeys(keys, false);
    t.Advance(20);
  }
  void PressTimes(uint8_t keys, int times) {
    for (int i = 0; i < times; ++i) Press(keys);
  }

  void SetKeyswitch(bool on) { board().AssignPortBits(portSystemInputs, sysKeyswitch, on); }
  void SetCoverOff(bool off) { board().AssignPortBits(portSystemInputs, sysCoverSwitch, off); }
  void SetZoneCount(int zones) {
    board().AssignPortBits(fourZoneLinkAt, zones == 4);
    board().AssignPortBits(eightZoneLinkAt, zones == 8);
  }
  void SetVdsLink(bool on) { board().AssignPortBits(vdsLinkAt, on); }
  // input 1 or 2; closed is active.
  void SetInput(int input, bool closed) {
    board().AssignPortBits(portSystemInputs, input == 1 ? sysDigitalInput1 : sysDigitalInput2, !closed);
  }
  // The input with its function, closed and seen by two 50 ms samples.
  void CloseInputAs(int input, uint8_t function) {
    WriteConfig(uint8_t(cfgInputOptions + input - 1), function);
    SetInput(input, true);
    Ticks50(2);
  }

  void Ticks50(int n) { t.Advance(50 * int64_t(n)); }

  void EnterLevel2() {
    SetKeyswitch(true);
    Ticks50(2);
  }
  void EnterEngineering() {
    SetCoverOff(true);
    SetKeyswitch(true);
    Ticks50(ticksToEngineeringMode);
  }

  // A confirmed latching fire in the zone, as zone scanning reports it.
  void StartFire(uint8_t zone) {
    panel.zonesAlarmDetected |= ZoneBit(zone);
    panel.zonesInFire |= ZoneBit(zone);
    panel.panelMode |= latchingFire;
  }

  bool Mode(uint8_t bits) { return (panel.panelMode & bits) == bits; }
  static int Clicks(const RequestRecorder& recorder) {
    return int(std::count_if(recorder.calls.begin(), recorder.calls.end(),
                             [](const RecordedRequest& c) { return c.op == BUZZER_CHIRP; }));
  }
};
