#include "windows/hardwarecontrol.h"

#include <utility>

#include "board/index.h"
#include "board/periodic_update.h"
#include "windows/framework/host.h"
#include "windows/levelmath.h"
#include "windows/maindisplay.h"
#include "windows/placement.h"

const char* const firmwareVersionText = "QX40 Fire Alarm Panel\rSW518-207, v1.00A, Jul 31 2003 17:16:46\r";

namespace {
constexpr int clientWidth = 601;
constexpr int clientHeight = 337;
constexpr int zoneCount = 8;
constexpr int zoneRowPitch = 10;
// Settings are saved this long after a change, so that a drag is saved once:
// a killed program loses at most this.
constexpr int autosaveIntervalMs = 1000;
constexpr int groupSpacing = 7;
constexpr int dragging = 1;
constexpr int linked = 0;
constexpr int present = 1;

// Where creation presses the levels.
constexpr int32_t supplyPressMv = 28000;
constexpr int32_t batteryPressMv = 24000;
constexpr int32_t zonePressOhms = 4700;
constexpr int32_t shortBelowOhms = 178;
constexpr int32_t fireBelowOhms = 564;
constexpr int32_t normalFromOhms = 3760;
constexpr int32_t openFromOhms = 5640;
constexpr int32_t batteryLowBelowMv = 21000;
constexpr int32_t batteryHighFromMv = 29000;
constexpr int32_t supplyLowBelowMv = 19000;
constexpr int32_t supplyHighFromMv = 31000;

constexpr Color silver = Color::Rgb(192, 192, 192);
constexpr Color yellow = Color::Rgb(255, 255, 0);
constexpr Color lime = Color::Rgb(0, 255, 0);
constexpr Color olive = Color::Rgb(128, 128, 0);
constexpr Color red = Color::Rgb(255, 0, 0);
constexpr Color orange = Color::Rgb(255, 128, 0);

constexpr int levelBoxWidth = 260;
constexpr int levelBoxHeight = 10;
constexpr int levelFillHeight = 6;
constexpr int monitorBoxWidth = 68;
constexpr int monitorBoxHeight = 7;
constexpr int monitorFillHeight = 3;
constexpr int levelLeft = 40;
constexpr int rowsTop = 16;
constexpr int peripheralFontPixels = 9;

// The zone name labels, zone 1 to 8.
constexpr const char* zoneLabelNames[zoneCount] = {"Label24", "Label25", "Label26", "Label21",
                                                   "Label22", "Label23", "Label27", "Label28"};

struct PanelLayout {
  int left, top;
  const char* led;  // null: none
  const char* legendName;
  const char* legend;
  const char* switchName;  // null: none
  const char* switchHint;
};

constexpr const char* latchingHint = "click to switch it on or off";
constexpr const char* momentaryHint = "on while the mouse button is held";

// Panel1 .. Panel8 of the fireman's work panel.
constexpr PanelLayout fwpPanels[] = {
    {3, 14, "FWP1LED", "Label40", "Operating", nullptr, nullptr},
    {117, 14, "FWP2LED", "Label46", "TD Triggered", nullptr, nullptr},
    {3, 48, "FWP3LED", "Label80", "ES Triggered", nullptr, nullptr},
    {117, 48, "FWP4LED", "Label83", "Fire Control Disabled", "FWP4Switch", latchingHint},
    {3, 82, "FWP5LED", "Label64", "Sounder Disabled", "FWP5Switch", latchingHint},
    {117, 82, "FWP6LED", "FWP6SwitchText", "Reset Panel", "FWP6Switch", momentaryHint},
    {3, 116, "FWP7LED", "Label89", "TD Disabled", "FWP7Switch", latchingHint},
    {117, 116, nullptr, "Label82", "Test TD", "FWP8Switch", momentaryHint},
};

// A read-out label the tick thread sets: the caption is carried to the
// window thread rather than set from the tick, and only when it changes, so
// a steady reading costs the tick no allocation.
class PostedCaption : public CaptionControl {
 public:
  explicit PostedCaption(TLabel* label) : label_(label) {}
  void SetCaption(const std::string& caption) override {
    if (caption == last_) return;
    last_ = caption;
    label_->Form()->Host().Post([label = label_, caption] { label->SetCaption(caption); });
  }

 private:
  TLabel* label_;
  std::string last_;  // only ever set by one thread at a time
};

bool IsSet(const TImageSelector* selector) { return selector->ItemIndex() != 0; }
}  // namespace

