#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/windows/ui_test_support.h"
#include "windows/framework/controls.h"
#include "windows/framework/form.h"
#include "windows/framework/host.h"
#include "windows/framework/imagelist.h"

namespace {

// A host with round-number metrics and screen, so sizes are known exactly,
// that records what the windows tell it.
class RecordingHost : public WindowHost {
 public:
  void Invalidate(TForm& form) override { invalidated.push_back(&form); }
  void FormChanged(TForm& form) override { changed.push_back(&form); }
  void CloseForm(TForm& form) override { closed.push_back(&form); }
  void TimerChanged(TTimer& timer) override { timers.push_back(timer.Name()); }
  int TextWidth(const Font& font, const std::string& text) const override { return int(text.size()) * font.pixelSize; }
  int TextHeight(const Font& font) const override { return font.pixelSize + 3; }
  ScreenRect Screen() const override { return {100, 50, 800, 600}; }

  std::vector<TForm*> invalidated;
  std::vector<TForm*> changed;
  std::vector<TForm*> closed;
  std::vector<std::string> timers;
};

struct MouseRecord {
  MouseButton button;
  ShiftState shift;
  int x, y;
};

class FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override { form_ = std::make_unique<TForm>("frmTest", "Test Window", 300, 200, &host_); }

  // Declared first: the form (and its timers) goes while the host still records.
  RecordingHost host_;
  std::unique_ptr<TForm> form_;
};

TEST_F(FrameworkTest, FormHasItsCaptionAndClientArea) {
  EXPECT_EQ(form_->Name(), "frmTest");
  EXPECT_EQ(form_->Caption(), "Test Window");
  EXPECT_EQ(form_->ClientWidth(), 300);
  EXPECT_EQ(form_->ClientHeight(), 200);
  EXPECT_EQ(form_->Form(), form_.get());
}

TEST_F(FrameworkTest, AutoSizedFormFollowsItsVisibleControls) {
  auto* group = Place<TGroupBox>(form_.get(), "GroupBox1", 0, 0, 120, 60, "Group");
  auto* extra = Place<TGroupBox>(form_.get(), "GroupBox2", 130, 70, 100, 90, "Extra");
  Place<TShape>(group, "Inner", 0, 0, 500, 500);  // only the window's own children count
  form_->SetFormAutoSize(true);
  EXPECT_EQ(form_->ClientWidth(), 230);
  EXPECT_EQ(form_->ClientHeight(), 160);
  extra->SetVisible(false);
  EXPECT_EQ(form_->ClientWidth(), 120);
  EXPECT_EQ(form_->ClientHeight(), 60);
  group->SetBounds(0, 0, 150, 80);
  EXPECT_EQ(form_->ClientWidth(), 150);
  EXPECT_EQ(form_->ClientHeight(), 80);
  EXPECT_FALSE(host_.changed.empty());  // the front end resizes its window
}

TEST_F(FrameworkTest, FormWithoutAutoSizeKeepsItsClientArea) {
  Place<TGroupBox>(form_.get(), "GroupBox1", 0, 0, 500, 400);
  EXPECT_EQ(form_->ClientWidth(), 300);
  EXPECT_EQ(form_->ClientHeight(), 200);
}

TEST_F(FrameworkTest, ControlsAreFoundByNameAtAnyDepth) {
  auto* group = Place<TGroupBox>(form_.get(), "GroupBox1", 0, 0, 120, 60);
  auto* panel = Place<TPanel>(group, "Panel1", 5, 15, 50, 30);
  auto* label = Place<TLabel>(panel, "Label1", 2, 2, 40, 10, "Text");
  TImageList* list = panel->AddImageList("TestList", 10, 10, 2);
  TImageList* own = form_->AddImageList("FormList", 4, 4, 1);
  EXPECT_EQ(form_->FindControl("Label1"), label);
  EXPECT_EQ(form_->FindControl("Panel1"), panel);
  EXPECT_EQ(form_->FindControl("Missing"), nullptr);
  EXPECT_EQ(form_->Controls(), (std::vector<TControl*>{group, panel, label}));
  EXPECT_EQ(form_->FindImageList("TestList"), list);
  EXPECT_EQ(form_->FindImageList("FormList"), own);
  EXPECT_EQ(form_->FindImageList("Missing"), nullptr);
  EXPECT_EQ(label->Form(), form_.get());
  EXPECT_EQ(label->Parent(), panel);
  EXPECT_EQ(label->Left(), 2);
  EXPECT_EQ(label->Top(), 2);
}

