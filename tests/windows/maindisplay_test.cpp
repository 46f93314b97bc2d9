#include "windows/maindisplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "tests/windows/ui_test_support.h"

namespace {

class MainDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TfrmMainDisplay>();
    f = form_.get();
  }

  std::vector<TImageSelector*> Leds() const {
    std::vector<TImageSelector*> leds{f->FireLED, f->PowerLED, f->FaultLED, f->SystemFaultLED, f->FireRoutingActiveLED,
                                      f->AuxiliaryFaultLED};
    leds.insert(leds.end(), f->ZoneFireLEDs.begin(), f->ZoneFireLEDs.end());
    leds.insert(leds.end(), f->ZoneFaultLEDs.begin(), f->ZoneFaultLEDs.end());
    return leds;
  }

  std::vector<TImageSelector*> Buttons() const {
    return {f->AcceptButton,     f->SoundersStartStopButton, f->ResetButton,             f->BuzzerMuteButton,
            f->DelayOnOffButton, f->ItemSelectButton,        f->DisableTestNormalButton, f->LampTestButton};
  }

  ControlState* Named(const char* name) const { return dynamic_cast<TImageSelector*>(f->FindControl(name)); }

  int VisibleLabels() const {
    return static_cast<int>(std::count_if(f->Labels.begin(), f->Labels.end(), [](TLabel* l) { return l->Visible(); }));
  }

  std::unique_ptr<TfrmMainDisplay> form_;
  TfrmMainDisplay* f = nullptr;
};

// ---- Layout -----------------------------------------------------------------------

TEST_F(MainDisplayTest, WindowStartsInTheMarvaneFasciaView) {
  EXPECT_EQ(f->Caption(), "QX40 Simulation");
  EXPECT_EQ(f->ClientWidth(), 780);
  EXPECT_EQ(f->ClientHeight(), 361);
  EXPECT_TRUE(f->MarvaneBackImage->Visible());
  for (TImage* hidden : {f->PCBBackImage, f->ButtonSilkScreen, f->SystemNumberSilkScreen, f->ZoneNumberSilkScreen,
                         f->CorvellaBackImage}) {
    EXPECT_FALSE(hidden->Visible()) << hidden->Name();
  }
  EXPECT_EQ(f->SelectMarvaneFascia->ItemIndex(), 1);
  EXPECT_EQ(f->SelectCorvellaFascia->ItemIndex(), 0);
  EXPECT_EQ(f->SelectCoverOff->ItemIndex(), 0);
  EXPECT_TRUE(f->Keyswitch->Visible());
  EXPECT_FALSE(f->PCBKeyswitch->Visible());
  EXPECT_FALSE(f->CoverOffSwitch->Visible());
  EXPECT_EQ(f->CoverOffSwitch->ItemIndex(), 1);
  EXPECT_FALSE(f->frmAlarmCounter1->Visible());
  EXPECT_EQ(VisibleLabels(), 44);
}

struct Placement {
  const char* name;
  int left, top, width, height, index;
};

void PrintTo(const Placement& p, std::ostream* out) { *out << p.name; }

class MainDisplayLayoutTest : public MainDisplayTest, public ::testing::WithParamInterface<Placement> {};

