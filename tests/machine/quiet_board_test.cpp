// What follows the panel from the board's side, so that the window thread
// sleeps at rest: the event log sampled after the board's ticks, and the
// board run in batches that catch up before input.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "firmware/firmware.h"
#include "machine/batchthread.h"
#include "machine/event_log.h"
#include "machine/machine.h"
#include "tests/support/clean_state.h"
#include "tests/windows/ui_test_support.h"
#include "windows/maindisplay.h"

namespace {

constexpr Point keyOn{2, 2};   // above the keyswitch's diagonal
constexpr int fireBandX = 51;  // about 500 ohms on a zone's level

// A person at the panel: key on, Reset held 100 ms, a fire on zone 1, the
// buzzer muted, the fire gone. Each input at its panel time.
struct Input {
  int64_t atMs;
  std::function<void(Machine&)> apply;
};

const std::vector<Input> session = {
    {1000, [](Machine& m) { Press(m.front().Keyswitch, MouseButton::Left, keyOn); }},
    {1040, [](Machine& m) { Release(m.front().Keyswitch, MouseButton::Left, keyOn); }},
    {1500, [](Machine& m) { Press(m.front().ResetButton, MouseButton::Left); }},
    {1605, [](Machine& m) { Release(m.front().ResetButton, MouseButton::Left); }},
    {3000, [](Machine& m) { m.hardware().PressLevel(m.hardware().ZoneAnalogueControl[0], fireBandX); }},
    {5015, [](Machine& m) { Press(m.front().BuzzerMuteButton, MouseButton::Left); }},
    {5120, [](Machine& m) { Release(m.front().BuzzerMuteButton, MouseButton::Left); }},
    {7000, [](Machine& m) { m.hardware().PressLevel(m.hardware().ZoneAnalogueControl[0], 200); }},
};
constexpr int64_t sessionEndMs = 9000;

std::string Text(const PanelEvent& event) { return std::string(CategoryName(event.category)) + ": " + event.text; }

// The log sampled after each board tick records what a sampler looking in
// every 20 ms from outside recorded, in the same order and within one sample.
TEST(BoardSideEventLog, RecordsWhatTheOutsideSamplerRecorded) {
  Machine sim(BoardPacing::Stepped);
  std::vector<PanelEvent> outside;
  std::vector<PanelEvent> boardSide;
  int wakes = 0;
  EventLog log(sim, [&](const PanelEvent& event) { outside.push_back(event); });
  BoardSideEventLog watched(sim, [&](const PanelEvent& event) { boardSide.push_back(event); }, [&] { ++wakes; });
  sim.WatchTicks([&](int64_t panelMs) { watched.AfterTick(panelMs); });
  const auto runTo = [&](int64_t ms) {
    while (sim.NowMs() < ms) {
      sim.Advance(20);
      log.Sample(sim.NowMs());
    }
  };
  for (const Input& input : session) {
    runTo(input.atMs);
    input.apply(sim);
    log.Sample(sim.NowMs());
    watched.SampleNow();
  }
  runTo(sessionEndMs);
  watched.Deliver();
  const int wakesBeforeRest = wakes;
  sim.Advance(10'000);  // nothing happens: nothing waits, nothing wakes
  EXPECT_EQ(wakes, wakesBeforeRest);
  sim.WatchTicks({});

  ASSERT_GE(outside.size(), 8u);
  ASSERT_EQ(boardSide.size(), outside.size());
  for (size_t i = 0; i < outside.size(); ++i) {
    EXPECT_EQ(Text(boardSide[i]), Text(outside[i])) << i;
    EXPECT_NEAR(double(boardSide[i].panelMs), double(outside[i].panelMs), 20) << Text(outside[i]);
  }
}

// What the panel shows, at a moment.
std::vector<int64_t> Shown(Machine& sim) {
  std::vector<int64_t> shown = {sim.PanelTimeMs(), sim.firmware().panel.zonesInFire, sim.firmware().panel.panelMode,
                                sim.hardware().SounderOutput1->ItemIndex()};
  TfrmMainDisplay& front = sim.front();
  for (const TImageSelector* led : {front.FireLED, front.FaultLED, front.SystemFaultLED, front.InternalTone}) {
    shown.push_back(led->ItemIndex());
  }
  return shown;
}

using Clock = BatchThread::Clock;
using Drive = std::function<std::vector<std::vector<int64_t>>(Machine&)>;

std::vector<std::vector<int64_t>> RunFresh(const Drive& drive) {
  const CleanState fresh;
  Machine sim(BoardPacing::Stepped);
  return drive(sim);
}

// The batches, each the steps owed at its wall time, and input that first
// runs the steps owed at its own: the panel the stepper gives for the same inputs.
TEST(BatchThread, GivesThePanelTheStepperGivesForTheSameInputs) {
  const auto stepped = RunFresh([](Machine& sim) {
    std::vector<std::vector<int64_t>> seen;
    for (const Input& input : session) {
      sim.Advance(input.atMs - sim.NowMs());
      input.apply(sim);
      seen.push_back(Shown(sim));
    }
    sim.Advance(sessionEndMs - sim.NowMs());
    seen.push_back(Shown(sim));
    return seen;
  });
  const auto batched = RunFresh([](Machine& sim) {
    const Clock::time_point start{};
    BatchThread batches(sim.stepper(), start);  // never resumed: the test is its clock
    const auto at = [&](int64_t ms) { return start + std::chrono::milliseconds(ms); };
    std::vector<std::vector<int64_t>> seen;
    int64_t batchMs = 0;  // each batch a little late, as a woken thread is
    const auto batchesBefore = [&](int64_t ms) {
      for (; batchMs + 40 < ms; batchMs += 40) batches.CaughtUp({}, at(batchMs + 40) + std::chrono::microseconds(900));
    };
    for (const Input& input : session) {
      batchesBefore(input.atMs);
      batches.CaughtUp([&] { input.apply(sim); }, at(input.atMs) + std::chrono::microseconds(700));
      seen.push_back(Shown(sim));
    }
    batchesBefore(sessionEndMs);
    batches.CaughtUp({}, at(sessionEndMs));
    seen.push_back(Shown(sim));
    return seen;
  });
  EXPECT_EQ(batched, stepped);
}

}  // namespace
