#include "qt/offscreen.h"

#include <QGuiApplication>

#include <mutex>

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
  Impl(int& argc, char** argv) : platform(UseOffscreenPlatformUnlessSet()), application(argc, argv) {}

  int platform;
  QGuiApplication application;
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
