#pragma once
// The firmware as one object: every module's state and routine, on the board
// it is given. It keeps the firmware's rules: no heap, no clock, and the
// board reached only through HardwareRequest.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>

#include "board/hardware_interface.h"
#include "firmware/buzzer_display.h"
#include "firmware/delays.h"
#include "firmware/disablement.h"
#include "firmware/fire_brigade.h"
#include "firmware/inputs.h"
#include "firmware/keys.h"
#include "firmware/menu.h"
#include "firmware/monitors.h"
#include "firmware/outputs.h"
#include "firmware/panel_state.h"
#include "firmware/power_supply.h"
#include "firmware/supervision.h"
#include "firmware/zone_scanning.h"

class Firmware {
 public:
  // The board must outlive the firmware.
  explicit Firmware(HardwareState& board);
  Firmware(const Firmware&) = delete;
  Firmware& operator=(const Firmware&) = delete;

  // The firmware's only way to the board. A byte it writes to its memory is
  // read afresh the next time.
  int32_t HardwareRequest(uint8_t op, int32_t arg) {
    if (op == WRITE_NV_BYTE) configRead_[uint8_t(arg)] = configUnread;
    return ::HardwareRequest(board_, op, arg);
  }
  // The board it runs on, for its owner; the firmware itself only makes requests.
  const HardwareState& board() const { return board_; }

  // ---- panel state
  // Read from the board once, then kept until written.
  uint8_t ReadConfig(uint8_t address);
  // Every configuration byte is read from the board again: its memory was set
  // from elsewhere (a restored panel).
  void ForgetConfig() { configRead_.fill(configUnread); }
  void WriteConfig(uint8_t address, uint8_t value);
  void RebuildConfigChecksum();
  void RestartConfigCheck();
  void ConfigCheckStep();
  uint8_t ZoneBit(uint8_t n);
  uint8_t DelayConfig();
  bool LampTestActive();
  void ClearFireState();

  // ---- supervision
  // The limit by fastFaultTiming.
  uint8_t FaultLimit();
  // Sets the fault once; a newly latched fault sounds the fault buzzer again.
  void LatchFault(uint8_t& faults, uint8_t fault);
  // One tick of a filter: counts up while bad, never past limit (a count above
  // a lowered limit drops to it), and down while good or in engineering mode.
  // A bad condition at the limit latches the fault, again after every reset.
  void FilterFault(uint8_t& count, bool bad, uint8_t limit, uint8_t& faults, uint8_t fault);

  // ---- main loop
  void FirmwareStart();
  void FirmwarePass();
  void FilterReference();
  void ProgramCheckStep();
  void RunProgramCheckPass();
  void PanelReset();

  // ---- zone scanning
  void ScanZone();
  // Classifies the zone at zoneScanIndex.
  ZoneClass ClassifyZone(uint8_t zoneBit, bool shortIsFire);
  bool ReferenceHealthy();
  uint16_t NormaliseReading(uint16_t reading);
  // Scans of confirmation for the zone options' bits 4-5.
  uint8_t AlarmConfirmLimit(uint8_t selector);
  void CountAlarm();

  // ---- keys
  uint8_t ScanKeys();
  // True while the key has been seen pressed in both debounce stages.
  bool KeyHeld(uint8_t key);
  void HandleFrontPanelKeys();
  void SoundersKey();
  void AccessInputsTask();
  void ScanCoverInput();
  void ScanKeyswitch();
  void SelectionTimeoutTask();
  void EnterEngineeringMode();
  void CancelSelection();

  // ---- disablement
  // 2, 4 or 8 by the zone-count links.
  uint8_t ReadZoneCount();
  void ItemSelectKey();
  void DisableTestNormalKey();
  void CycleDisableTest(uint8_t mask);
  void ToggleOutputDisables(uint8_t mask);
  void ClearOutputDisables(uint8_t mask);
  uint8_t DisabledOrTestMask();
  void TestZoneAutoReset();

  // ---- delays
  void DelayTask();
  void CheckDelayCancel();
  void SetDelaysOn(uint8_t on);
  void StartExtendedDelay();
  bool AllZonesOverrideDelays();

  // ---- inputs
  void InputsTask();
  // input 1 or 2; level the raw bit (1 = open); state the stored debounce state.
  uint8_t ApplyInputFunction(uint8_t input, uint8_t level, uint8_t state);

  // ---- outputs
  void UpdateOutputs();
  // Whether the output is to be on now; latches fire routing.
  bool OutputDemand(uint8_t output);
  void OutputLineCheck(uint8_t output, bool healthy);
  void RelayLineCheck(uint8_t output, bool active);
  uint8_t DetectRelayBoard();

  // ---- power supply
  void MonitorPowerSupply();
  void ReferenceSupplyCheck();
  void FilterSupplyReading(bool chargerSelected);
  void MainsCheck(bool mainsFailed);
  void BatteryCheck(bool mainsFailed, bool chargerFaultSignal);
  uint8_t BatteryTestSequencer(uint8_t power, bool mainsPresent);

  // ---- monitors
  void AuxSupplyMonitor();
  void EarthFaultMonitor();
  // 1 while the detector follows the test level or no verdict is due, 0 when it failed to follow.
  uint8_t EarthLevelTest();

  // ---- fire brigade
  uint8_t ReadFwpCommands();
  void FwpCommandTask();
  uint8_t FwpOutputImage();
  void FwpOutputTask();

  // ---- buzzer display
  bool BuzzerDemand();
  void DriveBuzzer();
  void UpdateAlarmCounterDisplay();

  // ---- indications
  void UpdateIndications();
  // The statusLeds bit of common indicator n (0..15).
  uint16_t IndicatorBit(uint8_t n);
  // The last 5 s of a delay stage.
  bool DelayFinalPhase();

