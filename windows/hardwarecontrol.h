#pragma once
// The hardware control window: the simulated field wiring, power supply,
// links and options as controls, and the board outputs shown on them. Every
// state lives in a control; the board tick reads and sets them, and the
// analogue channels read the levels through AnalogueSource.

#include <array>
#include <atomic>
#include <memory>
#include <vector>

#include "board/analogue.h"
#include "board/board_wiring.h"
#include "board/settings_file.h"
#include "windows/framework/form.h"
#include "windows/imageselector.h"
#include "windows/levelcontrol.h"

// What the firmware calls itself, shown under the links.
extern const char* const firmwareVersionText;

// What the window's creation and destruction do to the board, each at its
// step: the machine that owns the board does it.
class TfrmHardwareControl;
class PeriodicUpdate;
class TfrmMainDisplay;

class BoardLifecycle {
 public:
  virtual ~BoardLifecycle() = default;
  // The board running with its firmware, wired to both windows.
  virtual void StartBoard(TfrmHardwareControl& window) = 0;
  // No tick reaches the board after this; its part of the file is staged.
  virtual void StopBoard() = 0;
};

class TfrmHardwareControl : public TForm, public AnalogueSource {
 public:
  // The board's tick runs the watchdog's periods; WatchdogTimer only keeps
  // their count for scripts. The front panel, if any, must outlive this window.
  TfrmHardwareControl(BoardLifecycle& board, PeriodicUpdate& periodicUpdate, TfrmMainDisplay* frmMainDisplay,
                      WindowHost* host = nullptr, SettingsFile settingsFile = SettingsFile());
  ~TfrmHardwareControl() override;

  // Event handlers.
  void ToggleImage(TControl* sender, MouseButton button, ShiftState shift, int x, int y);
  void OptionalRelaysClick(TControl* sender);
  void WatchdogTimerTimer(TTimer* sender);
  // Saves the settings when they changed since the last save; the timer
  // then rests until the next change.
  void AutosaveTimerTimer(TTimer* sender);
  // The board's side, after a tick: a change of the window's settings or of
  // the configuration memory since the last look starts the autosave timer
  // (on the window thread), so that nothing wakes for saving while nothing changes.
  void WatchSettings();
  void ControlChanged() override { controlsChanged_.store(true, std::memory_order_release); }
  void FormShow(TForm* sender);
  void FormClose(TForm* sender);
  void AnalogueControl1MouseDown(TControl* sender, MouseButton button, ShiftState shift, int x, int y);
  void AnalogueControl1MouseMove(TControl* sender, ShiftState shift, int x, int y);
  void AnalogueControl1MouseUp(TControl* sender, MouseButton button, ShiftState shift, int x, int y);

  // Every level control, for those that follow their positions.
  const std::vector<std::unique_ptr<TLevelControl>>& Levels() const { return levels_; }
  // Sets a level as a left press at x on its box and a release of the drag.
  void PressLevel(TControl* box, int x);

  // Points the board's periodic update at this window's controls.
  void WireHardwareControls(BoardWiring& wiring);

  // AnalogueSource, read whole from any thread.
  int32_t ZoneResistance(int zone) const override;
  bool CapacitorFitted(int zone) const override;
  int32_t SupplyMillivolts() const override;
  int32_t BatteryMillivolts() const override;
  int32_t ChargerMillivolts() const override;
  int32_t Relay1Width() const override;
  int32_t Relay2Width() const override;
  int32_t TransmissionDeviceWidth() const override;
  int32_t OptionalRelaysState() const override;

  // Image lists.
  TImageList* LinkImages;
  TImageList* SmallLEDListYellow;
  TImageList* SmallLEDListRed;
  TImageList* SmallLEDListGreen;
  TImageList* SwitchImages;
  TImageList* MainsSupplyImages;
  TImageList* FuseImages;
  TImageList* FireRelayImages;
  TImageList* FaultDisabledRelayImages;
  TImageList* CapacitorEOLImages;
  TImageList* SounderImageList;
  TImageList* InputStatusToggle;

  // Groups.
  TGroupBox* GroupBox1;
  TGroupBox* GroupBox4;
  TGroupBox* GroupBox3;
  TGroupBox* GroupBox5;
  TGroupBox* OptionalRelaysGroup;
  TGroupBox* gbxLinksAndOptions;
  TGroupBox* VdSHardwareOptions;
  TGroupBox* GroupBox2;
  TGroupBox* gbxSoftwareVersion;

  // Zone rows: zone n at index n - 1.
  std::array<TShape*, 8> ZoneAnalogueControl;
  std::array<TShape*, 8> ZoneAnalogueValue;
  std::array<TLabel*, 8> ZoneResValue;
  std::array<TImageSelector*, 8> CapEOLZone;
  TShape* ZoneRangeShort;
  TShape* ZoneRangeFire;
  TShape* ZoneRangeDouble;
  TShape* ZoneRangeNormal;
  TShape* ZoneRangeOpen;

  // Supply rows.
  TShape* VbattAnalogueValueBox;
  TShape* VbattAnalogueValue;
  TLabel* VbattLevel;
  TShape* VchrAnalogueValueBox;
  TShape* VchrAnalogueValue;
  TLabel* VchrLevel;
  TShape* VssAnalogueValueBox;
  TShape* VssAnalogueValue;
  TLabel* VssLevel;
  TShape* BatteryRangeLow;
  TShape* BatteryRangeNormal;
  TShape* BatteryRangeHigh;
  TShape* VssRangeLow;
  TShape* VssRangeNormal;
  TShape* VssRangeHigh;
  TImageSelector* CrossLinkBatteryCharger;
  TLabel* Vbatt;  // the firmware's filtered battery reading
  TLabel* Vchr;   // and charger reading

