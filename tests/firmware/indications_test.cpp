#include "firmware/firmware.h"

#include <gtest/gtest.h>

#include <vector>

#include "firmware/disablement.h"
#include "tests/firmware/detection_fixture.h"
#include "tests/firmware/firmware_fixture.h"

namespace {

// The three images of one UpdateIndications, with the flash timer they were built with.
struct Frame {
  uint8_t fire = 0;
  uint8_t fault = 0;
  uint16_t status = 0;
  uint8_t flash = 0;
  bool Flash(uint8_t bit) const { return flash & bit; }
};

// Records the images as the board receives them.
class FrameRecorder {
 public:
  FrameRecorder(const Firmware& firmware, HardwareState& board) : firmware_(firmware), board_(board) {
    board_.requestObserver.Set(
        [](uint8_t op, int32_t arg, int32_t, void* context) {
          static_cast<FrameRecorder*>(context)->Take(op, arg);
        },
        this);
  }
  ~FrameRecorder() { board_.requestObserver.Set(nullptr, nullptr); }
  std::vector<Frame> frames;
  std::vector<uint8_t> order;

 private:
  void Take(uint8_t op, int32_t arg) {
    if (op == SET_ZONE_FIRE_LEDS) {
      order.clear();
      current_.fire = uint8_t(arg);
    }
    if (op == SET_ZONE_FAULT_LEDS) current_.fault = uint8_t(arg);
    if (op != SET_ZONE_FIRE_LEDS && op != SET_ZONE_FAULT_LEDS && op != SET_STATUS_LEDS) return;
    order.push_back(op);
    if (op != SET_STATUS_LEDS) return;
    current_.status = uint16_t(arg);
    current_.flash = firmware_.panel.flashTimer;
    frames.push_back(current_);
  }
  const Firmware& firmware_;
  HardwareState& board_;
  Frame current_;
};

class Indications : public DetectionTest {
 public:
  // Two seconds of frames: every flash phase is seen.
  std::vector<Frame> Watch() {
    FrameRecorder recorder(*this, t.board());
    Ticks20(100);
    return recorder.frames;
  }
  void ConfirmFaultInZone(uint8_t zone) {
    SetZoneOhms(zone, faultOhms);
    Scans(zone, 40);
    SetZoneOhms(zone, normalOhms);
  }
};

}  // namespace

TEST_F(Indications, ImagesAreSentFireFaultStatusEvery20ms) {
  FrameRecorder recorder(*this, t.board());
  Ticks20(10);
  EXPECT_EQ(recorder.frames.size(), 10u);
  EXPECT_EQ(recorder.order, (std::vector<uint8_t>{SET_ZONE_FIRE_LEDS, SET_ZONE_FAULT_LEDS, SET_STATUS_LEDS}));
}

TEST_F(Indications, NewAlarmAfterAMuteFlashesWhileAcknowledgedZonesStaySteady) {
  FireInZone(0);
  for (const Frame& f : Watch()) {
    EXPECT_EQ(f.fire, f.Flash(flash500ms) ? 0x01 : 0x00);
    EXPECT_EQ(bool(f.status & statusFire), f.Flash(flash500ms));
  }
  Press(keyBuzzerMute);
  for (const Frame& f : Watch()) {
    EXPECT_EQ(f.fire, 0x01);
    EXPECT_TRUE(f.status & statusFire);
  }
  FireInZone(1);
  for (const Frame& f : Watch()) {
    EXPECT_EQ(f.fire, f.Flash(flash500ms) ? 0x03 : 0x01);
    EXPECT_EQ(bool(f.status & statusFire), f.Flash(flash500ms));
  }
}

// A muted panel shows Fire steady even while another zone waits for its
// coincidence partner: that zone is acknowledged but not in fire.
TEST_F(Indications, FireIsSteadyAfterAMuteBesideAZoneWaitingForItsPartner) {
  SetZoneCount(4);
  WriteConfig(cfgZoneOptions + 2, zoneCoincidence);
  FireInZone(0);
  FireInZone(2);
  ASSERT_TRUE(Detected(2));
  ASSERT_FALSE(InFire(2));
  Press(keyBuzzerMute);
  for (const Frame& f : Watch()) EXPECT_TRUE(f.status & statusFire);
}

TEST_F(Indications, LatchedZoneFaultFlashesSlowlyAndHidesWhileTheZoneIsInAlarm) {
  ConfirmFaultInZone(0);
  for (const Frame& f : Watch()) {
    EXPECT_EQ(f.fault, f.Flash(flash1s) ? 0x01 : 0x00);
    EXPECT_EQ(bool(f.status & statusFault), f.Flash(flash1s));
  }
  FireInZone(0);
  ASSERT_TRUE(FaultLatched(0));
  for (const Frame& f : Watch()) EXPECT_EQ(f.fault, 0x00);
}

