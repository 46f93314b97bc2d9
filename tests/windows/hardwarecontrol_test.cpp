#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "tests/windows/hardwarecontrol_fixture.h"

namespace {

class HardwareWindowTest : public HardwareControlTest {
 protected:
  TImageSelector* Selector(const std::string& name) const {
    return dynamic_cast<TImageSelector*>(h->FindControl(name));
  }

  std::vector<TImageSelector*> Toggles() const {
    std::vector<TImageSelector*> toggles(h->CapEOLZone.begin(), h->CapEOLZone.end());
    toggles.insert(toggles.end(),
                   {h->CrossLinkBatteryCharger, h->PSUMainsInput, h->AuxiliarySupplyFault, h->ChargerFault,
                    h->EarthHoldHigh, h->EarthHoldLow, h->Sounder1FaultInput, h->Sounder2FaultInput, h->DigitalInput1,
                    h->DigitalInput2, h->VdSModeSelect, h->FourZonePanel, h->EightZonePanel, h->FWP4Switch,
                    h->FWP5Switch, h->FWP6Switch, h->FWP7Switch, h->FWP8Switch, h->FWPOvercurrent});
    return toggles;
  }
};

// ---- Layout ---------------------------------------------------------------------------

TEST_F(HardwareWindowTest, WindowAndGroupsAsLaidOut) {
  EXPECT_EQ(h->Caption(), "Hardware Interface");
  EXPECT_EQ(h->ClientWidth(), 601);
  EXPECT_EQ(h->ClientHeight(), 337);
  const struct {
    TGroupBox* group;
    const char* caption;
    int left, top, width, height;
  } groups[] = {{h->GroupBox1, "Zone Analogue Levels", 0, 0, 345, 105},
                {h->GroupBox4, "Supply Analogue Levels", 0, 112, 345, 57},
                {h->GroupBox3, "PSU Control/Monitoring", 200, 176, 145, 161},
                {h->GroupBox5, "General I/O", 0, 176, 193, 161},
                {h->OptionalRelaysGroup, "", 8, 58, 177, 65},
                {h->gbxLinksAndOptions, "Links and Options", 352, 0, 129, 57},
                {h->VdSHardwareOptions, "VdS Hardware Options", 352, 64, 249, 273},
                {h->GroupBox2, "Fireman's Work Panel", 8, 16, 233, 169},
                {h->gbxSoftwareVersion, "", 352, 64, 113, 57}};
  for (const auto& g : groups) {
    EXPECT_EQ(g.group->Caption(), g.caption) << g.group->Name();
    EXPECT_EQ((std::array{g.group->Left(), g.group->Top(), g.group->Width(), g.group->Height()}),
              (std::array{g.left, g.top, g.width, g.height}))
        << g.group->Name();
  }
  EXPECT_FALSE(h->VdSHardwareOptions->Visible());
  EXPECT_EQ(h->lblSoftwareVersion->Caption(), "QX40 Fire Alarm Panel\rSW518-207, v1.00A, Jul 31 2003 17:16:46\r");
}

TEST_F(HardwareWindowTest, ImageListsHoldTwoImagesOfTheirSize) {
  const struct {
    const char* name;
    int width, height;
  } lists[] = {{"LinkImages", 22, 11},       {"SmallLEDListYellow", 10, 10},      {"SmallLEDListRed", 10, 10},
               {"SmallLEDListGreen", 10, 10}, {"SwitchImages", 20, 20},           {"MainsSupplyImages", 42, 52},
               {"FuseImages", 64, 24},       {"FireRelayImages", 32, 32},         {"FaultDisabledRelayImages", 32, 32},
               {"CapacitorEOLImages", 11, 10}, {"SounderImageList", 32, 32},      {"InputStatusToggle", 11, 10}};
  for (const auto& list : lists) {
    const TImageList* found = h->FindImageList(list.name);
    ASSERT_NE(found, nullptr) << list.name;
    EXPECT_EQ(found->Width(), list.width) << list.name;
    EXPECT_EQ(found->Height(), list.height) << list.name;
    EXPECT_EQ(found->Count(), 2) << list.name;
  }
}

TEST_F(HardwareWindowTest, TogglesStartInTheirStartStates) {
  for (TImageSelector* toggle : Toggles()) {
    const bool startsOn = toggle == h->PSUMainsInput || toggle == h->AuxiliarySupplyFault || toggle == h->EightZonePanel;
    EXPECT_EQ(toggle->ItemIndex(), startsOn ? 1 : 0) << toggle->Name();
    EXPECT_TRUE(toggle->AutoSize()) << toggle->Name();
  }
  EXPECT_EQ(h->OptionalRelays->State(), CheckBoxState::Unchecked);
  EXPECT_EQ(h->OptionalRelays->Hint(), "Not Fitted");
}

TEST_F(HardwareWindowTest, TogglesCarryTheirHints) {
  const struct {
    const char* name;
    const char* hint;
  } hints[] = {{"CapEOLZone1", "Capacitor EOL Enable"},  {"CapEOLZone8", "Capacitor EOL Enable"},
               {"CrossLinkBatteryCharger", "Battery/Charger Cross Link"},
               {"EarthHoldHigh", "Set Earth High"},     {"EarthHoldLow", "Set Earth Low"},
               {"Sounder1FaultInput", "Sounder 1 Fault"}, {"Sounder2FaultInput", "Sounder 2 Fault"}};
  for (const auto& hint : hints) EXPECT_EQ(Selector(hint.name)->Hint(), hint.hint) << hint.name;
}

TEST_F(HardwareWindowTest, EveryControlTheMouseActsOnSaysWhatItDoes) {
  for (const TForm* form : {static_cast<const TForm*>(h), static_cast<const TForm*>(m())}) {
    for (const TControl* control : form->Controls()) {
      const bool clickable = control->OnMouseDown || control->OnClick;
      EXPECT_TRUE(!clickable || !control->Hint().empty()) << control->Name();
    }
  }
}

TEST_F(HardwareWindowTest, FireBrigadePanelsHoldTheirLedsLegendsAndSwitches) {
  const struct {
    const char* panel;
    const char* led;
    const char* list;
    const char* legend;
    const char* switchName;
  } panels[] = {{"Panel1", "FWP1LED", "SmallLEDListGreen", "Label40", nullptr},
                {"Panel2", "FWP2LED", "SmallLEDListRed", "Label46", nullptr},
                {"Panel3", "FWP3LED", "SmallLEDListRed", "Label80", nullptr},
                {"Panel4", "FWP4LED", "SmallLEDListYellow", "Label83", "FWP4Switch"},
                {"Panel5", "FWP5LED", "SmallLEDListYellow", "Label64", "FWP5Switch"},
                {"Panel6", "FWP6LED", "SmallLEDListRed", "FWP6SwitchText", "FWP6Switch"},
                {"Panel7", "FWP7LED", "SmallLEDListYellow", "Label89", "FWP7Switch"},
                {"Panel8", nullptr, nullptr, "Label82", "FWP8Switch"}};
  for (const auto& p : panels) {
    const TControl* panel = h->FindControl(p.panel);
    ASSERT_NE(panel, nullptr) << p.panel;
    EXPECT_EQ(panel->Width(), 113);
    EXPECT_EQ(h->FindControl(p.legend)->Parent(), panel) << p.legend;
    if (p.led) {
      EXPECT_EQ(Selector(p.led)->ImageList()->Name(), p.list) << p.led;
    }
    if (p.switchName) {
      EXPECT_EQ(Selector(p.switchName)->Parent(), panel) << p.switchName;
    }
  }
  EXPECT_EQ(h->FindControl("FWP8LED"), nullptr);
}

// ---- Toggles ----------------------------------------------------------------------------

TEST_F(HardwareWindowTest, RightClickOnAnyToggleChangesNothing) {
  for (TImageSelector* toggle : Toggles()) {
    const int before = toggle->ItemIndex();
    Press(toggle, MouseButton::Right);
    Release(toggle, MouseButton::Right);
    EXPECT_EQ(toggle->ItemIndex(), before) << toggle->Name();
  }
  EXPECT_EQ(h->VssAnalogueValue->Width(), 186);
  EXPECT_FALSE(h->VdSHardwareOptions->Visible());
}

TEST_F(HardwareWindowTest, LeftClickTogglesAnyIndexBackToZero) {
  LeftClick(h->DigitalInput1);
  EXPECT_EQ(h->DigitalInput1->ItemIndex(), 1);
  LeftClick(h->DigitalInput1);
  EXPECT_EQ(h->DigitalInput1->ItemIndex(), 0);
}

TEST_F(HardwareWindowTest, EarthHoldsAreExclusive) {
  LeftClick(h->EarthHoldLow);
  ASSERT_EQ(h->EarthHoldLow->ItemIndex(), 1);
  LeftClick(h->EarthHoldHigh);
  EXPECT_EQ(h->EarthHoldHigh->ItemIndex(), 1);
  EXPECT_EQ(h->EarthHoldLow->ItemIndex(), 0);
  LeftClick(h->EarthHoldHigh);
  EXPECT_EQ(h->EarthHoldHigh->ItemIndex(), 0);
  EXPECT_EQ(h->EarthHoldLow->ItemIndex(), 0);
  LeftClick(h->EarthHoldHigh);
  LeftClick(h->EarthHoldLow);
  EXPECT_EQ(h->EarthHoldHigh->ItemIndex(), 0);
  EXPECT_EQ(h->EarthHoldLow->ItemIndex(), 1);
}

TEST_F(HardwareWindowTest, ResetAndTestSwitchesAreMomentary) {
  for (TImageSelector* momentary : {h->FWP6Switch, h->FWP8Switch}) {
    Press(momentary, MouseButton::Left);
    EXPECT_EQ(momentary->ItemIndex(), 1) << momentary->Name();
    Release(momentary, MouseButton::Left, {60, 60});  // released away from the switch
    EXPECT_EQ(momentary->ItemIndex(), 0) << momentary->Name();
  }
}

TEST_F(HardwareWindowTest, FireControlSwitchLatches) {
  Press(h->FWP4Switch, MouseButton::Left);
  Release(h->FWP4Switch, MouseButton::Left);
  EXPECT_EQ(h->FWP4Switch->ItemIndex(), 1);
  LeftClick(h->FWP4Switch);
  EXPECT_EQ(h->FWP4Switch->ItemIndex(), 0);
}

TEST_F(HardwareWindowTest, MainsFailureDropsTheSupplyToTheBatteryLessADiode) {
  ClickLevel(h->VbattAnalogueValueBox, 188);
  ASSERT_EQ(h->VbattAnalogueValue->Width(), 186);
  ClickLevel(h->VssAnalogueValueBox, 60);
  LeftClick(h->PSUMainsInput);
  EXPECT_EQ(h->PSUMainsInput->ItemIndex(), 0);
  EXPECT_EQ(h->VssAnalogueValue->Width(), 181);
  EXPECT_EQ(h->VssLevel->Caption(), "27.1V");
  EXPECT_EQ(h->VssAnalogueValueBox->Tag(), 0);
  LeftClick(h->PSUMainsInput);
  EXPECT_EQ(h->PSUMainsInput->ItemIndex(), 1);
  EXPECT_EQ(h->VssAnalogueValue->Width(), 186);
  EXPECT_EQ(h->VssLevel->Caption(), "27.8V");
  EXPECT_EQ(h->VssAnalogueValueBox->Tag(), 0);
}

TEST_F(HardwareWindowTest, ZoneLinksSetTheFrontPanelZoneLeds) {
  m()->SelectCoverOffClick(m()->SelectCoverOff);  // only the board view hides zone LEDs
  LeftClick(h->EightZonePanel);
  EXPECT_TRUE(m()->ZoneFireLEDs[1]->Visible());
  EXPECT_FALSE(m()->ZoneFireLEDs[2]->Visible());
  LeftClick(h->FourZonePanel);
  EXPECT_TRUE(m()->ZoneFaultLEDs[3]->Visible());
  EXPECT_FALSE(m()->ZoneFaultLEDs[4]->Visible());
  LeftClick(h->EightZonePanel);
  EXPECT_TRUE(m()->ZoneFireLEDs[7]->Visible());
}

// ---- Placement and the VdS layout ---------------------------------------------------------

// A laptop's work area with framed windows, whatever the test's display.
class LaptopScreen : public WindowHost {
 public:
  ScreenRect Screen() const override { return {0, 0, 1366, 768}; }
  FrameExtents WindowFrame() const override { return {4, 30, 4, 4}; }
};

class HardwareWindowOnLaptopTest : public HardwareWindowTest {
 protected:
  void SetUp() override { Start(&laptop_); }
  void TearDown() override { machine_.reset(); }

