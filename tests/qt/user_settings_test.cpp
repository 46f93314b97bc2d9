// The per-user memory of the windows: positions and the front panel's view
// come back in the next run, a position off the present screen does not.
// Each test writes a file of its own in a private directory, never the
// user's configuration.

#include "qt/user_settings.h"

#include <gtest/gtest.h>

#include <QSettings>

#include "qt/qt_host.h"
#include "tests/support/clean_state.h"
#include "windows/framework/form.h"
#include "windows/framework/host.h"
#include "windows/maindisplay.h"

namespace {

class UserSettingsTest : public ::testing::Test {
 protected:
  QSettings Store() const {
    return QSettings(QString::fromStdString((clean_.Directory() / "qx40.conf").string()), QSettings::IniFormat);
  }

  CleanState clean_;
  QtHost host_;
  const ScreenRect screen_ = host_.Screen();
};

TEST_F(UserSettingsTest, PositionsAndViewComeBackInTheNextRun) {
  {
    TfrmMainDisplay front(&host_);
    TForm hardware("frmHardwareControl", "Hardware Interface", 100, 100, &host_);
    front.Move(screen_.left + 10, screen_.top + 20);
    hardware.Move(screen_.left + 30, screen_.top + 40);
    front.SelectCorvellaFasciaClick(front.SelectCorvellaFascia);
    front.SelectCoverOffClick(front.SelectCoverOff);
    QSettings store = Store();
    RememberWindows(store, front, hardware);
  }
  TfrmMainDisplay front(&host_);
  TForm hardware("frmHardwareControl", "Hardware Interface", 100, 100, &host_);
  QSettings store = Store();
  RestoreWindows(store, front, hardware);
  EXPECT_EQ(std::pair(front.Left(), front.Top()), std::pair(screen_.left + 10, screen_.top + 20));
  EXPECT_EQ(std::pair(hardware.Left(), hardware.Top()), std::pair(screen_.left + 30, screen_.top + 40));
  EXPECT_TRUE(front.PCBBackImage->Visible());
  front.SelectCoverOffClick(front.SelectCoverOff);
  EXPECT_TRUE(front.CorvellaBackImage->Visible());
}

TEST_F(UserSettingsTest, PositionNoLongerWhollyOnTheScreenIsPassedOver) {
  TfrmMainDisplay front(&host_);
  TForm hardware("frmHardwareControl", "Hardware Interface", 100, 100, &host_);
  front.Move(screen_.left, screen_.top);
  hardware.Move(screen_.left, screen_.top);
  QSettings store = Store();
  store.setValue("windows/frmMainDisplay/left", screen_.left + screen_.width - front.Width() + 1);
  store.setValue("windows/frmMainDisplay/top", screen_.top);
  store.setValue("windows/frmHardwareControl/left", screen_.left + 5);
  store.setValue("windows/frmHardwareControl/top", screen_.top - 1);
  RestoreWindows(store, front, hardware);
  EXPECT_EQ(std::pair(front.Left(), front.Top()), std::pair(screen_.left, screen_.top));
  EXPECT_EQ(std::pair(hardware.Left(), hardware.Top()), std::pair(screen_.left, screen_.top));
  EXPECT_TRUE(front.MarvaneBackImage->Visible());
}

}  // namespace