TEST_F(Indications, DisabledZoneShowsSteadyYellowAndDisabled) {
  WriteConfig(cfgZonesDisabled, ZoneBit(1));
  for (const Frame& f : Watch()) {
    EXPECT_EQ(f.fault, 0x02);
    EXPECT_TRUE(f.status & statusDisabled);
  }
}

TEST_F(Indications, DisabledFlashesForAPartOfTheOutputsUnderItemAllOutputs) {
  EnterLevel2();
  Press(keyItemSelect);
  ASSERT_EQ(panel.selectedItem, itemAllOutputs);
  Press(keyDisableTestNormal);
  ASSERT_EQ(panel.outputDisables, soundersDisabled | fireRoutingDisabled | faultRoutingDisabled);
  for (const Frame& f : Watch()) EXPECT_TRUE(f.status & statusDisabled);
  // Fire routing back on, then round the items to all outputs again.
  Press(keyItemSelect);
  Press(keyDisableTestNormal);
  ASSERT_EQ(panel.outputDisables, soundersDisabled | faultRoutingDisabled);
  PressTimes(keyItemSelect, 6);
  ASSERT_EQ(panel.selectedItem, itemAllOutputs);
  const std::vector<Frame> frames = Watch();
  for (const Frame& f : frames) {
    EXPECT_EQ(bool(f.status & statusDisabled), f.Flash(flash200ms));
    // The selected outputs flash fast.
    EXPECT_EQ(bool(f.status & statusSounderFaultDisabled), f.Flash(flash100ms));
  }
}

TEST_F(Indications, LampTestLightsEverything) {
  EnterLevel2();
  SetKeys(keyLampTest, true);
  Ticks20(4);
  const std::vector<Frame> frames = Watch();
  for (const Frame& f : frames) {
    EXPECT_EQ(f.fire, 0xFF);
    EXPECT_EQ(f.fault, 0xFF);
    EXPECT_EQ(f.status, 0xFFFF);
  }
}

struct DelayCase {
  uint8_t state;
  uint16_t timer;
  int flashBit;  // 0: steady, -1: off
};

class DelayIndicator : public Indications, public ::testing::WithParamInterface<DelayCase> {};