TfrmHardwareControl::TfrmHardwareControl(BoardLifecycle& board, PeriodicUpdate& update, TfrmMainDisplay* front,
                                         WindowHost* host, SettingsFile settingsFile)
    : TForm("frmHardwareControl", "Hardware Interface", clientWidth, clientHeight, host),
      board_(board),
      settingsFile_(std::move(settingsFile)),
      periodicUpdate(update),
      frmMainDisplay(front) {
  SetWindowColor(silver);
  CreateImageLists();
  CreateZoneLevels();
  CreateSupplyLevels();
  CreatePowerSupply();
  CreateGeneralIO();
  CreateLinks();
  CreateVdSOptions();
  CreateSoftwareVersion();
  WatchdogTimer = new TTimer(this, "WatchdogTimer", watchdogIntervalMs);
  WatchdogTimer->OnTimer = [this](TTimer* sender) { WatchdogTimerTimer(sender); };
  AutosaveTimer = new TTimer(this, "AutosaveTimer", autosaveIntervalMs);
  AutosaveTimer->OnTimer = [this](TTimer* sender) { AutosaveTimerTimer(sender); };
  OnShow = [this](TForm* sender) { FormShow(sender); };
  OnClose = [this](TForm* sender) { FormClose(sender); };
  if (frmMainDisplay) {
    frmMainDisplay->EightZonePanel = EightZonePanel;
    frmMainDisplay->FourZonePanel = FourZonePanel;
  }
  FormCreate();
}

// The front panel outlives this window; it must not read its links after.
TfrmHardwareControl::~TfrmHardwareControl() {
  FormDestroy();
  if (!frmMainDisplay || frmMainDisplay->EightZonePanel != EightZonePanel) return;
  frmMainDisplay->EightZonePanel = nullptr;
  frmMainDisplay->FourZonePanel = nullptr;
}

// Creation's own steps, in their order: the board runs before the defaults
// are pressed, and the saved settings are replayed after the fault latch is set.
void TfrmHardwareControl::FormCreate() {
  lblSoftwareVersion->SetCaption(firmwareVersionText);
  board_.StartBoard(*this);
  ApplyLevelDefaults();
  SetRangeMarkWidths();
  periodicUpdate.watchdogTripped.store(true);
  if (const std::optional<WindowSettings> settings = settingsFile_.LoadWindowSettings()) RestoreSettings(*settings);
}

void TfrmHardwareControl::ApplyLevelDefaults() {
  PressLevel(VssAnalogueValueBox, VoltagePressX(VssAnalogueValueBox->Width(), supplyPressMv));
  PressLevel(VbattAnalogueValueBox, VoltagePressX(VbattAnalogueValueBox->Width(), batteryPressMv));
  PressLevel(VchrAnalogueValueBox, VoltagePressX(VbattAnalogueValueBox->Width(), batteryPressMv));
  for (TShape* box : ZoneAnalogueControl) PressLevel(box, OhmsMarkWidth(zonePressOhms));
}

void TfrmHardwareControl::SetRangeMarkWidths() {
  BatteryRangeLow->SetWidth(VoltageMarkWidth(VbattAnalogueValueBox->Width(), batteryLowBelowMv));
  BatteryRangeNormal->SetWidth(VoltageMarkWidth(VbattAnalogueValueBox->Width(), batteryHighFromMv));
  VssRangeLow->SetWidth(VoltageMarkWidth(VssAnalogueValueBox->Width(), supplyLowBelowMv));
  VssRangeNormal->SetWidth(VoltageMarkWidth(VssAnalogueValueBox->Width(), supplyHighFromMv));
  ZoneRangeShort->SetWidth(OhmsMarkWidth(shortBelowOhms));
  ZoneRangeFire->SetWidth(OhmsMarkWidth(fireBelowOhms));
  ZoneRangeDouble->SetWidth(OhmsMarkWidth(normalFromOhms));
  ZoneRangeNormal->SetWidth(OhmsMarkWidth(openFromOhms));
  ZoneRangeOpen->SetWidth(ZoneAnalogueControl[0]->Width());
}

// ---- Layout ---------------------------------------------------------------------

void TfrmHardwareControl::CreateImageLists() {
  const auto list = [this](const char* name, int width, int height) { return AddImageList(name, width, height, 2); };
  LinkImages = list("LinkImages", 22, 11);
  SmallLEDListYellow = list("SmallLEDListYellow", 10, 10);
  SmallLEDListRed = list("SmallLEDListRed", 10, 10);
  SmallLEDListGreen = list("SmallLEDListGreen", 10, 10);
  SwitchImages = list("SwitchImages", 20, 20);
  MainsSupplyImages = list("MainsSupplyImages", 42, 52);
  FuseImages = list("FuseImages", 64, 24);
  FireRelayImages = list("FireRelayImages", 32, 32);
  FaultDisabledRelayImages = list("FaultDisabledRelayImages", 32, 32);
  CapacitorEOLImages = list("CapacitorEOLImages", 11, 10);
  SounderImageList = list("SounderImageList", 32, 32);
  InputStatusToggle = list("InputStatusToggle", 11, 10);
}

TImageSelector* TfrmHardwareControl::AddImage(TControl* parent, const std::string& name, int left, int top, TImageList* list,
                                              int index) {
  auto* selector = Place<TImageSelector>(parent, name, left, top, list->Width(), list->Height());
  selector->SetAutoSize(true);
  selector->SetImageList(list);
  selector->SetItemIndex(index);
  return selector;
}

