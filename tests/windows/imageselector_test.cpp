#include "windows/imageselector.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "windows/framework/form.h"
#include "tests/windows/ui_test_support.h"
#include "windows/framework/host.h"

namespace {

// Counts what the selectors ask to have drawn again, from whichever thread.
class ImageSelectorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>("frmTest", "", 200, 200, &host_);
    twoImages_ = form_->AddImageList("TestTwoImages", 29, 29, 2);
    threeImages_ = form_->AddImageList("TestThreeImages", 20, 10, 3);
    emptyList_ = form_->AddImageList("TestEmptyList", 20, 10, 0);
    selector_ = new TImageSelector(form_.get(), "Selector");
  }

  CountingHost host_;
  std::unique_ptr<TForm> form_;
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

TEST_P(ImageSelectorClampTest, IndexIsClampedIntoATwoImageList) {
  selector_->SetImageList(twoImages_);
  selector_->SetItemIndex(GetParam().requested);
  EXPECT_EQ(selector_->ItemIndex(), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(TwoImages, ImageSelectorClampTest,
                         ::testing::Values(ClampCase{5, 1}, ClampCase{-3, 0}, ClampCase{1, 1}, ClampCase{2, 1}));

// Each row starts from the first of two images, unstretched.
TEST_F(ImageSelectorTest, ChangesAskToBeDrawnAndRepeatsDoNot) {
  const struct {
    const char* what;
    std::function<void()> change;
    bool redraws;
  } rows[] = {
      {"new index", [&] { selector_->SetItemIndex(1); }, true},
      {"held index", [&] { selector_->SetItemIndex(0); }, false},
      {"next image", [&] { selector_->NextImage(); }, true},
      {"previous image", [&] { selector_->PrevImage(); }, true},
      {"stretched", [&] { selector_->SetStretch(true); }, true},
      {"unstretched as it was", [&] { selector_->SetStretch(false); }, false},
      {"the list it has", [&] { selector_->SetImageList(twoImages_); }, false},
      {"another list", [&] { selector_->SetImageList(threeImages_); }, true},
      {"no list", [&] { selector_->SetImageList(nullptr); }, true},
      {"hidden", [&] { selector_->SetVisible(false); }, true},
  };
  for (const auto& row : rows) {
    selector_->SetImageList(twoImages_);
    selector_->SetItemIndex(0);
    selector_->SetStretch(false);
    selector_->SetVisible(true);
    host_.invalidations = 0;
    row.change();
    EXPECT_EQ(host_.invalidations > 0, row.redraws) << row.what;
  }
}

TEST_F(ImageSelectorTest, EqualIndexIsNotClampedWithoutAList) {
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
  selector_->NextImage();
  EXPECT_EQ(selector_->ItemIndex(), 1);
}

TEST_F(ImageSelectorTest, PrevImageWrapsFromFirstToLast) {
  selector_->SetImageList(threeImages_);
  selector_->PrevImage();
  EXPECT_EQ(selector_->ItemIndex(), 2);
  selector_->PrevImage();
  EXPECT_EQ(selector_->ItemIndex(), 1);
}

TEST_F(ImageSelectorTest, StepsDoNothingWithoutAList) {
  selector_->SetItemIndex(4);
  host_.invalidations = 0;
  selector_->NextImage();
  selector_->PrevImage();
  EXPECT_EQ(selector_->ItemIndex(), 4);
  EXPECT_EQ(host_.invalidations, 0);
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
}

TEST_F(ImageSelectorTest, AssigningAListThatHoldsTheIndexKeepsIt) {
  selector_->SetItemIndex(2);
  selector_->SetImageList(threeImages_);
  EXPECT_EQ(selector_->ItemIndex(), 2);
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

TEST_F(ImageSelectorTest, AssigningNoListOrAnEmptyOneResetsTheIndex) {
  selector_->SetImageList(twoImages_);
  selector_->SetItemIndex(1);
  selector_->SetImageList(nullptr);
  EXPECT_EQ(selector_->ItemIndex(), 0);
  selector_->SetItemIndex(3);
  selector_->SetImageList(emptyList_);
  EXPECT_EQ(selector_->ItemIndex(), 0);
}

TEST_F(ImageSelectorTest, AutoSizeTakesTheListsImageSize) {
  selector_->SetAutoSize(true);
  selector_->SetImageList(twoImages_);
  EXPECT_EQ(selector_->Width(), 29);
  EXPECT_EQ(selector_->Height(), 29);
  selector_->SetImageList(threeImages_);
  EXPECT_EQ(selector_->Width(), 20);
  EXPECT_EQ(selector_->Height(), 10);
  selector_->SetImageList(nullptr);  // no list: the size stays
  EXPECT_EQ(selector_->Width(), 20);
}

// The board tick sets indexes on its own thread; the host hears of each
// change there and draws later on the window thread.
TEST_F(ImageSelectorTest, ChangeFromAnotherThreadTellsTheHost) {
  selector_->SetImageList(threeImages_);
  host_.invalidations = 0;
  std::thread tick([this] {
    selector_->SetItemIndex(1);
    selector_->SetItemIndex(2);
    selector_->SetItemIndex(2);
  });
  tick.join();
  EXPECT_EQ(selector_->ItemIndex(), 2);
  EXPECT_GT(host_.invalidations, 0);
}

TEST_F(ImageSelectorTest, SettingTheHeldIndexFromAnotherThreadTellsNobody) {
  selector_->SetImageList(threeImages_);
  host_.invalidations = 0;
  std::thread tick([this] { selector_->SetItemIndex(0); });
  tick.join();
  EXPECT_EQ(host_.invalidations, 0);
}

}  // namespace
