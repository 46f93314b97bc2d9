#include "windows/maindisplay.h"

#include <algorithm>

#include "board/hardware_interface.h"
#include "board/index.h"
#include "board/periodic_update.h"
#include "windows/framework/host.h"

namespace {
constexpr int clientWidth = 780;
constexpr int clientHeight = 361;
constexpr int zoneCount = 8;
constexpr int boardPictureRaise = 8;
constexpr int zoneRows[zoneCount] = {132, 160, 187, 215, 243, 271, 298, 326};
constexpr int zoneFireLedLeft = 298;
constexpr int zoneFaultLedLeft = 321;
constexpr int commonLedLeft = 349;
constexpr int keyswitchOn = 1;
constexpr int dragging = 1;
constexpr int released = 0;
constexpr int pressed = 1;
constexpr int selected = 1;
// The firmware confirms a key press on its third read in a row that finds it down.
constexpr int readsToSeeKey = 3;

struct Legend {
  int left, top, width, height;
  const char* caption;
  int pixels;
  bool bold;
  Alignment alignment;
  bool wordWrap;
};

// Label1 .. Label44, in order; Label9 .. Label24 are the zone rows.
constexpr Legend legends[] = {
    {520, 200, 105, 13, "BUZZER MUTE", 9, false, Alignment::Right, false},
    {520, 130, 105, 25, "SOUNDERS START/STOP", 9, false, Alignment::Right, true},
    {520, 104, 105, 13, "ACCEPT", 9, false, Alignment::Right, false},
    {520, 232, 105, 13, "DELAY ON/OFF", 9, false, Alignment::Right, false},
    {520, 263, 105, 13, "ITEM SELECT", 9, false, Alignment::Right, false},
    {520, 295, 105, 13, "DISABLE/TEST/NORMAL", 9, false, Alignment::Right, false},
    {520, 326, 105, 13, "LAMP TEST", 9, false, Alignment::Right, false},
    {520, 166, 105, 13, "RESET", 9, false, Alignment::Right, false},
    {48, 133, 33, 13, "ZONE", 8, false, Alignment::Right, false},
    {48, 160, 33, 13, "ZONE", 8, false, Alignment::Right, false},
    {48, 188, 33, 13, "ZONE", 8, false, Alignment::Right, false},
    {48, 215, 33, 13, "ZONE", 8, false, Alignment::Right, false},
    {48, 243, 33, 13, "ZONE", 8, false, Alignment::Right, false},
    {48, 270, 33, 13, "ZONE", 8, false, Alignment::Right, false},
    {48, 298, 33, 13, "ZONE", 8, false, Alignment::Right, false},
    {48, 325, 33, 13, "ZONE", 8, false, Alignment::Right, false},
    {84, 133, 17, 13, "1", 8, false, Alignment::Left, false},
    {84, 160, 17, 13, "2", 8, false, Alignment::Left, false},
    {84, 188, 17, 13, "3", 8, false, Alignment::Left, false},
    {84, 215, 17, 13, "4", 8, false, Alignment::Left, false},
    {84, 243, 17, 15, "5", 8, false, Alignment::Left, false},
    {84, 270, 17, 13, "6", 8, false, Alignment::Left, false},
    {84, 298, 17, 13, "7", 8, false, Alignment::Left, false},
    {84, 325, 17, 13, "8", 8, false, Alignment::Left, false},
    {52, 32, 237, 16, "FIRE ALARM CONTROL PANEL", 12, true, Alignment::Center, false},
    {388, 104, 125, 10, "POWER", 8, false, Alignment::Left, false},
    {388, 141, 125, 10, "DISABLEMENT", 8, false, Alignment::Left, false},
    {388, 159, 125, 10, "TEST", 8, false, Alignment::Left, false},
    {388, 196, 125, 10, "SYSTEM FAULT", 8, false, Alignment::Left, false},
    {388, 214, 125, 10, "EARTH FAULT", 8, false, Alignment::Left, false},
    {388, 233, 125, 10, "POWER SUPPLY FAULT", 8, false, Alignment::Left, false},
    {388, 307, 125, 10, "FAULT O/P FAULT/DISABLED", 8, false, Alignment::Left, true},
    {388, 288, 125, 10, "FIRE O/P FAULT/DISABLED", 8, false, Alignment::Left, true},
    {388, 270, 125, 10, "FIRE O/P ACTIVE", 8, false, Alignment::Left, true},
    {388, 251, 125, 10, "SOUNDER FAULT/DISABLED", 8, false, Alignment::Left, true},
    {388, 177, 125, 10, "DELAY ON", 8, false, Alignment::Left, false},
    {388, 123, 125, 10, "FAULT", 8, false, Alignment::Left, false},
    {388, 325, 125, 10, "AUXILIARY FAULT", 8, false, Alignment::Left, false},
    {74, 104, 121, 13, "FAULT / DISABLED / TEST", 8, false, Alignment::Center, false},
    {204, 104, 69, 13, "FIRE", 8, false, Alignment::Center, false},
    {52, 48, 237, 16, "EN 54-2/4", 12, true, Alignment::Center, false},
    {388, 23, 237, 10, "TO SILENCE BUZZER PRESS BUZZER MUTE", 8, false, Alignment::Center, false},
    {426, 41, 161, 18, "TO SILENCE SOUNDERS PRESS SOUNDER START/STOP", 8, false, Alignment::Center, true},
    {396, 61, 237, 18, "PRESS AGAIN TO RESTART SOUNDERS", 8, false, Alignment::Center, true},
};
static_assert(std::size(legends) == 44);

uint8_t KeyBit(std::size_t key) { return uint8_t(1u << key); }

bool SeenByFirmware(const HardwareState& board, std::size_t key) {
  return board.keyReadsPressed[key].load(std::memory_order_relaxed) >= readsToSeeKey;
}

TImageSelector* AsSelector(TControl* sender) { return dynamic_cast<TImageSelector*>(sender); }

bool LinkFitted(const ControlState* link) { return link && link->ItemIndex() != 0; }
}  // namespace

