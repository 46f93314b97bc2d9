#include "board/periodic_update.h"

#include <string>

#include "board/hardware_interface.h"

PeriodicUpdate periodicUpdate;

namespace {

using Wire = ControlState* BoardWiring::*;

struct PortBinding {
  Wire control;
  uint8_t port;
  uint8_t mask;
};

// Common indicators shown from the LED matrix every 20 ms.
constexpr PortBinding commonIndicators[] = {
    {&BoardWiring::auxiliaryFaultLed, 25, 0x40},
    {&BoardWiring::delayOnLed, 26, 0x40},
    {&BoardWiring::testLed, 27, 0x04},
    {&BoardWiring::disabledLed, 26, 0x04},
    {&BoardWiring::sounderFaultDisabledLed, 27, 0x40},
    {&BoardWiring::earthFaultLed, 28, 0x04},
    {&BoardWiring::fireRoutingFaultDisabledLed, 28, 0x40},
    {&BoardWiring::faultRoutingFaultDisabledLed, 29, 0x04},
    {&BoardWiring::fireRoutingActiveLed, 29, 0x10},
    {&BoardWiring::fireLed, 29, 0x20},
};

// Keys and links copied into the matrix every 20 ms.
constexpr PortBinding keysAndLinks[] = {
    {&BoardWiring::buzzerMuteButton, 26, matrixKeyLow},
    {&BoardWiring::acceptButton, 25, matrixKeyLow},
    {&BoardWiring::delayOnOffButton, 26, matrixKeyHigh},
    {&BoardWiring::soundersStartStopButton, 25, matrixKeyHigh},
    {&BoardWiring::itemSelectButton, 27, matrixKeyLow},
    {&BoardWiring::disableTestNormalButton, 27, matrixKeyHigh},
    {&BoardWiring::lampTestButton, 28, matrixKeyLow},
    {&BoardWiring::vdsModeSelect, 28, port28VdsLink},
    {&BoardWiring::fourZonePanel, 29, port29FourZoneLink},
    {&BoardWiring::eightZonePanel, 29, port29EightZoneLink},
};

// Power outputs shown on the hardware window every 50 ms.
constexpr PortBinding powerOutputs[] = {
    {&BoardWiring::batteryTestLoad, portPowerOutputs, pwrBatteryTestLoad},
    {&BoardWiring::batteryConnect, portPowerOutputs, pwrBatteryConnect},
    {&BoardWiring::enableCharger, portPowerOutputs, pwrChargerEnable},
    {&BoardWiring::batteryCutOff, portPowerOutputs, pwrBatteryCutOff},
};

// The VdS relays, shown only in VdS mode.
constexpr PortBinding vdsRelays[] = {
    {&BoardWiring::fireOutputActiveRelay, portHundreds, vdsRelayBit},
    {&BoardWiring::fireOutputDisabledRelay, portTens, vdsRelayBit},
    {&BoardWiring::transmissionDeviceRelay, portUnits, vdsRelayBit},
};

constexpr PortBinding relayDrives[] = {
    {&BoardWiring::relay1Drive, portLedsRelays, relay1Bit},
    {&BoardWiring::relay2Drive, portLedsRelays, relay2Bit},
    {&BoardWiring::earthDetectLevelControl, portLedsRelays, earthLevelHigh},
};

// FWP switches into port 1 b0..b4.
constexpr Wire fwpSwitches[] = {&BoardWiring::fwp8Switch, &BoardWiring::fwp4Switch, &BoardWiring::fwp6Switch,
                                &BoardWiring::fwp5Switch, &BoardWiring::fwp7Switch};
constexpr uint8_t fwpSwitchBits = 0x1F;
constexpr uint8_t fwpUnsupplied = 0x20;  // port 1 b5
constexpr uint8_t fwpInput6 = 0x04;      // port 1 b2

// FWP indicators from port 20 (FWP1 gates them all).
constexpr uint8_t fwpOutSupply = 0x40;
constexpr uint8_t fwpOut7 = 0x01;
constexpr uint8_t fwpOut6 = 0x02;
struct FwpIndicator {
  int led;
  uint8_t mask;
};
constexpr FwpIndicator fwpIndicators[] = {{5, 0x04}, {3, 0x08}, {2, 0x10}, {4, 0x20}};

constexpr int blankDigit = 10;

int Bit(bool on) { return on ? 1 : 0; }
bool IsSet(const ControlState* control) { return control->ItemIndex() != 0; }
bool AtZero(const ControlState* control) { return control->ItemIndex() == 0; }

const ControlState& ActiveKeyswitch(const BoardWiring& w) { return w.keyswitch->Visible() ? *w.keyswitch : *w.pcbKeyswitch; }

template <size_t N>
void ShowBindings(const BoardWiring& w, const HardwareState& board, const PortBinding (&bindings)[N]) {
  for (const PortBinding& b : bindings) (w.*b.control)->SetItemIndex(Bit(board.Port(b.port) & b.mask));
}

void ShowZoneLeds(const BoardWiring& w, const HardwareState& board) {
  const int shown = ZoneCount(board);
  for (int zone = 0; zone < 8; ++zone) {
    const ZoneLedBits& bits = zoneLedBits[zone];
    const uint8_t port = zone < shown ? board.Port(bits.port) : 0;
    w.zoneFireLed[zone]->SetItemIndex(Bit(port & bits.fire));
    w.zoneFaultLed[zone]->SetItemIndex(Bit(port & bits.fault));
  }
}

uint8_t SystemInputs(const BoardWiring& w, bool tripped) {
  bool earth = w.earthDetectLevelControl->ItemIndex() & 1;
  if (IsSet(w.earthHoldHigh)) earth = true;
  else if (IsSet(w.earthHoldLow)) earth = false;
  uint8_t bits = sysAlwaysOne;
  if (earth) bits |= sysEarthDetect;
  if (AtZero(w.digitalInput1)) bits |= sysDigitalInput1;
  if (AtZero(w.digitalInput2)) bits |= sysDigitalInput2;
  if (tripped) bits |= sysFaultLatch;
  if (ActiveKeyswitch(w).ItemIndex() & 1) bits |= sysKeyswitch;
  if (w.resetButton->ItemIndex() & 1) bits |= sysResetKey;
  if (AtZero(w.coverOffSwitch)) bits |= sysCoverSwitch;
  return bits;
}

void CopyFwpInputs(const BoardWiring& w, HardwareState& board) {
  const bool unsupplied = IsSet(w.fwpOvercurrent) || w.fwpLed[1]->Tag() == 0;
  uint8_t bits = unsupplied ? fwpUnsupplied : 0;
  for (int i = 0; i < 5; ++i) {
    if (AtZero(w.*fwpSwitches[i]) || unsupplied) bits |= uint8_t(1 << i);
  }
  board.WritePortMasked(portFwpInputs, fwpSwitchBits | fwpUnsupplied, bits);
}

void CopyMonitorInputs(const BoardWiring& w, HardwareState& board) {
  const uint8_t power = board.Port(portPowerOutputs);
  uint8_t bits = monAlwaysOne;
  if (AtZero(w.sounder1FaultInput) && !(power & pwrSounder1Drive)) bits |= monSounder1Healthy;
  if (AtZero(w.sounder2FaultInput) && !(power & pwrSounder2Drive)) bits |= monSounder2Healthy;
  if (w.auxiliarySupplyFault->ItemIndex() & 1) bits |= monAuxSupplyHealthy;
  if (AtZero(w.psuMainsInput)) bits |= monMainsFailed;
  if (w.chargerFault->ItemIndex() & 1) bits |= monChargerFault;
  board.WritePortMasked(portMonitorInputs, 0x3F, bits);
}

void ShowSounders(const BoardWiring& w, const HardwareState& board) {
  const uint8_t power = board.Port(portPowerOutputs);
  const bool supplied = board.Port(portSounderSupply) != 0;
  w.sounderOutput1->SetItemIndex(Bit(supplied && (power & pwrSounder1Drive) == pwrSounder1Drive));
  w.sounderOutput2->SetItemIndex(Bit(supplied && (power & pwrSounder2Drive) == pwrSounder2Drive));
}

// The FWP 6 indicator stays lit for 75 minutes after a pulse while its input holds.
void UpdateFwp6Hold(const BoardWiring& w, const HardwareState& board) {
  ControlState& fwp6 = *w.fwpLed[6];
  if (!IsSet(w.fwpLed[1]) || !(board.Port(portFwpInputs) & fwpInput6)) {
    fwp6.SetTag(0);
    return;
  }
  if ((board.Port(portFwpOutputs) & fwpOut6) && fwp6.Tag() == 0 && AtZero(&fwp6)) fwp6.SetTag(fwp6HoldUpdates);
  if (fwp6.Tag() != 0) fwp6.SetTag(fwp6.Tag() - 1);
}

void ShowVdsOutputs(const BoardWiring& w, const HardwareState& board, bool tripped) {
  const uint8_t fwpOut = board.Port(portFwpOutputs);
  const bool supply = IsSet(w.fwpLed[1]);
  w.fwpLed[6]->SetItemIndex(Bit(supply && (w.fwpLed[6]->Tag() != 0 || (fwpOut & fwpOut6))));
  for (const FwpIndicator& led : fwpIndicators) w.fwpLed[led.led]->SetItemIndex(Bit(supply && (fwpOut & led.mask)));
  ControlState* const digits[3] = {w.segment3, w.segment2, w.segment1};
  for (int i = 0; i < 3; ++i) {
    digits[i]->SetItemIndex(tripped ? blankDigit : CounterDigitDecode(board.Port(portHundreds + i) & segmentMask));
  }
  ShowBindings(w, board, vdsRelays);
}

std::string Tenths(uint16_t level) { return std::to_string(uint32_t(level) * 383 / 8192); }

}  // namespace

