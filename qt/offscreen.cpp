#include "qt/offscreen.h"

#include <QGuiApplication>

#include <mutex>
#include <thread>

#include "qt/artwork.h"
#include "qt/messages.h"
#include "qt/painter.h"
#include "qt/qt_host.h"

namespace {
// The platform is chosen as the application is made.
std::unique_ptr<QGuiApplication> OffscreenApplication(int& argc, char** argv) {
  DropKnownQtNoise();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  return std::make_unique<QGuiApplication>(argc, argv);
}
}  // namespace

// Qt takes the thread that makes its application for its own: the runner's
// drawing module is started by whichever script first needs it.
struct OffscreenGui::Impl {
  Impl(int& argc, char** argv)
      : application(OffscreenApplication(argc, argv)), madeOn(std::this_thread::get_id()) {}

  // The application's thread may be a script's, gone by now: then it is
  // left for the process's end.
  ~Impl() {
    if (madeOn != std::this_thread::get_id()) (void)application.release();
  }

  std::unique_ptr<QGuiApplication> application;
  std::thread::id madeOn;
  QtHost host;
};

OffscreenGui::OffscreenGui(int& argc, char** argv) : impl_(std::make_unique<Impl>(argc, argv)) {}

OffscreenGui::~OffscreenGui() = default;

WindowHost& OffscreenGui::Host() { return impl_->host; }

// Scripts on several threads share the artwork, which loads as it is first drawn.
bool SaveFormPng(const TForm& form, const std::string& path) {
  static std::mutex drawing;
  const std::lock_guard lock(drawing);
  static Artwork artwork;
  return RenderForm(form, artwork).save(QString::fromStdString(path), "PNG");
}
