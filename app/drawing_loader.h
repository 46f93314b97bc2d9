#pragma once
// The drawing module (qt/drawing.h), loaded and started only when a script
// first needs it, once for all the scripts' threads. It is looked for where
// the install puts it relative to the running program, then beside the
// program, where the build puts it.

#include <memory>
#include <mutex>
#include <string>

#include "qt/drawing.h"

class DrawingLoader {
 public:
  // The program's arguments, for Qt; they must outlive the loader.
  DrawingLoader(int& argc, char** argv) : argc_(argc), argv_(argv) {}
  ~DrawingLoader();
  DrawingLoader(const DrawingLoader&) = delete;
  DrawingLoader& operator=(const DrawingLoader&) = delete;

  // The started module; a scenario::ScriptError naming what is missing and
  // where it was looked for if it cannot be loaded.
  Drawing& Get();

 private:
  void Load();

  int& argc_;
  char** argv_;
  std::once_flag loaded_;
  std::unique_ptr<Drawing> drawing_;
  std::string failure_;
};