void ResetPeriodicUpdate() {
  periodicUpdate.divider20ms = divider20msStart;
  periodicUpdate.divider50ms = divider50msStart;
  periodicUpdate.runCounter.store(0);
  periodicUpdate.watchdogTripped.store(true);
  periodicUpdate.watchdogPeriods.store(0);
  periodicUpdate.wiring = nullptr;
}

void UpdateInternalTone(HardwareState& board, ControlState& internalTone) {
  internalTone.SetItemIndex(Bit(board.Port(portBuzzer) || board.Port(portBuzzerChirp)));
  board.StorePort(portBuzzerChirp, 0);
}

void PeriodicUpdate::Tick() {
  HardwareState* board = boardInstance.load(std::memory_order_acquire);
  if (divider20ms-- == 0) {
    divider20ms = divider20msStart;
    if (board) {
      Update20ms(*board);
      board->StorePort(portTick20ms, 1);
    }
  }
  if (divider50ms-- == 0) {
    divider50ms = divider50msStart;
    if (board) {
      Update50ms(*board);
      board->StorePort(portTick50ms, 1);
    }
  }
}

void PeriodicUpdate::Update20ms(HardwareState& board) {
  runCounter.fetch_add(2, std::memory_order_relaxed);
  if (!wiring) return;
  const BoardWiring& w = *wiring;
  UpdateInternalTone(board, *w.internalTone);
  if (IsSet(w.resetButton) && (AtZero(w.coverOffSwitch) || IsSet(&ActiveKeyswitch(w)))) {
    watchdogTripped.store(false, std::memory_order_relaxed);
  }
  ShowZoneLeds(w, board);
  ShowBindings(w, board, commonIndicators);
  for (const PortBinding& key : keysAndLinks) {
    board.AssignPortBits(key.port, key.mask, (w.*key.control)->ItemIndex() & 1);
  }
}

