#include "ui/imageselector.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPainter>
#include <memory>
#include <thread>

namespace {

// Lists named after no artwork, so each frame is a placeholder of the size.
class ImageSelectorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<QWidget>();
    host_->resize(200, 200);
    twoImages_ = new TImageList(host_.get(), "TestTwoImages", 29, 29, 2);
    threeImages_ = new TImageList(host_.get(), "TestThreeImages", 20, 10, 3);
    emptyList_ = new TImageList(host_.get(), "TestEmptyList", 20, 10, 0);
    selector_ = new TImageSelector(host_.get(), "Selector");
    host_->show();
    QCoreApplication::processEvents();
  }

  // Draws the control alone over a background of a known colour.
  QImage Rendered(QColor background = Qt::green) const {
    QImage image(selector_->size(), QImage::Format_RGB32);
    image.fill(background);
    selector_->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
  }

  std::unique_ptr<QWidget> host_;
  TImageList* twoImages_ = nullptr;
  TImageList* threeImages_ = nullptr;
  TImageList* emptyList_ = nullptr;
  TImageSelector* selector_ = nullptr;
};

TEST_F(ImageSelectorTest, NewControlIs105SquareAtIndexZeroWithNoList) {
  EXPECT_EQ(selector_->Width(), 105);
  EXPECT_EQ(selector_->Height(), 105);
  EXPECT_EQ(selector_->ItemIndex(), 0);
  EXPECT_EQ(selector_->ImageList(), nullptr);
  EXPECT_FALSE(selector_->Stretch());
}

struct ClampCase {
  int requested;
  int stored;
};

void PrintTo(const ClampCase& c, std::ostream* out) { *out << c.requested << " stores " << c.stored; }

class ImageSelectorClampTest : public ImageSelectorTest, public ::testing::WithParamInterface<ClampCase> {};

TEST_P(ImageSelectorClampTest, IndexIsClampedIntoATwoImageListAndShown) {
  selector_->SetImageList(twoImages_);
  selector_->SetItemIndex(GetParam().requested);
  EXPECT_EQ(selector_->ItemIndex(), GetParam().stored);
  EXPECT_EQ(selector_->PaintedIndex(), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(TwoImages, ImageSelectorClampTest,
                         ::testing::Values(ClampCase{5, 1}, ClampCase{-3, 0}, ClampCase{1, 1}, ClampCase{2, 1}));

TEST_F(ImageSelectorTest, ShownImageIsTheListsImageAtTheIndex) {
  selector_->SetAutoSize(true);
  selector_->SetImageList(twoImages_);
  selector_->SetItemIndex(5);
  EXPECT_EQ(Rendered(), twoImages_->Image(1).convertToFormat(QImage::Format_RGB32));
  selector_->SetItemIndex(-3);
  EXPECT_EQ(Rendered(), twoImages_->Image(0).convertToFormat(QImage::Format_RGB32));
}

TEST_F(ImageSelectorTest, SettingTheHeldIndexDrawsNothing) {
  selector_->SetImageList(twoImages_);
  selector_->SetItemIndex(1);
  const int paints = selector_->PaintCount();
  selector_->SetItemIndex(1);
  EXPECT_EQ(selector_->PaintCount(), paints);
}

TEST_F(ImageSelectorTest, AChangePaintsAtOnce) {
  selector_->SetImageList(twoImages_);
  const int paints = selector_->PaintCount();
  selector_->SetItemIndex(1);
  EXPECT_EQ(selector_->PaintCount(), paints + 1);
  EXPECT_EQ(selector_->PaintedIndex(), 1);
}

TEST_F(ImageSelectorTest, EqualIndexIsNotClampedWithoutAChange) {
  selector_->SetItemIndex(7);  // no list: stored unchanged
  EXPECT_EQ(selector_->ItemIndex(), 7);
  selector_->SetItemIndex(-2);
  EXPECT_EQ(selector_->ItemIndex(), -2);
}

TEST_F(ImageSelectorTest, NextImageWrapsFromLastToFirst) {
  selector_->SetImageList(threeImages_);
  selector_->SetItemIndex(2);
  selector_->NextImage();
  EXPECT_EQ(selector_->ItemIndex(), 0);
  EXPECT_EQ(selector_->PaintedIndex(), 0);
  selector_->NextImage();
  EXPECT_EQ(selector_->ItemIndex(), 1);
}

TEST_F(ImageSelectorTest, PrevImageWrapsFromFirstToLast) {
  selector_->SetImageList(threeImages_);
  selector_->PrevImage();
  EXPECT_EQ(selector_->ItemIndex(), 2);
  EXPECT_EQ(selector_->PaintedIndex(), 2);
  selector_->PrevImage();
  EXPECT_EQ(selector_->ItemIndex(), 1);
}

TEST_F(ImageSelectorTest, StepsDoNothingWithoutAList) {
  selector_->SetItemIndex(4);
  selector_->NextImage();
  selector_->PrevImage();
  EXPECT_EQ(selector_->ItemIndex(), 4);
}

TEST_F(ImageSelectorTest, StepsOnAnEmptyListAreNotClamped) {
  selector_->SetImageList(emptyList_);
  selector_->NextImage();  // 0 is not count - 1 (-1): steps to 1
  EXPECT_EQ(selector_->ItemIndex(), 1);
  selector_->PrevImage();
  EXPECT_EQ(selector_->ItemIndex(), 0);
  selector_->PrevImage();  // from 0 to count - 1
  EXPECT_EQ(selector_->ItemIndex(), -1);
}

TEST_F(ImageSelectorTest, AssigningAShorterListResetsAnIndexBeyondIt) {
  selector_->SetItemIndex(7);
  selector_->SetImageList(threeImages_);
  EXPECT_EQ(selector_->ItemIndex(), 0);
  EXPECT_EQ(selector_->PaintedIndex(), 0);
}

TEST_F(ImageSelectorTest, AssigningAListThatHoldsTheIndexKeepsIt) {
  selector_->SetItemIndex(2);
  selector_->SetImageList(threeImages_);
  EXPECT_EQ(selector_->ItemIndex(), 2);
  EXPECT_EQ(selector_->PaintedIndex(), 2);
}

TEST_F(ImageSelectorTest, ExchangingListsKeepsAnIndexBothHold) {
  selector_->SetImageList(threeImages_);
  selector_->SetItemIndex(1);
  selector_->SetImageList(twoImages_);
  EXPECT_EQ(selector_->ItemIndex(), 1);
  selector_->SetImageList(threeImages_);
  selector_->SetItemIndex(2);
  selector_->SetImageList(twoImages_);
  EXPECT_EQ(selector_->ItemIndex(), 0);
}

TEST_F(ImageSelectorTest, AssigningNoListDrawsNothingAndResetsTheIndex) {
  selector_->SetImageList(twoImages_);
  selector_->SetItemIndex(1);
  selector_->SetImageList(nullptr);
  EXPECT_EQ(selector_->ItemIndex(), 0);
  const QImage shown = Rendered(Qt::green);
  EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::green));
  EXPECT_EQ(shown.pixelColor(50, 50), QColor(Qt::green));
}

