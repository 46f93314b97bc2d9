// The front ends draw only what a change touched: the areas a window reports,
// drawn over its last picture, give the picture the whole window would.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <functional>
#include <vector>

#include "machine/machine.h"
#include "qt/artwork.h"
#include "qt/painter.h"
#include "qt/qt_host.h"
#include "windows/framework/form.h"
#include "windows/hardwarecontrol.h"
#include "windows/imageselector.h"
#include "windows/maindisplay.h"

namespace {

// Measures as the desktop does and keeps each area a change reports.
class AreaHost : public QtHost {
 public:
  void Invalidate(TForm& form) override { areas.emplace_back(0, 0, form.ClientWidth(), form.ClientHeight()); }
  void InvalidateArea(TForm&, int left, int top, int width, int height) override {
    areas.emplace_back(left, top, width, height);
  }
  std::vector<QRect> areas;
};

// The picture before, with each reported area drawn again over it.
QImage Redrawn(QImage before, const TForm& form, const std::vector<QRect>& areas, Artwork& artwork) {
  QPainter painter(&before);
  for (const QRect& area : areas) {
    painter.setClipRect(area);
    PaintForm(painter, form, artwork, area);
  }
  return before;
}

TEST(AreaDrawing, TheChangedAreasDrawnAloneGiveTheWholeWindowsPicture) {
  AreaHost host;
  Machine machine(BoardPacing::Stepped, &host);
  TfrmMainDisplay& front = machine.front();
  TfrmHardwareControl& hardware = machine.hardware();
  Artwork artwork;
  struct Change {
    const char* what;
    TForm& form;
    std::function<void()> make;
  };
  auto* lamp = dynamic_cast<TImageSelector*>(front.FindControl("Zone1FireLED"));
  ASSERT_NE(lamp, nullptr);
  const Change changes[] = {
      {"a lamp lit", front, [&] { lamp->SetItemIndex(1 - lamp->ItemIndex()); }},
      {"a key pressed", front, [&] { front.ResetButton->SetItemIndex(1 - front.ResetButton->ItemIndex()); }},
      {"the fascia changed", front, [&] { front.SelectCorvellaFasciaClick(front.SelectCorvellaFascia); }},
      {"the cover off", front, [&] { front.SelectCoverOffClick(front.SelectCoverOff); }},
      {"a box ticked", hardware, [&] { hardware.SoundMute->SetState(CheckBoxState::Checked); }},
      {"a zone's level and reading moved", hardware, [&] {
         hardware.ZoneAnalogueValue[0]->SetWidth(hardware.ZoneAnalogueValue[0]->Width() / 2);
         hardware.ZoneResValue[0]->SetCaption("123R");
       }},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    const QImage before = RenderForm(change.form, artwork);
    host.areas.clear();
    change.make();
    ASSERT_FALSE(host.areas.empty());
    const QImage whole = RenderForm(change.form, artwork);
    EXPECT_NE(whole, before);
    EXPECT_EQ(Redrawn(before, change.form, host.areas, artwork), whole);
  }
}

}  // namespace
