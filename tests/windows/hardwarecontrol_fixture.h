#pragma once
// Both windows as the application creates them, in virtual time: the front
// panel first, then the hardware control window, which finds it through
// frmMainDisplay.

#include <gtest/gtest.h>

#include <memory>

#include "machine/machine.h"
#include "tests/windows/ui_test_support.h"
#include "windows/hardwarecontrol.h"
#include "windows/maindisplay.h"

class HardwareControlTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(nullptr); }

  // Both windows shown by host, which outlives the machine.
  void Start(WindowHost* host) {
    machine_ = std::make_unique<Machine>(BoardPacing::Stepped, host);
    h = &machine_->hardware();
  }

  void TearDown() override { machine_.reset(); }

  // A left press and release at x on a level control's box.
  static void ClickLevel(TShape* box, int x) {
    Press(box, MouseButton::Left, {x, 5});
    Release(box, MouseButton::Left, {x, 5});
  }

  TfrmMainDisplay* m() const { return &machine_->front(); }

  std::unique_ptr<Machine> machine_;
  TfrmHardwareControl* h = nullptr;
};
