// qx40-scenario: runs scenario scripts against the simulator, headless and in
// virtual time.

#include <iostream>

#include "app/scenario/runner.h"
#include "qt/offscreen.h"

int main(int argc, char** argv) {
  OffscreenGui gui(argc, argv);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return scenario::RunCommandLine(arguments, std::cout, std::cerr);
}
