// How image selectors, and the alarm counter made of them, are drawn.

#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <memory>

#include "qt/artwork.h"
#include "qt/painter.h"
#include "tests/qt/qt_test_support.h"
#include "windows/alarmcounter.h"
#include "windows/framework/form.h"
#include "windows/imageselector.h"

namespace {

const QColor background(0, 255, 0);

// Lists named after no artwork, so each frame is a placeholder of the size.
class SelectorPaintingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>("frmTest", "", 200, 200);
    form_->SetWindowColor(Color::Rgb(0, 255, 0));
    twoImages_ = form_->AddImageList("TestTwoImages", 29, 29, 2);
    threeImages_ = form_->AddImageList("TestThreeImages", 20, 10, 3);
    emptyList_ = form_->AddImageList("TestEmptyList", 20, 10, 0);
    selector_ = Place<TImageSelector>(form_.get(), "Selector", 30, 40, 105, 105);
  }

  // The selector's area of the drawn window.
  QImage Shown() {
    return RenderForm(*form_, artwork_)
        .copy(selector_->Left(), selector_->Top(), selector_->Width(), selector_->Height());
  }

  Artwork artwork_;
  std::unique_ptr<TForm> form_;
  TImageList* twoImages_ = nullptr;
  TImageList* threeImages_ = nullptr;
  TImageList* emptyList_ = nullptr;
  TImageSelector* selector_ = nullptr;
};

TEST_F(SelectorPaintingTest, ShownImageIsTheListsImageAtTheClampedIndex) {
  selector_->SetAutoSize(true);
  selector_->SetImageList(twoImages_);
  ASSERT_NE(FrameOverWhite(artwork_, *twoImages_, 0), FrameOverWhite(artwork_, *twoImages_, 1));
  const struct { int requested, shown; } cases[] = {{1, 1}, {5, 1}, {0, 0}, {-3, 0}};
  for (const auto& c : cases) {
    selector_->SetItemIndex(c.requested);
    EXPECT_EQ(Shown(), FrameOverWhite(artwork_, *twoImages_, c.shown)) << c.requested;
  }
}

TEST_F(SelectorPaintingTest, UnstretchedImageSitsTopLeftAndLeavesTheRestUnpainted) {
  selector_->SetImageList(threeImages_);  // 20 x 10 in a 105 x 105 control
  selector_->SetItemIndex(2);
  const QImage shown = Shown();
  EXPECT_EQ(shown.copy(0, 0, 20, 10), FrameOverWhite(artwork_, *threeImages_, 2));
  EXPECT_EQ(PixelsOtherThan(shown, {20, 0, 85, 105}, background), 0);
  EXPECT_EQ(PixelsOtherThan(shown, {0, 10, 20, 95}, background), 0);
}

TEST_F(SelectorPaintingTest, StretchedImageFillsTheControl) {
  selector_->SetImageList(threeImages_);
  selector_->SetItemIndex(1);
  selector_->SetStretch(true);
  const QImage shown = Shown();
  const QImage frame = FrameOverWhite(artwork_, *threeImages_, 1);
  EXPECT_EQ(PixelsOtherThan(shown, shown.rect(), background), shown.width() * shown.height());
  EXPECT_EQ(shown.pixelColor(0, 0), frame.pixelColor(0, 0));
  EXPECT_EQ(shown.pixelColor(104, 104), frame.pixelColor(19, 9));
  EXPECT_EQ(shown.pixelColor(104, 0), frame.pixelColor(19, 0));
}

TEST_F(SelectorPaintingTest, NoListAnEmptyListOrAHiddenSelectorDrawsNothing) {
  selector_->SetImageList(twoImages_);
  selector_->SetItemIndex(1);
  const struct {
    const char* what;
    std::function<void()> make;
  } cases[] = {
      {"no list", [&] { selector_->SetImageList(nullptr); }},
      {"empty list", [&] { selector_->SetImageList(emptyList_); }},
      {"hidden", [&] { selector_->SetVisible(false); }},
  };
  for (const auto& c : cases) {
    selector_->SetImageList(twoImages_);
    selector_->SetVisible(true);
    ASSERT_GT(PixelsOtherThan(Shown(), {0, 0, 29, 29}, background), 0);
    c.make();
    const QImage shown = Shown();
    EXPECT_EQ(PixelsOtherThan(shown, shown.rect(), background), 0) << c.what;
  }
}

// Artwork with clear pixels shows white through them, not what lies behind.
TEST_F(SelectorPaintingTest, ClearPartsOfAFrameShowWhite) {
  QImage strip(20, 10, QImage::Format_ARGB32);
  strip.fill(Qt::transparent);
  QPainter(&strip).fillRect(10, 0, 5, 10, Qt::red);  // frame 1: left half red, right half clear
  const PlantedAsset planted("TestClearStrip.png", strip);
  ASSERT_TRUE(planted.Saved());
  TImageList* list = form_->AddImageList("TestClearStrip", 10, 10, 2);
  selector_->SetImageList(list);
  selector_->SetItemIndex(1);
  const QImage shown = Shown();
  EXPECT_EQ(shown.pixelColor(2, 5), QColor(Qt::red));
  EXPECT_EQ(shown.pixelColor(7, 5), QColor(Qt::white));
  EXPECT_EQ(shown.pixelColor(12, 5), background);
}

TEST(AlarmCounterPainting, DigitsShowFromLeftToRightOverTheFrameColour) {
  TForm form("frmMainDisplay", "", 100, 40);
  auto* counter = new TfrmAlarmCounter(&form, "frmAlarmCounter1");
  counter->SetBounds(5, 5, 54, 23);
  counter->Segment3->SetItemIndex(1);
  counter->Segment2->SetItemIndex(2);
  counter->Segment1->SetItemIndex(7);
  Artwork artwork;
  const TImageList& digits = *counter->SevenSegmentDisplay;
  const QImage shown = RenderForm(form, artwork);
  const int expected[] = {1, 2, 7};
  for (int place = 0; place < 3; ++place) {
    EXPECT_EQ(shown.copy(5 + 18 * place, 5, 18, 22), FrameOverWhite(artwork, digits, expected[place])) << place;
    EXPECT_NE(FrameOverWhite(artwork, digits, expected[place]), FrameOverWhite(artwork, digits, 10)) << place;
  }
  EXPECT_EQ(PixelsOtherThan(shown, {5, 27, 54, 1}, QColor(146, 162, 196)), 0);  // below the digits

  counter->SetVisible(false);
  EXPECT_EQ(RenderForm(form, artwork), RenderForm(TForm("frmEmpty", "", 100, 40), artwork));
}

}  // namespace