TImageSelector* TfrmHardwareControl::AddToggle(TControl* parent, const std::string& name, int left, int top,
                                               TImageList* list, int index, const std::string& hint) {
  TImageSelector* toggle = AddImage(parent, name, left, top, list, index);
  toggle->SetHint(hint);
  toggle->OnMouseDown = [this](TControl* s, MouseButton b, ShiftState sh, int x, int y) { ToggleImage(s, b, sh, x, y); };
  return toggle;
}

TLabel* TfrmHardwareControl::AddLabel(TControl* parent, const std::string& name, int left, int top, const std::string& caption,
                                      int pixels) {
  TLabel* label = Place<TLabel>(parent, name, left, top, 0, 0, caption);
  label->SetFont(MakeFont("Arial", pixels));
  label->SetAutoSize(true);
  return label;
}

TLevelControl* TfrmHardwareControl::AddLevel(TControl* parent, const LevelLayout& layout) {
  levels_.push_back(std::make_unique<TLevelControl>(parent, layout));
  TLevelControl* level = levels_.back().get();
  TShape* box = level->Box();
  box->OnMouseDown = [this](TControl* s, MouseButton b, ShiftState sh, int x, int y) {
    AnalogueControl1MouseDown(s, b, sh, x, y);
  };
  box->OnMouseMove = [this](TControl* s, ShiftState sh, int x, int y) { AnalogueControl1MouseMove(s, sh, x, y); };
  box->OnMouseUp = [this](TControl* s, MouseButton b, ShiftState sh, int x, int y) {
    AnalogueControl1MouseUp(s, b, sh, x, y);
  };
  // Set from outside, the linked partner follows as it would a drag.
  level->OnSet = [this, level](int x) {
    level->Box()->SetTag(dragging);
    FollowCrossLink(*level, 0, x, 0);
    level->Box()->SetTag(0);
  };
  return level;
}

void TfrmHardwareControl::CreateZoneLevels() {
  GroupBox1 = Place<TGroupBox>(this, "GroupBox1", 0, 0, 345, 105, "Zone Analogue Levels");
  const int bandsHeight = zoneCount * zoneRowPitch + 1;
  ZoneRangeOpen = AddRangeMark(GroupBox1, "ZoneRangeOpen", levelLeft, rowsTop, levelBoxWidth, bandsHeight, yellow);
  ZoneRangeNormal = AddRangeMark(GroupBox1, "ZoneRangeNormal", levelLeft, rowsTop, 0, bandsHeight, lime);
  ZoneRangeDouble = AddRangeMark(GroupBox1, "ZoneRangeDouble", levelLeft, rowsTop, 0, bandsHeight, olive);
  ZoneRangeFire = AddRangeMark(GroupBox1, "ZoneRangeFire", levelLeft, rowsTop, 0, bandsHeight, red);
  ZoneRangeShort = AddRangeMark(GroupBox1, "ZoneRangeShort", levelLeft, rowsTop, 0, bandsHeight, yellow);
  AddOutline(GroupBox1, "Shape16", levelLeft - 1, rowsTop - 1, levelBoxWidth + 2, bandsHeight + 1);
  for (int zone = 0; zone < zoneCount; ++zone) {
    const int row = rowsTop + zoneRowPitch * zone;
    const std::string n = std::to_string(zone + 1);
    TLabel* name = AddLabel(GroupBox1, zoneLabelNames[zone], 6, row + 1, "Zone" + n);
    name->SetFont(MakeFont("Terminal", 8));
    TLevelControl* level = AddLevel(GroupBox1, {LevelKind::Zone, "ZoneAnalogueControl" + n, "ZoneAnalogueValue" + n,
                                                "ZoneResValue" + n, levelLeft, row, levelBoxWidth, levelBoxHeight,
                                                levelFillHeight, 315, row + 1, "0R"});
    level->Box()->SetHint("Zone " + n + " line resistance: click or drag to set it");
    At(zoneLevels_, zone) = level;
    At(ZoneAnalogueControl, zone) = level->Box();
    At(ZoneAnalogueValue, zone) = level->Fill();
    At(ZoneResValue, zone) = level->Reading();
    At(CapEOLZone, zone) = AddToggle(GroupBox1, "CapEOLZone" + n, 303, row, CapacitorEOLImages, 0, "Capacitor EOL Enable");
  }
}

