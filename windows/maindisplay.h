#pragma once
// The front panel window: the fascia of either brand or the bare board, with
// the push buttons, keyswitch, LEDs, buzzer indicator and alarm counter. The
// view lives entirely in the controls; the board tick reads the buttons and
// writes the LEDs through their ItemIndex.

#include <array>
#include <atomic>
#include <optional>
#include <utility>
#include <vector>

#include "board/board_wiring.h"
#include "windows/alarmcounter.h"
#include "windows/framework/form.h"
#include "windows/imageselector.h"
#include "windows/placement.h"

class HardwareState;

class TfrmMainDisplay : public TForm, private KeyCopyListener {
 public:
  explicit TfrmMainDisplay(WindowHost* host = nullptr);

  // Mouse and click handlers.
  void imsButtonMouseDown(TControl* sender, MouseButton button, ShiftState shift, int x, int y);
  void imsButtonMouseUp(TControl* sender, MouseButton button, ShiftState shift, int x, int y);
  void KeyswitchMouseDown(TControl* sender, MouseButton button, ShiftState shift, int x, int y);
  void KeyswitchMouseMove(TControl* sender, ShiftState shift, int x, int y);
  void KeyswitchMouseUp(TControl* sender, MouseButton button, ShiftState shift, int x, int y);
  void SelectCorvellaFasciaClick(TControl* sender);
  void SelectMarvaneFasciaClick(TControl* sender);
  void SelectCoverOffClick(TControl* sender);

  // Which fascia and whether the cover is off: the user's choice, which the
  // front ends remember and show again as the user's clicks would.
  struct View {
    bool corvella = false;
    bool coverOff = false;
    friend bool operator==(const View&, const View&) = default;
  };
  View ShownView() const;
  void ShowView(const View& view);

  // Lit while the board's steady buzzer is on or a chirp came since the last call.
  void UpdateInternalTone();
  // Zones 3 to 8 shown; in the board view only those the zone-count links fit.
  void UpdateZoneIndicatorVisibility();

  // Points the board's periodic update at this window's controls.
  void WireFrontPanel(BoardWiring& wiring);
  // The board whose key reads and buzzer this window follows; null while none runs.
  void UseBoard(HardwareState* board) { board_.store(board, std::memory_order_release); }

  // On (the default), a push key the mouse lets go of before the firmware
  // has seen it stays down until it has, so that no click is lost. Off, every
  // key follows the mouse exactly, as the scenario language needs.
  void SetHoldShortPresses(bool hold) { holdShortPresses_ = hold; }
  // Whether the mouse has let go of this key while it is held for the firmware.
  bool HeldForFirmware(const TControl* key) const;
  // Window thread: a key held for the firmware has been let go of at last.
  std::function<void(TControl& key)> OnHeldKeyReleased;
  bool IsPushKey(const TControl* control) const { return KeyIndex(control).has_value(); }
  // The push keys and the keyswitch: what another window should not cover.
  WindowBox KeysArea() const;

  // The hardware control window's zone-count links, set by that window; an
  // absent link reads as open.
  const ControlState* EightZonePanel = nullptr;
  const ControlState* FourZonePanel = nullptr;

  // Image lists.
  TImageList* CorvellaButtonDisplay;
  TImageList* MarvaneButtonDisplay;
  TImageList* PCBButtonDisplay;
  TImageList* CorvellaKeySwitchDisplay;
  TImageList* MarvaneKeySwitchDisplay;
  TImageList* CorvellaRedLEDDisplay;
  TImageList* MarvaneRedLEDDisplay;
  TImageList* PCBRedLEDDisplay;
  TImageList* CorvellaYellowLEDDisplay;
  TImageList* MarvaneYellowLEDDisplay;
  TImageList* PCBYellowLEDDisplay;
  TImageList* CorvellaGreenLEDDisplay;
  TImageList* MarvaneGreenLEDDisplay;
  TImageList* PCBGreenLEDDisplay;
  TImageList* CorvellaFireLEDDisplay;
  TImageList* CorvellaInternalToneImages;
  TImageList* MarvaneInternalToneImages;
  TImageList* PCBInternalToneImages;
  TImageList* CorvellaButtonImages;
  TImageList* MarvaneButtonImages;
  TImageList* PCBButtonImages;