  // ---- flash timer
  void FlashTimerTask();

  // ---- menu
  void MenuNextItem();
  void MenuChangeValue();
  // key: 1..5 for Buzzer mute, Delay on/off, Item select, Disable/test/normal, Lamp test.
  void MenuFunctionKey(uint8_t key);
  void LoadFactoryDefaults();

  PanelState panel;
  KeysState keysState;
  DisablementState disablementState;
  FireBrigadeState fireBrigadeState;
  MonitorsState monitorsState;
  // The program memory the program check sums.
  std::array<uint8_t, programImageSize> programImage{};

 private:
  // panel state
  void StoreNvByte(uint8_t address, uint8_t value);
  // main loop
  uint16_t StoredWord(uint16_t offset);
  // zone scanning
  uint16_t ReadNormalised(uint8_t op, uint8_t channel);
  ZoneClass ClassifyHighReading(uint8_t channel, uint16_t level);
  void CountDownZoneReset();
  void FilterFault(uint8_t zone, uint8_t bit, ZoneClass zoneClass);
  void EnterFire(uint8_t zone, uint8_t bit, uint8_t options);
  void DetectAlarm(uint8_t zone, uint8_t bit, uint8_t options);
  void FilterAlarm(uint8_t zone, uint8_t bit, uint8_t options, ZoneClass zoneClass);
  void EvaluateZone(uint8_t zone);
  void TrackAcknowledgement();
  // keys
  bool AtLevel2();
  bool InEngineeringMode();
  bool FirePresent();
  void Click();
  void MuteBuzzers();
  void EngineeringKey(uint8_t pressed);
  bool AcceptKey();
  bool DelayOnOffKey();
  bool OperatorKey(uint8_t pressed);
  bool SelectionExpired();
  // disablement
  uint8_t OutputGroupMask(uint8_t item);
  uint8_t ZoneItemMask(uint8_t item);
  bool AllSet(uint8_t bits, uint8_t mask);
  // delays
  uint8_t FirstStageField(uint8_t config);
  uint8_t SecondStageField(uint8_t config);
  void EndDelay();
  void StartFirstStage();
  // inputs
  void ApplyFunction(uint8_t function, bool on, Edge edge);
  void SampleInput(uint8_t input, uint8_t systemInputs, uint8_t levelBit, uint8_t stateMask);
  // outputs
  void NoteDelayable(uint8_t options);
  bool HeldByDelay(uint8_t options);
  bool SounderDecision(uint8_t options);
  bool SounderDemand(uint8_t options);
  bool FireRoutingDemand(uint8_t output, uint8_t options);
  bool FaultRoutingDemand();
  uint8_t OutputOptions(uint8_t output);
  void CheckSounderLine(uint8_t output, uint8_t power, uint8_t drive, bool healthy);
  uint8_t DriveSounder(uint8_t power, uint8_t output, uint8_t drive);
  bool SounderDriven(uint8_t power);
  uint8_t DriveBoardRelays();
  uint8_t VdsRelays();
  void UpdateRelays();
  // power supply
  uint8_t MainsLossCount();
  void SetMainsLossCount(uint8_t count);
  void DebounceMains(bool mainsPresent);
  bool ChargerIsGood();
  uint8_t Charge(uint8_t power);
  uint8_t LoadTest(uint8_t power);
  uint8_t HoldBatteryTest(uint8_t power);
  uint8_t StartCycle(uint8_t power, bool good);
  // monitors
  uint8_t CountAgreement(uint8_t count, bool agrees);
  // fire brigade
  bool Polled(uint8_t systemInputs);
  void LinkFault();
  void ResetCommand(bool operated);
  void SounderCommand(bool operated);
  void ActOnCommands(uint8_t commands);
  bool TdTriggered();
  // buzzer display
  bool Flash(uint8_t bit);
  void ShowDigits(uint16_t digits);
  void LampTestWalk();
  std::optional<bool> AlarmTone();
  // indications
  void Show(uint16_t indicator, bool on);
  void ShowFlashing(uint16_t indicator, uint8_t flashBit);
  uint8_t AllZones();
  bool ZoneItem(uint8_t item);
  uint8_t SelectedZoneBit();
  bool GroupState(uint8_t set, uint8_t group);
  uint8_t ZoneFireImage();
  uint8_t ZoneFaultImage();
  void ShowFire();
  bool DisabledState();
  bool TestState();
  void ShowFaults();
  bool ItemIsOneOf(std::initializer_list<uint8_t> items);
  void ShowOutput(uint16_t indicator, bool selected, bool disabled, bool lineFault);
  void ShowOutputs();
  void ShowDelay();
  void ShowRoutingActive();
  void NormalIndications();
  void PanelOptionsPage();
  void ZoneOptionsPage();
  void OutputsPage();
  void InputsPage();
  void DelaysPage();
  void EngineeringIndications();
  // flash timer
  uint8_t Increment(uint8_t value, uint8_t mask, uint8_t step);
  void TenSecondStep();
  void SecondStep();
  void SlowStep();
  // menu
  uint8_t ItemCount(uint8_t page);
  uint8_t StepField(uint8_t value, uint8_t mask, uint8_t last);
  void StepConfigField(uint8_t address, uint8_t mask, uint8_t last);
  void PanelOptionsKey(uint8_t key);
  void ZoneOptionsKey(uint8_t key);
  void ToggleConfigBit(uint8_t address, uint8_t bit, uint8_t key);

  HardwareState& board_;
  // The configuration bytes as last read; configUnread where not read since written.
  static constexpr int16_t configUnread = -1;
  std::array<int16_t, 256> configRead_;
};
