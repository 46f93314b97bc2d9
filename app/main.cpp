// The simulator: the front panel window and the window thread's event loop.

#include "ui/framework/application.h"
#include "ui/maindisplay.h"

int main(int argc, char** argv) {
  TApplication application(argc, argv, "QX40 Simulation");
  TfrmMainDisplay window;
  frmMainDisplay = &window;
  window.show();
  TApplication::exec();
  frmMainDisplay = nullptr;
  return 0;
}
