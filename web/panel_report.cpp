#include "web/panel_report.h"

#include "firmware/firmware.h"
#include "machine/machine.h"
#include "web/draw_list.h"
#include "windows/hardwarecontrol.h"
#include "windows/imageselector.h"
#include "windows/maindisplay.h"

namespace {

constexpr int accessLevelOne = 1;

bool On(const TImageSelector* control) { return control && control->ItemIndex() != 0; }

// The lamps lit now, by name, as the front panel shows them.
std::string LitLamps(const TfrmMainDisplay& front) {
  std::string json = "[";
  const auto add = [&json](const TImageSelector* lamp) {
    if (!On(lamp)) return;
    if (json.size() > 1) json += ',';
    json += JsonString(lamp->Name());
  };
  for (const TImageSelector* lamp :
       {front.FireLED, front.PowerLED, front.FaultLED, front.DisabledLED, front.TestLED, front.DelayOnLED,
        front.SystemFaultLED, front.EarthFaultLED, front.PSUFaultLED, front.SounderFaultDisabledLED,
        front.FireRoutingActiveLED, front.FireRoutingFaultDisabledLED, front.FaultRoutingFaultDisabledLED,
        front.AuxiliaryFaultLED}) {
    add(lamp);
  }
  for (const TImageSelector* lamp : front.ZoneFireLEDs) add(lamp);
  for (const TImageSelector* lamp : front.ZoneFaultLEDs) add(lamp);
  return json + "]";
}

int AccessLevel(const PanelState& panel) {
  if (panel.panelMode & accessLevel3) return accessLevelOne + 2;
  if (panel.panelMode & accessLevel2) return accessLevelOne + 1;
  return accessLevelOne;
}

std::string Field(const char* name, const std::string& value) { return std::string("\"") + name + "\":" + value; }
std::string Flag(bool on) { return on ? "true" : "false"; }

}  // namespace

std::string PanelReportJson(Machine& machine) {
  const TfrmMainDisplay& front = machine.front();
  const TfrmHardwareControl& hardware = machine.hardware();
  Firmware& firmware = machine.firmware();
  const PanelState& panel = firmware.panel;
  return "{" + Field("lamps", LitLamps(front)) + "," + Field("zonesInFire", std::to_string(panel.zonesInFire)) + "," +
         Field("zonesInFault", std::to_string(panel.zonesFaultDetected)) + "," +
         Field("zonesDisabled", std::to_string(firmware.ReadConfig(cfgZonesDisabled))) + "," +
         Field("zonesInTest", std::to_string(firmware.ReadConfig(cfgZonesInTest))) + "," +
         Field("sounders", Flag(On(hardware.SounderOutput1) || On(hardware.SounderOutput2))) + "," +
         Field("buzzer", Flag(On(front.InternalTone))) + "," + Field("access", std::to_string(AccessLevel(panel))) + "}";
}
