// The simulator: the front panel and the hardware control window, the board
// the latter owns, and the window thread's message loop.

#include <exception>

#include "ui/framework/application.h"
#include "ui/hardwarecontrol.h"
#include "ui/maindisplay.h"

namespace {

// Both windows in creation order; the hardware window, created last, goes
// first and saves the settings on its way.
int RunWindows() {
  TfrmMainDisplay front;
  frmMainDisplay = &front;
  // Closing the front panel ends the program, whatever else is open.
  front.OnClose = [](TForm*) { TApplication::quit(); };
  {
    TfrmHardwareControl hardware(BoardPacing::RealTime);
    frmHardwareControl = &hardware;
    front.show();
    hardware.show();
    TApplication::exec();
    frmHardwareControl = nullptr;
  }
  frmMainDisplay = nullptr;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  TApplication application(argc, argv, "QX40 Simulation");
  try {
    return RunWindows();
  } catch (const std::exception& error) {
    TApplication::ShowException(&error);
  } catch (...) {
    TApplication::ShowException(nullptr);
  }
  return 0;
}