TfrmMainDisplay::TfrmMainDisplay(WindowHost* host)
    : TForm("frmMainDisplay", "QX40 Simulation", clientWidth, clientHeight, host) {
  CreateImageLists();
  CreatePictures();
  CreateButtons();
  CreateLeds();
  CreateLegends();
  CreateOtherControls();
  keys_ = {AcceptButton,     SoundersStartStopButton, ResetButton,             BuzzerMuteButton,
           DelayOnOffButton, ItemSelectButton,        DisableTestNormalButton, LampTestButton};
  themed_.emplace_back(Keyswitch, Role::Keyswitch);
  themed_.emplace_back(InternalTone, Role::Tone);
  for (TImageSelector* button : {BuzzerMuteButton, SoundersStartStopButton, AcceptButton, DelayOnOffButton,
                                 ItemSelectButton, DisableTestNormalButton, LampTestButton, ResetButton}) {
    themed_.emplace_back(button, Role::Button);
  }
  CentreOnScreen();
}

void TfrmMainDisplay::CreateImageLists() {
  const auto list = [this](const char* name, int size) { return AddImageList(name, size, size, 2); };
  CorvellaButtonDisplay = list("CorvellaButtonDisplay", 29);
  MarvaneButtonDisplay = list("MarvaneButtonDisplay", 29);
  PCBButtonDisplay = list("PCBButtonDisplay", 29);
  CorvellaKeySwitchDisplay = list("CorvellaKeySwitchDisplay", 75);
  MarvaneKeySwitchDisplay = list("MarvaneKeySwitchDisplay", 75);
  CorvellaRedLEDDisplay = list("CorvellaRedLEDDisplay", 11);
  MarvaneRedLEDDisplay = list("MarvaneRedLEDDisplay", 11);
  PCBRedLEDDisplay = list("PCBRedLEDDisplay", 11);
  CorvellaYellowLEDDisplay = list("CorvellaYellowLEDDisplay", 11);
  MarvaneYellowLEDDisplay = list("MarvaneYellowLEDDisplay", 11);
  PCBYellowLEDDisplay = list("PCBYellowLEDDisplay", 11);
  CorvellaGreenLEDDisplay = list("CorvellaGreenLEDDisplay", 11);
  MarvaneGreenLEDDisplay = list("MarvaneGreenLEDDisplay", 11);
  PCBGreenLEDDisplay = list("PCBGreenLEDDisplay", 11);
  CorvellaFireLEDDisplay = list("CorvellaFireLEDDisplay", 11);
  CorvellaInternalToneImages = list("CorvellaInternalToneImages", 32);
  MarvaneInternalToneImages = list("MarvaneInternalToneImages", 32);
  PCBInternalToneImages = list("PCBInternalToneImages", 32);
  CorvellaButtonImages = list("CorvellaButtonImages", 24);
  MarvaneButtonImages = list("MarvaneButtonImages", 24);
  PCBButtonImages = list("PCBButtonImages", 24);
  corvellaLists_ = {CorvellaFireLEDDisplay, CorvellaRedLEDDisplay,    CorvellaYellowLEDDisplay, CorvellaGreenLEDDisplay,
                    CorvellaKeySwitchDisplay, CorvellaInternalToneImages, CorvellaButtonDisplay};
  marvaneLists_ = {MarvaneRedLEDDisplay,    MarvaneRedLEDDisplay,      MarvaneYellowLEDDisplay, MarvaneGreenLEDDisplay,
                   MarvaneKeySwitchDisplay, MarvaneInternalToneImages, MarvaneButtonDisplay};
  boardLists_ = {PCBRedLEDDisplay, PCBRedLEDDisplay,      PCBYellowLEDDisplay, PCBGreenLEDDisplay,
                 nullptr,          PCBInternalToneImages, PCBButtonDisplay};
}