void PeriodicUpdate::Update50ms(HardwareState& board) {
  if (!wiring) return;
  const BoardWiring& w = *wiring;
  const bool tripped = watchdogTripped.load(std::memory_order_relaxed);
  const bool vds = IsSet(w.vdsModeSelect);
  board.StorePort(portSystemInputs, SystemInputs(w, tripped));
  if (vds) CopyFwpInputs(w, board);
  CopyMonitorInputs(w, board);
  ShowSounders(w, board);
  ShowBindings(w, board, powerOutputs);

  const uint8_t fwpOut = board.Port(portFwpOutputs);
  w.fwpLed[1]->SetItemIndex(Bit((fwpOut & fwpOutSupply) && !tripped));
  w.fwpLed[7]->SetItemIndex(Bit(IsSet(w.fwpLed[1]) && (fwpOut & fwpOut7)));
  UpdateFwp6Hold(w, board);
  if (vds) ShowVdsOutputs(w, board, tripped);

  const uint8_t leds = board.Port(portLedsRelays);
  w.systemFaultLed->SetItemIndex(Bit((leds & ledSystemFault) || tripped));
  w.faultLed->SetItemIndex(Bit(!(leds & ledFaultDark) || tripped));
  w.psuFaultLed->SetItemIndex(Bit(!(leds & ledPsuFaultDark)));
  ShowBindings(w, board, relayDrives);

  w.vbatt->SetCaption(Tenths(*w.batteryLevel));
  w.vchr->SetCaption(Tenths(*w.chargerLevel));

  // A peripheral that draws too much current loses its outputs.
  if (w.fwpLed[1]->Tag() != 0 && (board.Port(portFwpInputs) & fwpUnsupplied) &&
      !(board.Port(portSystemInputs) & sysFaultLatch)) {
    board.StorePort(portFwpOutputs, 0);
  }
  w.fwpLed[1]->SetTag(w.fwpLed[1]->ItemIndex());
}

void PeriodicUpdate::WatchdogTimerTimer() {
  const int32_t periods = watchdogPeriods.fetch_add(1, std::memory_order_relaxed) + 1;
  if (periods * watchdogIntervalMs <= watchdogTripAfterMs) return;
  watchdogTripped.store(true, std::memory_order_relaxed);
  HardwareState* board = boardInstance.load(std::memory_order_acquire);
  if (!wiring) return;
  wiring->systemFaultLed->SetItemIndex(1);
  if (board) UpdateInternalTone(*board, *wiring->internalTone);
}

bool PeriodicUpdate::ServiceWatchdog() {
  if (watchdogPeriods.load(std::memory_order_relaxed) * watchdogIntervalMs <= watchdogServiceAfterMs) return false;
  watchdogPeriods.store(0, std::memory_order_relaxed);
  return true;
}