TEST_P(MainDisplayLayoutTest, ControlSitsAtItsPlaceWithItsStartIndex) {
  const Placement& p = GetParam();
  TControl* control = f->FindControl(p.name);
  ASSERT_NE(control, nullptr) << p.name;
  EXPECT_EQ(control->Left(), p.left);
  EXPECT_EQ(control->Top(), p.top);
  EXPECT_EQ(control->Width(), p.width);
  EXPECT_EQ(control->Height(), p.height);
  if (auto* selector = dynamic_cast<TImageSelector*>(control)) {
    EXPECT_EQ(selector->ItemIndex(), p.index);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layout, MainDisplayLayoutTest,
    ::testing::Values(Placement{"PCBBackImage", 0, -8, 780, 369, 0}, Placement{"ButtonSilkScreen", 664, 93, 67, 256, 0},
                      Placement{"SystemNumberSilkScreen", 362, 123, 14, 214, 0},
                      Placement{"ZoneNumberSilkScreen", 311, 132, 9, 204, 0},
                      Placement{"AcceptButton", 634, 95, 29, 29, 0}, Placement{"LampTestButton", 634, 317, 29, 29, 0},
                      Placement{"FireLED", 298, 104, 11, 11, 0}, Placement{"Zone8FireLED", 298, 326, 11, 11, 0},
                      Placement{"Zone3FaultLED", 321, 187, 11, 11, 0}, Placement{"PowerLED", 349, 104, 11, 11, 1},
                      Placement{"PSUFaultLED", 349, 234, 11, 11, 0}, Placement{"AuxiliaryFaultLED", 349, 326, 11, 11, 0},
                      Placement{"InternalTone", 738, 320, 32, 32, 1}, Placement{"Keyswitch", 680, 200, 75, 75, 0},
                      Placement{"SelectCorvellaFascia", 720, 24, 24, 24, 0},
                      Placement{"SelectMarvaneFascia", 696, 24, 24, 24, 1},
                      Placement{"SelectCoverOff", 744, 24, 24, 24, 0}, Placement{"CoverOffSwitch", 730, 253, 29, 29, 1},
                      Placement{"PCBKeyswitch", 730, 206, 29, 29, 0}, Placement{"frmAlarmCounter1", 700, 96, 54, 23, 0},
                      Placement{"Label2", 520, 130, 105, 25, 0}, Placement{"Label21", 84, 243, 17, 15, 0},
                      Placement{"Label44", 396, 61, 237, 18, 0}));

TEST_F(MainDisplayTest, LegendsCarryTheirCaptions) {
  EXPECT_EQ(f->Labels[0]->Caption(), "BUZZER MUTE");
  EXPECT_EQ(f->Labels[8]->Caption(), "ZONE");
  EXPECT_EQ(f->Labels[23]->Caption(), "8");
  EXPECT_EQ(f->Labels[42]->Caption(), "TO SILENCE SOUNDERS PRESS SOUNDER START/STOP");
  EXPECT_EQ(f->Labels[43]->Name(), "Label44");
}

TEST_F(MainDisplayTest, EveryControlIsFoundByName) {
  EXPECT_EQ(f->FindControl("Zone5FireLED"), f->ZoneFireLEDs[4]);
  EXPECT_EQ(f->FindControl("Segment3"), f->frmAlarmCounter1->Segment3);
  EXPECT_EQ(f->FindControl("NoSuchControl"), nullptr);
  EXPECT_EQ(f->FindImageList("CorvellaFireLEDDisplay"), f->CorvellaFireLEDDisplay);
  // 6 pictures, 8 buttons, 30 LEDs, 44 legends, 7 others, the frame and its 3 digits.
  EXPECT_EQ(f->Controls().size(), 6 + 8 + 30 + 44 + 7 + 1 + 3);
}

// ---- Push buttons -----------------------------------------------------------------

TEST_F(MainDisplayTest, LeftClickHoldsAButtonPressedUntilRelease) {
  for (TImageSelector* button : Buttons()) {
    Press(button, MouseButton::Left);
    EXPECT_EQ(button->ItemIndex(), 1) << button->Name();
    Release(button, MouseButton::Left);
    EXPECT_EQ(button->ItemIndex(), 0) << button->Name();
  }
}

TEST_F(MainDisplayTest, RightClickLatchesAButtonUntilALeftRelease) {
  Press(f->ResetButton, MouseButton::Right);
  Release(f->ResetButton, MouseButton::Right);
  EXPECT_EQ(f->ResetButton->ItemIndex(), 1);
  Press(f->ResetButton, MouseButton::Left);
  EXPECT_EQ(f->ResetButton->ItemIndex(), 1);
  Release(f->ResetButton, MouseButton::Left);
  EXPECT_EQ(f->ResetButton->ItemIndex(), 0);
}

TEST_F(MainDisplayTest, SeveralButtonsCanBeHeldTogether) {
  Press(f->AcceptButton, MouseButton::Right);
  Release(f->AcceptButton, MouseButton::Right);
  Press(f->LampTestButton, MouseButton::Left);
  EXPECT_EQ(f->AcceptButton->ItemIndex(), 1);
  EXPECT_EQ(f->LampTestButton->ItemIndex(), 1);
}

TEST_F(MainDisplayTest, MiddleButtonChangesNothing) {
  Press(f->BuzzerMuteButton, MouseButton::Middle);
  EXPECT_EQ(f->BuzzerMuteButton->ItemIndex(), 0);
  f->BuzzerMuteButton->SetItemIndex(1);
  Release(f->BuzzerMuteButton, MouseButton::Middle);
  EXPECT_EQ(f->BuzzerMuteButton->ItemIndex(), 1);
}

TEST_F(MainDisplayTest, LedsIgnoreTheMouse) {
  Press(f->FaultLED, MouseButton::Left);
  EXPECT_EQ(f->FaultLED->ItemIndex(), 0);
}

// ---- Keyswitch --------------------------------------------------------------------

TEST_F(MainDisplayTest, KeyswitchTurnsOnAtOnceAboveTheDiagonalAndOffBelowIt) {
  Press(f->Keyswitch, MouseButton::Left, {10, 10});
  EXPECT_EQ(f->Keyswitch->ItemIndex(), 1);
  EXPECT_EQ(f->Keyswitch->Tag(), 1);
  Drag(f->Keyswitch, MouseButton::Left, {70, 70});
  EXPECT_EQ(f->Keyswitch->ItemIndex(), 0);
  Release(f->Keyswitch, MouseButton::Left, {70, 70});
  EXPECT_EQ(f->Keyswitch->ItemIndex(), 0);
  EXPECT_EQ(f->Keyswitch->Tag(), 0);
}

TEST_F(MainDisplayTest, KeyswitchDiagonalIsStrict) {
  Press(f->Keyswitch, MouseButton::Right, {37, 37});  // 37 < 75 - 37: on
  EXPECT_EQ(f->Keyswitch->ItemIndex(), 1);
  Drag(f->Keyswitch, MouseButton::Right, {38, 37});  // 38 = 75 - 37: off
  EXPECT_EQ(f->Keyswitch->ItemIndex(), 0);
}

TEST_F(MainDisplayTest, KeyswitchReleaseOutsideFollowsTheSameRule) {
  Press(f->Keyswitch, MouseButton::Left, {70, 70});
  EXPECT_EQ(f->Keyswitch->ItemIndex(), 0);
  Release(f->Keyswitch, MouseButton::Left, {-20, 30});  // -20 < 45: on
  EXPECT_EQ(f->Keyswitch->ItemIndex(), 1);
  Press(f->Keyswitch, MouseButton::Left, {10, 10});
  Release(f->Keyswitch, MouseButton::Left, {100, 120});
  EXPECT_EQ(f->Keyswitch->ItemIndex(), 0);
}

TEST_F(MainDisplayTest, KeyswitchIgnoresMovesWithoutAPress) {
  f->Keyswitch->MouseMove(0, 10, 10);  // no button held
  EXPECT_EQ(f->Keyswitch->ItemIndex(), 0);
  Press(f->Keyswitch, MouseButton::Left, {10, 10});
  Release(f->Keyswitch, MouseButton::Left, {10, 10});
  f->Keyswitch->MouseMove(0, 70, 70);
  EXPECT_EQ(f->Keyswitch->ItemIndex(), 1);
}

// ---- Views ------------------------------------------------------------------------

TEST_F(MainDisplayTest, ClickingTheShownFasciaChangesNothing) {
  LeftClick(f->SelectMarvaneFascia);
  EXPECT_EQ(f->SelectMarvaneFascia->ItemIndex(), 1);
  EXPECT_EQ(f->SelectCorvellaFascia->ItemIndex(), 0);
  EXPECT_TRUE(f->MarvaneBackImage->Visible());
  EXPECT_EQ(f->FireLED->ImageList(), f->MarvaneRedLEDDisplay);
}

TEST_F(MainDisplayTest, RightClickOnAViewSelectorIsNoClick) {
  Press(f->SelectCorvellaFascia, MouseButton::Right);
  Release(f->SelectCorvellaFascia, MouseButton::Right);
  EXPECT_TRUE(f->MarvaneBackImage->Visible());
}

TEST_F(MainDisplayTest, CorvellaFasciaGivesEveryPartItsBrandsListAndKeepsStates) {
  f->ZoneFireLEDs[1]->SetItemIndex(1);
  f->SystemFaultLED->SetItemIndex(1);
  f->AcceptButton->SetItemIndex(1);
  f->Keyswitch->SetItemIndex(1);
  LeftClick(f->SelectCorvellaFascia);
  EXPECT_TRUE(f->CorvellaBackImage->Visible());
  EXPECT_FALSE(f->MarvaneBackImage->Visible());
  EXPECT_EQ(f->SelectCorvellaFascia->ItemIndex(), 1);
  EXPECT_EQ(f->SelectMarvaneFascia->ItemIndex(), 0);
  EXPECT_EQ(f->FireLED->ImageList(), f->CorvellaFireLEDDisplay);
  EXPECT_EQ(f->ZoneFireLEDs[1]->ImageList(), f->CorvellaRedLEDDisplay);
  EXPECT_EQ(f->FireRoutingActiveLED->ImageList(), f->CorvellaRedLEDDisplay);
  EXPECT_EQ(f->ZoneFaultLEDs[7]->ImageList(), f->CorvellaYellowLEDDisplay);
  EXPECT_EQ(f->SystemFaultLED->ImageList(), f->CorvellaYellowLEDDisplay);
  EXPECT_EQ(f->PowerLED->ImageList(), f->CorvellaGreenLEDDisplay);
  EXPECT_EQ(f->Keyswitch->ImageList(), f->CorvellaKeySwitchDisplay);
  EXPECT_EQ(f->InternalTone->ImageList(), f->CorvellaInternalToneImages);
  for (TImageSelector* button : Buttons()) EXPECT_EQ(button->ImageList(), f->CorvellaButtonDisplay);
  EXPECT_EQ(f->ZoneFireLEDs[1]->ItemIndex(), 1);
  EXPECT_EQ(f->SystemFaultLED->ItemIndex(), 1);
  EXPECT_EQ(f->PowerLED->ItemIndex(), 1);
  EXPECT_EQ(f->AcceptButton->ItemIndex(), 1);
  EXPECT_EQ(f->Keyswitch->ItemIndex(), 1);
  EXPECT_EQ(VisibleLabels(), 44);

  LeftClick(f->SelectMarvaneFascia);
  EXPECT_TRUE(f->MarvaneBackImage->Visible());
  EXPECT_FALSE(f->CorvellaBackImage->Visible());
  EXPECT_EQ(f->FireLED->ImageList(), f->MarvaneRedLEDDisplay);
  EXPECT_EQ(f->Keyswitch->ImageList(), f->MarvaneKeySwitchDisplay);
}

TEST_F(MainDisplayTest, BoardViewShowsTheBoardAndOpensTheCoverAndBoardKey) {
  f->PCBKeyswitch->SetItemIndex(1);
  f->Keyswitch->SetItemIndex(1);
  f->FaultLED->SetItemIndex(1);
  LeftClick(f->SelectCoverOff);
  EXPECT_EQ(f->SelectCoverOff->ItemIndex(), 1);
  for (TImage* shown : {f->PCBBackImage, f->ZoneNumberSilkScreen, f->SystemNumberSilkScreen, f->ButtonSilkScreen}) {
    EXPECT_TRUE(shown->Visible()) << shown->Name();
  }
  EXPECT_FALSE(f->MarvaneBackImage->Visible());
  EXPECT_FALSE(f->CorvellaBackImage->Visible());
  EXPECT_FALSE(f->Keyswitch->Visible());
  EXPECT_TRUE(f->PCBKeyswitch->Visible());
  EXPECT_TRUE(f->CoverOffSwitch->Visible());
  EXPECT_EQ(f->CoverOffSwitch->ItemIndex(), 0);
  EXPECT_EQ(f->PCBKeyswitch->ItemIndex(), 0);
  EXPECT_EQ(VisibleLabels(), 0);
  EXPECT_EQ(f->FireLED->ImageList(), f->PCBRedLEDDisplay);
  EXPECT_EQ(f->FaultLED->ImageList(), f->PCBYellowLEDDisplay);
  EXPECT_EQ(f->PowerLED->ImageList(), f->PCBGreenLEDDisplay);
  EXPECT_EQ(f->InternalTone->ImageList(), f->PCBInternalToneImages);
  EXPECT_EQ(f->ResetButton->ImageList(), f->PCBButtonDisplay);
  EXPECT_EQ(f->Keyswitch->ImageList(), f->MarvaneKeySwitchDisplay);  // hidden: keeps its fascia list
  EXPECT_EQ(f->FaultLED->ItemIndex(), 1);
}

TEST_F(MainDisplayTest, BoardSwitchesActAsButtons) {
  LeftClick(f->SelectCoverOff);
  Press(f->CoverOffSwitch, MouseButton::Left);
  EXPECT_EQ(f->CoverOffSwitch->ItemIndex(), 1);
  Release(f->CoverOffSwitch, MouseButton::Left);
  EXPECT_EQ(f->CoverOffSwitch->ItemIndex(), 0);
  Press(f->PCBKeyswitch, MouseButton::Right);
  Release(f->PCBKeyswitch, MouseButton::Right);
  EXPECT_EQ(f->PCBKeyswitch->ItemIndex(), 1);
}

TEST_F(MainDisplayTest, FasciaChoiceInTheBoardViewIsRememberedForTheRefit) {
  LeftClick(f->SelectCoverOff);
  for (TImageSelector* led : Leds()) led->SetItemIndex(1);
  LeftClick(f->SelectCorvellaFascia);
  EXPECT_EQ(f->SelectCorvellaFascia->ItemIndex(), 1);
  EXPECT_EQ(f->SelectMarvaneFascia->ItemIndex(), 0);
  EXPECT_TRUE(f->PCBBackImage->Visible());
  EXPECT_FALSE(f->CorvellaBackImage->Visible());
  EXPECT_EQ(f->FireLED->ImageList(), f->PCBRedLEDDisplay);

  LeftClick(f->SelectCoverOff);
  EXPECT_EQ(f->SelectCoverOff->ItemIndex(), 0);
  EXPECT_TRUE(f->CorvellaBackImage->Visible());
  for (TImage* hidden : {f->PCBBackImage, f->ButtonSilkScreen, f->SystemNumberSilkScreen, f->ZoneNumberSilkScreen,
                         f->MarvaneBackImage}) {
    EXPECT_FALSE(hidden->Visible()) << hidden->Name();
  }
  EXPECT_EQ(f->FireLED->ImageList(), f->CorvellaFireLEDDisplay);
  EXPECT_EQ(f->Keyswitch->ImageList(), f->CorvellaKeySwitchDisplay);
  for (TImageSelector* led : Leds()) EXPECT_EQ(led->ItemIndex(), 1) << led->Name();
  EXPECT_TRUE(f->Keyswitch->Visible());
  EXPECT_FALSE(f->PCBKeyswitch->Visible());
  EXPECT_FALSE(f->CoverOffSwitch->Visible());
  EXPECT_EQ(f->CoverOffSwitch->ItemIndex(), 1);
  EXPECT_EQ(VisibleLabels(), 44);
}

TEST_F(MainDisplayTest, RefittingWithoutAChoiceRestoresMarvane) {
  LeftClick(f->SelectCoverOff);
  LeftClick(f->SelectMarvaneFascia);  // the remembered choice already
  LeftClick(f->SelectCoverOff);
  EXPECT_TRUE(f->MarvaneBackImage->Visible());
  EXPECT_FALSE(f->PCBBackImage->Visible());
  EXPECT_EQ(f->AcceptButton->ImageList(), f->MarvaneButtonDisplay);
}

// ---- Zone LED visibility ----------------------------------------------------------

struct LinkCase {
  int eightZone;
  int fourZone;
  int zonesShownOnBoard;
};

void PrintTo(const LinkCase& c, std::ostream* out) { *out << "eight " << c.eightZone << " four " << c.fourZone; }

class ZoneVisibilityTest : public MainDisplayTest, public ::testing::WithParamInterface<LinkCase> {
 protected:
  int ZonesShown() const {
    int shown = 0;
    for (int zone = 0; zone < 8; ++zone) {
      EXPECT_EQ(f->ZoneFireLEDs[zone]->Visible(), f->ZoneFaultLEDs[zone]->Visible());
      if (f->ZoneFireLEDs[zone]->Visible() && shown == zone) ++shown;
    }
    return shown;
  }
};

TEST_P(ZoneVisibilityTest, BoardViewShowsOnlyTheZonesTheLinksFit) {
  FakeControl eight(GetParam().eightZone);
  FakeControl four(GetParam().fourZone);
  f->EightZonePanel = &eight;
  f->FourZonePanel = &four;
  f->UpdateZoneIndicatorVisibility();
  EXPECT_EQ(ZonesShown(), 8);  // fascia: all eight
  LeftClick(f->SelectCoverOff);
  EXPECT_EQ(ZonesShown(), GetParam().zonesShownOnBoard);
  LeftClick(f->SelectCorvellaFascia);  // only remembered: still the board view
  EXPECT_EQ(ZonesShown(), GetParam().zonesShownOnBoard);
  LeftClick(f->SelectCoverOff);
  EXPECT_EQ(ZonesShown(), 8);
}

INSTANTIATE_TEST_SUITE_P(Links, ZoneVisibilityTest,
                         ::testing::Values(LinkCase{1, 0, 8}, LinkCase{1, 1, 8}, LinkCase{0, 1, 4}, LinkCase{0, 0, 2}));

TEST_F(MainDisplayTest, LinkChangeInTheBoardViewTakesEffectWhenAnnounced) {
  FakeControl eight(1);
  FakeControl four(0);
  f->EightZonePanel = &eight;
  f->FourZonePanel = &four;
  LeftClick(f->SelectCoverOff);
  EXPECT_TRUE(f->ZoneFireLEDs[7]->Visible());
  eight.SetItemIndex(0);
  f->UpdateZoneIndicatorVisibility();
  EXPECT_FALSE(f->ZoneFireLEDs[2]->Visible());
  EXPECT_FALSE(f->ZoneFaultLEDs[7]->Visible());
  EXPECT_TRUE(f->ZoneFireLEDs[1]->Visible());
}

// ---- Buzzer indicator -------------------------------------------------------------

TEST_F(MainDisplayTest, InternalToneShowsTheSteadyBuzzerAndEachChirpOnce) {
  PeriodicUpdate update;
  HardwareState board(update);
  f->UseBoard(&board);
  f->UpdateInternalTone();
  EXPECT_EQ(f->InternalTone->ItemIndex(), 0);
  HardwareRequest(board, BUZZER_CHIRP, 0);
  f->UpdateInternalTone();
  EXPECT_EQ(f->InternalTone->ItemIndex(), 1);
  f->UpdateInternalTone();
  EXPECT_EQ(f->InternalTone->ItemIndex(), 0);
  HardwareRequest(board, SET_BUZZER, 1);
  f->UpdateInternalTone();
  f->UpdateInternalTone();
  EXPECT_EQ(f->InternalTone->ItemIndex(), 1);
  f->UseBoard(nullptr);
}

TEST_F(MainDisplayTest, InternalToneIsLeftAloneWithoutABoard) {
  f->UpdateInternalTone();
  EXPECT_EQ(f->InternalTone->ItemIndex(), 1);
}

// ---- Wiring -----------------------------------------------------------------------

TEST_F(MainDisplayTest, WiringPointsTheBoardAtTheNamedControls) {
  BoardWiring wiring;
  f->WireFrontPanel(wiring);
  EXPECT_EQ(wiring.zoneFireLed[0], Named("Zone1FireLED"));
  EXPECT_EQ(wiring.zoneFaultLed[7], Named("Zone8FaultLED"));
  EXPECT_EQ(wiring.psuFaultLed, Named("PSUFaultLED"));
  EXPECT_EQ(wiring.internalTone, Named("InternalTone"));
  EXPECT_EQ(wiring.resetButton, Named("ResetButton"));
  EXPECT_EQ(wiring.pcbKeyswitch, Named("PCBKeyswitch"));
  EXPECT_EQ(wiring.coverOffSwitch, Named("CoverOffSwitch"));
  EXPECT_EQ(wiring.segment1, Named("Segment1"));
  EXPECT_EQ(wiring.segment3, Named("Segment3"));
}

}  // namespace
