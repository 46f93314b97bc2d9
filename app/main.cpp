// The simulator: the front panel and the hardware control window, the board
// the latter owns, and the window thread's message loop.

#include <QTimer>
#include <atomic>
#include <csignal>
#include <exception>

#include "ui/framework/application.h"
#include "ui/hardwarecontrol.h"
#include "ui/maindisplay.h"

namespace {

constexpr int signalPollMs = 100;
std::atomic<bool> stopRequested{false};
void RequestStop(int) { stopRequested.store(true); }

// Ctrl-C or a terminate signal (a logout, a service stop) closes the windows
// as a user would, so the settings are saved rather than lost.
void QuitOnSignals(QObject* owner) {
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
  auto* poll = new QTimer(owner);
  QObject::connect(poll, &QTimer::timeout, [] {
    if (stopRequested.load()) TApplication::quit();
  });
  poll->start(signalPollMs);
}

// Both windows in creation order; the hardware window, created last, goes
// first and saves the settings on its way.
int RunWindows() {
  TfrmMainDisplay front;
  frmMainDisplay = &front;
  // Closing the front panel ends the program, whatever else is open.
  front.OnClose = [](TForm*) { TApplication::quit(); };
  QuitOnSignals(&front);
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
