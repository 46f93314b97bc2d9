// A seeded monkey on both windows: random presses, moves, releases and clicks
// with any button, delivered as the window system would (to the control under
// the pointer, then captured by the pressed control until release), with
// virtual time running now and then. The windows' invariants hold throughout.

#include <gtest/gtest.h>

#include <QWidget>
#include <atomic>
#include <iterator>
#include <random>
#include <vector>

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "tests/ui/ui_test_support.h"
#include "ui/hardwarecontrol.h"
#include "ui/maindisplay.h"
#include "ui/simulation.h"

namespace {

constexpr int eventCount = 100000;
constexpr int eventsPerStep = 10;
constexpr Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};

std::atomic<int> watchdogRestarts{0};

void CountRestarts(uint8_t op, int32_t, int32_t result, void*) {
  if (op == WATCHDOG_SERVICE && result) ++watchdogRestarts;
}

class Monkey : public ::testing::Test {
 protected:
  void SetUp() override {
    watchdogRestarts = 0;
    SetRequestObserver(CountRestarts, nullptr);
    for (TForm* window : {static_cast<TForm*>(&sim.front()), static_cast<TForm*>(&sim.hardware())}) {
      window->show();
      for (TControl* control : window->findChildren<TControl*>()) targets.push_back({window, control});
      for (TImageSelector* selector : window->findChildren<TImageSelector*>()) selectors.push_back(selector);
    }
  }
  void TearDown() override { SetRequestObserver(nullptr, nullptr); }

  struct Target {
    QWidget* window;
    QWidget* control;
  };

  // A point in or near a random control, in its window's coordinates.
  QPoint RandomPoint(const Target& target) {
    const QRect r = target.control->rect().adjusted(-3, -3, 3, 3);
    const QPoint local(r.left() + int(rng() % unsigned(r.width())), r.top() + int(rng() % unsigned(r.height())));
    return target.control->mapTo(target.window, local);
  }

  // What the window system delivers the event to: the control under the pointer.
  static QWidget* Under(QWidget* window, QPoint at) {
    QWidget* child = window->childAt(at);
    return child ? child : window;
  }

  struct Point {
    QWidget* window;
    QPoint at;
  };
  Point RandomPoint() {
    const Target& target = targets[rng() % targets.size()];
    return {target.window, RandomPoint(target)};
  }

  // Sends to the captured control, else to the one under the point; returns the receiver.
  QWidget* Send(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, Point point) {
    QWidget* receiver = captured ? captured : Under(point.window, point.at);
    SendMouse(receiver, type, button, held, receiver->mapFromGlobal(point.window->mapToGlobal(point.at)));
    return receiver;
  }

  void RandomEvent() {
    const Qt::MouseButton button = buttons[rng() % std::size(buttons)];
    const Point point = RandomPoint();
    switch (rng() % 4) {
      case 0:  // a press, captured by its control until the release
        if (captured) break;
        heldButton = button;
        captured = Send(QEvent::MouseButtonPress, button, button, point);
        break;
      case 1: Send(QEvent::MouseMove, Qt::NoButton, captured ? heldButton : Qt::NoButton, point); break;
      case 2:
        if (!captured) break;
        Send(QEvent::MouseButtonRelease, heldButton, Qt::NoButton, point);
        captured = nullptr;
        break;
      default:  // a click in one place
        if (captured) break;
        captured = Send(QEvent::MouseButtonPress, button, button, point);
        Send(QEvent::MouseButtonRelease, button, Qt::NoButton, point);
        captured = nullptr;
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
      ASSERT_GE(selector->ItemIndex(), 0) << selector->objectName().toStdString() << " event " << event;
      ASSERT_LT(selector->ItemIndex(), list->Count()) << selector->objectName().toStdString() << " event " << event;
    }
    ASSERT_LE(periodicUpdate.watchdogPeriods.load() * watchdogIntervalMs, watchdogServiceAfterMs + watchdogIntervalMs)
        << "event " << event;
  }

  Simulation sim;
  std::mt19937 rng{4242};
  std::vector<Target> targets;
  std::vector<const TImageSelector*> selectors;
  QWidget* captured = nullptr;
  Qt::MouseButton heldButton = Qt::NoButton;
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
