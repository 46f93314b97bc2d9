#pragma once
// The windows drawn without a display, for the scenario runner's drawing
// module, the renderer and tests: Qt GUI on its offscreen platform (unless
// the caller named another), measuring and drawing text as the desktop
// program does. The header is free of Qt so that its users need none.

#include <memory>
#include <string>

class TForm;
class WindowHost;

// The window's client area as a PNG file; false if it cannot be written.
// Needs the OffscreenGui (or another Qt GUI application) of the process.
bool SaveFormPng(const TForm& form, const std::string& path);

class OffscreenGui {
 public:
  // Before any window is created; one per process.
  OffscreenGui(int& argc, char** argv);
  ~OffscreenGui();
  OffscreenGui(const OffscreenGui&) = delete;
  OffscreenGui& operator=(const OffscreenGui&) = delete;

  // Measures text as the desktop draws it; give it to the windows to be drawn.
  WindowHost& Host();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