void TfrmHardwareControl::CreateSupplyLevels() {
  GroupBox4 = Place<TGroupBox>(this, "GroupBox4", 0, 112, 345, 57, "Supply Analogue Levels");
  AddLabel(GroupBox4, "VbattLevelHeadingText", 6, 17, "Vbat");
  AddLabel(GroupBox4, "Label11", 6, 27, "VChr");
  AddLabel(GroupBox4, "VssLevelHeadingText", 6, 37, "Vss");
  BatteryRangeHigh = AddRangeMark(GroupBox4, "BatteryRangeHigh", levelLeft, 16, levelBoxWidth, 19, orange);
  BatteryRangeNormal = AddRangeMark(GroupBox4, "BatteryRangeNormal", levelLeft, 16, 0, 19, lime);
  BatteryRangeLow = AddRangeMark(GroupBox4, "BatteryRangeLow", levelLeft, 16, 0, 19, yellow);
  VssRangeHigh = AddRangeMark(GroupBox4, "VssRangeHigh", levelLeft, 34, levelBoxWidth, 10, orange);
  VssRangeNormal = AddRangeMark(GroupBox4, "VssRangeNormal", levelLeft, 34, 0, 10, lime);
  VssRangeLow = AddRangeMark(GroupBox4, "VssRangeLow", levelLeft, 34, 0, 10, yellow);
  AddOutline(GroupBox4, "Shape1", levelLeft - 1, 15, levelBoxWidth + 2, 30);
  const auto supply = [this](LevelKind kind, const char* box, const char* fill, const char* reading, int top,
                              int readingTop, const char* what) {
    TLevelControl* level = AddLevel(GroupBox4, {kind, box, fill, reading, levelLeft, top, levelBoxWidth, levelBoxHeight,
                                                levelFillHeight, 304, readingTop, "00.0V"});
    level->Box()->SetHint(std::string(what) + ": click or drag to set it");
    return level;
  };
  batteryLevel_ = supply(LevelKind::Battery, "VbattAnalogueValueBox", "VbattAnalogueValue", "VbattLevel", 16, 17,
                         "Battery voltage");
  chargerLevel_ = supply(LevelKind::Charger, "VchrAnalogueValueBox", "VchrAnalogueValue", "VchrLevel", 25, 27,
                         "Charger voltage");
  supplyLevel_ = supply(LevelKind::Supply, "VssAnalogueValueBox", "VssAnalogueValue", "VssLevel", 34, 37,
                        "System supply voltage");
  VbattAnalogueValueBox = batteryLevel_->Box();
  VbattAnalogueValue = batteryLevel_->Fill();
  VbattLevel = batteryLevel_->Reading();
  VchrAnalogueValueBox = chargerLevel_->Box();
  VchrAnalogueValue = chargerLevel_->Fill();
  VchrLevel = chargerLevel_->Reading();
  VssAnalogueValueBox = supplyLevel_->Box();
  VssAnalogueValue = supplyLevel_->Fill();
  VssLevel = supplyLevel_->Reading();
  CrossLinkBatteryCharger =
      AddToggle(GroupBox4, "CrossLinkBatteryCharger", 32, 21, InputStatusToggle, linked, "Battery/Charger Cross Link");
  Vbatt = AddLabel(GroupBox4, "Vbatt", 32, 46, "Vbat");
  Vbatt->SetHint("Battery voltage as the panel measures it, in tenths of a volt");
  Vchr = AddLabel(GroupBox4, "Vchr", 64, 46, "Vchr");
  Vchr->SetHint("Charger voltage as the panel measures it, in tenths of a volt");
  readouts_.push_back(std::make_unique<PostedCaption>(Vbatt));
  readouts_.push_back(std::make_unique<PostedCaption>(Vchr));
}

void TfrmHardwareControl::CreatePowerSupply() {
  GroupBox3 = Place<TGroupBox>(this, "GroupBox3", 200, 176, 145, 161, "PSU Control/Monitoring");
  PSUMainsInput = AddToggle(GroupBox3, "PSUMainsInput", 8, 16, MainsSupplyImages, present,
                            "Mains supply: click to fail or restore it");
  AuxiliarySupplyFault = AddToggle(GroupBox3, "AuxiliarySupplyFault", 64, 16, FuseImages, 1,
                                   "Auxiliary supply fuse: click to blow or replace it");
  AddLabel(GroupBox3, "Label3", 64, 42, "Auxiliary Supply");
  const auto led = [this](const char* name, int top, TImageList* list, const char* labelName, const char* caption) {
    AddLabel(GroupBox3, labelName, 38, top - 1, caption);
    return AddImage(GroupBox3, name, 24, top, list);
  };
  BatteryTestLoad = led("BatteryTestLoad", 72, SmallLEDListRed, "Label12", "Battery Test Load");
  BatteryConnect = led("BatteryConnect", 84, SmallLEDListYellow, "Label13", "Battery Connect");
  EnableCharger = led("EnableCharger", 96, SmallLEDListGreen, "Label14", "Charger Enable");
  AddLabel(GroupBox3, "Label18", 38, 108, "ChargerFault");
  ChargerFault = AddToggle(GroupBox3, "ChargerFault", 24, 109, InputStatusToggle, 0,
                           "Charger fault input: click to signal or clear a charger fault");
  EarthDetectLevelControl = led("EarthDetectLevelControl", 122, SmallLEDListGreen, "Label20", "Earth Fault Detect");
  EarthHoldHigh = AddToggle(GroupBox3, "EarthHoldHigh", 11, 117, InputStatusToggle, 0, "Set Earth High");
  EarthHoldLow = AddToggle(GroupBox3, "EarthHoldLow", 11, 127, InputStatusToggle, 0, "Set Earth Low");
  BatteryCutOff = led("BatteryCutOff", 136, SmallLEDListRed, "Label29", "Battery Cut Off");
}

