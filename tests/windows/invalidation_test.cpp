// A change asks the host to draw again only the area it touches, in its
// window's client coordinates.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "windows/framework/form.h"
#include "windows/framework/host.h"
#include "windows/imageselector.h"

namespace {

using Area = std::array<int, 4>;

class AreaHost : public WindowHost {
 public:
  void Invalidate(TForm&) override { areas.push_back({0, 0, -1, -1}); }
  void InvalidateArea(TForm&, int left, int top, int width, int height) override {
    areas.push_back({left, top, width, height});
  }
  std::vector<Area> areas;
};

class InvalidationTest : public ::testing::Test {
 protected:
  InvalidationTest() {
    group_ = Place<TGroupBox>(&form_, "GroupBox1", 100, 50, 200, 100);
    led_ = Place<TImageSelector>(group_, "Led", 10, 20, 11, 11);
    list_ = form_.AddImageList("Leds", 11, 11, 2);
    led_->SetImageList(list_);
    host_.areas.clear();
  }

  AreaHost host_;
  TForm form_{"frmTest", "Test", 400, 300, &host_};
  TGroupBox* group_;
  TImageSelector* led_;
  TImageList* list_;
};

TEST_F(InvalidationTest, ANestedControlsChangeCoversOnlyItsOwnAreaOfTheClient) {
  led_->SetItemIndex(1);
  EXPECT_EQ(host_.areas, (std::vector<Area>{{110, 70, 11, 11}}));
}

TEST_F(InvalidationTest, AMoveCoversWhereTheControlWasAndWhereItIs) {
  led_->SetBounds(30, 40, 11, 11);
  ASSERT_GE(host_.areas.size(), 2u);
  EXPECT_EQ(host_.areas.front(), (Area{110, 70, 11, 11}));
  EXPECT_EQ(host_.areas.back(), (Area{130, 90, 11, 11}));
}

TEST_F(InvalidationTest, HidingAParentCoversItsWholeArea) {
  group_->SetVisible(false);
  EXPECT_EQ(host_.areas, (std::vector<Area>{{100, 50, 200, 100}}));
}

}  // namespace