void TfrmMainDisplay::CreatePictures() {
  const auto picture = [this](const char* name, int left, int top, int width, int height, bool shown) {
    auto* image = Place<TImage>(this, name, left, top, width, height);
        image->SetVisible(shown);
    return image;
  };
  // The board photograph starts above the client area; it reaches down to the bottom edge.
  PCBBackImage = picture("PCBBackImage", 0, -boardPictureRaise, clientWidth, clientHeight + boardPictureRaise, false);
  ButtonSilkScreen = picture("ButtonSilkScreen", 664, 93, 67, 256, false);
  SystemNumberSilkScreen = picture("SystemNumberSilkScreen", 362, 123, 14, 214, false);
  ZoneNumberSilkScreen = picture("ZoneNumberSilkScreen", 311, 132, 9, 204, false);
  CorvellaBackImage = picture("CorvellaBackImage", 0, 0, clientWidth, clientHeight, false);
  MarvaneBackImage = picture("MarvaneBackImage", 0, 0, clientWidth, clientHeight, true);
}

TImageSelector* TfrmMainDisplay::AddSelector(const std::string& name, int left, int top, TImageList* list, int index) {
  auto* selector = Place<TImageSelector>(this, name, left, top, list->Width(), list->Height());
  selector->SetAutoSize(true);
  selector->SetImageList(list);
  selector->SetItemIndex(index);
  return selector;
}

TImageSelector* TfrmMainDisplay::AddButton(const std::string& name, int left, int top, TImageList* list, int index) {
  TImageSelector* button = AddSelector(name, left, top, list, index);
  button->OnMouseDown = [this](TControl* s, MouseButton b, ShiftState sh, int x, int y) { imsButtonMouseDown(s, b, sh, x, y); };
  button->OnMouseUp = [this](TControl* s, MouseButton b, ShiftState sh, int x, int y) { imsButtonMouseUp(s, b, sh, x, y); };
  return button;
}

void TfrmMainDisplay::CreateButtons() {
  const auto button = [this](const char* name, int top, const char* hint) {
    TImageSelector* key = AddButton(name, 634, top, MarvaneButtonDisplay, released);
    key->SetHint(hint);
    return key;
  };
  AcceptButton = button("AcceptButton", 95, "Accept: silences the buzzer and starts the second delay stage (key on)");
  SoundersStartStopButton =
      button("SoundersStartStopButton", 127, "Sounders start/stop: silences or restarts the sounders (key on)");
  ResetButton = button("ResetButton", 158, "Reset: resets the panel (key on)");
  BuzzerMuteButton = button("BuzzerMuteButton", 190, "Buzzer mute: silences the panel's buzzer");
  DelayOnOffButton = button("DelayOnOffButton", 222, "Delay on/off: switches the delays to outputs (key on); in a fire, ends the delay");
  ItemSelectButton = button("ItemSelectButton", 254, "Item select: steps through the items to disable or test (key on)");
  DisableTestNormalButton =
      button("DisableTestNormalButton", 285, "Disable/test/normal: disables, tests or restores the selected item (key on)");
  LampTestButton = button("LampTestButton", 317, "Lamp test: lights every indicator while held (key on)");
}

