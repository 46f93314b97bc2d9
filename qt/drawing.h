#pragma once
// The drawing a program loads only when it first needs it: the scenario
// runner's screenshots, and captions its table of metrics cannot size.
// Built as a module of its own (qx40-drawing) so that a run which draws
// nothing loads no Qt; this header, all the runner sees of it, is free of Qt.

#include <string>

class TForm;
class WindowHost;

class Drawing {
 public:
  virtual ~Drawing() = default;
  // Measures text as the desktop draws it.
  virtual const WindowHost& Host() = 0;
  // The window's client area as a PNG file; false if it cannot be written.
  virtual bool SavePng(const TForm& form, const std::string& path) = 0;
};

// The module's one entry, by this name: Qt GUI started on the calling
// thread (offscreen unless QT_QPA_PLATFORM names another platform), with
// the program's arguments, which must outlive it.
using StartDrawing = Drawing* (*)(int& argc, char** argv);
constexpr const char* startDrawingEntry = "qx40_start_drawing";