  // Background pictures, back to front.
  TImage* PCBBackImage;
  TImage* ButtonSilkScreen;
  TImage* SystemNumberSilkScreen;
  TImage* ZoneNumberSilkScreen;
  TImage* CorvellaBackImage;
  TImage* MarvaneBackImage;

  // Push buttons.
  TImageSelector* AcceptButton;
  TImageSelector* SoundersStartStopButton;
  TImageSelector* ResetButton;
  TImageSelector* BuzzerMuteButton;
  TImageSelector* DelayOnOffButton;
  TImageSelector* ItemSelectButton;
  TImageSelector* DisableTestNormalButton;
  TImageSelector* LampTestButton;

  // LEDs; zone n's are Zone<n>FireLED and Zone<n>FaultLED.
  TImageSelector* FireLED;
  std::array<TImageSelector*, 8> ZoneFireLEDs;
  std::array<TImageSelector*, 8> ZoneFaultLEDs;
  TImageSelector* PowerLED;
  TImageSelector* FaultLED;
  TImageSelector* DisabledLED;
  TImageSelector* TestLED;
  TImageSelector* DelayOnLED;
  TImageSelector* SystemFaultLED;
  TImageSelector* EarthFaultLED;
  TImageSelector* PSUFaultLED;
  TImageSelector* SounderFaultDisabledLED;
  TImageSelector* FireRoutingActiveLED;
  TImageSelector* FireRoutingFaultDisabledLED;
  TImageSelector* FaultRoutingFaultDisabledLED;
  TImageSelector* AuxiliaryFaultLED;

  // Legends Label1 .. Label44.
  std::array<TLabel*, 44> Labels;

  TImageSelector* InternalTone;
  TImageSelector* Keyswitch;
  TImageSelector* SelectCorvellaFascia;
  TImageSelector* SelectMarvaneFascia;
  TImageSelector* SelectCoverOff;
  TImageSelector* CoverOffSwitch;
  TImageSelector* PCBKeyswitch;
  TfrmAlarmCounter* frmAlarmCounter1;

 private:
  // What each control shows in a view, by its role.
  enum class Role { FireLed, RedLed, YellowLed, GreenLed, Keyswitch, Tone, Button };
  struct ViewLists {
    TImageList* fireLed;
    TImageList* redLed;
    TImageList* yellowLed;
    TImageList* greenLed;
    TImageList* keyswitch;  // null where the view hides the keyswitch
    TImageList* tone;
    TImageList* button;
  };

  // Window thread: lets go of a key held for the firmware, unless pressed again since.
  void ReleaseHeldKey(std::size_t key);
  // The control's place among the push keys; none for any other control.
  std::optional<std::size_t> KeyIndex(const TControl* control) const;
  void BeforeKeysCopied(const HardwareState& board) override;

  void CreateImageLists();
  void CreatePictures();
  void CreateButtons();
  void CreateLeds();
  void CreateLegends();
  void CreateOtherControls();
  TImageSelector* AddSelector(const std::string& name, int left, int top, TImageList* list, int index);
  TImageSelector* AddButton(const std::string& name, int left, int top, TImageList* list, int index);
  TImageSelector* AddLed(const std::string& name, int left, int top, Role role, int index = 0);

  // Fascia selection shared by both brands.
  void SelectFascia(TImage* back, TImageSelector* chosen, TImageSelector* other, const ViewLists& lists);
  void ShowPictures(std::initializer_list<TImage*> shown);
  void ApplyViewLists(const ViewLists& lists);
  // Zones firstZone (from 0) to 8.
  void SetZoneLedsVisible(int firstZone, bool visible);
  TImageList* ListFor(const ViewLists& lists, Role role) const;

  ViewLists corvellaLists_;
  ViewLists marvaneLists_;
  ViewLists boardLists_;
  // The indicators, the keyswitch, the buzzer and the buttons in the order a
  // view change gives them their lists.
  std::vector<std::pair<TImageSelector*, Role>> themed_;
  // The push keys in the board's key-read bit order, and which of them the
  // mouse has let go of while they are held for the firmware, a bit each (the
  // board's thread looks at them every 20 ms, mostly to find none).
  std::array<TImageSelector*, 8> keys_{};
  std::atomic<uint8_t> releasePending_{};
  std::atomic<HardwareState*> board_{nullptr};
  bool holdShortPresses_ = true;
};
