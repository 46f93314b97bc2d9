#include "board/periodic_update.h"

#include <array>
#include <iterator>
#include <string>

#include "board/analogue.h"
#include "board/hardware_interface.h"

namespace {

using Wire = ControlState* BoardWiring::*;

struct PortBinding {
  Wire control;
  BoardBit at;
};

// Common indicators shown from the LED matrix every 20 ms.
constexpr PortBinding commonIndicators[] = {
    {&BoardWiring::auxiliaryFaultLed, auxiliaryFaultLedAt},
    {&BoardWiring::delayOnLed, delayOnLedAt},
    {&BoardWiring::testLed, testLedAt},
    {&BoardWiring::disabledLed, disabledLedAt},
    {&BoardWiring::sounderFaultDisabledLed, sounderFaultDisabledLedAt},
    {&BoardWiring::earthFaultLed, earthFaultLedAt},
    {&BoardWiring::fireRoutingFaultDisabledLed, fireRoutingFaultDisabledLedAt},
    {&BoardWiring::faultRoutingFaultDisabledLed, faultRoutingFaultDisabledLedAt},
    {&BoardWiring::fireRoutingActiveLed, fireRoutingActiveLedAt},
    {&BoardWiring::fireLed, fireLedAt},
};

// Keys and links copied into the matrix every 20 ms.
constexpr PortBinding keysAndLinks[] = {
    {&BoardWiring::buzzerMuteButton, buzzerMuteKeyAt},
    {&BoardWiring::acceptButton, acceptKeyAt},
    {&BoardWiring::delayOnOffButton, delayOnOffKeyAt},
    {&BoardWiring::soundersStartStopButton, soundersStartStopKeyAt},
    {&BoardWiring::itemSelectButton, itemSelectKeyAt},
    {&BoardWiring::disableTestNormalButton, disableTestNormalKeyAt},
    {&BoardWiring::lampTestButton, lampTestKeyAt},
    {&BoardWiring::vdsModeSelect, vdsLinkAt},
    {&BoardWiring::fourZonePanel, fourZoneLinkAt},
    {&BoardWiring::eightZonePanel, eightZoneLinkAt},
};

// The zone and common LEDs are shown only when the matrix ports change.
constexpr bool InMatrix(int port) { return port >= portMatrixFirst && port <= portMatrixLast; }
constexpr bool MatrixHoldsShownLeds() {
  for (const PortBinding& b : commonIndicators) {
    if (!InMatrix(b.at.port)) return false;
  }
  for (const ZoneLedBits& zone : zoneLedBits) {
    if (!InMatrix(zone.port)) return false;
  }
  return InMatrix(portMatrix29) && (portMatrixLast - portMatrixFirst + 1) * 8 <= 64;
}
static_assert(MatrixHoldsShownLeds(), "the matrix image covers every LED shown from it");

using KeyBits = PortBits<portMatrixFirst, portMatrixLast - portMatrixFirst + 1>;
static_assert(AllHeld<KeyBits>(keysAndLinks, [](const PortBinding& key) { return key.at; }),
              "the keys and links are copied into the matrix ports together");

// Each key's bit among the matrix ports, and all of them: the copy is one write a port.
constexpr std::array<uint64_t, std::size(keysAndLinks)> KeyBitTable() {
  std::array<uint64_t, std::size(keysAndLinks)> bits{};
  for (size_t i = 0; i < bits.size(); ++i) bits[i] = KeyBits::Packed(keysAndLinks[i].at);
  return bits;
}
constexpr std::array<uint64_t, std::size(keysAndLinks)> keyBits = KeyBitTable();
constexpr uint64_t KeyMasks() {
  uint64_t masks = 0;
  for (uint64_t bit : keyBits) masks |= bit;
  return masks;
}
constexpr uint64_t keyMasks = KeyMasks();

// Power outputs shown on the hardware window every 50 ms.
constexpr PortBinding powerOutputs[] = {
    {&BoardWiring::batteryTestLoad, {portPowerOutputs, pwrBatteryTestLoad}},
    {&BoardWiring::batteryConnect, {portPowerOutputs, pwrBatteryConnect}},
    {&BoardWiring::enableCharger, {portPowerOutputs, pwrChargerEnable}},
    {&BoardWiring::batteryCutOff, {portPowerOutputs, pwrBatteryCutOff}},
};

// The VdS relays, shown only in VdS mode.
constexpr PortBinding vdsRelays[] = {
    {&BoardWiring::fireOutputActiveRelay, fireOutputActiveRelayAt},
    {&BoardWiring::fireOutputDisabledRelay, fireOutputDisabledRelayAt},
    {&BoardWiring::transmissionDeviceRelay, transmissionDeviceRelayAt},
};

constexpr PortBinding relayDrives[] = {
    {&BoardWiring::relay1Drive, relay1At},
    {&BoardWiring::relay2Drive, relay2At},
    {&BoardWiring::earthDetectLevelControl, {portLedsRelays, earthLevelHigh}},
};

// FWP switches into the FWP input port, b0 upwards.
constexpr Wire fwpSwitches[] = {&BoardWiring::fwp8Switch, &BoardWiring::fwp4Switch, &BoardWiring::fwp6Switch,
                                &BoardWiring::fwp5Switch, &BoardWiring::fwp7Switch};

// FWP indicators lit straight from the FWP output port (FWP 1 gates them all).
struct FwpIndicator {
  int led;
  uint8_t mask;
};
constexpr FwpIndicator fwpIndicators[] = {{5, fwpOutputLed5}, {3, fwpOutputLed3}, {2, fwpOutputLed2}, {4, fwpOutputLed4}};

// The firmware's filtered supply level settles at eight times the reading: full
// scale is 1024 counts times 8, shown in tenths of a volt.
constexpr uint32_t fullScaleTenths = analogueFullScaleMv / 100;
constexpr uint32_t filteredFullScale = 8192;

int Bit(bool on) { return on ? 1 : 0; }
bool IsSet(const ControlState* control) { return control->ItemIndex() != 0; }
bool AtZero(const ControlState* control) { return control->ItemIndex() == 0; }

const ControlState& ActiveKeyswitch(const BoardWiring& w) { return w.keyswitch->Visible() ? *w.keyswitch : *w.pcbKeyswitch; }

template <size_t N>
void ShowBindings(const BoardWiring& w, const HardwareState& board, const PortBinding (&bindings)[N]) {
  for (const PortBinding& b : bindings) (w.*b.control)->SetItemIndex(Bit(board.IsSet(b.at)));
}

void ShowZoneLeds(const BoardWiring& w, const HardwareState& board) {
  const int shown = ZoneCount(board);
  for (int zone = 0; zone < int(zoneLedBits.size()); ++zone) {
    const ZoneLedBits& bits = At(zoneLedBits, zone);
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
  uint8_t bits = unsupplied ? fwpInputUnsupplied : 0;
  for (size_t i = 0; i < std::size(fwpSwitches); ++i) {
    if (AtZero(w.*fwpSwitches[i]) || unsupplied) bits |= uint8_t(1 << i);
  }
  board.WritePortMasked(portFwpInputs, fwpInputSwitches | fwpInputUnsupplied, bits);
}

void CopyMonitorInputs(const BoardWiring& w, HardwareState& board) {
  const uint8_t power = board.Port(portPowerOutputs);
  uint8_t bits = monAlwaysOne;
  if (AtZero(w.sounder1FaultInput) && !(power & pwrSounder1Drive)) bits |= monSounder1Healthy;
  if (AtZero(w.sounder2FaultInput) && !(power & pwrSounder2Drive)) bits |= monSounder2Healthy;
  if (w.auxiliarySupplyFault->ItemIndex() & 1) bits |= monAuxSupplyHealthy;
  if (AtZero(w.psuMainsInput)) bits |= monMainsFailed;
  if (w.chargerFault->ItemIndex() & 1) bits |= monChargerFault;
  board.WritePortMasked(portMonitorInputs, monAllInputs, bits);
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
  if (!IsSet(w.fwpLed[1]) || !(board.Port(portFwpInputs) & fwpInputSwitch6)) {
    fwp6.SetTag(0);
    return;
  }
  if ((board.Port(portFwpOutputs) & fwpOutputLed6) && fwp6.Tag() == 0 && AtZero(&fwp6)) fwp6.SetTag(fwp6HoldUpdates);
  if (fwp6.Tag() != 0) fwp6.SetTag(fwp6.Tag() - 1);
}

void ShowVdsOutputs(const BoardWiring& w, const HardwareState& board, bool tripped) {
  const uint8_t fwpOut = board.Port(portFwpOutputs);
  const bool supply = IsSet(w.fwpLed[1]);
  w.fwpLed[6]->SetItemIndex(Bit(supply && (w.fwpLed[6]->Tag() != 0 || (fwpOut & fwpOutputLed6))));
  for (const FwpIndicator& led : fwpIndicators) w.fwpLed[led.led]->SetItemIndex(Bit(supply && (fwpOut & led.mask)));
  ControlState* const digits[3] = {w.segment3, w.segment2, w.segment1};
  for (int i = 0; i < 3; ++i) {
    digits[i]->SetItemIndex(tripped ? counterBlankDigit : CounterDigitDecode(board.Port(portHundreds + i) & segmentMask));
  }
  ShowBindings(w, board, vdsRelays);
}

// The LED matrix ports as one number, to tell whether any of its LEDs changed.
uint64_t MatrixImage(const HardwareState& board) {
  uint64_t image = 0;
  for (int port = portMatrixFirst; port <= portMatrixLast; ++port) image = image << 8 | board.Port(port);
  return image;
}

// Counts a divider down; due, and restarted, on the tick that finds it at zero.
bool CountDown(std::atomic<int32_t>& divider, int32_t start) {
  if (divider.fetch_sub(1, std::memory_order_relaxed) != 0) return false;
  divider.store(start, std::memory_order_relaxed);
  return true;
}

std::string Tenths(uint16_t level) { return std::to_string(uint32_t(level) * fullScaleTenths / filteredFullScale); }

}  // namespace

void PeriodicUpdate::RestartCounters() {
  divider20ms = divider20msStart;
  divider50ms = divider50msStart;
  runCounter.store(0);
  shownBattery_ = noLevelShown;
  shownCharger_ = noLevelShown;
  ShowMatrixAgain();
}

void PeriodicUpdate::ShowReadout(CaptionControl& readout, uint16_t level, int32_t& shown) {
  if (level == shown) return;
  shown = level;
  readout.SetCaption(Tenths(level));
}

void UpdateInternalTone(HardwareState& board, ControlState& internalTone) {
  internalTone.SetItemIndex(Bit(board.Port(portBuzzer) || board.Port(portBuzzerChirp)));
  board.StorePort(portBuzzerChirp, 0);
}

void PeriodicUpdate::Tick() {
  HardwareState* board = boardInstance.load(std::memory_order_acquire);
  if (CountDown(divider20ms, divider20msStart)) {
    if (board) {
      Update20ms(*board);
      board->StorePort(portTick20ms, 1);
    }
  }
  if (CountDown(divider50ms, divider50msStart)) {
    if (board) {
      Update50ms(*board);
      board->StorePort(portTick50ms, 1);
    }
  }
}

void PeriodicUpdate::Update20ms(HardwareState& board) {
  runCounter.fetch_add(2, std::memory_order_relaxed);
  const BoardWiring* const wired = wiring.load(std::memory_order_acquire);
  if (!wired) return;
  const BoardWiring& w = *wired;
  UpdateInternalTone(board, *w.internalTone);
  if (IsSet(w.resetButton) && (AtZero(w.coverOffSwitch) || IsSet(&ActiveKeyswitch(w)))) {
    watchdogTripped.store(false, std::memory_order_relaxed);
  }
  const uint64_t matrix = MatrixImage(board);
  if (matrix != shownMatrix_.load(std::memory_order_relaxed)) {
    shownMatrix_.store(matrix, std::memory_order_relaxed);
    ShowZoneLeds(w, board);
    ShowBindings(w, board, commonIndicators);
  }
  if (w.keyCopyListener) w.keyCopyListener->BeforeKeysCopied(board);
  uint64_t pressed = 0;
  for (size_t i = 0; i < std::size(keysAndLinks); ++i) {
    if ((w.*keysAndLinks[i].control)->ItemIndex() & 1) pressed |= keyBits[i];
  }
  KeyBits::Write(board, keyMasks, pressed);
}

void PeriodicUpdate::Update50ms(HardwareState& board) {
  const BoardWiring* const wired = wiring.load(std::memory_order_acquire);
  if (!wired) return;
  const BoardWiring& w = *wired;
  const bool tripped = watchdogTripped.load(std::memory_order_relaxed);
  const bool vds = IsSet(w.vdsModeSelect);
  board.StorePort(portSystemInputs, SystemInputs(w, tripped));
  if (vds) CopyFwpInputs(w, board);
  CopyMonitorInputs(w, board);
  ShowSounders(w, board);
  ShowBindings(w, board, powerOutputs);

  const uint8_t fwpOut = board.Port(portFwpOutputs);
  w.fwpLed[1]->SetItemIndex(Bit((fwpOut & fwpOutputSupply) && !tripped));
  w.fwpLed[7]->SetItemIndex(Bit(IsSet(w.fwpLed[1]) && (fwpOut & fwpOutputLed7)));
  UpdateFwp6Hold(w, board);
  if (vds) ShowVdsOutputs(w, board, tripped);

  const uint8_t leds = board.Port(portLedsRelays);
  w.systemFaultLed->SetItemIndex(Bit((leds & ledSystemFault) || tripped));
  w.faultLed->SetItemIndex(Bit(!(leds & ledFaultDark) || tripped));
  w.psuFaultLed->SetItemIndex(Bit(!(leds & ledPsuFaultDark)));
  ShowBindings(w, board, relayDrives);

  ShowReadout(*w.vbatt, *w.batteryLevel, shownBattery_);
  ShowReadout(*w.vchr, *w.chargerLevel, shownCharger_);

  // A peripheral that draws too much current loses its outputs.
  if (w.fwpLed[1]->Tag() != 0 && (board.Port(portFwpInputs) & fwpInputUnsupplied) &&
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
  const BoardWiring* const wired = wiring.load(std::memory_order_acquire);
  if (!wired) return;
  wired->systemFaultLed->SetItemIndex(1);
  if (board) UpdateInternalTone(*board, *wired->internalTone);
}

bool PeriodicUpdate::WatchdogServiceDue() const {
  return watchdogPeriods.load(std::memory_order_relaxed) * watchdogIntervalMs > watchdogServiceAfterMs;
}

bool PeriodicUpdate::ServiceWatchdog() {
  if (!WatchdogServiceDue()) return false;
  watchdogPeriods.store(0, std::memory_order_relaxed);
  return true;
}