  LaptopScreen laptop_;
};

TEST_F(HardwareWindowOnLaptopTest, ShownClearOfTheFrontPanelSizedToItsContents) {
  m()->Show();
  h->Show();
  EXPECT_EQ(h->ClientWidth(), 481);  // up to the links group
  EXPECT_EQ(h->ClientHeight(), 337);
  EXPECT_TRUE(FullyInside(FrameOf(*h), laptop_.Screen()));
  EXPECT_TRUE(FullyInside(FrameOf(*m()), laptop_.Screen()));
  EXPECT_FALSE(Overlap(FrameOf(*h), FrameOf(*m())));
}

TEST_F(HardwareWindowTest, ShownAgainTheWindowKeepsWhereTheUserPutIt) {
  h->Show();
  h->Move(10, 20);
  h->Hide();
  h->Show();
  EXPECT_EQ(std::pair(h->Left(), h->Top()), std::pair(10, 20));
}

// The machine drops both windows together, so the front panel here is left
// to outlive a hardware window that runs no board.
TEST(HardwareWindowLifetime, FrontPanelForgetsTheLinksWhenTheWindowGoes) {
  struct NoBoard : BoardLifecycle {
    void StartBoard(TfrmHardwareControl&) override {}
    void StopBoard() override {}
  } board;
  TfrmMainDisplay front;
  PeriodicUpdate update;
  auto window = std::make_unique<TfrmHardwareControl>(board, update, &front);
  ASSERT_EQ(front.EightZonePanel, window->EightZonePanel);
  ASSERT_EQ(front.FourZonePanel, window->FourZonePanel);
  window.reset();
  EXPECT_EQ(front.EightZonePanel, nullptr);
  EXPECT_EQ(front.FourZonePanel, nullptr);
  front.UpdateZoneIndicatorVisibility();
}

TEST_F(HardwareWindowOnLaptopTest, VdSModeWidensTheWindowAndPlacesBothAgainWhenItWouldLeaveTheScreen) {
  m()->Show();
  h->Show();
  m()->Move(0, 0);
  const ScreenRect screen = laptop_.Screen();
  h->Move(screen.width - FrameOf(*h).width - 3, screen.height - FrameOf(*h).height - 3);
  LeftClick(h->VdSModeSelect);
  EXPECT_TRUE(h->VdSHardwareOptions->Visible());
  EXPECT_TRUE(m()->frmAlarmCounter1->Visible());
  EXPECT_EQ(h->ClientWidth(), 601);
  EXPECT_TRUE(FullyInside(FrameOf(*h), screen));
  EXPECT_FALSE(Overlap(FrameOf(*h), FrameOf(*m())));
  EXPECT_EQ(std::pair(h->gbxSoftwareVersion->Left(), h->gbxSoftwareVersion->Top()), std::pair(488, 0));

  LeftClick(h->VdSModeSelect);
  EXPECT_FALSE(h->VdSHardwareOptions->Visible());
  EXPECT_FALSE(m()->frmAlarmCounter1->Visible());
  EXPECT_EQ(std::pair(h->gbxSoftwareVersion->Left(), h->gbxSoftwareVersion->Top()), std::pair(352, 64));
  EXPECT_EQ(h->ClientWidth(), 481);
}

TEST_F(HardwareWindowTest, VdSModeLeavesAWindowWellInsideTheScreenWhereItIs) {
  h->Show();
  h->Move(10, 10);
  LeftClick(h->VdSModeSelect);
  EXPECT_EQ(std::pair(h->Left(), h->Top()), std::pair(10, 10));
}

TEST_F(HardwareWindowTest, ClosingTheWindowClosesTheFrontPanel) {
  m()->Show();
  h->Show();
  h->Close();
  EXPECT_FALSE(m()->Showing());
}

// ---- Optional relays ------------------------------------------------------------------------

TEST_F(HardwareWindowTest, OptionalRelayHintsFollowEachStep) {
  const struct {
    const char* hint;
    int32_t state;
  } steps[] = {{"Fitted - Unmonitored", optionalRelaysUnmonitored},
               {"Fitted - Monitored", optionalRelaysMonitored},
               {"Not Fitted", optionalRelaysNotFitted}};
  for (const auto& step : steps) {
    LeftClick(h->OptionalRelays);
    EXPECT_EQ(h->OptionalRelays->Hint(), step.hint);
    EXPECT_EQ(h->OptionalRelaysState(), step.state);
  }
}

TEST_F(HardwareWindowTest, LoadedOptionalRelayStateSetsItsHint) {
  h->OptionalRelays->SetState(CheckBoxState::Grayed);
  EXPECT_EQ(h->OptionalRelays->Hint(), "Fitted - Unmonitored");
}

// ---- Watchdog --------------------------------------------------------------------------------

TEST_F(HardwareWindowTest, UnservicedWatchdogTripsOnTheTwentyFourthPeriod) {
  PeriodicUpdate& periodicUpdate = machine_->periodicUpdate();
  ASSERT_EQ(h->WatchdogTimer->Interval(), 100);
  EXPECT_FALSE(h->WatchdogTimer->Enabled());  // in virtual time the periods are driven here
  EXPECT_TRUE(periodicUpdate.watchdogTripped.load());  // creation sets the latch
  ASSERT_NE(machine_->board(), nullptr);
  periodicUpdate.watchdogTripped.store(false);

  for (int period = 1; period <= 23; ++period) h->WatchdogTimer->OnTimer(h->WatchdogTimer);
  EXPECT_EQ(periodicUpdate.watchdogPeriods.load(), 23);
  EXPECT_FALSE(periodicUpdate.watchdogTripped.load());
  EXPECT_EQ(m()->SystemFaultLED->ItemIndex(), 0);
  h->WatchdogTimer->OnTimer(h->WatchdogTimer);
  EXPECT_TRUE(periodicUpdate.watchdogTripped.load());
  EXPECT_EQ(m()->SystemFaultLED->ItemIndex(), 1);

  // A service restarts the count; the latch stays.
  HardwareRequest(*machine_->board(), WATCHDOG_SERVICE, 0);
  EXPECT_EQ(periodicUpdate.watchdogPeriods.load(), 0);
  EXPECT_TRUE(periodicUpdate.watchdogTripped.load());
  periodicUpdate.wiring = nullptr;
}

// ---- The board's view ------------------------------------------------------------------------

TEST_F(HardwareWindowTest, BoardUpdatesReadAndSetTheWindowsControls) {
  PeriodicUpdate periodicUpdate;
  HardwareState board(periodicUpdate);
  periodicUpdate.boardInstance.store(&board);
  BoardWiring wiring;
  const SharedU16 battery = 21390;  // 100.0 V after the read-out's scaling
  const SharedU16 charger = 0;
  wiring.batteryLevel = &battery;
  wiring.chargerLevel = &charger;
  m()->WireFrontPanel(wiring);
  h->WireHardwareControls(wiring);
  periodicUpdate.wiring = &wiring;
  LeftClick(h->PSUMainsInput);
  board.SetPortBits(portPowerOutputs, pwrBatteryTestLoad);
  for (int tick = 0; tick < 5; ++tick) periodicUpdate.Tick();
  EXPECT_TRUE(board.Port(portMonitorInputs) & monMainsFailed);
  EXPECT_EQ(h->BatteryTestLoad->ItemIndex(), 1);
  EXPECT_EQ(h->Vbatt->Caption(), "1000");
  EXPECT_EQ(h->Vchr->Caption(), "0");
  periodicUpdate.wiring = nullptr;
}

TEST_F(HardwareWindowTest, AnalogueChannelsReadTheLevelControls) {
  PeriodicUpdate update;
  HardwareState board(update);
  board.analogueSource = h;
  ClickLevel(h->ZoneAnalogueControl[0], 2);  // a shorted line: 0 ohms
  LeftClick(h->CapEOLZone[2]);
  EXPECT_EQ(h->ZoneResistance(0), 0);
  EXPECT_EQ(h->ZoneResistance(1), 4727);
  EXPECT_TRUE(h->CapacitorFitted(2));
  EXPECT_FALSE(h->CapacitorFitted(0));
  board.StorePort(portZoneSelect, 0x01);
  EXPECT_EQ(ReadAnalogueChannel(board, channelOddZones, false), 0);
  ClickLevel(h->Relay1ValueBox, 70);  // 64 pixels, 1024 counts
  EXPECT_EQ(ReadAnalogueChannel(board, channelRelay1Monitor, false), 1023);
  ClickLevel(h->VssAnalogueValueBox, 258);
  EXPECT_EQ(h->SupplyMillivolts(), 38333);
  EXPECT_EQ(ReadAnalogueChannel(board, channelReference, false), 1023);
  EXPECT_EQ(h->BatteryMillivolts(), 23958);
  EXPECT_EQ(h->ChargerMillivolts(), 23958);
}

}  // namespace