TImageSelector* TfrmMainDisplay::AddLed(const std::string& name, int left, int top, Role role, int index) {
  TImageSelector* led = AddSelector(name, left, top, ListFor(marvaneLists_, role), index);
  themed_.emplace_back(led, role);
  return led;
}

void TfrmMainDisplay::CreateLeds() {
  FireLED = AddLed("FireLED", zoneFireLedLeft, 104, Role::FireLed);
  for (int zone = 0; zone < zoneCount; ++zone) {
    At(ZoneFireLEDs, zone) = AddLed("Zone" + std::to_string(zone + 1) + "FireLED", zoneFireLedLeft, zoneRows[zone], Role::RedLed);
  }
  for (int zone = 0; zone < zoneCount; ++zone) {
    At(ZoneFaultLEDs, zone) = AddLed("Zone" + std::to_string(zone + 1) + "FaultLED", zoneFaultLedLeft, zoneRows[zone], Role::YellowLed);
  }
  PowerLED = AddLed("PowerLED", commonLedLeft, 104, Role::GreenLed, 1);
  FaultLED = AddLed("FaultLED", commonLedLeft, 123, Role::YellowLed);
  DisabledLED = AddLed("DisabledLED", commonLedLeft, 141, Role::YellowLed);
  TestLED = AddLed("TestLED", commonLedLeft, 160, Role::YellowLed);
  DelayOnLED = AddLed("DelayOnLED", commonLedLeft, 178, Role::YellowLed);
  SystemFaultLED = AddLed("SystemFaultLED", commonLedLeft, 197, Role::YellowLed);
  EarthFaultLED = AddLed("EarthFaultLED", commonLedLeft, 215, Role::YellowLed);
  PSUFaultLED = AddLed("PSUFaultLED", commonLedLeft, 234, Role::YellowLed);
  SounderFaultDisabledLED = AddLed("SounderFaultDisabledLED", commonLedLeft, 252, Role::YellowLed);
  FireRoutingActiveLED = AddLed("FireRoutingActiveLED", commonLedLeft, 271, Role::RedLed);
  FireRoutingFaultDisabledLED = AddLed("FireRoutingFaultDisabledLED", commonLedLeft, 289, Role::YellowLed);
  FaultRoutingFaultDisabledLED = AddLed("FaultRoutingFaultDisabledLED", commonLedLeft, 308, Role::YellowLed);
  AuxiliaryFaultLED = AddLed("AuxiliaryFaultLED", commonLedLeft, 326, Role::YellowLed);
}

void TfrmMainDisplay::CreateLegends() {
  for (std::size_t i = 0; i < std::size(legends); ++i) {
    const Legend& legend = legends[i];
    TLabel* label = Place<TLabel>(this, "Label" + std::to_string(i + 1), legend.left, legend.top, legend.width,
                                  legend.height, std::string(legend.caption));
    label->SetFont(MakeFont("Arial", legend.pixels, legend.bold));
    label->SetAlignment(legend.alignment);
    label->SetWordWrap(legend.wordWrap);
    Labels[i] = label;
  }
}

