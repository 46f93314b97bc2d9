// A seeded monkey on both windows: random presses, moves, releases and clicks
// with any button, fed to the windows as the front end feeds them (in client
// coordinates, the window routing each event to the control under the
// pointer or to the one holding the press), with virtual time running now and
// then. The windows' invariants hold throughout.

#include <gtest/gtest.h>

#include <atomic>
#include <iterator>
#include <random>
#include <vector>

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "machine/machine.h"
#include "tests/windows/ui_test_support.h"
#include "windows/hardwarecontrol.h"
#include "windows/maindisplay.h"

namespace {

constexpr int eventCount = 100000;
constexpr int eventsPerStep = 10;
constexpr MouseButton buttons[] = {MouseButton::Left, MouseButton::Left, MouseButton::Right, MouseButton::Middle};

std::atomic<int> watchdogRestarts{0};

void CountRestarts(uint8_t op, int32_t, int32_t result, void*) {
  if (op == WATCHDOG_SERVICE && result) ++watchdogRestarts;
}

class Monkey : public ::testing::Test {
 protected:
  void SetUp() override {
    watchdogRestarts = 0;
    sim.board()->requestObserver.Set(CountRestarts, nullptr);
    for (TForm* window : {static_cast<TForm*>(&sim.front()), static_cast<TForm*>(&sim.hardware())}) {
      window->Show();
      for (TControl* control : window->Controls()) {
        targets.push_back({window, control});
        if (auto* selector = dynamic_cast<const TImageSelector*>(control)) selectors.push_back(selector);
      }
    }
  }

  struct Target {
    TForm* window;
    TControl* control;
  };

  // A point of a window's client area, given in that window's coordinates.
  struct WindowPoint {
    TForm* window;
    Point at;
  };

  // A point in or near a random control, in its window's coordinates.
  WindowPoint RandomPoint() {
    const Target& target = targets[rng() % targets.size()];
    const int width = target.control->Width() + 6;
    const int height = target.control->Height() + 6;
    Point at{-3 + int(rng() % unsigned(width)), -3 + int(rng() % unsigned(height))};
    for (const TControl* c = target.control; c != target.window; c = c->Parent()) {
      at.x += c->Left();
      at.y += c->Top();
    }
    return {target.window, at};
  }

  // While a button is held the pressed window takes the mouse wherever it
  // goes, as a window system gives it; the point in that window's coordinates.
  Point In(const TForm* window, const WindowPoint& point) {
    return {point.at.x + point.window->Left() - window->Left(), point.at.y + point.window->Top() - window->Top()};
  }

  void PressAt(MouseButton button, const WindowPoint& point) {
    pressed = point.window;
    heldButton = button;
    pressed->PointerDown(button, HeldBit(button), point.at.x, point.at.y);
  }

  void ReleaseAt(const WindowPoint& point) {
    const Point at = In(pressed, point);
    pressed->PointerUp(heldButton, 0, at.x, at.y);
    pressed = nullptr;
  }

  void RandomEvent() {
    const MouseButton button = buttons[rng() % std::size(buttons)];
    const WindowPoint point = RandomPoint();
    switch (rng() % 4) {
      case 0:  // a press, held by its window until the release
        if (pressed) break;
        PressAt(button, point);
        break;
      case 1:
        if (pressed) {
          const Point at = In(pressed, point);
          pressed->PointerMove(HeldBit(heldButton), at.x, at.y);
        } else {
          point.window->PointerMove(0, point.at.x, point.at.y);
        }
        break;
      case 2:
        if (!pressed) break;
        ReleaseAt(point);
        break;
      default:  // a click in one place
        if (pressed) break;
        PressAt(button, point);
        ReleaseAt(point);
        break;
    }
  }

  void ExpectInvariants(int event) {
    const TfrmMainDisplay& f = sim.front();
    // The cover view aside, one of the two brands is chosen.
    ASSERT_EQ(f.SelectCorvellaFascia->ItemIndex() + f.SelectMarvaneFascia->ItemIndex(), 1) << "event " << event;
    const TfrmHardwareControl& h = sim.hardware();
    ASSERT_FALSE(h.EarthHoldHigh->ItemIndex() == 1 && h.EarthHoldLow->ItemIndex() == 1) << "event " << event;
    for (const TImageSelector* selector : selectors) {
      const TImageList* list = selector->ImageList();
      if (!list) continue;
      ASSERT_GE(selector->ItemIndex(), 0) << selector->Name() << " event " << event;
      ASSERT_LT(selector->ItemIndex(), list->Count()) << selector->Name() << " event " << event;
    }
    ASSERT_LE(periodicUpdate.watchdogPeriods.load() * watchdogIntervalMs, watchdogServiceAfterMs + watchdogIntervalMs)
        << "event " << event;
  }

  Machine sim{BoardPacing::Stepped};
  PeriodicUpdate& periodicUpdate = sim.periodicUpdate();
  std::mt19937 rng{4242};
  std::vector<Target> targets;
  std::vector<const TImageSelector*> selectors;
  TForm* pressed = nullptr;
  MouseButton heldButton = MouseButton::Left;
};

TEST_F(Monkey, AHundredThousandRandomMouseEventsKeepTheWindowsConsistent) {
  for (int event = 0; event < eventCount; ++event) {
    RandomEvent();
    if (event % eventsPerStep == 0) sim.Step();
    ASSERT_NO_FATAL_FAILURE(ExpectInvariants(event));
  }
  // The firmware kept servicing the watchdog all along.
  const int64_t seconds = sim.NowMs() / 1000;
  EXPECT_GE(watchdogRestarts.load(), int(seconds * 1000 / 1300) - 1);
}

}  // namespace