// The three range marks of a line monitor box, fixed at its layout widths.
void TfrmHardwareControl::AddMonitorMarks(TControl* parent, const char* narrow, const char* middle, const char* wide,
                                          int left, int top) {
  AddRangeMark(parent, wide, left, top, 68, monitorBoxHeight, orange);
  AddRangeMark(parent, middle, left, top, 49, monitorBoxHeight, lime);
  AddRangeMark(parent, narrow, left, top, 25, monitorBoxHeight, yellow);
}

void TfrmHardwareControl::CreateGeneralIO() {
  GroupBox5 = Place<TGroupBox>(this, "GroupBox5", 0, 176, 193, 161, "General I/O");
  GroupBox5->SetColor(silver);
  const auto caption = [](TLabel* label, int width) {
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetWidth(width);
    label->SetHeight(28);
  };
  SounderOutput1 = AddImage(GroupBox5, "SounderOutput1", 8, 14, SounderImageList);
  caption(AddLabel(GroupBox5, "Label1", 42, 16, "Sounder Output 1"), 50);
  SounderOutput2 = AddImage(GroupBox5, "SounderOutput2", 96, 14, SounderImageList);
  caption(AddLabel(GroupBox5, "Label10", 130, 16, "Sounder Output 2"), 50);
  Sounder1FaultInput = AddToggle(GroupBox5, "Sounder1FaultInput", 8, 46, InputStatusToggle, 0, "Sounder 1 Fault");
  AddLabel(GroupBox5, "Label16", 22, 45, "Fault");
  Sounder2FaultInput = AddToggle(GroupBox5, "Sounder2FaultInput", 96, 46, InputStatusToggle, 0, "Sounder 2 Fault");
  AddLabel(GroupBox5, "Label17", 110, 45, "Fault");

  OptionalRelaysGroup = Place<TGroupBox>(GroupBox5, "OptionalRelaysGroup", 8, 58, 177, 65);
  OptionalRelays = Place<TCheckBox>(OptionalRelaysGroup, "OptionalRelays", 8, 0, 97, 15, "Optional Relays");
  OptionalRelays->SetAllowGrayed(true);
  OptionalRelays->SetHint("Not Fitted");
  OptionalRelays->OnClick = [this](TControl* sender) { OptionalRelaysClick(sender); };
  Relay1Drive = AddImage(OptionalRelaysGroup, "Relay1Drive", 8, 16, FireRelayImages);
  caption(AddLabel(OptionalRelaysGroup, "Label8", 42, 18, "Relay 1 Drive"), 50);
  Relay2Drive = AddImage(OptionalRelaysGroup, "Relay2Drive", 96, 16, FireRelayImages);
  caption(AddLabel(OptionalRelaysGroup, "Label9", 130, 18, "Relay 2 Drive"), 45);
  Relay1Drive->SetEnabled(false);
  Relay2Drive->SetEnabled(false);
  AddMonitorMarks(OptionalRelaysGroup, "Shape4", "Shape3", "Shape2", 8, 50);
  relay1Level_ = AddLevel(OptionalRelaysGroup, {LevelKind::Monitor, "Relay1ValueBox", "Relay1Value", {}, 8, 50,
                                                monitorBoxWidth, monitorBoxHeight, monitorFillHeight, 0, 0, {}});
  AddMonitorMarks(OptionalRelaysGroup, "Shape9", "Shape8", "Shape7", 96, 50);
  relay2Level_ = AddLevel(OptionalRelaysGroup, {LevelKind::Monitor, "Relay2ValueBox", "Relay2Value", {}, 96, 50,
                                                monitorBoxWidth, monitorBoxHeight, monitorFillHeight, 0, 0, {}});
  relay1Level_->Box()->SetHint("Relay 1 line monitor: click or drag to set it");
  relay2Level_->Box()->SetHint("Relay 2 line monitor: click or drag to set it");
  Relay1ValueBox = relay1Level_->Box();
  Relay1Value = relay1Level_->Fill();
  Relay2ValueBox = relay2Level_->Box();
  Relay2Value = relay2Level_->Fill();

  DigitalInput1 = AddToggle(GroupBox5, "DigitalInput1", 8, 128, LinkImages, 0, "Digital input 1: click to close or open it");
  AddLabel(GroupBox5, "Label2", 34, 127, "Digital Input 1");
  DigitalInput2 = AddToggle(GroupBox5, "DigitalInput2", 8, 140, LinkImages, 0, "Digital input 2: click to close or open it");
  AddLabel(GroupBox5, "Label4", 34, 139, "Digital Input 2");
  SoundMute = Place<TCheckBox>(GroupBox5, "SoundMute", 108, 133, 80, 15, "Mute sound");
  SoundMute->SetHint("Mute the buzzer and sounder tones (remembered for you, not in Hardware.dat)");
}