TEST_P(DelayIndicator, FollowsTheDelayStage) {
  panel.delayState = GetParam().state;
  panel.delayTimer = GetParam().timer;
  UpdateIndications();
  for (uint8_t flash = 0; flash < 16; ++flash) {
    panel.flashTimer = flash;
    UpdateIndications();
    const int bit = GetParam().flashBit;
    const bool expected = bit == 0 || (bit > 0 && (flash & bit));
    EXPECT_EQ(bool(panel.statusLeds & statusDelayOn), expected) << int(flash);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Stages, DelayIndicator,
    ::testing::Values(DelayCase{delaysOn, 0, 0}, DelayCase{delaysOn | delayRunning, 100, flash500ms},
                      DelayCase{delaysOn | delayRunning | delayExtended, 500, flash1s},
                      DelayCase{delaysOn | delayRunning | delayExtended, 99, flash200ms},
                      DelayCase{delaysOn | delayRunning, 0, flash200ms},
                      DelayCase{delaysOn | delayRunning | delayEnded, 500, -1}, DelayCase{0, 0, -1}));

TEST_F(Indications, RoutingFeedbackInputOverridesTheFirmwaresActivation) {
  panel.routingActivated = ZoneBit(2);
  UpdateIndications();
  EXPECT_TRUE(panel.statusLeds & statusFireRoutingActive);
  panel.sounderState |= routingAckConfigured;
  UpdateIndications();
  EXPECT_FALSE(panel.statusLeds & statusFireRoutingActive);
  panel.delayState |= inputRoutingAck;
  panel.routingActivated = 0;
  UpdateIndications();
  EXPECT_TRUE(panel.statusLeds & statusFireRoutingActive);
}

class IndicatorBitTest : public FirmwareTest {};

TEST_F(IndicatorBitTest, HighIndicatorsMoveIntoTheHighByte) {
  for (uint8_t n = 0; n < 16; ++n) EXPECT_EQ(IndicatorBit(n), 1u << n);
}

struct PageCase {
  uint8_t page;
  uint8_t item;
  uint8_t address;  // configuration byte shown, written with value
  uint8_t value;
  uint8_t fire;
  uint16_t steady;
  uint16_t flashing;  // with flash bit 0x02, Fire included
};

class EngineeringPage : public Indications, public ::testing::WithParamInterface<PageCase> {};

TEST_P(EngineeringPage, ShowsItsValuesAndMarker) {
  const PageCase& c = GetParam();
  ConfirmFaultInZone(1);
  WriteConfig(cfgZonesDisabled, ZoneBit(0));
  WriteConfig(c.address, c.value);
  EnterEngineering();
  ASSERT_TRUE(panel.panelMode & engineeringMode);
  panel.menuPage = c.page;
  panel.menuItem = c.item;
  for (const Frame& f : Watch()) {
    EXPECT_EQ(f.fire, c.fire);
    EXPECT_EQ(f.fault, 0x00);
    EXPECT_EQ(f.status, c.steady | (f.Flash(flash200ms) ? c.flashing : 0)) << std::hex << f.status;
  }
}

constexpr uint16_t fire = statusFire;
INSTANTIATE_TEST_SUITE_P(
    Pages, EngineeringPage,
    ::testing::Values(
        PageCase{0, 0, cfgPanelOptions, 0x03, 0, 0, fire},
        PageCase{1, 0, cfgPanelOptions, 0x03, 0, statusTest | statusDelayOn | statusPsuFault,
                 fire | statusEarthFault},
        PageCase{1, 0, cfgPanelOptions, 0x00, 0, statusPsuFault, fire | statusEarthFault},
        PageCase{1, 1, cfgPanelOptions, 0x03, 0, statusSounderFaultDisabled, fire | statusEarthFault},
        PageCase{1, 2, cfgPanelOptions, 0x03, 0, 0, fire | statusEarthFault},
        PageCase{2, 3, 3, 0xB5, 0x08, statusFault | statusTest | statusSystemFault | statusEarthFault,
                 fire | statusPsuFault},
        PageCase{3, 1, 10, 0x09, 0, statusDisabled | statusPsuFault | statusFireRoutingFaultDisabled,
                 fire | statusSystemFault | statusFireRoutingActive},
        PageCase{3, 3, 12, 0x02, 0, statusDelayOn | statusSounderFaultDisabled,
                 fire | statusSystemFault | statusFireRoutingActive},
        PageCase{4, 0, 13, 0x07, 0, statusFault | statusFaultRoutingFaultDisabled,
                 fire | statusTest | statusFaultRoutingFaultDisabled},
        PageCase{4, 1, 14, 0x00, 0, statusDisabled | statusDelayOn, fire | statusTest | statusFaultRoutingFaultDisabled},
        PageCase{5, 0, 15, 0x91, 0, statusFault | statusAuxiliaryFault, fire | statusSystemFault},
        PageCase{5, 0, 15, 0x01, 0, 0, fire | statusSystemFault},
        PageCase{5, 1, 15, 0x0F, 0, 0x8000, fire | statusFaultRoutingFaultDisabled},
        PageCase{5, 1, 15, 0x85, 0, statusSystemFault | statusAuxiliaryFault, fire | statusFaultRoutingFaultDisabled},
        PageCase{5, 2, 15, 0x80, 0, statusAuxiliaryFault, fire}));

TEST_F(Indications, EngineeringPanelOptionsShowBuzzerQuietAndFastFaultTiming) {
  EnterEngineering();
  panel.menuPage = 1;
  panel.panelMode |= buzzerQuiet | fastFaultTiming;
  UpdateIndications();
  EXPECT_EQ(panel.statusLeds & (statusFault | statusDisabled), statusFault | statusDisabled);
  panel.menuItem = 1;
  panel.systemFaults |= configCheckFault;
  UpdateIndications();
  EXPECT_TRUE(panel.statusLeds & statusFault);
}

TEST_F(Indications, SelectedZoneFlashesFastBesideASteadyTestedZone) {
  WriteConfig(cfgZonesInTest, ZoneBit(1));
  EnterLevel2();
  PressTimes(keyItemSelect, 4);
  ASSERT_EQ(panel.selectedItem, itemFirstZone);
  for (const Frame& f : Watch()) {
    EXPECT_EQ(f.fault, f.Flash(flash100ms) ? 0x03 : 0x02);
    EXPECT_FALSE(f.status & statusTest);  // the selected zone is not in test
    EXPECT_FALSE(f.status & statusDisabled);
  }
  Press(keyItemSelect);
  for (const Frame& f : Watch()) EXPECT_TRUE(f.status & statusTest);
}
