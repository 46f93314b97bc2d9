// The simulator: the front panel window and the window thread's event loop.

#include <QApplication>

#include "ui/maindisplay.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("QX40 Simulation");
  TfrmMainDisplay window;
  frmMainDisplay = &window;
  window.show();
  QApplication::exec();
  frmMainDisplay = nullptr;
  return 0;
}
