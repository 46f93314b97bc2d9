// The qx40-drawing module: the offscreen Qt GUI behind qt/drawing.h.

#include <type_traits>

#include "qt/drawing.h"
#include "qt/offscreen.h"

namespace {

class OffscreenDrawing : public Drawing {
 public:
  OffscreenDrawing(int& argc, char** argv) : gui_(argc, argv) {}
  const WindowHost& Host() override { return gui_.Host(); }
  bool SavePng(const TForm& form, const std::string& path) override { return SaveFormPng(form, path); }

 private:
  OffscreenGui gui_;
};

}  // namespace

extern "C" [[gnu::visibility("default")]] Drawing* qx40_start_drawing(int& argc, char** argv) {
  return new OffscreenDrawing(argc, argv);
}

// The runner calls the entry through the type the header names.
static_assert(std::is_same_v<decltype(&qx40_start_drawing), StartDrawing>);