void TfrmMainDisplay::CreateOtherControls() {
  InternalTone = AddSelector("InternalTone", 738, 320, MarvaneInternalToneImages, 1);
  Keyswitch = AddSelector("Keyswitch", 680, 200, MarvaneKeySwitchDisplay, 0);
  Keyswitch->SetHint("Keyswitch: drag up and left to turn it on (access level 2), down and right to turn it off");
  Keyswitch->OnMouseDown = [this](TControl* s, MouseButton b, ShiftState sh, int x, int y) { KeyswitchMouseDown(s, b, sh, x, y); };
  Keyswitch->OnMouseMove = [this](TControl* s, ShiftState sh, int x, int y) { KeyswitchMouseMove(s, sh, x, y); };
  Keyswitch->OnMouseUp = [this](TControl* s, MouseButton b, ShiftState sh, int x, int y) { KeyswitchMouseUp(s, b, sh, x, y); };
  SelectCorvellaFascia = AddSelector("SelectCorvellaFascia", 720, 24, CorvellaButtonImages, 0);
  SelectCorvellaFascia->OnClick = [this](TControl* s) { SelectCorvellaFasciaClick(s); };
  SelectCorvellaFascia->SetHint("Show the Corvella fascia");
  SelectMarvaneFascia = AddSelector("SelectMarvaneFascia", 696, 24, MarvaneButtonImages, selected);
  SelectMarvaneFascia->OnClick = [this](TControl* s) { SelectMarvaneFasciaClick(s); };
  SelectMarvaneFascia->SetHint("Show the Marvane fascia");
  SelectCoverOff = AddSelector("SelectCoverOff", 744, 24, PCBButtonImages, 0);
  SelectCoverOff->OnClick = [this](TControl* s) { SelectCoverOffClick(s); };
  SelectCoverOff->SetHint("Take the cover off to show the circuit board (the panel sees the cover open), or put it back");
  CoverOffSwitch = AddButton("CoverOffSwitch", 730, 253, PCBButtonDisplay, pressed);
  CoverOffSwitch->SetVisible(false);
  CoverOffSwitch->SetHint("Cover switch: closed while the left button is held; a right click keeps it closed");
  PCBKeyswitch = AddButton("PCBKeyswitch", 730, 206, PCBButtonDisplay, released);
  PCBKeyswitch->SetVisible(false);
  PCBKeyswitch->SetHint("Keyswitch contact: on while the left button is held; a right click keeps it on");
  frmAlarmCounter1 = Place<TfrmAlarmCounter>(this, "frmAlarmCounter1", 700, 96, 54, 23);
  frmAlarmCounter1->SetVisible(false);
}

// ---- Mouse handlers -------------------------------------------------------------

void TfrmMainDisplay::imsButtonMouseDown(TControl* sender, MouseButton button, ShiftState, int, int) {
  TImageSelector* selector = AsSelector(sender);
  if (!selector || button == MouseButton::Middle) return;
  if (const auto key = KeyIndex(selector)) releasePending_.fetch_and(uint8_t(~KeyBit(*key)));
  selector->SetItemIndex(pressed);
}

void TfrmMainDisplay::imsButtonMouseUp(TControl* sender, MouseButton button, ShiftState, int, int) {
  TImageSelector* selector = AsSelector(sender);
  if (!selector || button != MouseButton::Left) return;
  const auto key = KeyIndex(selector);
  const HardwareState* board = board_.load(std::memory_order_acquire);
  if (holdShortPresses_ && key && board && !SeenByFirmware(*board, *key)) {
    releasePending_.fetch_or(KeyBit(*key));
    return;
  }
  selector->SetItemIndex(released);
}

std::optional<std::size_t> TfrmMainDisplay::KeyIndex(const TControl* control) const {
  const auto key = std::find(keys_.begin(), keys_.end(), control);
  if (key == keys_.end()) return std::nullopt;
  return std::size_t(key - keys_.begin());
}

// On the tick's thread; the release itself is done on the window thread,
// where a new press of the same key cannot cross it.
void TfrmMainDisplay::BeforeKeysCopied(const HardwareState& board) {
  const uint8_t pending = releasePending_.load();
  if (!pending) return;
  for (std::size_t key = 0; key < keys_.size(); ++key) {
    if (!(pending & KeyBit(key)) || !SeenByFirmware(board, key)) continue;
    Host().Post([this, key] { ReleaseHeldKey(key); });
  }
}

void TfrmMainDisplay::ReleaseHeldKey(std::size_t key) {
  if (!(releasePending_.fetch_and(uint8_t(~KeyBit(key))) & KeyBit(key))) return;
  keys_[key]->SetItemIndex(released);
  if (OnHeldKeyReleased) OnHeldKeyReleased(*keys_[key]);
}

bool TfrmMainDisplay::HeldForFirmware(const TControl* key) const {
  const auto index = KeyIndex(key);
  return index && releasePending_.load() & KeyBit(*index);
}

void TfrmMainDisplay::KeyswitchMouseDown(TControl* sender, MouseButton, ShiftState shift, int x, int y) {
  sender->SetTag(dragging);
  sender->MouseMove(shift, x, y);
}