TEST_F(ImageSelectorTest, AutoSizeTakesTheListsImageSize) {
  selector_->SetAutoSize(true);
  selector_->SetImageList(twoImages_);
  EXPECT_EQ(selector_->Width(), 29);
  EXPECT_EQ(selector_->Height(), 29);
  selector_->SetImageList(nullptr);  // no list: the size stays
  EXPECT_EQ(selector_->Width(), 29);
}

TEST_F(ImageSelectorTest, UnstretchedImageSitsTopLeftAndLeavesTheRestUnpainted) {
  selector_->SetImageList(threeImages_);  // 20 x 10 in a 105 x 105 control
  const QImage shown = Rendered(Qt::green);
  const QImage image = threeImages_->Image(0);
  EXPECT_EQ(shown.pixelColor(0, 0), image.pixelColor(0, 0));
  EXPECT_EQ(shown.pixelColor(19, 9), image.pixelColor(19, 9));
  EXPECT_EQ(shown.pixelColor(20, 0), QColor(Qt::green));
  EXPECT_EQ(shown.pixelColor(0, 10), QColor(Qt::green));
  EXPECT_EQ(shown.pixelColor(104, 104), QColor(Qt::green));
}

TEST_F(ImageSelectorTest, StretchedImageFillsTheControl) {
  selector_->SetImageList(threeImages_);
  selector_->SetStretch(true);
  const QImage shown = Rendered(Qt::green);
  EXPECT_EQ(shown.pixelColor(104, 104), threeImages_->Image(0).pixelColor(19, 9));
}

TEST_F(ImageSelectorTest, ChangeFromAnotherThreadReachesTheScreenThroughTheWindowThread) {
  selector_->SetImageList(threeImages_);
  const int paints = selector_->PaintCount();
  std::thread tick([this] {
    selector_->SetItemIndex(1);
    selector_->SetItemIndex(2);
    selector_->SetItemIndex(2);
  });
  tick.join();
  EXPECT_EQ(selector_->ItemIndex(), 2);
  EXPECT_EQ(selector_->PaintCount(), paints);  // nothing painted off the window thread
  TImageSelector::RepaintQueued();  // the window thread's repaint timer
  EXPECT_EQ(selector_->PaintedIndex(), 2);
  EXPECT_EQ(selector_->PaintCount(), paints + 1);  // the changes came to one paint
}

TEST_F(ImageSelectorTest, SettingTheHeldIndexFromAnotherThreadQueuesNothing) {
  selector_->SetImageList(threeImages_);
  const int paints = selector_->PaintCount();
  std::thread tick([this] { selector_->SetItemIndex(0); });
  tick.join();
  TImageSelector::RepaintQueued();
  EXPECT_EQ(selector_->PaintCount(), paints);
}

}  // namespace
