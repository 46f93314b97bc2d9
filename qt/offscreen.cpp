#include "qt/offscreen.h"

#include <QGuiApplication>

#include <mutex>
#include <thread>

#include "qt/artwork.h"
#include "qt/messages.h"
#include "qt/painter.h"
#include "qt/qt_host.h"

namespace {
int UseOffscreenPlatformUnlessSet() {
  DropKnownQtNoise();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  return 0;
}
}  // namespace

struct OffscreenGui::Impl {
  Impl(int& count, char** arguments) : argc(count), argv(arguments) {}

  // Qt's application belongs to the thread that made it, which may be a
  // script's, gone by now: then it is left for the process's end.
  ~Impl() {
    if (application && madeOn != std::this_thread::get_id()) (void)application.release();
  }

  // From whichever thread first needs Qt; Qt takes that one for its own.
  void Start() {
    std::call_once(started, [this] {
      UseOffscreenPlatformUnlessSet();
      application = std::make_unique<QGuiApplication>(argc, argv);
      madeOn = std::this_thread::get_id();
    });
  }

  int& argc;
  char** argv;
  std::once_flag started;
  std::unique_ptr<QGuiApplication> application;
  std::thread::id madeOn;
  QtHost host;
};

OffscreenGui::OffscreenGui(int& argc, char** argv, Start start) : impl_(std::make_unique<Impl>(argc, argv)) {
  if (start == Start::Now) impl_->Start();
}

OffscreenGui::~OffscreenGui() = default;

WindowHost& OffscreenGui::Host() {
  impl_->Start();
  return impl_->host;
}

bool OffscreenGui::SavePng(const TForm& form, const std::string& path) {
  impl_->Start();
  return SaveFormPng(form, path);
}

// Scripts on several threads share the artwork, which loads as it is first drawn.
bool SaveFormPng(const TForm& form, const std::string& path) {
  static std::mutex drawing;
  const std::lock_guard lock(drawing);
  static Artwork artwork;
  return RenderForm(form, artwork).save(QString::fromStdString(path), "PNG");
}
