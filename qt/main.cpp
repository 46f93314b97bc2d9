// The simulator: the front panel and the hardware control window on the
// desktop, over the machine running in real time.

#include <QSocketNotifier>
#include <csignal>
#include <exception>
#include <iostream>
#include <memory>
#include <unistd.h>

#include "board/settings_file.h"
#include "machine/command_line.h"
#include "machine/machine.h"
#include "qt/application.h"
#include "qt/audio_output.h"
#include "qt/command_line.h"
#include "qt/desktop_host.h"
#include "qt/settings_notices.h"
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

// Both windows in creation order; the hardware window, created last, goes
// first and saves the settings on its way.
int RunWindows(DesktopHost& host) {
  const SettingsLock lock;
  if (!PrepareSettingsDirectory(lock)) return exitUsage;
  // Before the machine, which plays on it until it goes.
  const std::unique_ptr<AudioOutput> speaker = OpenAudioOutput();
  Machine machine(BoardPacing::RealTime);
  // The mute box as the user left it before anything plays.
  RememberSoundMute(*machine.hardware().SoundMute);
  if (speaker) machine.PlayOn(*speaker);
  TfrmMainDisplay& front = machine.front();
  // Closing the front panel ends the program, whatever else is open.
  front.OnClose = [](TForm*) { TApplication::quit(); };
  QObject signalWatch;
  QuitOnSignals(&signalWatch);
  host.Attach(front);
  host.Attach(machine.hardware());
  front.Show();
  machine.hardware().Show();
  TApplication::exec();
  host.Detach(machine.hardware());
  host.Detach(front);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (const auto answered = AnswerDesktopCommandLine(argc, argv, std::cout, std::cerr)) return *answered;
  TApplication application(argc, argv, "QX40 Simulation");
  DesktopHost host;
  SetWindowHost(&host);
  int code = 0;
  try {
    code = RunWindows(host);
  } catch (const std::exception& error) {
    TApplication::ShowException(&error);
  } catch (...) {
    TApplication::ShowException(nullptr);
  }
  SetWindowHost(nullptr);
  return code;
}
