// The simulator: the front panel and the hardware control window on the
// desktop, over the machine running in real time.

#include <QEvent>
#include <QSettings>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <unistd.h>

#include "board/settings_file.h"
#include "machine/command_line.h"
#include "machine/machine.h"
#include "qt/application.h"
#include "qt/audio_output.h"
#include "qt/command_line.h"
#include "qt/desktop_host.h"
#include "qt/messages.h"
#include "qt/settings_notices.h"
#include "qt/panel_state_menu.h"
#include "qt/training.h"
#include "qt/user_settings.h"
#include "scenario/control_socket.h"
#include "qt/sound_preference.h"
#include "windows/maindisplay.h"

namespace {

int signalPipe[2] = {-1, -1};

void RequestStop(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
}

// Ctrl-C or a terminate signal (a logout, a service stop) closes the windows
// as a user would, so the settings are saved rather than lost. The handler
// only writes to a pipe; the window thread wakes for it and for nothing else.
void QuitOnSignals(QObject* owner) {
  if (pipe(signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, owner);
  QObject::connect(notifier, &QSocketNotifier::activated, [] { TApplication::quit(); });
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
}

// At rest the panel repaints a few LEDs a second. Put through shared memory,
// each repaint makes the X server answer with an event that wakes Qt's X
// reader and then the window thread again; the few hundred bytes of an LED
// sent down the socket cost less. A QT_XCB_NO_MITSHM of the user's stands.
void SendRepaintsDownTheSocket() {
  if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
}

// The control socket, served on the window thread, where the windows'
// controls may be touched. A new client wakes it; while any is connected it
// is served as often as the board ticks, and with none it costs nothing.
class ControlService {
 public:
  ControlService(scenario::ListeningSocket listener, Machine& machine)
      : machine_(machine), socket_(std::move(listener), machine), arrivals_(socket_.Fd(), QSocketNotifier::Read) {
    QObject::connect(&arrivals_, &QSocketNotifier::activated, [this] { Serve(); });
    QObject::connect(&timer_, &QTimer::timeout, [this] { Serve(); });
  }

 private:
  static constexpr int serveMs = 10;

  void Serve() {
    machine_.CatchUp();
    socket_.Serve();
    if (socket_.Clients() == 0) {
      timer_.stop();
    } else if (!timer_.isActive()) {
      timer_.start(serveMs);
    }
  }

  Machine& machine_;
  scenario::ControlSocket socket_;
  QSocketNotifier arrivals_;
  QTimer timer_;
};

// Batched, the board catches up before a mouse event reaches a window, so
// that the press or release lands at its moment, not up to a batch late.
class CatchUpBeforeInput : public QObject {
 public:
  explicit CatchUpBeforeInput(Machine& machine) : machine_(machine) { TApplication::instance()->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease || type == QEvent::MouseMove) {
      machine_.CatchUp();
    }
    return QObject::eventFilter(target, event);
  }

 private:
  Machine& machine_;
};

// Makes the control socket's file, if one was asked for; false, said, when it cannot.
bool OpenControlSocket(const std::string& path, std::optional<scenario::ListeningSocket>& listener) {
  if (path.empty()) return true;
  try {
    listener.emplace(path);
    return true;
  } catch (const scenario::ControlSocketError& error) {
    std::cerr << "qx40: --control: " << error.what() << '\n';
    return false;
  }
}

// Both windows in creation order; the hardware window, created last, goes
// first and saves the settings on its way.
int RunWindows(DesktopHost& host, const DesktopOptions& options, TrainingSession& training) {
  const SettingsLock lock;
  if (!PrepareSettingsDirectory(lock)) return exitUsage;
  std::optional<scenario::ListeningSocket> listener;
  if (!OpenControlSocket(options.control, listener)) return exitUsage;
  // Before the machine, which plays on it until it goes.
  const std::unique_ptr<AudioOutput> speaker = OpenAudioOutput();
  if (!speaker) std::cerr << "qx40: no audio output device found: the panel runs silent\n";
  Machine machine(options.batched ? BoardPacing::Batched : BoardPacing::RealTime, &host);
  std::optional<CatchUpBeforeInput> catchUp;
  if (options.batched) catchUp.emplace(machine);
  // The mute box as the user left it before anything plays.
  RememberSoundMute(*machine.hardware().SoundMute);
  if (speaker) machine.PlayOn(*speaker);
  TfrmMainDisplay& front = machine.front();
  // Closing the front panel ends the program, whatever else is open.
  front.OnClose = [](TForm*) { TApplication::quit(); };
  QObject signalWatch;
  QuitOnSignals(&signalWatch);
  QSettings userSettings(QStringLiteral("qx40"), QStringLiteral("qx40"));
  host.SetScale(WindowScale(userSettings, options.scale, front, machine.hardware()));
  host.Attach(front);
  host.Attach(machine.hardware());
  if (!training.Attach(machine, host, std::cerr)) {
    host.Detach(machine.hardware());
    host.Detach(front);
    return exitUsage;
  }
  AddPanelStateMenu(machine, host, [&training] { return training.WhyNotLoadState(); });
  front.Show();
  machine.hardware().Show();
  RestoreWindows(userSettings, front, machine.hardware());
  std::optional<ControlService> control;
  if (listener) control.emplace(std::move(*listener), machine);
  TApplication::exec();
  training.Detach();
  RememberWindows(userSettings, front, machine.hardware());
  host.Detach(machine.hardware());
  host.Detach(front);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  DesktopOptions options;
  if (const auto answered = ReadDesktopCommandLine(argc, argv, options, std::cout, std::cerr)) return *answered;
  DropKnownQtNoise();
  SendRepaintsDownTheSocket();
  TrainingSession training;
  if (!training.Open(options, std::cerr)) return exitUsage;
  TApplication application(argc, argv, "QX40 Simulation");
  DesktopHost host;
  int code = 0;
  try {
    code = RunWindows(host, options, training);
  } catch (const std::exception& error) {
    TApplication::ShowException(&error);
  } catch (...) {
    TApplication::ShowException(nullptr);
  }
  return code;
}