void TfrmHardwareControl::CreateLinks() {
  gbxLinksAndOptions = Place<TGroupBox>(this, "gbxLinksAndOptions", 352, 0, 129, 57, "Links and Options");
  VdSModeSelect = AddToggle(gbxLinksAndOptions, "VdSModeSelect", 8, 16, LinkImages, 0,
                            "VdS mode link: click to fit or remove it (fire brigade panel and alarm counter)");
  AddLabel(gbxLinksAndOptions, "Label15", 34, 15, "VdS Mode Select");
  FourZonePanel = AddToggle(gbxLinksAndOptions, "FourZonePanel", 8, 28, LinkImages, 0,
                            "Four zone panel link: click to fit or remove it");
  AddLabel(gbxLinksAndOptions, "Label41", 34, 27, "Four Zone Panel");
  EightZonePanel = AddToggle(gbxLinksAndOptions, "EightZonePanel", 8, 40, LinkImages, 1,
                             "Eight zone panel link: click to fit or remove it");
  AddLabel(gbxLinksAndOptions, "Label42", 34, 39, "Eight Zone Panel");
}

void TfrmHardwareControl::CreateVdSOptions() {
  VdSHardwareOptions = Place<TGroupBox>(this, "VdSHardwareOptions", 352, 64, 249, 273, "VdS Hardware Options");
  CreateFireBrigadePanels();
  const auto caption = [this](const char* name, int left, int top, const char* text) {
    TLabel* label = AddLabel(VdSHardwareOptions, name, left, top, text);
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetBounds(left, top, 76, 28);
  };
  TransmissionDeviceRelay = AddImage(VdSHardwareOptions, "TransmissionDeviceRelay", 8, 192, FireRelayImages);
  caption("Label7", 42, 194, "Transmission Device Relay");
  AddMonitorMarks(VdSHardwareOptions, "Shape10", "Shape6", "Shape5", 8, 226);
  transmissionDeviceLevel_ =
      AddLevel(VdSHardwareOptions, {LevelKind::Monitor, "TransmissionDeviceValueBox", "TransmissionDeviceValue", {}, 8,
                                    226, monitorBoxWidth, monitorBoxHeight, monitorFillHeight, 0, 0, {}});
  transmissionDeviceLevel_->Box()->SetHint("Transmission device line monitor: click or drag to set it");
  TransmissionDeviceValueBox = transmissionDeviceLevel_->Box();
  TransmissionDeviceValue = transmissionDeviceLevel_->Fill();
  FireOutputActiveRelay = AddImage(VdSHardwareOptions, "FireOutputActiveRelay", 120, 192, FaultDisabledRelayImages);
  caption("Label5", 154, 194, "Fire Output Active Relay");
  FireOutputDisabledRelay = AddImage(VdSHardwareOptions, "FireOutputDisabledRelay", 120, 232, FireRelayImages);
  caption("Label6", 154, 234, "Fire Output Disabled Relay");
  VdSHardwareOptions->SetVisible(false);
}

void TfrmHardwareControl::CreateFireBrigadePanels() {
  GroupBox2 = Place<TGroupBox>(VdSHardwareOptions, "GroupBox2", 8, 16, 233, 169, "Fireman's Work Panel");
  TImageList* const ledLists[fwpLedCount] = {nullptr,         SmallLEDListGreen,  SmallLEDListRed, SmallLEDListRed,
                                             SmallLEDListYellow, SmallLEDListYellow, SmallLEDListRed, SmallLEDListYellow};
  TImageSelector** const switches[] = {&FWP4Switch, &FWP5Switch, &FWP6Switch, &FWP7Switch, &FWP8Switch};
  for (int i = 0; i < 8; ++i) {
    const PanelLayout& layout = fwpPanels[i];
    TPanel* panel = Place<TPanel>(GroupBox2, "Panel" + std::to_string(i + 1), layout.left, layout.top, 113, 33);
    panel->SetColor(silver);
    panel->SetBevels(Bevel::Lowered, Bevel::Raised);
    At(Panels, i) = panel;
    if (layout.led) At(FWPLED, i + 1) = AddImage(panel, layout.led, 8, 11, ledLists[i + 1]);
    TLabel* legend = AddLabel(panel, layout.legendName, 24, 3, layout.legend, peripheralFontPixels);
    legend->SetAutoSize(false);
    legend->SetWordWrap(true);
    legend->SetBounds(24, 3, 63, 24);
    if (!layout.switchName) continue;
    *switches[i - 3] = AddToggle(panel, layout.switchName, 86, 7, SwitchImages, 0,
                                 std::string(layout.legend) + ": " + layout.switchHint);
  }
  // The reset and test switches are momentary: released, they spring back.
  for (TImageSelector* momentary : {FWP6Switch, FWP8Switch}) {
    momentary->OnMouseUp = [this](TControl* s, MouseButton b, ShiftState sh, int x, int y) { ToggleImage(s, b, sh, x, y); };
  }
  FWPOvercurrent = AddToggle(GroupBox2, "FWPOvercurrent", 8, 152, InputStatusToggle, 0,
                             "Fire brigade panel overcurrent: click to signal or clear it");
  AddLabel(GroupBox2, "Label19", 22, 151, "Overcurrent", peripheralFontPixels);
}