TEST_F(FrameworkTest, ControlKeepsTagHintAndVisibility) {
  auto* shape = Place<TShape>(form_.get(), "Shape1", 10, 20, 30, 40);
  shape->SetTag(4700);
  shape->SetHint("Capacitor");
  EXPECT_EQ(shape->Tag(), 4700);
  EXPECT_EQ(shape->Hint(), "Capacitor");
  EXPECT_TRUE(shape->Visible());  // shown with its window, though the window is not up yet
  shape->SetVisible(false);
  EXPECT_FALSE(shape->Visible());
}

TEST_F(FrameworkTest, FontIsTheParentsUntilSet) {
  auto* group = Place<TGroupBox>(form_.get(), "GroupBox1", 0, 0, 120, 60);
  auto* label = Place<TLabel>(group, "Label1", 0, 0, 10, 10);
  EXPECT_EQ(label->GetFont(), form_->GetFont());
  group->SetFont(MakeFont("Arial", 9, true));
  EXPECT_EQ(label->GetFont(), MakeFont("Arial", 9, true));
  label->SetFont(MakeFont("Terminal", 8));
  group->SetFont(MakeFont("Arial", 12));
  EXPECT_EQ(label->GetFont(), MakeFont("Terminal", 8));
}

TEST_F(FrameworkTest, MouseEventsCarrySenderButtonShiftAndPosition) {
  auto* shape = Place<TShape>(form_.get(), "Shape1", 0, 0, 30, 30);
  std::vector<MouseRecord> downs, moves, ups;
  shape->OnMouseDown = [&](TControl* sender, MouseButton b, ShiftState s, int x, int y) {
    EXPECT_EQ(sender, shape);
    downs.push_back({b, s, x, y});
  };
  shape->OnMouseMove = [&](TControl* sender, ShiftState s, int x, int y) {
    EXPECT_EQ(sender, shape);
    moves.push_back({MouseButton::Left, s, x, y});
  };
  shape->OnMouseUp = [&](TControl*, MouseButton b, ShiftState s, int x, int y) { ups.push_back({b, s, x, y}); };

  shape->MouseDown(MouseButton::Right, ssShift | ssRight, 3, 4);
  shape->MouseMove(ssShift | ssRight, -7, 40);  // a held press follows the pointer outside
  shape->MouseUp(MouseButton::Right, ssShift, 40, 5);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].button, MouseButton::Right);
  EXPECT_EQ(downs[0].shift, ssShift | ssRight);
  EXPECT_EQ(downs[0].x, 3);
  EXPECT_EQ(downs[0].y, 4);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].x, -7);
  EXPECT_EQ(moves[0].y, 40);
  ASSERT_EQ(ups.size(), 1u);
  EXPECT_EQ(ups[0].button, MouseButton::Right);
  EXPECT_EQ(ups[0].shift, ssShift);
  EXPECT_EQ(ups[0].x, 40);
}

// A click is a left press and a left release inside; x and y are the release's.
struct ClickCase {
  const char* name;
  std::vector<std::function<void(TControl*)>> input;
  int clicks;
};

TEST_F(FrameworkTest, ClickFollowsOnlyALeftReleaseInsideAfterALeftPress) {
  const auto down = [](MouseButton b, int x) { return [=](TControl* c) { Press(c, b, {x, 5}); }; };
  const auto up = [](MouseButton b, int x) { return [=](TControl* c) { Release(c, b, {x, 5}); }; };
  const MouseButton L = MouseButton::Left, R = MouseButton::Right;
  const ClickCase cases[] = {
      {"left inside", {down(L, 5), up(L, 5)}, 1},
      {"left released on the last column", {down(L, 5), up(L, 29)}, 1},
      {"left released just outside", {down(L, 5), up(L, 30)}, 0},
      {"left released left of it", {down(L, 5), up(L, -1)}, 0},
      {"right inside", {down(R, 5), up(R, 5)}, 0},
      {"release without a press", {up(L, 5)}, 0},
      {"right release after a left press, then the left", {down(L, 5), up(R, 5), up(L, 5)}, 1},
      {"one press, two releases", {down(L, 5), up(L, 5), up(L, 5)}, 1},
  };
  for (const ClickCase& c : cases) {
    auto* shape = Place<TShape>(form_.get(), c.name, 0, 0, 30, 30);
    int clicks = 0;
    shape->OnClick = [&](TControl* sender) {
      EXPECT_EQ(sender, shape);
      ++clicks;
    };
    for (const auto& event : c.input) event(shape);
    EXPECT_EQ(clicks, c.clicks) << c.name;
  }
}

