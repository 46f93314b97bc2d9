// The window's mouse routing: which control takes an event, in whose
// coordinates, and who keeps the pointer while a button is held.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "windows/framework/form.h"

namespace {

// Client area 200 x 100:
//   Back   (10,10) 100x60, holding Inner at (20,15) 30x20 and Stray at
//          (90,0) 40x10, which sticks out of Back's right edge;
//   Over   (80,40) 60x40, a later sibling lying over Back's corner;
//   Hidden (120,50) 30x30 over Over, not shown;
//   Glass  the whole area, mouse-transparent, last of all.
// The window itself logs too, under its own name.
class Window {
 public:
  Window() : form_("frmRouting", "", 200, 100) {
    auto* back = Track(Place<TPanel>(&form_, "Back", 10, 10, 100, 60));
    Track(Place<TShape>(back, "Inner", 20, 15, 30, 20));
    Track(Place<TShape>(back, "Stray", 90, 0, 40, 10));
    Track(Place<TShape>(&form_, "Over", 80, 40, 60, 40));
    Track(Place<TShape>(&form_, "Hidden", 120, 50, 30, 30))->SetVisible(false);
    Track(Place<TShape>(&form_, "Glass", 0, 0, 200, 100))->SetMouseTransparent(true);
    Track(&form_);
  }

  TForm& form() { return form_; }
  std::vector<std::string> log;

 private:
  template <class Control>
  Control* Track(Control* control) {
    const std::string name = control->Name();
    const auto at = [name](const char* what, int x, int y) {
      return name + " " + what + " " + std::to_string(x) + "," + std::to_string(y);
    };
    control->OnMouseDown = [this, at](TControl*, MouseButton, ShiftState, int x, int y) {
      log.push_back(at("down", x, y));
    };
    control->OnMouseMove = [this, at](TControl*, ShiftState, int x, int y) { log.push_back(at("move", x, y)); };
    control->OnMouseUp = [this, at](TControl*, MouseButton, ShiftState, int x, int y) {
      log.push_back(at("up", x, y));
    };
    control->OnClick = [this, name](TControl*) { log.push_back(name + " click"); };
    return control;
  }

  TForm form_;
};

struct HitCase {
  int x, y;
  const char* control;  // null: the bare window
  int localX, localY;
};

void PrintTo(const HitCase& c, std::ostream* out) { *out << c.x << "," << c.y; }

class ControlAtTest : public ::testing::TestWithParam<HitCase> {};

TEST_P(ControlAtTest, PointFindsTheTopmostControlInItsCoordinates) {
  Window window;
  const HitCase& c = GetParam();
  int localX = -1, localY = -1;
  const TControl* found = window.form().ControlAt(c.x, c.y, localX, localY);
  if (!c.control) {
    EXPECT_EQ(found, nullptr) << found->Name();
    return;
  }
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->Name(), c.control);
  EXPECT_EQ(localX, c.localX);
  EXPECT_EQ(localY, c.localY);
}

INSTANTIATE_TEST_SUITE_P(RoutingLayout, ControlAtTest,
                         ::testing::Values(HitCase{15, 15, "Back", 5, 5},     // through the glass
                                           HitCase{10, 10, "Back", 0, 0},     // first column and row
                                           HitCase{109, 69, "Over", 29, 29},  // Over lies on Back's corner
                                           HitCase{30, 25, "Inner", 0, 0},    // nested: its own origin
                                           HitCase{49, 44, "Inner", 19, 19},
                                           HitCase{60, 44, "Back", 50, 34},  // one past Inner's edge
                                           HitCase{105, 12, "Stray", 5, 2},
                                           HitCase{115, 12, nullptr, 0, 0},   // Stray outside Back
                                           HitCase{125, 55, "Over", 45, 15},  // hidden passed through
                                           HitCase{110, 20, nullptr, 0, 0},   // one past Back's edge
                                           HitCase{190, 90, nullptr, 0, 0}));

// A pointer event in client coordinates.
struct Event {
  enum Kind { Down, Move, Up } kind;
  MouseButton button;
  int x, y;
};

struct RoutingCase {
  const char* name;
  std::vector<Event> events;
  std::vector<std::string> log;
};

void PrintTo(const RoutingCase& c, std::ostream* out) { *out << c.name; }

class PointerRoutingTest : public ::testing::TestWithParam<RoutingCase> {};

TEST_P(PointerRoutingTest, EventsReachTheControlsInTurn) {
  Window window;
  ShiftState held = 0;
  for (const Event& e : GetParam().events) {
    const ShiftState bit = e.button == MouseButton::Left ? ssLeft : e.button == MouseButton::Right ? ssRight : ssMiddle;
    switch (e.kind) {
      case Event::Down:
        window.form().PointerDown(e.button, held |= bit, e.x, e.y);
        break;
      case Event::Move:
        window.form().PointerMove(held, e.x, e.y);
        break;
      case Event::Up:
        window.form().PointerUp(e.button, held &= ~bit, e.x, e.y);
        break;
    }
  }
  EXPECT_EQ(window.log, GetParam().log);
}

constexpr MouseButton L = MouseButton::Left;
constexpr MouseButton R = MouseButton::Right;

INSTANTIATE_TEST_SUITE_P(
    Sequences, PointerRoutingTest,
    ::testing::Values(RoutingCase{"LeftClickInside",
                                  {{Event::Down, L, 35, 30}, {Event::Up, L, 36, 31}},
                                  {"Inner down 5,5", "Inner click", "Inner up 6,6"}},
                      RoutingCase{"ReleaseOutsideStaysWithThePressedControlWithoutAClick",
                                  {{Event::Down, L, 35, 30}, {Event::Move, L, 150, 90}, {Event::Up, L, 150, 90}},
                                  {"Inner down 5,5", "Inner move 120,65", "Inner up 120,65"}},
                      RoutingCase{"DragOverAnotherControlAndBackStillClicks",
                                  {{Event::Down, L, 35, 30}, {Event::Move, L, 95, 50}, {Event::Up, L, 31, 26}},
                                  {"Inner down 5,5", "Inner move 65,25", "Inner click", "Inner up 1,1"}},
                      RoutingCase{"CaptureLastsUntilEveryButtonIsUp",
                                  {{Event::Down, L, 35, 30},
                                   {Event::Down, R, 95, 50},
                                   {Event::Up, L, 95, 50},
                                   {Event::Move, L, 95, 50},
                                   {Event::Up, R, 95, 50},
                                   {Event::Move, L, 95, 50}},
                                  {"Inner down 5,5", "Inner down 65,25", "Inner up 65,25", "Inner move 65,25",
                                   "Inner up 65,25", "Over move 15,10"}},
                      RoutingCase{"RightClickIsNoClick",
                                  {{Event::Down, R, 95, 50}, {Event::Up, R, 95, 50}},
                                  {"Over down 15,10", "Over up 15,10"}},
                      RoutingCase{"MovesWithoutAButtonGoToWhateverIsUnder",
                                  {{Event::Move, L, 15, 15}, {Event::Move, L, 35, 30}, {Event::Move, L, 190, 90}},
                                  {"Back move 5,5", "Inner move 5,5"}},
                      RoutingCase{"PressOnTheBareWindowIsTheWindowsOwn",
                                  {{Event::Down, L, 190, 90}, {Event::Move, L, 35, 30}, {Event::Up, L, 35, 30}},
                                  {"frmRouting down 190,90", "frmRouting move 35,30", "frmRouting click",
                                   "frmRouting up 35,30"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