// The diagonal from bottom-left to top-right divides on (above-left) from off.
void TfrmMainDisplay::KeyswitchMouseMove(TControl* sender, ShiftState, int x, int y) {
  TImageSelector* selector = AsSelector(sender);
  if (!selector || selector->Tag() != dragging) return;
  selector->SetItemIndex(x < selector->Height() - y ? keyswitchOn : 0);
}

void TfrmMainDisplay::KeyswitchMouseUp(TControl* sender, MouseButton, ShiftState shift, int x, int y) {
  sender->MouseMove(shift, x, y);
  sender->SetTag(0);
}

// ---- Views ----------------------------------------------------------------------

void TfrmMainDisplay::SelectCorvellaFasciaClick(TControl*) {
  SelectFascia(CorvellaBackImage, SelectCorvellaFascia, SelectMarvaneFascia, corvellaLists_);
}

void TfrmMainDisplay::SelectMarvaneFasciaClick(TControl*) {
  SelectFascia(MarvaneBackImage, SelectMarvaneFascia, SelectCorvellaFascia, marvaneLists_);
}

// In the board view the choice is only remembered, for when the cover goes back.
void TfrmMainDisplay::SelectFascia(TImage* back, TImageSelector* chosen, TImageSelector* other, const ViewLists& lists) {
  if (back->Visible()) return;
  chosen->SetItemIndex(selected);
  other->SetItemIndex(0);
  if (SelectCoverOff->ItemIndex() == selected) return;
  ShowPictures({back});
  ApplyViewLists(lists);
}

void TfrmMainDisplay::SelectCoverOffClick(TControl*) {
  SelectCoverOff->SetItemIndex(SelectCoverOff->ItemIndex() == 0 ? selected : 0);
  if (SelectCoverOff->ItemIndex() == selected) {
    ShowPictures({PCBBackImage, ZoneNumberSilkScreen, SystemNumberSilkScreen, ButtonSilkScreen});
    ApplyViewLists(boardLists_);
  } else if (SelectCorvellaFascia->ItemIndex() == selected) {
    SelectCorvellaFasciaClick(SelectCorvellaFascia);
  } else {
    SelectMarvaneFasciaClick(SelectMarvaneFascia);
  }
  UpdateZoneIndicatorVisibility();
  const bool boardView = PCBBackImage->Visible();
  Keyswitch->SetVisible(!boardView);
  PCBKeyswitch->SetVisible(boardView);
  CoverOffSwitch->SetVisible(boardView);
  // Without the cover the tamper switch is open and the board's key is off.
  CoverOffSwitch->SetItemIndex(boardView ? 0 : pressed);
  if (boardView) PCBKeyswitch->SetItemIndex(0);
  for (TLabel* label : Labels) label->SetVisible(!boardView);
}

void TfrmMainDisplay::ShowPictures(std::initializer_list<TImage*> shown) {
  for (TImage* picture : {PCBBackImage, ButtonSilkScreen, SystemNumberSilkScreen, ZoneNumberSilkScreen,
                          CorvellaBackImage, MarvaneBackImage}) {
    picture->SetVisible(std::find(shown.begin(), shown.end(), picture) != shown.end());
  }
}

// Only the lists change: every LED and button keeps its state.
void TfrmMainDisplay::ApplyViewLists(const ViewLists& lists) {
  for (const auto& [control, role] : themed_) {
    if (TImageList* list = ListFor(lists, role)) control->SetImageList(list);
  }
}

TImageList* TfrmMainDisplay::ListFor(const ViewLists& lists, Role role) const {
  switch (role) {
    case Role::FireLed: return lists.fireLed;
    case Role::RedLed: return lists.redLed;
    case Role::YellowLed: return lists.yellowLed;
    case Role::GreenLed: return lists.greenLed;
    case Role::Keyswitch: return lists.keyswitch;
    case Role::Tone: return lists.tone;
    case Role::Button: return lists.button;
  }
  return nullptr;
}

// ---- Operations offered to the rest of the system -----------------------------

TfrmMainDisplay::View TfrmMainDisplay::ShownView() const {
  return {SelectCorvellaFascia->ItemIndex() != 0, SelectCoverOff->ItemIndex() != 0};
}

