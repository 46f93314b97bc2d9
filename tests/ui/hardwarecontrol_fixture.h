#pragma once
// Both windows as the application creates them: the front panel first, then
// the hardware control window, which finds it through frmMainDisplay.

#include <gtest/gtest.h>

#include <memory>

#include "tests/ui/ui_test_support.h"
#include "ui/hardwarecontrol.h"
#include "ui/maindisplay.h"

class HardwareControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mainDisplay_ = std::make_unique<TfrmMainDisplay>();
    frmMainDisplay = mainDisplay_.get();
    form_ = std::make_unique<TfrmHardwareControl>(BoardPacing::Stepped);
    h = form_.get();
  }

  void TearDown() override {
    form_.reset();
    frmMainDisplay = nullptr;
    mainDisplay_.reset();
  }

  // A left press and release at x on a level control's box.
  static void ClickLevel(TShape* box, int x) {
    Press(box, Qt::LeftButton, {x, 5});
    Release(box, Qt::LeftButton, {x, 5});
  }

  TfrmMainDisplay* m() const { return mainDisplay_.get(); }

  std::unique_ptr<TfrmMainDisplay> mainDisplay_;
  std::unique_ptr<TfrmHardwareControl> form_;
  TfrmHardwareControl* h = nullptr;
};
