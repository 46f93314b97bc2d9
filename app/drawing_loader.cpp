#include "app/drawing_loader.h"

#include <dlfcn.h>

#include <filesystem>
#include <vector>

#include "scenario/script.h"

namespace {

namespace fs = std::filesystem;

// Installed, then built: the module's places relative to the running program.
std::vector<fs::path> ModulePlaces() {
  std::error_code failed;
  const fs::path folder = fs::read_symlink("/proc/self/exe", failed).parent_path();
  return {(folder / QX40_MODULE_FROM_BIN / QX40_DRAWING_MODULE).lexically_normal(), folder / QX40_DRAWING_MODULE};
}

}  // namespace

DrawingLoader::~DrawingLoader() = default;

// The module stays loaded to the process's end: Qt cannot be unloaded.
void DrawingLoader::Load() {
  std::string tried;
  for (const fs::path& place : ModulePlaces()) {
    void* module = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
    const auto start = module ? reinterpret_cast<StartDrawing>(dlsym(module, startDrawingEntry)) : nullptr;
    if (start) {
      drawing_.reset(start(argc_, argv_));
      return;
    }
    tried += std::string(dlerror()) + "; ";
  }
  failure_ = "cannot load the drawing module, which screenshots need: " + tried +
             "build its target qx40-drawing, or reinstall qx40";
}

Drawing& DrawingLoader::Get() {
  std::call_once(loaded_, [this] { Load(); });
  if (!drawing_) throw scenario::ScriptError{failure_};
  return *drawing_;
}