// As the user's clicks would set them, so that the panel sees the cover as shown.
void TfrmMainDisplay::ShowView(const View& view) {
  if (view.corvella != (SelectCorvellaFascia->ItemIndex() != 0)) {
    view.corvella ? SelectCorvellaFasciaClick(SelectCorvellaFascia) : SelectMarvaneFasciaClick(SelectMarvaneFascia);
  }
  if (view.coverOff != (SelectCoverOff->ItemIndex() != 0)) SelectCoverOffClick(SelectCoverOff);
}

void TfrmMainDisplay::UpdateInternalTone() {
  if (HardwareState* board = board_.load(std::memory_order_acquire)) ::UpdateInternalTone(*board, *InternalTone);
}

void TfrmMainDisplay::UpdateZoneIndicatorVisibility() {
  constexpr int firstOptionalZone = 2;   // zones 3..8
  constexpr int firstEightZoneOnly = 4;  // zones 5..8
  SetZoneLedsVisible(firstOptionalZone, true);
  if (!PCBBackImage->Visible() || LinkFitted(EightZonePanel)) return;
  SetZoneLedsVisible(LinkFitted(FourZonePanel) ? firstEightZoneOnly : firstOptionalZone, false);
}

WindowBox TfrmMainDisplay::KeysArea() const {
  int left = Keyswitch->Left(), top = Keyswitch->Top();
  int right = Keyswitch->Left() + Keyswitch->Width(), bottom = Keyswitch->Top() + Keyswitch->Height();
  for (const TImageSelector* key : keys_) {
    left = std::min(left, key->Left());
    top = std::min(top, key->Top());
    right = std::max(right, key->Left() + key->Width());
    bottom = std::max(bottom, key->Top() + key->Height());
  }
  return {left, top, right - left, bottom - top};
}

void TfrmMainDisplay::SetZoneLedsVisible(int firstZone, bool visible) {
  for (int zone = firstZone; zone < zoneCount; ++zone) {
    At(ZoneFireLEDs, zone)->SetVisible(visible);
    At(ZoneFaultLEDs, zone)->SetVisible(visible);
  }
}

void TfrmMainDisplay::WireFrontPanel(BoardWiring& wiring) {
  for (int zone = 0; zone < zoneCount; ++zone) {
    wiring.zoneFireLed[zone] = At(ZoneFireLEDs, zone);
    wiring.zoneFaultLed[zone] = At(ZoneFaultLEDs, zone);
  }
  wiring.auxiliaryFaultLed = AuxiliaryFaultLED;
  wiring.delayOnLed = DelayOnLED;
  wiring.testLed = TestLED;
  wiring.disabledLed = DisabledLED;
  wiring.sounderFaultDisabledLed = SounderFaultDisabledLED;
  wiring.earthFaultLed = EarthFaultLED;
  wiring.fireRoutingFaultDisabledLed = FireRoutingFaultDisabledLED;
  wiring.faultRoutingFaultDisabledLed = FaultRoutingFaultDisabledLED;
  wiring.fireRoutingActiveLed = FireRoutingActiveLED;
  wiring.fireLed = FireLED;
  wiring.systemFaultLed = SystemFaultLED;
  wiring.faultLed = FaultLED;
  wiring.psuFaultLed = PSUFaultLED;
  wiring.internalTone = InternalTone;
  wiring.buzzerMuteButton = BuzzerMuteButton;
  wiring.acceptButton = AcceptButton;
  wiring.delayOnOffButton = DelayOnOffButton;
  wiring.soundersStartStopButton = SoundersStartStopButton;
  wiring.itemSelectButton = ItemSelectButton;
  wiring.disableTestNormalButton = DisableTestNormalButton;
  wiring.lampTestButton = LampTestButton;
  wiring.resetButton = ResetButton;
  wiring.keyCopyListener = this;
  wiring.keyswitch = Keyswitch;
  wiring.pcbKeyswitch = PCBKeyswitch;
  wiring.coverOffSwitch = CoverOffSwitch;
  wiring.segment1 = frmAlarmCounter1->Segment1;
  wiring.segment2 = frmAlarmCounter1->Segment2;
  wiring.segment3 = frmAlarmCounter1->Segment3;
}
