#pragma once
// How the periodic update sees the windows: each control as a state it can
// read and set whole from the tick thread. The windows implement ControlState
// over their controls; tests use plain fakes.

#include <cstdint>
#include <string>

#include "board/shared_value.h"

class ControlState {
 public:
  virtual ~ControlState() = default;
  virtual int ItemIndex() const = 0;
  virtual void SetItemIndex(int index) = 0;
  virtual bool Visible() const { return true; }
  // The control's integer tag, where the update keeps state in it.
  virtual int Tag() const { return 0; }
  virtual void SetTag(int) {}
};

class CaptionControl {
 public:
  virtual ~CaptionControl() = default;
  virtual void SetCaption(const std::string& caption) = 0;
};

class HardwareState;

// Told by the 20 ms update just before it copies the keys into the board, on
// the update's thread: the front panel lets go there of a key it held until
// the firmware had seen it.
class KeyCopyListener {
 public:
  virtual ~KeyCopyListener() = default;
  virtual void BeforeKeysCopied(const HardwareState& board) = 0;
};

constexpr int fwpLedCount = 8;  // FWP1LED..FWP7LED at indices 1..7

struct BoardWiring {
  // Front panel: LEDs and buzzer.
  ControlState* zoneFireLed[8] = {};
  ControlState* zoneFaultLed[8] = {};
  ControlState* auxiliaryFaultLed = nullptr;
  ControlState* delayOnLed = nullptr;
  ControlState* testLed = nullptr;
  ControlState* disabledLed = nullptr;
  ControlState* sounderFaultDisabledLed = nullptr;
  ControlState* earthFaultLed = nullptr;
  ControlState* fireRoutingFaultDisabledLed = nullptr;
  ControlState* faultRoutingFaultDisabledLed = nullptr;
  ControlState* fireRoutingActiveLed = nullptr;
  ControlState* fireLed = nullptr;
  ControlState* systemFaultLed = nullptr;
  ControlState* faultLed = nullptr;
  ControlState* psuFaultLed = nullptr;
  ControlState* internalTone = nullptr;
  // Front panel: keys, keyswitches, cover switch, alarm counter digits.
  ControlState* buzzerMuteButton = nullptr;
  ControlState* acceptButton = nullptr;
  ControlState* delayOnOffButton = nullptr;
  ControlState* soundersStartStopButton = nullptr;
  ControlState* itemSelectButton = nullptr;
  ControlState* disableTestNormalButton = nullptr;
  ControlState* lampTestButton = nullptr;
  ControlState* resetButton = nullptr;
  KeyCopyListener* keyCopyListener = nullptr;  // none: the keys are copied as they are
  ControlState* keyswitch = nullptr;
  ControlState* pcbKeyswitch = nullptr;
  ControlState* coverOffSwitch = nullptr;
  ControlState* segment1 = nullptr;  // units
  ControlState* segment2 = nullptr;  // tens
  ControlState* segment3 = nullptr;  // hundreds
  // Hardware control window: links and inputs.
  ControlState* vdsModeSelect = nullptr;
  ControlState* fourZonePanel = nullptr;
  ControlState* eightZonePanel = nullptr;
  ControlState* earthHoldHigh = nullptr;
  ControlState* earthHoldLow = nullptr;
  ControlState* earthDetectLevelControl = nullptr;
  ControlState* digitalInput1 = nullptr;
  ControlState* digitalInput2 = nullptr;
  ControlState* fwpOvercurrent = nullptr;
  ControlState* fwp4Switch = nullptr;
  ControlState* fwp5Switch = nullptr;
  ControlState* fwp6Switch = nullptr;
  ControlState* fwp7Switch = nullptr;
  ControlState* fwp8Switch = nullptr;
  ControlState* sounder1FaultInput = nullptr;
  ControlState* sounder2FaultInput = nullptr;
  ControlState* auxiliarySupplyFault = nullptr;
  ControlState* psuMainsInput = nullptr;
  ControlState* chargerFault = nullptr;
  // Hardware control window: outputs.
  ControlState* sounderOutput1 = nullptr;
  ControlState* sounderOutput2 = nullptr;
  ControlState* batteryTestLoad = nullptr;
  ControlState* batteryConnect = nullptr;
  ControlState* enableCharger = nullptr;
  ControlState* batteryCutOff = nullptr;
  ControlState* fwpLed[fwpLedCount] = {};
  ControlState* fireOutputActiveRelay = nullptr;
  ControlState* fireOutputDisabledRelay = nullptr;
  ControlState* transmissionDeviceRelay = nullptr;
  ControlState* relay1Drive = nullptr;
  ControlState* relay2Drive = nullptr;
  CaptionControl* vbatt = nullptr;
  CaptionControl* vchr = nullptr;
  // The firmware's filtered supply readings, shown as tenths of a volt.
  const SharedU16* batteryLevel = nullptr;
  const SharedU16* chargerLevel = nullptr;
};

// The alarm counter's digit images: 0..9, then the blank one.
constexpr int counterBlankDigit = 10;

// Maps a segment code to a digit image: 0..9, or counterBlankDigit for anything else.
int CounterDigitDecode(uint8_t value);