TEST_F(FrameworkTest, DisabledControlTakesNoMouse) {
  auto* shape = Place<TShape>(form_.get(), "Shape1", 0, 0, 30, 30);
  int events = 0;
  shape->OnMouseDown = [&](TControl*, MouseButton, ShiftState, int, int) { ++events; };
  shape->OnMouseMove = [&](TControl*, ShiftState, int, int) { ++events; };
  shape->OnMouseUp = [&](TControl*, MouseButton, ShiftState, int, int) { ++events; };
  shape->OnClick = [&](TControl*) { ++events; };
  shape->SetEnabled(false);
  LeftClick(shape);
  Drag(shape, MouseButton::Left, {3, 3});
  EXPECT_EQ(events, 0);
  shape->SetEnabled(true);
  LeftClick(shape);
  EXPECT_EQ(events, 3);
}

TEST_F(FrameworkTest, AutoSizedLabelTakesItsCaptionsExtentInItsFont) {
  auto* label = Place<TLabel>(form_.get(), "ZoneResValue1", 315, 17, 0, 0, "0R");
  label->SetFont(MakeFont("Terminal", 8));
  EXPECT_EQ(label->Width(), 0);  // not sized until asked
  label->SetAutoSize(true);
  EXPECT_EQ(label->Width(), 16);
  EXPECT_EQ(label->Height(), 11);
  label->SetCaption("4K27");
  EXPECT_EQ(label->Width(), 32);
  label->SetFont(MakeFont("Terminal", 10));
  EXPECT_EQ(label->Width(), 40);
  EXPECT_EQ(label->Height(), 13);
  EXPECT_EQ(label->Left(), 315);
  EXPECT_EQ(label->Top(), 17);
}

TEST_F(FrameworkTest, WrappedOrFixedLabelKeepsItsSize) {
  auto* fixed = Place<TLabel>(form_.get(), "Fixed", 0, 0, 50, 12, "a long caption indeed");
  fixed->SetCaption("x");
  EXPECT_EQ(fixed->Width(), 50);
  auto* wrapped = Place<TLabel>(form_.get(), "Wrapped", 0, 0, 50, 30, "a long caption indeed");
  wrapped->SetWordWrap(true);
  wrapped->SetAutoSize(true);
  wrapped->SetCaption("another long caption");
  EXPECT_EQ(wrapped->Width(), 50);
  EXPECT_EQ(wrapped->Height(), 30);
}

// Each row starts from where the row before left the controls.
TEST_F(FrameworkTest, ChangesToThePictureTellTheHostAndRepeatsDoNot) {
  auto* label = Place<TLabel>(form_.get(), "Label1", 0, 0, 40, 10, "Text");
  auto* shape = Place<TShape>(form_.get(), "Shape1", 0, 0, 40, 10);
  auto* box = Place<TCheckBox>(form_.get(), "Box", 0, 0, 60, 15);
  const struct {
    const char* what;
    std::function<void()> change;
    bool redraws;
  } rows[] = {
      {"new caption", [&] { label->SetCaption("Other"); }, true},
      {"same caption", [&] { label->SetCaption("Other"); }, false},
      {"font colour", [&] { label->SetFontColor(colors::white); }, true},
      {"font", [&] { label->SetFont(MakeFont("Arial", 9)); }, true},
      {"brush", [&] { shape->SetBrush(colors::gray); }, true},
      {"pen", [&] { shape->SetPen(colors::gray, PenStyle::None); }, true},
      {"hidden", [&] { shape->SetVisible(false); }, true},
      {"hidden again", [&] { shape->SetVisible(false); }, false},
      {"moved", [&] { shape->SetLeft(7); }, true},
      {"checked", [&] { box->SetState(CheckBoxState::Checked); }, true},
      {"checked again", [&] { box->SetState(CheckBoxState::Checked); }, false},
      {"window colour", [&] { form_->SetWindowColor(colors::white); }, true},
  };
  for (const auto& row : rows) {
    host_.invalidated.clear();
    row.change();
    EXPECT_EQ(!host_.invalidated.empty(), row.redraws) << row.what;
    for (TForm* form : host_.invalidated) EXPECT_EQ(form, form_.get()) << row.what;
  }
}