void TfrmHardwareControl::CreateSoftwareVersion() {
  gbxSoftwareVersion = Place<TGroupBox>(this, "gbxSoftwareVersion", 352, 64, 113, 57);
  lblSoftwareVersion = Place<TLabel>(gbxSoftwareVersion, "lblSoftwareVersion", 3, 9, 106, 45);
  lblSoftwareVersion->SetFont(MakeFont("Terminal", 8));
  lblSoftwareVersion->SetWordWrap(true);
}

// ---- Toggles and options ------------------------------------------------------------

void TfrmHardwareControl::ToggleImage(TControl* sender, MouseButton button, ShiftState, int, int) {
  auto* toggle = dynamic_cast<TImageSelector*>(sender);
  if (!toggle || button != MouseButton::Left) return;
  toggle->SetItemIndex(IsSet(toggle) ? 0 : 1);
  if (toggle == PSUMainsInput) {
    SetSupplyForMains();
  } else if (toggle == EarthHoldHigh) {
    EarthHoldLow->SetItemIndex(0);
  } else if (toggle == EarthHoldLow) {
    EarthHoldHigh->SetItemIndex(0);
  } else if (toggle == VdSModeSelect) {
    ChangeVdSLayout();
  } else if ((toggle == FourZonePanel || toggle == EightZonePanel) && frmMainDisplay) {
    frmMainDisplay->UpdateZoneIndicatorVisibility();
  }
}

// With the mains the supply sits at 28 V; without, at the battery less a diode drop.
void TfrmHardwareControl::SetSupplyForMains() {
  const int boxWidth = VssAnalogueValueBox->Width();
  PressLevel(VssAnalogueValueBox, IsSet(PSUMainsInput) ? VoltagePressX(boxWidth, supplyPressMv)
                                                       : MainsFailedPressX(VbattAnalogueValue->Width(), boxWidth));
}

void TfrmHardwareControl::FollowLinks() {
  ChangeVdSLayout();
  if (frmMainDisplay) frmMainDisplay->UpdateZoneIndicatorVisibility();
}

void TfrmHardwareControl::ChangeVdSLayout() {
  const bool vds = IsSet(VdSModeSelect);
  if (frmMainDisplay) frmMainDisplay->frmAlarmCounter1->SetVisible(vds);
  VdSHardwareOptions->SetVisible(vds);
  const TGroupBox* links = gbxLinksAndOptions;
  if (vds) {
    ReplaceIfCrowded();
    gbxSoftwareVersion->SetBounds(links->Left() + links->Width() + groupSpacing, links->Top(),
                                  gbxSoftwareVersion->Width(), gbxSoftwareVersion->Height());
    return;
  }
  gbxSoftwareVersion->SetBounds(links->Left(), links->Top() + links->Height() + groupSpacing,
                                gbxSoftwareVersion->Width(), gbxSoftwareVersion->Height());
}

// Widened, the window is placed again only if it now covers the front panel
// or leaves the screen: a window with room to grow stays where the user put it.
void TfrmHardwareControl::ReplaceIfCrowded() {
  if (!Showing()) return;
  const WindowBox frame = FrameOf(*this);
  const bool covers = frmMainDisplay && frmMainDisplay->Showing() && Overlap(frame, FrameOf(*frmMainDisplay));
  if (covers || !FullyInside(frame, Host().Screen())) PlaceBothWindows();
}

void TfrmHardwareControl::PlaceBothWindows() {
  if (!frmMainDisplay) {
    CentreOnScreen();
    return;
  }
  PlaceForms(*frmMainDisplay, *this, frmMainDisplay->KeysArea());
}

void TfrmHardwareControl::OptionalRelaysClick(TControl*) {
  switch (OptionalRelays->State()) {
    case CheckBoxState::Unchecked: OptionalRelays->SetHint("Not Fitted"); return;
    case CheckBoxState::Grayed: OptionalRelays->SetHint("Fitted - Unmonitored"); return;
    case CheckBoxState::Checked: OptionalRelays->SetHint("Fitted - Monitored"); return;
  }
}

void TfrmHardwareControl::WatchdogTimerTimer(TTimer*) { periodicUpdate.WatchdogTimerTimer(); }

// Placed when first shown only: a window restored from the task bar stays put.
void TfrmHardwareControl::FormShow(TForm*) {
  SetFormAutoSize(true);
  if (placed_) return;
  placed_ = true;
  PlaceBothWindows();
}

void TfrmHardwareControl::FormClose(TForm*) {
  if (frmMainDisplay) frmMainDisplay->Close();
}

// ---- Level controls -----------------------------------------------------------------

void TfrmHardwareControl::AnalogueControl1MouseDown(TControl* sender, MouseButton button, ShiftState shift, int x,
                                                    int y) {
  if (button != MouseButton::Left) return;
  sender->SetTag(dragging);
  AnalogueControl1MouseMove(sender, shift, x, y);
}

