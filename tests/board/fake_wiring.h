#pragma once
// Plain control states for every control the periodic update reaches, set up
// with the windows' start states.

#include <map>
#include <string>

#include "board/board_wiring.h"
#include "board/shared_value.h"

struct FakeControl : ControlState {
  int ItemIndex() const override { return index; }
  void SetItemIndex(int value) override { index = value; }
  bool Visible() const override { return visible; }
  int Tag() const override { return tag; }
  void SetTag(int value) override { tag = value; }
  int index = 0;
  int tag = 0;
  bool visible = true;
};

struct FakeCaption : CaptionControl {
  void SetCaption(const std::string& text) override { caption = text; }
  std::string caption;
};

class FakeWiring {
 public:
  FakeWiring() {
    for (int zone = 0; zone < 8; ++zone) {
      wiring.zoneFireLed[zone] = &Make("Zone" + std::to_string(zone + 1) + "FireLED");
      wiring.zoneFaultLed[zone] = &Make("Zone" + std::to_string(zone + 1) + "FaultLED");
    }
    for (int led = 1; led < fwpLedCount; ++led) wiring.fwpLed[led] = &Make("FWP" + std::to_string(led) + "LED");
    const std::pair<const char*, ControlState* BoardWiring::*> named[] = {
        {"AuxiliaryFaultLED", &BoardWiring::auxiliaryFaultLed},
        {"DelayOnLED", &BoardWiring::delayOnLed},
        {"TestLED", &BoardWiring::testLed},
        {"DisabledLED", &BoardWiring::disabledLed},
        {"SounderFaultDisabledLED", &BoardWiring::sounderFaultDisabledLed},
        {"EarthFaultLED", &BoardWiring::earthFaultLed},
        {"FireRoutingFaultDisabledLED", &BoardWiring::fireRoutingFaultDisabledLed},
        {"FaultRoutingFaultDisabledLED", &BoardWiring::faultRoutingFaultDisabledLed},
        {"FireRoutingActiveLED", &BoardWiring::fireRoutingActiveLed},
        {"FireLED", &BoardWiring::fireLed},
        {"SystemFaultLED", &BoardWiring::systemFaultLed},
        {"FaultLED", &BoardWiring::faultLed},
        {"PSUFaultLED", &BoardWiring::psuFaultLed},
        {"InternalTone", &BoardWiring::internalTone},
        {"BuzzerMuteButton", &BoardWiring::buzzerMuteButton},
        {"AcceptButton", &BoardWiring::acceptButton},
        {"DelayOnOffButton", &BoardWiring::delayOnOffButton},
        {"SoundersStartStopButton", &BoardWiring::soundersStartStopButton},
        {"ItemSelectButton", &BoardWiring::itemSelectButton},
        {"DisableTestNormalButton", &BoardWiring::disableTestNormalButton},
        {"LampTestButton", &BoardWiring::lampTestButton},
        {"ResetButton", &BoardWiring::resetButton},
        {"Keyswitch", &BoardWiring::keyswitch},
        {"PCBKeyswitch", &BoardWiring::pcbKeyswitch},
        {"CoverOffSwitch", &BoardWiring::coverOffSwitch},
        {"Segment1", &BoardWiring::segment1},
        {"Segment2", &BoardWiring::segment2},
        {"Segment3", &BoardWiring::segment3},
        {"VdSModeSelect", &BoardWiring::vdsModeSelect},
        {"FourZonePanel", &BoardWiring::fourZonePanel},
        {"EightZonePanel", &BoardWiring::eightZonePanel},
        {"EarthHoldHigh", &BoardWiring::earthHoldHigh},
        {"EarthHoldLow", &BoardWiring::earthHoldLow},
        {"EarthDetectLevelControl", &BoardWiring::earthDetectLevelControl},
        {"DigitalInput1", &BoardWiring::digitalInput1},
        {"DigitalInput2", &BoardWiring::digitalInput2},
        {"FWPOvercurrent", &BoardWiring::fwpOvercurrent},
        {"FWP4Switch", &BoardWiring::fwp4Switch},
        {"FWP5Switch", &BoardWiring::fwp5Switch},
        {"FWP6Switch", &BoardWiring::fwp6Switch},
        {"FWP7Switch", &BoardWiring::fwp7Switch},
        {"FWP8Switch", &BoardWiring::fwp8Switch},
        {"Sounder1FaultInput", &BoardWiring::sounder1FaultInput},
        {"Sounder2FaultInput", &BoardWiring::sounder2FaultInput},
        {"AuxiliarySupplyFault", &BoardWiring::auxiliarySupplyFault},
        {"PSUMainsInput", &BoardWiring::psuMainsInput},
        {"ChargerFault", &BoardWiring::chargerFault},
        {"SounderOutput1", &BoardWiring::sounderOutput1},
        {"SounderOutput2", &BoardWiring::sounderOutput2},
        {"BatteryTestLoad", &BoardWiring::batteryTestLoad},
        {"BatteryConnect", &BoardWiring::batteryConnect},
        {"EnableCharger", &BoardWiring::enableCharger},
        {"BatteryCutOff", &BoardWiring::batteryCutOff},
        {"FireOutputActiveRelay", &BoardWiring::fireOutputActiveRelay},
        {"FireOutputDisabledRelay", &BoardWiring::fireOutputDisabledRelay},
        {"TransmissionDeviceRelay", &BoardWiring::transmissionDeviceRelay},
        {"Relay1Drive", &BoardWiring::relay1Drive},
        {"Relay2Drive", &BoardWiring::relay2Drive},
    };
    for (const auto& [name, member] : named) wiring.*member = &Make(name);
    wiring.vbatt = &vbatt;
    wiring.vchr = &vchr;
    wiring.batteryLevel = &batteryLevel;
    wiring.chargerLevel = &chargerLevel;
    // Start states of the windows.
    (*this)["CoverOffSwitch"].index = 1;
    (*this)["PCBKeyswitch"].visible = false;
    (*this)["PSUMainsInput"].index = 1;
    (*this)["AuxiliarySupplyFault"].index = 1;
    (*this)["EightZonePanel"].index = 1;
  }

  FakeControl& operator[](const std::string& name) { return controls.at(name); }

  BoardWiring wiring;
  FakeCaption vbatt, vchr;
  // The firmware's filtered supply levels, as the read-outs show them.
  SharedU16 batteryLevel{5128}, chargerLevel{5128};

 private:
  FakeControl& Make(const std::string& name) { return controls[name]; }
  std::map<std::string, FakeControl> controls;
};