TEST_F(FrameworkTest, ControlOutsideAnyWindowTellsNobody) {
  TFrame loose(nullptr, "Loose");
  auto* label = Place<TLabel>(&loose, "Label1", 0, 0, 40, 10);
  host_.invalidated.clear();
  label->SetCaption("Text");
  EXPECT_EQ(label->Form(), nullptr);
  EXPECT_TRUE(host_.invalidated.empty());
}

TEST_F(FrameworkTest, GrayableCheckBoxStepsUncheckedGrayedCheckedAndReportsEachChange) {
  auto* box = Place<TCheckBox>(form_.get(), "OptionalRelays", 8, 0, 97, 15, "Optional Relays");
  box->SetAllowGrayed(true);
  std::vector<CheckBoxState> seen;
  box->OnClick = [&](TControl*) { seen.push_back(box->State()); };
  for (int i = 0; i < 3; ++i) LeftClick(box);
  EXPECT_EQ(seen,
            (std::vector<CheckBoxState>{CheckBoxState::Grayed, CheckBoxState::Checked, CheckBoxState::Unchecked}));
  box->SetState(CheckBoxState::Checked);
  box->SetState(CheckBoxState::Checked);  // no change, no event
  EXPECT_EQ(seen.size(), 4u);
  EXPECT_EQ(box->Caption(), "Optional Relays");
}

TEST_F(FrameworkTest, PlainCheckBoxToggles) {
  auto* box = Place<TCheckBox>(form_.get(), "Box", 0, 0, 60, 15);
  LeftClick(box);
  EXPECT_EQ(box->State(), CheckBoxState::Checked);
  LeftClick(box);
  EXPECT_EQ(box->State(), CheckBoxState::Unchecked);
  Press(box, MouseButton::Right);
  Release(box, MouseButton::Right);
  EXPECT_EQ(box->State(), CheckBoxState::Unchecked);
}

TEST_F(FrameworkTest, TimerKeepsIntervalAndTagAndRunsOnlyWhileEnabled) {
  auto* timer = new TTimer(form_.get(), "WatchdogTimer", 100);
  int fired = 0;
  timer->OnTimer = [&](TTimer* sender) {
    EXPECT_EQ(sender, timer);
    ++fired;
  };
  EXPECT_EQ(timer->Interval(), 100);
  EXPECT_FALSE(timer->Enabled());
  timer->Fire();
  EXPECT_EQ(fired, 0);
  timer->SetEnabled(true);
  EXPECT_TRUE(timer->Enabled());
  timer->Fire();
  EXPECT_EQ(fired, 1);
  timer->SetTag(3);
  EXPECT_EQ(timer->Tag(), 3);
  timer->SetEnabled(false);
  EXPECT_FALSE(timer->Enabled());
  timer->Fire();
  EXPECT_EQ(fired, 1);
}

// The host runs the timers, so it hears of every start, stop and new
// interval of a running timer, and of a running timer that is destroyed.
TEST_F(FrameworkTest, HostHearsOfEveryChangeToARunningTimer) {
  auto* timer = new TTimer(form_.get(), "WatchdogTimer", 100);
  timer->SetInterval(50);  // not running: nothing to tell
  EXPECT_TRUE(host_.timers.empty());
  timer->SetEnabled(true);
  timer->SetEnabled(true);
  timer->SetInterval(20);
  timer->SetEnabled(false);
  EXPECT_EQ(host_.timers.size(), 3u);
  timer->SetEnabled(true);
  host_.timers.clear();
  form_.reset();
  EXPECT_EQ(host_.timers, (std::vector<std::string>{"WatchdogTimer"}));
}

TEST_F(FrameworkTest, ShowRunsOnShowOnceAndCloseHidesAndTellsTheHost) {
  int shows = 0, closes = 0;
  form_->OnShow = [&](TForm* sender) {
    EXPECT_EQ(sender, form_.get());
    ++shows;
  };
  form_->OnClose = [&](TForm*) { ++closes; };
  form_->Show();
  form_->Show();
  EXPECT_TRUE(form_->Showing());
  EXPECT_EQ(shows, 1);
  form_->Close();
  EXPECT_FALSE(form_->Showing());
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(host_.closed, (std::vector<TForm*>{form_.get()}));
  form_->Show();
  EXPECT_EQ(shows, 2);
}

TEST_F(FrameworkTest, CentredFormSitsInTheMiddleOfTheHostsScreen) {
  form_->CentreOnScreen();
  EXPECT_EQ(form_->Left(), 100 + (800 - 300) / 2);
  EXPECT_EQ(form_->Top(), 50 + (600 - 200) / 2);
  EXPECT_EQ(form_->ClientWidth(), 300);
}

}  // namespace