void TfrmHardwareControl::AnalogueControl1MouseMove(TControl* sender, ShiftState shift, int x, int y) {
  if (sender->Tag() != dragging) return;
  TLevelControl* level = LevelOf(sender);
  if (!level) return;
  level->SetPosition(x);
  FollowCrossLink(*level, shift, x, y);
}

void TfrmHardwareControl::AnalogueControl1MouseUp(TControl* sender, MouseButton button, ShiftState shift, int x,
                                                  int y) {
  if (button != MouseButton::Left) return;
  AnalogueControl1MouseMove(sender, shift, x, y);
  sender->SetTag(0);
}

void TfrmHardwareControl::PressLevel(TControl* box, int x) {
  AnalogueControl1MouseDown(box, MouseButton::Left, 0, x, 0);
  box->SetTag(0);
}

TLevelControl* TfrmHardwareControl::LevelOf(const TControl* box) const {
  for (const auto& level : levels_) {
    if (level->Box() == box) return level.get();
  }
  return nullptr;
}

// Linked, battery and charger move together; the drag flag of the one being
// dragged keeps the follower from dragging it back.
void TfrmHardwareControl::FollowCrossLink(const TLevelControl& moved, ShiftState shift, int x, int y) {
  TLevelControl* follower = moved.Kind() == LevelKind::Battery   ? chargerLevel_
                            : moved.Kind() == LevelKind::Charger ? batteryLevel_
                                                                 : nullptr;
  if (!follower || follower->Box()->Tag() == dragging || CrossLinkBatteryCharger->ItemIndex() != linked) return;
  AnalogueControl1MouseDown(follower->Box(), MouseButton::Left, shift, x, y);
  follower->Box()->SetTag(0);
}

// ---- The board's view of the window ---------------------------------------------------

void TfrmHardwareControl::WireHardwareControls(BoardWiring& wiring) {
  wiring.vdsModeSelect = VdSModeSelect;
  wiring.fourZonePanel = FourZonePanel;
  wiring.eightZonePanel = EightZonePanel;
  wiring.earthHoldHigh = EarthHoldHigh;
  wiring.earthHoldLow = EarthHoldLow;
  wiring.earthDetectLevelControl = EarthDetectLevelControl;
  wiring.digitalInput1 = DigitalInput1;
  wiring.digitalInput2 = DigitalInput2;
  wiring.fwpOvercurrent = FWPOvercurrent;
  wiring.fwp4Switch = FWP4Switch;
  wiring.fwp5Switch = FWP5Switch;
  wiring.fwp6Switch = FWP6Switch;
  wiring.fwp7Switch = FWP7Switch;
  wiring.fwp8Switch = FWP8Switch;
  wiring.sounder1FaultInput = Sounder1FaultInput;
  wiring.sounder2FaultInput = Sounder2FaultInput;
  wiring.auxiliarySupplyFault = AuxiliarySupplyFault;
  wiring.psuMainsInput = PSUMainsInput;
  wiring.chargerFault = ChargerFault;
  wiring.sounderOutput1 = SounderOutput1;
  wiring.sounderOutput2 = SounderOutput2;
  wiring.batteryTestLoad = BatteryTestLoad;
  wiring.batteryConnect = BatteryConnect;
  wiring.enableCharger = EnableCharger;
  wiring.batteryCutOff = BatteryCutOff;
  for (int led = 1; led < fwpLedCount; ++led) At(wiring.fwpLed, led) = At(FWPLED, led);
  wiring.fireOutputActiveRelay = FireOutputActiveRelay;
  wiring.fireOutputDisabledRelay = FireOutputDisabledRelay;
  wiring.transmissionDeviceRelay = TransmissionDeviceRelay;
  wiring.relay1Drive = Relay1Drive;
  wiring.relay2Drive = Relay2Drive;
  wiring.vbatt = readouts_[0].get();
  wiring.vchr = readouts_[1].get();
}

int32_t TfrmHardwareControl::ZoneResistance(int zone) const { return zoneLevels_[zone & 7]->Value(); }
bool TfrmHardwareControl::CapacitorFitted(int zone) const { return IsSet(CapEOLZone[zone & 7]); }
int32_t TfrmHardwareControl::SupplyMillivolts() const { return supplyLevel_->Value(); }
int32_t TfrmHardwareControl::BatteryMillivolts() const { return batteryLevel_->Value(); }
int32_t TfrmHardwareControl::ChargerMillivolts() const { return chargerLevel_->Value(); }
int32_t TfrmHardwareControl::Relay1Width() const { return relay1Level_->FillWidth(); }
int32_t TfrmHardwareControl::Relay2Width() const { return relay2Level_->FillWidth(); }
int32_t TfrmHardwareControl::TransmissionDeviceWidth() const { return transmissionDeviceLevel_->FillWidth(); }
int32_t TfrmHardwareControl::OptionalRelaysState() const {
  switch (OptionalRelays->State()) {
    case CheckBoxState::Checked: return optionalRelaysMonitored;
    case CheckBoxState::Grayed: return optionalRelaysUnmonitored;
    case CheckBoxState::Unchecked: return optionalRelaysNotFitted;
  }
  return optionalRelaysNotFitted;
}