  // Power supply.
  TImageSelector* PSUMainsInput;
  TImageSelector* AuxiliarySupplyFault;
  TImageSelector* BatteryTestLoad;
  TImageSelector* BatteryConnect;
  TImageSelector* EnableCharger;
  TImageSelector* ChargerFault;
  TImageSelector* EarthDetectLevelControl;
  TImageSelector* EarthHoldHigh;
  TImageSelector* EarthHoldLow;
  TImageSelector* BatteryCutOff;

  // General inputs and outputs.
  TImageSelector* SounderOutput1;
  TImageSelector* SounderOutput2;
  TImageSelector* Sounder1FaultInput;
  TImageSelector* Sounder2FaultInput;
  TCheckBox* OptionalRelays;
  TImageSelector* Relay1Drive;
  TImageSelector* Relay2Drive;
  TShape* Relay1ValueBox;
  TShape* Relay1Value;
  TShape* Relay2ValueBox;
  TShape* Relay2Value;
  TImageSelector* DigitalInput1;
  TImageSelector* DigitalInput2;
  // Silences what the simulator plays; the front end remembers it per user.
  TCheckBox* SoundMute;

  // Links.
  TImageSelector* VdSModeSelect;
  TImageSelector* FourZonePanel;
  TImageSelector* EightZonePanel;

  // VdS fire-brigade peripheral: FWP LED n at index n (FWPLED[0] unused,
  // FWP8 has none); switches 4 to 8.
  std::array<TPanel*, 8> Panels;
  std::array<TImageSelector*, fwpLedCount> FWPLED{};
  TImageSelector* FWP4Switch;
  TImageSelector* FWP5Switch;
  TImageSelector* FWP6Switch;
  TImageSelector* FWP7Switch;
  TImageSelector* FWP8Switch;
  TImageSelector* FWPOvercurrent;
  TImageSelector* TransmissionDeviceRelay;
  TShape* TransmissionDeviceValueBox;
  TShape* TransmissionDeviceValue;
  TImageSelector* FireOutputActiveRelay;
  TImageSelector* FireOutputDisabledRelay;

  TLabel* lblSoftwareVersion;
  TTimer* WatchdogTimer;
  TTimer* AutosaveTimer;

  // The window part of Hardware.dat as a save now would write it.
  WindowSettings SettingsToSave() const;
  // Both windows laid out for the links as they stand, as after a click on
  // one (after the controls were set directly, as a restored state sets them).
  void FollowLinks();

 private:
  void FormCreate();
  // Stops the board and saves the settings; the destructor runs it.
  void FormDestroy();
  void RestoreSettings(const WindowSettings& settings);
  void RestoreSupplyPair(const WindowSettings& settings);
  void ReportSaveFailure();
  void ApplyLevelDefaults();
  void SetRangeMarkWidths();

  void CreateImageLists();
  void CreateZoneLevels();
  void CreateSupplyLevels();
  void CreatePowerSupply();
  void CreateGeneralIO();
  void CreateLinks();
  void CreateVdSOptions();
  void CreateFireBrigadePanels();
  void CreateSoftwareVersion();

  TLevelControl* AddLevel(TControl* parent, const LevelLayout& layout);
  void AddMonitorMarks(TControl* parent, const char* narrow, const char* middle, const char* wide, int left, int top);
  TImageSelector* AddImage(TControl* parent, const std::string& name, int left, int top, TImageList* list, int index = 0);
  TImageSelector* AddToggle(TControl* parent, const std::string& name, int left, int top, TImageList* list, int index = 0,
                            const std::string& hint = {});
  TLabel* AddLabel(TControl* parent, const std::string& name, int left, int top, const std::string& caption, int pixels = 11);

  TLevelControl* LevelOf(const TControl* box) const;
  void FollowCrossLink(const TLevelControl& moved, ShiftState shift, int x, int y);
  void SetSupplyForMains();
  void ChangeVdSLayout();
  // Both windows placed afresh on the screen.
  void PlaceBothWindows();
  void ReplaceIfCrowded();

  std::vector<std::unique_ptr<TLevelControl>> levels_;
  std::array<TLevelControl*, 8> zoneLevels_{};
  TLevelControl* batteryLevel_ = nullptr;
  TLevelControl* chargerLevel_ = nullptr;
  TLevelControl* supplyLevel_ = nullptr;
  TLevelControl* relay1Level_ = nullptr;
  TLevelControl* relay2Level_ = nullptr;
  TLevelControl* transmissionDeviceLevel_ = nullptr;
  // The read-out labels as the tick thread's 50 ms update sets them.
  std::vector<std::unique_ptr<CaptionControl>> readouts_;
  bool placed_ = false;
  // What the last save wrote, board part and window part; a failure is told once.
  std::vector<uint8_t> lastSaved_;
  bool saveFailureTold_ = false;
  // What WatchSettings last saw; the board's side only.
  std::array<uint8_t, windowPartSize> watchedSettings_{};
  uint32_t watchedNvWrites_ = 0;
  // Set as any control changes, taken by WatchSettings.
  std::atomic<bool> controlsChanged_{true};

  BoardLifecycle& board_;
  const SettingsFile settingsFile_;
  // The board's tick and watchdog.
  PeriodicUpdate& periodicUpdate;
  // The sibling window: the zone links and VdS mode show on it, and closing
  // this window closes it.
  TfrmMainDisplay* frmMainDisplay;
};
